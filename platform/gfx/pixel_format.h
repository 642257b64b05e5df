// Storage layout of the pixel formats, and conversion of single pixels
// to and from 0xAARRGGBB.
#pragma once

#include <cstdint>

#include "platform/gfx/format.h"

namespace gfx {

inline uint32_t Channel(uint32_t argb, int shift) { return (argb >> shift) & 255; }

inline uint32_t PackArgb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return a << 24 | r << 16 | g << 8 | b;
}

// Formats a back buffer or render target may have.
bool IsColorTargetFormat(Format f);
// Formats a texture may have: the colour target formats and DXT1/3/5.
bool IsTextureFormat(Format f);

// Bytes of one pixel of an uncompressed format (D16 included); 0 for compressed or unknown.
int BytesPerPixel(Format f);
// Bytes of one 4x4 block of a compressed format; 0 otherwise.
int BlockBytes(Format f);
// Bytes in one storage row (a row of pixels, or of 4x4 blocks) and the number of such rows.
int RowPitch(Format f, int width);
int RowCount(Format f, int height);

// One pixel of an uncompressed colour format; formats without alpha read as opaque.
uint32_t ReadArgb(Format f, const uint8_t* pixel);
void WriteArgb(Format f, uint32_t argb, uint8_t* pixel);

}  // namespace gfx
