#pragma once
// The run-time's exception classes. Every error of the host and of the plug-ins is an
// Exception (or a subclass) carrying a message meant for the user, in Portuguese.

#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message);
  ~Exception() override;

  // The message as given to the constructor.
  std::string Message() const { return what(); }
};

// A text could not be converted to a number or a date.
class EConvertError : public Exception {
 public:
  explicit EConvertError(const std::string& message);
  ~EConvertError() override;
};
