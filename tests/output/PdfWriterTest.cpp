// The PDF backend: a valid file, text extracted exactly, right alignment to the point, fonts
// embedded as subsets, metadata, and no file left behind by a stopped run.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <map>
#include <regex>

#include "output/OutputTestSupport.h"
#include "reportkit/output/OutputDevice.h"
#include "reportkit/output/PdfDevice.h"
#include "rtl/DateTime.h"
#include "rtl/Exception.h"

namespace stock {
namespace {

using testing::HaveProgram;
using testing::ReadFile;
using testing::RunCommand;
using testing::ScratchDir;

constexpr double kA4W = 793.7, kA4H = 1122.5;

struct Placed {
  TextBox box;
  std::string text;
  bool bold;
  TextAlign align;
};

// Texts of the sample document; the numbers share the right edge 650.
const std::vector<Placed> kPage1 = {
    {{40, 40, 500, 14}, "Descrição: Ação de Inventário nº 12 – Seção § 3ª", false, TextAlign::Left},
    {{40, 60, 500, 14}, "TOTAL GERAL DO ESTABELECIMENTO", true, TextAlign::Left},
    {{500, 200, 150, 14}, "1.234.567,89", false, TextAlign::Right},
    {{600, 220, 50, 14}, "7,00", false, TextAlign::Right},
    {{550, 240, 100, 14}, "15.227,56", true, TextAlign::Right},
    {{40, 260, 300, 14}, "Símbolo 中 fim", false, TextAlign::Left},
    {{300, 1080, 193.7, 14}, "Página 1 de 2", false, TextAlign::Center},
};
const std::vector<Placed> kPage2 = {
    {{40, 40, 600, 14}, "Última página – ÇÃÕÉ àèìòù ÿ º ª «aspas» ½", false, TextAlign::Left},
    // Glyph ids whose bytes are PDF string delimiters: E F ( ) \\ y *
    {{40, 60, 600, 14}, "EF (x*y) \\ DEFy", false, TextAlign::Left},
};

void WriteSample(OutputDevice& device) {
  device.BeginDocument(
      {"Relatório de Inventário – Estoque", EncodeDate(2024, 3, 15) + EncodeTime(10, 30, 5)});
  int page = 0;
  for (const auto* texts : {&kPage1, &kPage2}) {
    device.BeginPage(++page, {kA4W, kA4H});
    for (const Placed& t : *texts) {
      FontSpec font;
      font.bold = t.bold;
      device.DrawText(t.box, t.text, font, t.align);
    }
    device.DrawLine(40, 300, 753, 300, 1);
    device.EndPage();
  }
  device.Finish();
}

class PdfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "America/Sao_Paulo", 1);
    tzset();
    path_ = dir_.File("sample.pdf");
    PdfDevice device(path_);
    WriteSample(device);
  }
  ScratchDir dir_;
  std::string path_;
};

TEST_F(PdfTest, PassesQpdfCheck) {
  if (!HaveProgram("qpdf")) GTEST_SKIP() << "qpdf not installed";
  int status = -1;
  const std::string out = RunCommand("qpdf --check '" + path_ + "' 2>&1", &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(dir_.Files(), std::vector<std::string>{"sample.pdf"});
}

TEST_F(PdfTest, TextComesBackExactly) {
  if (!HaveProgram("pdftotext")) GTEST_SKIP() << "poppler-utils not installed";
  const std::string text = RunCommand("pdftotext -layout '" + path_ + "' -");
  for (const auto* texts : {&kPage1, &kPage2}) {
    for (const Placed& t : *texts) {
      // A character the font lacks shows (and extracts) as '?'.
      std::string expected = t.text == "Símbolo 中 fim" ? "Símbolo ? fim" : t.text;
      EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
  }
  EXPECT_NE(text.find('\f'), std::string::npos) << "two pages expected";
}

TEST_F(PdfTest, RightAlignedNumbersEndOnTheBoxEdge) {
  if (!HaveProgram("pdftotext")) GTEST_SKIP() << "poppler-utils not installed";
  const std::string html = RunCommand("pdftotext -bbox -f 1 -l 1 '" + path_ + "' -");
  const std::regex word(
      R"re(<word xMin="([0-9.]+)" yMin="[0-9.]+" xMax="([0-9.]+)" yMax="[0-9.]+">([^<]*)</word>)re");
  std::map<std::string, std::pair<double, double>> found;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), word); it != std::sregex_iterator();
       ++it) {
    found[(*it)[3]] = {std::stod((*it)[1]), std::stod((*it)[2])};
  }
  const double edge = 650 * 0.75;
  for (const char* number : {"1.234.567,89", "7,00", "15.227,56"}) {
    ASSERT_TRUE(found.count(number)) << number << "\n" << html;
    EXPECT_NEAR(found[number].second, edge, 0.02) << number;
  }
  ASSERT_TRUE(found.count("Descrição:"));
  EXPECT_NEAR(found["Descrição:"].first, 40 * 0.75, 0.02);
  // Centred: equal margins on both sides of the box.
  ASSERT_TRUE(found.count("Página") && found.count("2"));
  EXPECT_NEAR(found["Página"].first - 300 * 0.75, 493.7 * 0.75 - found["2"].second, 0.05);
}

TEST_F(PdfTest, FontsAreEmbeddedSubsetsAndInfoIsSet) {
  if (!HaveProgram("pdffonts")) GTEST_SKIP() << "poppler-utils not installed";
  const std::string fonts = RunCommand("pdffonts '" + path_ + "'");
  EXPECT_NE(fonts.find("DejaVuSans-Bold"), std::string::npos) << fonts;
  const std::regex row(R"re(CID TrueType\s+Identity-H\s+yes\s+yes\s+yes)re");
  const auto embedded =
      std::distance(std::sregex_iterator(fonts.begin(), fonts.end(), row), std::sregex_iterator());
  EXPECT_EQ(embedded, 2) << fonts;

  const std::string raw = ReadFile(path_);
  EXPECT_NE(raw.find("/CreationDate (D:20240315103005-03'00')"), std::string::npos);
  const std::string info = RunCommand("pdfinfo '" + path_ + "'");
  EXPECT_NE(info.find("Relatório de Inventário – Estoque"), std::string::npos) << info;
  EXPECT_TRUE(std::regex_search(info, std::regex("Pages:\\s+2\n"))) << info;
}

// Odd input from a report never yields a broken file: no pages, no page size, coordinates that
// are not numbers, malformed UTF-8 and control characters.
TEST(PdfDeviceTest, DegenerateInputStillGivesAValidPdf) {
  if (!HaveProgram("qpdf")) GTEST_SKIP() << "qpdf not installed";
  const double nan = std::nan("");
  const std::vector<std::function<void(OutputDevice&)>> cases = {
      [](OutputDevice&) {},
      [nan](OutputDevice& d) {
        d.BeginPage(1, {0, -5});
        d.DrawText({nan, 10, 100, 10}, "x\xC3(\xFF\t\r\n)\\", FontSpec{}, TextAlign::Right);
        d.DrawText({10, 1e300, 100, 10}, "", FontSpec{}, TextAlign::Center);
        d.DrawLine(0, nan, 10, 10, -1);
      },
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    ScratchDir dir;
    PdfDevice device(dir.File("odd.pdf"));
    device.BeginDocument({"Vazio", 0});
    cases[i](device);
    device.Finish();
    int status = -1;
    const std::string out = RunCommand("qpdf --check '" + dir.File("odd.pdf") + "' 2>&1", &status);
    EXPECT_EQ(status, 0) << "case " << i << "\n" << out;
  }
}

TEST(PdfDeviceTest, DrawingOutsideAPageRaises) {
  ScratchDir dir;
  PdfDevice device(dir.File("x.pdf"));
  EXPECT_THROW(device.DrawText({0, 0, 10, 10}, "x", FontSpec{}, TextAlign::Left), Exception);
}

TEST(MeasureTextTest, AddsAdvancesWithoutKerningAndScalesWithSize) {
  FontSpec font;
  EXPECT_EQ(MeasureText("", font), 0);
  // "AV" kerns in the font; the device places glyphs one by one, so widths just add up.
  EXPECT_DOUBLE_EQ(MeasureText("AV", font), MeasureText("A", font) + MeasureText("V", font));
  FontSpec big = font;
  big.size = 16;
  EXPECT_DOUBLE_EQ(MeasureText("1.234,56", big), 2 * MeasureText("1.234,56", font));
  FontSpec bold = font;
  bold.bold = true;
  EXPECT_GT(MeasureText("Inventário", bold), MeasureText("Inventário", font));
}

}  // namespace
}  // namespace stock
