#pragma once
// The one error type of the system: every failure an operation reports to its
// caller is a thrown tavro::Error of one of these kinds. what() is the text
// shown to users.

#include <stdexcept>
#include <string>

namespace tavro {

enum class ErrorKind {
  SubscriptOutOfRange,  // "Subscript out of range"
  Overflow,             // "Overflow"
  DivisionByZero,       // "Division by zero"
  TypeMismatch,         // "Type mismatch"
  ObjectNotSet,         // "Object variable not set"
  Platform,             // a failure of a platform operation, with its own message
};

class Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, const std::string& message);
  explicit Error(ErrorKind kind);  // with the kind's text above
  ErrorKind kind() const noexcept { return kind_; }

 private:
  ErrorKind kind_;
};

}  // namespace tavro
