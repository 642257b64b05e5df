#include "platform/gfx/pixel_format.h"

#include <cstring>


namespace gfx {
namespace {

uint32_t Expand5(uint32_t v) { return (v << 3) | (v >> 2); }
uint32_t Expand6(uint32_t v) { return (v << 2) | (v >> 4); }

uint16_t Load16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
void Store16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

}  // namespace

bool IsColorTargetFormat(Format f) {
  return f == Format_A8R8G8B8 || f == Format_X8R8G8B8 || f == Format_R5G6B5 ||
         f == Format_X1R5G5B5 || f == Format_A1R5G5B5;
}

bool IsTextureFormat(Format f) { return IsColorTargetFormat(f) || IsCompressed(f); }

int BytesPerPixel(Format f) {
  switch (f) {
    case Format_A8R8G8B8:
    case Format_X8R8G8B8:
      return 4;
    case Format_R5G6B5:
    case Format_X1R5G5B5:
    case Format_A1R5G5B5:
    case Format_D16:
      return 2;
    default:
      return 0;
  }
}

int BlockBytes(Format f) {
  if (f == Format_DXT1) return 8;
  if (f == Format_DXT3 || f == Format_DXT5) return 16;
  return 0;
}

int RowPitch(Format f, int width) {
  if (IsCompressed(f)) return (width + 3) / 4 * BlockBytes(f);
  return width * BytesPerPixel(f);
}

int RowCount(Format f, int height) { return IsCompressed(f) ? (height + 3) / 4 : height; }

uint32_t ReadArgb(Format f, const uint8_t* p) {
  switch (f) {
    case Format_A8R8G8B8:
    case Format_X8R8G8B8: {
      uint32_t v;
      std::memcpy(&v, p, 4);
      return f == Format_X8R8G8B8 ? v | 0xFF000000u : v;
    }
    case Format_R5G6B5: {
      const uint32_t v = Load16(p);
      return PackArgb(255, Expand5(v >> 11), Expand6((v >> 5) & 63), Expand5(v & 31));
    }
    case Format_X1R5G5B5:
    case Format_A1R5G5B5: {
      const uint32_t v = Load16(p);
      const uint32_t a = (f == Format_X1R5G5B5 || (v & 0x8000)) ? 255 : 0;
      return PackArgb(a, Expand5((v >> 10) & 31), Expand5((v >> 5) & 31), Expand5(v & 31));
    }
    default:
      return 0;
  }
}

void WriteArgb(Format f, uint32_t argb, uint8_t* p) {
  const uint32_t a = argb >> 24, r = (argb >> 16) & 255, g = (argb >> 8) & 255, b = argb & 255;
  switch (f) {
    case Format_A8R8G8B8:
    case Format_X8R8G8B8: {
      const uint32_t v = f == Format_X8R8G8B8 ? argb | 0xFF000000u : argb;
      std::memcpy(p, &v, 4);
      break;
    }
    case Format_R5G6B5:
      Store16(p, (r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
      break;
    case Format_X1R5G5B5:
    case Format_A1R5G5B5: {
      const uint32_t top = (f == Format_X1R5G5B5 || a >= 128) ? 0x8000 : 0;
      Store16(p, top | (r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
      break;
    }
    default:
      break;
  }
}

}  // namespace gfx
