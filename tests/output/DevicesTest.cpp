// The trace, text and PNG devices, the device factory, and what is left on disk by a run that
// fails or stops.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <limits>

#include "output/OutputTestSupport.h"
#include "reportkit/output/OutputDevice.h"
#include "reportkit/output/PngDevice.h"
#include "reportkit/output/TextDevice.h"
#include "reportkit/output/TraceDevice.h"
#include "rtl/Exception.h"

namespace stock {
namespace {

using testing::ReadFile;
using testing::ScratchDir;

constexpr double kA4W = 793.7, kA4H = 1122.5;

TEST(TraceDeviceTest, RecordsEngineEventsOnePerLine) {
  ScratchDir dir;
  TraceDevice trace(dir.File("run.trace"));
  trace.BeginDocument({"Inventário", 0});
  trace.BeginPage(7, {kA4W, kA4H});
  trace.DrawText({0, 0, 10, 10}, "not traced", FontSpec{}, TextAlign::Left);
  trace.OnSection(3, {{"pCodigo", "0001"}, {"Step_1.Descricao", "Açúcar\nrefinado"}});
  trace.OnSection(9, {});
  trace.EndPage();
  trace.OnMessage(2, "Falta assinatura do contador");
  trace.BeginPage(8, {kA4W, kA4H});
  trace.Finish();  // closes the open page
  const std::vector<std::string> expected = {
      "document Inventário",
      "page 7 begin",
      "section 3: pCodigo=0001 | Step_1.Descricao=Açúcar\\nrefinado",
      "section 9:",
      "page 7 end",
      "message 2: Falta assinatura do contador",
      "page 8 begin",
      "page 8 end",
      "finish"};
  EXPECT_EQ(trace.Lines(), expected);
  std::string file;
  for (const std::string& line : expected) file += line + "\n";
  EXPECT_EQ(ReadFile(dir.File("run.trace")), file);
}

// A small text page: 20 columns of 10 units and 10 lines of 12 units inside 10-unit margins.
PageFormat SmallPage(int lines = 10) {
  PageFormat page;
  page.width = 220;
  page.height = 20 + 12.0 * lines;
  page.margin_left = page.margin_top = page.margin_right = page.margin_bottom = 10;
  page.columns = 20;
  page.lines = lines;
  return page;
}

TEST(TextDeviceTest, PlacesEachTextInTheColumnsOfItsBox) {
  struct Case {
    double left, width;
    std::string text;
    TextAlign align;
    std::string line;
  };
  const Case cases[] = {
      {10, 60, "Código", TextAlign::Left, "Código"},     // columns 0-5
      {70, 40, "Qtde", TextAlign::Right, "      Qtde"},  // columns 6-9
      {110, 100, "centro", TextAlign::Center, "            centro"},
      {14, 12, "ab", TextAlign::Left, "ab"},                    // edges round to columns 0 and 2
      {10, 60, "Bobinas de aço", TextAlign::Left, "Bobina"},    // cut at the box
      {70, 40, "Total geral", TextAlign::Right, "      Tota"},  // cut, keeping its start
      {70, 40, "-1.234,56", TextAlign::Right, "      ####"},    // a number is never cut
      {10, 30, "31/12/2026", TextAlign::Left, "###"},
      {10, 3, "x", TextAlign::Left, "x"},                            // narrower than a column
      {190, 50, "abcdef", TextAlign::Left, "                  ab"},  // cut at the grid's edge
      {10, 60, "a\tb\x01", TextAlign::Left, "a b?"},
  };
  for (const Case& c : cases) {
    TextDevice text;
    text.BeginPage(1, SmallPage());
    text.DrawText({c.left, 10, c.width, 10}, c.text, FontSpec{}, c.align);
    text.EndPage();
    EXPECT_EQ(text.Text(), c.line + "\n\f") << c.text;
  }
}

TEST(TextDeviceTest, LabelsNeverWriteOverEachOther) {
  TextDevice text;
  text.BeginPage(1, SmallPage());
  // Boxes that touch on the page: the second starts where the first ends.
  text.DrawText({10, 10, 45, 10}, "Descrição", FontSpec{}, TextAlign::Left);  // columns 0-4
  text.DrawText({55, 10, 40, 10}, "KG", FontSpec{}, TextAlign::Left);         // columns 5-8
  text.DrawText({95, 10, 45, 10}, "1.234", FontSpec{}, TextAlign::Right);     // columns 9-12
  // Overlapping boxes: the label printed first keeps its characters, blanks included.
  text.DrawText({10, 22, 100, 10}, "um dois", FontSpec{}, TextAlign::Left);
  text.DrawText({30, 22, 100, 10}, "abcdefgh", FontSpec{}, TextAlign::Left);
  text.EndPage();
  EXPECT_EQ(text.Text(), "DescrKG  ####\num doisfgh\n\f");
}

TEST(TextDeviceTest, RowsFollowTheTopsAndStayWithinThePageLines) {
  auto row_texts = [](const std::vector<double>& tops, int lines) {
    TextDevice text;
    text.BeginPage(1, SmallPage(lines));
    for (size_t i = 0; i < tops.size(); ++i) {
      text.DrawText({10 + 10.0 * i, 10 + tops[i], 10, 10}, std::string(1, 'a' + i), FontSpec{},
                    TextAlign::Left);
    }
    text.EndPage();
    return text.Text();
  };
  // Tops less than half a line apart share a row; a gap shows as blank lines.
  EXPECT_EQ(row_texts({0, 5, 12, 48}, 10), "ab\n  c\n\n\n   d\n\f");
  // The footer at the bottom of the printable area lands on the last line; rows that would
  // crowd below it move up so that every one keeps a line of its own.
  EXPECT_EQ(row_texts({0, 96, 102, 108, 114}, 10), "a\n\n\n\n\n\n b\n  c\n   d\n    e\n\f");
  // Bands a little taller than a line take consecutive lines all the same.
  std::vector<double> bands;
  std::string consecutive;
  for (int i = 0; i < 9; ++i) {
    bands.push_back(13.0 * i);
    consecutive += std::string(static_cast<size_t>(i), ' ') + static_cast<char>('a' + i) + "\n";
  }
  EXPECT_EQ(row_texts(bands, 10), consecutive + "\f");
  // More rows than lines: all are kept, one per line.
  EXPECT_EQ(row_texts({0, 12, 24, 36}, 2), "a\n b\n  c\n   d\n\f");
}

TEST(TextDeviceTest, RulesKeepTheirOwnRowsAndPagesEndWithAFormFeed) {
  TextDevice text;
  text.BeginPage(1, SmallPage());
  text.DrawText({10, 10, 60, 10}, "Total", FontSpec{}, TextAlign::Left);
  text.DrawLine(10, 12, 110, 12, 1);  // just below the text's top: a row of its own
  text.DrawLine(150, 10, 150, 40, 1);
  text.DrawText({150, 22, 30, 10}, "x", FontSpec{}, TextAlign::Left);  // text wins over '|'
  text.EndPage();
  text.BeginPage(2, SmallPage());  // a page with nothing on it
  text.EndPage();
  text.Finish();
  EXPECT_EQ(text.Text(),
            "Total         |\n"
            "----------    |\n"
            "              x\n"
            "\f\f");
}

TEST(TextDeviceTest, WrappedTextFillsTheRowsOfItsBoxBreakingAtBlanks) {
  TextDevice text;
  text.BeginPage(1, SmallPage());
  // Columns 0-9, three rows: the lines that do not fit in them are left out.
  text.DrawWrappedText({10, 10, 100, 36}, "um dois três quatro cinco seis", FontSpec{},
                       TextAlign::Left);
  // Columns 10-19, rows of its own, right-aligned line by line.
  text.DrawWrappedText({110, 10, 100, 24}, "Ação  e  reação", FontSpec{}, TextAlign::Right);
  text.DrawText({10, 46, 60, 10}, "abaixo", FontSpec{}, TextAlign::Left);  // the row below
  // A word longer than the box takes its line, cut at the box; no height still gets a line.
  text.DrawWrappedText({10, 70, 40, 0}, "Inconstitucional sim", FontSpec{}, TextAlign::Left);
  text.EndPage();
  EXPECT_EQ(text.Text(),
            "um dois      Ação  e\n"
            "três          reação\n"
            "quatro\n"
            "abaixo\n"
            "\n"
            "Inco\n"
            "\f");
}

// Odd input never crashes and never blows the grid up: coordinates that are not numbers or
// are huge, a page without size, a grid beyond the limits, text before any page.
TEST(TextDeviceTest, DegenerateInputStaysInsideTheGrid) {
  const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
  TextDevice text;
  text.DrawText({0, 0, 100, 10}, "antes", FontSpec{}, TextAlign::Left);  // opens a default page
  PageFormat odd;
  odd.width = 0;
  odd.height = -5;
  odd.columns = 1'000'000;
  odd.lines = 1'000'000;
  text.BeginPage(2, odd);
  text.DrawText({nan, nan, nan, nan}, "x", FontSpec{}, TextAlign::Right);
  text.DrawText({1e300, 1e300, 1e300, 10}, "y", FontSpec{}, TextAlign::Center);
  text.DrawText({-inf, 10, inf, 10}, "z", FontSpec{}, TextAlign::Left);
  text.DrawWrappedText({nan, nan, nan, nan}, "w w", FontSpec{}, TextAlign::Left);
  text.DrawWrappedText({0, 0, 1e300, 1e300}, "v v", FontSpec{}, TextAlign::Right);
  text.DrawLine(nan, 0, 1e300, 0, 1);
  text.DrawLine(5, -1e300, 5, 1e300, 1);
  text.Finish();
  EXPECT_LT(text.Text().size(), 4'000'000u);
  EXPECT_EQ(text.Text().rfind("antes\n\f", 0), 0u);
  EXPECT_EQ(text.Text().back(), '\f');
}

TEST(TextDeviceTest, DefaultGridOfAnA4PortraitPage) {
  const TextGrid grid = DefaultTextGrid(718, 1047);
  EXPECT_EQ(grid.columns, 144);
  EXPECT_EQ(grid.lines, 87);
  EXPECT_EQ(DefaultTextGrid(0, -1).columns, 1);
}

TEST(PngDeviceTest, WritesOneImagePerPageOfThePageSize) {
  ScratchDir dir;
  const std::string path = dir.File("preview.png");
  PngDevice png(path, 2.0);
  for (int page = 1; page <= 2; ++page) {
    png.BeginPage(page, {kA4W, kA4H});
    png.DrawText({40, 40, 300, 14}, "Inventário – página", FontSpec{}, TextAlign::Left);
    png.DrawLine(40, 60, 340, 60, 1);
    png.EndPage();
  }
  png.Finish();
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"preview-2.png", "preview.png"}));
  const std::string data = ReadFile(path);
  ASSERT_GT(data.size(), 24u);
  EXPECT_EQ(data.substr(0, 8), "\x89PNG\r\n\x1a\n");
  auto be32 = [&](size_t at) {
    return (static_cast<unsigned char>(data[at]) << 24) |
           (static_cast<unsigned char>(data[at + 1]) << 16) |
           (static_cast<unsigned char>(data[at + 2]) << 8) |
           static_cast<unsigned char>(data[at + 3]);
  };
  EXPECT_EQ(data.substr(12, 4), "IHDR");
  EXPECT_EQ(be32(16), 1587);  // 793.7 * 2
  EXPECT_EQ(be32(20), 2245);  // 1122.5 * 2
}

// Every file backend: nothing under the final name and no temporary file when the run is
// aborted or the device is destroyed before Finish (an exception unwinding the engine).
TEST(FileDevicesTest, StoppedRunLeavesNoFile) {
  for (const char* name : {"r.pdf", "r.txt", "r.png", "r.trace"}) {
    for (bool explicit_abort : {true, false}) {
      ScratchDir dir;
      {
        std::unique_ptr<OutputDevice> device = CreateOutputDevice(dir.File(name));
        device->BeginDocument({"x", 0});
        device->BeginPage(1, {kA4W, kA4H});
        device->DrawText({10, 10, 100, 12}, "Parcial", FontSpec{}, TextAlign::Left);
        device->EndPage();
        device->BeginPage(2, {kA4W, kA4H});
        if (explicit_abort) device->Abort();
      }
      EXPECT_TRUE(dir.Files().empty()) << name << " abort=" << explicit_abort;
    }
  }
}

TEST(FileDevicesTest, FinishedFileHasTheUsualPermissions) {
  ScratchDir dir;
  const mode_t old = umask(022);
  auto device = CreateOutputDevice(dir.File("r.txt"));
  device->Finish();
  umask(old);
  struct stat st {};
  ASSERT_EQ(stat(dir.File("r.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"r.txt"});
}

TEST(FileDevicesTest, BadPathsGiveAPortugueseErrorNamingThePath) {
  ScratchDir dir;
  const std::string missing = dir.File("nao-existe");
  struct Case {
    std::string path;
    std::string message;
  };
  const std::vector<Case> cases = {
      {missing + "/r.pdf",
       "Não foi possível criar o arquivo '" + missing + "/r.pdf': a pasta não existe"},
      {missing + "/r.txt",
       "Não foi possível criar o arquivo '" + missing + "/r.txt': a pasta não existe"},
      {missing + "/r.png",
       "Não foi possível criar o arquivo '" + missing + "/r.png': a pasta não existe"},
      {missing + "/r.trace",
       "Não foi possível criar o arquivo '" + missing + "/r.trace': a pasta não existe"},
      {dir.File("r.doc"), "Formato de saída não suportado para o arquivo '" + dir.File("r.doc") +
                              "': use .pdf, .txt, .png ou .trace."},
      {dir.File("sem-extensao"), "Formato de saída não suportado"},
  };
  for (const Case& c : cases) {
    try {
      CreateOutputDevice(c.path);
      ADD_FAILURE() << "no error for " << c.path;
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
  EXPECT_TRUE(dir.Files().empty());
}

}  // namespace
}  // namespace stock
