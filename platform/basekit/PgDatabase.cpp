#include "basekit/PgDatabase.h"

#include <libpq-fe.h>

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <optional>
#include <vector>

#include "basekit/SqlParameters.h"
#include "basekit/SqlStatement.h"
#include "datakit/ClientDataSet.h"
#include "datakit/DateText.h"
#include "rtl/Exception.h"

namespace stock {

namespace {

// Server type oids (pg_type) that the loader tells apart.
enum : Oid {
  kBool = 16,
  kInt8 = 20,
  kInt2 = 21,
  kInt4 = 23,
  kOid = 26,
  kFloat4 = 700,
  kFloat8 = 701,
  kBpchar = 1042,
  kVarchar = 1043,
  kDate = 1082,
  kTimestamp = 1114,
  kTimestampTz = 1184,
  kNumeric = 1700,
};

// How the loader reads a column's texts.
enum class Reading { Integer, Decimal, Date, Boolean, Text };

// An advisory lock that stands for the database's write lock (BeginWrite).
constexpr const char* kWriteLockSql =
    "SET LOCAL lock_timeout = '5s'; SELECT pg_advisory_xact_lock(7310593858020254331)";

// Rows read past when a run is reset before its end; more than that and the server is asked
// to cancel the rest.
constexpr int kDrainBeforeCancel = 256;

struct PgResultDeleter {
  void operator()(PGresult* result) const { PQclear(result); }
};
using PgResult = std::unique_ptr<PGresult, PgResultDeleter>;

std::string Trimmed(const char* text) {
  std::string out = text != nullptr ? text : "";
  while (!out.empty() && std::isspace(static_cast<unsigned char>(out.back()))) out.pop_back();
  return out;
}

TFieldType FieldType(Oid type, int modifier, int* size) {
  *size = 0;
  switch (type) {
    case kInt2: return ftSmallint;
    case kInt4:
    case kOid: return ftInteger;
    case kInt8: return ftLargeint;
    case kFloat4:
    case kFloat8:
    case kNumeric: return ftFloat;
    case kDate: return ftDate;
    case kTimestamp:
    case kTimestampTz: return ftDateTime;
    case kBool: return ftBoolean;
    case kBpchar:
    case kVarchar: *size = modifier > 4 ? modifier - 4 : 0; return ftString;
    default: return ftString;
  }
}

Reading ReadingOf(TFieldType type) {
  if (IsIntegerFieldType(type)) return Reading::Integer;
  if (IsFloatFieldType(type)) return Reading::Decimal;
  if (IsDateFieldType(type)) return Reading::Date;
  if (type == ftBoolean) return Reading::Boolean;
  return Reading::Text;
}

class PgDatabase;

class PgStatement : public SqlStatement {
 public:
  PgStatement(std::shared_ptr<PgDatabase> database, const std::string& sql);
  ~PgStatement() override;

  bool Step() override;
  void Reset() override;
  int ColumnCount() override { return static_cast<int>(columns_.size()); }
  Variant ColumnValue(int column) override;
  void Load(TnClientDataSet& dataset, int max_rows) override;
  int64_t Changes() override { return changes_; }

 protected:
  void BindValues(const std::vector<Variant>& values) override;

 private:
  struct ColumnInfo {
    TFieldDef def;
    Reading reading;
  };
  PgDatabase& db() const;
  [[noreturn]] void FailWithServer(const std::string& what) const;
  void Drain();

  std::string name_;
  std::vector<ColumnInfo> columns_;
  std::vector<std::optional<std::string>> values_;
  PgResult row_;  // the current row (single-row mode)
  bool running_ = false;
  int64_t changes_ = 0;
};

class PgDatabase : public Database {
 public:
  PgDatabase(PGconn* conn, std::string description)
      : conn_(conn), description_(std::move(description)) {}
  ~PgDatabase() override { PQfinish(conn_); }

  std::shared_ptr<SqlStatement> Prepare(const std::string& sql) override {
    return std::make_shared<PgStatement>(std::static_pointer_cast<PgDatabase>(shared_from_this()),
                                         sql);
  }

  void ExecuteScript(const std::string& sql) override {
    FinishRunning();
    PgResult result(PQexec(conn_, sql.c_str()));
    ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
      throw Exception(SqlErrorMessage(ServerMessage(), sql));
    }
  }

  void Begin() override { ExecuteScript("BEGIN"); }
  void BeginWrite() override {
    ExecuteScript("BEGIN");
    try {
      ExecuteScript(kWriteLockSql);
    } catch (...) {
      PgResult(PQexec(conn_, "ROLLBACK"));
      throw;
    }
  }
  void Commit() override { ExecuteScript("COMMIT"); }
  void Rollback() override { ExecuteScript("ROLLBACK"); }
  bool InTransaction() const override {
    PGTransactionStatusType status = PQtransactionStatus(conn_);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
  }
  const std::string& Description() const override { return description_; }

  PGconn* conn() const { return conn_; }

  // "<server>: <libpq's message>", the message trimmed.
  std::string ServerMessage() const {
    std::string message = Trimmed(PQerrorMessage(conn_));
    if (PQstatus(conn_) == CONNECTION_BAD) {
      message = "a conexão com o servidor foi perdida (" + message + ")";
    }
    return description_ + ": " + message;
  }

  // The statement reading rows on this connection, if any: libpq runs one at a time, so it is
  // finished before another one starts.
  PgStatement* running = nullptr;
  void FinishRunning() {
    if (running != nullptr) running->Reset();
  }
  uint64_t next_name = 0;

 private:
  PGconn* conn_;
  std::string description_;
};

PgStatement::PgStatement(std::shared_ptr<PgDatabase> database, const std::string& sql)
    : SqlStatement(database, sql, ParseNamedParameters(sql, '$').names) {
  PgDatabase& pg = db();
  pg.FinishRunning();
  name_ = "stock_" + std::to_string(++pg.next_name);
  const std::string positional = ParseNamedParameters(sql, '$').positional;
  ++pg.prepare_count;
  PgResult prepared(PQprepare(pg.conn(), name_.c_str(), positional.c_str(), 0, nullptr));
  if (PQresultStatus(prepared.get()) != PGRES_COMMAND_OK) {
    name_.clear();
    FailWithServer(pg.ServerMessage());
  }
  PgResult described(PQdescribePrepared(pg.conn(), name_.c_str()));
  if (PQresultStatus(described.get()) != PGRES_COMMAND_OK) FailWithServer(pg.ServerMessage());
  // "$1" written in the SQL would add a parameter that no name stands for.
  if (PQnparams(described.get()) != static_cast<int>(parameter_names().size())) {
    Fail("use apenas parâmetros na forma :nome");
  }
  const int count = PQnfields(described.get());
  for (int i = 0; i < count; ++i) {
    ColumnInfo info;
    const char* name = PQfname(described.get(), i);
    for (const char* p = name; p != nullptr && *p != '\0'; ++p) {
      info.def.Name += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    }
    if (info.def.Name == "?COLUMN?") info.def.Name.clear();  // named by the dataset
    info.def.DataType =
        FieldType(PQftype(described.get(), i), PQfmod(described.get(), i), &info.def.Size);
    info.reading = ReadingOf(info.def.DataType);
    columns_.push_back(std::move(info));
  }
}

PgStatement::~PgStatement() {
  PgDatabase& pg = db();
  if (pg.running == this) {
    try {
      Reset();
    } catch (...) {
    }
  }
  if (!name_.empty() && PQstatus(pg.conn()) == CONNECTION_OK &&
      PQtransactionStatus(pg.conn()) != PQTRANS_INERROR) {
    PgResult(PQexec(pg.conn(), ("DEALLOCATE " + name_).c_str()));
  }
}

PgDatabase& PgStatement::db() const { return static_cast<PgDatabase&>(*database_); }

void PgStatement::FailWithServer(const std::string& what) const { Fail(what); }

void PgStatement::BindValues(const std::vector<Variant>& values) {
  values_.clear();
  for (const Variant& value : values) {
    switch (value.kind()) {
      case Variant::Kind::Null: values_.emplace_back(); break;
      case Variant::Kind::Integer: values_.emplace_back(std::to_string(value.AsInteger())); break;
      case Variant::Kind::Float: {
        char buf[32];
        auto r = std::to_chars(buf, buf + sizeof buf, value.AsFloat());
        values_.emplace_back(std::string(buf, r.ptr));
        break;
      }
      case Variant::Kind::Boolean: values_.emplace_back(value.AsBoolean() ? "1" : "0"); break;
      case Variant::Kind::Text: values_.emplace_back(value.AsString()); break;
      case Variant::Kind::DateTime:
        values_.emplace_back(DateParameterText(value.AsDateTime()));
        break;
      case Variant::Kind::Array: values_.emplace_back(); break;  // refused by Bind
    }
  }
}

bool PgStatement::Step() {
  PgDatabase& pg = db();
  if (!running_) {
    if (pg.running != nullptr && pg.running != this) pg.FinishRunning();
    std::vector<const char*> pointers;
    for (const auto& value : values_) pointers.push_back(value ? value->c_str() : nullptr);
    changes_ = 0;
    if (PQsendQueryPrepared(pg.conn(), name_.c_str(), static_cast<int>(pointers.size()),
                            pointers.data(), nullptr, nullptr, 0) == 0) {
      FailWithServer(pg.ServerMessage());
    }
    PQsetSingleRowMode(pg.conn());
    running_ = true;
    busy_ = true;
    pg.running = this;
  }
  row_.reset(PQgetResult(pg.conn()));
  ExecStatusType status = row_ ? PQresultStatus(row_.get()) : PGRES_FATAL_ERROR;
  if (status == PGRES_SINGLE_TUPLE) return true;
  std::string error;
  if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK) {
    const char* changed = PQcmdTuples(row_.get());
    changes_ = changed != nullptr && *changed != '\0' ? std::atoll(changed) : 0;
  } else {
    error = pg.ServerMessage();
  }
  row_.reset();
  Drain();
  if (!error.empty()) FailWithServer(error);
  return false;
}

void PgStatement::Drain() {
  PgDatabase& pg = db();
  if (!running_) return;
  int read = 0;
  bool cancelled = false;
  while (PGresult* rest = PQgetResult(pg.conn())) {
    PQclear(rest);
    if (++read == kDrainBeforeCancel && !cancelled) {
      cancelled = true;
      if (PGcancel* cancel = PQgetCancel(pg.conn())) {
        char message[256];
        PQcancel(cancel, message, sizeof message);
        PQfreeCancel(cancel);
      }
    }
  }
  running_ = false;
  busy_ = false;
  if (pg.running == this) pg.running = nullptr;
}

void PgStatement::Reset() {
  row_.reset();
  Drain();
}

namespace {

// A numeric text of the server that is no amount ("NaN", "Infinity", "-Infinity").
bool IsSpecialNumber(std::string_view text) {
  if (text.empty()) return false;
  return text[0] == 'N' || text[0] == 'I' || (text[0] == '-' && text.size() > 1 && text[1] == 'I');
}

[[noreturn]] void ThrowSpecialNumber(const std::string& column, std::string_view text) {
  throw Exception("Valor danificado na coluna " + column + " da consulta: " + std::string(text) +
                  " não é um valor");
}

}  // namespace

Variant PgStatement::ColumnValue(int column) {
  if (!row_ || PQgetisnull(row_.get(), 0, column)) return Variant();
  const char* text = PQgetvalue(row_.get(), 0, column);
  const ColumnInfo& info = columns_[static_cast<size_t>(column)];
  switch (info.reading) {
    case Reading::Integer: return Variant(static_cast<int64_t>(std::atoll(text)));
    case Reading::Decimal: {
      if (IsSpecialNumber(text)) ThrowSpecialNumber(info.def.Name, text);
      double value = 0;
      std::from_chars(text, text + std::char_traits<char>::length(text), value);
      return Variant(value);
    }
    case Reading::Date: {
      TDateTime date;
      if (TryParseIsoDateTime(text, date)) return Variant::FromDate(date);
      return Variant(std::string(text));
    }
    case Reading::Boolean: return Variant(text[0] == 't');
    case Reading::Text: break;
  }
  return Variant(std::string(text, static_cast<size_t>(PQgetlength(row_.get(), 0, column))));
}

void PgStatement::Load(TnClientDataSet& dataset, int max_rows) {
  std::vector<TFieldDef> defs;
  for (const ColumnInfo& info : columns_) defs.push_back(info.def);
  const int count = static_cast<int>(columns_.size());
  const uint64_t limit = max_rows < 0 ? UINT64_MAX : static_cast<uint64_t>(max_rows);
  dataset.BeginBulkLoad(defs, 0);
  for (uint64_t row = 0; row < limit && Step(); ++row) {
    PGresult* result = row_.get();
    for (int i = 0; i < count; ++i) {
      if (PQgetisnull(result, 0, i)) {
        dataset.AppendNull();
        continue;
      }
      const char* text = PQgetvalue(result, 0, i);
      const std::string_view view(text, static_cast<size_t>(PQgetlength(result, 0, i)));
      switch (columns_[static_cast<size_t>(i)].reading) {
        case Reading::Integer: {
          int64_t value = 0;
          std::from_chars(view.data(), view.data() + view.size(), value);
          dataset.AppendInteger(value);
          break;
        }
        case Reading::Date: {
          TDateTime value;
          if (!TryParseIsoDateTime(view, value)) {
            throw EConvertError("Valor '" + std::string(view) + "' da coluna " +
                                columns_[static_cast<size_t>(i)].def.Name +
                                " não é uma data válida");
          }
          dataset.AppendDateTime(value);
          break;
        }
        case Reading::Boolean: dataset.AppendInteger(view == "t" ? 1 : 0); break;
        case Reading::Decimal:  // the exact decimal text: the dataset converts it
          if (IsSpecialNumber(view)) {
            ThrowSpecialNumber(columns_[static_cast<size_t>(i)].def.Name, view);
          }
          dataset.AppendText(view);
          break;
        case Reading::Text: dataset.AppendText(view); break;
      }
    }
  }
  Reset();
  dataset.EndBulkLoad();
}

// The value of a connection option in libpq's parsed form, "" when absent.
std::string Option(PQconninfoOption* options, const char* keyword) {
  for (PQconninfoOption* o = options; o != nullptr && o->keyword != nullptr; ++o) {
    if (std::string(o->keyword) == keyword && o->val != nullptr) return o->val;
  }
  return "";
}

}  // namespace

bool EhServidorPostgreSQL(const std::string& target) {
  if (target.rfind("postgresql://", 0) == 0 || target.rfind("postgres://", 0) == 0) return true;
  size_t i = 0;
  while (i < target.size() && std::isspace(static_cast<unsigned char>(target[i]))) ++i;
  const size_t start = i;
  while (i < target.size() &&
         (std::isalnum(static_cast<unsigned char>(target[i])) || target[i] == '_'))
    ++i;
  if (i == start) return false;
  while (i < target.size() && target[i] == ' ') ++i;
  return i < target.size() && target[i] == '=';
}

std::shared_ptr<Database> AbrirPostgreSQL(const std::string& target, bool read_only) {
  char* parse_error = nullptr;
  PQconninfoOption* options = PQconninfoParse(target.c_str(), &parse_error);
  if (options == nullptr) {
    std::string message = Trimmed(parse_error);
    PQfreemem(parse_error);
    throw Exception("Endereço de servidor PostgreSQL inválido em --db: " + message);
  }
  const bool has_password = !Option(options, "password").empty();
  PQconninfoFree(options);
  if (has_password) {
    throw Exception(
        "A senha do servidor PostgreSQL não pode ser informada em --db; use "
        "PGPASSWORD, ~/.pgpass ou um arquivo de serviço (PGSERVICEFILE).");
  }

  // Defaults first: what the target says overrides them.
  const char* keywords[] = {"connect_timeout", "client_encoding", "application_name", "dbname",
                            nullptr};
  const char* values[] = {"10", "UTF8", "stockreports", target.c_str(), nullptr};
  PGconn* conn = PQconnectdbParams(keywords, values, 1);
  if (conn == nullptr) throw Exception("Sem memória para conectar ao servidor PostgreSQL");
  auto text = [](const char* value) { return std::string(value != nullptr ? value : ""); };
  std::string host = text(PQhost(conn));
  if (host.empty() || host[0] == '/') host = host.empty() ? "localhost" : host;
  const std::string description =
      "servidor PostgreSQL " + host + ":" + text(PQport(conn)) + "/" + text(PQdb(conn));
  if (PQstatus(conn) != CONNECTION_OK) {
    std::string message = Trimmed(PQerrorMessage(conn));
    PQfinish(conn);
    throw Exception("Não foi possível conectar ao " + description + ": " + message);
  }
  auto database = std::make_shared<PgDatabase>(conn, description);
  // Dates and times in ISO form whatever the server's settings; a read-only session when asked.
  database->ExecuteScript(std::string("SET DateStyle = ISO, YMD; SET TimeZone = 'UTC'") +
                          (read_only ? "; SET default_transaction_read_only = on" : ""));
  return database;
}

}  // namespace stock
