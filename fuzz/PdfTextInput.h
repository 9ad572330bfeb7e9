#pragma once
// A PDF document written from arbitrary bytes, the way the PDF text fuzzer feeds the writer:
// a style byte (bold, italic, underline, alignment), a size byte, then lines of text separated
// by "\n" (any bytes, invalid UTF-8 included); the first line is also the document's title.
// Shared by the fuzzer and by the test that checks a sample of such files with qpdf.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "reportkit/output/OutputDevice.h"
#include "reportkit/output/PdfWriter.h"

namespace stock::fuzz {

// Writes the document for `data` to `path`; returns false when the input is too short to
// describe one. Raises what the writer raises.
inline bool WriteTextDocument(const uint8_t* data, size_t size, const std::string& path) {
  if (size < 2) return false;
  FontSpec font;
  font.bold = data[0] & 1;
  font.italic = data[0] & 2;
  font.underline = data[0] & 4;
  const TextAlign align = static_cast<TextAlign>((data[0] >> 3) % 3);
  font.size = 1 + data[1] % 72;
  const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);

  PdfWriter writer(path);
  writer.SetInfo({std::string(text.substr(0, text.find('\n'))), 46000.5});
  writer.BeginPage(793.7, 1122.5);
  double top = 20;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    writer.DrawText({20, top, 700, font.size * 1.5}, text.substr(start, end - start), font, align);
    top += font.size * 1.5;
    if (top > 1100) {
      writer.BeginPage(793.7, 1122.5);
      top = 20;
    }
    start = end + 1;
  }
  writer.Finish();
  return true;
}

}  // namespace stock::fuzz
