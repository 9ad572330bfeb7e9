#pragma once
// TextDevice: pages as a grid of characters, for terminals, golden files and matrix printers.
//
// A page's printable area (inside its margins) is laid on a grid of PageFormat::columns
// characters per line and PageFormat::lines lines (DefaultTextGrid when the format gives none);
// the margins themselves are left to the printer. Every character takes one column.
//
// Columns: each label owns the columns of its box, its left and right edges rounded to the
// nearest column, so boxes that touch on the page never share a column. A text fits inside its
// box: left-aligned it starts on the box's first column, right-aligned it ends on its last,
// centred it is centred in it. A longer text is cut at the box; a number, date or code (digits
// and their separators only) that does not fit fills its box with '#' instead, since a number
// with digits missing reads as a wrong value. A label never writes over characters of another
// label: where two overlap, the one printed first keeps its characters. Nothing is written
// outside the grid.
//
// Wrapped text (DrawWrappedText) is broken at blanks into lines of at most the box's columns
// (WrapColumns), each placed like a text of its own, one row under the other from the box's
// top: as many lines as the rows the box's height rounds to (one at least). The printer's
// font plays no part, so a text that fills two lines of the PDF may take one of the page, or
// three. Justified text has the blanks of each line but a paragraph's last shared out so that
// the line fills the box's columns.
//
// Rows: items whose tops are less than half a line apart share a row; the first row sits on
// the line nearest its top, each further one as many lines below the row above as the distance
// between their tops rounds to, at least one (so bands printed one under the other take
// consecutive lines, with no line skipped where their height drifts from the line's), and no
// lower than leaves a line for every row below it: a page whose rows fit its lines never runs
// past them (a page with more distinct rows than lines keeps them all, one per line). A
// horizontal rule keeps a row of its own and becomes '-', a vertical line '|', both only where
// no text is.
//
// Each page's rows are written with trailing blanks and trailing empty rows removed, every row
// ending in '\n', and the page ends with a form feed ('\f').

#include <memory>
#include <string>

#include "reportkit/output/OutputDevice.h"

namespace stock {

struct TextGrid {
  int columns = 0;
  int lines = 0;
};

// The grid a text page gets when nothing chooses one: a column per 5 layout units of the
// printable width and a line per 12 units of its height (144 x 87 on A4 portrait with 1 cm
// margins), at least one of each.
TextGrid DefaultTextGrid(double printable_width, double printable_height);

// The height (page units) that a text page of format `page` gives `text` wrapped in `box`:
// its lines of the box's columns (WrapColumns, paragraph by paragraph), a row each.
double TextWrappedHeight(const PageFormat& page, const TextBox& box, std::string_view text);

class TextDevice : public OutputDevice {
 public:
  static constexpr int kMaxColumns = 1000;  // larger grids are reduced to these
  static constexpr int kMaxLines = 1000;

  // Output kept in memory (see Text()).
  TextDevice();
  // Output written to `path` under a temporary name, published by Finish. Raises Exception
  // naming the path when the file cannot be created.
  explicit TextDevice(const std::string& path);
  ~TextDevice() override;

  // The in-memory output so far (pages already ended). Empty for a device writing a file.
  const std::string& Text() const;

  void BeginDocument(const DocumentInfo& info) override;
  void BeginPage(int page_number, const PageFormat& page) override;
  void DrawText(const TextBox& box, std::string_view text, const FontSpec& font,
                TextAlign align) override;
  void DrawWrappedText(const TextBox& box, std::string_view text, const FontSpec& font,
                       TextAlign align) override;
  void DrawLine(double x1, double y1, double x2, double y2, double thickness) override;
  bool CutsTextAtBox() const override { return true; }
  void EndPage() override;
  void Finish() override;
  void Abort() noexcept override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace stock
