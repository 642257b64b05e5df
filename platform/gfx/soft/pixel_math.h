// 8-bit channel arithmetic of the general shading path. The sprite loops do the same
// arithmetic in vector lanes, so both paths give the same bytes.
#pragma once

#include <cstdint>

#include "platform/gfx/pixel_format.h"  // Channel, PackArgb

namespace gfx::soft {

// a * b / 255, rounded to nearest; exact for 0 and 255.
inline uint32_t Mul255(uint32_t a, uint32_t b) {
  const uint32_t t = a * b + 128;
  return (t + (t >> 8)) >> 8;
}

// A factor 0..255 as a weight 0..256; Weight(f) + Weight(255 - f) is always 256.
inline uint32_t Weight(uint32_t f) { return f + (f >> 7); }

// (a * (256 - w) + b * w) / 256 on all four channels at once; w is 0..256.
inline uint32_t Lerp(uint32_t a, uint32_t b, uint32_t w) {
  const uint32_t rb = (((a & 0xFF00FFu) * (256 - w) + (b & 0xFF00FFu) * w) >> 8) & 0xFF00FFu;
  const uint32_t ag =
      (((a >> 8) & 0xFF00FFu) * (256 - w) + ((b >> 8) & 0xFF00FFu) * w) & 0xFF00FF00u;
  return rb | ag;
}

// Linear filter weight 0..256 from the fraction of a 32.32 fixed-point texel coordinate.
inline uint32_t FilterWeight(int64_t v) { return uint32_t(((v & 0xFFFFFFFF) + (1 << 23)) >> 24); }

}  // namespace gfx::soft
