#pragma once
// TnConexao: a connection to the suite's database (an SQLite file or a PostgreSQL server), and
// the process-wide default connection that every data service uses when it is given none.
//
// Statements run through a connection are prepared once per SQL text and kept in a small cache,
// so the same query run again is not parsed again. SQL given to a connection should stay
// portable: ":name" parameters, "||" for concatenation, dates as ISO texts 'yyyy-mm-dd'.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "rtl/TObject.h"
#include "rtl/Variant.h"

namespace stock {
class Database;
class SqlStatement;
}  // namespace stock

enum class TnModoAbertura {
  SomenteLeitura,  // the file must exist; nothing can be written
  LeituraEscrita,  // the file must exist
  Criar,           // read-write; an empty database is created when the file does not exist
};

class TnConexao : public TObject {
 public:
  // Opens the database file `arquivo`, or connects to the PostgreSQL server it names: a
  // "postgresql://" (or "postgres://") URI or libpq's keyword form ("host=... dbname=...").
  // The server's password comes only from libpq's own sources (PGPASSWORD, ~/.pgpass, a
  // service file): a target that carries one is refused. On a server `modo` only decides
  // whether the session is read-only (Criar is LeituraEscrita). Raises Exception naming the
  // file, or the server and database (never a password), when it cannot be opened or reached.
  TnConexao(const std::string& arquivo, TnModoAbertura modo);
  ~TnConexao() override;
  TnConexao(const TnConexao&) = delete;
  TnConexao& operator=(const TnConexao&) = delete;

  const std::string& GetArquivo() const { return arquivo_; }
  bool GetSomenteLeitura() const { return modo_ == TnModoAbertura::SomenteLeitura; }
  // True on a PostgreSQL server.
  bool GetServidor() const;
  // The database as messages name it: the file, or "servidor PostgreSQL host:porta/banco".
  const std::string& GetDescricao() const;

  // Runs one statement that returns no rows (insert, update, delete, DDL), with its ":name"
  // parameters bound as ExecutarSQL binds them. Returns the number of rows changed. Raises
  // Exception with the database's message and the SQL.
  int64_t ExecutarComando(const std::string& sql, const Variant& params = Variant());

  // Runs a script of several statements separated by ";" without parameters (schemas, test
  // data). Raises Exception with the database's message and the script.
  void ExecutarScript(const std::string& sql);

  // Transactions; nesting is not supported (see TnTransacao for the scoped form).
  void IniciarTransacao();
  // Begins a transaction that takes the write lock at once: a second writer waits here (up to
  // the busy timeout) instead of failing later at its first write.
  void IniciarTransacaoEscrita();
  void Confirmar();
  void Desfazer();
  bool EmTransacao() const;

  // How many statements this connection has prepared (cache hits do not count).
  uint64_t GetPreparacoes() const;

  // For the data services: the prepared statement for `sql`, from the cache when one is there
  // and not in use. The statement keeps the database open while it lives.
  std::shared_ptr<stock::SqlStatement> Preparar(const std::string& sql);

 private:
  std::string arquivo_;
  TnModoAbertura modo_;
  std::shared_ptr<stock::Database> handle_;
  std::unordered_map<std::string, std::shared_ptr<stock::SqlStatement>> cache_;
};

// Sets the connection that services use when given none; the previous one is closed (its
// datasets keep working). nullptr leaves no default connection.
void SetConexaoPadrao(std::unique_ptr<TnConexao> conexao);

// The default connection. Raises Exception "Nenhuma conexão com o banco de dados" when the
// host has set none.
TnConexao& ConexaoPadrao();

// The default connection or nullptr.
TnConexao* TryConexaoPadrao();

// `conexao` when given, else the default connection (raising as ConexaoPadrao does).
TnConexao& ConexaoOuPadrao(TnConexao* conexao);
