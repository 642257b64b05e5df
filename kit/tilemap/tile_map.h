/// @file
/// A fixed picture assembled from rectangles of textures: each tile names a source rectangle
/// and a screen position, becomes one sprite when the map is built, and is drawn every frame in
/// the order the tiles were added.
#pragma once

#include <cstddef>
#include <vector>

#include "engine/tvk.h"
#include "engine/tvk_export.h"
#include "kit/draw/sprite.h"

/// A tile map: tile definitions and positions in insertion order, and one sprite per tile once
/// built. The map owns its sprites; a copy has sprites of its own.
class TVK_API TileMap {
 public:
  /// An empty map.
  TileMap() = default;

  /// Appends a tile: the rectangle (src_x, src_y, width, height) of the texture, drawn with its
  /// top-left corner at the screen position (x, y).
  void AddTile(TextureHandle texture, float src_x, float src_y, float width, float height,
               float x, float y);
  /// Makes a sprite for every tile that has none yet, in order; tiles added after a build
  /// get theirs at the next build.
  void Build();
  /// Draws every built tile at its position, in insertion order, so later tiles cover earlier
  /// ones. Call between Gfx_BeginScene and Gfx_EndScene; before Build it draws nothing.
  void Render();

  /// The number of tiles added.
  size_t GetTileCount() const { return tiles_.size(); }
  /// The number of tiles that have a sprite.
  size_t GetBuiltCount() const { return sprites_.size(); }

 private:
  struct TileSource {
    float x, y, width, height;
    TextureHandle texture;
  };
  struct Position {
    float x, y;
  };

  std::vector<TileSource> tiles_;
  std::vector<Sprite> sprites_;  // element i belongs to tile i
  std::vector<Position> positions_;
};
