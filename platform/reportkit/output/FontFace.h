#pragma once
// FontFace: one TrueType font file loaded through HarfBuzz and the glyph lookup every backend
// uses. Characters map to glyphs one to one through the font's cmap, with no shaping (no
// ligatures, no kerning), so what is measured is what the PDF shows and what text extraction
// gives back.
//
// Faces are process-wide: loaded once on first use, never released, safe to use from any
// thread (they are read-only after loading).

#include <cstdint>
#include <string>
#include <string_view>

#include <hb.h>

#include "reportkit/output/OutputDevice.h"

namespace stock {

class FontFace {
 public:
  struct Glyph {
    uint16_t id = 0;
    uint16_t advance = 0;  // font units
    char32_t unicode = 0;  // the character the glyph shows ('?' for a missing character)
  };

  // The face for a font's style: DejaVu Sans (or Liberation Sans when DejaVu is absent),
  // regular, bold, oblique or bold oblique. A style whose file is not installed falls back to
  // the bold or the regular face. Raises Exception (Portuguese) when no font file is found.
  static const FontFace& For(const FontSpec& font);

  // The glyph for `cp`. A character the font does not have, or a control character, gives the
  // '?' glyph (and `unicode` = '?'); a tab gives the space.
  Glyph Lookup(char32_t cp) const { return cp < 256 ? latin1_[cp] : LookupOther(cp); }

  // Width of `text` (UTF-8) at `size_pt` points, in points, from the glyph advances.
  double MeasurePoints(std::string_view text, double size_pt) const;

  // Small distinct number of this face (0 regular, 1 bold, 2 italic, 3 bold italic), stable for
  // the process; a fallback face has the number of the face it falls back to.
  int Slot() const { return slot_; }
  unsigned UnitsPerEm() const { return upem_; }
  int Ascender() const { return ascender_; }    // font units, above the baseline
  int Descender() const { return descender_; }  // font units, negative
  int CapHeight() const { return cap_height_; }
  unsigned GlyphCount() const { return glyph_count_; }
  // Font bounding box in font units: xMin, yMin, xMax, yMax.
  const int* BoundingBox() const { return bbox_; }
  const std::string& FilePath() const { return path_; }
  const std::string& PostScriptName() const { return ps_name_; }
  // The HarfBuzz objects, owned by the face.
  hb_face_t* Face() const { return face_; }
  hb_font_t* Font() const { return font_; }

  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

 private:
  friend struct FontSet;
  FontFace(const std::string& path, int slot);  // raises when the file cannot be read
  ~FontFace();
  Glyph LookupOther(char32_t cp) const;
  Glyph Resolve(char32_t cp) const;

  std::string path_;
  std::string ps_name_;
  int slot_;
  hb_blob_t* blob_ = nullptr;
  hb_face_t* face_ = nullptr;
  hb_font_t* font_ = nullptr;
  unsigned upem_ = 1000;
  unsigned glyph_count_ = 0;
  int ascender_ = 0, descender_ = 0, cap_height_ = 0;
  int bbox_[4] = {0, 0, 0, 0};
  Glyph question_;
  Glyph latin1_[256];
};

}  // namespace stock
