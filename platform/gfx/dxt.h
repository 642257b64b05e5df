// Decoding of single texels from DXT1, DXT3 and DXT5 blocks, so compressed textures stay
// compressed in memory and are decoded only where they are sampled.
#pragma once

#include <cstdint>

#include "platform/gfx/format.h"

namespace gfx {

// The texel at (x, y), both 0..3, of one block of format f, as 0xAARRGGBB.
uint32_t DecodeDxtTexel(Format f, const uint8_t* block, int x, int y);

}  // namespace gfx
