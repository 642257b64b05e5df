// How many pixels an image file's data could possibly describe, so that a header claiming far
// more than its file can hold is refused before a decoder allocates for it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace image {

// True when the size bytes of data, a PNG, JPEG, GIF, BMP, PSD, PIC, PNM, HDR or TGA file,
// could describe width x height pixels with its format's densest encoding.
bool DataCanHold(const uint8_t* data, size_t size, int width, int height);

}  // namespace image
