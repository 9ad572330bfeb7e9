// The PDF writer's text path with arbitrary bytes, invalid UTF-8 included: every line is
// measured and drawn, in the title too, and the document is finished into a file that begins
// as a PDF and ends with its trailer. (The test suite checks a sample of such files with qpdf.)

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzCheck.h"
#include "PdfTextInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/pdf_text_fuzzer-" + std::to_string(getpid()) + ".pdf";
  if (size >= 2) {
    stock::FontSpec font;
    font.size = 1 + data[1] % 72;
    const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);
    const double width = stock::MeasureText(text, font);
    FUZZ_CHECK(std::isfinite(width) && width >= 0, "width of the text");
  }
  if (!stock::fuzz::WriteTextDocument(data, size, path)) return 0;
  std::ifstream in(path, std::ios::binary);
  const std::string pdf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  FUZZ_CHECK(pdf.rfind("%PDF-", 0) == 0, "no PDF header");
  FUZZ_CHECK(pdf.size() > 8 && pdf.find("%%EOF", pdf.size() - 8) != std::string::npos,
             "no trailer");
  return 0;
}
