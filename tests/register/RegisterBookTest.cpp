// The register book with its terms: two passes on one instance, opening terms that state the
// pages the first pass counted, books closed by the page limit and by a listed month, the
// record of a run with terms, and a terms report that cannot be created.

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "basekit/ExecutarSQL.h"
#include "basekit/MessageDlg.h"
#include "support/PluginTest.h"

namespace stock::test {
namespace {

using Params = std::vector<std::pair<std::string, std::string>>;
using Texts = std::vector<std::string>;

class RegisterBook : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    // One item in January, February and March; April has none.
    Exec(R"(
      insert into EMPRESA (CODIGOEMPRESA, NOMEEMPRESA, TIPOINSCR, INSCRFEDERAL, CIDADE, UF) values
        (1, 'Alfa Metais', 1, '11222333000181', 'Campinas', 'SP');
      insert into CFGEMPRESAINV (CODIGOEMPRESA, LIVROMODELO7, LANCAICMSRECUP) values (1, 0, 0);
      insert into ESTAB (CODIGOEMPRESA, CODIGOESTAB, NOMEESTAB, TIPOINSCR, INSCRFEDERAL,
                         DATAINICIOATIV) values (1, 1, 'Matriz', 1, '11222333000181', '2020-01-01');
      insert into GRUPOPRODUTO (CODIGOEMPRESA, CODIGOGRUPOPRODUTO, CLASSIFGRUPOPRODUTO,
                                DESCRGRUPOPRODUTO, TIPOGRUPOPRODUTO) values (1, 1, '01', 'Metais', 2);
      insert into PRODUTO (CODIGOEMPRESA, CODIGOPRODUTO, DESCRPRODUTO, UNIDADEMEDIDA,
                           CODIGOGRUPOPRODUTO) values (1, 10, 'Arruela', 'UN', 1);
      insert into LCTOINV (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO, QTDEESTOQUE,
                           PRECOUNIT, VALORTOTAL) values
        (1, 1, '2026-01-31', 10, 1, 1, 1), (1, 1, '2026-02-28', 10, 2, 1, 2),
        (1, 1, '2026-03-31', 10, 3, 1, 3);
    )");
  }

  void Settings(const std::string& months, int limit) {
    Exec(
        "delete from CONTROLELIVRO; insert into CONTROLELIVRO (CODIGOEMPRESA, CODIGOESTAB, "
        "TIPOLIVRO, INCLIVROMES, LIMITEFOLHAS) values (1, 1, 11, " +
        (months.empty() ? std::string("null") : "'" + months + "'") + ", " + std::to_string(limit) +
        ")");
  }

  RunOutcome Run(const std::string& from, const std::string& to, Params extra = {},
                 ProgressHandler progress = nullptr) {
    Params params{{"pCompetInicial", from},
                  {"pCompetFinal", to},
                  {"pImprimeTermos", "1"},
                  {"pAtualizarControleLivro", "1"}};
    params.insert(params.end(), extra.begin(), extra.end());
    questions_ = 0;
    DialogHandlerGuard guard([this](const DialogRequest&) {
      ++questions_;
      return 0;
    });
    return Print("stockRegister", params, std::move(progress));
  }

  // The book as it reads: "A<pages>" for an opening term stating that page count, "E<pages>"
  // for a closing term, and the page header's "<book>/<page>" for each page of the register.
  Texts Book() const {
    Texts out;
    for (const std::string& line : Lines("section ")) {
      const size_t kind = line.find("TipoTermo=");
      if (kind != std::string::npos) {
        const size_t at = line.find("livro  ");
        const std::string pages = line.substr(at + 7, line.find(' ', at + 7) - at - 7);
        out.push_back((line.compare(kind + 10, 1, "A") == 0 ? "A" : "E") + pages);
      } else if (line.rfind("section 1: Titulo=", 0) == 0) {
        const size_t book = line.find("NumLivro=Livro: "), page = line.find("NumFolha=Folha: ");
        out.push_back(line.substr(book + 16, 4) + "/" + line.substr(page + 16, 4));
      }
    }
    return out;
  }

  int Count(const std::string& sql) {
    SQLDataSetPtr cur(ExecutarSQL(sql, Variant(), true, false, -1, "", nullptr, true));
    return static_cast<int>(cur->Fields(0)->AsInteger());
  }

  int questions_ = 0;
};

TEST_F(RegisterBook, BooksCloseAtTheLimitAndAtAListedMonthWithTheirTerms) {
  struct Case {
    std::string months;
    int limit;
    Texts book;
  };
  const std::vector<Case> cases = {
      // One book: the opening term is its page 1, the closing term its last, and the opening
      // term states the pages the closing term will.
      {"", 500, {"A5", "0001/0002", "0001/0003", "0001/0004", "E5"}},
      // March starts a new book.
      {"3", 500, {"A4", "0001/0002", "0001/0003", "E4", "A3", "0002/0002", "E3"}},
      // Page 2 is the last of a book: each month fills one.
      {"", 2, {"A3", "0001/0002", "E3", "A3", "0002/0002", "E3", "A3", "0003/0002", "E3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.months + "/" + std::to_string(c.limit));
    Settings(c.months, c.limit);
    Exec("delete from LIVROPERIODO; delete from LIVRONUMERACAO");
    const RunOutcome outcome = Run("01/01/2026", "31/03/2026");
    EXPECT_EQ(Book(), c.book);
    EXPECT_EQ(questions_, 1);  // asked in the first pass only
    // Recorded once, in the second pass, as printed with terms.
    EXPECT_EQ(Count("select count(*) from LIVROPERIODO"), 3);
    EXPECT_GE(Count("select count(*) from LIVROPERIODO where COMTERMOS = 1"), 1);
    EXPECT_EQ(outcome.pages, static_cast<int>(c.book.size()));
    // The last row states the closing term's page and marks the book closed.
    EXPECT_EQ(Count("select COMTERMOS from LIVROPERIODO where DATAFINAL = '2026-03-31'"), 1);
  }
}

TEST_F(RegisterBook, ClosedBookIsNeverReopened) {
  Settings("", 500);
  Run("01/01/2026", "28/02/2026");
  EXPECT_EQ(Book(), (Texts{"A4", "0001/0002", "0001/0003", "E4"}));
  // The closing term closed book 1: the next run opens book 2, and a period without items
  // still takes its page.
  Run("01/03/2026", "30/04/2026");
  EXPECT_EQ(Book(), (Texts{"A4", "0002/0002", "0002/0003", "E4"}));
  EXPECT_EQ(Count("select count(*) from LIVROPERIODO"), 4);
  EXPECT_EQ(Count("select count(*) from LIVROPERIODO where COMTERMOS = 1"), 2);
  // Without terms the next run continues no closed book either.
  Run("01/05/2026", "31/05/2026", {{"pImprimeTermos", "0"}});
  EXPECT_EQ(Book(), (Texts{"0003/0001"}));
}

TEST_F(RegisterBook, StopInTheCountingPassWritesNothing) {
  Settings("", 500);
  const RunOutcome outcome = Run("01/01/2026", "31/03/2026", {}, [](int, int) { return true; });
  EXPECT_TRUE(outcome.stopped);
  EXPECT_EQ(Count("select count(*) from LIVROPERIODO"), 0);
  EXPECT_EQ(Count("select count(*) from LIVRONUMERACAO"), 0);
}

TEST_F(RegisterBook, WithoutTheTermsReportTheBookPrintsAndSaysWhy) {
  // A definition folder holding the register alone.
  const std::string folder = dir_ + "/definicoes";
  std::filesystem::create_directory(folder);
  std::filesystem::copy_file(DefinitionPath("stockRegister"), folder + "/stockRegister.json");
  const std::string previous = DefinitionDirectory();
  SetDefinitionDirectory(folder);
  const RunOutcome outcome = Run("01/01/2026", "28/02/2026");
  SetDefinitionDirectory(previous);
  EXPECT_EQ(Book(), (Texts{"0001/0001", "0001/0002"}));
  // Recorded as printed: without terms, the book left open.
  EXPECT_EQ(Count("select ULTIMAFOLHA from LIVROPERIODO where DATAFINAL = '2026-02-28'"), 2);
  EXPECT_EQ(Count("select count(*) from LIVROPERIODO where COMTERMOS <> 0"), 0);
  ASSERT_FALSE(outcome.messages.empty());
  EXPECT_EQ(outcome.messages[0], (std::pair<int, std::string>{
                                     0, "Módulo de dados 'stockBookTermsLayout' não encontrado"}));
}

// Reprints that cannot keep the numbers of what was recorded after them are refused before
// anything prints, naming the recorded period and what to print instead; nothing is deleted.
TEST_F(RegisterBook, ReprintThatWouldRenumberRecordedPagesIsRefused) {
  Settings("", 500);
  Run("01/01/2026", "31/03/2026", {{"pImprimeTermos", "0"}});
  const int rows = Count("select count(*) from LIVROPERIODO");
  // February gains a page's worth of lines: reprinting it alone would repeat March's page.
  std::string produtos, linhas;
  for (int p = 100; p < 180; ++p) {
    const std::string codigo = std::to_string(p);
    produtos += std::string(produtos.empty() ? "" : ",") + "(1, " + codigo + ", 'P" + codigo +
                "', 'UN', 1)";
    linhas +=
        std::string(linhas.empty() ? "" : ",") + "(1, 1, '2026-02-28', " + codigo + ", 1, 1, 1)";
  }
  Exec(
      "insert into PRODUTO (CODIGOEMPRESA, CODIGOPRODUTO, DESCRPRODUTO, UNIDADEMEDIDA, "
      "CODIGOGRUPOPRODUTO) values " +
      produtos);
  Exec(
      "insert into LCTOINV (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO, QTDEESTOQUE, "
      "PRECOUNIT, VALORTOTAL) values " +
      linhas);
  for (const bool terms : {false, true}) {
    try {
      Run("01/02/2026", "28/02/2026", {{"pImprimeTermos", terms ? "1" : "0"}});
      ADD_FAILURE() << "expected a refusal";
    } catch (const std::exception& e) {
      EXPECT_NE(std::string(e.what()).find("Imprima de 01/02/2026 a 31/03/2026"), std::string::npos)
          << e.what();
    }
  }
  EXPECT_EQ(Count("select count(*) from LIVROPERIODO"), rows);
  // A month inside a longer recorded period is refused too.
  Exec(
      "delete from LIVROPERIODO; delete from LIVRONUMERACAO; insert into LIVROPERIODO values "
      "(1, 1, 11, '2025-01-01', '2025-12-31', 2, 180, 0, '2026-01-20')");
  try {
    Run("01/12/2025", "31/12/2025", {{"pImprimeTermos", "0"}});
    ADD_FAILURE() << "expected a refusal";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("01/01/2025 a 31/12/2025"), std::string::npos) << e.what();
  }
  EXPECT_EQ(Count("select count(*) from LIVROPERIODO"), 1);
  EXPECT_EQ(Count("select count(*) from LIVRONUMERACAO"), 0);
  // The next months continue the recorded book.
  Run("01/01/2026", "31/01/2026", {{"pImprimeTermos", "0"}});
  EXPECT_EQ(Book(), (Texts{"0002/0181"}));
}

// A starting point takes effect at its date: on the day a recorded period ended, and inside a
// run's months, so that a month numbers alike printed alone or with the months before it.
TEST_F(RegisterBook, StartingPointTakesEffectAtItsDate) {
  Settings("", 500);
  Exec(
      "insert into LIVROPERIODO values (1, 1, 11, '2025-01-01', '2025-12-31', 2, 180, 0, "
      "'2026-01-20'); insert into LIVRONUMERACAO values (1, 1, 11, '2025-12-31', 7, 10)");
  Run("01/01/2026", "31/01/2026", {{"pImprimeTermos", "0"}, {"pAtualizarControleLivro", "0"}});
  EXPECT_EQ(Book(), (Texts{"0007/0011"}));
  Exec("insert into LIVRONUMERACAO values (1, 1, 11, '2026-03-01', 9, 0)");
  Run("01/01/2026", "31/03/2026", {{"pImprimeTermos", "0"}, {"pAtualizarControleLivro", "0"}});
  EXPECT_EQ(Book(), (Texts{"0007/0011", "0007/0012", "0009/0001"}));
  Run("01/03/2026", "31/03/2026", {{"pImprimeTermos", "0"}, {"pAtualizarControleLivro", "0"}});
  EXPECT_EQ(Book(), (Texts{"0009/0001"}));
  // With terms the starting point's book 7 opens after its page 10 and closes where book 9
  // begins.
  Run("01/02/2026", "31/03/2026", {{"pAtualizarControleLivro", "0"}});
  EXPECT_EQ(Book(), (Texts{"A13", "0007/0012", "E13", "A3", "0009/0002", "E3"}));
}

}  // namespace
}  // namespace stock::test
