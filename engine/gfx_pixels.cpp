#include "engine/gfx_pixels.h"

#include <algorithm>

#include "platform/gfx/dxt.h"
#include "platform/gfx/pixel_format.h"

namespace gfx_pixels {

std::vector<uint32_t> ToArgb(gfx::Format format, const uint8_t* bits, size_t pitch, int width,
                             int height) {
  if (gfx::IsCompressed(format)) return gfx::DecodeDxtImage(format, bits, pitch, width, height);
  const int unit = gfx::BytesPerPixel(format);
  if (unit == 0 || width <= 0 || height <= 0) return {};
  std::vector<uint32_t> out(size_t(width) * height);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = bits + size_t(y) * pitch;
    for (int x = 0; x < width; ++x)
      out[size_t(y) * width + x] = gfx::ReadArgb(format, row + size_t(x) * unit);
  }
  return out;
}

namespace {

// The 4x4 texels of the block at block column bx, row by, edge texels repeated.
void GatherBlock(const std::vector<uint32_t>& pixels, int width, int height, int bx, int by,
                 uint32_t (&texels)[16]) {
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      texels[y * 4 + x] = pixels[size_t(std::min(by * 4 + y, height - 1)) * width +
                                 std::min(bx * 4 + x, width - 1)];
}

}  // namespace

std::vector<uint8_t> FromArgb(gfx::Format format, const std::vector<uint32_t>& pixels, int width,
                              int height) {
  const bool compressed = gfx::IsCompressed(format);
  const int unit = compressed ? gfx::BlockBytes(format) : gfx::BytesPerPixel(format);
  if (unit == 0 || width <= 0 || height <= 0) return {};
  const size_t pitch = size_t(gfx::RowPitch(format, width));
  const int rows = gfx::RowCount(format, height);
  std::vector<uint8_t> out(pitch * rows);
  for (int row = 0; row < rows; ++row) {
    uint8_t* dst = out.data() + size_t(row) * pitch;
    if (!compressed) {
      for (int x = 0; x < width; ++x)
        gfx::WriteArgb(format, pixels[size_t(row) * width + x], dst + size_t(x) * unit);
      continue;
    }
    for (int bx = 0; bx * 4 < width; ++bx) {
      uint32_t texels[16];
      GatherBlock(pixels, width, height, bx, row, texels);
      gfx::EncodeDxtBlock(format, texels, dst + size_t(bx) * unit);
    }
  }
  return out;
}

std::vector<uint32_t> Halve(const std::vector<uint32_t>& pixels, int width, int height) {
  const int w = std::max(1, width / 2), h = std::max(1, height / 2);
  std::vector<uint32_t> out(size_t(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t sum[4] = {0, 0, 0, 0};
      int n = 0;
      for (int sy = 2 * y; sy < std::min(2 * y + 2, height); ++sy) {
        for (int sx = 2 * x; sx < std::min(2 * x + 2, width); ++sx, ++n) {
          const uint32_t p = pixels[size_t(sy) * width + sx];
          for (int c = 0; c < 4; ++c) sum[c] += p >> (8 * c) & 0xFF;
        }
      }
      uint32_t avg = 0;
      for (int c = 0; c < 4; ++c) avg |= (sum[c] + n / 2) / n << (8 * c);
      out[size_t(y) * w + x] = avg;
    }
  }
  return out;
}

}  // namespace gfx_pixels
