// Walks the marker segments of a JPEG the way stb_image does (fill bytes, entropy-coded data
// between segments) and adds up the symbol counts of every Huffman table it defines.
#include "platform/image/jpeg_tables.h"

namespace image {
namespace {

constexpr uint8_t kMarkerPrefix = 0xFF, kStartOfImage = 0xD8, kHuffmanTables = 0xC4;
constexpr int kMaxSymbols = 256;

// Byte at pos, or 0 past the end, as stb_image's reader returns it.
uint8_t ByteAt(const uint8_t* p, size_t size, size_t pos) { return pos < size ? p[pos] : 0; }

// Markers without a length field: byte stuffing, TEM, RST0-7, SOI, EOI, and fill bytes.
bool Standalone(uint8_t marker) {
  return marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9) ||
         marker == kMarkerPrefix;
}

// The tables of a segment whose payload starts at pos. Like the decoder, keeps reading tables
// while the declared length lasts, each table taking 17 bytes plus its symbols.
bool TablesFit(const uint8_t* p, size_t size, size_t pos, long remaining) {
  while (remaining > 0) {
    int symbols = 0;
    for (size_t i = 1; i <= 16; ++i) symbols += ByteAt(p, size, pos + i);
    if (symbols > kMaxSymbols) return false;
    pos += 17 + size_t(symbols);
    remaining -= 17 + symbols;
  }
  return true;
}

// Position just after the start-of-image marker, or 0 when the data is not a JPEG.
size_t JpegStart(const uint8_t* p, size_t size) {
  if (size == 0 || p[0] != kMarkerPrefix) return 0;
  size_t pos = 1;
  while (pos < size && p[pos] == kMarkerPrefix) ++pos;
  return pos < size && p[pos] == kStartOfImage ? pos + 1 : 0;
}

}  // namespace

bool JpegHuffmanTablesFit(const uint8_t* p, size_t size) {
  size_t pos = JpegStart(p, size);
  if (pos == 0) return true;
  while (pos + 1 < size) {
    const uint8_t marker = p[pos + 1];
    if (p[pos] != kMarkerPrefix || Standalone(marker)) {
      ++pos;
      continue;
    }
    const size_t length = size_t(ByteAt(p, size, pos + 2)) << 8 | ByteAt(p, size, pos + 3);
    if (marker == kHuffmanTables && !TablesFit(p, size, pos + 4, long(length) - 2)) return false;
    pos += 2 + length;
  }
  return true;
}

}  // namespace image
