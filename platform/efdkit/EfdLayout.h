#pragma once
// The EFD ICMS/IPI ("SPED Fiscal") records this program writes and checks, as data: each
// record's code, place in the file's hierarchy, occurrence and fields (name, type, size,
// decimals, whether required), and the table of layout versions by the period they apply to.

#include <string>
#include <string_view>
#include <vector>

namespace stock::efd {

enum class FieldType {
  Text,    // "C": any character but '|'
  Number,  // "N": digits, with a decimal comma when the field has decimals
  Date,    // "N" 008*: ddmmaaaa
};

struct FieldDef {
  std::string_view name;
  FieldType type;
  int size;       // maximum characters (0: not limited)
  bool exact;     // the size is exact ("*" in the layout)
  int decimals;   // places after the comma of a Number, -1 when it has none
  bool required;  // "O"; otherwise "OC" (filled when the value exists)
};

enum class Occurrence { One, Many };

struct RecordDef {
  std::string_view code;
  std::string_view parent;  // the record it hangs from; empty for 0000
  int level;
  Occurrence occurrence;
  std::vector<FieldDef> fields;  // REG included
};

// The records of the file in the order they appear in it.
const std::vector<RecordDef>& Records();

// The record with `code`, or nullptr.
const RecordDef* FindRecord(std::string_view code);

// The position of the record in the file's order (0 for 0000); -1 for an unknown code.
int RecordOrder(std::string_view code);

// Checks one field's text against its definition: "" when it fits, otherwise what is wrong
// ("obrigatório", "mais de 60 caracteres", "não é uma data ddmmaaaa" ...).
std::string CheckField(const FieldDef& field, std::string_view value);

struct LayoutVersion {
  std::string_view code;  // COD_VER, "020"
  std::string_view from;  // first day of the periods it applies to, ISO 'yyyy-mm-dd'
};

// Every layout version this program knows, oldest first.
const std::vector<LayoutVersion>& LayoutVersions();

// The version in force for a period that begins on `period_start` (ISO). Raises Exception
// when the period is older than every version known.
std::string_view LayoutVersionFor(std::string_view period_start);

}  // namespace stock::efd
