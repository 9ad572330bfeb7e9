#pragma once
// TextDevice: pages as a grid of characters, for terminals and golden files.
//
// One column per 6.5 layout units of x (an A4 portrait page is about 122 columns wide). Rows
// follow the text: items whose tops are less than half a line apart share a row, the first
// row sits at top / 12 units, and each further row is one or more rows below the previous one
// in proportion to the vertical distance (12 units a row), so closely printed sections never
// overwrite each other and a gap shows as blank lines. Every character takes one column;
// right-aligned text ends on the column of its box's right edge, centred text is centred on the
// box. Horizontal lines become '-' and vertical lines '|' where no text is; text printed
// later overwrites earlier text. Each page's rows are written with trailing blanks and trailing
// empty rows removed; pages are separated by a line holding a form feed ("\f\n").

#include <memory>
#include <string>

#include "reportkit/output/OutputDevice.h"

namespace stock {

class TextDevice : public OutputDevice {
 public:
  static constexpr double kColumnWidth = 6.5;  // layout units
  static constexpr double kRowHeight = 12;     // layout units
  static constexpr double kSameRow = 6;        // tops closer than this share a row

  // Output kept in memory (see Text()).
  TextDevice();
  // Output written to `path` under a temporary name, published by Finish. Raises Exception
  // naming the path when the file cannot be created.
  explicit TextDevice(const std::string& path);
  ~TextDevice() override;

  // The in-memory output so far (pages already ended). Empty for a device writing a file.
  const std::string& Text() const;

  void BeginDocument(const DocumentInfo& info) override;
  void BeginPage(int page_number, double width, double height) override;
  void DrawText(const TextBox& box, std::string_view text, const FontSpec& font,
                TextAlign align) override;
  void DrawLine(double x1, double y1, double x2, double y2, double thickness) override;
  void EndPage() override;
  void Finish() override;
  void Abort() noexcept override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace stock
