// Tile map: definitions and positions kept side by side, sprites made once by Build.
#include "kit/tilemap/tile_map.h"

void TileMap::AddTile(TextureHandle texture, float src_x, float src_y, float width,
                      float height, float x, float y) {
  tiles_.push_back({src_x, src_y, width, height, texture});
  positions_.push_back({x, y});
}

void TileMap::Build() {
  sprites_.reserve(tiles_.size());
  for (size_t i = sprites_.size(); i < tiles_.size(); ++i) {
    const TileSource& tile = tiles_[i];
    sprites_.emplace_back(tile.texture, tile.x, tile.y, tile.width, tile.height);
  }
}

void TileMap::Render() {
  for (size_t i = 0; i < sprites_.size(); ++i) sprites_[i].Draw(positions_[i].x, positions_[i].y);
}
