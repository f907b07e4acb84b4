#include "platform/errors.h"

namespace tavro {

namespace {

const char* standardMessage(ErrorKind kind) noexcept {
  switch (kind) {
    case ErrorKind::SubscriptOutOfRange: return "Subscript out of range";
    case ErrorKind::Overflow: return "Overflow";
    case ErrorKind::DivisionByZero: return "Division by zero";
    case ErrorKind::TypeMismatch: return "Type mismatch";
    case ErrorKind::ObjectNotSet: return "Object variable not set";
    case ErrorKind::Platform: return "Platform operation failed";
  }
  return "Unknown error";
}

}  // namespace

Error::Error(ErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}

Error::Error(ErrorKind kind) : Error(kind, standardMessage(kind)) {}

}  // namespace tavro
