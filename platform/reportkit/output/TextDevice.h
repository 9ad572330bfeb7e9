#pragma once
// TextDevice: pages as a grid of characters, for terminals and golden files.
//
// One column per 6.5 layout units of x (an A4 portrait page is about 122 columns wide) and one
// row per 12 layout units of y, from the top of each text box. Every character takes one
// column; right-aligned text ends on the column of its box's right edge, centred text is
// centred on the box. Horizontal lines become '-' and vertical lines '|' where no text is;
// text written later overwrites. Each page's rows are written with trailing blanks and
// trailing empty rows removed; pages are separated by a line holding a form feed ("\f\n").

#include <memory>
#include <string>

#include "reportkit/output/OutputDevice.h"

namespace stock {

class TextDevice : public OutputDevice {
 public:
  static constexpr double kColumnWidth = 6.5;  // layout units
  static constexpr double kRowHeight = 12;     // layout units

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
