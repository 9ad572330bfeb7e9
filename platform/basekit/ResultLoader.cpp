#include "basekit/ResultLoader.h"

#include <sqlite3.h>

#include <bit>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "basekit/PipelinedReader.h"
#include "basekit/SqliteDatabase.h"
#include "basekit/StoredAmount.h"
#include "datakit/ClientDataSet.h"
#include "datakit/DateText.h"
#include "rtl/Exception.h"
#include "rtl/StringUtils.h"

namespace stock {

namespace {

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

// The text between the first "(" and the next "," or ")" as a number, 0 when none.
int DeclaredSize(const std::string& upper) {
  size_t open = upper.find('(');
  if (open == std::string::npos) return 0;
  return std::atoi(upper.c_str() + open + 1);
}

std::vector<std::string> ColumnNames(sqlite3_stmt* stmt) {
  int count = sqlite3_column_count(stmt);
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    const char* raw = sqlite3_column_name(stmt, i);
    std::string base = raw != nullptr && *raw != '\0' ? raw : "COLUNA" + std::to_string(i + 1);
    // Two columns of one name (E.CODIGOEMPRESA, F.CODIGOEMPRESA): the later ones get _1, _2...
    std::string name = base;
    for (int suffix = 1;; ++suffix) {
      bool taken = false;
      for (const std::string& other : names) taken = taken || SameText(other, name);
      if (!taken) break;
      name = base + "_" + std::to_string(suffix);
    }
    names.push_back(name);
  }
  return names;
}

[[noreturn]] void BadDate(const TFieldDef& def, std::string_view text) {
  throw EConvertError("Valor '" + std::string(text) + "' da coluna " + def.Name +
                      " não é uma data válida");
}

}  // namespace

TFieldType FieldTypeFromDeclared(const char* declared, int* size) {
  if (size != nullptr) *size = 0;
  if (declared == nullptr) return ftUnknown;
  std::string upper;
  for (const char* p = declared; *p != '\0'; ++p) {
    upper += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  }
  if (Contains(upper, "DATETIME") || Contains(upper, "TIMESTAMP")) return ftDateTime;
  if (Contains(upper, "DATE")) return ftDate;
  if (Contains(upper, "BOOL")) return ftBoolean;
  if (Contains(upper, "SMALLINT")) return ftSmallint;
  if (Contains(upper, "BIGINT")) return ftLargeint;
  if (Contains(upper, "INT")) return ftInteger;
  if (Contains(upper, "CHAR") || Contains(upper, "TEXT") || Contains(upper, "CLOB")) {
    if (size != nullptr) *size = DeclaredSize(upper);
    return ftString;
  }
  if (Contains(upper, "REAL") || Contains(upper, "FLOA") || Contains(upper, "DOUB") ||
      Contains(upper, "NUMERIC") || Contains(upper, "DECIMAL")) {
    return ftFloat;
  }
  return ftUnknown;
}

namespace {

// A value of result column `column` that no stored amount of the column can be.
struct DamagedValue {
  int column;
  double value;
};

// Stores rows kept in a RowBatch in the dataset, column by column: dates from their ISO text.
class RowAppender {
 public:
  RowAppender(TnClientDataSet& dataset, std::vector<TFieldDef> defs, std::vector<double> limits,
              std::vector<uint8_t> computed)
      : dataset_(dataset),
        defs_(std::move(defs)),
        limits_(std::move(limits)),
        computed_(std::move(computed)) {
    text_is_date_.reserve(defs_.size());
    for (const TFieldDef& def : defs_) text_is_date_.push_back(IsDateFieldType(def.DataType));
  }

  void Append(const RowBatch& batch) {
    const size_t columns = defs_.size();
    size_t value = 0, at = 0;
    for (size_t row = 0; row < batch.rows; ++row) {
      for (size_t column = 0; column < columns; ++column, ++value) {
        const int64_t number = batch.numbers[value];
        switch (batch.kinds[value]) {
          case SQLITE_NULL: dataset_.AppendNull(); break;
          case SQLITE_INTEGER:
            Check(column, static_cast<double>(number));
            dataset_.AppendInteger(number);
            break;
          case SQLITE_FLOAT:
            Check(column, std::bit_cast<double>(number));
            dataset_.AppendFloat(std::bit_cast<double>(number));
            break;
          default:
            Text(column, std::string_view(batch.bytes).substr(at, static_cast<size_t>(number)));
            at += static_cast<size_t>(number);
        }
      }
    }
  }

  // Large values of computed columns, to be looked for among the stored amounts.
  const std::vector<DamagedValue>& Suspects() const { return suspects_; }

 private:
  void Check(size_t column, double value) {
    if (IsStoredAmount(value, limits_[column])) return;
    if (!computed_[column] || !std::isfinite(value))
      throw DamagedValue{static_cast<int>(column), value};
    if (suspects_.size() >= kMaxSuspects) return;
    for (const DamagedValue& s : suspects_) {
      if (s.value == value) return;
    }
    suspects_.push_back({static_cast<int>(column), value});
  }

  void Text(size_t column, std::string_view view) {
    if (!text_is_date_[column]) {
      dataset_.AppendText(view);
      return;
    }
    TDateTime value;
    if (TryParseIsoDateTime(view, value)) {
      dataset_.AppendDateTime(value);
    } else if (view.find_first_not_of(' ') == std::string_view::npos) {
      dataset_.AppendNull();  // an empty text is no date
    } else {
      BadDate(defs_[column], view);
    }
  }

  TnClientDataSet& dataset_;
  std::vector<TFieldDef> defs_;
  static constexpr size_t kMaxSuspects = 8;
  std::vector<double> limits_;     // per column: the magnitude its values stay below
  std::vector<uint8_t> computed_;  // per column: an expression, without a declared type
  std::vector<DamagedValue> suspects_;
  std::vector<uint8_t> text_is_date_;
};

// Rows read on the caller's thread before a reading thread is worth starting.
constexpr size_t kRowsBeforePipeline = 4096;

}  // namespace

void LoadResult(SqliteStatement& statement, TnClientDataSet& dataset, int max_rows) {
  sqlite3_stmt* stmt = statement.get();
  const int count = sqlite3_column_count(stmt);
  std::vector<std::string> names = ColumnNames(stmt);
  std::vector<TFieldDef> defs(static_cast<size_t>(count));
  std::vector<double> limits(static_cast<size_t>(count));
  std::vector<uint8_t> computed(static_cast<size_t>(count));
  double smallest = -1;  // of the database's amount columns, found when a column is computed
  for (int i = 0; i < count; ++i) {
    TFieldDef& def = defs[static_cast<size_t>(i)];
    def.Name = names[static_cast<size_t>(i)];
    def.DataType = FieldTypeFromDeclared(sqlite3_column_decltype(stmt, i), &def.Size);
    limits[static_cast<size_t>(i)] = AmountLimit(sqlite3_column_decltype(stmt, i));
    if (sqlite3_column_decltype(stmt, i) == nullptr) {
      if (smallest < 0) smallest = SmallestAmountLimit(sqlite3_db_handle(stmt));
      limits[static_cast<size_t>(i)] = smallest;
      computed[static_cast<size_t>(i)] = 1;
    }
  }
  const uint64_t limit = max_rows < 0 ? UINT64_MAX : static_cast<uint64_t>(max_rows);

  dataset.BeginBulkLoad(defs, 0);
  RowAppender out(dataset, std::move(defs), std::move(limits), std::move(computed));
  try {
    // A small result is read here; a large one goes on with SQLite stepping on a thread of its
    // own while this one stores the rows.
    RowBatch first;
    bool more = true;
    while (first.rows < kRowsBeforePipeline && (more = first.rows < limit && statement.Step())) {
      first.Add(stmt, count);
    }
    out.Append(first);
    if (more && first.rows < limit) {
      PipelinedReader reader(statement, limit - first.rows);
      while (const RowBatch* batch = reader.Next()) out.Append(*batch);
    }
  } catch (const DamagedValue& damaged) {
    // The reading thread has ended: the connection is free to look up the row.
    ThrowDamagedAmount(stmt, damaged.column, damaged.value);
  }
  for (const DamagedValue& suspect : out.Suspects())
    CheckComputedAmount(stmt, suspect.column, suspect.value);
  dataset.EndBulkLoad();
}

Variant ColumnVariant(SqliteStatement& statement, int column) {
  sqlite3_stmt* stmt = statement.get();
  switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL: return Variant();
    case SQLITE_INTEGER: return Variant(static_cast<int64_t>(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT: {
      const double value = sqlite3_column_double(stmt, column);
      if (sqlite3_column_decltype(stmt, column) == nullptr) {
        if (!std::isfinite(value)) ThrowDamagedAmount(stmt, column, value);
      } else if (!IsStoredAmount(value, AmountLimit(sqlite3_column_decltype(stmt, column)))) {
        ThrowDamagedAmount(stmt, column, value);
      }
      return Variant(value);
    }
    default: break;
  }
  const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
  std::string value(text, static_cast<size_t>(sqlite3_column_bytes(stmt, column)));
  TFieldType type = FieldTypeFromDeclared(sqlite3_column_decltype(stmt, column));
  if (type == ftDate || type == ftDateTime) {
    TDateTime date;
    if (TryParseIsoDateTime(value, date)) return Variant::FromDate(date);
  }
  return Variant(std::move(value));
}

}  // namespace stock
