#include "basekit/ResultLoader.h"

#include <sqlite3.h>

#include <bit>
#include <cctype>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>
#include <cstdlib>
#include <string>
#include <string_view>

#include "datakit/DateText.h"
#include "basekit/SqliteDatabase.h"
#include "datakit/ClientDataSet.h"
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

// Appends the values of one row to the dataset, column by column, as the statement gives them
// or as a RowBatch kept them.
class RowAppender {
 public:
  RowAppender(TnClientDataSet& dataset, std::vector<TFieldDef> defs)
      : dataset_(dataset), defs_(std::move(defs)) {
    text_is_date_.reserve(defs_.size());
    for (const TFieldDef& def : defs_) text_is_date_.push_back(IsDateFieldType(def.DataType));
  }

  void Integer(int64_t value) { dataset_.AppendInteger(value); }
  void Float(double value) { dataset_.AppendFloat(value); }
  void Null() { dataset_.AppendNull(); }
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

  // The current row of `stmt`.
  void Row(sqlite3_stmt* stmt) {
    for (size_t i = 0; i < defs_.size(); ++i) {
      const int column = static_cast<int>(i);
      switch (sqlite3_column_type(stmt, column)) {
        case SQLITE_NULL: Null(); break;
        case SQLITE_INTEGER: Integer(sqlite3_column_int64(stmt, column)); break;
        case SQLITE_FLOAT: Float(sqlite3_column_double(stmt, column)); break;
        default: {
          const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
          Text(i, std::string_view(text, static_cast<size_t>(sqlite3_column_bytes(stmt, column))));
        }
      }
    }
  }

 private:
  TnClientDataSet& dataset_;
  std::vector<TFieldDef> defs_;
  std::vector<uint8_t> text_is_date_;
};

// Rows copied off the statement: per value its SQLite type and its integer, the bits of its
// double or the length of its text, whose bytes follow one another in `bytes`.
struct RowBatch {
  std::vector<uint8_t> kinds;
  std::vector<int64_t> numbers;
  std::string bytes;
  size_t rows = 0;

  void Clear() {
    kinds.clear();
    numbers.clear();
    bytes.clear();
    rows = 0;
  }

  void Add(sqlite3_stmt* stmt, int columns) {
    for (int i = 0; i < columns; ++i) {
      const int kind = sqlite3_column_type(stmt, i);
      kinds.push_back(static_cast<uint8_t>(kind));
      switch (kind) {
        case SQLITE_NULL: numbers.push_back(0); break;
        case SQLITE_INTEGER: numbers.push_back(sqlite3_column_int64(stmt, i)); break;
        case SQLITE_FLOAT: numbers.push_back(std::bit_cast<int64_t>(sqlite3_column_double(stmt, i))); break;
        default: {
          const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
          const int length = sqlite3_column_bytes(stmt, i);
          numbers.push_back(length);
          bytes.append(text, static_cast<size_t>(length));
        }
      }
    }
    ++rows;
  }

  void AppendTo(RowAppender& out, size_t columns) const {
    size_t value = 0, at = 0;
    for (size_t row = 0; row < rows; ++row) {
      for (size_t column = 0; column < columns; ++column, ++value) {
        const int64_t number = numbers[value];
        switch (kinds[value]) {
          case SQLITE_NULL: out.Null(); break;
          case SQLITE_INTEGER: out.Integer(number); break;
          case SQLITE_FLOAT: out.Float(std::bit_cast<double>(number)); break;
          default:
            out.Text(column, std::string_view(bytes).substr(at, static_cast<size_t>(number)));
            at += static_cast<size_t>(number);
        }
      }
    }
  }
};

// Steps the statement on a thread of its own and hands the rows over in batches, so that
// SQLite finds the next rows while the caller stores the last ones. The statement and its
// connection belong to the reading thread until the reader is destroyed (which stops and joins
// it), so nothing else may use the connection meanwhile. A reading error is raised by Next.
class PipelinedReader {
 public:
  PipelinedReader(SqliteStatement& statement, uint64_t limit)
      : statement_(statement), limit_(limit), columns_(sqlite3_column_count(statement.get())) {
    thread_ = std::thread([this] { Read(); });
  }

  ~PipelinedReader() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  // The next batch of rows, or null after the last. The batch stays the caller's until the
  // next call. Raises what the reading thread raised.
  const RowBatch* Next() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (current_ != nullptr) {
      free_.push_back(std::move(current_));
      changed_.notify_all();
    }
    changed_.wait(lock, [&] { return !ready_.empty() || done_; });
    if (!ready_.empty()) {
      current_ = std::move(ready_.front());
      ready_.pop_front();
      changed_.notify_all();
      return current_.get();
    }
    if (error_) std::rethrow_exception(error_);
    return nullptr;
  }

 private:
  static constexpr size_t kBatchRows = 1024;
  static constexpr size_t kBatches = 4;  // in flight: bounds the memory held aside

  void Read() {
    try {
      uint64_t row = 0;
      bool more = true;
      while (more) {
        std::unique_ptr<RowBatch> batch;
        {
          std::unique_lock<std::mutex> lock(mutex_);
          changed_.wait(lock, [&] { return stopping_ || !free_.empty() || made_ < kBatches; });
          if (stopping_) break;
          if (!free_.empty()) {
            batch = std::move(free_.back());
            free_.pop_back();
          } else {
            batch = std::make_unique<RowBatch>();
            ++made_;
          }
        }
        batch->Clear();
        while (batch->rows < kBatchRows && (more = row < limit_ && statement_.Step())) {
          batch->Add(statement_.get(), columns_);
          ++row;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        if (batch->rows > 0) ready_.push_back(std::move(batch));
        changed_.notify_all();
      }
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex_);
      error_ = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    done_ = true;
    changed_.notify_all();
  }

  SqliteStatement& statement_;
  const uint64_t limit_;
  const int columns_;
  std::unique_ptr<RowBatch> current_;  // the caller's

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<RowBatch>> ready_;  // guarded by mutex_
  std::vector<std::unique_ptr<RowBatch>> free_;  // guarded by mutex_
  size_t made_ = 0;                              // guarded by mutex_
  bool stopping_ = false, done_ = false;         // guarded by mutex_
  std::exception_ptr error_;                     // guarded by mutex_
  std::thread thread_;
};

// Rows read on the caller's thread before a reading thread is worth starting.
constexpr uint64_t kRowsBeforePipeline = 4096;

}  // namespace

void LoadResult(SqliteStatement& statement, TnClientDataSet& dataset, int max_rows) {
  sqlite3_stmt* stmt = statement.get();
  const int count = sqlite3_column_count(stmt);
  std::vector<std::string> names = ColumnNames(stmt);
  std::vector<TFieldDef> defs(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    TFieldDef& def = defs[static_cast<size_t>(i)];
    def.Name = names[static_cast<size_t>(i)];
    def.DataType = FieldTypeFromDeclared(sqlite3_column_decltype(stmt, i), &def.Size);
  }
  const uint64_t limit = max_rows < 0 ? UINT64_MAX : static_cast<uint64_t>(max_rows);

  dataset.BeginBulkLoad(defs, 0);
  RowAppender out(dataset, std::move(defs));
  // A small result is read here; a large one goes on with SQLite stepping on a second core.
  uint64_t row = 0;
  bool more = true;
  while (row < kRowsBeforePipeline && (more = row < limit && statement.Step())) {
    out.Row(stmt);
    ++row;
  }
  if (more && row < limit) {
    if (std::thread::hardware_concurrency() > 1) {
      PipelinedReader reader(statement, limit - row);
      while (const RowBatch* batch = reader.Next()) batch->AppendTo(out, static_cast<size_t>(count));
    } else {
      for (; row < limit && statement.Step(); ++row) out.Row(stmt);
    }
  }
  dataset.EndBulkLoad();
}

Variant ColumnVariant(SqliteStatement& statement, int column) {
  sqlite3_stmt* stmt = statement.get();
  switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL: return Variant();
    case SQLITE_INTEGER: return Variant(static_cast<int64_t>(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT: return Variant(sqlite3_column_double(stmt, column));
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
