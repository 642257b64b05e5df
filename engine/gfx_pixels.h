// Whole-image pixel work for the graphics area: widening any texture or back-buffer format to
// 32-bit 0xAARRGGBB and narrowing back to a texture format, and halving 32-bit images for mip
// levels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gfx/format.h"

namespace gfx_pixels {

// width x height pixels of format (rows, or rows of 4x4 blocks, pitch bytes apart) as
// 0xAARRGGBB; formats without alpha read as opaque. Empty for an unknown format.
std::vector<uint32_t> ToArgb(gfx::Format format, const uint8_t* bits, size_t pitch, int width,
                             int height);

// width x height 0xAARRGGBB pixels in format, rows (or rows of 4x4 blocks, the edge blocks
// filled out by repeating the last row and column) tightly packed. Empty for an unknown format.
std::vector<uint8_t> FromArgb(gfx::Format format, const std::vector<uint32_t>& pixels, int width,
                              int height);

// The next mip level of a width x height image: half the size (at least 1), each pixel the
// per-channel average of the 2x2 (or fewer, at odd edges) pixels it covers.
std::vector<uint32_t> Halve(const std::vector<uint32_t>& pixels, int width, int height);

}  // namespace gfx_pixels
