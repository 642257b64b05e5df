// Decoding of single texels from DXT1, DXT3 and DXT5 blocks, so compressed textures stay
// compressed in memory and are decoded only where they are sampled; encoding of blocks, for
// mip levels made from a compressed image.
#pragma once

#include <cstdint>

#include "platform/gfx/format.h"

namespace gfx {

// The texel at (x, y), both 0..3, of one block of format f, as 0xAARRGGBB.
uint32_t DecodeDxtTexel(Format f, const uint8_t* block, int x, int y);

// Encodes 16 texels (rows of four, 0xAARRGGBB) as one block of format f (8 bytes for DXT1,
// 16 for DXT3 and DXT5). DXT1 keeps texels with alpha below 128 transparent.
void EncodeDxtBlock(Format f, const uint32_t (&texels)[16], uint8_t* block);

}  // namespace gfx
