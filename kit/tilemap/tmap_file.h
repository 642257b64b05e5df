/// @file
/// The .tmap file: a version byte (2) and 252 tile records of six little-endian signed 16-bit
/// values (source x, source y, width, height, screen x, screen y), 3025 bytes in all. Every
/// tile of a file uses the one texture the reader supplies.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/tvk.h"
#include "engine/tvk_export.h"
#include "kit/tilemap/tile_map.h"

/// The version byte of a .tmap file that holds tiles.
inline constexpr uint8_t kTmapVersion = 2;
/// The number of tile records in a .tmap file.
inline constexpr int kTmapTileCount = 252;
/// The bytes of one tile record.
inline constexpr size_t kTmapRecordSize = 12;
/// The size of a complete .tmap file; bytes after it are ignored.
inline constexpr size_t kTmapFileSize = 1 + kTmapTileCount * kTmapRecordSize;

/// Adds the tiles of a .tmap image held in memory to the map, all on the texture, in file
/// order. True when the 252 tiles were added; a different version byte, or data shorter
/// than a complete file, adds nothing and gives false. Does not build the map.
TVK_API bool Tmap_Parse(const uint8_t* data, size_t size, TextureHandle texture, TileMap* map);

/// Reads the .tmap file at path (relative to the working folder) as Tmap_Parse does; a file
/// that cannot be opened adds nothing and gives false.
TVK_API bool Tmap_Read(const char* path, TextureHandle texture, TileMap* map);
