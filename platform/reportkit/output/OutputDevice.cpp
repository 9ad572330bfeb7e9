#include "reportkit/output/OutputDevice.h"

#include <algorithm>
#include <cctype>

#include "reportkit/output/PdfDevice.h"
#include "reportkit/output/PngDevice.h"
#include "reportkit/output/TextDevice.h"
#include "reportkit/output/TraceDevice.h"
#include "reportkit/output/WordWrap.h"
#include "rtl/Exception.h"

namespace stock {

namespace {

class NullDevice : public OutputDevice {
 public:
  void BeginDocument(const DocumentInfo&) override {}
  void BeginPage(int, const PageFormat&) override {}
  void DrawText(const TextBox&, std::string_view, const FontSpec&, TextAlign) override {}
  void DrawWrappedText(const TextBox&, std::string_view, const FontSpec&, TextAlign) override {}
  void DrawLine(double, double, double, double, double) override {}
  void EndPage() override {}
  void Finish() override {}
  void Abort() noexcept override {}
};

std::string LowerExtension(const std::string& path) {
  const size_t dot = path.rfind('.');
  const size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

}  // namespace

OutputDevice::~OutputDevice() = default;

void OutputDevice::DrawWrappedText(const TextBox& box, std::string_view text, const FontSpec& font,
                                   TextAlign align) {
  const double step = LineHeight(font);
  double top = box.top;
  for (const std::string& line : WrapText(text, font, box.width)) {
    if (top > box.top && top + step > box.top + box.height + 0.5) break;  // no room left
    if (!line.empty()) DrawText({box.left, top, box.width, step}, line, font, align);
    top += step;
  }
}

std::unique_ptr<OutputDevice> CreateOutputDevice(const std::string& path) {
  const std::string ext = LowerExtension(path);
  if (ext == ".pdf") return std::make_unique<PdfDevice>(path);
  if (ext == ".txt") return std::make_unique<TextDevice>(path);
  if (ext == ".png") return std::make_unique<PngDevice>(path);
  if (ext == ".trace") return std::make_unique<TraceDevice>(path);
  throw Exception("Formato de saída não suportado para o arquivo '" + path +
                  "': use .pdf, .txt, .png ou .trace.");
}

std::unique_ptr<OutputDevice> CreateNullDevice() { return std::make_unique<NullDevice>(); }

}  // namespace stock
