// DDS writing: the 128-byte header, then 4x4 blocks compressed in high quality, row by row.
#include "dds_writer.h"

#include <cstdint>
#include <fstream>
#include <vector>

#include "stb_dxt.h"

namespace dane {
namespace {

void Put32(std::vector<uint8_t>* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out->push_back(uint8_t(value >> (8 * i)));
}

std::vector<uint8_t> Header(int width, int height, DxtFormat format, uint32_t data_size) {
  enum : uint32_t {
    kCaps = 0x1, kHeight = 0x2, kWidth = 0x4, kPixelFormat = 0x1000, kLinearSize = 0x80000,
    kFourCc = 0x4, kTexture = 0x1000,
  };
  std::vector<uint8_t> header = {'D', 'D', 'S', ' '};
  Put32(&header, 124);
  Put32(&header, kCaps | kHeight | kWidth | kPixelFormat | kLinearSize);
  Put32(&header, uint32_t(height));
  Put32(&header, uint32_t(width));
  Put32(&header, data_size);
  for (int i = 0; i < 2 + 11; ++i) Put32(&header, 0);  // depth, mip count, reserved
  Put32(&header, 32);                                  // pixel format record
  Put32(&header, kFourCc);
  const char* four_cc = format == DxtFormat::Dxt1 ? "DXT1" : "DXT5";
  header.insert(header.end(), four_cc, four_cc + 4);
  for (int i = 0; i < 5; ++i) Put32(&header, 0);  // bit count and masks
  Put32(&header, kTexture);
  for (int i = 0; i < 4; ++i) Put32(&header, 0);  // caps 2..4, reserved
  return header;
}

std::vector<uint8_t> CompressBlocks(const Canvas& picture, DxtFormat format) {
  const std::vector<uint8_t> rgba = picture.ToRgba8();
  const int alpha = format == DxtFormat::Dxt5 ? 1 : 0;
  const size_t block_bytes = alpha ? 16 : 8;
  std::vector<uint8_t> blocks;
  for (int by = 0; by < picture.Height(); by += 4)
    for (int bx = 0; bx < picture.Width(); bx += 4) {
      unsigned char source[64], block[16];
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
          for (int c = 0; c < 4; ++c)
            source[(y * 4 + x) * 4 + c] =
                rgba[(size_t(by + y) * picture.Width() + size_t(bx + x)) * 4 + c];
      stb_compress_dxt_block(block, source, alpha, STB_DXT_HIGHQUAL);
      blocks.insert(blocks.end(), block, block + block_bytes);
    }
  return blocks;
}

}  // namespace

bool WriteDds(const std::string& path, const Canvas& picture, DxtFormat format) {
  const std::vector<uint8_t> blocks = CompressBlocks(picture, format);
  const std::vector<uint8_t> header =
      Header(picture.Width(), picture.Height(), format, uint32_t(blocks.size()));
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(header.data()), std::streamsize(header.size()));
  file.write(reinterpret_cast<const char*>(blocks.data()), std::streamsize(blocks.size()));
  return bool(file);
}

}  // namespace dane
