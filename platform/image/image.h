// Image files: decoding PNG, JPEG, BMP, TGA and GIF (through stb_image), reading DDS files in
// their own pixel format, and writing BMP screenshots and PNG files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gfx/format.h"

namespace image {

// Largest width or height any decoder accepts; larger headers are refused before allocating.
constexpr int kMaxDimension = 16384;

struct Image {
  int width = 0, height = 0;
  // A8R8G8B8, X8R8G8B8, R5G6B5, X1R5G5B5, A1R5G5B5, DXT1, DXT3 or DXT5.
  gfx::Format format = gfx::Format_Unknown;
  int levels = 1;  // mip levels stored in data, largest first
  // Level 0 then each smaller level. Rows are tightly packed (pitch = width * bytes per pixel);
  // DXT levels are ceil(w/4) * ceil(h/4) blocks of 8 (DXT1) or 16 bytes. 32-bit pixels are
  // little-endian 0xAARRGGBB, 16-bit pixels little-endian.
  std::vector<uint8_t> data;
};

// Bytes one mip level of the given format and size takes in Image::data (0 for Format_Unknown).
size_t LevelSize(gfx::Format format, int width, int height);

// The width and height an image file's header claims (any format DecodeImage or DecodeDds
// reads), without decoding. False when the header is unreadable, a side exceeds
// kMaxDimension, or the file's data could not hold an image of that size.
bool ImageSize(const void* data, size_t size, int* width, int* height);

// PNG, JPEG, BMP, TGA, GIF (first frame) and the other formats stb_image reads, converted to
// A8R8G8B8 with one level. False on any error, a file that ends before its image does
// included; out is then left untouched.
bool DecodeImage(const void* data, size_t size, Image* out);

// True when the data begins with "DDS ".
bool IsDds(const void* data, size_t size);

// DDS: DXT1/3/5 and the uncompressed A8R8G8B8, X8R8G8B8, R5G6B5, X1R5G5B5 and A1R5G5B5 layouts
// keep their format; every other uncompressed RGB, luminance or alpha layout is converted to
// A8R8G8B8. Each mip level the header declares is kept (declared counts beyond the full chain
// are capped). Of a cube map only the first face is read. False on any error (truncated data,
// bad header, unsupported format, volume texture); out is then left untouched.
bool DecodeDds(const void* data, size_t size, Image* out);
// The size of a DDS file DecodeDds would read, from its header; false where DecodeDds fails
// for its header or length.
bool DdsSize(const void* data, size_t size, int* width, int* height);

// Writes a 24-bit bottom-up BMP from 32-bit 0xXXRRGGBB pixels, rows pitch_bytes apart.
// False when the arguments are invalid or the file can't be written completely.
bool WriteBmp(const char* path, const uint32_t* pixels, int width, int height, int pitch_bytes);

// Writes a PNG with alpha from 0xAARRGGBB pixels, rows pitch_bytes apart. False like WriteBmp.
bool WritePng(const char* path, const uint32_t* pixels, int width, int height, int pitch_bytes);

}  // namespace image
