#include "reportkit/output/PdfWriter.h"

#include <array>
#include <cstring>
#include <ctime>
#include <vector>

#include "reportkit/output/FontFace.h"
#include "reportkit/output/PdfFile.h"
#include "reportkit/output/PdfFontEmbedder.h"
#include "reportkit/output/Utf8.h"
#include "rtl/Exception.h"

namespace stock {

namespace {

// Fixed object numbers; fonts and pages follow.
constexpr uint32_t kCatalog = 1, kPages = 2, kResources = 3, kInfo = 4, kFirstFree = 5;
constexpr double kPointsPerUnit = 0.75;                 // 72 / 96
constexpr double kA4Width = 793.7, kA4Height = 1122.5;  // layout units

char* Put(char* p, std::string_view text) {
  std::memcpy(p, text.data(), text.size());
  return p + text.size();
}

// A PDF text string in UTF-16BE, hex form: safe for any title.
std::string TextString(std::string_view utf8) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "<FEFF";
  auto unit = [&](unsigned u) {
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(u >> shift) & 0xF];
  };
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp = NextCodePoint(utf8, i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      unit(0xD800 + (cp >> 10));
      unit(0xDC00 + (cp & 0x3FF));
    } else {
      unit(cp);
    }
  }
  return out + ">";
}

// "D:YYYYMMDDHHmmSS-03'00'" for a local date and time.
std::string PdfDate(TDateTime when) {
  const DateParts d = DecodeDate(when);
  int hour, minute, second, ms;
  DecodeTime(when, hour, minute, second, ms);
  std::tm tm{};
  tm.tm_year = d.year - 1900;
  tm.tm_mon = d.month - 1;
  tm.tm_mday = d.day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  long offset = 0;
  std::time_t t = std::mktime(&tm);
  std::tm local{};
  if (t != static_cast<std::time_t>(-1) && localtime_r(&t, &local) != nullptr) {
    offset = local.tm_gmtoff / 60;
  }
  const char sign = offset < 0 ? '-' : '+';
  if (offset < 0) offset = -offset;
  char buf[48];
  std::snprintf(buf, sizeof buf, "D:%04d%02d%02d%02d%02d%02d%c%02ld'%02ld'", d.year, d.month, d.day,
                hour, minute, second, sign, offset / 60, offset % 60);
  return buf;
}

}  // namespace

struct PdfWriter::Impl {
  explicit Impl(const std::string& path) : file(path, kFirstFree) {}

  PdfFile file;
  DocumentInfo info;
  bool finished = false;
  std::vector<uint32_t> pages;  // page object numbers, in order

  // Per font slot: the face (null until used) and the character each glyph was used for.
  std::array<const FontFace*, 4> faces{};
  std::array<std::vector<char32_t>, 4> used;

  // The open page.
  bool page_open = false;
  int64_t page_width = 0, page_height = 0;  // hundredths of a point
  ByteBuffer content;
  bool in_text = false;
  int64_t line_x = 0, line_y = 0;  // start of the current text line (hundredths)
  int font_slot = -1;
  int64_t font_size = -1;
  int64_t line_width = -1;

  std::vector<char> shown;  // scratch: one text's glyphs as the bytes of its PDF string

  // A glyph as the bytes of a PDF literal string (its two bytes, escaped where needed), with
  // what a text needs of it.
  struct Encoded {
    char bytes[4];
    uint8_t size;
    uint16_t id, advance;
    char32_t unicode;
  };
  // Per font slot: the characters below 256 encoded once (built when the slot is first used).
  std::array<std::vector<Encoded>, 4> latin1;

  static Encoded Encode(const FontFace::Glyph& g) {
    Encoded e{{}, 0, g.id, g.advance, g.unicode};
    for (const char byte : {static_cast<char>(g.id >> 8), static_cast<char>(g.id & 0xFF)}) {
      if (byte == '(' || byte == ')' || byte == '\\') {
        e.bytes[e.size++] = '\\';
        e.bytes[e.size++] = byte;
      } else if (byte == '\r') {
        e.bytes[e.size++] = '\\';
        e.bytes[e.size++] = 'r';
      } else {
        e.bytes[e.size++] = byte;
      }
    }
    return e;
  }

  void RequirePage() const {
    if (!page_open) throw Exception("Relatório: desenho fora de uma página aberta.");
  }

  void BeginPage(double width, double height) {
    if (page_open) EndPage();
    page_open = true;
    if (!(width > 0 && height > 0 && width < 1e6 && height < 1e6)) {
      width = kA4Width;  // no usable size: A4 portrait rather than an unreadable page
      height = kA4Height;
    }
    page_width = Hundredths(width * kPointsPerUnit);
    page_height = Hundredths(height * kPointsPerUnit);
    content.Clear();
    in_text = false;
    font_slot = -1;
    font_size = -1;
    line_width = -1;
  }

  void EndText() {
    if (!in_text) return;
    content.Append("ET\n");
    in_text = false;
  }

  void Line(int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t width) {
    EndText();
    char* p = content.Reserve(160);
    if (width != line_width) {
      p = PutFixed2(p, width);
      p = Put(p, " w\n");
      line_width = width;
    }
    p = PutFixed2(p, x1);
    *p++ = ' ';
    p = PutFixed2(p, y1);
    p = Put(p, " m ");
    p = PutFixed2(p, x2);
    *p++ = ' ';
    p = PutFixed2(p, y2);
    p = Put(p, " l S\n");
    content.CommitTo(p);
  }

  void Text(const TextBox& box, std::string_view text, const FontSpec& font, TextAlign align) {
    RequirePage();
    const FontFace& face = FontFace::For(font);
    const int slot = face.Slot();
    if (faces[slot] == nullptr) {
      faces[slot] = &face;
      used[slot].assign(face.GlyphCount(), 0);
      latin1[slot].clear();
      for (char32_t cp = 0; cp < 256; ++cp) latin1[slot].push_back(Encode(face.Lookup(cp)));
    }
    char32_t* unicode = used[slot].data();
    const Encoded* table = latin1[slot].data();

    // Two bytes per glyph (at most four when escaped), written as the glyphs are looked up;
    // each glyph copies four bytes and keeps its own, so the buffer has four to spare.
    if (shown.size() < text.size() * 4 + 4) shown.resize(text.size() * 4 + 4);
    char* s = shown.data();
    uint64_t advance = 0;
    for (size_t i = 0; i < text.size();) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      Encoded e;
      if (c < 0x80) {
        e = table[c];
        ++i;
      } else {
        const char32_t cp = NextCodePoint(text, i);
        e = cp < 256 ? table[cp] : Encode(face.Lookup(cp));
      }
      advance += e.advance;
      if (unicode[e.id] == 0) unicode[e.id] = e.unicode;
      std::memcpy(s, e.bytes, sizeof e.bytes);
      s += e.size;
    }
    const size_t shown_size = static_cast<size_t>(s - shown.data());
    if (shown_size == 0 && !font.underline) return;

    const double size = font.size;
    const double width_pt = static_cast<double>(advance) * size / face.UnitsPerEm();
    double x_pt = box.left * kPointsPerUnit;
    if (align == TextAlign::Right) {
      x_pt += box.width * kPointsPerUnit - width_pt;
    } else if (align == TextAlign::Center) {
      x_pt += (box.width * kPointsPerUnit - width_pt) / 2;
    }
    const double baseline_pt =
        box.top * kPointsPerUnit + face.Ascender() * size / face.UnitsPerEm();
    const int64_t x = Hundredths(x_pt);
    const int64_t y = page_height - Hundredths(baseline_pt);

    // Operators: at most ~60 bytes, then the string.
    char* p = content.Reserve(96 + shown_size);
    if (!in_text) {
      p = Put(p, "BT\n");
      in_text = true;
      line_x = line_y = 0;
    }
    const int64_t size_h = Hundredths(size);
    if (slot != font_slot || size_h != font_size) {
      *p++ = '/';
      *p++ = 'F';
      *p++ = static_cast<char>('0' + slot);
      *p++ = ' ';
      p = PutFixed2(p, size_h);
      p = Put(p, " Tf\n");
      font_slot = slot;
      font_size = size_h;
    }
    // Relative moves repeat from line to line, which keeps the compressed page small.
    p = PutFixed2(p, x - line_x);
    *p++ = ' ';
    p = PutFixed2(p, y - line_y);
    p = Put(p, " Td(");
    line_x = x;
    line_y = y;
    std::memcpy(p, shown.data(), shown_size);
    p += shown_size;
    p = Put(p, ")Tj\n");
    content.CommitTo(p);

    if (font.underline) {
      const int64_t under = Hundredths(size * 0.12);
      Line(x, y - under, x + Hundredths(width_pt), y - under,
           std::max<int64_t>(1, Hundredths(size * 0.06)));
    }
  }

  void EndPage() {
    if (!page_open) return;
    EndText();
    const uint32_t contents = file.NewObject();
    file.WriteStream(contents, content.Data(), content.Size());
    const uint32_t page = file.NewObject();
    char buf[200];
    char* p = buf;
    p = Put(p, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 ");
    p = PutFixed2(p, page_width);
    *p++ = ' ';
    p = PutFixed2(p, page_height);
    p = Put(p, "] /Resources 3 0 R /Contents ");
    p = PutInt(p, contents);
    p = Put(p, " 0 R >>");
    file.BeginObject(page);
    file.Write(std::string_view(buf, static_cast<size_t>(p - buf)));
    file.EndObject();
    pages.push_back(page);
    page_open = false;
  }

  void Finish() {
    EndPage();
    if (pages.empty()) {
      BeginPage(kA4Width, kA4Height);
      EndPage();
    }
    std::string fonts;
    for (int slot = 0; slot < 4; ++slot) {
      if (faces[slot] == nullptr) continue;
      const uint32_t type0 = file.NewObject();
      WritePdfFont(file, type0, *faces[slot], used[slot]);
      fonts += " /F" + std::to_string(slot) + " " + std::to_string(type0) + " 0 R";
    }
    file.BeginObject(kResources);
    file.Write("<< /ProcSet [/PDF /Text] /Font <<" + fonts + " >> >>");
    file.EndObject();

    file.BeginObject(kPages);
    file.Write("<< /Type /Pages /Count " + std::to_string(pages.size()) + " /Kids [");
    std::string kids;
    for (size_t i = 0; i < pages.size(); ++i) {
      kids += std::to_string(pages[i]);
      kids += (i % 10 == 9) ? " 0 R\n" : " 0 R ";
      if (kids.size() > 4000) {
        file.Write(kids);
        kids.clear();
      }
    }
    file.Write(kids + "] >>");
    file.EndObject();

    file.BeginObject(kCatalog);
    file.Write("<< /Type /Catalog /Pages 2 0 R >>");
    file.EndObject();

    file.BeginObject(kInfo);
    file.Write("<< /Title " + TextString(info.title) + " /Producer (stockreports) /CreationDate (" +
               PdfDate(info.created != 0 ? info.created : Now()) + ") >>");
    file.EndObject();

    file.Finish(kCatalog, kInfo);
    finished = true;
  }
};

PdfWriter::PdfWriter(const std::string& path) {
  FontFace::For(FontSpec{});  // no font: fail before anything is written
  impl_ = std::make_unique<Impl>(path);
}

PdfWriter::~PdfWriter() { Abort(); }

void PdfWriter::SetInfo(const DocumentInfo& info) { impl_->info = info; }

void PdfWriter::BeginPage(double width, double height) { impl_->BeginPage(width, height); }

void PdfWriter::DrawText(const TextBox& box, std::string_view text, const FontSpec& font,
                         TextAlign align) {
  impl_->Text(box, text, font, align);
}

void PdfWriter::DrawLine(double x1, double y1, double x2, double y2, double thickness) {
  impl_->RequirePage();
  const int64_t h = impl_->page_height;
  impl_->Line(Hundredths(x1 * kPointsPerUnit), h - Hundredths(y1 * kPointsPerUnit),
              Hundredths(x2 * kPointsPerUnit), h - Hundredths(y2 * kPointsPerUnit),
              Hundredths(thickness * kPointsPerUnit));
}

void PdfWriter::EndPage() { impl_->EndPage(); }

void PdfWriter::Finish() {
  if (impl_->finished) return;
  try {
    impl_->Finish();
  } catch (...) {
    impl_->file.Abort();
    throw;
  }
}

void PdfWriter::Abort() noexcept {
  if (impl_ && !impl_->finished) impl_->file.Abort();
}

int PdfWriter::PageCount() const { return static_cast<int>(impl_->pages.size()); }

}  // namespace stock
