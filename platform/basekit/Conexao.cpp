#include "basekit/Conexao.h"

#include "basekit/PgDatabase.h"
#include "basekit/SqliteDatabase.h"
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
  if (stock::EhServidorPostgreSQL(arquivo)) {
    handle_ = stock::AbrirPostgreSQL(arquivo, modo == TnModoAbertura::SomenteLeitura);
    return;
  }
  int flags = SQLITE_OPEN_NOMUTEX;
  switch (modo) {
    case TnModoAbertura::SomenteLeitura: flags |= SQLITE_OPEN_READONLY; break;
    case TnModoAbertura::LeituraEscrita: flags |= SQLITE_OPEN_READWRITE; break;
    case TnModoAbertura::Criar: flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE; break;
  }
  handle_ = std::make_shared<stock::SqliteDatabase>(arquivo, flags);
}

TnConexao::~TnConexao() = default;

std::shared_ptr<stock::SqlStatement> TnConexao::Preparar(const std::string& sql) {
  auto found = cache_.find(sql);
  if (found != cache_.end() && !found->second->busy()) return found->second;
  std::shared_ptr<stock::SqlStatement> statement = handle_->Prepare(sql);
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
  return statement->Changes();
}

void TnConexao::ExecutarScript(const std::string& sql) { handle_->ExecuteScript(sql); }

void TnConexao::IniciarTransacao() { handle_->Begin(); }
void TnConexao::IniciarTransacaoEscrita() { handle_->BeginWrite(); }
void TnConexao::Confirmar() { handle_->Commit(); }
void TnConexao::Desfazer() { handle_->Rollback(); }
bool TnConexao::EmTransacao() const { return handle_->InTransaction(); }

const std::string& TnConexao::GetDescricao() const { return handle_->Description(); }
bool TnConexao::GetServidor() const { return stock::EhServidorPostgreSQL(arquivo_); }

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
