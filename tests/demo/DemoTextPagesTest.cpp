// Every print of `make demo`, read from the Makefile, printed as text over a fresh demo
// database: each value a label shows (as the trace records it) stands whole in the label's
// own columns of the text page (a wrapped label's words in order, over consecutive rows), no
// two labels' characters share a cell, and every page keeps within its grid and ends with a
// form feed.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "basekit/Conexao.h"
#include "basekit/MessageDlg.h"
#include "demo/DemoDatabase.h"
#include "reportkit/DMReport.h"
#include "reportkit/PluginRun.h"
#include "reportkit/ReportDefinition.h"
#include "reportkit/output/TextDevice.h"
#include "reportkit/output/Utf8.h"

namespace stock {
namespace {

struct DemoPrint {
  std::string out, report;
  std::string definition;  // --definition, for a plug-in that prints several
  std::vector<std::pair<std::string, std::string>> params;
  int answer = 0;  // 1 --yes, -1 --no, 0 neither
};

void PrintTo(const DemoPrint& print, std::ostream* os) { *os << print.out; }

// The DEMO_PRINTS entries of the Makefile: "<out> <report> -p name=value ... [--yes|--no]".
std::vector<DemoPrint> ReadDemoPrints(const std::string& makefile) {
  std::ifstream in(makefile);
  std::vector<DemoPrint> prints;
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (!inside) {
      inside = line.rfind("DEMO_PRINTS :=", 0) == 0;
      continue;
    }
    const size_t open = line.find('"');
    const size_t close = line.rfind('"');
    if (open != std::string::npos && close > open) {
      std::istringstream words(line.substr(open + 1, close - open - 1));
      DemoPrint p;
      words >> p.out >> p.report;
      for (std::string word; words >> word;) {
        if (word == "--yes") p.answer = 1;
        if (word == "--no") p.answer = -1;
        if (word == "--definition") words >> p.definition;
        if (word != "-p") continue;
        words >> word;
        const size_t eq = word.find('=');
        p.params.emplace_back(word.substr(0, eq),
                              eq == std::string::npos ? "" : word.substr(eq + 1));
      }
      prints.push_back(std::move(p));
    }
    if (line.empty() || line.back() != '\\') break;
  }
  return prints;
}

struct Drawn {
  std::string name, text;
  TextBox box;
  TextAlign align;
  bool wrapped = false;
};

// The definition a print uses, as the command chooses it: the one named with --definition,
// the report's own, or else the first by name of those the plug-in prints.
std::string DefinitionOf(const DemoPrint& print) {
  if (!print.definition.empty()) return print.definition;
  namespace fs = std::filesystem;
  if (fs::exists(DefinitionPath(print.report))) return print.report;
  std::vector<std::string> bound;
  for (const auto& entry : fs::directory_iterator(DefinitionDirectory())) {
    if (entry.path().extension() != ".json") continue;
    if (LoadReportDefinition(entry.path().string())->plugin == print.report) {
      bound.push_back(entry.path().stem().string());
    }
  }
  std::sort(bound.begin(), bound.end());
  return bound.empty() ? print.report : bound.front();
}

// Prints into a TextDevice and records, page by page, each label drawn with the value the
// engine reports for it.
class Recorder : public OutputDevice {
 public:
  struct Page {
    PageFormat format;
    std::vector<Drawn> labels;
  };

  void BeginDocument(const DocumentInfo& info) override { text_.BeginDocument(info); }
  void BeginPage(int number, const PageFormat& page) override {
    pages_.push_back({page, {}});
    text_.BeginPage(number, page);
  }
  void DrawText(const TextBox& box, std::string_view text, const FontSpec& font,
                TextAlign align) override {
    pending_.push_back({"", std::string(text), box, align});
    text_.DrawText(box, text, font, align);
  }
  void DrawWrappedText(const TextBox& box, std::string_view text, const FontSpec& font,
                       TextAlign align) override {
    pending_.push_back({"", std::string(text), box, align, true});
    text_.DrawWrappedText(box, text, font, align);
  }
  void DrawLine(double x1, double y1, double x2, double y2, double thickness) override {
    text_.DrawLine(x1, y1, x2, y2, thickness);
  }
  bool WantsSections() const override { return true; }
  // The labels drawn since the last section are its non-empty values, in order.
  void OnSection(int section, const ShownValues& shown) override {
    size_t next = 0;
    for (const auto& [name, value] : shown) {
      if (value.empty()) continue;
      if (next < pending_.size() && pending_[next].text == value) {
        pending_[next].name = name;
        pages_.back().labels.push_back(pending_[next++]);
      } else {
        mismatches_.push_back("seção " + std::to_string(section) + ", " + name);
      }
    }
    pending_.clear();
  }
  void EndPage() override { text_.EndPage(); }
  void Finish() override { text_.Finish(); }
  void Abort() noexcept override { text_.Abort(); }

  const std::string& Text() const { return text_.Text(); }
  const std::vector<Page>& Pages() const { return pages_; }
  const std::vector<std::string>& Mismatches() const { return mismatches_; }

 private:
  TextDevice text_;
  std::vector<Page> pages_;
  std::vector<Drawn> pending_;
  std::vector<std::string> mismatches_;
};

std::u32string Decode(std::string_view text) {
  std::u32string out;
  for (size_t i = 0; i < text.size();) out.push_back(NextCodePoint(text, i));
  return out;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1) {
    parts.push_back(text.substr(start, at - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

bool IsBlank(char32_t c) { return c == U' ' || c == U'\t' || c == U'\n' || c == U'\r'; }

// The words of `text`: its runs of characters other than blanks and line breaks.
std::vector<std::u32string> Words(const std::u32string& text) {
  std::vector<std::u32string> words;
  for (size_t i = 0; i < text.size();) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    const size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// A caption padded with a dotted leader ("Nome fantasia . . . . ."): the dots only lead the
// eye to the value printed after the box, and the PDF cuts them at the box too, so losing
// some of them to a narrower box loses nothing the reader needs. True when `lost` (what does
// not fit) is nothing but such padding.
bool IsLeaderPadding(const std::u32string& lost) {
  return std::all_of(lost.begin(), lost.end(), [](char32_t c) { return c == U'.' || c == U' '; });
}

// Checks one text page against the labels drawn on it; appends what is wrong to `problems`
// and the labels cut at their box to `cut`.
void CheckPage(const std::string& where, const std::string& page_text, const Recorder::Page& page,
               std::vector<std::string>& problems, std::vector<std::string>& cut) {
  const PageFormat& f = page.format;
  std::vector<std::u32string> rows;
  if (!page_text.empty()) {
    for (const std::string& row : Split(page_text.substr(0, page_text.size() - 1), '\n')) {
      rows.push_back(Decode(row));
    }
  }
  if (static_cast<int>(rows.size()) > f.lines) {
    problems.push_back(where + ": " + std::to_string(rows.size()) + " linhas, mais que " +
                       std::to_string(f.lines));
  }
  for (size_t r = 0; r < rows.size(); ++r) {
    if (static_cast<int>(rows[r].size()) > f.columns) {
      problems.push_back(where + ", linha " + std::to_string(r + 1) + ": passa de " +
                         std::to_string(f.columns) + " colunas");
    }
  }

  // The label's box in columns: its edges on the nearest column of the printable width.
  const double column_width = (f.width - f.margin_left - f.margin_right) / f.columns;
  auto column = [&](double x) {
    return std::clamp(static_cast<int>(std::lround((x - f.margin_left) / column_width)), 0,
                      f.columns);
  };
  std::vector<std::vector<bool>> claimed(rows.size());
  for (size_t r = 0; r < rows.size(); ++r) claimed[r].assign(rows[r].size(), false);
  auto cell = [&](size_t r, int c) -> char32_t {
    return c < static_cast<int>(rows[r].size()) ? rows[r][static_cast<size_t>(c)] : U' ';
  };
  auto free = [&](size_t r, int c) {
    return !(c < static_cast<int>(claimed[r].size()) && claimed[r][static_cast<size_t>(c)]);
  };
  auto claim = [&](size_t r, int from, int n) {
    for (int c = from; c < from + n; ++c) {
      if (c < static_cast<int>(claimed[r].size())) claimed[r][static_cast<size_t>(c)] = true;
    }
  };

  // A one-line label: its text (or what of it fits, or '#'s for a figure) where its alignment
  // puts it in the box, on some row from `floor` down. Returns the row, or -1.
  auto find_line = [&](const Drawn& label, int first, int end, size_t floor) -> long {
    const int room = end - first;
    const std::u32string value = Decode(label.text);
    std::vector<std::u32string> accepted = {value};
    if (static_cast<int>(value.size()) > room) {
      const size_t kept = static_cast<size_t>(std::max(room, 0));
      if (!IsLeaderPadding(value.substr(kept))) {
        cut.push_back(where + ": " + label.name + " '" + label.text + "' em " +
                      std::to_string(room) + " colunas");
      }
      accepted = {value.substr(0, kept), std::u32string(kept, U'#')};
    }
    const int n = static_cast<int>(accepted[0].size());
    const int start = label.align == TextAlign::Left    ? first
                      : label.align == TextAlign::Right ? end - n
                                                        : first + (room - n) / 2;
    for (size_t r = floor; r < rows.size(); ++r) {
      for (const std::u32string& shown : accepted) {
        bool here = true;
        for (int i = 0; i < n && here; ++i) {
          here = cell(r, start + i) == shown[static_cast<size_t>(i)] && free(r, start + i);
        }
        if (!here) continue;
        claim(r, start, n);
        return static_cast<long>(r);
      }
    }
    return -1;
  };

  // A wrapped label: its words, in order and whole, fill the box's columns of consecutive rows
  // from some row from `floor` down, each row starting on the box's first column (left
  // alignment) or ending on its last (right alignment). Returns the first row, or -1.
  auto find_wrapped = [&](const Drawn& label, int first, int end, size_t floor) -> long {
    const std::vector<std::u32string> words = Words(Decode(label.text));
    struct Placed {
      size_t row;
      int column, length;
    };
    for (size_t r = floor; r < rows.size(); ++r) {
      std::vector<Placed> placed;
      size_t next = 0;
      bool ok = true;
      for (size_t row = r; ok && next < words.size() && row < rows.size(); ++row) {
        int c = first, line_first = -1, line_last = -1;
        while (ok) {
          while (c < end && IsBlank(cell(row, c))) ++c;
          if (c >= end) break;
          const std::u32string& word = next < words.size() ? words[next] : std::u32string();
          const int n = static_cast<int>(word.size());
          ok = n > 0 && c + n <= end && (c + n == end || IsBlank(cell(row, c + n)));
          for (int i = 0; i < n && ok; ++i) {
            ok = cell(row, c + i) == word[static_cast<size_t>(i)] && free(row, c + i);
          }
          if (!ok) break;
          placed.push_back({row, c, n});
          if (line_first < 0) line_first = c;
          line_last = c + n - 1;
          ++next;
          c += n;
        }
        ok = ok && line_first >= 0 && !(label.align == TextAlign::Left && line_first != first) &&
             !(label.align == TextAlign::Right && line_last != end - 1);
      }
      if (!ok || next < words.size()) continue;
      for (const Placed& p : placed) claim(p.row, p.column, p.length);
      return static_cast<long>(r);
    }
    return -1;
  };

  std::vector<Drawn> labels = page.labels;
  std::stable_sort(labels.begin(), labels.end(),
                   [](const Drawn& a, const Drawn& b) { return a.box.top < b.box.top; });
  size_t floor = 0;  // rows only go down the page as the tops do
  for (const Drawn& label : labels) {
    const int first = column(label.box.left);
    int end = column(label.box.left + label.box.width);
    if (end == first && first < f.columns) ++end;
    const long row = label.wrapped ? find_wrapped(label, first, end, floor)
                                   : find_line(label, first, end, floor);
    if (row >= 0) {
      floor = static_cast<size_t>(row);
    } else {
      problems.push_back(where + ": " + label.name + " '" + label.text + "' não está " +
                         (label.wrapped ? "inteiro, palavra por palavra, " : "") + "nas colunas " +
                         std::to_string(first + 1) + " a " + std::to_string(end) +
                         " de nenhuma linha a partir da " + std::to_string(floor + 1));
    }
  }
}

class DemoTextPages : public ::testing::TestWithParam<DemoPrint> {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/demotext-XXXXXX";
    dir_ = mkdtemp(pattern);
    CreateDemoDatabase(dir_ + "/demo.db", DemoOptions{});
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(dir_); }

  void SetUp() override {
    if (const char* plugins = std::getenv("STOCK_PLUGIN_DIR")) SetPluginDirectory(plugins);
    if (const char* defs = std::getenv("STOCK_DEFINITION_DIR")) SetDefinitionDirectory(defs);
    SetConexaoPadrao(
        std::make_unique<TnConexao>(dir_ + "/demo.db", TnModoAbertura::LeituraEscrita));
  }
  void TearDown() override { SetConexaoPadrao(nullptr); }

  static std::string dir_;
};
std::string DemoTextPages::dir_;

TEST_P(DemoTextPages, EveryValueStandsWholeInItsOwnColumns) {
  const DemoPrint& print = GetParam();
  const int answer = print.answer;
  DialogHandlerGuard dialogs([answer](const DialogRequest& request) {
    const std::vector<std::string> yes = {"Sim", "OK", "Confirmar"}, no = {"Não", "Cancelar"};
    for (size_t i = 0; i < request.buttons.size(); ++i) {
      const std::vector<std::string>& wanted = answer >= 0 ? yes : no;
      if (std::find(wanted.begin(), wanted.end(), request.buttons[i]) != wanted.end()) {
        return static_cast<int>(i);
      }
    }
    return 0;
  });
  Recorder recorder;
  const RunOutcome outcome = RunReport({DefinitionOf(print), print.params, nullptr}, recorder);
  ASSERT_GT(outcome.pages, 0);
  EXPECT_EQ(recorder.Mismatches(), std::vector<std::string>{});

  const std::string& text = recorder.Text();
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '\f') << "the last page ends with a form feed";
  const std::vector<std::string> pages = Split(text.substr(0, text.size() - 1), '\f');
  ASSERT_EQ(pages.size(), recorder.Pages().size());
  std::vector<std::string> problems, cut;
  for (size_t p = 0; p < pages.size(); ++p) {
    CheckPage(print.out + ".txt, página " + std::to_string(p + 1), pages[p], recorder.Pages()[p],
              problems, cut);
  }
  auto first = [](const std::vector<std::string>& all) {
    std::string shown;
    for (size_t i = 0; i < std::min<size_t>(all.size(), 12); ++i) shown += all[i] + "\n";
    return shown;
  };
  EXPECT_TRUE(problems.empty()) << problems.size() << " problemas:\n" << first(problems);
  EXPECT_TRUE(cut.empty()) << cut.size() << " textos cortados (alargue \"text\".\"columns\"):\n"
                           << first(cut);
}

std::vector<DemoPrint> Prints() {
  const char* source = std::getenv("STOCK_SOURCE_DIR");
  return ReadDemoPrints(std::string(source ? source : ".") + "/Makefile");
}

INSTANTIATE_TEST_SUITE_P(MakeDemo, DemoTextPages, ::testing::ValuesIn(Prints()),
                         [](const ::testing::TestParamInfo<DemoPrint>& info) {
                           return info.param.out;
                         });

TEST(DemoPrints, TheMakefileListsThePrints) {
  const std::vector<DemoPrint> prints = Prints();
  ASSERT_GE(prints.size(), 7u);
  EXPECT_EQ(prints.front().out, "stockItems");
  EXPECT_EQ(prints.front().params,
            (std::vector<std::pair<std::string, std::string>>{{"pQuebra", "1"}}));
}

}  // namespace
}  // namespace stock
