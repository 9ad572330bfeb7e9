// The demo's inventory exported as an EFD file and read back: the file agrees with the database
// to the cent; broken files and incomplete databases are named precisely, and a failed export
// leaves no file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "basekit/Conexao.h"
#include "basekit/SqlStatement.h"
#include "demo/DemoDatabase.h"
#include "efdkit/BlocoHExport.h"
#include "efdkit/EfdCheck.h"
#include "efdkit/EfdText.h"
#include "rtl/Exception.h"

namespace {

namespace fs = std::filesystem;
using namespace stock::efd;

class EfdExportTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new fs::path(fs::temp_directory_path() / ("efd-test-" + std::to_string(getpid())));
    fs::create_directories(*dir_);
    DemoOptions options;
    options.products = 120;
    CreateDemoDatabase((*dir_ / "demo.db").string(), options);
  }
  static void TearDownTestSuite() {
    fs::remove_all(*dir_);
    delete dir_;
  }

  // A copy of the demo database that a test may change.
  std::unique_ptr<TnConexao> Database(const std::string& name = "") {
    fs::path path = *dir_ / "demo.db";
    if (!name.empty()) {
      fs::copy_file(path, *dir_ / name, fs::copy_options::overwrite_existing);
      path = *dir_ / name;
    }
    return std::make_unique<TnConexao>(path.string(), TnModoAbertura::LeituraEscrita);
  }

  static ExportRequest December(const std::string& out = "efd.txt") {
    ExportRequest r;
    r.company = 1;
    r.estab = 1;
    r.date = "2026-12-31";
    r.motive = 1;
    r.out = (*dir_ / out).string();
    return r;
  }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
      const size_t end = text.find("\r\n", pos);
      lines.push_back(text.substr(pos, end - pos));
      pos = end + 2;
    }
    return lines;
  }

  // The fields of one record, REG first.
  static std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    size_t pos = 1;
    while (pos < line.size()) {
      const size_t bar = line.find('|', pos);
      fields.push_back(line.substr(pos, bar - pos));
      pos = bar + 1;
    }
    return fields;
  }

  static std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    return text;
  }

  // The exception's message of `f`, or "" when it does not raise.
  template <typename F>
  static std::string Failure(F f) {
    try {
      f();
    } catch (const Exception& e) {
      return e.what();
    }
    return "";
  }

  // True when nothing named `name`, nor a temporary file of it, is in the folder.
  static bool NoFile(const std::string& name) {
    for (const auto& entry : fs::directory_iterator(*dir_)) {
      if (entry.path().filename().string().rfind(name, 0) == 0) return false;
    }
    return true;
  }

  static fs::path* dir_;
};

fs::path* EfdExportTest::dir_ = nullptr;

TEST_F(EfdExportTest, DecemberInventoryAgreesWithTheDatabase) {
  auto db = Database();
  const ExportSummary s = ExportBlocoH(*db, December());
  EXPECT_EQ(s.version, "020");
  EXPECT_EQ(s.period_start, "2027-02-01");  // the second month after the inventory
  EXPECT_EQ(s.period_end, "2027-02-28");
  EXPECT_GT(s.h010, s.lines);  // some lines have two portions

  const std::string text = Read(December().out);
  const std::vector<std::string> lines = Lines(text);
  EXPECT_EQ(lines.front().rfind("|0000|020|0|01022027|28022027|Metal\xFArgica Horizonte", 0), 0u)
      << lines.front();
  EXPECT_EQ(lines.back(), "|9999|" + std::to_string(lines.size()) + "|");
  EXPECT_EQ(static_cast<int64_t>(lines.size()), s.file_lines);

  const FileCheck check = CheckFile(text);
  for (const std::string& p : check.problems) ADD_FAILURE() << p;
  ASSERT_EQ(check.inventories.size(), 1u);
  EXPECT_EQ(check.inventories[0].declared, s.total_cents);
  EXPECT_EQ(Reconcile(*db, check), std::vector<std::string>{});
}

// A line whose stock is partly with a third party: one H010 per portion, with its indicator and
// participant, the two adding up to the line's value.
TEST_F(EfdExportTest, TwoOwnershipPortionsMakeTwoH010) {
  auto db = Database();
  const ExportSummary s = ExportBlocoH(*db, December("portions.txt"));
  (void)s;
  auto statement = db->Preparar(
      "SELECT L.CODIGOPRODUTO, L.VALORTOTAL FROM LCTOINV L WHERE L.CODIGOEMPRESA = 1 AND "
      "L.CODIGOESTAB = 1"
      " AND L.DATAINVENT = '2026-12-31' AND (SELECT COUNT(*) FROM LCTOINVPROPRIEDADE D WHERE"
      " D.CODIGOEMPRESA = 1 AND D.CODIGOESTAB = 1 AND D.DATAINVENT = L.DATAINVENT AND"
      " D.CODIGOPRODUTO = L.CODIGOPRODUTO) = 2 ORDER BY 1");
  statement->Bind(Variant());
  ASSERT_TRUE(statement->Step());
  const std::string item = statement->ColumnValue(0).AsString();
  const int64_t line_cents = *Scaled(statement->ColumnValue(1).AsFloat(), 2);
  statement->Reset();

  std::vector<std::vector<std::string>> h010;
  for (const std::string& line : Lines(Read(December("portions.txt").out))) {
    if (line.rfind("|H010|" + item + "|", 0) == 0) h010.push_back(Fields(line));
  }
  ASSERT_EQ(h010.size(), 2u);
  EXPECT_EQ(h010[0][6], "0");
  EXPECT_EQ(h010[0][7], "");
  EXPECT_EQ(h010[1][6], "1");
  EXPECT_FALSE(h010[1][7].empty());
  EXPECT_EQ(*ParseDecimal(h010[0][5], 2) + *ParseDecimal(h010[1][5], 2), line_cents);
}

TEST_F(EfdExportTest, BrokenFilesAreNamed) {
  auto db = Database();
  ExportBlocoH(*db, December("good.txt"));
  const std::vector<std::string> good = Lines(Read(December("good.txt").out));
  auto first = [&](const std::string& prefix) {
    for (size_t i = 0; i < good.size(); ++i)
      if (good[i].rfind(prefix, 0) == 0) return i;
    return good.size();
  };
  struct Case {
    const char* name;
    std::function<void(std::vector<std::string>&)> change;
    const char* problem;
  };
  const size_t h010 = first("|H010|");
  const std::string item = good[h010].substr(6, good[h010].find('|', 6) - 6);
  const Case cases[] = {
      {"a missing 0200",
       [&](auto& l) { l.erase(l.begin() + static_cast<long>(first("|0200|" + item + "|"))); },
       "o item"},
      {"a wrong 9900 count", [&](auto& l) { l[first("|9900|H010|")] = "|9900|H010|1|"; },
       "registro 9900 de H010, campo QTD_REG_BLC"},
      {"a cent off in H005",
       [&](auto& l) {
         std::string& h005 = l[first("|H005|")];
         const size_t comma = h005.rfind(',');
         h005[comma + 2] = h005[comma + 2] == '9' ? '8' : static_cast<char>(h005[comma + 2] + 1);
       },
       "registro H005, campo VL_INV"},
      {"a field too many", [&](auto& l) { l[h010] += "|"; }, "12 campos em vez de 11"},
      {"a record out of place", [&](auto& l) { std::swap(l[first("|0150|")], l[first("|0190|")]); },
       "fora da ordem"},
      {"a date that does not exist", [&](auto& l) { l[first("|H005|")].replace(6, 8, "31022026"); },
       "não é uma data"},
      {"LF without CR", [&](auto&) {}, "CR LF"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = good;
    c.change(lines);
    std::string text = Join(lines);
    if (std::string(c.name) == "LF without CR") text.erase(text.find("\r\n"), 1);
    const FileCheck check = CheckFile(text);
    bool found = false;
    for (const std::string& p : check.problems)
      found = found || p.find(c.problem) != std::string::npos;
    EXPECT_TRUE(found) << c.name << ": "
                       << (check.problems.empty() ? "no problem" : check.problems[0]);
  }
  // A cent off in an H010 and in its H005 passes the structure check, not the reconciliation.
  std::vector<std::string> lines = good;
  auto bump = [](std::string& line, int field) {
    size_t pos = 0;
    for (int i = 0; i <= field; ++i) pos = line.find('|', pos + 1);
    line[pos - 1] = line[pos - 1] == '9' ? '8' : static_cast<char>(line[pos - 1] + 1);
  };
  bump(lines[h010], 5);
  const std::string before = lines[first("|H005|")];
  bump(lines[first("|H005|")], 2);
  ASSERT_NE(before, lines[first("|H005|")]);
  const FileCheck check = CheckFile(Join(lines));
  for (const std::string& p : check.problems) ADD_FAILURE() << p;
  const std::vector<std::string> differences = Reconcile(*db, check);
  ASSERT_EQ(differences.size(), 3u);  // VL_INV, the indicator total, the item
  EXPECT_NE(differences[0].find("campo VL_INV"), std::string::npos) << differences[0];
  EXPECT_NE(differences[2].find("item " + item), std::string::npos) << differences[2];
  EXPECT_NE(differences[2].find("VL_ITEM"), std::string::npos) << differences[2];
}

TEST_F(EfdExportTest, NotAnEfdFile) {
  for (const std::string& bytes : {std::string(""), std::string("%PDF-1.7\n\x80\x81"),
                                   std::string("|0000|020|Ação|\r\n"), std::string("hello\r\n")}) {
    const FileCheck check = CheckFile(bytes);
    ASSERT_FALSE(check.problems.empty()) << bytes;
  }
  EXPECT_NE(CheckFile("|0000|Ação|\r\n").problems[0].find("UTF-8"), std::string::npos);
}

// What the database lacks is named (record, field, item) and no file is left behind.
TEST_F(EfdExportTest, IncompleteDatabasesWriteNothing) {
  struct Case {
    const char* name;
    const char* sql;
    const char* message;
  } cases[] = {
      {"portions",
       "UPDATE LCTOINVPROPRIEDADE SET VALORTOTAL = VALORTOTAL + 0.01 WHERE CODIGOEMPRESA = 1 AND"
       " CODIGOESTAB = 1 AND DATAINVENT = '2026-12-31' AND CODIGOPRODUTO = (SELECT "
       "MIN(CODIGOPRODUTO)"
       " FROM LCTOINV WHERE CODIGOEMPRESA = 1 AND CODIGOESTAB = 1 AND DATAINVENT = '2026-12-31')",
       "parcelas de propriedade da linha do item"},
      {"ncm", "UPDATE PRODUTO SET CODIGONCM = NULL, TIPOITEM = 4 WHERE CODIGOEMPRESA = 1",
       "Registro 0200, campo COD_NCM, item"},
      {"unit", "UPDATE PRODUTO SET UNIDADEMEDIDA = '' WHERE CODIGOEMPRESA = 1",
       "Registro 0200, campo UNID_INV, item"},
      {"cnpj", "UPDATE TERCEIRO SET INSCRFEDERAL = '' WHERE CODIGOEMPRESA = 1",
       "Registro 0150, campo CNPJ, participante"},
      {"municipality", "UPDATE ESTAB SET CODIGOMUNIBGE = NULL", "Registro 0000, campo COD_MUN"},
      {"pipe", "UPDATE PRODUTO SET DESCRPRODUTO = 'A|B' WHERE CODIGOEMPRESA = 1",
       "Registro 0200, campo DESCR_ITEM"},
  };
  for (const Case& c : cases) {
    auto db = Database(std::string(c.name) + ".db");
    db->ExecutarComando(c.sql);
    const std::string message = Failure([&] { ExportBlocoH(*db, December("broken.txt")); });
    EXPECT_NE(message.find(c.message), std::string::npos) << c.name << ": " << message;
  }
  auto db = Database();
  ExportRequest r = December("broken.txt");
  r.estab = 9;
  EXPECT_NE(
      Failure([&] { ExportBlocoH(*db, r); }).find("estabelecimento 9 da empresa 1 não existe"),
      std::string::npos);
  r = December("broken.txt");
  r.date = "2026-12-30";
  EXPECT_NE(Failure([&] { ExportBlocoH(*db, r); }).find("Não há linhas"), std::string::npos);
  r = December("broken.txt");
  r.period_year = 2026;
  r.period_month = 11;
  EXPECT_NE(Failure([&] { ExportBlocoH(*db, r); }).find("antes da data do inventário"),
            std::string::npos);
  EXPECT_TRUE(NoFile("broken.txt"));
}

// Inventories taken for motives 2 to 5 carry H020; the ICMS of a line split in portions is
// shared among them to the cent.
TEST_F(EfdExportTest, ClosingInventoryCarriesH020) {
  auto db = Database("closing.db");
  db->ExecutarComando("UPDATE LCTOINV SET MOTIVOINVENTARIO = 4 WHERE DATAINVENT = '2026-12-31'");
  db->ExecutarComando(
      "UPDATE LCTOINVPROPRIEDADE SET MOTIVOINVENTARIO = 4 WHERE DATAINVENT = '2026-12-31'");
  ExportRequest r = December("closing.txt");
  r.motive = 4;
  const ExportSummary s = ExportBlocoH(*db, r);
  EXPECT_EQ(s.period_start, "2026-12-01");
  const std::string text = Read(r.out);
  const FileCheck check = CheckFile(text);
  for (const std::string& p : check.problems) ADD_FAILURE() << p;
  EXPECT_EQ(Reconcile(*db, check), std::vector<std::string>{});
  int64_t icms = 0, h020 = 0;
  for (const std::string& line : Lines(text)) {
    if (line.rfind("|H020|", 0) != 0) continue;
    ++h020;
    icms += *ParseDecimal(Fields(line)[3], 2);
  }
  EXPECT_EQ(h020, s.h010);
  auto statement = db->Preparar(
      "SELECT SUM(VALORICMS) FROM LCTOINV WHERE CODIGOEMPRESA = 1 AND CODIGOESTAB = 1"
      " AND DATAINVENT = '2026-12-31'");
  statement->Bind(Variant());
  ASSERT_TRUE(statement->Step());
  EXPECT_EQ(icms, *Scaled(statement->ColumnValue(0).AsFloat(), 2));
  statement->Reset();
}

}  // namespace
