#pragma once
// The kind, or the message, of the tavro::Error an action throws; a test
// failure if it throws none.

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/errors.h"

namespace tavro {

inline std::optional<ErrorKind> kindOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.kind();
  }
  ADD_FAILURE() << "no tavro::Error thrown";
  return std::nullopt;
}

// The message of the Error that `action` throws, after checking its kind.
inline std::string errorOf(ErrorKind kind, const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), kind);
    return e.what();
  }
  ADD_FAILURE() << "no tavro::Error thrown";
  return {};
}

}  // namespace tavro
