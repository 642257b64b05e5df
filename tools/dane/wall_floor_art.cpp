// The animation demo's scenery: a brick wall backdrop that repeats every 256 pixels
// sideways, and a floor of stone slabs, both 256x256 and stored DXT-compressed.
#include <algorithm>
#include <cmath>

#include "art.h"
#include "dds_writer.h"

namespace dane {
namespace {

constexpr int kSize = 256;

// Bricks of 32x16 in rows offset by half a brick, under a fading evening sky band.
Canvas MakeWall() {
  Canvas wall(kSize, kSize);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const int row = y / 16, shift = (row % 2) * 16;
      const int brick = ((x + shift) % kSize) / 32;
      const int bx = (x + shift) % 32, by = y % 16;
      const bool mortar = bx < 2 || by < 2;
      const float tone = float(Hash(uint32_t(row * 97 + brick) + 5u) % 100u) / 100.0f;
      const float grain = Noise(float(x), float(y), 4, 64, 41);
      Rgba colour = mortar ? Rgb(150, 146, 136)
                           : Mix(Rgb(140, 58, 40), Rgb(178, 86, 58), 0.6f * tone + 0.4f * grain);
      if (!mortar && (bx == 2 || by == 2)) colour = Shade(colour, 1.15f);  // lit brick edge
      if (!mortar && (bx == 31 || by == 15)) colour = Shade(colour, 0.75f);
      const float height = float(y) / float(kSize);
      wall.At(x, y) = Shade(colour, 0.55f + 0.45f * height);  // darker towards the top
    }
  return wall;
}

// Square slabs of 64 pixels in two tones, with grout lines and speckles.
Canvas MakeFloor() {
  Canvas floor(kSize, kSize);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const int sx = x / 64, sy = y / 64;
      const int gx = x % 64, gy = y % 64;
      const float edge = float(std::min({gx, gy, 63 - gx, 63 - gy}));
      const float speckle = Noise(float(x), float(y), 2, 128, 51);
      Rgba slab = ((sx + sy) % 2) ? Rgb(122, 116, 108) : Rgb(150, 142, 128);
      slab = Shade(slab, 0.85f + 0.3f * speckle);
      if (edge < 2.0f) slab = Rgb(60, 56, 52);
      else if (edge < 4.0f) slab = Shade(slab, gx < 4 || gy < 4 ? 1.2f : 0.8f);
      floor.At(x, y) = slab;
    }
  return floor;
}

}  // namespace

bool WriteWallAndFloor(const std::string& folder) {
  return WriteDds(folder + "/W_b_ALL_01_D2.dds", MakeWall(), DxtFormat::Dxt1) &&
         WriteDds(folder + "/F_c_01_D2.dds", MakeFloor(), DxtFormat::Dxt5);
}

}  // namespace dane
