#include "reportkit/output/PngDevice.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "reportkit/output/FontFace.h"
#include "reportkit/output/TempFile.h"
#include "reportkit/output/Utf8.h"
#include "rtl/Exception.h"

namespace stock {

namespace {

constexpr double kA4Width = 793.7, kA4Height = 1122.5;  // layout units
constexpr double kPixelsPerPoint = 96.0 / 72.0;

// Glyph outlines from HarfBuzz into the current cairo path.
void MoveTo(hb_draw_funcs_t*, void* cr, hb_draw_state_t*, float x, float y, void*) {
  cairo_move_to(static_cast<cairo_t*>(cr), x, y);
}
void LineTo(hb_draw_funcs_t*, void* cr, hb_draw_state_t*, float x, float y, void*) {
  cairo_line_to(static_cast<cairo_t*>(cr), x, y);
}
void QuadraticTo(hb_draw_funcs_t*, void* cr, hb_draw_state_t* st, float cx, float cy, float x,
                 float y, void*) {
  const double x0 = st->current_x, y0 = st->current_y;
  cairo_curve_to(static_cast<cairo_t*>(cr), x0 + 2.0 / 3 * (cx - x0), y0 + 2.0 / 3 * (cy - y0),
                 x + 2.0 / 3 * (cx - x), y + 2.0 / 3 * (cy - y), x, y);
}
void CubicTo(hb_draw_funcs_t*, void* cr, hb_draw_state_t*, float c1x, float c1y, float c2x,
             float c2y, float x, float y, void*) {
  cairo_curve_to(static_cast<cairo_t*>(cr), c1x, c1y, c2x, c2y, x, y);
}
void ClosePath(hb_draw_funcs_t*, void* cr, hb_draw_state_t*, void*) {
  cairo_close_path(static_cast<cairo_t*>(cr));
}

hb_draw_funcs_t* DrawFuncs() {
  static hb_draw_funcs_t* funcs = [] {
    hb_draw_funcs_t* f = hb_draw_funcs_create();
    hb_draw_funcs_set_move_to_func(f, MoveTo, nullptr, nullptr);
    hb_draw_funcs_set_line_to_func(f, LineTo, nullptr, nullptr);
    hb_draw_funcs_set_quadratic_to_func(f, QuadraticTo, nullptr, nullptr);
    hb_draw_funcs_set_cubic_to_func(f, CubicTo, nullptr, nullptr);
    hb_draw_funcs_set_close_path_func(f, ClosePath, nullptr, nullptr);
    hb_draw_funcs_make_immutable(f);
    return f;
  }();
  return funcs;
}

void DrawGlyph(hb_font_t* font, hb_codepoint_t glyph, cairo_t* cr) {
#if HB_VERSION_ATLEAST(7, 0, 0)
  hb_font_draw_glyph(font, glyph, DrawFuncs(), cr);
#else
  hb_font_get_glyph_shape(font, glyph, DrawFuncs(), cr);
#endif
}

cairo_status_t WriteChunk(void* closure, const unsigned char* data, unsigned int length) {
  try {
    static_cast<TempFile*>(closure)->Write(data, length);
    return CAIRO_STATUS_SUCCESS;
  } catch (...) {
    return CAIRO_STATUS_WRITE_ERROR;
  }
}

}  // namespace

struct PngDevice::Impl {
  std::string path;
  double scale = 1;
  std::vector<std::unique_ptr<TempFile>> files;  // one per rendered page
  int pages = 0;
  bool finished = false;
  cairo_surface_t* surface = nullptr;  // the open page, null when not rendered
  cairo_t* cr = nullptr;

  ~Impl() { Close(); }

  void Close() {
    if (cr) cairo_destroy(cr);
    if (surface) cairo_surface_destroy(surface);
    cr = nullptr;
    surface = nullptr;
  }

  void Begin(double width, double height) {
    if (surface) End();
    ++pages;
    if (pages > kMaxPages) return;
    if (!(width > 0 && height > 0 && width < 1e6 && height < 1e6)) {
      width = kA4Width;
      height = kA4Height;
    }
    // cairo's largest image side.
    const int w = std::clamp(static_cast<int>(std::lround(width * scale)), 1, 32767);
    const int h = std::clamp(static_cast<int>(std::lround(height * scale)), 1, 32767);
    surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cr = cairo_create(surface);
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
      Close();
      throw Exception("Memória insuficiente para a imagem da página " + std::to_string(pages) +
                      " de '" + path + "'.");
    }
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_scale(cr, scale, scale);  // from here on, layout units
  }

  void End() {
    if (!surface) return;
    if (files.size() < static_cast<size_t>(pages)) {
      files.push_back(std::make_unique<TempFile>(PagePath(path, pages)));
    }
    cairo_surface_flush(surface);
    TempFile& file = *files[static_cast<size_t>(pages) - 1];
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface, WriteChunk, &file);
    Close();
    if (status != CAIRO_STATUS_SUCCESS) {
      file.Discard();
      throw Exception("Não foi possível gravar o arquivo '" + file.FinalPath() + "'.");
    }
  }
};

PngDevice::PngDevice(const std::string& path, double scale) : impl_(std::make_unique<Impl>()) {
  FontFace::For(FontSpec{});
  impl_->path = path;
  impl_->scale = scale > 0 ? scale : 1;
  impl_->files.push_back(std::make_unique<TempFile>(path));
}

PngDevice::~PngDevice() { Abort(); }

std::string PngDevice::PagePath(const std::string& path, int n) {
  if (n <= 1) return path;
  std::string stem = path;
  const size_t dot = stem.rfind('.');
  const size_t slash = stem.rfind('/');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) stem.resize(dot);
  return stem + "-" + std::to_string(n) + ".png";
}

void PngDevice::BeginDocument(const DocumentInfo&) {}

void PngDevice::BeginPage(int, double width, double height) { impl_->Begin(width, height); }

void PngDevice::DrawText(const TextBox& box, std::string_view text, const FontSpec& font,
                         TextAlign align) {
  cairo_t* cr = impl_->cr;
  if (cr == nullptr) return;
  const FontFace& face = FontFace::For(font);
  std::vector<FontFace::Glyph> glyphs;
  uint64_t advance = 0;
  for (size_t i = 0; i < text.size();) {
    glyphs.push_back(face.Lookup(NextCodePoint(text, i)));
    advance += glyphs.back().advance;
  }
  const double em = font.size * kPixelsPerPoint;  // layout units per em
  const double per_unit = em / face.UnitsPerEm();
  const double width = static_cast<double>(advance) * per_unit;
  double x = box.left;
  if (align == TextAlign::Right) x += box.width - width;
  if (align == TextAlign::Center) x += (box.width - width) / 2;
  const double baseline = box.top + face.Ascender() * per_unit;

  cairo_save(cr);
  cairo_translate(cr, x, baseline);
  cairo_scale(cr, per_unit, -per_unit);  // font units, y up
  cairo_new_path(cr);
  double pen = 0;
  for (const FontFace::Glyph& g : glyphs) {
    cairo_save(cr);
    cairo_translate(cr, pen, 0);
    DrawGlyph(face.Font(), g.id, cr);
    cairo_restore(cr);
    pen += g.advance;
  }
  cairo_fill(cr);
  cairo_restore(cr);
  if (font.underline) {
    DrawLine(x, baseline + em * 0.12, x + width, baseline + em * 0.12, em * 0.06);
  }
}

void PngDevice::DrawLine(double x1, double y1, double x2, double y2, double thickness) {
  cairo_t* cr = impl_->cr;
  if (cr == nullptr) return;
  cairo_new_path(cr);
  cairo_set_line_width(cr, std::max(thickness, 0.5));
  cairo_move_to(cr, x1, y1);
  cairo_line_to(cr, x2, y2);
  cairo_stroke(cr);
}

void PngDevice::EndPage() { impl_->End(); }

void PngDevice::Finish() {
  if (impl_->finished) return;
  impl_->End();
  if (impl_->pages == 0) {
    impl_->Begin(kA4Width, kA4Height);
    impl_->End();
  }
  // The requested path last: when another page's file cannot be published, the error leaves
  // the document under the requested name as it was.
  for (size_t i = impl_->files.size(); i-- > 1;) impl_->files[i]->Commit();
  impl_->files.front()->Commit();
  impl_->finished = true;
}

void PngDevice::Abort() noexcept {
  if (impl_->finished) return;
  impl_->Close();
  for (auto& file : impl_->files) file->Discard();
}

}  // namespace stock
