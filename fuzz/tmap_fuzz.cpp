// Feeds arbitrary bytes to the .tmap reader: a complete version-2 image adds exactly 252
// tiles and anything else adds none, and building the map makes one sprite per tile.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "kit/tilemap/tile_map.h"
#include "kit/tilemap/tmap_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TileMap map;
  const bool added = Tmap_Parse(data, size, 0, &map);
  if (map.GetTileCount() != (added ? size_t(kTmapTileCount) : 0u)) std::abort();
  map.Build();
  if (map.GetBuiltCount() != map.GetTileCount()) std::abort();
  return 0;
}
