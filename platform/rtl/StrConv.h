#pragma once
// Conversions between texts and numbers or dates, as the run-time does them. The plain forms
// raise EConvertError with a Portuguese message that quotes the text; the Def forms return the
// default instead; the Try forms return false and leave `result` unchanged.

#include <cstdint>
#include <string>
#include <string_view>

#include "rtl/DateTime.h"

std::string IntToStr(int64_t value);

// Shortest text of `value` with 15 significant digits at most, decimal comma, no thousands
// grouping: 1.5 -> "1,5", 0.1 + 0.2 -> "0,3", 100 -> "100". Values of 1E15 and above, or below
// 0,00001, use an exponent: 1e20 -> "1E20", 1.5e-7 -> "1,5E-7"; "NAN", "INF", "-INF".
std::string FloatToStr(double value);

// Integer texts: optional blanks around, optional sign, decimal digits (or "$" and hex
// digits). Out of the 32-bit range fails. Message: "'abc' não é um valor inteiro válido".
int32_t StrToInt(std::string_view text);
int32_t StrToIntDef(std::string_view text, int32_t default_value);
bool TryStrToInt(std::string_view text, int32_t& result);
int64_t StrToInt64(std::string_view text);
bool TryStrToInt64(std::string_view text, int64_t& result);

// Float texts with the decimal comma (a "." is accepted too when no comma is present): blanks
// around, sign, digits, an optional exponent ("1,5E3"); no thousands separators, no "INF"/"NAN".
// Message: "'abc' não é um valor de ponto flutuante válido".
double StrToFloat(std::string_view text);
double StrToFloatDef(std::string_view text, double default_value);
bool TryStrToFloat(std::string_view text, double& result);

// Dates: d/m/yyyy or dd/mm/yyyy, d/m/yy (two-digit years below 50 are 20xx, the others 19xx),
// or ISO yyyy-mm-dd (as the database stores them); blanks around are ignored. The date may be
// followed by a time, hh:nn[:ss[.zzz]] after blanks (or after "T" in the ISO form). Years with
// one or three digits, dates without a year and dates that do not exist in the calendar fail.
// StrToDate and its forms return the date alone (a time in the text is accepted and dropped);
// StrToDateTime keeps the time of day.
// Messages: "'31/02/2026' não é uma data válida", "'x' não é uma data e hora válida".
TDateTime StrToDate(std::string_view text);
TDateTime StrToDateDef(std::string_view text, TDateTime default_value);
bool TryStrToDate(std::string_view text, TDateTime& result);
TDateTime StrToDateTime(std::string_view text);
bool TryStrToDateTime(std::string_view text, TDateTime& result);
