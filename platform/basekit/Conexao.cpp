#include "basekit/Conexao.h"

#include <sqlite3.h>

#include "basekit/SqlStatement.h"
#include "rtl/Exception.h"

namespace {

constexpr size_t kCacheLimit = 64;

std::unique_ptr<TnConexao>& DefaultConnection() {
  static std::unique_ptr<TnConexao> connection;
  return connection;
}

}  // namespace

TnConexao::TnConexao(const std::string& arquivo, TnModoAbertura modo)
    : arquivo_(arquivo), modo_(modo) {
  int flags = SQLITE_OPEN_NOMUTEX;
  switch (modo) {
    case TnModoAbertura::SomenteLeitura: flags |= SQLITE_OPEN_READONLY; break;
    case TnModoAbertura::LeituraEscrita: flags |= SQLITE_OPEN_READWRITE; break;
    case TnModoAbertura::Criar: flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE; break;
  }
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(arquivo.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close_v2(db);
    throw Exception("Não foi possível abrir o banco de dados '" + arquivo + "': " + message);
  }
  handle_ = std::make_shared<stock::SqliteHandle>(db, arquivo);
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, 5000);
  // The file is only read on first use: read the schema now so that a file that is not a
  // database is reported here, by name.
  char* error = nullptr;
  rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &error);
  if (rc != SQLITE_OK) {
    std::string message = error != nullptr ? error : sqlite3_errstr(rc);
    sqlite3_free(error);
    if ((rc & 0xff) == SQLITE_NOTADB) {
      throw Exception("O arquivo '" + arquivo + "' não é um banco de dados válido");
    }
    throw Exception("Não foi possível abrir o banco de dados '" + arquivo + "': " + message);
  }
}

TnConexao::~TnConexao() = default;

std::shared_ptr<stock::SqlStatement> TnConexao::Preparar(const std::string& sql) {
  auto found = cache_.find(sql);
  if (found != cache_.end() && !found->second->busy()) return found->second;
  auto statement = std::make_shared<stock::SqlStatement>(handle_, sql);
  if (found != cache_.end()) return statement;  // the cached one is being read: use a fresh one
  if (cache_.size() >= kCacheLimit) {
    // Drop what no dataset holds; when everything is held, the new statement is not cached.
    std::erase_if(cache_, [](const auto& entry) { return entry.second.use_count() == 1; });
  }
  if (cache_.size() < kCacheLimit) cache_.emplace(sql, statement);
  return statement;
}

int64_t TnConexao::ExecutarComando(const std::string& sql, const Variant& params) {
  std::shared_ptr<stock::SqlStatement> statement = Preparar(sql);
  stock::StatementRun run(*statement);
  statement->Bind(params);
  while (statement->Step()) {
  }
  return sqlite3_changes64(handle_->db());
}

void TnConexao::ExecutarScript(const std::string& sql) {
  char* error = nullptr;
  int rc = sqlite3_exec(handle_->db(), sql.c_str(), nullptr, nullptr, &error);
  if (rc != SQLITE_OK) {
    std::string message = error != nullptr ? error : sqlite3_errstr(rc);
    sqlite3_free(error);
    throw Exception(stock::SqlErrorMessage(message, sql));
  }
}

void TnConexao::IniciarTransacao() { ExecutarComando("BEGIN"); }
void TnConexao::IniciarTransacaoEscrita() { ExecutarComando("BEGIN IMMEDIATE"); }
void TnConexao::Confirmar() { ExecutarComando("COMMIT"); }
void TnConexao::Desfazer() { ExecutarComando("ROLLBACK"); }
bool TnConexao::EmTransacao() const { return sqlite3_get_autocommit(handle_->db()) == 0; }

uint64_t TnConexao::GetPreparacoes() const { return handle_->prepare_count; }

void SetConexaoPadrao(std::unique_ptr<TnConexao> conexao) {
  DefaultConnection() = std::move(conexao);
}

TnConexao* TryConexaoPadrao() { return DefaultConnection().get(); }

TnConexao& ConexaoPadrao() {
  TnConexao* connection = TryConexaoPadrao();
  if (connection == nullptr) throw Exception("Nenhuma conexão com o banco de dados");
  return *connection;
}

TnConexao& ConexaoOuPadrao(TnConexao* conexao) {
  return conexao != nullptr ? *conexao : ConexaoPadrao();
}
