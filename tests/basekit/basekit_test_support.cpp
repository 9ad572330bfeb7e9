#include "basekit_test_support.h"

#include <stdlib.h>

#include <filesystem>

TempDatabase::TempDatabase(const std::string& script) {
  std::string pattern = (std::filesystem::temp_directory_path() / "basekit-XXXXXX").string();
  dir_ = mkdtemp(pattern.data());
  path_ = dir_ + "/test.db";
  auto conexao = std::make_unique<TnConexao>(path_, TnModoAbertura::Criar);
  if (!script.empty()) conexao->ExecutarScript(script);
  SetConexaoPadrao(std::move(conexao));
}

TempDatabase::~TempDatabase() {
  SetConexaoPadrao(nullptr);
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

const char* const kSampleSchema = R"(
CREATE TABLE EMPRESA (
  CODIGOEMPRESA INTEGER PRIMARY KEY,
  NOMEEMPRESA VARCHAR(60) NOT NULL,
  DATAINICIO DATE,
  ALTERADO TIMESTAMP,
  CAPITAL NUMERIC(15,2),
  FATOR REAL
);
INSERT INTO EMPRESA VALUES (1, 'Alfa', '2024-01-31', '2024-02-01 10:30:00', 1000.5, 0.25);
INSERT INTO EMPRESA VALUES (2, 'Beta', NULL, NULL, NULL, NULL);
INSERT INTO EMPRESA VALUES (3, 'Gama d''Oeste', '1999-12-31', NULL, 7, 2);
INSERT INTO EMPRESA VALUES (4, 'Delta', '2024-03-01', NULL, 0, 1);
INSERT INTO EMPRESA VALUES (5, 'Épsilon', '2024-03-15', NULL, 0, 1);
INSERT INTO EMPRESA VALUES (6, 'Zeta', NULL, NULL, 0, 1);
INSERT INTO EMPRESA VALUES (7, 'Eta', NULL, NULL, 0, 1);
INSERT INTO EMPRESA VALUES (8, 'Teta', NULL, NULL, 0, 1);
INSERT INTO EMPRESA VALUES (9, 'Iota', NULL, NULL, 0, 1);
INSERT INTO EMPRESA VALUES (10, 'Capa', NULL, NULL, 0, 1);
CREATE TABLE ESTAB (
  CODIGOEMPRESA INTEGER NOT NULL,
  CODIGOESTAB INTEGER NOT NULL,
  APELIDOESTAB VARCHAR(40),
  DATAINICIOATIV DATE,
  DATAENCERATIV DATE,
  PRIMARY KEY (CODIGOEMPRESA, CODIGOESTAB)
);
INSERT INTO ESTAB VALUES (1, 1, 'Matriz', '2000-01-01', '2099-12-31');
INSERT INTO ESTAB VALUES (1, 2, 'Filial', '2020-01-01', '2023-06-30');
INSERT INTO ESTAB VALUES (3, 1, 'Única', '2010-05-01', '2099-12-31');
)";
