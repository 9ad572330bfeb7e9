// The demo database: it is complete, consistent and safe to create.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "demo/DemoDatabase.h"
#include "demo/FiscalIds.h"
#include "demo/SuiteSchema.h"
#include "rtl/Exception.h"

namespace {

namespace fs = std::filesystem;

// Check digits computed independently of the generator: weights 2..9 (CNPJ) or 2..11 (CPF)
// from the right, modulus 11.
bool ValidCheckDigits(const std::string& number, int maxWeight) {
  for (char c : number)
    if (c < '0' || c > '9') return false;
  if (number.find_first_not_of(number[0]) == std::string::npos) return false;
  for (size_t len = number.size() - 2; len < number.size(); ++len) {
    int sum = 0, weight = 2;
    for (size_t i = len; i-- > 0;) {
      sum += (number[i] - '0') * weight;
      weight = weight == maxWeight ? 2 : weight + 1;
    }
    int digit = sum % 11 < 2 ? 0 : 11 - sum % 11;
    if (number[len] - '0' != digit) return false;
  }
  return true;
}
bool ValidCnpj(const std::string& n) { return n.size() == 14 && ValidCheckDigits(n, 9); }
bool ValidCpf(const std::string& n) { return n.size() == 11 && ValidCheckDigits(n, 11); }

TEST(FiscalNumbers, GeneratorRebuildsPublishedNumbersThatTheValidatorAccepts) {
  // Numbers published as valid, rebuilt by the demo generator from their bases; the
  // validator used on the demo database below accepts them and refuses any other last digit.
  const std::pair<std::string, std::string> cnpjs[] = {
      {"11222333000181", stock::demo::MakeCnpj("11222333", 1)},
      {"11444777000161", stock::demo::MakeCnpj("11444777", 1)},
      {"11222333000262", stock::demo::MakeCnpj("11222333", 2)}};
  const std::pair<std::string, std::string> cpfs[] = {
      {"52998224725", stock::demo::MakeCpf("529982247")},
      {"11144477735", stock::demo::MakeCpf("111444777")}};
  for (const auto& [published, made] : cnpjs) {
    EXPECT_EQ(made, published);
    EXPECT_TRUE(ValidCnpj(published)) << published;
  }
  for (const auto& [published, made] : cpfs) {
    EXPECT_EQ(made, published);
    EXPECT_TRUE(ValidCpf(published)) << published;
  }
  for (const auto& [published, made] : cnpjs) {
    for (char d = '0'; d <= '9'; ++d) {
      std::string other = published;
      other.back() = d;
      if (other != published) {
        EXPECT_FALSE(ValidCnpj(other)) << other;
      }
    }
  }
  EXPECT_FALSE(ValidCnpj("00000000000000"));
  EXPECT_FALSE(ValidCpf("11111111111"));
}

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "demo-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_))
      names.push_back(entry.path().filename());
    return names;
  }

 private:
  fs::path path_;
};

class Db {
 public:
  explicit Db(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
      throw std::runtime_error("cannot open " + path);
  }
  ~Db() { sqlite3_close(db_); }
  // Every row of the query, each column as text ("" for NULL).
  std::vector<std::vector<std::string>> Rows(const std::string& sql) const {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
      throw std::runtime_error(sqlite3_errmsg(db_) + std::string(": ") + sql);
    std::vector<std::vector<std::string>> rows;
    while (sqlite3_step(st) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        auto text = sqlite3_column_text(st, i);
        row.push_back(text ? reinterpret_cast<const char*>(text) : "");
      }
      rows.push_back(row);
    }
    sqlite3_finalize(st);
    return rows;
  }
  std::string Value(const std::string& sql) const {
    auto rows = Rows(sql);
    return rows.empty() ? "" : rows[0][0];
  }
  long long Count(const std::string& sql) const { return std::stoll(Value(sql)); }

 private:
  sqlite3* db_ = nullptr;
};

// One database shared by the read-only checks below.
class DemoDatabaseTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    path_ = dir_->File("demo.db");
    summary_ = CreateDemoDatabase(path_, DemoOptions{});
  }
  static void TearDownTestSuite() { delete dir_; }
  static TempDir* dir_;
  static std::string path_;
  static DemoSummary summary_;
};
TempDir* DemoDatabaseTest::dir_ = nullptr;
std::string DemoDatabaseTest::path_;
DemoSummary DemoDatabaseTest::summary_;

TEST_F(DemoDatabaseTest, HasEveryTableAndTheCurrentEstablishmentView) {
  Db db(path_);
  for (const char* table :
       {"EMPRESA", "ESTAB", "ESTABHISTORICO", "CFGEMPRESAINV", "CFGEMPRESAGEM", "CONTROLELIVRO",
        "LIVRONUMERACAO", "LIVROPERIODO", "CONTADOR", "SOCIO", "PRODUTO", "GRUPOPRODUTO",
        "TERCEIRO", "PLANOESPEC", "LCTOINV", "LCTOINVPROPRIEDADE"}) {
    EXPECT_EQ(db.Count(std::string("select count(*) from sqlite_master where type = 'table' and "
                                   "name = '") +
                       table + "'"),
              1)
        << table;
    EXPECT_GT(db.Count(std::string("select count(*) from ") + table), 0) << table;
  }
  // One current row per establishment; the head office that moved shows its later address.
  EXPECT_EQ(db.Count("select count(*) from VESTABHISTORICOATUAL"),
            db.Count("select count(*) from ESTAB"));
  EXPECT_EQ(db.Value("select CIDADE || '|' || DATAVIGENCIA from VESTABHISTORICOATUAL "
                     "where CODIGOEMPRESA = 1 and CODIGOESTAB = 1"),
            "Campinas|2021-06-01");
  EXPECT_EQ(summary_.companies, 2);
  EXPECT_EQ(summary_.products, 300);
  EXPECT_EQ(summary_.inventoryLines, db.Count("select count(*) from LCTOINV"));
  EXPECT_EQ(summary_.ownershipPortions, db.Count("select count(*) from LCTOINVPROPRIEDADE"));
}

TEST_F(DemoDatabaseTest, FederalNumbersHaveValidCheckDigits) {
  Db db(path_);
  int checked = 0;
  for (const char* sql : {"select INSCRFEDERAL from EMPRESA where TIPOINSCR = 1",
                          "select INSCRFEDERAL from ESTAB where TIPOINSCR = 1",
                          "select INSCRFEDERAL from ESTABHISTORICO where TIPOINSCR = 1",
                          "select INSCRFEDERAL from TERCEIRO where TIPOINSCR = 1"})
    for (const auto& row : db.Rows(sql)) {
      EXPECT_TRUE(ValidCnpj(row[0])) << row[0];
      ++checked;
    }
  for (const char* sql : {"select CPF from SOCIO", "select CPF from CONTADOR"})
    for (const auto& row : db.Rows(sql)) {
      EXPECT_TRUE(ValidCpf(row[0])) << row[0];
      ++checked;
    }
  EXPECT_GT(checked, 15);
  // Establishments share their company's CNPJ root and number their branches.
  EXPECT_EQ(
      db.Count("select count(*) from ESTAB F join EMPRESA E on E.CODIGOEMPRESA = F.CODIGOEMPRESA "
               "where substr(F.INSCRFEDERAL, 1, 8) <> substr(E.INSCRFEDERAL, 1, 8) "
               "or cast(substr(F.INSCRFEDERAL, 9, 4) as integer) <> F.CODIGOESTAB"),
      0);
}

TEST_F(DemoDatabaseTest, OneEstablishmentClosesWithinTheYearAndStopsItsInventories) {
  Db db(path_);
  auto closed = db.Rows(
      "select CODIGOEMPRESA, CODIGOESTAB, DATAENCERATIV from ESTAB "
      "where DATAENCERATIV is not null");
  ASSERT_EQ(closed.size(), 1u);
  const std::string& close = closed[0][2];
  EXPECT_TRUE(close >= "2026-01-01" && close <= "2026-12-31") << close;
  std::string where =
      " from LCTOINV where CODIGOEMPRESA = " + closed[0][0] + " and CODIGOESTAB = " + closed[0][1];
  EXPECT_EQ(db.Value("select max(DATAINVENT)" + where), close);
  EXPECT_EQ(db.Count("select count(*)" + where + " and DATAINVENT = '" + close +
                     "' and MOTIVOINVENTARIO <> 3"),
            0);
  EXPECT_GT(db.Count("select count(*)" + where + " and DATAINVENT = '" + close + "'"), 0);
}

TEST_F(DemoDatabaseTest, GroupTreeIsConsistent) {
  Db db(path_);
  // Every product sits in an analytic group of its company.
  EXPECT_EQ(
      db.Count("select count(*) from PRODUTO P left join GRUPOPRODUTO G on "
               "G.CODIGOEMPRESA = P.CODIGOEMPRESA and G.CODIGOGRUPOPRODUTO = P.CODIGOGRUPOPRODUTO "
               "where G.TIPOGRUPOPRODUTO is null or G.TIPOGRUPOPRODUTO <> 2"),
      0);
  auto groups =
      db.Rows("select CODIGOEMPRESA, CLASSIFGRUPOPRODUTO, TIPOGRUPOPRODUTO from GRUPOPRODUTO");
  std::set<std::string> summaries, all;
  for (const auto& g : groups) {
    all.insert(g[0] + ":" + g[1]);
    if (g[2] == "1") summaries.insert(g[0] + ":" + g[1]);
  }
  std::set<size_t> levels;
  for (const auto& g : groups) {
    size_t dot = g[1].rfind('.');
    levels.insert(std::count(g[1].begin(), g[1].end(), '.') + 1);
    if (dot != std::string::npos) {  // the parent exists and is a summary group
      EXPECT_TRUE(summaries.count(g[0] + ":" + g[1].substr(0, dot))) << g[1];
    }
    if (g[2] == "1") {  // a summary group has children
      bool child = false;
      for (const auto& h : groups) child |= h[0] == g[0] && h[1].rfind(g[1] + ".", 0) == 0;
      EXPECT_TRUE(child) << g[1];
    }
  }
  EXPECT_EQ(levels, (std::set<size_t>{1, 2, 3}));
}

TEST_F(DemoDatabaseTest, InventoriesEveryMonthEndOfEachActiveEstablishment) {
  Db db(path_);
  auto rows = db.Rows(
      "select F.CODIGOEMPRESA, F.CODIGOESTAB, F.DATAINICIOATIV, "
      "coalesce(F.DATAENCERATIV, '9999'), "
      "(select count(distinct DATAINVENT) from LCTOINV L where L.CODIGOEMPRESA = "
      "F.CODIGOEMPRESA and L.CODIGOESTAB = F.CODIGOESTAB and L.MOTIVOINVENTARIO = 1) "
      "from ESTAB F where exists (select 1 from CFGEMPRESAINV C "
      "where C.CODIGOEMPRESA = F.CODIGOEMPRESA)");
  // The company without an inventory configuration (the one only the book terms print) keeps
  // no stock at all.
  EXPECT_EQ(
      db.Count("select count(*) from LCTOINV L where not exists (select 1 from CFGEMPRESAINV C "
               "where C.CODIGOEMPRESA = L.CODIGOEMPRESA)"),
      0);
  const char* monthEnds[] = {"2026-01-31", "2026-02-28", "2026-03-31", "2026-04-30",
                             "2026-05-31", "2026-06-30", "2026-07-31", "2026-08-31",
                             "2026-09-30", "2026-10-31", "2026-11-30", "2026-12-31"};
  bool openedDuringYear = false;
  for (const auto& r : rows) {
    int expected = 0;
    for (const char* end : monthEnds) expected += end >= r[2] && end <= r[3];
    openedDuringYear |= r[2] > "2026-01-01";
    EXPECT_EQ(std::stoi(r[4]), expected) << "estab " << r[0] << "/" << r[1];
    std::string key = " where CODIGOEMPRESA = " + r[0] + " and CODIGOESTAB = " + r[1];
    for (const auto& end :
         db.Rows("select distinct DATAINVENT from LCTOINV" + key + " and MOTIVOINVENTARIO = 1"))
      EXPECT_TRUE(std::find(std::begin(monthEnds), std::end(monthEnds), end[0]) !=
                  std::end(monthEnds))
          << end[0];
  }
  EXPECT_TRUE(openedDuringYear);
}

TEST_F(DemoDatabaseTest, LinesAndPortionsAddUp) {
  Db db(path_);
  // Totals are quantity x price in cents; portions add up to their line and carry all three
  // ownership indicators; prices respect the company's decimals.
  EXPECT_EQ(db.Count("select count(*) from LCTOINV where abs(VALORTOTAL - round(QTDEESTOQUE * "
                     "PRECOUNIT, 2)) > 0.005"),
            0);
  EXPECT_EQ(
      db.Count("select count(*) from LCTOINV L where abs(L.QTDEESTOQUE - (select sum(D.QUANTIDADE) "
               "from LCTOINVPROPRIEDADE D where D.CODIGOEMPRESA = L.CODIGOEMPRESA and "
               "D.CODIGOESTAB = L.CODIGOESTAB and D.DATAINVENT = L.DATAINVENT and "
               "D.CODIGOPRODUTO = L.CODIGOPRODUTO and D.MOTIVOINVENTARIO = L.MOTIVOINVENTARIO)) > "
               "0.00001"),
      0);
  EXPECT_EQ(db.Value("select group_concat(distinct INDICADORPROPRIEDADE) from "
                     "(select INDICADORPROPRIEDADE from LCTOINVPROPRIEDADE order by 1)"),
            "0,1,2");
  EXPECT_GT(db.Count("select count(*) from LCTOINVPROPRIEDADE where CONTACTB is null"), 0);
  EXPECT_EQ(
      db.Count(
          "select count(*) from LCTOINVPROPRIEDADE D where D.CONTACTB is not null and not exists "
          "(select 1 from PLANOESPEC P where P.CODIGOEMPRESA = D.CODIGOEMPRESA and P.CONTACTB = "
          "D.CONTACTB)"),
      0);
  EXPECT_EQ(
      db.Count(
          "select count(*) from LCTOINV L join CFGEMPRESAINV C on C.CODIGOEMPRESA = "
          "L.CODIGOEMPRESA "
          "where abs(L.PRECOUNIT * (case C.QTDECASADECIMAL when 2 then 100 else 10000 end) - "
          "round(L.PRECOUNIT * (case C.QTDECASADECIMAL when 2 then 100 else 10000 end))) > 1e-6"),
      0);
  EXPECT_GT(db.Count("select count(*) from LCTOINV where CODIGOEMPRESA = 2 and "
                     "abs(PRECOUNIT * 100 - round(PRECOUNIT * 100)) > 1e-6"),
            0);
}

TEST_F(DemoDatabaseTest, CompaniesDifferInBookModelAndTaxColumns) {
  Db db(path_);
  EXPECT_EQ(db.Value("select group_concat(LIVROMODELO7 || '/' || LANCAICMSRECUP || '/' || "
                     "DETALHARPISCOFINSITEM, ' ') "
                     "from (select * from CFGEMPRESAINV order by CODIGOEMPRESA)"),
            "1/1/0 0/0/1");
  EXPECT_GT(db.Count("select count(*) from LCTOINV where CODIGOEMPRESA = 1 and VALORICMS > 0"), 0);
  EXPECT_GT(db.Count("select count(*) from LCTOINV where CODIGOEMPRESA = 2 and VALORCOFINS > 0"),
            0);
  EXPECT_GT(db.Count("select count(*) from LCTOINV where CODIGOEMPRESA = 1 and OBSLCTOINV <> ''"),
            0);
  EXPECT_GT(db.Count("select count(*) from PRODUTO where CODIGONCM is null"), 0);
  EXPECT_EQ(
      db.Count("select count(*) from PRODUTO where CODIGONCM is not null and CODIGONCM not glob "
               "'[0-9][0-9][0-9][0-9].[0-9][0-9].[0-9][0-9]'"),
      0);
  EXPECT_GT(
      db.Count(
          "select count(*) from CONTROLELIVRO where TIPOLIVRO = 11 and INCLIVROMES is not null"),
      0);
  EXPECT_EQ(db.Value("select DESCRPRODUTO from PRODUTO where DESCRPRODUTO like 'Óleo lubrificante "
                     "20W50%' limit 1")
                .substr(0, 24),
            "Óleo lubrificante 20W50");
}

TEST(DemoDatabase, SameSeedSameDataOtherSeedOtherData) {
  TempDir dir;
  DemoOptions small;
  small.products = 40;
  small.months = 3;
  CreateDemoDatabase(dir.File("a.db"), small);
  CreateDemoDatabase(dir.File("b.db"), small);
  small.seed = 2;
  CreateDemoDatabase(dir.File("c.db"), small);
  auto digest = [](const std::string& path) {
    Db db(path);
    return db.Value(
        "select count(*) || '|' || sum(QTDEESTOQUE) || '|' || sum(VALORTOTAL) || '|' || "
        "(select group_concat(DESCRPRODUTO) from PRODUTO) from LCTOINV");
  };
  EXPECT_EQ(digest(dir.File("a.db")), digest(dir.File("b.db")));
  EXPECT_NE(digest(dir.File("a.db")), digest(dir.File("c.db")));
}

TEST(DemoDatabase, NeverClobbersAFileUnlessAskedAndLeavesNoTemporaryFile) {
  TempDir dir;
  std::string path = dir.File("existing.db");
  std::ofstream(path) << "precious";
  DemoOptions options;
  options.products = 10;
  options.months = 1;
  EXPECT_THROW(CreateDemoDatabase(path, options), Exception);
  EXPECT_EQ(fs::file_size(path), 8u);
  options.overwrite = true;
  CreateDemoDatabase(path, options);
  EXPECT_GT(Db(path).Count("select count(*) from PRODUTO"), 0);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"existing.db"});
}

TEST(DemoDatabase, RejectsBadOptionsAndPathsWithoutLeavingFiles) {
  TempDir dir;
  struct Case {
    int products, months, year;
    std::string path;
  };
  const Case cases[] = {
      {0, 12, 2026, dir.File("x.db")},
      {300, 0, 2026, dir.File("x.db")},
      {300, 241, 2026, dir.File("x.db")},
      {300, 12, 1800, dir.File("x.db")},
      {-5, 12, 2026, dir.File("x.db")},
      {300, 12, 2026, ""},
      {300, 12, 2026, dir.File("missing/dir/x.db")},
  };
  for (const Case& c : cases) {
    DemoOptions options;
    options.products = c.products;
    options.months = c.months;
    options.year = c.year;
    try {
      CreateDemoDatabase(c.path, options);
      ADD_FAILURE() << "accepted " << c.products << " " << c.months << " " << c.year << " "
                    << c.path;
    } catch (const Exception& e) {
      EXPECT_FALSE(std::string(e.what()).empty());
    }
  }
  EXPECT_TRUE(dir.Entries().empty());
}

TEST(DemoDatabase, SchemaKeepsDeclaredTypesThroughTheView) {
  // Result columns are typed by their declared type, also when read through the view.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  ASSERT_EQ(
      sqlite3_exec(db, std::string(stock::SuiteSchemaSql()).c_str(), nullptr, nullptr, nullptr),
      SQLITE_OK);
  sqlite3_stmt* st = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db,
                               "select F.DATAINICIOATIV, F.TIPOINSCR, L.QTDEESTOQUE, L.DATAINVENT "
                               "from VESTABHISTORICOATUAL F, LCTOINV L",
                               -1, &st, nullptr),
            SQLITE_OK);
  EXPECT_STREQ(sqlite3_column_decltype(st, 0), "DATE");
  EXPECT_STREQ(sqlite3_column_decltype(st, 1), "INTEGER");
  EXPECT_STREQ(sqlite3_column_decltype(st, 2), "NUMERIC(15,4)");
  EXPECT_STREQ(sqlite3_column_decltype(st, 3), "DATE");
  sqlite3_finalize(st);
  sqlite3_close(db);
}

TEST(DemoDatabase, SchemaStatementsOneByOneBuildTheSameSchema) {
  // Comments of the script hold ';' (month lists): the split must not cut inside them.
  auto master = [](bool oneByOne) {
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    if (oneByOne) {
      for (const std::string& statement : stock::SuiteSchemaStatements()) {
        EXPECT_EQ(statement.find("--"), std::string::npos);
        EXPECT_EQ(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
            << statement;
      }
    } else {
      sqlite3_exec(db, std::string(stock::SuiteSchemaSql()).c_str(), nullptr, nullptr, nullptr);
    }
    std::string names;
    sqlite3_exec(
        db, "select type || ' ' || name from sqlite_master order by 1",
        [](void* out, int, char** values, char**) {
          *static_cast<std::string*>(out) += std::string(values[0]) + "\n";
          return 0;
        },
        &names, nullptr);
    sqlite3_close(db);
    return names;
  };
  std::string whole = master(false);
  EXPECT_EQ(master(true), whole);
  EXPECT_NE(whole.find("view VESTABHISTORICOATUAL"), std::string::npos);
  int indexes = 0;
  for (const std::string& statement : stock::SuiteSchemaStatements())
    indexes += stock::IsCreateIndex(statement);
  EXPECT_EQ(indexes, 5);
}

}  // namespace
