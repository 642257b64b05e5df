// Pixel formats shared by images and the device: the numeric values of the device API the
// engine was written for, so ranks and log names stay meaningful.
#pragma once

#include <cstdint>

namespace gfx {

constexpr uint32_t FourCC(char a, char b, char c, char d) {
  return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
         uint32_t(uint8_t(d)) << 24;
}

enum Format : uint32_t {
  Format_Unknown = 0,
  Format_A8R8G8B8 = 21,
  Format_X8R8G8B8 = 22,
  Format_R5G6B5 = 23,
  Format_X1R5G5B5 = 24,
  Format_A1R5G5B5 = 25,
  Format_D16 = 80,
  Format_Index16 = 101,
  Format_Index32 = 102,
  Format_DXT1 = FourCC('D', 'X', 'T', '1'),
  Format_DXT3 = FourCC('D', 'X', 'T', '3'),
  Format_DXT5 = FourCC('D', 'X', 'T', '5'),
};

inline bool IsCompressed(Format f) {
  return f == Format_DXT1 || f == Format_DXT3 || f == Format_DXT5;
}

}  // namespace gfx
