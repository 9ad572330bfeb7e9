#pragma once
// PdfWriter: a streaming PDF writer for report pages. Objects are written as they are
// produced: each page's content stream is compressed and written when the page closes, and
// only the file offsets and the page object numbers stay in memory, so memory does not grow
// with the number of pages. Fonts (TrueType subsets of the glyphs used, with a ToUnicode map
// so that text is searched and copied exactly), the page tree and the cross-reference table
// are written by Finish.
//
// Coordinates are layout units (1/96 inch) from the top-left corner of the page, as in
// OutputDevice. The file is written under a temporary name and renamed by Finish.

#include <memory>
#include <string>
#include <string_view>

#include "reportkit/output/OutputDevice.h"

namespace stock {

class PdfWriter {
 public:
  // Creates the temporary file for `path`. Raises Exception (Portuguese, naming the path)
  // when the folder does not exist or is not writable, or when no font is installed.
  explicit PdfWriter(const std::string& path);

  // Removes the temporary file unless Finish succeeded.
  ~PdfWriter();

  PdfWriter(const PdfWriter&) = delete;
  PdfWriter& operator=(const PdfWriter&) = delete;

  // Title and creation date of the document information (a zero date means now).
  void SetInfo(const DocumentInfo& info);

  // Opens a page of `width` x `height` layout units (A4 portrait when the size is not
  // positive). An open page is closed first.
  void BeginPage(double width, double height);

  // Draws one line of UTF-8 text in `box`: top of the text at the top of the box, aligned
  // inside its width (right-aligned text ends at the box's right edge). Bold and italic use
  // the bold and oblique font files (italic falls back to upright when the oblique file is not
  // installed). Raises Exception when no page is open.
  void DrawText(const TextBox& box, std::string_view text, const FontSpec& font, TextAlign align);

  // A black line `thickness` layout units wide. Raises Exception when no page is open.
  void DrawLine(double x1, double y1, double x2, double y2, double thickness);

  // Closes the open page (does nothing when none is open).
  void EndPage();

  // Closes an open page, writes fonts, page tree, information and cross-reference table, and
  // renames the file to its final path. A document without pages gets one blank A4 page.
  // Raises Exception on I/O failure; the temporary file is removed then.
  void Finish();

  // Removes the temporary file. Safe at any time; does nothing after Finish.
  void Abort() noexcept;

  // Pages written so far.
  int PageCount() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace stock
