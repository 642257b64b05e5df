// Storage layout of the formats the software device keeps, and conversion of single pixels
// to and from 0xAARRGGBB.
#pragma once

#include <cstdint>

#include "platform/gfx/format.h"

namespace gfx::soft {

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

}  // namespace gfx::soft
