// Each format's densest encoding bounds the pixels per byte of file: uncompressed rows give a
// fixed count, run-length and dictionary coders a known maximum, deflate at most 1032 bytes
// out per byte in, JPEG at least one bit per 8x8 block. The bounds are generous: a real file
// is never refused, while a tiny file claiming a huge image is.
#include "platform/image/data_bound.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace image {
namespace {

enum class Kind { Png, Jpeg, Gif, Bmp, Psd, Pic, Pnm, Hdr, Tga };

bool StartsWith(const uint8_t* data, size_t size, const char* magic, size_t length) {
  return size >= length && std::memcmp(data, magic, length) == 0;
}

Kind KindOf(const uint8_t* data, size_t size) {
  if (StartsWith(data, size, "\x89PNG", 4)) return Kind::Png;
  if (StartsWith(data, size, "\xFF\xD8", 2)) return Kind::Jpeg;
  if (StartsWith(data, size, "GIF8", 4)) return Kind::Gif;
  if (StartsWith(data, size, "BM", 2)) return Kind::Bmp;
  if (StartsWith(data, size, "8BPS", 4)) return Kind::Psd;
  if (StartsWith(data, size, "\x53\x80\xF6\x34", 4)) return Kind::Pic;
  if (StartsWith(data, size, "P5", 2) || StartsWith(data, size, "P6", 2)) return Kind::Pnm;
  if (StartsWith(data, size, "#?", 2)) return Kind::Hdr;
  return Kind::Tga;  // the one format without a signature
}

uint32_t ReadLe16(const uint8_t* data, size_t size, size_t at) {
  return at + 2 <= size ? uint32_t(data[at]) | uint32_t(data[at + 1]) << 8 : 0;
}

// An LZW code adds one dictionary string at most one pixel longer than any before it, and no
// string exceeds 4096 pixels; codes are at least one bit.
double LzwMaxPixels(size_t size) {
  const double codes = 8.0 * double(size);
  return std::min(codes * (codes + 3) / 2, 4097.0 * codes);
}

// Bits per pixel a BMP stores (its info header's field; at least 1).
uint32_t BmpBits(const uint8_t* data, size_t size) {
  const uint32_t header = ReadLe16(data, size, 14);
  return std::max(1u, ReadLe16(data, size, header == 12 ? 24 : 28));
}

// Bytes a TGA needs: every pixel stored, or with run-length packets (image type 9 and up)
// 128 pixels per packet of a count byte and one pixel.
double TgaBytes(const uint8_t* data, size_t size, double pixels) {
  const double bytes_per_pixel = std::max(1, ((size > 16 ? data[16] : 0) + 7) / 8);
  const bool packed = size > 2 && data[2] >= 8;
  return packed ? pixels / 128 * (1 + bytes_per_pixel) : pixels * bytes_per_pixel;
}

}  // namespace

bool DataCanHold(const uint8_t* data, size_t size, int width, int height) {
  if (!data || width <= 0 || height <= 0) return false;
  const double w = width, h = height, pixels = w * h, bytes = double(size);
  switch (KindOf(data, size)) {
    case Kind::Png:  // one bit per pixel and a filter byte per row, deflated
      return h * (1 + std::ceil(w / 8)) <= bytes * 1032;
    case Kind::Jpeg:
      return std::ceil(w / 8) * std::ceil(h / 8) <= bytes * 8;
    case Kind::Gif:
      return pixels <= LzwMaxPixels(size);
    case Kind::Bmp:  // uncompressed rows
      return std::ceil(w * BmpBits(data, size) / 8) * h <= bytes;
    case Kind::Psd:  // packed runs of up to 128 bytes per two bytes
      return pixels <= bytes * 64;
    case Kind::Pic:  // mixed runs of up to 65535 pixels per three bytes or more
      return pixels <= bytes * 21845;
    case Kind::Pnm:
      return pixels <= bytes;
    case Kind::Hdr:  // runs of up to 127 per two bytes, in each of four channels
      return pixels <= bytes * 16;
    case Kind::Tga:
      return TgaBytes(data, size, pixels) <= bytes;
  }
  return false;
}

}  // namespace image
