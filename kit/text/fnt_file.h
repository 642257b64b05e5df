/// @file
/// The .fnt bitmap font file: one skipped byte, the texture file name ended by a 0x10 byte,
/// then 14-byte glyph records of seven signed 16-bit little-endian values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/tvk_export.h"

/// One glyph record of a .fnt file: code, rectangle in the texture, spacing before and after.
struct FntRecord {
  int16_t code;  ///< character code
  int16_t x;     ///< left pixel in the texture
  int16_t y;     ///< top pixel in the texture
  int16_t w;     ///< width in pixels
  int16_t h;     ///< height in pixels
  int16_t pre;   ///< pixels added to the pen before the glyph
  int16_t post;  ///< pixels added to the pen after the glyph
};

/// The contents of a .fnt file.
struct FntFile {
  std::string texture_name;        ///< handed unchanged to Texture_Load
  std::vector<FntRecord> records;  ///< in file order; a later record for a code wins
};

/// Bytes of one glyph record.
constexpr size_t kFntRecordSize = 14;
/// The byte that ends the texture name.
constexpr uint8_t kFntNameEnd = 0x10;

/// Parses .fnt bytes. False (out untouched) when no 0x10 byte ends the name. A trailing
/// fragment shorter than a record is ignored.
TVK_API bool Fnt_Parse(const uint8_t* data, size_t size, FntFile* out);
/// Reads and parses a .fnt file by its path (not through resource packs). False when the
/// file can't be read or doesn't parse.
TVK_API bool Fnt_Read(const char* path, FntFile* out);
/// Writes a .fnt file. False when the name holds a 0x10 byte or the file can't be written.
TVK_API bool Fnt_Write(const char* path, const FntFile& font);
