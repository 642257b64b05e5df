// Textures: sizes on devices that need powers of two, the formats loaded images get, locking,
// bad image data and bad handles.
#include <fstream>

#include "engine/gfx_handles.h"
#include "engine/gfx_pixels.h"
#include "graphics_test_support.h"

namespace {

std::vector<uint32_t> Gradient(int w, int h) {
  std::vector<uint32_t> p;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.push_back(0xFF000000u | uint32_t(x) << 16 | uint32_t(y) << 8);
  return p;
}

std::vector<uint8_t> Bytes16(std::initializer_list<uint16_t> values) {
  std::vector<uint8_t> out;
  for (uint16_t v : values) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
  }
  return out;
}

// One DXT1 block: both endpoints pure red, every index 0.
const std::vector<uint8_t> kRedDxt1Block = {0x00, 0xF8, 0x00, 0xF8, 0, 0, 0, 0};
constexpr uint32_t kDxt1 = 0x31545844;  // "DXT1"

class Texture : public GfxTest {};

TEST_F(Texture, ImageSizeAndDeviceSizeOnAPowerOfTwoDevice) {
  ASSERT_TRUE(Start(true));
  const TextureHandle tex = LoadBytes(Png(100, 60, Gradient(100, 60)));
  ASSERT_NE(tex, 0u);
  EXPECT_EQ(api->Texture_GetWidth(tex, true), 100);
  EXPECT_EQ(api->Texture_GetHeight(tex, true), 60);
  EXPECT_EQ(api->Texture_GetWidth(tex, false), 128);
  EXPECT_EQ(api->Texture_GetHeight(tex, false), 64);
  // The image sits at the top-left corner; the padding is cleared.
  const uint32_t* p = api->Texture_Lock(tex);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[59 * 128 + 99], 0xFF000000u | 99u << 16 | 59u << 8);
  EXPECT_EQ(p[59 * 128 + 100], 0u);
  EXPECT_EQ(p[63 * 128 + 0], 0u);
  api->Texture_Unlock(tex);

  const TextureHandle empty = api->Texture_Create(100, 60);
  EXPECT_EQ(api->Texture_GetWidth(empty, false), 128);
  EXPECT_EQ(api->Texture_GetWidth(empty, true), 0);  // made, not loaded: no image size
}

TEST_F(Texture, PngBecomesArgbAndKeepsItsPixels) {
  ASSERT_TRUE(Start());
  const std::vector<uint32_t> pixels = {0xFF102030, 0x80405060, 0x00000000, 0xFFFFFFFF};
  const TextureHandle tex = LoadBytes(Png(2, 2, pixels));
  ASSERT_NE(tex, 0u);
  const uint32_t* p = api->Texture_Lock(tex, true);
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(p[i], pixels[i]) << i;
  api->Texture_Unlock(tex);
}

TEST_F(Texture, DdsKeepsItsOwnFormat) {
  ASSERT_TRUE(Start());
  // Compressed and 16-bit files stay as they are, so they are not lockable as 32-bit pixels.
  const TextureHandle dxt = LoadBytes(Dds(4, 4, {kDxt1}, kRedDxt1Block));
  ASSERT_NE(dxt, 0u);
  EXPECT_EQ(api->Texture_GetWidth(dxt, true), 4);
  EXPECT_EQ(api->Texture_Lock(dxt), nullptr);
  EXPECT_STREQ(engine->System_GetLastError(), "");  // refused without a message

  const TextureHandle r565 =
      LoadBytes(Dds(2, 1, {0, 16, 0xF800, 0x07E0, 0x001F, 0}, Bytes16({0xF800, 0x001F})));
  ASSERT_NE(r565, 0u);
  EXPECT_EQ(api->Texture_Lock(r565), nullptr);

  const TextureHandle argb = LoadBytes(
      Dds(1, 1, {0, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {0x30, 0x20, 0x10, 0x80}));
  ASSERT_NE(argb, 0u);
  const uint32_t* p = api->Texture_Lock(argb);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(*p, 0x80102030u);
  api->Texture_Unlock(argb);

  // Drawn, the DXT texture decodes to its colour.
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  api->Gfx_Clear(0xFF000000);
  const Quad q = MakeQuad(0, 0, 8, 8, 0xFFFFFFFF, dxt);
  api->Gfx_DrawQuad(&q);
  api->Gfx_EndScene();
  EXPECT_EQ(Pixel(3, 3), 0xFF0000u);
}

TEST_F(Texture, MipmappedTexturesLoad) {
  ASSERT_TRUE(Start(true));
  const TextureHandle png = LoadBytes(Png(100, 60, Gradient(100, 60)), true);
  ASSERT_NE(png, 0u);
  EXPECT_EQ(api->Texture_GetWidth(png, false), 128);
  const TextureHandle dxt = LoadBytes(Dds(4, 4, {kDxt1}, kRedDxt1Block), true);
  EXPECT_NE(dxt, 0u);
  // Drawn at a quarter of its size the texture samples its smaller levels.
  const TextureHandle solid = LoadBytes(Png(16, 16, std::vector<uint32_t>(256, 0xFF00FF00)), true);
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  const Quad q = MakeQuad(0, 0, 4, 4, 0xFFFFFFFF, solid);
  api->Gfx_DrawQuad(&q);
  api->Gfx_EndScene();
  EXPECT_EQ(Pixel(1, 1), 0x00FF00u);
}

TEST_F(Texture, LoadReadsFilesThroughTheResourceLayer) {
  ASSERT_TRUE(Start());
  const std::vector<uint32_t> pixels = Gradient(3, 2);
  const std::string path = Path("sprite.png");
  ASSERT_TRUE(image::WritePng(path.c_str(), pixels.data(), 3, 2, 12));
  const TextureHandle tex = api->Texture_Load(path.c_str());
  ASSERT_NE(tex, 0u);
  EXPECT_EQ(api->Texture_GetWidth(tex, true), 3);
  EXPECT_EQ(api->Texture_Load(Path("missing.png").c_str()), 0u);
}

TEST_F(Texture, LockRegions) {
  ASSERT_TRUE(Start());
  const TextureHandle tex = api->Texture_Create(16, 8);
  ASSERT_NE(tex, 0u);
  uint32_t* whole = api->Texture_Lock(tex, false);
  ASSERT_NE(whole, nullptr);
  for (int i = 0; i < 16 * 8; ++i) whole[i] = uint32_t(i);
  api->Texture_Unlock(tex);

  // Width 0 locks everything, whatever left and top say.
  const uint32_t* p = api->Texture_Lock(tex, true, 5, 3, 0, 4);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[0], 0u);
  EXPECT_EQ(p[16 * 8 - 1], uint32_t(16 * 8 - 1));
  api->Texture_Unlock(tex);

  p = api->Texture_Lock(tex, true, 5, 3, 2, 2);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[0], uint32_t(3 * 16 + 5));
  api->Texture_Unlock(tex);

  EXPECT_EQ(api->Texture_Lock(tex, true, 10, 0, 10, 2), nullptr);  // past the right edge
  EXPECT_STREQ(engine->System_GetLastError(), "Can't lock texture");
  EXPECT_EQ(api->Texture_Lock(tex, true, 0x7FFFFFF0, 0, 0x7FFFFFF0, 2), nullptr);
  EXPECT_EQ(api->Texture_Lock(tex, true, -4, 0, 2, 2), nullptr);
}

TEST_F(Texture, BadImageDataGivesNoTexture) {
  ASSERT_TRUE(Start());
  std::vector<uint8_t> png = Png(8, 8, Gradient(8, 8));
  std::vector<std::vector<uint8_t>> bad = {
      {png.begin(), png.begin() + 40},  // truncated
      {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'},
      Dds(4, 4, {kDxt1}, {}),                              // no pixel data
      Dds(4, 4, {kDxt1}, {0, 0, 0}),                       // too little
      Dds(100000, 100000, {kDxt1}, kRedDxt1Block),         // absurd size
      Dds(0, 4, {kDxt1}, kRedDxt1Block),                   // empty
      Dds(4, 4, {0x12345678}, std::vector<uint8_t>(64)),   // unknown format
      {'D', 'D', 'S', ' ', 1, 2},
  };
  // A PNG header claiming a huge image.
  std::vector<uint8_t> huge = png;
  huge[16] = 0x7F;  // width's top byte
  bad.push_back(huge);
  for (size_t i = 0; i < bad.size(); ++i) {
    EXPECT_EQ(LoadBytes(bad[i]), 0u) << i;
    EXPECT_STREQ(engine->System_GetLastError(), "Can't create texture") << i;
  }
  EXPECT_EQ(api->Texture_Load(nullptr, 10), 0u);
  EXPECT_EQ(api->Texture_Create(0, 10), 0u);
  EXPECT_EQ(api->Texture_Create(-5, -5), 0u);
  EXPECT_EQ(api->Texture_Create(1 << 30, 4), 0u);
  EXPECT_STREQ(engine->System_GetLastError(), "Can't create texture");
}

TEST_F(Texture, BadHandlesAreRefused) {
  ASSERT_TRUE(Start());
  const TextureHandle tex = api->Texture_Create(4, 4);
  const TextureHandle other = api->Texture_Create(4, 4);
  api->Texture_Free(tex);
  api->Texture_Free(tex);  // twice: ignored
  api->Texture_Free(0);
  for (TextureHandle h : {tex, TextureHandle(0), TextureHandle(0xDEADBEEF), other + 1}) {
    EXPECT_EQ(api->Texture_GetWidth(h, false), 0);
    EXPECT_EQ(api->Texture_GetHeight(h, true), 0);
    EXPECT_EQ(api->Texture_Lock(h), nullptr);
    api->Texture_Unlock(h);
    api->Texture_Free(h);
  }
  // The slot of the freed texture is reused under a new handle; the old one stays dead.
  const TextureHandle again = api->Texture_Create(8, 8);
  EXPECT_NE(again, tex);
  EXPECT_EQ(api->Texture_GetWidth(tex, false), 0);
  EXPECT_EQ(api->Texture_GetWidth(again, false), 8);
  EXPECT_EQ(api->Texture_GetWidth(other, false), 4);

  // A target's texture belongs to the target.
  const TargetHandle target = api->Target_Create(8, 8, false);
  const TextureHandle target_tex = api->Target_GetTexture(target);
  api->Texture_Free(target_tex);
  EXPECT_EQ(api->Texture_GetWidth(target_tex, false), 8);
}

TEST_F(Texture, CallerMemoryIsNeverFreed) {
  ASSERT_TRUE(Start());
  const std::vector<uint8_t> png = Png(2, 2, Gradient(2, 2));
  std::vector<uint8_t> copy = png;  // the sanitizer reports a free of this heap block
  ASSERT_NE(LoadBytes(copy), 0u);
  EXPECT_EQ(copy, png);
}

TEST_F(Texture, HandlesDieWithTheDevice) {
  ASSERT_TRUE(Start());
  const TextureHandle made = api->Texture_Create(4, 4);
  const TextureHandle loaded = LoadBytes(Png(2, 2, Gradient(2, 2)));
  engine->System_Finish();
  for (TextureHandle h : {made, loaded}) {
    EXPECT_EQ(api->Texture_GetWidth(h, false), 0);
    EXPECT_EQ(api->Texture_Lock(h), nullptr);
    api->Texture_Free(h);
  }
  EXPECT_EQ(api->Texture_Create(4, 4), 0u);
}

// ---- helpers ----

TEST(GraphicsPixels, WidensEveryStoredFormat) {
  const std::vector<uint8_t> r565 = Bytes16({0xF800, 0x07E0});
  EXPECT_EQ(gfx_pixels::ToArgb(gfx::Format_R5G6B5, r565.data(), 4, 2, 1),
            (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00}));
  const std::vector<uint8_t> a1 = Bytes16({0x7C00, 0x801F});
  EXPECT_EQ(gfx_pixels::ToArgb(gfx::Format_A1R5G5B5, a1.data(), 4, 2, 1),
            (std::vector<uint32_t>{0x00FF0000, 0xFF0000FF}));
  const uint32_t x8 = 0x00123456;
  EXPECT_EQ(gfx_pixels::ToArgb(gfx::Format_X8R8G8B8, reinterpret_cast<const uint8_t*>(&x8), 4,
                               1, 1),
            (std::vector<uint32_t>{0xFF123456}));
  // A 6x5 image of DXT1 blocks (2x2 blocks, pitch 16): every texel reads its block's colour.
  std::vector<uint8_t> blocks;
  for (int i = 0; i < 4; ++i) blocks.insert(blocks.end(), kRedDxt1Block.begin(), kRedDxt1Block.end());
  const std::vector<uint32_t> dxt = gfx_pixels::ToArgb(gfx::Format_DXT1, blocks.data(), 16, 6, 5);
  EXPECT_EQ(dxt, std::vector<uint32_t>(30, 0xFFFF0000));
  EXPECT_TRUE(gfx_pixels::ToArgb(gfx::Format_Unknown, blocks.data(), 16, 2, 2).empty());
}

TEST(GraphicsPixels, HalvingAveragesAndStopsAtOne) {
  EXPECT_EQ(gfx_pixels::Halve({0xFF000000, 0xFF0000FF, 0x00000000, 0x000000FF}, 2, 2),
            (std::vector<uint32_t>{0x80000080}));
  // Odd sizes: the last column averages what it has.
  EXPECT_EQ(gfx_pixels::Halve({0x10, 0x30, 0x50}, 3, 1), (std::vector<uint32_t>{0x20}));
  EXPECT_EQ(gfx_pixels::Halve({0x10, 0x30}, 1, 2), (std::vector<uint32_t>{0x20}));
}

TEST(GraphicsHandles, StaleAndMadeUpHandlesFindNothing) {
  HandleTable<int> table;
  const uint32_t a = table.Add(1), b = table.Add(2);
  EXPECT_NE(a, 0u);
  EXPECT_NE(a, b);
  table.Remove(a);
  table.Remove(a);
  EXPECT_EQ(table.Find(a), nullptr);
  EXPECT_EQ(table.Find(0), nullptr);
  EXPECT_EQ(table.Find(b ^ 0x40000000), nullptr);
  EXPECT_EQ(table.Find(12345678), nullptr);
  const uint32_t c = table.Add(3);  // reuses a's slot with a new generation
  EXPECT_EQ(c & HandleTable<int>::kSlotMask, a & HandleTable<int>::kSlotMask);
  EXPECT_NE(c, a);
  EXPECT_EQ(*table.Find(c), 3);
  EXPECT_EQ(*table.Find(b), 2);
  int live = 0;
  table.ForEach([&](uint32_t, int&) { ++live; });
  EXPECT_EQ(live, 2);
  table.Clear();
  EXPECT_EQ(table.Find(b), nullptr);
  EXPECT_EQ(table.Find(c), nullptr);
}

TEST(GraphicsHandles, ReusedSlotNeverGivesHandleZero) {
  HandleTable<int> table;
  for (uint32_t i = 0; i <= HandleTable<int>::kMaxGeneration + 1; ++i) {
    const uint32_t h = table.Add(0);  // always slot 0
    ASSERT_NE(h, 0u);
    table.Remove(h);
  }
}

}  // namespace
