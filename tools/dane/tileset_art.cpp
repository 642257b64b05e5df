// The tile-map picture: a meadow of 50x50 ground tiles crossed by a dirt path, with a house,
// a pond, fences, trees, bushes, rocks and flowers laid over it. The tileset holds each piece
// once; the .tmap places 192 ground tiles and 60 objects, 252 records in all.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <vector>

#include "art.h"

namespace dane {
namespace {

constexpr int kTile = 50;
constexpr int kColumns = 16, kRows = 12;  // 800x600 of ground
constexpr int kObjects = 60;

struct Rect {
  int x, y, w, h;
};

// Where each piece lies in the tileset.
Rect GrassTile(int variant) { return {variant * kTile, 0, kTile, kTile}; }
Rect PathTile(int mask) { return {(mask % 8) * kTile, kTile + (mask / 8) * kTile, kTile, kTile}; }
enum Piece { kTree, kBush, kRock, kFlowers, kFence, kStump, kPine, kHouse, kPond, kPieces };
constexpr Rect kPieceRects[kPieces] = {
    {0, 150, 100, 100}, {100, 150, 50, 50}, {150, 150, 50, 50},  {200, 150, 50, 50},
    {250, 150, 50, 50}, {300, 150, 50, 50}, {350, 150, 50, 100}, {0, 250, 150, 150},
    {150, 250, 150, 100},
};

enum { kNorth = 1, kEast = 2, kSouth = 4, kWest = 8 };

// ---- ground ----

Rgba GrassColour(float x, float y) {
  const float n = 0.6f * Noise(x, y, 10, 5, 11) + 0.4f * Noise(x, y, 5, 10, 12);
  return Mix(Rgb(74, 136, 52), Rgb(112, 170, 70), n);
}

void PaintGrass(Canvas& set, Rect r) {
  for (int y = 0; y < r.h; ++y)
    for (int x = 0; x < r.w; ++x) set.At(r.x + x, r.y + y) = GrassColour(float(x), float(y));
}

// Details stay 5 pixels off the tile's edges, so every variant meets every other seamlessly.
void PaintGrassDetails(Canvas& set, Rect r, int variant) {
  uint32_t seed = 100u + uint32_t(variant);
  auto next = [&seed](float lo, float hi) {
    seed = Hash(seed);
    return lo + (hi - lo) * float(seed & 0xFFFF) / 65535.0f;
  };
  for (int i = 0; i < 9 * variant; ++i) {
    const float x = r.x + next(7, 43), y = r.y + next(8, 43);
    if (variant == 2) {
      const Rgba petal = i % 3 ? Rgb(250, 250, 240) : Rgb(250, 220, 70);
      set.Fill(petal, {int(x) - 3, int(y) - 3, int(x) + 4, int(y) + 4},
               [x, y](float px, float py) { return CircleDistance(px, py, {x, y}, 1.6f); });
    } else {
      const float lean = next(-2.5f, 2.5f);
      set.Fill(Rgb(52, 108, 38), {int(x) - 4, int(y) - 6, int(x) + 5, int(y) + 2},
               [x, y, lean](float px, float py) {
                 return CapsuleDistance(px, py, {x, y}, {x + lean, y - 5}, 0.6f);
               });
    }
  }
}

// Distance to the path inside a tile: a round centre joined to each connected edge.
float PathDistance(float x, float y, int mask) {
  auto width = [](float along, uint32_t seed) { return 14.0f + 4.0f * Noise(along, 0, 10, 5, seed); };
  float best = CircleDistance(x, y, {25, 25}, 15.5f);
  if (mask & kNorth) best = std::min(best, CapsuleDistance(x, y, {25, 25}, {25, -10}, width(y, x < 25 ? 21 : 22)));
  if (mask & kSouth) best = std::min(best, CapsuleDistance(x, y, {25, 25}, {25, 60}, width(y, x < 25 ? 21 : 22)));
  if (mask & kWest) best = std::min(best, CapsuleDistance(x, y, {25, 25}, {-10, 25}, width(x, y < 25 ? 23 : 24)));
  if (mask & kEast) best = std::min(best, CapsuleDistance(x, y, {25, 25}, {60, 25}, width(x, y < 25 ? 23 : 24)));
  return best;
}

void PaintPath(Canvas& set, Rect r, int mask) {
  PaintGrass(set, r);
  for (int y = 0; y < r.h; ++y)
    for (int x = 0; x < r.w; ++x) {
      const float px = float(x) + 0.5f, py = float(y) + 0.5f;
      const float d = PathDistance(px, py, mask);
      const float grain = Noise(px, py, 3.125f, 16, 31);
      Rgba dirt = Mix(Rgb(176, 140, 92), Rgb(204, 172, 120), grain);
      if (d > -3.0f) dirt = Shade(dirt, 0.82f);  // worn edge
      set.Blend(r.x + x, r.y + y, dirt, std::clamp(0.5f - d, 0.0f, 1.0f));
    }
}

// ---- objects ----

template <class Shape>
void FillIn(Canvas& set, Rect r, Rgba colour, const Shape& shape) {
  set.Fill(colour, {r.x, r.y, r.x + r.w, r.y + r.h},
           [&](float x, float y) { return shape(x - float(r.x), y - float(r.y)); });
}

template <class Shape>
void FillOutlinedIn(Canvas& set, Rect r, Rgba colour, const Shape& shape) {
  FillIn(set, r, Shade(colour, 0.45f), [&](float x, float y) { return shape(x, y) - 1.2f; });
  FillIn(set, r, colour, shape);
}

void Shadow(Canvas& set, Rect r, Point centre, float rx, float ry) {
  FillIn(set, r, {0, 0, 0, 0.28f},
         [=](float x, float y) { return EllipseDistance(x, y, centre, rx, ry); });
}

void PaintTree(Canvas& set, Rect r) {
  Shadow(set, r, {52, 92}, 30, 6);
  FillOutlinedIn(set, r, Rgb(110, 74, 44),
                 [](float x, float y) { return BoxDistance(x, y, 44, 55, 56, 94, 3); });
  const Point blobs[5] = {{50, 30}, {32, 44}, {68, 44}, {40, 58}, {62, 58}};
  auto canopy = [&](float x, float y) {
    float d = INFINITY;
    for (Point b : blobs) d = std::min(d, CircleDistance(x, y, b, 20));
    return d;
  };
  FillOutlinedIn(set, r, Rgb(46, 120, 50), canopy);
  FillIn(set, r, Rgb(78, 156, 70), [](float x, float y) { return CircleDistance(x, y, {44, 28}, 11); });
  FillIn(set, r, Rgb(96, 176, 84), [](float x, float y) { return CircleDistance(x, y, {41, 24}, 5); });
}

void PaintPine(Canvas& set, Rect r) {
  Shadow(set, r, {26, 94}, 16, 4);
  FillOutlinedIn(set, r, Rgb(104, 70, 42),
                 [](float x, float y) { return BoxDistance(x, y, 21, 78, 29, 96, 2); });
  for (int tier = 0; tier < 3; ++tier) {
    const float top = 6.0f + tier * 22.0f, half = 12.0f + tier * 5.0f;
    const std::vector<Point> tri = {{25, top}, {25 + half, top + 34}, {25 - half, top + 34}};
    FillOutlinedIn(set, r, Shade(Rgb(40, 110, 64), 1.0f + 0.1f * tier),
                   [tri](float x, float y) { return PolygonDistance(x, y, tri); });
  }
}

void PaintBush(Canvas& set, Rect r) {
  Shadow(set, r, {25, 43}, 20, 4);
  const Point blobs[4] = {{16, 32}, {34, 32}, {25, 22}, {25, 34}};
  FillOutlinedIn(set, r, Rgb(58, 132, 56), [&](float x, float y) {
    float d = INFINITY;
    for (Point b : blobs) d = std::min(d, CircleDistance(x, y, b, 11));
    return d;
  });
  for (Point berry : {Point{18, 28}, Point{30, 22}, Point{33, 35}, Point{22, 37}})
    FillIn(set, r, Rgb(210, 40, 50), [berry](float x, float y) { return CircleDistance(x, y, berry, 2); });
}

void PaintRock(Canvas& set, Rect r) {
  Shadow(set, r, {26, 40}, 19, 4);
  FillOutlinedIn(set, r, Rgb(140, 140, 148),
                 [](float x, float y) { return EllipseDistance(x, y, {25, 30}, 17, 12); });
  FillIn(set, r, Rgb(178, 178, 188), [](float x, float y) { return EllipseDistance(x, y, {21, 26}, 8, 5); });
}

void PaintFlowers(Canvas& set, Rect r) {
  const Point heads[5] = {{12, 20}, {24, 14}, {37, 19}, {18, 31}, {32, 30}};
  const Rgba colours[5] = {Rgb(240, 80, 120), Rgb(250, 210, 60), Rgb(150, 110, 240),
                           Rgb(250, 250, 250), Rgb(250, 140, 40)};
  for (int i = 0; i < 5; ++i) {
    const Point h = heads[i];
    FillIn(set, r, Rgb(40, 100, 36),
           [h](float x, float y) { return CapsuleDistance(x, y, h, {h.x, h.y + 12}, 0.8f); });
    FillOutlinedIn(set, r, colours[i], [h](float x, float y) { return CircleDistance(x, y, h, 4); });
    FillIn(set, r, Rgb(250, 230, 120), [h](float x, float y) { return CircleDistance(x, y, h, 1.5f); });
  }
}

void PaintFence(Canvas& set, Rect r) {
  const Rgba wood = Rgb(168, 120, 72);
  for (float rail : {20.0f, 33.0f})
    FillOutlinedIn(set, r, Shade(wood, 0.9f),
                   [rail](float x, float y) { return BoxDistance(x, y, -2, rail, 52, rail + 5, 1); });
  for (float post : {6.0f, 31.0f})
    FillOutlinedIn(set, r, wood,
                   [post](float x, float y) { return BoxDistance(x, y, post, 10, post + 10, 46, 2); });
}

void PaintStump(Canvas& set, Rect r) {
  Shadow(set, r, {25, 42}, 16, 4);
  FillOutlinedIn(set, r, Rgb(120, 82, 48),
                 [](float x, float y) { return BoxDistance(x, y, 13, 24, 37, 42, 4); });
  FillOutlinedIn(set, r, Rgb(214, 178, 122),
                 [](float x, float y) { return EllipseDistance(x, y, {25, 24}, 12, 5); });
}

void PaintHouse(Canvas& set, Rect r) {
  Shadow(set, r, {78, 142}, 68, 7);
  FillOutlinedIn(set, r, Rgb(236, 222, 190),
                 [](float x, float y) { return BoxDistance(x, y, 18, 64, 132, 142, 2); });
  FillOutlinedIn(set, r, Rgb(150, 60, 50),
                 [](float x, float y) { return BoxDistance(x, y, 98, 14, 114, 50, 1); });
  const std::vector<Point> roof = {{75, 12}, {146, 70}, {4, 70}};
  FillOutlinedIn(set, r, Rgb(184, 64, 52), [&](float x, float y) { return PolygonDistance(x, y, roof); });
  FillOutlinedIn(set, r, Rgb(120, 78, 46),
                 [](float x, float y) { return BoxDistance(x, y, 64, 98, 86, 142, 3); });
  for (float wx : {30.0f, 102.0f}) {
    FillOutlinedIn(set, r, Rgb(130, 190, 230),
                   [wx](float x, float y) { return BoxDistance(x, y, wx, 86, wx + 20, 108, 1); });
    FillIn(set, r, Rgb(240, 240, 240),
           [wx](float x, float y) { return BoxDistance(x, y, wx + 9, 86, wx + 11, 108, 0); });
  }
}

void PaintPond(Canvas& set, Rect r) {
  FillIn(set, r, Rgb(150, 130, 96), [](float x, float y) { return EllipseDistance(x, y, {75, 50}, 72, 46); });
  FillIn(set, r, Rgb(52, 112, 176), [](float x, float y) { return EllipseDistance(x, y, {75, 50}, 66, 40); });
  FillIn(set, r, Rgb(84, 150, 210), [](float x, float y) { return EllipseDistance(x, y, {68, 44}, 44, 24); });
  for (Point glint : {Point{50, 38}, Point{90, 56}, Point{70, 30}})
    FillIn(set, r, {1, 1, 1, 0.7f},
           [glint](float x, float y) { return CapsuleDistance(x, y, glint, {glint.x + 10, glint.y}, 1.0f); });
  FillOutlinedIn(set, r, Rgb(70, 150, 60), [](float x, float y) { return EllipseDistance(x, y, {112, 70}, 9, 5); });
}

void (*const kPainters[kPieces])(Canvas&, Rect) = {
    PaintTree, PaintBush, PaintRock, PaintFlowers, PaintFence, PaintStump, PaintPine, PaintHouse,
    PaintPond,
};

Canvas MakeTileset() {
  Canvas set(512, 512);
  for (int variant = 0; variant < 4; ++variant) {
    PaintGrass(set, GrassTile(variant));
    PaintGrassDetails(set, GrassTile(variant), variant);
  }
  for (int mask = 0; mask < 16; ++mask) PaintPath(set, PathTile(mask), mask);
  for (int piece = 0; piece < kPieces; ++piece) kPainters[piece](set, kPieceRects[piece]);
  return set;
}

// ---- the map ----

struct Tile {
  Rect source;
  int x, y;
};

bool OnPath(int column, int row) {
  if (column < 0 || column >= kColumns || row < 0 || row >= kRows) return false;
  return (row == 7 && column <= 10) || column == 10 || (row == 4 && column >= 10 && column <= 13) ||
         (column == 13 && row == 3);
}

// A path tile connects to path neighbours and, at the map's edge, runs on off screen.
bool Connects(int column, int row, int dc, int dr) {
  const int c = column + dc, r = row + dr;
  if (c < 0 || c >= kColumns || r < 0 || r >= kRows) return true;
  return OnPath(c, r);
}

int PathMask(int column, int row) {
  return (Connects(column, row, 0, -1) ? kNorth : 0) | (Connects(column, row, 1, 0) ? kEast : 0) |
         (Connects(column, row, 0, 1) ? kSouth : 0) | (Connects(column, row, -1, 0) ? kWest : 0);
}

void AddGround(std::vector<Tile>* tiles) {
  for (int row = 0; row < kRows; ++row)
    for (int column = 0; column < kColumns; ++column) {
      const uint32_t pick = Hash(uint32_t(row * kColumns + column) + 7u) % 10u;
      const Rect source = OnPath(column, row) ? PathTile(PathMask(column, row))
                                              : GrassTile(pick < 5 ? 0 : pick < 7 ? 1 : pick < 9 ? 2 : 3);
      tiles->push_back({source, column * kTile, row * kTile});
    }
}

struct Placed {
  Tile tile;
  Point base;  // where the object stands
};

// Keeps objects off the path, the house, the pond and each other.
bool FreeSpot(const std::vector<Placed>& placed, Point base, float spacing) {
  const int column = int(base.x) / kTile, row = int(base.y) / kTile;
  if (base.x < 10 || base.x > 790 || base.y < 30 || base.y > 595) return false;
  if (OnPath(column, row) || OnPath(int(base.x + 14) / kTile, row) || OnPath(int(base.x - 14) / kTile, row))
    return false;
  if (std::fabs(base.y - 375) < 70 && base.x < 320) return false;  // the fenced lane
  for (const Placed& p : placed)
    if (std::hypot(p.base.x - base.x, p.base.y - base.y) < spacing) return false;
  return true;
}

void PlaceFixed(std::vector<Placed>* placed) {
  const Rect house = kPieceRects[kHouse], pond = kPieceRects[kPond];
  placed->push_back({{house, 600, 50}, {675, 190}});
  placed->push_back({{pond, 100, 70}, {175, 120}});
  for (int i = 0; i < 6; ++i) {
    placed->push_back({{kPieceRects[kFence], i * kTile, 300}, {i * 50.0f + 25, 346}});
    placed->push_back({{kPieceRects[kFence], i * kTile, 395}, {i * 50.0f + 25, 441}});
  }
}

void PlaceScattered(std::vector<Placed>* placed) {
  struct Kind {
    Piece piece;
    int count;
    float spacing;
  };
  const Kind kinds[] = {{kTree, 10, 70}, {kPine, 8, 45}, {kBush, 10, 40},
                        {kRock, 8, 36},  {kFlowers, 6, 36}, {kStump, 4, 36}};
  uint32_t seed = 2024;
  auto next = [&seed](float lo, float hi) {
    seed = Hash(seed + 0x9e3779b9u);
    return lo + (hi - lo) * float(seed & 0xFFFFFF) / float(0xFFFFFF);
  };
  for (const Kind& kind : kinds) {
    const Rect r = kPieceRects[kind.piece];
    for (int made = 0; made < kind.count;) {
      const Point base = {next(20, 780), next(40, 595)};
      if (!FreeSpot(*placed, base, kind.spacing)) continue;
      placed->push_back({{r, int(base.x) - r.w / 2, int(base.y) - r.h + 6}, base});
      ++made;
    }
  }
}

// Objects in order of where they stand, so nearer ones cover those behind.
void AddObjects(std::vector<Tile>* tiles) {
  std::vector<Placed> placed;
  PlaceFixed(&placed);
  PlaceScattered(&placed);
  std::stable_sort(placed.begin(), placed.end(),
                   [](const Placed& a, const Placed& b) { return a.base.y < b.base.y; });
  for (const Placed& p : placed) tiles->push_back(p.tile);
}

void Put16(std::vector<uint8_t>* out, int value) {
  out->push_back(uint8_t(value & 0xFF));
  out->push_back(uint8_t((value >> 8) & 0xFF));
}

bool WriteTmap(const std::string& path, const std::vector<Tile>& tiles) {
  std::vector<uint8_t> bytes = {2};
  for (const Tile& t : tiles)
    for (int v : {t.source.x, t.source.y, t.source.w, t.source.h, t.x, t.y}) Put16(&bytes, v);
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(file);
}

}  // namespace

bool WriteTileMap(const std::string& folder) {
  std::vector<Tile> tiles;
  AddGround(&tiles);
  AddObjects(&tiles);
  if (tiles.size() != size_t(kColumns * kRows + kObjects)) return false;
  return MakeTileset().WritePng(folder + "/tileset.png") && WriteTmap(folder + "/tile_mapa.tmap", tiles);
}

}  // namespace dane
