// .tmap reading: the whole file is checked for length before any tile is added, so a short
// file leaves the map as it was and nothing past its end is read.
#include "kit/tilemap/tmap_file.h"

#include <fstream>
#include <vector>

namespace {

int16_t ReadInt16(const uint8_t* p) { return int16_t(uint16_t(p[0] | (p[1] << 8))); }

}  // namespace

bool Tmap_Parse(const uint8_t* data, size_t size, TextureHandle texture, TileMap* map) {
  if (!data || !map || size < kTmapFileSize || data[0] != kTmapVersion) return false;
  for (int i = 0; i < kTmapTileCount; ++i) {
    const uint8_t* record = data + 1 + size_t(i) * kTmapRecordSize;
    float field[6];
    for (int f = 0; f < 6; ++f) field[f] = float(ReadInt16(record + 2 * f));
    map->AddTile(texture, field[0], field[1], field[2], field[3], field[4], field[5]);
  }
  return true;
}

bool Tmap_Read(const char* path, TextureHandle texture, TileMap* map) {
  if (!path || !map) return false;
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  // Only a complete file's worth is read; anything after it has no meaning.
  std::vector<uint8_t> bytes(kTmapFileSize);
  file.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
  return Tmap_Parse(bytes.data(), size_t(file.gcount()), texture, map);
}
