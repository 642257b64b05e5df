// Huffman table check for JPEG data, run before the data reaches stb_image.
#pragma once

#include <cstddef>
#include <cstdint>

namespace image {

// False when the data is a JPEG (as stb_image recognises one) holding a Huffman table that
// declares more than 256 symbols; true otherwise. The stb_image Debian ships writes past the
// end of its tables on such a file, so it must never be handed one.
bool JpegHuffmanTablesFit(const uint8_t* data, size_t size);

}  // namespace image
