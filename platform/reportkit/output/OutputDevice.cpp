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
  for (std::string_view paragraph : Paragraphs(text)) {
    const std::vector<std::string> lines = WrapText(paragraph, font, box.width);
    for (size_t i = 0; i < lines.size(); ++i) {
      if (top > box.top && top + step > box.top + box.height + 0.5) return;  // no room left
      const TextBox line{box.left, top, box.width, step};
      if (align == TextAlign::Justify && i + 1 < lines.size()) {
        DrawJustified(line, lines[i], font);
      } else if (!lines[i].empty()) {
        DrawText(line, lines[i], font, align == TextAlign::Justify ? TextAlign::Left : align);
      }
      top += step;
    }
  }
}

void OutputDevice::DrawJustified(const TextBox& box, std::string_view line, const FontSpec& font) {
  const std::vector<std::string_view> words = Words(line);
  if (words.size() < 2) {
    if (!words.empty()) DrawText(box, words[0], font, TextAlign::Left);
    return;
  }
  std::vector<double> widths;
  double used = 0;
  for (std::string_view w : words) used += widths.emplace_back(MeasureText(w, font));
  const double gap = std::max(0.0, (box.width - used) / static_cast<double>(words.size() - 1));
  double x = box.left;
  for (size_t i = 0; i < words.size(); ++i) {
    DrawText({x, box.top, widths[i], box.height}, words[i], font, TextAlign::Left);
    x += widths[i] + gap;
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
