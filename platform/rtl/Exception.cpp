#include "rtl/Exception.h"

Exception::Exception(const std::string& message) : std::runtime_error(message) {}
Exception::~Exception() = default;

EConvertError::EConvertError(const std::string& message) : Exception(message) {}
EConvertError::~EConvertError() = default;
