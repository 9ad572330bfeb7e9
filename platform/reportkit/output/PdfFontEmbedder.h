#pragma once
// Writes one embedded font of a PDF document: a Type0 font with Identity-H encoding over a
// CIDFontType2 whose CIDs are the glyph ids of the TrueType file, the file subset to the
// glyphs used (glyph ids kept), the widths of those glyphs and a ToUnicode map. Internal to
// the output component.

#include <cstdint>
#include <vector>

namespace stock {

class FontFace;
class PdfFile;

// Writes the font objects; `type0` is the number the pages' resources already refer to.
// `unicode_by_glyph[g]` is the character glyph g was used for, 0 when unused.
void WritePdfFont(PdfFile& file, uint32_t type0, const FontFace& face,
                  const std::vector<char32_t>& unicode_by_glyph);

}  // namespace stock
