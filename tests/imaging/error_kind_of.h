#pragma once
// The kind of tavro::Error an action throws; a test failure if it throws none.

#include <gtest/gtest.h>

#include <functional>
#include <optional>

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

}  // namespace tavro
