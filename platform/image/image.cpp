// Level sizes and decoding of the common image formats through stb_image.
#include "platform/image/image.h"

#include <climits>
#include <memory>

#include "platform/image/jpeg_tables.h"
#include "stb_image.h"

namespace image {

size_t LevelSize(gfx::Format format, int width, int height) {
  const size_t w = size_t(width > 0 ? width : 0), h = size_t(height > 0 ? height : 0);
  switch (format) {
    case gfx::Format_DXT1:
      return (w + 3) / 4 * ((h + 3) / 4) * 8;
    case gfx::Format_DXT3:
    case gfx::Format_DXT5:
      return (w + 3) / 4 * ((h + 3) / 4) * 16;
    case gfx::Format_A8R8G8B8:
    case gfx::Format_X8R8G8B8:
      return w * h * 4;
    case gfx::Format_R5G6B5:
    case gfx::Format_X1R5G5B5:
    case gfx::Format_A1R5G5B5:
      return w * h * 2;
    default:
      return 0;
  }
}

namespace {

bool DimensionsAllowed(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension;
}

// stb_image's RGBA byte order to little-endian 0xAARRGGBB (bytes B, G, R, A).
void RgbaToBgra(const uint8_t* rgba, size_t pixels, uint8_t* out) {
  for (size_t i = 0; i < pixels; ++i, rgba += 4, out += 4) {
    out[0] = rgba[2];
    out[1] = rgba[1];
    out[2] = rgba[0];
    out[3] = rgba[3];
  }
}

}  // namespace

bool DecodeImage(const void* data, size_t size, Image* out) {
  if (!data || !out || size == 0 || size > size_t(INT_MAX)) return false;
  const auto* bytes = static_cast<const stbi_uc*>(data);
  const int length = int(size);
  if (!JpegHuffmanTablesFit(bytes, size)) return false;
  int width = 0, height = 0, channels = 0;
  // The header alone is read first so that absurd sizes are refused before any allocation.
  if (!stbi_info_from_memory(bytes, length, &width, &height, &channels) ||
      !DimensionsAllowed(width, height))
    return false;
  std::unique_ptr<stbi_uc, void (*)(void*)> rgba(
      stbi_load_from_memory(bytes, length, &width, &height, &channels, 4), stbi_image_free);
  if (!rgba || !DimensionsAllowed(width, height)) return false;

  Image decoded;
  decoded.width = width;
  decoded.height = height;
  decoded.format = gfx::Format_A8R8G8B8;
  decoded.data.resize(LevelSize(decoded.format, width, height));
  RgbaToBgra(rgba.get(), size_t(width) * size_t(height), decoded.data.data());
  *out = std::move(decoded);
  return true;
}

}  // namespace image
