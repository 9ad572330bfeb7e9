#include "rtl/Variant.h"

#include <cmath>

#include "rtl/Exception.h"
#include "rtl/FormatDateTime.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"

Variant Variant::FromDate(TDateTime value) {
  Variant v;
  v.v_ = Date{value};
  return v;
}

Variant Variant::FromArray(std::vector<Variant> elements) {
  Variant v;
  v.v_ = std::make_shared<const std::vector<Variant>>(std::move(elements));
  return v;
}

Variant VarArrayOf(std::vector<Variant> elements) {
  return Variant::FromArray(std::move(elements));
}

Variant::Kind Variant::kind() const { return static_cast<Kind>(v_.index()); }

namespace {

[[noreturn]] void ArrayConversion() {
  throw Exception("Não é possível converter um array de valores em um valor simples");
}

// A float rounded half away from zero; NaN, infinities and values beyond 64 bits do not convert.
int64_t RoundToInteger(double value) {
  if (!(std::fabs(value) < 9.2e18)) {
    throw EConvertError("'" + FloatToStr(value) + "' não é um valor inteiro válido");
  }
  return static_cast<int64_t>(std::llround(value));
}

// An integer text, or a float text rounded (as the run-time converts text variants).
int64_t TextToInteger(const std::string& text) {
  int64_t i;
  if (TryStrToInt64(text, i)) return i;
  double f;
  if (TryStrToFloat(text, f)) return RoundToInteger(f);
  throw EConvertError("'" + text + "' não é um valor inteiro válido");
}

}  // namespace

int64_t Variant::AsInteger() const {
  switch (kind()) {
    case Kind::Null: return 0;
    case Kind::Integer: return std::get<int64_t>(v_);
    case Kind::Float: return RoundToInteger(std::get<double>(v_));
    case Kind::Text: return TextToInteger(std::get<std::string>(v_));
    case Kind::DateTime: return static_cast<int64_t>(std::get<Date>(v_).value);
    case Kind::Boolean: return std::get<bool>(v_) ? 1 : 0;
    case Kind::Array: break;
  }
  ArrayConversion();
}

double Variant::AsFloat() const {
  switch (kind()) {
    case Kind::Null: return 0;
    case Kind::Integer: return static_cast<double>(std::get<int64_t>(v_));
    case Kind::Float: return std::get<double>(v_);
    case Kind::Text: return StrToFloat(std::get<std::string>(v_));
    case Kind::DateTime: return std::get<Date>(v_).value;
    case Kind::Boolean: return std::get<bool>(v_) ? 1 : 0;
    case Kind::Array: break;
  }
  ArrayConversion();
}

std::string Variant::AsString() const {
  switch (kind()) {
    case Kind::Null: return {};
    case Kind::Integer: return IntToStr(std::get<int64_t>(v_));
    case Kind::Float: return FloatToStr(std::get<double>(v_));
    case Kind::Text: return std::get<std::string>(v_);
    case Kind::DateTime: return DateTimeToStr(std::get<Date>(v_).value);
    case Kind::Boolean: return std::get<bool>(v_) ? "True" : "False";
    case Kind::Array: break;
  }
  ArrayConversion();
}

TDateTime Variant::AsDateTime() const {
  switch (kind()) {
    case Kind::Null: return 0;
    case Kind::Integer: return static_cast<double>(std::get<int64_t>(v_));
    case Kind::Float: return std::get<double>(v_);
    case Kind::Text: return StrToDateTime(std::get<std::string>(v_));
    case Kind::DateTime: return std::get<Date>(v_).value;
    case Kind::Boolean: return std::get<bool>(v_) ? 1 : 0;
    case Kind::Array: break;
  }
  ArrayConversion();
}

bool Variant::AsBoolean() const {
  switch (kind()) {
    case Kind::Null: return false;
    case Kind::Boolean: return std::get<bool>(v_);
    case Kind::Text: {
      const std::string& s = std::get<std::string>(v_);
      if (SameText(Trim(s), "true")) return true;
      if (SameText(Trim(s), "false")) return false;
      return StrToFloat(s) != 0;
    }
    case Kind::Array: ArrayConversion();
    default: return AsFloat() != 0;
  }
}

size_t Variant::Count() const { return IsArray() ? std::get<Array>(v_)->size() : 0; }

const Variant& Variant::operator[](size_t index) const {
  if (!IsArray()) throw Exception("O valor não é um array");
  const auto& elements = *std::get<Array>(v_);
  if (index >= elements.size())
    throw Exception("Índice fora dos limites do array: " + std::to_string(index));
  return elements[index];
}

bool Variant::operator==(const Variant& other) const {
  if (IsArray() && other.IsArray()) {
    const auto& a = *std::get<Array>(v_);
    const auto& b = *std::get<Array>(other.v_);
    return a == b;
  }
  return v_ == other.v_;
}
