/// @file
/// The .anim file of a keyframed grid-mesh model, little-endian 32-bit fields without gaps:
/// version, frame count F, a frame duration (only when version > 4), part count P, P part
/// blocks, one trailing value. A part block holds a 256-byte zero-terminated texture name, the
/// row cells M and column cells N, F key frames of (N + 1) x (M + 1) x/y float pairs (column
/// by column, each column row by row) and one more such grid that carries no meaning.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/tvk_export.h"

/// The most parts a model holds.
inline constexpr int kAnimMaxParts = 16;
/// The most key frames a model holds.
inline constexpr int kAnimMaxFrames = 64;
/// The most cells along either side of a part's grid.
inline constexpr int kAnimMaxCells = 15;
/// The bytes of a part's texture name field.
inline constexpr size_t kAnimNameSize = 256;
/// The size of the largest meaningful .anim file; readers need read no further.
inline constexpr size_t kAnimMaxFileSize =
    4 * 4 + kAnimMaxParts * (kAnimNameSize + 8 +
                             (kAnimMaxFrames + 1) * (kAnimMaxCells + 1) * (kAnimMaxCells + 1) * 8) +
    4;

/// One part of a .anim file.
struct AnimFilePart {
  std::string texture;  ///< texture file name, relative to the file's folder
  int row_cells = 0;     ///< M: the grid has M + 1 rows of vertices
  int column_cells = 0;  ///< N: the grid has N + 1 columns of vertices
  /// Key positions, x then y, indexed ((frame * (N + 1) + column) * (M + 1) + row) * 2.
  std::vector<float> keys;
};

/// The contents of a .anim file.
struct AnimFile {
  int version = 0;      ///< the file format version
  int frame_count = 0;  ///< the number of key frames
  bool has_duration = false;  ///< true for version 5 and later
  float duration = 0.0f;      ///< the stored frame duration, when present
  std::vector<AnimFilePart> parts;  ///< the parts, in file order
};

/// Reads a .anim image held in memory. Gives null on success, or a short English reason
/// ("truncated", "frame count out of range", ...) when the data is refused; every count is
/// checked against the capacities above before it is used, and nothing past size is read.
TVK_API const char* AnimFile_Parse(const uint8_t* data, size_t size, AnimFile* out);
