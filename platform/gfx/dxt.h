// Decoding of DXT1, DXT3 and DXT5 blocks, texel by texel or a whole image at once; encoding of
// blocks, for mip levels made from a compressed image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gfx/format.h"

namespace gfx {

// The texel at (x, y), both 0..3, of one block of format f, as 0xAARRGGBB.
uint32_t DecodeDxtTexel(Format f, const uint8_t* block, int x, int y);

// An image of width x height stored as rows of blocks `pitch` bytes apart, decoded to
// 0xAARRGGBB texels, row by row.
std::vector<uint32_t> DecodeDxtImage(Format f, const uint8_t* blocks, size_t pitch, int width,
                                     int height);

// Encodes 16 texels (rows of four, 0xAARRGGBB) as one block of format f (8 bytes for DXT1,
// 16 for DXT3 and DXT5). DXT1 keeps texels with alpha below 128 transparent.
void EncodeDxtBlock(Format f, const uint32_t (&texels)[16], uint8_t* block);

}  // namespace gfx
