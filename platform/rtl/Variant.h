#pragma once
// Variant: a value of one of the run-time's kinds, as carried by report parameters, query
// parameters and single-row look-ups. Null is its own kind; an array holds further variants.

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "rtl/DateTime.h"

class Variant {
 public:
  enum class Kind { Null, Integer, Float, Text, DateTime, Boolean, Array };

  Variant() = default;  // Null
  Variant(int value) : v_(static_cast<int64_t>(value)) {}
  Variant(int64_t value) : v_(value) {}
  Variant(double value) : v_(value) {}
  Variant(bool value) : v_(value) {}
  Variant(std::string value) : v_(std::move(value)) {}
  Variant(const char* value) : v_(std::string(value)) {}

  static Variant Null() { return Variant(); }
  static Variant FromDate(TDateTime value);
  static Variant FromArray(std::vector<Variant> elements);

  Kind kind() const;
  bool IsNull() const { return kind() == Kind::Null; }
  bool IsArray() const { return kind() == Kind::Array; }

  // Conversions. Null converts to 0, 0.0, "" and false; a text that does not convert raises
  // EConvertError with the text quoted; an array raises Exception.
  int64_t AsInteger() const;     // a float (or float text) is rounded half away from zero
  double AsFloat() const;        // a date gives its day number
  std::string AsString() const;  // floats as FloatToStr, dates as short date (with time when any)
  TDateTime AsDateTime() const;  // texts read as short dates
  bool AsBoolean() const;        // texts "True"/"False" (any case) or numbers, non-zero true

  // Array access. REQUIRES: IsArray() for a non-zero count; index < Count().
  size_t Count() const;
  const Variant& operator[](size_t index) const;

  bool operator==(const Variant& other) const;

 private:
  struct Date {
    TDateTime value;
    bool operator==(const Date&) const = default;
  };
  using Array = std::shared_ptr<const std::vector<Variant>>;
  std::variant<std::monostate, int64_t, double, std::string, Date, bool, Array> v_;
};

// A variant array of the given values, as Delphi's VarArrayOf.
Variant VarArrayOf(std::vector<Variant> elements);
