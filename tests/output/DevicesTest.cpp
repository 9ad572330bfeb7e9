// The trace, text and PNG devices, the device factory, and what is left on disk by a run that
// fails or stops.

#include <gtest/gtest.h>
#include <sys/stat.h>

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
  trace.BeginPage(7, kA4W, kA4H);
  trace.DrawText({0, 0, 10, 10}, "not traced", FontSpec{}, TextAlign::Left);
  trace.OnSection(3, {{"pCodigo", "0001"}, {"Step_1.Descricao", "Açúcar\nrefinado"}});
  trace.OnSection(9, {});
  trace.EndPage();
  trace.OnMessage(2, "Falta assinatura do contador");
  trace.BeginPage(8, kA4W, kA4H);
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

TEST(TextDeviceTest, PlacesTextOnTheGridAndSeparatesPages) {
  TextDevice text;
  FontSpec font;
  font.size = 7;
  text.BeginPage(1, kA4W, kA4H);
  text.DrawText({0, 0, 130, 10}, "Código", font, TextAlign::Left);          // col 0
  text.DrawText({130, 0, 65, 10}, "Qtde", font, TextAlign::Right);          // ends col 29
  text.DrawText({0, 12, 130, 10}, "0001", font, TextAlign::Left);           // row 1
  text.DrawText({130, 12, 65, 10}, "1.234,000", font, TextAlign::Right);    // ends col 29
  text.DrawText({130, 24, 65, 10}, "5,0", font, TextAlign::Right);          // ends col 29
  text.DrawText({0, 24, 195, 10}, "ª", font, TextAlign::Center);            // col 15
  text.DrawLine(0, 48, 195, 48, 1);                                         // row 4
  text.DrawText({1, 48, 60, 10}, "Total", font, TextAlign::Left);           // over the line
  text.EndPage();
  text.BeginPage(2, kA4W, kA4H);
  text.DrawText({650, 0, 0, 10}, "fim", font, TextAlign::Right);           // ends col 99
  text.DrawText({0, 200, 10, 10}, "A", font, TextAlign::Left);              // row 17
  text.DrawText({13, 203, 10, 10}, "B", font, TextAlign::Left);             // same row
  text.DrawText({0, 209, 10, 10}, "C", font, TextAlign::Left);              // next row, not over A
  text.DrawText({0, 300, 10, 10}, "   ", font, TextAlign::Left);            // blank row dropped
  text.Finish();
  const std::string expected =
      "Código                    Qtde\n"   // columns 0-5 and 26-29
      "0001                 1.234,000\n"
      "               ª           5,0\n"
      "\n"
      "Total-------------------------\n"
      "\f\n" +
      std::string(97, ' ') + "fim\n" + std::string(16, '\n') + "A B\nC\n";
  EXPECT_EQ(text.Text(), expected);
}

TEST(PngDeviceTest, WritesOneImagePerPageOfThePageSize) {
  ScratchDir dir;
  const std::string path = dir.File("preview.png");
  PngDevice png(path, 2.0);
  for (int page = 1; page <= 2; ++page) {
    png.BeginPage(page, kA4W, kA4H);
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
    return (static_cast<unsigned char>(data[at]) << 24) | (static_cast<unsigned char>(data[at + 1]) << 16) |
           (static_cast<unsigned char>(data[at + 2]) << 8) | static_cast<unsigned char>(data[at + 3]);
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
        device->BeginPage(1, kA4W, kA4H);
        device->DrawText({10, 10, 100, 12}, "Parcial", FontSpec{}, TextAlign::Left);
        device->EndPage();
        device->BeginPage(2, kA4W, kA4H);
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
      {missing + "/r.pdf", "Não foi possível criar o arquivo '" + missing + "/r.pdf': a pasta não existe"},
      {missing + "/r.txt", "Não foi possível criar o arquivo '" + missing + "/r.txt': a pasta não existe"},
      {missing + "/r.png", "Não foi possível criar o arquivo '" + missing + "/r.png': a pasta não existe"},
      {missing + "/r.trace", "Não foi possível criar o arquivo '" + missing + "/r.trace': a pasta não existe"},
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

TEST(NullDeviceTest, AcceptsAWholeDocument) {
  auto device = CreateNullDevice();
  device->BeginDocument({"x", 0});
  device->BeginPage(1, kA4W, kA4H);
  device->DrawText({0, 0, 1, 1}, "x", FontSpec{}, TextAlign::Right);
  device->EndPage();
  device->Finish();
  device->Abort();
}

}  // namespace
}  // namespace stock
