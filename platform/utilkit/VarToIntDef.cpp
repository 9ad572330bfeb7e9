#include "utilkit/VarToIntDef.h"

#include <cmath>
#include <cstdint>

#include "rtl/StrConv.h"

namespace {

// True when `v` rounded half away from zero is a 32-bit integer: -2147483648.5 rounds to
// -2147483649, outside as much as 2147483647.5 is.
bool FitsInt(double v) { return v > INT32_MIN - 0.5 && v < INT32_MAX + 0.5; }

}  // namespace

int VarToIntDef(const Variant& value, int default_value) {
  switch (value.kind()) {
    case Variant::Kind::Integer:
    case Variant::Kind::Boolean: {
      const int64_t v = value.AsInteger();
      return v >= INT32_MIN && v <= INT32_MAX ? static_cast<int>(v) : default_value;
    }
    case Variant::Kind::Float:
    case Variant::Kind::DateTime: {
      const double v = value.AsFloat();
      if (value.kind() == Variant::Kind::DateTime) {
        return FitsInt(std::trunc(v)) ? static_cast<int>(std::trunc(v)) : default_value;
      }
      return FitsInt(v) ? static_cast<int>(std::llround(v)) : default_value;
    }
    case Variant::Kind::Text: {
      const std::string text = value.AsString();
      int32_t i;
      if (TryStrToInt(text, i)) return i;
      double f;
      if (TryStrToFloat(text, f) && FitsInt(f)) return static_cast<int>(std::llround(f));
      return default_value;
    }
    case Variant::Kind::Null:
    case Variant::Kind::Array: break;
  }
  return default_value;
}
