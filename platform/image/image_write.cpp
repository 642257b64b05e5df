// BMP and PNG writers. Both build the whole file in memory first and then write it with every
// write checked, so a full disk or a bad path is reported as a failure.
#include <cstdio>
#include <cstring>

#include "platform/image/image.h"
#include "platform/os/regular_file.h"
#include "stb_image_write.h"

namespace image {
namespace {

bool ArgumentsValid(const char* path, const uint32_t* pixels, int width, int height,
                    int pitch_bytes) {
  return path && *path && pixels && width > 0 && height > 0 && width <= kMaxDimension &&
         height <= kMaxDimension && pitch_bytes >= width * 4;
}

// Pixel x of row y, read bytewise so that any pitch works.
uint32_t PixelAt(const uint32_t* pixels, int pitch_bytes, int x, int y) {
  const auto* row = reinterpret_cast<const uint8_t*>(pixels) + size_t(y) * size_t(pitch_bytes);
  uint32_t value;
  std::memcpy(&value, row + size_t(x) * 4, 4);
  return value;
}

// Writes the whole file. A file this call created is removed again when writing fails; an
// existing file is only overwritten, never removed. Only regular files are written: a FIFO or
// device under the name is refused at once instead of blocking or being fed.
bool WriteFile(const char* path, const std::vector<uint8_t>& bytes) {
  FILE* file = os::OpenRegularFile(path, os::FileMode::CreateNew);
  const bool created = file != nullptr;
  if (!file) file = os::OpenRegularFile(path, os::FileMode::Write);
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (written && closed) return true;
  if (created) std::remove(path);
  return false;
}

void PutU16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

void PutU32(uint8_t* p, uint32_t v) {
  PutU16(p, v);
  PutU16(p + 2, v >> 16);
}

constexpr size_t kBmpHeaderSize = 14 + 40;

void PutBmpHeader(uint8_t* p, int width, int height, size_t pixel_bytes) {
  p[0] = 'B';
  p[1] = 'M';
  PutU32(p + 2, uint32_t(kBmpHeaderSize + pixel_bytes));  // file size
  PutU32(p + 10, kBmpHeaderSize);                           // offset of the pixels
  PutU32(p + 14, 40);                                       // info header size
  PutU32(p + 18, uint32_t(width));
  PutU32(p + 22, uint32_t(height));  // positive: rows stored bottom-up
  PutU16(p + 26, 1);                 // planes
  PutU16(p + 28, 24);                // bits per pixel
  PutU32(p + 34, uint32_t(pixel_bytes));
  PutU32(p + 38, 2835);  // 72 dpi
  PutU32(p + 42, 2835);
}

// stb_image_write output callback: appends to the std::vector<uint8_t> given as context.
void AppendToVector(void* context, void* data, int size) {
  auto* bytes = static_cast<std::vector<uint8_t>*>(context);
  const auto* p = static_cast<const uint8_t*>(data);
  bytes->insert(bytes->end(), p, p + size);
}

}  // namespace

bool WriteBmp(const char* path, const uint32_t* pixels, int width, int height, int pitch_bytes) {
  if (!ArgumentsValid(path, pixels, width, height, pitch_bytes)) return false;
  const size_t row_bytes = (size_t(width) * 3 + 3) & ~size_t(3);
  const size_t pixel_bytes = row_bytes * size_t(height);
  std::vector<uint8_t> file(kBmpHeaderSize + pixel_bytes, 0);
  PutBmpHeader(file.data(), width, height, pixel_bytes);
  for (int y = 0; y < height; ++y) {
    uint8_t* out = file.data() + kBmpHeaderSize + size_t(height - 1 - y) * row_bytes;
    for (int x = 0; x < width; ++x, out += 3) {
      const uint32_t c = PixelAt(pixels, pitch_bytes, x, y);
      out[0] = uint8_t(c);
      out[1] = uint8_t(c >> 8);
      out[2] = uint8_t(c >> 16);
    }
  }
  return WriteFile(path, file);
}

bool WritePng(const char* path, const uint32_t* pixels, int width, int height, int pitch_bytes) {
  if (!ArgumentsValid(path, pixels, width, height, pitch_bytes)) return false;
  std::vector<uint8_t> rgba(size_t(width) * size_t(height) * 4);
  uint8_t* out = rgba.data();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x, out += 4) {
      const uint32_t c = PixelAt(pixels, pitch_bytes, x, y);
      out[0] = uint8_t(c >> 16);
      out[1] = uint8_t(c >> 8);
      out[2] = uint8_t(c);
      out[3] = uint8_t(c >> 24);
    }
  }
  std::vector<uint8_t> png;
  if (!stbi_write_png_to_func(AppendToVector, &png, width, height, 4, rgba.data(), width * 4))
    return false;
  return WriteFile(path, png);
}

}  // namespace image
