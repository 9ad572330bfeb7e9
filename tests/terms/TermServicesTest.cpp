// The text services of the book terms: widened word spacing and wrapped labels.

#include <gtest/gtest.h>

#include "reportkit/EspacosEntrePalavras.h"
#include "reportkit/output/WordWrap.h"

namespace {

TEST(PorEspacosEntrePalavras, EveryGapBecomesTwoSpaces) {
  const std::pair<const char*, const char*> cases[] = {
      {"Este livro contém", "Este  livro  contém"},
      {"  Este   livro\tcontém  ", "Este  livro  contém"},
      {"no período de 01/01/2026 a 31/12/2026", "no  período  de  01/01/2026  a  31/12/2026"},
      {"palavra", "palavra"},
      {"", ""},
      {"   ", ""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(PorEspacosEntrePalavras(in), out) << in;
}

TEST(WrapText, BreaksAtBlanksKeepingWordsWholeAndTheirSpacing) {
  const stock::FontSpec font{10};
  const std::string text = "Contém  este  livro  duzentas  e  cinquenta  folhas  numeradas";
  const double width = stock::MeasureText("Contém  este  livro", font) + 1;
  const std::vector<std::string> lines = stock::WrapText(text, font, width);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Contém  este  livro");
  std::string joined;
  for (const std::string& l : lines) {
    EXPECT_LE(stock::MeasureText(l, font), width) << l;
    EXPECT_NE(l.front(), ' ') << l;
    EXPECT_NE(l.back(), ' ') << l;
    joined += (joined.empty() ? "" : "  ") + l;
  }
  EXPECT_EQ(joined, text);  // nothing lost, nothing added

  // A word wider than the label takes a line of its own; line breaks in the text are kept.
  EXPECT_EQ(stock::WrapText("a Inconstitucionalissimamente b", font, 20),
            (std::vector<std::string>{"a", "Inconstitucionalissimamente", "b"}));
  EXPECT_EQ(stock::WrapText("um\r\ndois", font, 500), (std::vector<std::string>{"um", "dois"}));
  EXPECT_TRUE(stock::WrapText("", font, 500).empty());
}

// On a grid of characters a line holds `columns` characters, not bytes: "número" is six.
TEST(WrapColumns, BreaksLikeWrapTextCountingCharacters) {
  EXPECT_EQ(stock::WrapColumns("Livro  número  4  de  2026", 14),
            (std::vector<std::string>{"Livro  número", "4  de  2026"}));
  EXPECT_EQ(stock::WrapColumns("Livro  número  4", 16),
            (std::vector<std::string>{"Livro  número  4"}));
  EXPECT_EQ(stock::WrapColumns("a Inconstitucional b\nc", 5),
            (std::vector<std::string>{"a", "Inconstitucional", "b", "c"}));
}

}  // namespace
