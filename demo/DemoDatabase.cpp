#include "demo/DemoDatabase.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "basekit/PgDatabase.h"
#include "demo/DemoCatalog.h"
#include "demo/DemoSql.h"
#include "demo/SuiteSchema.h"
#include "rtl/Exception.h"

namespace {

void CheckRange(const char* what, long long value, long long low, long long high) {
  if (value < low || value > high) {
    throw Exception(std::string("Opção inválida para o banco de demonstração: ") + what + " = " +
                    std::to_string(value) + " (deve estar entre " + std::to_string(low) + " e " +
                    std::to_string(high) + ").");
  }
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// Creates an empty temporary file next to `path` and returns its name. The file gets the
// permissions a newly created file would get (0666 less the umask).
std::string CreateTemporaryFile(const std::string& path) {
  std::string name = path + ".tmp-XXXXXX";
  int fd = ::mkstemp(name.data());
  if (fd < 0) {
    throw Exception("Não foi possível criar o arquivo temporário '" + name +
                    "': " + std::strerror(errno));
  }
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  ::close(fd);
  return name;
}

// Moves `from` to `to`. Without `replace`, fails when `to` exists (checked atomically where
// the system allows it).
void MoveInto(const std::string& from, const std::string& to, bool replace) {
  int rc;
  if (replace) {
    rc = std::rename(from.c_str(), to.c_str());
  } else {
    rc = ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
      // File system without the atomic variant.
      if (Exists(to)) {
        errno = EEXIST;
      } else {
        rc = std::rename(from.c_str(), to.c_str());
      }
    }
  }
  if (rc != 0) {
    int error = errno;
    if (error == EEXIST) {
      throw Exception("O arquivo '" + to + "' já existe; o banco de demonstração não foi gravado.");
    }
    throw Exception("Não foi possível gravar o arquivo '" + to + "': " + std::strerror(error));
  }
}

// The table or view a schema statement creates, "" for an index.
std::string CreatedName(const std::string& statement) {
  for (const char* kind : {"CREATE TABLE ", "CREATE VIEW "}) {
    if (statement.rfind(kind, 0) == 0) {
      size_t start = std::strlen(kind);
      size_t end = statement.find_first_of(" (\n", start);
      return statement.substr(start, end - start);
    }
  }
  return "";
}

void Fill(stock::demo::SqlDb& db, const DemoOptions& options, DemoSummary& summary) {
  if (db.IsServer()) {
    db.Exec("BEGIN");
    // The suite's tables on the server are replaced as a whole, in the same transaction as the
    // new rows: a failure leaves the previous ones.
    std::vector<std::string> names;
    for (const std::string& statement : stock::SuiteSchemaStatements()) {
      std::string name = CreatedName(statement);
      if (!name.empty()) names.push_back(name);
    }
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
      if (!db.HasTable(*it)) continue;
      if (!options.overwrite) {
        throw Exception("O servidor já tem as tabelas do sistema (" + *it +
                        "); use --force para substituí-las. Nada foi gravado.");
      }
      const bool view = (*it)[0] == 'V';
      db.Exec((view ? "DROP VIEW " : "DROP TABLE ") + *it + " CASCADE");
    }
  } else {
    // The file is private until renamed: a crash leaves only the temporary file, so the writes
    // need neither a journal nor synchronous flushes.
    db.Exec(
        "PRAGMA page_size = 8192; PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;"
        "PRAGMA locking_mode = EXCLUSIVE; PRAGMA cache_size = -131072;"
        "PRAGMA temp_store = MEMORY;");
    db.Exec("BEGIN");
  }
  // Secondary indexes are built once the rows are in: sorting them at the end is much faster
  // than growing them row by row.
  std::vector<std::string> indexes;
  for (const std::string& statement : stock::SuiteSchemaStatements()) {
    if (stock::IsCreateIndex(statement))
      indexes.push_back(statement);
    else
      db.Exec(statement);
  }
  stock::demo::DemoPlan plan = stock::demo::WriteMasterData(db, options);
  summary.companies = static_cast<int>(plan.companies.size());
  summary.establishments = static_cast<int>(plan.estabs.size());
  summary.productGroups = plan.productGroups;
  for (const auto& company : plan.companies)
    summary.products += static_cast<int>(company.products.size());
  stock::demo::WriteInventories(db, options, plan, summary);
  for (const std::string& statement : indexes) db.Exec(statement);
  db.Exec("COMMIT");
  // Table statistics: without them the planner joins the ownership portions on a date range
  // instead of their full key, and the listing's query grows with the square of the lines.
  db.Exec("ANALYZE");
}

}  // namespace

DemoSummary CreateDemoDatabase(const std::string& path, const DemoOptions& options) {
  CheckRange("produtos", options.products, 1, 2000000);
  CheckRange("meses", options.months, 1, 240);
  CheckRange("ano", options.year, 1990, 2100);
  if (path.empty()) throw Exception("Informe o arquivo do banco de demonstração.");
  if (stock::EhServidorPostgreSQL(path)) {
    DemoSummary summary;
    stock::demo::SqlDb db(path);
    Fill(db, options, summary);
    db.Close();
    return summary;
  }
  if (!options.overwrite && Exists(path)) {
    throw Exception("O arquivo '" + path + "' já existe; o banco de demonstração não foi gravado.");
  }

  DemoSummary summary;
  std::string temporary = CreateTemporaryFile(path);
  try {
    stock::demo::SqlDb db(temporary);
    Fill(db, options, summary);
    db.Close();
    MoveInto(temporary, path, options.overwrite);
  } catch (...) {
    std::remove(temporary.c_str());
    throw;
  }
  return summary;
}
