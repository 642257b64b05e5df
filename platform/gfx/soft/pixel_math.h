// 8-bit channel arithmetic shared by every shading path, so the fast sprite path and the
// general path give the same bytes.
#pragma once

#include <algorithm>
#include <cstdint>

namespace gfx::soft {

inline uint32_t Channel(uint32_t argb, int shift) { return (argb >> shift) & 255; }

inline uint32_t PackArgb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return a << 24 | r << 16 | g << 8 | b;
}

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

// Per-channel product of two colours (the modulate operation).
inline uint32_t Modulate(uint32_t x, uint32_t y) {
  return PackArgb(Mul255(x >> 24, y >> 24), Mul255(Channel(x, 16), Channel(y, 16)),
                  Mul255(Channel(x, 8), Channel(y, 8)), Mul255(x & 255, y & 255));
}

// Saturated per-channel sum of the colour channels, product of the alphas.
inline uint32_t AddColorModulateAlpha(uint32_t x, uint32_t y) {
  return PackArgb(Mul255(x >> 24, y >> 24), std::min(255u, Channel(x, 16) + Channel(y, 16)),
                  std::min(255u, Channel(x, 8) + Channel(y, 8)),
                  std::min(255u, (x & 255) + (y & 255)));
}

// Source weighted by its alpha over the destination weighted by one minus it.
inline uint32_t BlendOver(uint32_t src, uint32_t dst) { return Lerp(dst, src, Weight(src >> 24)); }

// Source weighted by its alpha added to the destination, saturated per channel.
inline uint32_t BlendAdd(uint32_t src, uint32_t dst) {
  const uint32_t w = Weight(src >> 24);
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8)
    out |= std::min(255u, Channel(dst, shift) + ((Channel(src, shift) * w) >> 8)) << shift;
  return out;
}

}  // namespace gfx::soft
