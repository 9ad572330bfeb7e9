#include "rtl/FormatFloat.h"

#include <cmath>
#include <cstring>

#include "rtl/DecimalDigits.h"
#include "rtl/FormatSettings.h"
#include "rtl/StrConv.h"

// Masks are split and scanned once per thread and kept; a call allocates only the returned
// string when it outgrows the small-string buffer. Scientific notation ("E+") is not supported:
// those characters print as literals.

namespace {

// Values this large print with FloatToStr, as the run-time does: a picture mask would only pad
// them with meaningless zeros.
constexpr double kLargest = 1e18;

struct Layout {
  int int_places = 0;   // "0" and "#" before the decimal point
  int min_int = 0;      // integer digits always printed (from the first "0" on)
  int frac_places = 0;  // "0" and "#" after the decimal point
  int min_frac = 0;     // decimals always printed (up to the last "0")
  bool grouping = false;
  bool plain = false;  // only "0", "#", "," and at most one "."
};

// Splits `mask` at ";" outside quotes. Returns the number of sections (1 to 3).
int SplitSections(std::string_view mask, std::string_view sections[3]) {
  int n = 0;
  size_t start = 0;
  char quote = 0;
  for (size_t i = 0; i < mask.size(); ++i) {
    const char c = mask[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';' && n < 2) {
      sections[n++] = mask.substr(start, i - start);
      start = i + 1;
    }
  }
  sections[n++] = mask.substr(start);
  return n;
}

Layout Scan(std::string_view section) {
  Layout l;
  bool in_frac = false;
  int first_zero = 0;
  for (size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    if (c == '"' || c == '\'') {
      const size_t close = section.find(c, i + 1);
      i = close == std::string_view::npos ? section.size() : close;
    } else if (c == '0' || c == '#') {
      if (in_frac) {
        ++l.frac_places;
        if (c == '0') l.min_frac = l.frac_places;
      } else {
        ++l.int_places;
        if (c == '0' && first_zero == 0) first_zero = l.int_places;
      }
    } else if (c == '.' && !in_frac) {
      in_frac = true;
    } else if (c == ',') {
      l.grouping = true;
    }
  }
  if (first_zero) l.min_int = l.int_places - first_zero + 1;
  // (Without a placeholder or a point no digit prints at all: that takes the general path.)
  l.plain = section.find_first_not_of("0#,.") == std::string_view::npos &&
            section.find('.') == section.rfind('.') &&
            (l.int_places + l.frac_places > 0 || section.find('.') != std::string_view::npos);
  return l;
}

// A small output buffer that moves to the heap only for long results.
class Out {
 public:
  void Put(char c) {
    if (n_ < sizeof buf_) {
      buf_[n_++] = c;
    } else {
      Spill();
      big_ += c;
    }
  }
  void Put(std::string_view s) {
    for (char c : s) Put(c);
  }
  std::string Take() { return spilled_ ? std::move(big_) : std::string(buf_, n_); }

 private:
  void Spill() {
    if (!spilled_) {
      big_.assign(buf_, n_);
      spilled_ = true;
    }
  }
  char buf_[120];
  size_t n_ = 0;
  bool spilled_ = false;
  std::string big_;
};

// What a section prints of the digits `d`: n_int integer digits, the first `pad` of them the
// zeros the mask asks for in front, and n_frac decimals (trailing zeros beyond the mandatory
// decimals dropped).
struct Printed {
  int n_int, pad, n_frac;

  Printed(const Layout& l, const stock::DecimalDigits& d) {
    const int int_digits = d.point > 0 ? d.point : 0;
    n_int = int_digits > l.min_int ? int_digits : l.min_int;
    pad = n_int - int_digits;
    n_frac = l.frac_places;
    while (n_frac > l.min_frac) {
      const int i = d.point + n_frac - 1;
      if (i >= 0 && i < d.count && d.digits[i] != '0') break;
      --n_frac;
    }
  }
  // Integer digit `idx` (0 the leftmost printed).
  char IntDigit(const stock::DecimalDigits& d, int idx) const {
    if (idx < pad) return '0';
    idx -= pad;
    return idx < d.count ? d.digits[idx] : '0';
  }
  // Decimal `f` (0 the first after the point).
  static char FracDigit(const stock::DecimalDigits& d, int f) {
    const int k = d.point + f;
    return k >= 0 && k < d.count ? d.digits[k] : '0';
  }
};

// Render for a plain section: the digits, grouped when asked, then the decimals. Every
// placeholder only says how many digits print, so the order of "0", "#" and "," is moot.
// False (and nothing in `out`) when the text would not fit its buffer (a mask of dozens of "0").
bool RenderPlain(const Layout& l, const stock::DecimalDigits& d, const Printed& n, bool minus,
                 std::string& out) {
  const TFormatSettings& fs = FormatSettings();
  char buf[64];
  if (n.n_int + n.n_int / 3 + n.n_frac + 2 > static_cast<int>(sizeof buf)) return false;
  char* p = buf;
  if (minus) *p++ = '-';
  for (int idx = 0; idx < n.n_int; ++idx) {
    *p++ = n.IntDigit(d, idx);
    const int remaining = n.n_int - 1 - idx;
    if (l.grouping && remaining > 0 && remaining % 3 == 0) *p++ = fs.ThousandSeparator;
  }
  if (n.n_frac > 0) {
    *p++ = fs.DecimalSeparator;
    for (int f = 0; f < n.n_frac; ++f) *p++ = Printed::FracDigit(d, f);
  }
  out.assign(buf, static_cast<size_t>(p - buf));
  return true;
}

// Prints the (already rounded, non-negative) digits `d` through `section`.
std::string Render(std::string_view section, const Layout& l, const stock::DecimalDigits& d,
                   bool minus) {
  const Printed printed(l, d);
  std::string text;
  if (l.plain && RenderPlain(l, d, printed, minus, text)) return text;
  const TFormatSettings& fs = FormatSettings();
  const int n_int = printed.n_int;
  const int n_frac = printed.n_frac;
  auto int_digit = [&](int idx) { return printed.IntDigit(d, idx); };

  Out out;
  if (minus) out.Put('-');
  auto put_int = [&](int idx) {
    out.Put(int_digit(idx));
    const int remaining = n_int - 1 - idx;
    if (l.grouping && remaining > 0 && remaining % 3 == 0) out.Put(fs.ThousandSeparator);
  };
  const int offset = n_int - l.int_places;  // integer digits beyond the placeholders
  int int_seen = 0, frac_seen = 0;
  bool in_frac = false;
  for (size_t i = 0; i < section.size(); ++i) {
    const char c = section[i];
    if (c == '"' || c == '\'') {
      size_t close = section.find(c, i + 1);
      if (close == std::string_view::npos) close = section.size();
      out.Put(section.substr(i + 1, close - i - 1));
      i = close;
    } else if (c == '0' || c == '#') {
      if (in_frac) {
        if (frac_seen < n_frac) out.Put(Printed::FracDigit(d, frac_seen));
        ++frac_seen;
      } else {
        ++int_seen;
        const int idx = offset + int_seen - 1;
        if (int_seen == 1) {
          for (int k = 0; k <= idx; ++k) put_int(k);
        } else if (idx >= 0) {
          put_int(idx);
        }
      }
    } else if (c == '.' && !in_frac) {
      if (l.int_places == 0) {
        for (int k = 0; k < n_int; ++k) put_int(k);
      }
      in_frac = true;
      if (n_frac > 0) out.Put(fs.DecimalSeparator);
    } else if (c == ',') {
      // grouping flag only
    } else {
      out.Put(c);
    }
  }
  return out.Take();
}

// A mask split into its sections, each scanned once. Reports format every line with the same
// few masks, so each thread keeps the last few it parsed.
struct ParsedMask {
  std::string mask;
  int sections = 0;
  size_t begin[3] = {}, size[3] = {};
  Layout layout[3];

  std::string_view Section(int i) const { return std::string_view(mask).substr(begin[i], size[i]); }
};

const ParsedMask& Parse(std::string_view mask) {
  constexpr int kSlots = 8;
  thread_local ParsedMask slots[kSlots];
  thread_local int next = 0;
  for (const ParsedMask& slot : slots) {
    if (slot.sections > 0 && slot.mask == mask) return slot;
  }
  ParsedMask& slot = slots[next];
  next = (next + 1) % kSlots;
  slot.mask.assign(mask);
  std::string_view sections[3];
  slot.sections = SplitSections(slot.mask, sections);
  for (int i = 0; i < slot.sections; ++i) {
    slot.begin[i] = static_cast<size_t>(sections[i].data() - slot.mask.data());
    slot.size[i] = sections[i].size();
    slot.layout[i] = Scan(sections[i]);
  }
  return slot;
}

}  // namespace

std::string FormatFloat(std::string_view mask, double value) {
  if (mask.empty() || !std::isfinite(value) || std::fabs(value) >= kLargest) {
    return FloatToStr(value);
  }
  const ParsedMask& parsed = Parse(mask);
  const bool has_negative = parsed.sections >= 2 && parsed.size[1] > 0;
  const bool has_zero = parsed.sections >= 3 && parsed.size[2] > 0;

  stock::DecimalDigits d = stock::ToDecimalDigits(value);
  int section = d.negative && has_negative ? 1 : 0;
  if (parsed.size[section] == 0) return FloatToStr(value);
  if (d.count > 0) stock::RoundDecimalDigits(d, parsed.layout[section].frac_places);
  if (d.count == 0) {  // zero, or a value that rounds to zero: never "-0"
    section = has_zero ? 2 : 0;
    return Render(parsed.Section(section), parsed.layout[section], d, false);
  }
  return Render(parsed.Section(section), parsed.layout[section], d, d.negative && !has_negative);
}
