#pragma once
// Integer conversion of variants with a fallback, for values read from parameters and look-ups.

#include "rtl/Variant.h"

// The integer value of `value`: integers as they are, floats and float texts rounded half away
// from zero, integer texts (blanks around allowed), booleans as 0/1, dates as their day number.
// Returns `default_value` when there is none: Null, empty or non-numeric text, an array, or a
// value outside the 32-bit range. Never raises.
int VarToIntDef(const Variant& value, int default_value);
