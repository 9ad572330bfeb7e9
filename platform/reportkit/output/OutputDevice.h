#pragma once
// OutputDevice: where the report engine sends a document. One interface for every backend:
// trace (what tests assert on), plain text, PDF and PNG previews.
//
// Geometry is in layout units of 1/96 inch, origin at the top-left corner of the page, y
// growing downwards. A document is BeginDocument, then pages (BeginPage ... EndPage), then
// Finish. A device that writes a file writes it under a temporary name and renames it to the
// requested path in Finish; Abort (or destroying the device before Finish) removes the
// temporary file, so a failed or stopped run never leaves a half-written file.

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rtl/DateTime.h"

namespace stock {

// Justify spreads the words of every wrapped line but a paragraph's last over the box's width;
// a single line (DrawText) and a paragraph's last line are left-aligned.
enum class TextAlign { Left, Center, Right, Justify };

// Text is drawn in DejaVu Sans (Liberation Sans when DejaVu is not installed). Bold and italic
// use the bold and oblique files of the family; a style whose file is not installed falls back
// to the upright (or bold) face. A character the font lacks is drawn, measured and extracted
// as '?'.
struct FontSpec {
  double size = 8;  // points
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

struct DocumentInfo {
  std::string title;      // document title (PDF metadata)
  TDateTime created = 0;  // creation date and time (local)
};

// A label's text placed in its box. `text` is one line of UTF-8.
struct TextBox {
  double left = 0, top = 0, width = 0, height = 0;
};

// A page: its size, its margins, and the character grid a text page lays the printable area
// (inside the margins) on: `columns` characters across its width and `lines` rows down its
// height. A grid of 0 lets the text device choose one for the printable area.
struct PageFormat {
  double width = 794, height = 1123;  // A4 portrait
  double margin_left = 0, margin_top = 0, margin_right = 0, margin_bottom = 0;
  int columns = 0, lines = 0;
};

// (label name, text shown) for the visible labels of a printed section.
using ShownValues = std::vector<std::pair<std::string, std::string>>;

class OutputDevice {
 public:
  virtual ~OutputDevice();

  // Starts the document. Called once, before any page.
  virtual void BeginDocument(const DocumentInfo& info) = 0;

  // Opens a page of the given format. `page_number` is the number the report shows (it may
  // restart); pages are written in call order.
  virtual void BeginPage(int page_number, const PageFormat& page) = 0;

  // Draws `text` in `box`, aligned horizontally inside it (right-aligned text ends exactly at
  // the box's right edge), vertically at the top of the box. Text wider than the box is not
  // wrapped.
  virtual void DrawText(const TextBox& box, std::string_view text, const FontSpec& font,
                        TextAlign align) = 0;

  // Draws `text` broken at blanks into lines under one another inside `box`, each aligned like
  // DrawText's, from the box's top down, as many lines as fit in its height (the first always).
  // A device lays the lines out on its own measure; by default they are those of WrapText for
  // the box's width in `font`, LineHeight apart, each drawn with DrawText (DrawJustified for
  // the justified ones).
  virtual void DrawWrappedText(const TextBox& box, std::string_view text, const FontSpec& font,
                               TextAlign align);

  // Draws one line of wrapped text with its words spread over the box's width, the first at
  // its left edge and the last ending at its right edge, each with DrawText.
  virtual void DrawJustified(const TextBox& box, std::string_view line, const FontSpec& font);

  // A straight line of the given thickness (layout units).
  virtual void DrawLine(double x1, double y1, double x2, double y2, double thickness) = 0;

  // True when the device cuts a text at its box by its own measure (a page of characters):
  // the engine then hands it the whole text of a label that cuts its text, instead of the
  // text cut in the printer's measure.
  virtual bool CutsTextAtBox() const { return false; }

  // True when the device wants OnSection's values; the engine builds them only then.
  virtual bool WantsSections() const { return false; }

  // Engine events, for the trace; drawing backends ignore them.
  virtual void OnSection(int /*section*/, const ShownValues& /*shown*/) {}
  virtual void OnMessage(int /*kind*/, std::string_view /*text*/) {}

  // Closes the current page.
  virtual void EndPage() = 0;

  // Completes the document and publishes it under its final name. Raises on I/O failure (the
  // temporary file is removed then).
  virtual void Finish() = 0;

  // Discards the document: nothing is left under the final name. Safe to call at any time,
  // also after Finish (then it does nothing).
  virtual void Abort() noexcept = 0;
};

// Width of `text` in layout units in the given font, from the embedded font's metrics: the sum
// of the glyph advances, one glyph per character, no kerning. Used by the engine to lay out
// justified text and by backends to align. Raises Exception when no font is installed.
double MeasureText(std::string_view text, const FontSpec& font);

// A device chosen by the extension of `path`: .pdf, .txt, .png or .trace. Raises Exception
// (in Portuguese, naming the path) for another extension or a folder that does not exist.
std::unique_ptr<OutputDevice> CreateOutputDevice(const std::string& path);

// A device that draws nothing, for counting passes.
std::unique_ptr<OutputDevice> CreateNullDevice();

}  // namespace stock
