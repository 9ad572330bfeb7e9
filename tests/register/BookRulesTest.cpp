// The register as a legal book, checked from what it prints: random book-control settings
// (front and back, numbers on every other page, small page limits, book-starting months with
// blanks, starting points before and inside the span, monthly, quarterly and yearly periods,
// periods without items) and sequences of recorded runs (with and without terms, repeats, a
// stopped run). Every page of every run is read back from the trace and the book they form is
// checked against the rules a clerk would: each number once and in order in its book, terms
// as the first and last pages of their books and stating their page count, books changing
// where the settings say, sides kept, the book control stating what was printed, and terms
// dated with their own book's span.

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "basekit/ExecutarSQL.h"
#include "basekit/MessageDlg.h"
#include "rtl/DateTime.h"
#include "rtl/FormatDateTime.h"
#include "rtl/StrConv.h"
#include "support/PluginTest.h"

namespace stock::test {
namespace {

using Params = std::vector<std::pair<std::string, std::string>>;

// One printed page as a reader sees it.
struct Page {
  char kind = '?';           // 'A' opening term, 'E' closing term, 'V' back of an opening term,
                             // 'B' a page of the register (items, an empty period or a blank page)
  int book = 0, number = 0;  // 0: the page shows no numbers
  int stated = -1;           // a term's "N folhas"
  std::string period;        // a register page's "dd/mm/aaaa a dd/mm/aaaa"
  std::string dated;         // a term's date line, as dd/mm/aaaa
  std::string stock;         // a term's "estoque existente em" date
  bool blank = false;        // "E M  B R A N C O"
};

std::string MonthNumber(const std::string& name) {
  static const char* names[] = {"janeiro",  "fevereiro", "março",    "abril",
                                "maio",     "junho",     "julho",    "agosto",
                                "setembro", "outubro",   "novembro", "dezembro"};
  for (int i = 0; i < 12; ++i) {
    if (name == names[i]) return (i < 9 ? "0" : "") + IntToStr(i + 1);
  }
  return "??";
}

std::vector<Page> ReadPages(const std::vector<std::string>& lines) {
  static const std::regex body(R"(NumLivro=Livro: (\d+) \| NumFolha=[^:|]*: (\d+))");
  static const std::regex term_header(R"(Livro: (\d+)\s+[^:]+: (\d+))");
  static const std::regex period(R"(pPeriodoIni=Período : (\S+ a \S+))");
  static const std::regex stated(R"(livro\s+(\d+)\s+(folhas|páginas))");
  static const std::regex stock(R"(existente\s+em\s+(\d\d/\d\d/\d{4}))");
  static const std::regex dated(R"((\d+) de (\S+) de (\d{4}))");
  std::vector<Page> pages;
  std::smatch m;
  for (const std::string& line : lines) {
    if (std::regex_match(line, std::regex(R"(page \d+ begin)"))) {
      pages.emplace_back();
      continue;
    }
    if (pages.empty()) continue;
    Page& p = pages.back();
    if (line.rfind("section 1: Titulo=", 0) == 0) {
      p.kind = 'B';
      if (std::regex_search(line, m, body)) p.book = std::stoi(m[1]), p.number = std::stoi(m[2]);
      if (std::regex_search(line, m, period)) p.period = m[1];
    } else if (line.rfind("section 1: Livro=", 0) == 0) {
      p.kind = 'V';  // until the term's own section says which term it is
      if (std::regex_search(line, m, term_header)) {
        p.book = std::stoi(m[1]), p.number = std::stoi(m[2]);
      }
    } else if (line.find("TipoTermo=") != std::string::npos) {
      p.kind = line.find("TipoTermo=A") != std::string::npos ? 'A' : 'E';
      if (std::regex_search(line, m, stated)) p.stated = std::stoi(m[1]);
      if (std::regex_search(line, m, stock)) p.stock = m[1];
    } else if (line.find("E M     B R A N C O") != std::string::npos) {
      p.blank = true;
    } else if (line.rfind("section 10: LocalData=", 0) == 0 && std::regex_search(line, m, dated)) {
      const std::string day = m[1];
      p.dated = (day.size() == 1 ? "0" : "") + day + "/" + MonthNumber(m[2]) + "/" + m[3].str();
    }
  }
  return pages;
}

// The pages in one line, for a failure's message: kind, book/number, period.
std::string Describe(const std::vector<Page>& pages) {
  std::string out;
  for (const Page& p : pages) {
    out += p.blank ? 'b' : p.kind;
    out += IntToStr(p.book) + "/" + IntToStr(p.number);
    if (!p.period.empty()) out.append("(").append(p.period, 0, 5).append(")");
    out += ' ';
  }
  return out;
}

class BookRules : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    Exec(R"(
      insert into EMPRESA (CODIGOEMPRESA, NOMEEMPRESA, TIPOINSCR, INSCRFEDERAL, CIDADE, UF) values
        (1, 'Alfa Metais', 1, '11222333000181', 'Campinas', 'SP');
      insert into ESTAB (CODIGOEMPRESA, CODIGOESTAB, NOMEESTAB, TIPOINSCR, INSCRFEDERAL,
                         DATAINICIOATIV) values (1, 1, 'Matriz', 1, '11222333000181', '2020-01-01');
      insert into GRUPOPRODUTO (CODIGOEMPRESA, CODIGOGRUPOPRODUTO, CLASSIFGRUPOPRODUTO,
                                DESCRGRUPOPRODUTO, TIPOGRUPOPRODUTO) values (1, 1, '01', 'Metais', 2);
    )");
    std::string produtos;
    for (int p = 1; p <= 120; ++p) {
      produtos += std::string(produtos.empty() ? "" : ",") + "(1, " + IntToStr(p) + ", 'Produto " +
                  IntToStr(p) + "', 'UN', 1)";
    }
    Exec(
        "insert into PRODUTO (CODIGOEMPRESA, CODIGOPRODUTO, DESCRPRODUTO, UNIDADEMEDIDA, "
        "CODIGOGRUPOPRODUTO) values " +
        produtos);
  }

  int Count(const std::string& sql) {
    SQLDataSetPtr cur(ExecutarSQL(sql, Variant(), true, false, -1, "", nullptr, true));
    return cur->IsEmpty() || cur->Fields(0)->IsNull()
               ? -1
               : static_cast<int>(cur->Fields(0)->AsInteger());
  }

  std::string Dump() {
    SQLDataSetPtr cur(ExecutarSQL(
        "select DATAINICIAL || '/' || DATAFINAL || '/' || NUMLIVRO || '/' || ULTIMAFOLHA || '/' "
        "|| COMTERMOS from LIVROPERIODO order by DATAINICIAL",
        Variant(), true, false, -1, "", nullptr, true));
    std::string out;
    for (cur->First(); !cur->GetEof(); cur->Next()) out += cur->Fields(0)->AsString() + ";";
    return out;
  }

  RunOutcome Run(TDateTime from, TDateTime to, bool terms, bool stop) {
    Params params{{"pCodigoEmpresa", "1"},
                  {"pCodigoEstab", "1"},
                  {"pCompetInicial", DateToStr(from)},
                  {"pCompetFinal", DateToStr(to)},
                  {"pImprimeTermos", terms ? "1" : "0"},
                  {"pAtualizarControleLivro", "1"},
                  {"pAssinSocio", "0"},
                  {"pAssinCont", "0"}};
    DialogHandlerGuard guard([](const DialogRequest&) { return 0; });
    int calls = 0;
    ProgressHandler progress;
    if (stop) progress = [&calls](int, int) { return ++calls > 1; };
    return Print("stockRegister", params, progress);
  }
};

// What the generator set up, for the checker.
struct Settings {
  bool front_back = false, every_page = true;
  int limit = 500;
  std::set<int> months;
  int months_per_period = 1;
  int first_book = 1, first_page = 0;  // the starting point before the span (1, 0: none)
  bool has_start = false;
  std::map<std::string, std::pair<int, int>>
      starts;  // "dd/mm/aaaa" of a period start -> book, page
};

// The checks of one run's pages, as printed.
void CheckRun(const Settings& s, const std::vector<Page>& pages, bool terms) {
  std::map<int, int> stated_by_book;
  for (size_t i = 0; i < pages.size(); ++i) {
    const Page& p = pages[i];
    SCOPED_TRACE("page " + IntToStr(static_cast<int>(i)));
    ASSERT_NE(p.kind, '?');
    if (!terms) {
      EXPECT_TRUE(p.kind == 'B');
    }
    if (p.kind == 'A' || p.kind == 'E') {
      // A term states its own book's page count: the closing term's page, the same in both.
      ASSERT_GT(p.number, 0);
      if (p.kind == 'E') {
        EXPECT_EQ(p.stated, p.number);
      }
      auto [it, fresh] = stated_by_book.emplace(p.book, p.stated);
      if (!fresh) {
        EXPECT_EQ(it->second, p.stated) << "book " << p.book;
      }
    }
    if (p.kind == 'V') {
      ASSERT_GT(i, 0u);
      EXPECT_EQ(pages[i - 1].kind, 'A');
      EXPECT_TRUE(s.front_back);
      if (s.every_page) {
        EXPECT_EQ(p.number, pages[i - 1].number + 1);
      }
      if (!s.every_page) {
        EXPECT_EQ(p.number, 0);
      }
    }
    if (s.front_back) {
      const bool front = i % 2 == 0;
      if (p.kind == 'A' || p.kind == 'E') {
        EXPECT_TRUE(front) << p.kind;
      }
      // Every period starts on a front.
      if (p.kind == 'B' && !p.period.empty() && !p.blank) {
        size_t j = i;
        while (j > 0 && pages[j - 1].kind == 'B' && pages[j - 1].blank) --j;
        const bool starts = j == 0 || pages[j - 1].kind != 'B' || pages[j - 1].period != p.period;
        if (starts) {
          EXPECT_TRUE(front) << "period " << p.period;
        }
      }
      // No sheet holds pages of two books.
      if (!front && p.number > 0 && pages[i - 1].number > 0) {
        EXPECT_EQ(p.book, pages[i - 1].book) << "sheet " << i / 2;
      }
    }
    if (!s.every_page && p.kind == 'B' && i > 0 && pages[i - 1].kind == 'B') {
      EXPECT_FALSE(p.number > 0 && pages[i - 1].number > 0) << "two numbered pages in a row";
    }
  }
  // Terms carry their own book's span: the opening term the first day of the book's first
  // period, the closing term the last day of its last one, and both the stock on that day.
  for (size_t i = 0; i < pages.size(); ++i) {
    const Page& p = pages[i];
    if (p.kind == 'A') {
      for (size_t j = i + 1; j < pages.size(); ++j) {
        if (!pages[j].period.empty()) {
          EXPECT_EQ(p.dated, pages[j].period.substr(0, 10)) << "opening term of " << p.book;
          break;
        }
      }
      for (size_t j = i + 1; j < pages.size(); ++j) {
        if (pages[j].kind == 'E' && pages[j].book == p.book) {
          EXPECT_EQ(p.stock, pages[j].dated) << "opening term of " << p.book;
          break;
        }
      }
    }
    if (p.kind == 'E') {
      for (size_t j = i; j-- > 0;) {
        // A blank page that completes the book's last sheet shows the coming period.
        if (!pages[j].period.empty() && !(pages[j].blank && pages[j].number == 0)) {
          EXPECT_EQ(p.dated, pages[j].period.substr(13, 10)) << "closing term of " << p.book;
          break;
        }
      }
      EXPECT_EQ(p.stock, p.dated);
    }
  }
}

// The checks of the book that the recorded runs form together, in order.
void CheckBook(const Settings& s, const std::vector<Page>& book) {
  int last_book = s.first_book, last_number = s.first_page;
  bool closed = false;
  std::string last_period;
  std::set<int> books_left, books_closed;
  std::map<int, int> pages_in_book, openings;
  for (size_t i = 0; i < book.size(); ++i) {
    const Page& p = book[i];
    SCOPED_TRACE("page " + IntToStr(static_cast<int>(i)) + " of the book, " + p.kind + " " +
                 IntToStr(p.book) + "/" + IntToStr(p.number) + " " + p.period);
    // An unnumbered blank page completes a sheet (of a book that ends, or outside every book
    // after a closing term): its header may show the coming period, which it does not begin.
    if (p.blank && p.number == 0) continue;
    // The period a page belongs to: its own, or the next register page's for an opening term.
    std::string period = p.period;
    if (p.kind == 'A' || p.kind == 'V') {
      for (size_t j = i + 1; j < book.size() && period.empty(); ++j) period = book[j].period;
    }
    const bool period_starts = !period.empty() && period != last_period && p.kind != 'E';
    // A closing term is dated the last day of its book's last period, printed in this run or
    // in an earlier one.
    if (p.kind == 'E' && !last_period.empty()) {
      EXPECT_EQ(p.dated, last_period.substr(13, 10)) << "closing term of " << p.book;
    }
    if (!period.empty() && p.kind != 'E') last_period = period;
    if (p.number == 0) continue;

    // Why a new book may or must begin at this page.
    const bool aligned = s.front_back || !s.every_page;
    bool may_change = closed || (s.limit >= 1 && last_number >= s.limit);
    bool must_change = closed || (!aligned && s.limit >= 1 && last_number >= s.limit &&
                                  p.kind == 'B' && pages_in_book[last_book] > openings[last_book]);
    const std::pair<int, int>* start = nullptr;
    if (period_starts) {
      const std::string first_day = period.substr(0, 10);
      auto st = s.starts.find(first_day);
      if (st != s.starts.end()) {
        start = &st->second;
        if (closed || start->first != last_book) may_change = must_change = true;
      } else if (s.months.count(std::stoi(first_day.substr(3, 2))) > 0 && last_number > 0) {
        may_change = must_change = true;
      }
    }
    if (p.book != last_book) {
      EXPECT_TRUE(may_change) << "book changed from " << last_book << " without a reason";
      books_left.insert(last_book);
      EXPECT_EQ(books_left.count(p.book), 0u) << "book " << p.book << " taken up again";
      // A new book starts at its first number.
      if (start != nullptr && start->first == p.book) {
        EXPECT_EQ(p.number, start->second + 1);
      } else {
        EXPECT_EQ(p.book, last_book + 1);
        EXPECT_EQ(p.number, 1);
      }
    } else {
      EXPECT_FALSE(must_change) << "a new book was due";
      EXPECT_EQ(p.number, start != nullptr ? start->second + 1 : last_number + 1);
    }
    EXPECT_EQ(books_closed.count(p.book), 0u) << "page after the closing term";
    if (p.kind == 'A') {
      EXPECT_EQ(pages_in_book[p.book], 0) << "opening term inside book " << p.book;
      EXPECT_EQ(++openings[p.book], 1);
    }
    if (p.kind == 'E') books_closed.insert(p.book);
    ++pages_in_book[p.book];
    last_book = p.book;
    last_number = p.number;
    closed = p.kind == 'E';
  }
}

TEST_F(BookRules, RandomSettingsAndRunsKeepTheBookRules) {
  // BOOK_RULES_SEED and BOOK_RULES_CASES run other and more cases than the fixed ones.
  const char* seed = std::getenv("BOOK_RULES_SEED");
  const char* cases = std::getenv("BOOK_RULES_CASES");
  std::mt19937 rng(seed != nullptr ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10))
                                   : 20261209u);
  const int case_count = cases != nullptr ? std::atoi(cases) : 36;
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  // Lines per month over three years: none, a few, or pages of them.
  std::string linhas;
  const int quantidades[] = {0, 1, 4, 60, 110};
  for (int m = 0; m < 36; ++m) {
    const TDateTime fim = EndOfTheMonth(IncMonth(EncodeDate(2026, 1, 1), m));
    const int n = quantidades[pick(0, 4)];
    for (int p = 1; p <= n; ++p) {
      linhas += std::string(linhas.empty() ? "" : ",") + "(1, 1, '" +
                FormatDateTime("yyyy-mm-dd", fim) + "', " + IntToStr(p) + ", 1, 2, 2)";
    }
  }
  Exec(
      "insert into LCTOINV (CODIGOEMPRESA, CODIGOESTAB, DATAINVENT, CODIGOPRODUTO, QTDEESTOQUE, "
      "PRECOUNIT, VALORTOTAL) values " +
      linhas);

  for (int caso = 0; caso < case_count; ++caso) {
    SCOPED_TRACE("case " + IntToStr(caso));
    Exec(
        "delete from CONTROLELIVRO; delete from LIVRONUMERACAO; delete from LIVROPERIODO; "
        "delete from CFGEMPRESAINV");
    Settings s;
    const int kind = pick(0, 5) == 0 ? 3 : (pick(0, 3) == 0 ? 2 : 1);
    s.months_per_period = kind == 3 ? 12 : kind == 2 ? 3 : 1;
    Exec(
        "insert into CFGEMPRESAINV (CODIGOEMPRESA, LIVROMODELO7, PERIODOINVENTARIO) values (1, "
        "0, " +
        IntToStr(kind) + ")");
    s.front_back = pick(0, 1) == 1;
    s.every_page = pick(0, 2) > 0;
    const int limits[] = {0, 2, 3, 4, 5, 7, 500};
    s.limit = limits[pick(0, 6)];
    std::string lista;
    for (int m = 1; m <= 12; ++m) {
      if (pick(0, 4) == 0) {
        s.months.insert(m);
        lista += (lista.empty() ? "" : pick(0, 1) ? "; " : ";") + IntToStr(m);
      }
    }
    Exec(
        "insert into CONTROLELIVRO (CODIGOEMPRESA, CODIGOESTAB, TIPOLIVRO, INCLIVROMES, "
        "FRENTEVERSO, TIPOIMPNUMERACAO, LIMITEFOLHAS, LEGENDAFOLHA) values (1, 1, 11, " +
        (lista.empty() ? std::string("null") : "'" + lista + "'") + ", " +
        IntToStr(s.front_back ? 1 : 0) + ", " + IntToStr(s.every_page ? 0 : 1) + ", " +
        IntToStr(s.limit) + ", 'Folha')");
    if (pick(0, 2) == 0) {
      s.has_start = true;
      s.first_book = pick(1, 4);
      s.first_page = pick(0, 1) ? 0 : pick(1, 3);
      Exec("insert into LIVRONUMERACAO values (1, 1, 11, '2025-12-31', " + IntToStr(s.first_book) +
           ", " + IntToStr(s.first_page) + ")");
    }
    // The periods: from January 2026 on, of the configured length.
    const int periods = 36 / s.months_per_period;
    auto start_of = [&](int k) {
      return IncMonth(EncodeDate(2026, 1, 1), k * s.months_per_period);
    };
    if (pick(0, 3) == 0) {
      const int k = pick(1, std::min(periods - 1, 6));
      const int book = 40 + pick(0, 5), page = pick(0, 1) ? 0 : 3;
      s.starts[DateToStr(start_of(k))] = {book, page};
      Exec("insert into LIVRONUMERACAO values (1, 1, 11, '" +
           FormatDateTime("yyyy-mm-dd", start_of(k)) + "', " + IntToStr(book) + ", " +
           IntToStr(page) + ")");
    }
    SCOPED_TRACE("limit " + IntToStr(s.limit) + " months '" + lista + "' front/back " +
                 IntToStr(s.front_back) + " every page " + IntToStr(s.every_page) + " kind " +
                 IntToStr(kind));

    // Runs: each continues the last recorded one, repeats it, or is stopped.
    std::vector<std::vector<Page>> recorded;  // the prints that stand, in order
    int next = 0, last_from = 0, last_count = 0;
    bool last_terms = false;
    const int runs = pick(1, 4);
    for (int r = 0; r < runs && next < periods; ++r) {
      int from = next, count = std::min(pick(1, 3), periods - next), repeat = 0;
      bool terms = pick(0, 1) == 1;
      const int what = recorded.empty() ? 0 : pick(0, 5);
      if (what == 1) {
        from = last_from, count = last_count, terms = last_terms, repeat = 1;
      }
      const bool stop = what == 2;
      SCOPED_TRACE("run " + IntToStr(r) + " from period " + IntToStr(from) + ", " +
                   IntToStr(count) + (terms ? " with terms" : "") + (repeat ? " again" : "") +
                   (stop ? " stopped" : ""));
      const std::string before = Dump();
      RunOutcome outcome;
      try {
        outcome =
            Run(start_of(from), EndOfTheMonth(IncMonth(start_of(from + count), -1)), terms, stop);
      } catch (const std::exception& e) {
        FAIL() << e.what();
      }
      if (outcome.stopped) {
        EXPECT_TRUE(stop);
        EXPECT_EQ(Dump(), before);  // nothing recorded
        continue;
      }  // a run too short to be stopped prints and records as any other
      ASSERT_FALSE(outcome.stopped);
      const std::vector<Page> pages = ReadPages(Lines());
      ASSERT_FALSE(pages.empty());
      CheckRun(s, pages, terms);
      if (HasFailure()) {
        ADD_FAILURE() << Describe(pages);
        return;
      }
      // The book control states the last page printed, a term included.
      const Page* last = nullptr;
      for (const Page& p : pages) {
        if (p.number > 0) last = &p;
      }
      ASSERT_NE(last, nullptr);
      const std::string to =
          FormatDateTime("yyyy-mm-dd", EndOfTheMonth(IncMonth(start_of(from + count), -1)));
      EXPECT_EQ(Count("select NUMLIVRO from LIVROPERIODO where DATAFINAL = '" + to + "'"),
                last->book);
      EXPECT_EQ(Count("select ULTIMAFOLHA from LIVROPERIODO where DATAFINAL = '" + to + "'"),
                last->number);
      EXPECT_EQ(Count("select COMTERMOS from LIVROPERIODO where DATAFINAL = '" + to + "'"),
                last->kind == 'E' ? 1 : 0);
      if (repeat) {
        // The same months printed again number their pages as before.
        ASSERT_EQ(pages.size(), recorded.back().size());
        for (size_t i = 0; i < pages.size(); ++i) {
          EXPECT_EQ(pages[i].book, recorded.back()[i].book) << i;
          EXPECT_EQ(pages[i].number, recorded.back()[i].number) << i;
        }
        recorded.back() = pages;
      } else {
        recorded.push_back(pages);
        next = from + count;
      }
      last_from = from, last_count = count, last_terms = terms;
    }
    std::vector<Page> book;
    for (const auto& run : recorded) book.insert(book.end(), run.begin(), run.end());
    CheckBook(s, book);
    if (HasFailure()) {
      ADD_FAILURE() << Describe(book);
      return;
    }
  }
}

}  // namespace
}  // namespace stock::test
