// Textures: sizes on devices that need powers of two, the formats loaded images get, locking,
// bad image data and bad handles.
#include "engine/gfx_pixels.h"
#include "platform/gfx/pixel_format.h"
#include "graphics_test_support.h"

namespace {

std::vector<uint32_t> Gradient(int w, int h) {
  std::vector<uint32_t> p;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.push_back(0xFF000000u | uint32_t(x) << 16 | uint32_t(y) << 8);
  return p;
}

// One DXT1 block: both endpoints pure red, every index 0.
const std::vector<uint8_t> kRedDxt1 = {0x00, 0xF8, 0x00, 0xF8, 0, 0, 0, 0};
constexpr uint32_t kDxt1 = 0x31545844;

class Texture : public GfxTest {};

TEST_F(Texture, ImageSizeAndDeviceSizeOnAPowerOfTwoDevice) {
  ASSERT_TRUE(Start(true));
  for (bool mipmap : {false, true}) {
    const TextureHandle tex = LoadBytes(Png(100, 60, Gradient(100, 60)), mipmap);
    EXPECT_EQ(api->Texture_GetWidth(tex, true), 100);
    EXPECT_EQ(api->Texture_GetHeight(tex, true), 60);
    EXPECT_EQ(api->Texture_GetWidth(tex, false), 128);
    EXPECT_EQ(api->Texture_GetHeight(tex, false), 64);
    // The image sits at the top-left corner; the padding is cleared.
    const uint32_t* p = api->Texture_Lock(tex);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[59 * 128 + 99], 0xFF633B00u);
    EXPECT_EQ(p[59 * 128 + 100], 0u);
    api->Texture_Unlock(tex);
  }
  const TextureHandle made = api->Texture_Create(100, 60);
  EXPECT_EQ(api->Texture_GetWidth(made, false), 128);
  EXPECT_EQ(api->Texture_GetWidth(made, true), 0);  // made, not loaded: no image size
}

TEST_F(Texture, DdsKeepsItsFormatAndOtherImagesBecomeArgb) {
  ASSERT_TRUE(Start());
  const TextureHandle png = LoadBytes(Png(2, 1, {0x80405060, 0xFF102030}));
  const uint32_t* p = api->Texture_Lock(png);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[0], 0x80405060u);
  api->Texture_Unlock(png);
  // Compressed and 16-bit DDS files stay as they are, so they cannot be locked as 32-bit.
  const TextureHandle dxt = LoadBytes(Dds(4, 4, {kDxt1}, kRedDxt1), true);
  const TextureHandle r565 = LoadBytes(Dds(1, 1, {0, 16, 0xF800, 0x07E0, 0x001F, 0}, {0, 0xF8}));
  ASSERT_NE(dxt, 0u);
  ASSERT_NE(r565, 0u);
  EXPECT_EQ(api->Texture_Lock(dxt), nullptr);
  EXPECT_EQ(api->Texture_Lock(r565), nullptr);
  EXPECT_STREQ(api->System_GetLastError(), "");  // refused without a message
  ASSERT_TRUE(api->Gfx_BeginScene());
  const Quad q[2] = {MakeQuad(0, 0, 8, 8, 0xFFFFFFFF, dxt), MakeQuad(8, 0, 8, 8, 0xFFFFFFFF, r565)};
  api->Gfx_DrawQuad(&q[0]);
  api->Gfx_DrawQuad(&q[1]);
  api->Gfx_EndScene();
  EXPECT_EQ(Pixel(3, 3), 0xFF0000u);
  EXPECT_EQ(Pixel(11, 3), 0xFF0000u);
}

TEST_F(Texture, MipmapsMakeTheWholeChainForCompressedAnd16BitFiles) {
  ASSERT_TRUE(Start());
  // Red and blue in a checker of 4x4 blocks (8x8 DXT1) or of single pixels (2x2 R5G6B5):
  // only a level made by averaging shows purple.
  const std::vector<uint8_t> blue_dxt1 = {0x1F, 0x00, 0x1F, 0x00, 0, 0, 0, 0};
  std::vector<uint8_t> checker;
  for (const auto* block : {&kRedDxt1, &blue_dxt1, &blue_dxt1, &kRedDxt1})
    checker.insert(checker.end(), block->begin(), block->end());
  const DdsLayout r565{0, 16, 0xF800, 0x07E0, 0x001F, 0};
  const TextureHandle textures[] = {
      LoadBytes(Dds(8, 8, {kDxt1}, checker), true),
      LoadBytes(Dds(2, 2, r565, {0x00, 0xF8, 0x1F, 0x00, 0x1F, 0x00, 0x00, 0xF8}), true),
  };
  for (TextureHandle tex : textures) {
    ASSERT_NE(tex, 0u);
    ASSERT_TRUE(api->Gfx_BeginScene());
    api->Gfx_Clear(0xFF000000);
    // One pixel showing the whole texture samples its 1x1 level.
    const Quad q = MakeQuad(0, 0, 1, 1, 0xFFFFFFFF, tex);
    api->Gfx_DrawQuad(&q);
    api->Gfx_EndScene();
    const uint32_t p = Pixel(0, 0);
    EXPECT_NEAR(int(p >> 16 & 0xFF), 0x80, 8) << std::hex << p;
    EXPECT_LE(int(p >> 8 & 0xFF), 8) << std::hex << p;
    EXPECT_NEAR(int(p & 0xFF), 0x80, 8) << std::hex << p;
  }
}

TEST(GraphicsPixels, NarrowingToTextureFormatsRoundTrips) {
  // 3x2, two colours: a block of either compressed format holds them exactly.
  const std::vector<uint32_t> colours = {0xFFFF0000, 0xFF0000FF, 0xFF0000FF,
                                         0xFFFF0000, 0xFFFF0000, 0xFF0000FF};
  for (gfx::Format f : {gfx::Format_R5G6B5, gfx::Format_X1R5G5B5, gfx::Format_DXT1,
                        gfx::Format_DXT3, gfx::Format_DXT5}) {
    SCOPED_TRACE(f);
    const std::vector<uint8_t> packed = gfx_pixels::FromArgb(f, colours, 3, 2);
    ASSERT_EQ(packed.size(), size_t(gfx::RowPitch(f, 3) * gfx::RowCount(f, 2)));
    EXPECT_EQ(gfx_pixels::ToArgb(f, packed.data(), size_t(gfx::RowPitch(f, 3)), 3, 2), colours);
  }
  // Alpha: DXT1 keeps a texel below half transparent, DXT3 and DXT5 keep its level.
  std::vector<uint32_t> fading(16, 0xFF00FF00);
  fading[5] = 0x2000FF00;
  const auto dxt1 = gfx_pixels::FromArgb(gfx::Format_DXT1, fading, 4, 4);
  EXPECT_EQ(gfx_pixels::ToArgb(gfx::Format_DXT1, dxt1.data(), 8, 4, 4)[5], 0u);
  EXPECT_EQ(gfx_pixels::ToArgb(gfx::Format_DXT1, dxt1.data(), 8, 4, 4)[6], 0xFF00FF00u);
  for (gfx::Format f : {gfx::Format_DXT3, gfx::Format_DXT5}) {
    const auto packed = gfx_pixels::FromArgb(f, fading, 4, 4);
    const uint32_t back = gfx_pixels::ToArgb(f, packed.data(), 16, 4, 4)[5];
    EXPECT_NEAR(int(back >> 24), 0x20, 9) << f;
  }
}

TEST_F(Texture, LoadsFilesThroughTheResourceLayer) {
  ASSERT_TRUE(Start());
  const std::string path = Path("sprite.png");
  ASSERT_TRUE(image::WritePng(path.c_str(), Gradient(3, 2).data(), 3, 2, 12));
  EXPECT_EQ(api->Texture_GetWidth(api->Texture_Load(path.c_str()), true), 3);
  EXPECT_EQ(api->Texture_Load(Path("missing.png").c_str()), 0u);
}

TEST_F(Texture, LockRegions) {
  ASSERT_TRUE(Start());
  const TextureHandle tex = api->Texture_Create(16, 8);
  uint32_t* p = api->Texture_Lock(tex, false);
  ASSERT_NE(p, nullptr);
  for (uint32_t i = 0; i < 16 * 8; ++i) p[i] = i;
  api->Texture_Unlock(tex);
  p = api->Texture_Lock(tex, true, 5, 3, 0, 4);  // width 0: everything, whatever left and top
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[0], 0u);
  api->Texture_Unlock(tex);
  p = api->Texture_Lock(tex, true, 5, 3, 2, 2);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[0], 3u * 16 + 5);
  api->Texture_Unlock(tex);
  for (auto [left, width] : {std::pair{10, 10}, {-4, 2}, {0x7FFFFFF0, 0x7FFFFFF0}}) {
    EXPECT_EQ(api->Texture_Lock(tex, true, left, 0, width, 2), nullptr);
  }
  EXPECT_STREQ(api->System_GetLastError(), "Can't lock texture");
}

TEST_F(Texture, BadImageDataGivesNoTexture) {
  ASSERT_TRUE(Start());
  const std::vector<uint8_t> png = Png(8, 8, Gradient(8, 8));
  std::vector<uint8_t> huge = png;
  huge[16] = 0x7F;  // the top byte of the width in the header
  const std::vector<std::vector<uint8_t>> bad = {
      {png.begin(), png.begin() + 40},
      {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'},
      huge,
      {'D', 'D', 'S', ' ', 1, 2},
      Dds(4, 4, {kDxt1}, {0, 0, 0}),
      Dds(100000, 100000, {kDxt1}, kRedDxt1),
      Dds(0, 4, {kDxt1}, kRedDxt1),
      Dds(4, 4, {0x12345678}, std::vector<uint8_t>(64)),
  };
  for (size_t i = 0; i < bad.size(); ++i) {
    EXPECT_EQ(LoadBytes(bad[i]), 0u) << i;
    EXPECT_STREQ(api->System_GetLastError(), "Can't create texture") << i;
  }
  EXPECT_EQ(api->Texture_Load(nullptr, 10), 0u);
  EXPECT_EQ(api->Texture_Create(0, 10), 0u);
  EXPECT_EQ(api->Texture_Create(1 << 30, 4), 0u);
  EXPECT_STREQ(api->System_GetLastError(), "Can't create texture");
}

TEST_F(Texture, BadHandlesAreRefused) {
  ASSERT_TRUE(Start());
  const TextureHandle tex = api->Texture_Create(4, 4);
  const TextureHandle other = api->Texture_Create(4, 4);
  api->Texture_Free(tex);
  api->Texture_Free(tex);
  for (TextureHandle h : {tex, TextureHandle(0), TextureHandle(0xDEADBEEF), other + 1}) {
    EXPECT_EQ(api->Texture_GetWidth(h), 0);
    EXPECT_EQ(api->Texture_GetHeight(h, true), 0);
    EXPECT_EQ(api->Texture_Lock(h), nullptr);
    api->Texture_Unlock(h);
    api->Texture_Free(h);
  }
  const TextureHandle again = api->Texture_Create(8, 8);  // takes the freed slot
  EXPECT_NE(again, tex);
  EXPECT_EQ(api->Texture_GetWidth(tex), 0);
  EXPECT_EQ(api->Texture_GetWidth(again), 8);
  EXPECT_EQ(api->Texture_GetWidth(other), 4);
  // A target's texture belongs to the target.
  const TextureHandle target_tex = api->Target_GetTexture(api->Target_Create(8, 8, false));
  api->Texture_Free(target_tex);
  EXPECT_EQ(api->Texture_GetWidth(target_tex), 8);
}

TEST_F(Texture, TextureAndTargetHandlesAreNeverTakenForEachOther) {
  ASSERT_TRUE(Start());
  // The first texture and the first target once got the same number.
  const TextureHandle tex = api->Texture_Create(4, 4);
  const TargetHandle target = api->Target_Create(8, 8, false);
  ASSERT_NE(tex, 0u);
  ASSERT_NE(target, 0u);
  EXPECT_NE(tex, target);
  api->Texture_Free(target);
  EXPECT_EQ(api->Texture_GetWidth(tex), 4);
  EXPECT_EQ(api->Texture_GetWidth(target), 0);
  EXPECT_EQ(api->Texture_Lock(target), nullptr);
  api->Target_Free(tex);
  EXPECT_EQ(api->Target_GetTexture(tex), 0u);
  EXPECT_FALSE(api->Gfx_BeginScene(tex));
  EXPECT_STREQ(api->System_GetLastError(), "Gfx_BeginScene: Can't set render target");
  EXPECT_NE(api->Target_GetTexture(target), 0u);
  ASSERT_TRUE(api->Gfx_BeginScene(target));
  api->Gfx_EndScene();
}

TEST_F(Texture, TargetTexturesCannotBeLocked) {
  ASSERT_TRUE(Start());
  const TextureHandle target_tex = api->Target_GetTexture(api->Target_Create(8, 8, false));
  ASSERT_NE(target_tex, 0u);
  // A reset re-makes the target's texture, so a pointer into it would dangle.
  EXPECT_EQ(api->Texture_Lock(target_tex, true), nullptr);
  EXPECT_STREQ(api->System_GetLastError(), "Can't lock texture");
  EXPECT_EQ(api->Texture_Lock(target_tex, false, 0, 0, 2, 2), nullptr);
  api->Texture_Unlock(target_tex);
  EXPECT_EQ(api->Texture_GetWidth(target_tex), 8);
}

TEST(GraphicsPixels, WidenAndHalve) {
  const uint8_t r565[] = {0x00, 0xF8, 0xE0, 0x07}, a1[] = {0x00, 0x7C, 0x1F, 0x80};
  EXPECT_EQ(gfx_pixels::ToArgb(gfx::Format_R5G6B5, r565, 4, 2, 1),
            (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00}));
  EXPECT_EQ(gfx_pixels::ToArgb(gfx::Format_A1R5G5B5, a1, 4, 2, 1),
            (std::vector<uint32_t>{0x00FF0000, 0xFF0000FF}));
  // 6x5 texels from 2x2 DXT1 blocks, rows of blocks 16 bytes apart.
  std::vector<uint8_t> blocks;
  for (int i = 0; i < 4; ++i) blocks.insert(blocks.end(), kRedDxt1.begin(), kRedDxt1.end());
  EXPECT_EQ(gfx_pixels::ToArgb(gfx::Format_DXT1, blocks.data(), 16, 6, 5),
            std::vector<uint32_t>(30, 0xFFFF0000));
  EXPECT_EQ(gfx_pixels::Halve({0xFF000000, 0xFF0000FF, 0, 0xFF}, 2, 2),
            (std::vector<uint32_t>{0x80000080}));
  EXPECT_EQ(gfx_pixels::Halve({0x10, 0x30, 0x50}, 3, 1), (std::vector<uint32_t>{0x20}));
}

}  // namespace
