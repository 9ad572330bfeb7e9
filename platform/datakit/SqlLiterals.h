#pragma once
// Literals for SQL texts and for dataset filter texts. Every value that reaches an SQL or filter
// text goes through these (or through bound parameters), never pasted raw.

#include <string>

#include "datakit/FieldType.h"
#include "rtl/Variant.h"

// The value as an SQL literal, by its own kind: NULL; integers as they are; floats with "."
// as decimal separator and no exponent; texts in single quotes with quotes doubled; dates as
// 'yyyy-mm-dd' ('yyyy-mm-dd hh:nn:ss' when the value has a time of day); booleans as 1 or 0.
// Raises Exception for an array, a float that is not finite, or a text holding a NUL byte
// (the statement would end there).
std::string ValorParaSQL(const Variant& value);

// The value converted to `type` first, then written as above. Dates are written without time
// for ftDate, with time for ftDateTime; a text for a date type may be dd/mm/yyyy or
// yyyy-mm-dd. A value that does not convert raises EConvertError quoting it (a text that is
// no integer for an integer type, for instance). Null gives NULL for every type; ftUnknown
// behaves like the form without type.
std::string ValorParaSQL(const Variant& value, TFieldType type);

// The value converted to `type` and written as a literal of the dataset filter language:
// texts quoted with '' doubling, dates as 'dd/mm/yyyy' (with " hh:nn:ss" for a date-time
// that has a time of day), numbers plain with "." decimal, booleans True/False, null as null.
// Conversion errors as for ValorParaSQL.
std::string ValorParaFiltro(const Variant& value, TFieldType type);
