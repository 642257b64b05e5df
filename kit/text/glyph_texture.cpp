#include "kit/text/glyph_texture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "kit/draw/registry.h"
#include "platform/text/glyph_renderer.h"

namespace {

template <class Visit>
void ForEachCode(const GlyphRange* ranges, int count, Visit visit) {
  for (int i = 0; ranges != nullptr && i < count; ++i) {
    const int last = std::min<int>(ranges[i].last, 255);
    for (int code = ranges[i].first; code <= last; ++code) visit(code);
  }
}

// Each cell is the glyph's black box with one pixel of margin on either side; pre and post
// give those pixels back, so pre + w + post is the advance. False as soon as the cells
// (with their one-pixel gaps) could no longer fit the largest texture, so a huge size is
// refused before every glyph has been rendered.
bool MeasureCells(text::GlyphRenderer& renderer, const GlyphRange* ranges, int count) {
  GlyphCell* cells = Font_GlyphCells();
  const int height = renderer.CharHeight();
  const int64_t limit = int64_t(kMaxGlyphTextureSize) * kMaxGlyphTextureSize;
  int64_t area = 0;
  bool fits = height + 2 < kMaxGlyphTextureSize;
  ForEachCode(ranges, count, [&](int code) {
    if (!fits) return;
    const text::CharSpacing spacing = renderer.Spacing(uint8_t(code));
    GlyphCell& cell = cells[code];
    cell.w = int(std::trunc(spacing.b)) + 2;
    cell.h = height;
    cell.pre = int(std::trunc(spacing.a)) - 1;
    cell.post = int(std::trunc(spacing.c)) - 1;
    area += int64_t(cell.w + 1) * (cell.h + 1);
    fits = area <= limit;
  });
  return fits;
}

// The first size of the doubling order that holds every cell.
bool ChooseSize(const GlyphRange* ranges, int count, int* width, int* height) {
  int w = 32, h = 32;
  while (!Font_PackGlyphs(w, h, ranges, count)) {
    if (w <= h) {
      w *= 2;
    } else {
      h *= 2;
    }
    if (w > kMaxGlyphTextureSize || h > kMaxGlyphTextureSize) return false;
  }
  *width = w;
  *height = h;
  return true;
}

}  // namespace

GlyphCell* Font_GlyphCells() {
  static GlyphCell cells[256];
  return cells;
}

bool Font_PackGlyphs(int width, int height, const GlyphRange* ranges, int count) {
  GlyphCell* cells = Font_GlyphCells();
  int x = 1, y = 1;
  bool fits = true;
  ForEachCode(ranges, count, [&](int code) {
    GlyphCell& cell = cells[code];
    if (!fits || y + cell.h + 1 >= height) {
      fits = false;
      return;
    }
    if (x + cell.w + 1 >= width) {
      x = 1;
      y += cell.h + 1;
      // A new row must hold the cell too, also a cell wider than the whole texture.
      fits = y + cell.h + 1 < height && x + cell.w + 1 < width;
      if (!fits) return;
    }
    cell.x = x;
    cell.y = y;
    x += cell.w + 1;
  });
  return fits;
}

bool Font_RenderGlyphBitmap(const char* face, int size, bool bold, bool italic,
                            const GlyphRange* ranges, int count, GlyphBitmap* out) {
  std::unique_ptr<text::GlyphRenderer> renderer =
      text::GlyphRenderer::Open(face ? face : "", size, bold, italic);
  if (!renderer || out == nullptr) return false;
  int width = 0, height = 0;
  if (!MeasureCells(*renderer, ranges, count) || !ChooseSize(ranges, count, &width, &height)) {
    return false;
  }

  std::vector<uint32_t> canvas(size_t(width) * size_t(height), 0);
  const GlyphCell* cells = Font_GlyphCells();
  ForEachCode(ranges, count, [&](int code) {
    const GlyphCell& cell = cells[code];
    renderer->Draw(uint8_t(code), cell.x - cell.pre, cell.y, canvas.data(), width, height);
  });
  for (uint32_t& pixel : canvas) pixel = ((pixel & 0xFF) << 24) | 0xFFFFFF;
  out->width = width;
  out->height = height;
  out->pixels = std::move(canvas);
  return true;
}

TextureHandle Font_RenderGlyphTexture(const char* face, int size, bool bold, bool italic,
                                      const GlyphRange* ranges, int count) {
  TVK* engine = Registry_GetEngine();
  GlyphBitmap bitmap;
  if (engine == nullptr ||
      !Font_RenderGlyphBitmap(face, size, bold, italic, ranges, count, &bitmap)) {
    return 0;
  }
  const TextureHandle texture = engine->Texture_Create(bitmap.width, bitmap.height);
  if (texture == 0) return 0;
  const int pitch = engine->Texture_GetWidth(texture, false);
  uint32_t* pixels = pitch >= bitmap.width ? engine->Texture_Lock(texture, false) : nullptr;
  if (pixels == nullptr) {
    engine->Texture_Free(texture);
    return 0;
  }
  for (int row = 0; row < bitmap.height; ++row) {
    std::memcpy(pixels + size_t(row) * size_t(pitch),
                bitmap.pixels.data() + size_t(row) * size_t(bitmap.width),
                size_t(bitmap.width) * sizeof(uint32_t));
  }
  engine->Texture_Unlock(texture);
  return texture;
}
