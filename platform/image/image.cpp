// Level sizes and decoding of the common image formats through stb_image.
#include "platform/image/image.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

#include "platform/image/data_bound.h"
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

// The data stb_image reads, handed out through its callbacks. A read asked for once every
// byte is used up means the file ended before its image did.
struct BoundedReader {
  const uint8_t* data;
  size_t size;
  size_t pos = 0;
  bool overrun = false;

  static int Read(void* user, char* out, int wanted) {
    auto* r = static_cast<BoundedReader*>(user);
    const size_t n = std::min(size_t(wanted > 0 ? wanted : 0), r->size - r->pos);
    if (n == 0 && wanted > 0) r->overrun = true;
    std::memcpy(out, r->data + r->pos, n);
    r->pos += n;
    return int(n);
  }
  // Skipping past the end is not itself an overrun (a last row's padding may be missing);
  // reading there is.
  static void Skip(void* user, int n) {
    auto* r = static_cast<BoundedReader*>(user);
    r->pos = n < 0 ? r->pos - std::min(r->pos, size_t(-int64_t(n)))
                   : r->pos + std::min(r->size - r->pos, size_t(n));
  }
  static int Eof(void* user) {
    const auto* r = static_cast<const BoundedReader*>(user);
    return r->pos >= r->size;
  }
};

// The size a file's header claims, when it is within the decoders' limit and the file's data
// could hold that many pixels; read before any decoding, which allocates for the claim.
bool StbImageSize(const stbi_uc* bytes, size_t size, int* width, int* height) {
  int w = 0, h = 0, channels = 0;
  if (size == 0 || size > size_t(INT_MAX) ||
      !stbi_info_from_memory(bytes, int(size), &w, &h, &channels) || !DimensionsAllowed(w, h) ||
      !DataCanHold(bytes, size, w, h))
    return false;
  *width = w;
  *height = h;
  return true;
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

bool ImageSize(const void* data, size_t size, int* width, int* height) {
  if (!data || !width || !height) return false;
  return IsDds(data, size) ? DdsSize(data, size, width, height)
                           : StbImageSize(static_cast<const stbi_uc*>(data), size, width, height);
}

bool DecodeImage(const void* data, size_t size, Image* out) {
  const auto* bytes = static_cast<const stbi_uc*>(data);
  int width = 0, height = 0;
  if (!data || !out || !StbImageSize(bytes, size, &width, &height) ||
      !JpegHuffmanTablesFit(bytes, size))
    return false;
  // Decoding reads through callbacks that notice a read past the end: stb_image would go on
  // with zeros and give a damaged image as a good one.
  BoundedReader reader{bytes, size};
  const stbi_io_callbacks io{BoundedReader::Read, BoundedReader::Skip, BoundedReader::Eof};
  int w = 0, h = 0, channels = 0;
  std::unique_ptr<stbi_uc, void (*)(void*)> rgba(
      stbi_load_from_callbacks(&io, &reader, &w, &h, &channels, 4), stbi_image_free);
  if (!rgba || reader.overrun || w != width || h != height) return false;

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
