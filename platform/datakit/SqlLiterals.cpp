#include "datakit/SqlLiterals.h"

#include <cmath>

#include "datakit/DateText.h"
#include "rtl/Exception.h"
#include "rtl/FormatDateTime.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"

namespace {

// `text` between single quotes, for a date literal (dates hold no quote of their own).
std::string BetweenQuotes(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '\'';
  out += text;
  out += '\'';
  return out;
}

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += '\'';
    out += c;
  }
  out += '\'';
  return out;
}

// A text for an SQL statement. The statement is handed to the database as a C string, which
// would end at a NUL byte inside the literal: such a text is refused.
std::string SqlQuoted(const std::string& text) {
  if (text.find('\0') != std::string::npos) {
    throw Exception("Um texto com o caractere nulo não pode ser escrito como literal SQL");
  }
  return Quoted(text);
}

std::string Number(double value) {
  if (!std::isfinite(value))
    throw Exception("Valor numérico inválido para SQL: " + FloatToStr(value));
  return stock::PlainNumber(value);
}

int64_t ToInteger(const Variant& value) {
  if (value.kind() == Variant::Kind::Text) return StrToInt64(Trim(value.AsString()));
  if (value.kind() == Variant::Kind::Float) {
    double d = value.AsFloat();
    if (!std::isfinite(d) || std::fabs(d) >= 9.2e18)
      throw EConvertError("'" + FloatToStr(d) + "' não é um valor inteiro válido");
  }
  return value.AsInteger();
}

double ToFloat(const Variant& value) {
  if (value.kind() == Variant::Kind::Text) return StrToFloat(Trim(value.AsString()));
  return value.AsFloat();
}

TDateTime ToDate(const Variant& value) {
  if (value.kind() == Variant::Kind::Text) {
    TDateTime result;
    std::string text = value.AsString();
    if (stock::TryParseAnyDate(text, result)) return result;
    throw EConvertError("'" + text + "' não é uma data válida");
  }
  return value.AsDateTime();
}

void RejectArray(const Variant& value) {
  if (value.IsArray()) throw Exception("Um array de valores não pode ser escrito como literal");
}

}  // namespace

std::string ValorParaSQL(const Variant& value) {
  RejectArray(value);
  switch (value.kind()) {
    case Variant::Kind::Null: return "NULL";
    case Variant::Kind::Integer: return std::to_string(value.AsInteger());
    case Variant::Kind::Float: return Number(value.AsFloat());
    case Variant::Kind::Text: return SqlQuoted(value.AsString());
    case Variant::Kind::DateTime: {
      TDateTime d = value.AsDateTime();
      return BetweenQuotes(stock::FormatIsoDateTime(d, stock::HasTimeOfDay(d)));
    }
    case Variant::Kind::Boolean: return value.AsBoolean() ? "1" : "0";
    case Variant::Kind::Array: break;
  }
  return "NULL";
}

std::string ValorParaSQL(const Variant& value, TFieldType type) {
  RejectArray(value);
  if (value.IsNull()) return "NULL";
  if (IsIntegerFieldType(type)) return std::to_string(ToInteger(value));
  if (IsFloatFieldType(type)) return Number(ToFloat(value));
  switch (type) {
    case ftString: return SqlQuoted(value.AsString());
    case ftDate: return BetweenQuotes(stock::FormatIsoDateTime(ToDate(value), false));
    case ftDateTime: return BetweenQuotes(stock::FormatIsoDateTime(ToDate(value), true));
    case ftBoolean: return value.AsBoolean() ? "1" : "0";
    default: return ValorParaSQL(value);
  }
}

std::string ValorParaFiltro(const Variant& value, TFieldType type) {
  RejectArray(value);
  if (value.IsNull()) return "null";
  if (type == ftUnknown) {
    switch (value.kind()) {
      case Variant::Kind::Integer: type = ftLargeint; break;
      case Variant::Kind::Float: type = ftFloat; break;
      case Variant::Kind::DateTime: type = ftDateTime; break;
      case Variant::Kind::Boolean: type = ftBoolean; break;
      default: type = ftString; break;
    }
  }
  if (IsIntegerFieldType(type)) return std::to_string(ToInteger(value));
  if (IsFloatFieldType(type)) return Number(ToFloat(value));
  switch (type) {
    case ftDate: return BetweenQuotes(stock::FormatShortDateTime(ToDate(value), false));
    case ftDateTime: {
      TDateTime d = ToDate(value);
      return BetweenQuotes(stock::FormatShortDateTime(d, stock::HasTimeOfDay(d)));
    }
    case ftBoolean: return value.AsBoolean() ? "True" : "False";
    default: return Quoted(value.AsString());
  }
}
