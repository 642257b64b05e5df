#include "platform/gfx/dxt.h"

#include <cstring>

#include "platform/gfx/pixel_format.h"
#include "stb_dxt.h"

namespace gfx {
namespace {

struct Rgb {
  uint32_t r, g, b;
};

// A little-endian 5-6-5 endpoint.
Rgb Endpoint(const uint8_t* bytes) {
  const uint32_t c = ReadArgb(Format_R5G6B5, bytes);
  return {Channel(c, 16), Channel(c, 8), Channel(c, 0)};
}

uint32_t Pack(uint32_t a, Rgb c) { return a << 24 | c.r << 16 | c.g << 8 | c.b; }

// Weighted mix (wa * a + wb * b) / (wa + wb) of two colours.
Rgb Mix(Rgb a, uint32_t wa, Rgb b, uint32_t wb) {
  const uint32_t d = wa + wb;
  return {(a.r * wa + b.r * wb) / d, (a.g * wa + b.g * wb) / d, (a.b * wa + b.b * wb) / d};
}

// The 8-byte colour part of a block. With four_colors false (DXT1 when the first endpoint
// is not greater than the second) index 2 is the midpoint and index 3 transparent black.
uint32_t ColorTexel(const uint8_t* block, int x, int y, bool dxt1, uint32_t alpha) {
  const uint32_t c0 = block[0] | block[1] << 8, c1 = block[2] | block[3] << 8;
  const uint32_t index = (block[4 + y] >> (2 * x)) & 3;
  const Rgb e0 = Endpoint(block), e1 = Endpoint(block + 2);
  const bool four_colors = !dxt1 || c0 > c1;
  switch (index) {
    case 0:
      return Pack(alpha, e0);
    case 1:
      return Pack(alpha, e1);
    case 2:
      return Pack(alpha, four_colors ? Mix(e0, 2, e1, 1) : Mix(e0, 1, e1, 1));
    default:
      return four_colors ? Pack(alpha, Mix(e0, 1, e1, 2)) : 0;
  }
}

// DXT3: sixteen explicit 4-bit alphas.
uint32_t ExplicitAlpha(const uint8_t* block, int x, int y) {
  const int i = y * 4 + x;
  const uint32_t a4 = (block[i / 2] >> (4 * (i & 1))) & 15;
  return a4 * 17;
}

// DXT5: two endpoints and sixteen 3-bit indices into an 8- or 6-step ramp.
uint32_t InterpolatedAlpha(const uint8_t* block, int x, int y) {
  const uint32_t a0 = block[0], a1 = block[1];
  uint64_t bits = 0;
  for (int i = 0; i < 6; ++i) bits |= uint64_t(block[2 + i]) << (8 * i);
  const uint32_t index = uint32_t(bits >> (3 * (y * 4 + x))) & 7;
  if (index == 0) return a0;
  if (index == 1) return a1;
  if (a0 > a1) return ((8 - index) * a0 + (index - 1) * a1) / 7;
  if (index == 6) return 0;
  if (index == 7) return 255;
  return ((6 - index) * a0 + (index - 1) * a1) / 5;
}

// A block from the encoder: the colour part alone (always four-colour), or with alpha the
// DXT5 alpha part before it.
void Compress(const uint32_t (&texels)[16], bool alpha, uint8_t* block) {
  uint8_t rgba[64];
  for (int i = 0; i < 16; ++i) {
    rgba[4 * i] = uint8_t(Channel(texels[i], 16));
    rgba[4 * i + 1] = uint8_t(Channel(texels[i], 8));
    rgba[4 * i + 2] = uint8_t(Channel(texels[i], 0));
    rgba[4 * i + 3] = alpha ? uint8_t(Channel(texels[i], 24)) : 255;
  }
  stb_compress_dxt_block(block, rgba, alpha ? 1 : 0, STB_DXT_NORMAL);
}

// Turns a four-colour block into a three-colour one whose index 3 marks the transparent
// texels: the endpoints swap, so the first is not above the second, and each colour index
// moves to its nearest entry of the three-colour palette.
void MakeTransparentTexels(const uint32_t (&texels)[16], uint8_t* block) {
  static constexpr uint8_t kThreeColorIndex[4] = {1, 0, 2, 2};  // after the swap
  uint8_t endpoint[2];
  std::memcpy(endpoint, block, 2);
  std::memmove(block, block + 2, 2);
  std::memcpy(block + 2, endpoint, 2);
  for (int y = 0; y < 4; ++y) {
    uint8_t row = 0;
    for (int x = 0; x < 4; ++x) {
      const uint32_t old_index = (block[4 + y] >> (2 * x)) & 3;
      const bool clear = Channel(texels[y * 4 + x], 24) < 128;
      row |= uint8_t((clear ? 3 : kThreeColorIndex[old_index]) << (2 * x));
    }
    block[4 + y] = row;
  }
}

// DXT3: each alpha rounded to four bits.
void EncodeExplicitAlpha(const uint32_t (&texels)[16], uint8_t* block) {
  std::memset(block, 0, 8);
  for (int i = 0; i < 16; ++i) {
    const uint32_t a4 = (Channel(texels[i], 24) * 15 + 127) / 255;
    block[i / 2] |= uint8_t(a4 << (4 * (i & 1)));
  }
}

}  // namespace

void EncodeDxtBlock(Format f, const uint32_t (&texels)[16], uint8_t* block) {
  switch (f) {
    case Format_DXT1: {
      Compress(texels, false, block);
      bool any_clear = false;
      for (uint32_t t : texels) any_clear |= Channel(t, 24) < 128;
      if (any_clear) MakeTransparentTexels(texels, block);
      break;
    }
    case Format_DXT3:
      EncodeExplicitAlpha(texels, block);
      Compress(texels, false, block + 8);
      break;
    case Format_DXT5:
      Compress(texels, true, block);
      break;
    default:
      break;
  }
}

uint32_t DecodeDxtTexel(Format f, const uint8_t* block, int x, int y) {
  switch (f) {
    case Format_DXT1:
      return ColorTexel(block, x, y, true, 255);
    case Format_DXT3:
      return ColorTexel(block + 8, x, y, false, ExplicitAlpha(block, x, y));
    case Format_DXT5:
      return ColorTexel(block + 8, x, y, false, InterpolatedAlpha(block, x, y));
    default:
      return 0;
  }
}

std::vector<uint32_t> DecodeDxtImage(Format f, const uint8_t* blocks, size_t pitch, int width,
                                     int height) {
  const int block_bytes = BlockBytes(f);
  if (block_bytes == 0 || width <= 0 || height <= 0) return {};
  std::vector<uint32_t> out(size_t(width) * size_t(height));
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = blocks + size_t(y / 4) * pitch;
    for (int x = 0; x < width; ++x)
      out[size_t(y) * width + x] =
          DecodeDxtTexel(f, row + size_t(x / 4) * block_bytes, x % 4, y % 4);
  }
  return out;
}

}  // namespace gfx
