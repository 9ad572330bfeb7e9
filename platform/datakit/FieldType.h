#pragma once
// TFieldType: the data type of a dataset column. Several Delphi types share one storage class:
// the integer kinds are kept as int64, the float kinds as double, dates as TDateTime (double).

#include <string>

enum TFieldType {
  ftUnknown,
  ftSmallint,
  ftInteger,
  ftLargeint,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftString,
  ftDate,
  ftDateTime,
};

// True for ftSmallint, ftInteger and ftLargeint.
bool IsIntegerFieldType(TFieldType type);

// True for ftFloat and ftCurrency.
bool IsFloatFieldType(TFieldType type);

// True for ftDate and ftDateTime.
bool IsDateFieldType(TFieldType type);

// The type's Delphi name ("ftInteger"), for messages.
std::string FieldTypeName(TFieldType type);
