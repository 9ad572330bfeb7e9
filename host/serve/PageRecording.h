#pragma once
// PageRecording: what a print drew on its first pages, kept so that a page's preview can be
// drawn later, only when the browser asks for it. Not thread-safe: recorded during the print,
// replayed once it ended.

#include <string>
#include <vector>

#include "reportkit/output/OutputDevice.h"

namespace stock::serve {

class PageRecording {
 public:
  // Pages after this many are not recorded: a preview, not the document.
  static constexpr int kMaxPages = 100;

  void BeginPage(int page_number, const PageFormat& format);
  void Text(const TextBox& box, std::string_view text, const FontSpec& font, TextAlign align,
            bool wrapped);
  void Line(double x1, double y1, double x2, double y2, double thickness);

  // Pages recorded.
  int Pages() const { return static_cast<int>(pages_.size()); }
  // Draws recorded page `n` (1-based) as one page of `out` (BeginPage to EndPage).
  // REQUIRES: 1 <= n <= Pages().
  void Draw(int n, OutputDevice& out) const;

 private:
  struct Op {
    bool line = false, wrapped = false;
    TextBox box;
    std::string text;
    FontSpec font;
    TextAlign align = TextAlign::Left;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0, thickness = 0;
  };
  struct Page {
    int number = 0;
    PageFormat format;
    std::vector<Op> ops;
  };
  std::vector<Page> pages_;
  bool full_ = false;  // past kMaxPages: nothing more is kept
};

}  // namespace stock::serve
