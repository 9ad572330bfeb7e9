#include "bookkit/BookTestDb.h"

#include <stdlib.h>

#include <filesystem>

#include "basekit/Conexao.h"
#include "basekit/ExecutarSQL.h"
#include "datakit/DateText.h"
#include "demo/SuiteSchema.h"

BookTestDb::BookTestDb() {
  std::string pattern = (std::filesystem::temp_directory_path() / "bookkit-XXXXXX").string();
  dir_ = mkdtemp(pattern.data());
  path_ = dir_ + "/livros.db";
  auto conexao = std::make_unique<TnConexao>(path_, TnModoAbertura::Criar);
  // A scratch file: no need to wait for the disk at every commit.
  conexao->ExecutarScript("pragma synchronous = off");
  conexao->ExecutarScript("begin;\n" + std::string(stock::SuiteSchemaSql()) + ";\ncommit;");
  SetConexaoPadrao(std::move(conexao));
}

BookTestDb::~BookTestDb() {
  SetConexaoPadrao(nullptr);
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

void BookTestDb::Exec(const std::string& sql) { ConexaoPadrao().ExecutarScript(sql); }

long BookTestDb::Count(const std::string& sql) {
  SQLDataSetPtr ds(ExecutarSQL(sql, Variant(), true, false, -1, "", nullptr, true));
  return static_cast<long>(ds->Fields(0)->AsInteger());
}

std::unique_ptr<TnDMControleLivro> ControleDe(TDateTime inicio, TDateTime fim, TnConexao* conexao) {
  auto controle = std::make_unique<TnDMControleLivro>(conexao);
  controle->SetTipoLivro(11);
  controle->SetCodigoEmpresa(1);
  controle->SetCodigoEstab(1);
  controle->SetDataInicial(inicio);
  controle->SetDataFinal(fim);
  return controle;
}

std::string Iso(TDateTime data) { return stock::FormatIsoDateTime(data, false); }
