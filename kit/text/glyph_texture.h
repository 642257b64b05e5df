/// @file
/// Run-time glyph textures: the characters of a TrueType face drawn into one texture, packed
/// row by row, with each glyph's rectangle and spacing in a process-wide cell table.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/tvk.h"
#include "engine/tvk_export.h"
#include "kit/text/font.h"

/// Character codes first..last, both included. Codes above 255 are left out.
struct GlyphRange {
  uint16_t first;  ///< first character code
  uint16_t last;   ///< last character code, included
};

/// Largest texture width or height a glyph texture may take.
constexpr int kMaxGlyphTextureSize = 1024;

/// The process-wide table of 256 cells, indexed by character code, that glyph rendering fills
/// and a Font made from cells reads. Two renderings must never overlap.
TVK_API GlyphCell* Font_GlyphCells();

/// Places the cells of the ranges left to right in code order, one pixel apart with a one
/// pixel border, rows h + 1 apart, in a W x H texture. True (and their x and y set) when
/// all fit.
TVK_API bool Font_PackGlyphs(int width, int height, const GlyphRange* ranges, int count);

/// A glyph picture: white pixels whose alpha is the coverage (0xAARRGGBB), rows width apart.
struct GlyphBitmap {
  int width = 0;                 ///< width in pixels
  int height = 0;                ///< height in pixels
  std::vector<uint32_t> pixels;  ///< width x height pixels, row by row
};

/// Measures the characters of the ranges in the face (a family name; the system picks its
/// best match), fills their cells, packs them into the first size of the order 32x32,
/// 64x32, 64x64, 128x64, ... that holds them all and draws them. False when the face can't
/// be opened at that size or nothing up to 1024x1024 holds the cells.
TVK_API bool Font_RenderGlyphBitmap(const char* face, int size, bool bold, bool italic,
                                    const GlyphRange* ranges, int count, GlyphBitmap* out);

/// Font_RenderGlyphBitmap copied into a new texture (through the registry's engine). 0 when
/// rendering or the texture fails.
TVK_API TextureHandle Font_RenderGlyphTexture(const char* face, int size, bool bold, bool italic,
                                              const GlyphRange* ranges, int count);
