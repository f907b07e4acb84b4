#pragma once
// What a call on a recogniser came to: the name it returned (empty for a
// call that returns nothing), or the kind and text of the error it threw.
// Two recognisers that agree give equal outcomes for every call.

#include <ostream>
#include <string>

#include "platform/errors.h"

namespace tavro {

struct Outcome {
  bool failed = false;
  ErrorKind kind = ErrorKind::Platform;
  std::string text;
  bool operator==(const Outcome&) const = default;
};

// Runs action (which returns a string) and catches only tavro::Error.
template <class Action>
Outcome outcomeOf(Action&& action) {
  try {
    return {false, ErrorKind::Platform, action()};
  } catch (const Error& e) {
    return {true, e.kind(), e.what()};
  }
}

inline std::ostream& operator<<(std::ostream& out, const Outcome& o) {
  if (o.failed) return out << "error " << static_cast<int>(o.kind) << " \"" << o.text << "\"";
  return out << "name \"" << o.text << "\"";
}

}  // namespace tavro
