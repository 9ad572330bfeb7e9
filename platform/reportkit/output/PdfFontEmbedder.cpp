#include "reportkit/output/PdfFontEmbedder.h"

#include <hb-subset.h>

#include <cstdio>
#include <string>

#include "reportkit/output/FontFace.h"
#include "reportkit/output/PdfFile.h"
#include "rtl/Exception.h"

namespace stock {

namespace {

std::string Num(double value) {
  char buf[32];
  char* end = PutFixed2(buf, Hundredths(value));
  return std::string(buf, end);
}

// "ABCDEF+Name": the six-letter tag that marks a subset, derived from the glyphs it holds.
std::string SubsetName(const FontFace& face, const std::vector<char32_t>& used) {
  uint64_t hash = 1469598103934665603ull + static_cast<uint64_t>(face.Slot());
  for (size_t g = 0; g < used.size(); ++g) {
    if (used[g] != 0) hash = (hash ^ g) * 1099511628211ull;
  }
  std::string tag(6, 'A');
  for (char& c : tag) {
    c = static_cast<char>('A' + hash % 26);
    hash /= 26;
  }
  return tag + "+" + face.PostScriptName();
}

void AppendUtf16Hex(std::string& out, char32_t cp) {
  char buf[16];
  if (cp >= 0x10000) {
    cp -= 0x10000;
    std::snprintf(buf, sizeof buf, "%04X%04X", static_cast<unsigned>(0xD800 + (cp >> 10)),
                  static_cast<unsigned>(0xDC00 + (cp & 0x3FF)));
  } else {
    std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(cp));
  }
  out += buf;
}

std::string ToUnicodeCMap(const std::vector<char32_t>& used) {
  std::string entries;
  int count = 0;
  std::string cmap =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
  auto flush = [&] {
    if (count == 0) return;
    cmap += std::to_string(count) + " beginbfchar\n" + entries + "endbfchar\n";
    entries.clear();
    count = 0;
  };
  char code[16];
  for (size_t g = 0; g < used.size(); ++g) {
    if (used[g] == 0) continue;
    std::snprintf(code, sizeof code, "<%04X> <", static_cast<unsigned>(g));
    entries += code;
    AppendUtf16Hex(entries, used[g]);
    entries += ">\n";
    if (++count == 100) flush();  // at most 100 entries per block
  }
  flush();
  cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
  return cmap;
}

// The /W array: runs of consecutive glyph ids with their widths in 1/1000 em.
std::string Widths(const FontFace& face, const std::vector<char32_t>& used) {
  const double scale = 1000.0 / face.UnitsPerEm();
  std::string w = "[";
  size_t g = 0;
  while (g < used.size()) {
    if (used[g] == 0) {
      ++g;
      continue;
    }
    w += std::to_string(g) + " [";
    for (; g < used.size() && used[g] != 0; ++g) {
      w += Num(hb_font_get_glyph_h_advance(face.Font(), static_cast<hb_codepoint_t>(g)) * scale);
      w += ' ';
    }
    w.back() = ']';
    w += '\n';
  }
  w += "]";
  return w;
}

// The TrueType file reduced to the glyphs used, glyph ids unchanged.
hb_blob_t* Subset(const FontFace& face, const std::vector<char32_t>& used) {
  hb_subset_input_t* input = hb_subset_input_create_or_fail();
  if (input == nullptr) throw Exception("Memória insuficiente para gravar a fonte do PDF.");
  hb_set_t* glyphs = hb_subset_input_glyph_set(input);
  hb_set_add(glyphs, 0);
  for (size_t g = 0; g < used.size(); ++g) {
    if (used[g] != 0) hb_set_add(glyphs, static_cast<hb_codepoint_t>(g));
  }
  hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS);
  // Layout tables are of no use to a PDF viewer: text is placed glyph by glyph.
  hb_set_t* drop = hb_subset_input_set(input, HB_SUBSET_SETS_DROP_TABLE_TAG);
  for (hb_tag_t tag : {HB_TAG('G', 'S', 'U', 'B'), HB_TAG('G', 'P', 'O', 'S'),
                       HB_TAG('G', 'D', 'E', 'F'), HB_TAG('k', 'e', 'r', 'n')}) {
    hb_set_add(drop, tag);
  }
  hb_face_t* subset = hb_subset_or_fail(face.Face(), input);
  hb_subset_input_destroy(input);
  if (subset == nullptr) {
    throw Exception("Não foi possível reduzir a fonte '" + face.FilePath() + "' para o PDF.");
  }
  hb_blob_t* blob = hb_face_reference_blob(subset);
  hb_face_destroy(subset);
  return blob;
}

}  // namespace

void WritePdfFont(PdfFile& file, uint32_t type0, const FontFace& face,
                  const std::vector<char32_t>& used) {
  const uint32_t cid_font = file.NewObject();
  const uint32_t descriptor = file.NewObject();
  const uint32_t font_file = file.NewObject();
  const uint32_t to_unicode = file.NewObject();
  const std::string name = SubsetName(face, used);
  const std::string ref = " 0 R";
  const double scale = 1000.0 / face.UnitsPerEm();

  file.BeginObject(type0);
  file.Write("<< /Type /Font /Subtype /Type0 /BaseFont /" + name +
             " /Encoding /Identity-H /DescendantFonts [" + std::to_string(cid_font) + ref +
             "] /ToUnicode " + std::to_string(to_unicode) + ref + " >>");
  file.EndObject();

  file.BeginObject(cid_font);
  file.Write("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + name +
             " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>"
             " /FontDescriptor " +
             std::to_string(descriptor) + ref + " /CIDToGIDMap /Identity /DW " +
             Num(hb_font_get_glyph_h_advance(face.Font(), 0) * scale) + "\n/W " +
             Widths(face, used) + " >>");
  file.EndObject();

  const bool italic = face.Slot() >= 2;
  const int* bbox = face.BoundingBox();
  file.BeginObject(descriptor);
  file.Write("<< /Type /FontDescriptor /FontName /" + name + " /Flags " +
             std::to_string(32 + (italic ? 64 : 0)) + " /FontBBox [" + Num(bbox[0] * scale) + " " +
             Num(bbox[1] * scale) + " " + Num(bbox[2] * scale) + " " + Num(bbox[3] * scale) +
             "] /ItalicAngle " + (italic ? "-11" : "0") + " /Ascent " +
             Num(face.Ascender() * scale) + " /Descent " + Num(face.Descender() * scale) +
             " /CapHeight " + Num(face.CapHeight() * scale) + " /StemV " +
             (face.Slot() % 2 == 1 ? "120" : "80") + " /FontFile2 " + std::to_string(font_file) +
             ref + " >>");
  file.EndObject();

  hb_blob_t* blob = Subset(face, used);
  unsigned length = 0;
  const char* data = hb_blob_get_data(blob, &length);
  try {
    file.WriteStream(font_file, data, length, "/Length1 " + std::to_string(length) + " ");
  } catch (...) {
    hb_blob_destroy(blob);
    throw;
  }
  hb_blob_destroy(blob);

  const std::string cmap = ToUnicodeCMap(used);
  file.WriteStream(to_unicode, cmap.data(), cmap.size());
}

}  // namespace stock
