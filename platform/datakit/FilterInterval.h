#pragma once
// FilterInterval: an SQL condition from a selection text typed by the user, such as the
// company codes "1;3;5..9". The text is validated completely before anything is built: it
// never reaches the SQL as typed.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// What a selection does with the listed codes: tiIncluir keeps them, tiExcluir keeps every
// other code.
enum TnTipoInclusao { tiExcluir = 0, tiIncluir = 1 };
using TnTiposInclusao = std::vector<TnTipoInclusao>;

// Builds the condition for `columns` (names separated by "," or ";", e.g. "L.CODIGOEMPRESA")
// from `text`: pieces separated by ";", each an integer ("3") or an interval of integers
// ("5..9"); blanks around pieces and numbers are ignored. Result for "1;3;5..9" over COL:
//   "(COL = 1 or COL = 3 or COL between 5 and 9) "
// With several columns each column must satisfy the selection:
//   "((A = 1 or A = 3) and (B = 1 or B = 3)) ".
// When `kinds` holds tiExcluir and not tiIncluir the condition is negated: "not (...) ".
// With `conjunction` set the condition begins with " and "; the result always ends in a space.
// A blank text selects everything: "" with `conjunction` set, "(1 = 1) " without.
// Raises Exception "Intervalo inválido: '<text>'" for anything else: letters, signs, SQL, empty
// pieces (";;", "1;"), open intervals ("1..") and reversed intervals ("9..5"). Raises Exception
// for a column name that is not an identifier (letters, digits, "_" and "."). `reserved` is
// accepted for compatibility and not used.
std::string FilterInterval(const std::string& columns, const std::string& text,
                           const TnTiposInclusao& kinds, bool conjunction, int reserved);

// The pieces of a selection text as FilterInterval reads it: (low, high) per piece, low ==
// high for a single code. Empty for a blank text; raises the same Exception for a bad one.
std::vector<std::pair<int64_t, int64_t>> IntervalPieces(const std::string& text);

std::string FilterInterval(const std::vector<std::string>& columns, const std::string& text,
                           const TnTiposInclusao& kinds, bool conjunction, int reserved);
