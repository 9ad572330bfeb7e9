// Values typed by a user on their way into SQL and filter texts. FilterInterval either raises
// Exception or gives a condition that SQLite prepares and that holds nothing but the column
// names, integers and the condition's own words. ValorParaSQL either raises Exception or gives
// one literal that SQLite reads back as the value itself (texts, numbers, the day and time of
// dates, booleans); ValorParaFiltro either raises or gives a literal that the filter language
// reads back as the value itself.

#include <sqlite3.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "FuzzCheck.h"
#include "datakit/ClientDataSet.h"
#include "datakit/DateText.h"
#include "datakit/FilterInterval.h"
#include "datakit/SqlLiterals.h"
#include "rtl/DateTime.h"
#include "rtl/Exception.h"
#include "rtl/StrConv.h"
#include "rtl/StringUtils.h"

namespace {

sqlite3* Database() {
  static sqlite3* db = [] {
    sqlite3* d = nullptr;
    sqlite3_open(":memory:", &d);
    sqlite3_exec(d, "create table LCTOINV (CODIGOEMPRESA integer, CODIGOESTAB integer)", nullptr,
                 nullptr, nullptr);
    return d;
  }();
  return db;
}

// Prepares `sql` as one whole statement; the statement, or nullptr with the reason in `error`.
sqlite3_stmt* Prepare(const std::string& sql, std::string& error) {
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(Database(), sql.c_str(), static_cast<int>(sql.size()) + 1, &stmt, &tail) !=
      SQLITE_OK) {
    error = sqlite3_errmsg(Database());
    return nullptr;
  }
  if (tail != nullptr && std::strspn(tail, " ") != std::strlen(tail)) {
    error = std::string("text after the statement: ") + tail;
    sqlite3_finalize(stmt);
    return nullptr;
  }
  return stmt;
}

void CheckInterval(uint8_t mode, const std::string& text) {
  const bool two_columns = mode & 1;
  const bool conjunction = mode & 2;
  const TnTiposInclusao kinds{(mode & 4) ? tiExcluir : tiIncluir};
  std::string condition;
  try {
    condition = FilterInterval(two_columns ? "L.CODIGOEMPRESA; L.CODIGOESTAB" : "L.CODIGOEMPRESA",
                               text, kinds, conjunction, 0);
  } catch (const Exception&) {
    return;
  }
  // Only the condition's own words: no text of the input other than its digits.
  static const std::set<std::string> words = {
      "or", "and", "between", "not", "=", "L.CODIGOEMPRESA", "L.CODIGOESTAB"};
  std::string spaced;
  for (char c : condition) {
    if (c == '(' || c == ')')
      spaced += ' ';
    else
      spaced += c;
  }
  size_t start = 0;
  while (start < spaced.size()) {
    size_t end = spaced.find(' ', start);
    if (end == std::string::npos) end = spaced.size();
    const std::string word = spaced.substr(start, end - start);
    start = end + 1;
    if (word.empty() || words.count(word)) continue;
    FUZZ_CHECK(word.find_first_not_of("0123456789") == std::string::npos,
               "unexpected word '" + word + "' in " + condition);
  }
  std::string sql = "select count(*) from LCTOINV L where ";
  sql += conjunction ? "1 = 1" + condition : condition;
  std::string error;
  sqlite3_stmt* stmt = Prepare(sql, error);
  FUZZ_CHECK(stmt != nullptr, sql + ": " + error);
  sqlite3_finalize(stmt);
}

// SQLite's own calendar reads a date literal back as the day `text` names (and, for a
// date-time, its time to the second), and finds the literal already in its canonical form.
void CheckDateReadsBack(TFieldType type, const std::string& text, const std::string& literal) {
  TDateTime expected = 0;
  FUZZ_CHECK(stock::TryParseAnyDate(text, expected),
             "a date literal from a text that is no date: " + literal);
  const char* canonical = type == ftDate ? "date" : "datetime";
  std::string error;
  sqlite3_stmt* stmt = Prepare(
      "select julianday(" + literal + "), " + canonical + "(" + literal + ") = " + literal, error);
  FUZZ_CHECK(stmt != nullptr && sqlite3_step(stmt) == SQLITE_ROW, literal + ": " + error);
  FUZZ_CHECK(sqlite3_column_type(stmt, 0) != SQLITE_NULL, "SQLite reads no date in " + literal);
  // Julian day 2415018.5 is 30/12/1899 at midnight, day 0 of TDateTime.
  const double got = sqlite3_column_double(stmt, 0) - 2415018.5;
  const bool same_form = sqlite3_column_int(stmt, 1) == 1;
  sqlite3_finalize(stmt);
  FUZZ_CHECK(same_form, "not in SQLite's canonical form: " + literal);
  if (type == ftDate) {
    FUZZ_CHECK(std::fabs(got - DateOf(expected)) < 1e-6,
               "date does not read back: " + literal + " for '" + text + "'");
  } else {
    FUZZ_CHECK(std::fabs(got - expected) < 1.0 / 86400 + 1e-6,
               "date-time does not read back to the second: " + literal + " for '" + text + "'");
  }
}

void CheckSqlLiteral(TFieldType type, const std::string& text) {
  std::string literal;
  try {
    literal = ValorParaSQL(Variant(text), type);
  } catch (const Exception&) {
    return;
  }
  std::string error;
  sqlite3_stmt* stmt = Prepare("select " + literal, error);
  FUZZ_CHECK(stmt != nullptr, literal + ": " + error);
  FUZZ_CHECK(sqlite3_column_count(stmt) == 1, "more than one value: " + literal);
  FUZZ_CHECK(sqlite3_step(stmt) == SQLITE_ROW, "no row: " + literal);
  const int kind = sqlite3_column_type(stmt, 0);
  if (type == ftString) {
    const char* got = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    const std::string value(got ? got : "", static_cast<size_t>(sqlite3_column_bytes(stmt, 0)));
    FUZZ_CHECK(kind == SQLITE_TEXT && value == text, "text does not read back: " + literal);
  } else if (IsIntegerFieldType(type)) {
    FUZZ_CHECK(kind == SQLITE_INTEGER && sqlite3_column_int64(stmt, 0) == StrToInt64(Trim(text)),
               "integer does not read back: " + literal);
  } else if (IsFloatFieldType(type)) {
    const double expected = StrToFloat(Trim(text));
    const double got = sqlite3_column_double(stmt, 0);
    FUZZ_CHECK(kind == SQLITE_INTEGER || kind == SQLITE_FLOAT, "not a number: " + literal);
    FUZZ_CHECK(std::fabs(got - expected) <= 1e-12 * std::fabs(expected),
               "number does not read back: " + literal);
  } else if (IsDateFieldType(type)) {
    FUZZ_CHECK(kind == SQLITE_TEXT && sqlite3_column_bytes(stmt, 0) == (type == ftDate ? 10 : 19),
               "not an ISO date: " + literal);
    CheckDateReadsBack(type, text, literal);
  } else if (type == ftBoolean) {
    // "True"/"False" in any case, else a number that is true when not zero.
    const std::string word = Trim(text);
    const bool expected =
        SameText(word, "true") || (!SameText(word, "false") && StrToFloat(text) != 0);
    FUZZ_CHECK(kind == SQLITE_INTEGER && sqlite3_column_int64(stmt, 0) == (expected ? 1 : 0),
               "boolean does not read back: " + literal + " for '" + text + "'");
  }
  sqlite3_finalize(stmt);
}

void CheckFilterLiteral(TFieldType type, const std::string& text) {
  std::string literal;
  try {
    literal = ValorParaFiltro(Variant(text), type);
  } catch (const Exception&) {
    return;
  }
  // One row holding the value as the field stores it; "F = literal" must keep it.
  TnClientDataSet ds;
  ds.FieldDefs().Add("F", type);
  ds.CreateDataSet();
  ds.Append();
  try {
    ds.FieldByName("F")->SetAsVariant(Variant(text));
  } catch (const Exception&) {
    return;  // the field refuses what the literal accepted: nothing to compare
  }
  ds.Post();
  if (ds.FieldByName("F")->IsNull()) return;  // empty text stored into a non-text field
  // Filter literals of date-times stop at the second; a fraction is written after a point or,
  // as ISO 8601 also allows, a comma.
  if (type == ftDateTime && text.find_first_of(".,") != std::string::npos) return;
  try {
    ds.SetFilter("F = " + literal);
  } catch (const Exception& e) {
    FUZZ_CHECK(false, "filter refuses its own literal " + literal + ": " + e.what());
  }
  ds.SetFiltered(true);
  FUZZ_CHECK(ds.RecordCount() == 1, "literal does not read back in a filter: " + literal);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = data[0];
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  static const TFieldType types[] = {ftInteger, ftLargeint, ftFloat,    ftCurrency,
                                     ftString,  ftDate,     ftDateTime, ftBoolean};
  switch (mode % 3) {
    case 0: CheckInterval(mode / 3, text); break;
    case 1: CheckSqlLiteral(types[(mode / 3) % 8], text); break;
    case 2: CheckFilterLiteral(types[(mode / 3) % 8], text); break;
  }
  return 0;
}
