// Tile maps and .tmap files: tiles land where the records put them, in file order, and bad
// files (wrong version, missing, short) leave the map empty without reading past their end.
#include <cstdint>
#include <vector>

#include "kit/tilemap/tile_map.h"
#include "kit/tilemap/tmap_file.h"
#include "support/screen_test.h"

namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00;

struct Record {
  int16_t src_x, src_y, width, height, x, y;
};

// A complete .tmap image: the given records first, the rest zero-sized tiles.
std::vector<uint8_t> TmapBytes(const std::vector<Record>& records, uint8_t version = 2) {
  std::vector<uint8_t> bytes(kTmapFileSize, 0);
  bytes[0] = version;
  for (size_t i = 0; i < records.size(); ++i) {
    const int16_t fields[6] = {records[i].src_x, records[i].src_y, records[i].width,
                               records[i].height, records[i].x, records[i].y};
    for (int f = 0; f < 6; ++f) {
      bytes[1 + i * kTmapRecordSize + 2 * f] = uint8_t(uint16_t(fields[f]));
      bytes[2 + i * kTmapRecordSize + 2 * f] = uint8_t(uint16_t(fields[f]) >> 8);
    }
  }
  return bytes;
}

class TileMapTest : public ScreenTest {
 protected:
  // 16x8: red left half, green right half.
  TextureHandle TwoColourTexture() {
    TextureHandle texture = engine->Texture_Create(16, 8);
    uint32_t* pixels = engine->Texture_Lock(texture, false, 0, 0, 0, 0);
    const int pitch = engine->Texture_GetWidth(texture, false);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 16; ++x) pixels[y * pitch + x] = x < 8 ? 0xFFFF0000 : 0xFF00FF00;
    engine->Texture_Unlock(texture);
    return texture;
  }
};

TEST_F(TileMapTest, RecordsDrawInFileOrderAtTheirPositions) {
  TextureHandle texture = TwoColourTexture();
  // A red tile, a green one over its right part, and a red one hanging off the top-left.
  const std::vector<uint8_t> file =
      TmapBytes({{0, 0, 8, 8, 20, 30}, {8, 0, 8, 8, 24, 30}, {0, 0, 8, 8, -4, -4}});
  TileMap map;
  ASSERT_TRUE(Tmap_Parse(file.data(), file.size(), texture, &map));
  EXPECT_EQ(map.GetTileCount(), size_t(kTmapTileCount));
  map.Build();
  DrawFrame([&] { map.Render(); });
  EXPECT_EQ(Pixel(20, 30), kRed);
  EXPECT_EQ(Pixel(23, 37), kRed);
  EXPECT_EQ(Pixel(24, 30), kGreen);  // the later tile covers the earlier one
  EXPECT_EQ(Pixel(27, 37), kGreen);
  EXPECT_EQ(Pixel(31, 37), kGreen);
  EXPECT_EQ(Pixel(32, 30), 0u);
  EXPECT_EQ(Pixel(19, 30), 0u);
  EXPECT_EQ(Pixel(0, 0), kRed);  // the visible part of the tile at (-4, -4)
  EXPECT_EQ(Pixel(3, 3), kRed);
  EXPECT_EQ(Pixel(4, 4), 0u);
  engine->Texture_Free(texture);
}

TEST_F(TileMapTest, NothingIsDrawnBeforeBuildAndABuildMakesEachSpriteOnce) {
  TextureHandle texture = TwoColourTexture();
  TileMap map;
  map.AddTile(texture, 0, 0, 8, 8, 10, 10);
  DrawFrame([&] { map.Render(); });
  EXPECT_TRUE(ScreenIsBlack());
  map.Build();
  map.Build();
  EXPECT_EQ(map.GetBuiltCount(), 1u);
  map.AddTile(texture, 8, 0, 8, 8, 40, 10);
  map.Build();
  EXPECT_EQ(map.GetBuiltCount(), 2u);
  DrawFrame([&] { map.Render(); });
  EXPECT_EQ(Pixel(10, 10), kRed);
  EXPECT_EQ(Pixel(40, 10), kGreen);
  // A copy draws the same with sprites of its own.
  TileMap copy = map;
  map = TileMap();
  DrawFrame([&] { copy.Render(); });
  EXPECT_EQ(Pixel(40, 10), kGreen);
  engine->Texture_Free(texture);
}

// A version other than 2, a missing file and a file cut short all leave the map empty; the
// short image sits in a buffer of exactly its size, so a read past its end would be caught.
TEST_F(TileMapTest, BadFilesLeaveTheMapEmpty) {
  TileMap map;
  const std::vector<uint8_t> version1 = TmapBytes({{0, 0, 8, 8, 0, 0}}, 1);
  EXPECT_FALSE(Tmap_Parse(version1.data(), version1.size(), 1, &map));
  EXPECT_FALSE(Tmap_Read(Path("missing.tmap").c_str(), 1, &map));
  const std::vector<uint8_t> full = TmapBytes({{0, 0, 8, 8, 0, 0}});
  for (size_t size : {size_t(0), size_t(1), size_t(13), kTmapFileSize - 1}) {
    std::vector<uint8_t> cut(full.begin(), full.begin() + ptrdiff_t(size));
    EXPECT_FALSE(Tmap_Parse(cut.data(), cut.size(), 1, &map)) << size;
    WriteBytes(Path("short.tmap"), cut);
    EXPECT_FALSE(Tmap_Read(Path("short.tmap").c_str(), 1, &map)) << size;
  }
  EXPECT_EQ(map.GetTileCount(), 0u);
  map.Build();
  DrawFrame([&] { map.Render(); });
  EXPECT_TRUE(ScreenIsBlack());
}

TEST_F(TileMapTest, AFileIsReadWithBytesAfterItsRecordsIgnored) {
  std::vector<uint8_t> file = TmapBytes({{1, 2, 3, 4, -5, 6}});
  file.push_back(0xAB);
  WriteBytes(Path("map.tmap"), file);
  TileMap map;
  EXPECT_TRUE(Tmap_Read(Path("map.tmap").c_str(), 0, &map));
  EXPECT_EQ(map.GetTileCount(), size_t(kTmapTileCount));
}

}  // namespace
