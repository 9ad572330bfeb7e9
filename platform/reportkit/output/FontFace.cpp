#include "reportkit/output/FontFace.h"

#include <hb-ot.h>
#include <unistd.h>

#include <array>

#include "reportkit/output/Utf8.h"
#include "rtl/Exception.h"

namespace stock {

namespace {

bool Readable(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

// File names of one family, by slot: regular, bold, italic, bold italic.
struct Family {
  const char* dir;
  const char* files[4];
};

constexpr Family kFamilies[] = {
    {"/usr/share/fonts/truetype/dejavu/",
     {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans-Oblique.ttf",
      "DejaVuSans-BoldOblique.ttf"}},
    {"/usr/share/fonts/truetype/liberation2/",
     {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf", "LiberationSans-Italic.ttf",
      "LiberationSans-BoldItalic.ttf"}},
    {"/usr/share/fonts/truetype/liberation/",
     {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf", "LiberationSans-Italic.ttf",
      "LiberationSans-BoldItalic.ttf"}},
};

int ReadInt16(const char* p) {
  return static_cast<int16_t>((static_cast<unsigned char>(p[0]) << 8) |
                              static_cast<unsigned char>(p[1]));
}

}  // namespace

// The four style slots of the chosen family; a missing style points at its fallback.
struct FontSet {
  std::array<FontFace*, 4> faces{};

  FontSet() {
    const Family* family = nullptr;
    for (const Family& f : kFamilies) {
      if (Readable(std::string(f.dir) + f.files[0])) {
        family = &f;
        break;
      }
    }
    if (family == nullptr) {
      throw Exception(
          "Nenhuma fonte encontrada para gerar o relatório: instale a DejaVu Sans "
          "(/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf) ou a Liberation Sans.");
    }
    for (int slot = 0; slot < 4; ++slot) {
      const std::string path = std::string(family->dir) + family->files[slot];
      if (slot == 0 || Readable(path)) faces[slot] = new FontFace(path, slot);
    }
    if (faces[1] == nullptr) faces[1] = faces[0];
    if (faces[2] == nullptr) faces[2] = faces[0];
    if (faces[3] == nullptr) faces[3] = faces[1];
  }
};

const FontFace& FontFace::For(const FontSpec& font) {
  // Never destroyed: faces are handed out by reference for the life of the process.
  static FontSet* set = new FontSet();
  return *set->faces[(font.bold ? 1 : 0) + (font.italic ? 2 : 0)];
}

FontFace::FontFace(const std::string& path, int slot) : path_(path), slot_(slot) {
  blob_ = hb_blob_create_from_file_or_fail(path.c_str());
  if (blob_ == nullptr) throw Exception("Não foi possível ler a fonte '" + path + "'.");
  face_ = hb_face_create(blob_, 0);
  font_ = hb_font_create(face_);
  upem_ = hb_face_get_upem(face_);
  glyph_count_ = hb_face_get_glyph_count(face_);
  if (glyph_count_ == 0) {
    throw Exception("A fonte '" + path + "' não é um arquivo TrueType válido.");
  }
  hb_font_set_scale(font_, static_cast<int>(upem_), static_cast<int>(upem_));

  hb_font_extents_t extents{};
  hb_font_get_h_extents(font_, &extents);
  ascender_ = extents.ascender;
  descender_ = extents.descender;
  hb_position_t cap = 0;
  cap_height_ = hb_ot_metrics_get_position(font_, HB_OT_METRICS_TAG_CAP_HEIGHT, &cap)
                    ? cap
                    : ascender_ * 7 / 10;

  hb_blob_t* head = hb_face_reference_table(face_, HB_TAG('h', 'e', 'a', 'd'));
  unsigned length = 0;
  const char* data = hb_blob_get_data(head, &length);
  if (length >= 44) {
    for (int k = 0; k < 4; ++k) bbox_[k] = ReadInt16(data + 36 + 2 * k);
  } else {
    bbox_[0] = 0;
    bbox_[1] = descender_;
    bbox_[2] = static_cast<int>(upem_);
    bbox_[3] = ascender_;
  }
  hb_blob_destroy(head);

  char name[128] = {0};
  unsigned name_size = sizeof name;
  if (hb_ot_name_get_utf8(face_, HB_OT_NAME_ID_POSTSCRIPT_NAME, HB_LANGUAGE_INVALID, &name_size,
                          name) > 0) {
    for (char* p = name; *p; ++p) {
      // A PDF name must not hold delimiters or blanks.
      if (*p <= ' ' || *p > '~' ||
          std::string_view("()<>[]{}/%#").find(*p) != std::string_view::npos)
        *p = '-';
    }
    ps_name_ = name;
  }
  if (ps_name_.empty()) ps_name_ = slot == 0 ? "Sans" : "Sans-Bold";

  hb_codepoint_t q = 0;
  hb_font_get_nominal_glyph(font_, '?', &q);
  question_ = {static_cast<uint16_t>(q),
               static_cast<uint16_t>(hb_font_get_glyph_h_advance(font_, q)), U'?'};
  for (char32_t cp = 0; cp < 256; ++cp) latin1_[cp] = Resolve(cp);
}

FontFace::~FontFace() {
  hb_font_destroy(font_);
  hb_face_destroy(face_);
  hb_blob_destroy(blob_);
}

FontFace::Glyph FontFace::Resolve(char32_t cp) const {
  if (cp == U'\t') cp = U' ';
  if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0)) return question_;
  hb_codepoint_t gid = 0;
  if (!hb_font_get_nominal_glyph(font_, cp, &gid) || gid == 0 || gid > 0xFFFF) return question_;
  return {static_cast<uint16_t>(gid),
          static_cast<uint16_t>(hb_font_get_glyph_h_advance(font_, gid)), cp};
}

FontFace::Glyph FontFace::LookupOther(char32_t cp) const { return Resolve(cp); }

double FontFace::MeasurePoints(std::string_view text, double size_pt) const {
  uint64_t units = 0;
  for (size_t i = 0; i < text.size();) units += Lookup(NextCodePoint(text, i)).advance;
  return static_cast<double>(units) * size_pt / upem_;
}

double MeasureText(std::string_view text, const FontSpec& font) {
  return FontFace::For(font).MeasurePoints(text, font.size) * (96.0 / 72.0);
}

}  // namespace stock
