// Queries through ExecutarSQL / RefreshSQL / DestruirSQL over a small SQLite database.

#include <gtest/gtest.h>

#include <fstream>

#include "basekit/ExecutarSQL.h"
#include "basekit/SQLDataSet.h"
#include "basekit/SqlParameters.h"
#include "basekit/Transacao.h"
#include "basekit_test_support.h"
#include "datakit/ClientDataSet.h"
#include "datakit/FilterInterval.h"
#include "rtl/Exception.h"

namespace {

// Runs `sql` with the variant form and the arguments the reports pass.
SQLDataSetPtr Query(const std::string& sql, const Variant& params = Variant::FromArray({})) {
  return SQLDataSetPtr(ExecutarSQL(sql, params, true, false, -1, "", nullptr, true));
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(NamedParameters, FoundOutsideQuotesAndComments) {
  struct Case {
    std::string sql;
    std::string positional;
    std::vector<std::string> names;
  };
  const std::vector<Case> cases = {
      {"select :a, :b", "select ?1, ?2", {"a", "b"}},
      {"x = :pData or y = :PDATA and z = :outro",
       "x = ?1 or y = ?1 and z = ?2",
       {"pData", "outro"}},
      {"':naoe' || :sim", "':naoe' || ?1", {"sim"}},
      {"'it''s :x' || :y", "'it''s :x' || ?1", {"y"}},
      {"\"col:x\" -- :c\n/* :d */ :e", "\"col:x\" -- :c\n/* :d */ ?1", {"e"}},
      {"a::integer, :_p1", "a::integer, ?1", {"_p1"}},
      {"hora = '10:30' and : x and :1", "hora = '10:30' and : x and :1", {}},
  };
  for (const Case& c : cases) {
    stock::ParsedSql parsed = stock::ParseNamedParameters(c.sql);
    EXPECT_EQ(parsed.positional, c.positional) << c.sql;
    EXPECT_EQ(parsed.names, c.names) << c.sql;
  }
}

TEST(ExecutarSQL, BindsInOrderOfFirstAppearanceAndRepeatedNamesOnce) {
  TempDatabase db(kSampleSchema);
  auto ds = Query(
      "SELECT CODIGOEMPRESA FROM EMPRESA WHERE CODIGOEMPRESA BETWEEN :de AND :ate "
      "AND CODIGOEMPRESA <> :de ORDER BY 1",
      VarArrayOf({2, 5}));
  std::vector<int64_t> codes;
  for (; !ds->GetEof(); ds->Next()) codes.push_back(ds->Fields(0)->AsInteger());
  EXPECT_EQ(codes, (std::vector<int64_t>{3, 4, 5}));

  // A single value binds the only parameter; Null binds NULL.
  EXPECT_EQ(Query("SELECT NOMEEMPRESA FROM EMPRESA WHERE CODIGOEMPRESA = :c", 3)
                ->FieldByName("NOMEEMPRESA")
                ->AsString(),
            "Gama d'Oeste");
  EXPECT_TRUE(Query("SELECT :x IS NULL AS N", Variant())->Fields(0)->AsInteger() == 1);
}

TEST(ExecutarSQL, WrongNumberOfValuesRaisesQuotingTheSql) {
  TempDatabase db(kSampleSchema);
  const std::string sql = "SELECT * FROM EMPRESA WHERE CODIGOEMPRESA = :a AND NOMEEMPRESA = :b";
  const std::vector<Variant> wrong = {VarArrayOf({1}), VarArrayOf({1, "x", 3}), Variant(1),
                                      Variant::FromArray({})};
  for (const Variant& params : wrong) {
    std::string error = ErrorOf([&] { Query(sql, params); });
    EXPECT_NE(error.find("2 parâmetro"), std::string::npos) << error;
    EXPECT_NE(error.find(sql), std::string::npos) << error;
  }
  EXPECT_NE(ErrorOf([&] { Query("SELECT 1", 5); }).find("SELECT 1"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { Query("SELECT :a", VarArrayOf({VarArrayOf({1})})); }).find(":a"),
            std::string::npos);
}

TEST(ExecutarSQL, RejectsWhatItCannotRunSafely) {
  TempDatabase db(kSampleSchema);
  const std::vector<std::string> bad = {
      "SELEC 1",                                        // syntax
      "SELECT * FROM NAOEXISTE",                        // unknown table
      "SELECT 1; DELETE FROM EMPRESA",                  // a second statement
      "SELECT * FROM EMPRESA WHERE CODIGOEMPRESA = ?",  // positional parameter
      "SELECT @x",                                      // non-portable parameter
      "",
  };
  for (const std::string& sql : bad) {
    std::string error = ErrorOf([&] { Query(sql); });
    EXPECT_EQ(error.rfind("Erro de banco de dados: ", 0), 0u) << sql << " -> " << error;
    EXPECT_NE(error.find("SQL: " + sql), std::string::npos) << error;
  }
  EXPECT_EQ(Query("SELECT COUNT(*) FROM EMPRESA")->Fields(0)->AsInteger(), 10);
}

TEST(ExecutarSQL, FieldTypesFollowDeclaredTypesAndExpressionValues) {
  TempDatabase db(
      kSampleSchema +
      std::string("CREATE TABLE MISTO (N INTEGER, V TEXT);"
                  "INSERT INTO MISTO VALUES (1, '2024-01-01'), (2, '2024-02-01 08:00:00'),"
                  "(3, NULL);"));
  auto ds = Query(
      "SELECT E.CODIGOEMPRESA, E.NOMEEMPRESA, E.DATAINICIO, E.ALTERADO, E.CAPITAL, E.FATOR, "
      "COUNT(*) OVER () AS QTD, E.FATOR * 2 AS DOBRO, E.NOMEEMPRESA || '!' AS GRITO, "
      "CASE WHEN E.CODIGOEMPRESA = 1 THEN 1 ELSE 2.5 END AS MISTO, NULL AS NADA, "
      "MAX(E.DATAINICIO) OVER () AS ULTIMA, E.CODIGOEMPRESA AS CODIGOEMPRESA "
      "FROM EMPRESA E ORDER BY 1");
  const std::vector<std::pair<std::string, TFieldType>> expected = {{"CODIGOEMPRESA", ftInteger},
                                                                    {"NOMEEMPRESA", ftString},
                                                                    {"DATAINICIO", ftDate},
                                                                    {"ALTERADO", ftDateTime},
                                                                    {"CAPITAL", ftFloat},
                                                                    {"FATOR", ftFloat},
                                                                    {"QTD", ftInteger},
                                                                    {"DOBRO", ftFloat},
                                                                    {"GRITO", ftString},
                                                                    {"MISTO", ftFloat},
                                                                    {"NADA", ftString},
                                                                    {"ULTIMA", ftDate},
                                                                    {"CODIGOEMPRESA_1", ftInteger}};
  ASSERT_EQ(ds->FieldCount(), static_cast<int>(expected.size()));
  for (int i = 0; i < ds->FieldCount(); ++i) {
    EXPECT_EQ(ds->Fields(i)->GetFieldName(), expected[i].first);
    EXPECT_EQ(ds->Fields(i)->GetDataType(), expected[i].second) << expected[i].first;
  }
  EXPECT_EQ(ds->FieldByName("NOMEEMPRESA")->GetSize(), 60);
  EXPECT_DOUBLE_EQ(ds->FieldByName("DATAINICIO")->AsDateTime(), EncodeDate(2024, 1, 31));
  EXPECT_DOUBLE_EQ(ds->FieldByName("ALTERADO")->AsDateTime(),
                   EncodeDate(2024, 2, 1) + EncodeTime(10, 30, 0));
  EXPECT_DOUBLE_EQ(ds->FieldByName("CAPITAL")->AsFloat(), 1000.5);
  EXPECT_DOUBLE_EQ(ds->FieldByName("MISTO")->AsFloat(), 1.0);
  EXPECT_DOUBLE_EQ(ds->FieldByName("ULTIMA")->AsDateTime(), EncodeDate(2024, 3, 15));
  ds->Next();  // Beta: nulls everywhere but the code and name
  EXPECT_TRUE(ds->FieldByName("DATAINICIO")->IsNull());
  EXPECT_TRUE(ds->FieldByName("CAPITAL")->IsNull());
  EXPECT_TRUE(ds->FieldByName("NADA")->IsNull());
  EXPECT_DOUBLE_EQ(ds->FieldByName("MISTO")->AsFloat(), 2.5);

  // An expression over texts that are ISO dates, some with a time, reads as date-time.
  auto mixed = Query("SELECT COALESCE(V, NULL) AS V FROM MISTO ORDER BY N");
  EXPECT_EQ(mixed->Fields(0)->GetDataType(), ftDateTime);
}

TEST(ExecutarSQL, ValuesThatDoNotFitTheirColumnRaiseNamingThem) {
  TempDatabase db(
      "CREATE TABLE T (N INTEGER, D DATE, B BOOLEAN);"
      "INSERT INTO T VALUES (1, '2024-02-30', 1), (2, '', 0);"
      "CREATE TABLE U (N INTEGER); INSERT INTO U VALUES ('doze');");
  std::string error = ErrorOf([] { Query("SELECT D FROM T"); });
  EXPECT_NE(error.find("'2024-02-30'"), std::string::npos) << error;
  EXPECT_NE(error.find("SQL: SELECT D FROM T"), std::string::npos) << error;
  error = ErrorOf([] { Query("SELECT N FROM U"); });
  EXPECT_NE(error.find("'doze'"), std::string::npos) << error;
  auto ds = Query("SELECT D, B FROM T WHERE N = 2");  // an empty text is no date: null
  EXPECT_TRUE(ds->Fields(0)->IsNull());
  EXPECT_EQ(ds->Fields(1)->GetDataType(), ftBoolean);
  EXPECT_FALSE(ds->Fields(1)->AsBoolean());
}

TEST(ExecutarSQL, BindsDatesBooleansFloatsAndParameterLists) {
  TempDatabase db(kSampleSchema);
  auto ds = Query("SELECT COUNT(*) FROM EMPRESA WHERE DATAINICIO BETWEEN :ini AND :fim",
                  VarArrayOf({Variant::FromDate(EncodeDate(2024, 1, 1)),
                              Variant::FromDate(EncodeDate(2024, 3, 1))}));
  EXPECT_EQ(ds->Fields(0)->AsInteger(), 2);  // 31/01 and 01/03, both ends included
  auto typed = Query(
      "SELECT :d AS D, :t AS T, :b AS B, :f AS F",
      VarArrayOf({Variant::FromDate(EncodeDate(2024, 5, 6)),
                  Variant::FromDate(EncodeDate(2024, 5, 6) + EncodeTime(7, 8, 9)), true, 0.1}));
  EXPECT_EQ(typed->Fields(0)->GetDataType(), ftDate);
  EXPECT_DOUBLE_EQ(typed->Fields(0)->AsDateTime(), EncodeDate(2024, 5, 6));
  EXPECT_NEAR(typed->Fields(1)->AsDateTime(), EncodeDate(2024, 5, 6) + EncodeTime(7, 8, 9), 1e-8);
  EXPECT_EQ(typed->Fields(2)->AsInteger(), 1);
  EXPECT_DOUBLE_EQ(typed->Fields(3)->AsFloat(), 0.1);

  TParams params;
  params.SetValue("CODIGO", 4);
  SQLDataSetPtr byName(ExecutarSQL("SELECT NOMEEMPRESA FROM EMPRESA WHERE CODIGOEMPRESA = :codigo",
                                   &params, true, false, -1, "curNome", nullptr, true));
  EXPECT_EQ(byName->Fields(0)->AsString(), "Delta");
  EXPECT_EQ(byName->GetName(), "curNome");
  SQLDataSetPtr none(
      ExecutarSQL("SELECT COUNT(*) FROM ESTAB", nullptr, true, false, -1, "", nullptr, true));
  EXPECT_EQ(none->Fields(0)->AsInteger(), 3);
  EXPECT_NE(ErrorOf([] {
              ExecutarSQL("SELECT :x", nullptr, true, false, -1, "", nullptr, true);
            }).find(":x"),
            std::string::npos);
}

TEST(ExecutarSQL, CompanySelectionFromFilterInterval) {
  TempDatabase db(kSampleSchema);
  auto codes = [](const std::string& selection) {
    auto ds = Query("SELECT E.CODIGOEMPRESA FROM EMPRESA E WHERE 1 = 1" +
                    FilterInterval(std::vector<std::string>{"E.CODIGOEMPRESA"}, selection,
                                   {tiIncluir}, true, 6) +
                    " ORDER BY 1");
    std::vector<int64_t> result;
    for (; !ds->GetEof(); ds->Next()) result.push_back(ds->Fields(0)->AsInteger());
    return result;
  };
  EXPECT_EQ(codes("1;3;5..9"), (std::vector<int64_t>{1, 3, 5, 6, 7, 8, 9}));
  EXPECT_EQ(codes(" 10 "), (std::vector<int64_t>{10}));
  EXPECT_EQ(codes("").size(), 10u);
  for (const std::string bad : {"1; drop table EMPRESA", "1 or 1 = 1", "1'; --", "abc"}) {
    EXPECT_EQ(ErrorOf([&] { codes(bad); }), "Intervalo inválido: '" + bad + "'");
  }
  EXPECT_EQ(Query("SELECT COUNT(*) FROM EMPRESA")->Fields(0)->AsInteger(), 10);
}

TEST(ExecutarSQL, LoadsAtMostTheGivenNumberOfRows) {
  TempDatabase db(kSampleSchema);
  SQLDataSetPtr ds(ExecutarSQL("SELECT CODIGOEMPRESA FROM EMPRESA", Variant::FromArray({}), true,
                               false, 3, "", nullptr, true));
  EXPECT_EQ(ds->RecordCount(), 3);
  EXPECT_EQ(Query("SELECT * FROM EMPRESA WHERE 1 = 0")->RecordCount(), 0);
}

// Results of many thousand rows are read on a second thread once the first few thousand are in:
// every value arrives, in order and typed, at any row limit, and a failure on either side ends
// the load with its error instead of a hang or a partial dataset.
TEST(ExecutarSQL, LargeResultsArriveWholeInOrder) {
  TempDatabase db(R"(
    CREATE TABLE L (N INTEGER, D DATE, V NUMERIC(15,2), T VARCHAR(20));
    WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < 25000)
    INSERT INTO L SELECT i, date('2026-01-01', '+' || (i % 400) || ' days'),
                         CASE WHEN i % 7 = 0 THEN NULL ELSE i / 8.0 END,
                         CASE WHEN i % 3 = 0 THEN '' ELSE 'texto ' || (i % 1000) END FROM s;
  )");
  const std::string sql = "SELECT N, D, V, T, N * 2 AS E FROM L ORDER BY N DESC";
  for (int limit : {-1, 4095, 4096, 4097, 5120, 24999}) {
    SQLDataSetPtr ds(
        ExecutarSQL(sql, Variant::FromArray({}), true, false, limit, "", nullptr, true));
    const int expected = limit < 0 ? 25000 : limit;
    ASSERT_EQ(ds->RecordCount(), expected) << limit;
    ASSERT_EQ(ds->Fields(1)->GetDataType(), ftDate);
    int row = 0;
    for (ds->First(); !ds->GetEof(); ds->Next(), ++row) {
      const int i = 25000 - row;
      ASSERT_EQ(ds->Fields(0)->AsInteger(), i);
      ASSERT_EQ(ds->Fields(1)->AsDateTime(), EncodeDate(2026, 1, 1) + i % 400) << i;
      if (i % 7 == 0) {
        ASSERT_TRUE(ds->Fields(2)->IsNull()) << i;
      } else {
        ASSERT_EQ(ds->Fields(2)->AsFloat(), i / 8.0) << i;
      }
      ASSERT_EQ(ds->Fields(3)->AsString(), i % 3 == 0 ? "" : "texto " + std::to_string(i % 1000))
          << i;
      ASSERT_EQ(ds->Fields(4)->AsInteger(), 2 * i);
    }
    ASSERT_EQ(row, expected);
  }

  // SQLite fails at row 20,000, on the reading thread.
  std::string error = ErrorOf([] {
    Query(
        "SELECT N, CASE WHEN N = 5000 THEN abs(-9223372036854775807 - 1) END AS X FROM L ORDER BY "
        "N DESC");
  });
  EXPECT_NE(error.find("integer overflow"), std::string::npos) << error;
  EXPECT_NE(error.find("SQL: SELECT N, CASE"), std::string::npos) << error;
  // A value that is no date at row 15,001, found while the reading thread runs ahead.
  db.conexao().ExecutarScript("UPDATE L SET D = 'amanhã' WHERE N = 10000");
  error = ErrorOf([] { Query("SELECT N, D FROM L ORDER BY N DESC"); });
  EXPECT_NE(error.find("'amanhã'"), std::string::npos) << error;
  // The connection is free again: the next query runs.
  EXPECT_EQ(Query("SELECT COUNT(*) FROM L")->Fields(0)->AsInteger(), 25000);
}

TEST(RefreshSQL, RunsTheSamePreparedStatementWithNewValues) {
  TempDatabase db(kSampleSchema);
  TDataSet* cur = nullptr;
  {
    SQLDataSetGuard guard(cur);
    cur = ExecutarSQL(
        "SELECT CODIGOESTAB, APELIDOESTAB FROM ESTAB WHERE CODIGOEMPRESA = :e "
        "ORDER BY 1",
        VarArrayOf({1}), true, true, -1, "", nullptr, true);
    uint64_t prepared = db.conexao().GetPreparacoes();
    EXPECT_EQ(cur->RecordCount(), 2);
    cur->Next();
    RefreshSQL(cur, VarArrayOf({3}), true);
    EXPECT_FALSE(cur->GetEof());
    EXPECT_EQ(cur->RecordCount(), 1);
    EXPECT_EQ(cur->Fields(1)->AsString(), "Única");
    RefreshSQL(cur, VarArrayOf({99}), true);
    EXPECT_TRUE(cur->IsEmpty());
    RefreshSQL(cur, VarArrayOf({1}), true);
    EXPECT_EQ(cur->Fields(1)->AsString(), "Matriz");
    EXPECT_EQ(db.conexao().GetPreparacoes(), prepared);
    EXPECT_NE(ErrorOf([&] {
                RefreshSQL(cur, VarArrayOf({1, 2}), true);
              }).find("parâmetro"),
              std::string::npos);
  }
  EXPECT_EQ(cur, nullptr);  // the guard released it

  TnClientDataSet plain;
  EXPECT_NE(ErrorOf([&] { RefreshSQL(&plain, Variant(), true); }).find("ExecutarSQL"),
            std::string::npos);
}

TEST(RefreshSQL, KeepsItsStatementWhenTheSameSqlRunsElsewhere) {
  TempDatabase db(kSampleSchema);
  const std::string sql = "SELECT NOMEEMPRESA FROM EMPRESA WHERE CODIGOEMPRESA = :c";
  auto first = Query(sql, 1);
  uint64_t prepared = db.conexao().GetPreparacoes();
  auto second = Query(sql, 2);  // same text: served from the cache
  EXPECT_EQ(db.conexao().GetPreparacoes(), prepared);
  RefreshSQL(first.get(), 4, true);
  EXPECT_EQ(first->Fields(0)->AsString(), "Delta");
  EXPECT_EQ(second->Fields(0)->AsString(), "Beta");
}

TEST(DestruirSQL, ReleasesAndClearsAcceptingNull) {
  TempDatabase db(kSampleSchema);
  TDataSet* cur = nullptr;
  DestruirSQL(cur);
  EXPECT_EQ(cur, nullptr);
  cur = ExecutarSQL("SELECT 1", Variant::FromArray({}), true, false, -1, "", nullptr, true);
  TDataSet* address = cur;
  EXPECT_TRUE(TObject::IsLiveObject(address));
  DestruirSQL(cur);
  EXPECT_EQ(cur, nullptr);
  EXPECT_FALSE(TObject::IsLiveObject(address));
}

TEST(ExecutarSQL, DatasetOutlivesItsConnection) {
  TempDatabase db(kSampleSchema);
  auto cur = Query("SELECT NOMEEMPRESA FROM EMPRESA WHERE CODIGOEMPRESA = :c", 1);
  SetConexaoPadrao(nullptr);
  EXPECT_EQ(ErrorOf([] { Query("SELECT 1"); }), "Nenhuma conexão com o banco de dados");
  RefreshSQL(cur.get(), 2, true);
  EXPECT_EQ(cur->Fields(0)->AsString(), "Beta");
}

TEST(TnConexao, ReportsFilesThatCannotBeOpened) {
  TempDatabase db;
  const std::string missing = db.path() + ".nao-existe";
  for (TnModoAbertura modo : {TnModoAbertura::SomenteLeitura, TnModoAbertura::LeituraEscrita}) {
    std::string error = ErrorOf([&] { TnConexao c(missing, modo); });
    EXPECT_NE(error.find("Não foi possível abrir o banco de dados '" + missing + "'"),
              std::string::npos)
        << error;
  }
  const std::string text_file = db.path() + ".txt";
  std::ofstream(text_file) << "isto não é um banco de dados, apenas texto comum........";
  EXPECT_EQ(ErrorOf([&] { TnConexao c(text_file, TnModoAbertura::SomenteLeitura); }),
            "O arquivo '" + text_file + "' não é um banco de dados válido");
}

TEST(TnConexao, ReadOnlyRefusesWritesAndTransactionsUndoUnlessConfirmed) {
  TempDatabase db(kSampleSchema);
  {
    TnTransacao transacao(db.conexao());
    db.conexao().ExecutarComando("DELETE FROM ESTAB WHERE CODIGOEMPRESA = :e", 1);
  }
  EXPECT_EQ(Query("SELECT COUNT(*) FROM ESTAB")->Fields(0)->AsInteger(), 3);
  {
    TnTransacao transacao(db.conexao());
    EXPECT_EQ(db.conexao().ExecutarComando("DELETE FROM ESTAB WHERE CODIGOEMPRESA = :e", 1), 2);
    transacao.Confirmar();
  }
  EXPECT_EQ(Query("SELECT COUNT(*) FROM ESTAB")->Fields(0)->AsInteger(), 1);

  TnConexao leitura(db.path(), TnModoAbertura::SomenteLeitura);
  EXPECT_TRUE(leitura.GetSomenteLeitura());
  EXPECT_NE(
      ErrorOf([&] { leitura.ExecutarComando("DELETE FROM EMPRESA"); }).find("DELETE FROM EMPRESA"),
      std::string::npos);
  SQLDataSetPtr ds(ExecutarSQL("SELECT COUNT(*) FROM EMPRESA", Variant::FromArray({}), true, false,
                               -1, "", &leitura, true));
  EXPECT_EQ(ds->Fields(0)->AsInteger(), 10);
}

}  // namespace
