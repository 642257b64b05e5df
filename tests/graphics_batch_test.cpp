// Primitive batching: when batches are drawn, which device states change, and how the blend
// modes come out in pixels.
#include <functional>

#include "graphics_test_support.h"

namespace {

class Batch : public GfxTest {
 protected:
  void SetUp() override {
    GfxTest::SetUp();
    ASSERT_TRUE(Start());
    tex = api->Texture_Create(8, 8);
    quad = MakeQuad(1, 1, 2, 2, 0xFFFFFFFF, tex);
    ASSERT_TRUE(api->Gfx_BeginScene());
  }
  TextureHandle tex = 0;
  Quad quad;
};

TEST_F(Batch, FullBufferDrawsAndStartsAnother) {
  Triangle tri{{quad.v[0], quad.v[1], quad.v[2]}, tex, Blend_Default};
  const struct {
    std::function<void()> draw;
    uint64_t per_batch, primitives_per_batch;
  } cases[] = {{[&] { api->Gfx_DrawQuad(&quad); }, 1000, 2000},
               {[&] { api->Gfx_DrawTriangle(&tri); }, 1333, 1333}};
  for (const auto& c : cases) {
    api->Gfx_DrawLine(0, 0, 1, 1);  // something else pending, so each case starts a batch
    device().ResetStats();
    for (uint64_t i = 0; i < c.per_batch; ++i) c.draw();
    EXPECT_EQ(stats().draw_calls, 1u);  // only the line
    device().ResetStats();
    c.draw();
    EXPECT_EQ(stats().draw_calls, 1u);
    EXPECT_EQ(stats().primitives, c.primitives_per_batch);
  }
  device().ResetStats();
  api->Gfx_EndScene();
  EXPECT_EQ(stats().primitives, 1u);
}

TEST_F(Batch, LineAfterTexturedQuadsFlushesAndUnbinds) {
  api->Gfx_DrawQuad(&quad);
  api->Gfx_DrawQuad(&quad);
  device().ResetStats();
  api->Gfx_DrawLine(0, 0, 10, 10);
  api->Gfx_DrawLine(0, 5, 10, 5);
  EXPECT_EQ(stats().draw_calls, 1u);
  EXPECT_EQ(stats().primitives, 4u);
  EXPECT_EQ(stats().texture_sets, 1u);  // unbound
  api->Gfx_DrawQuad(&quad);
  EXPECT_EQ(stats().primitives, 6u);    // the two lines
  EXPECT_EQ(stats().texture_sets, 2u);  // bound again
}

TEST_F(Batch, ZWriteOnlyChangeSetsOnlyThatState) {
  api->Gfx_DrawQuad(&quad);
  device().ResetStats();
  quad.blend = Blend_Default | Blend_ZWrite;
  api->Gfx_DrawQuad(&quad);
  EXPECT_EQ(stats().render_state_sets, 1u);
  EXPECT_EQ(stats().StateChanges(), 1u);
  uint32_t zwrite = 0;
  device().GetRenderState(gfx::RS_ZWriteEnable, &zwrite);
  EXPECT_EQ(zwrite, 1u);
}

TEST_F(Batch, NothingHappensOutsideAScene) {
  api->Gfx_EndScene();
  device().ResetStats();
  api->Gfx_DrawQuad(&quad);
  api->Gfx_DrawLine(0, 0, 5, 5);
  int max = -7;
  EXPECT_EQ(api->Gfx_OpenBatch(Prim_Quads, tex, Blend_Default, &max), nullptr);
  EXPECT_EQ(max, -7);
  api->Gfx_CloseBatch(5);
  ASSERT_TRUE(api->Gfx_BeginScene());
  api->Gfx_EndScene();
  EXPECT_EQ(stats().draw_calls + stats().StateChanges(), 0u);
}

TEST_F(Batch, OpenBatchGuardsTheBuffer) {
  device().ResetStats();
  for (int type : {0, 1, 5, -4}) {
    int max = -7;
    EXPECT_EQ(api->Gfx_OpenBatch(type, 0, Blend_Default, &max), nullptr) << type;
    EXPECT_EQ(max, -7);
  }
  EXPECT_EQ(api->Gfx_OpenBatch(Prim_Quads, 0xDEADBEEF, Blend_Default, nullptr), nullptr);
  EXPECT_EQ(stats().draw_calls + stats().StateChanges(), 0u);

  int max = 0;
  Vertex* v = api->Gfx_OpenBatch(Prim_Quads, tex, Blend_Default, &max);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(max, 1000);
  std::memcpy(v, quad.v, sizeof quad.v);
  api->Gfx_CloseBatch(1);
  api->Gfx_DrawQuad(&quad);  // appends to the caller's quad
  api->Gfx_DrawLine(0, 0, 1, 1);
  EXPECT_EQ(stats().primitives, 4u);

  ASSERT_NE(api->Gfx_OpenBatch(Prim_Lines, 0, Blend_Default, &max), nullptr);
  EXPECT_EQ(max, 2000);
  api->Gfx_CloseBatch(-3);  // a count below 0 would write before the buffer
  api->Gfx_DrawLine(0, 0, 1, 1);
  api->Gfx_CloseBatch(5000);  // and one above the maximum past its end
  device().ResetStats();
  api->Gfx_EndScene();
  EXPECT_EQ(stats().primitives, 2000u);
}

TEST_F(Batch, TexturesFreedOrUnknownAreNotDrawn) {
  api->Gfx_DrawQuad(&quad);
  device().ResetStats();
  api->Texture_Free(tex);  // pending quads are drawn with it first, then it is unbound
  EXPECT_EQ(stats().draw_calls, 1u);
  EXPECT_EQ(stats().texture_sets, 1u);
  api->Gfx_DrawQuad(&quad);
  quad.tex = 0x12345;
  api->Gfx_DrawQuad(&quad);
  api->Gfx_EndScene();
  EXPECT_EQ(stats().draw_calls, 1u);
}

// ---- pixels ----

class BatchPixels : public GfxTest {
 protected:
  static constexpr uint32_t kBackground = 0xFF404040;
  void Frame(const std::vector<Quad>& quads) {
    ASSERT_TRUE(api->Gfx_BeginScene());
    api->Gfx_Clear(kBackground);
    for (const Quad& q : quads) api->Gfx_DrawQuad(&q);
    api->Gfx_EndScene();
  }
  static void ExpectNear(uint32_t actual, uint32_t expected) {
    for (int shift : {0, 8, 16})
      EXPECT_NEAR(int(actual >> shift & 0xFF), int(expected >> shift & 0xFF), 2)
          << std::hex << actual << " vs " << expected;
  }
};

TEST_F(BatchPixels, EachBlendBit) {
  ASSERT_TRUE(Start());
  const TextureHandle tex = LoadBytes(Png(1, 1, {0xFF806040}));
  Frame({MakeQuad(0, 0, 10, 10, 0x80FF0000, 0, Blend_ColorMul | Blend_AlphaBlend),
         MakeQuad(10, 0, 10, 10, 0x80FF0000, 0, Blend_ColorMul | Blend_AlphaAdd),
         MakeQuad(20, 0, 10, 10, 0xFF102030, tex, Blend_ColorAdd | Blend_AlphaBlend),
         MakeQuad(30, 0, 10, 10, 0xFF808080, tex, Blend_ColorMul | Blend_AlphaBlend)});
  ExpectNear(Pixel(5, 5), 0xA02020);   // half red over the background
  ExpectNear(Pixel(15, 5), 0xC04040);  // half red added to it
  EXPECT_EQ(Pixel(25, 5), 0x908070u);  // texture + vertex colour
  ExpectNear(Pixel(35, 5), 0x403020);  // texture x vertex colour
  EXPECT_EQ(Pixel(45, 5), kBackground & 0xFFFFFF);
}

TEST_F(BatchPixels, TexelsCopyExactlyWithPointAndLinearFiltering) {
  ASSERT_TRUE(Start());
  std::vector<uint32_t> texels;
  for (uint32_t i = 0; i < 16; ++i) texels.push_back(0xFF000000u | i * 0x0F0D0B);
  const TextureHandle tex = LoadBytes(Png(4, 4, texels));
  for (bool linear : {true, false}) {
    api->System_SetBool(State_TextureFilter, linear);
    Frame({MakeQuad(10, 20, 4, 4, 0xFFFFFFFF, tex)});
    for (int i = 0; i < 16; ++i)
      EXPECT_EQ(Pixel(10 + i % 4, 20 + i / 4), texels[i] & 0xFFFFFF) << linear << " " << i;
    EXPECT_EQ(Pixel(9, 20), kBackground & 0xFFFFFF);
    EXPECT_EQ(Pixel(14, 23), kBackground & 0xFFFFFF);
  }
}

TEST_F(BatchPixels, DepthWritesAndTransparentTexels) {
  ASSERT_TRUE(Start(false, true));
  // From the first primitive on, the default blend mode writes no depth.
  Frame({MakeQuad(0, 0, 10, 10, 0xFF0000FF, 0, Blend_Default, 0.2f),
         MakeQuad(0, 0, 10, 10, 0xFFFF0000, 0, Blend_Default, 0.6f)});
  EXPECT_EQ(Pixel(5, 5), 0xFF0000u);
  // A near quad with depth writes hides a farther one; alpha-0 texels write nothing.
  const TextureHandle tex = LoadBytes(Png(2, 1, {0xFF0000FF, 0x000000FF}));
  api->System_SetBool(State_TextureFilter, false);
  Frame({MakeQuad(0, 0, 20, 10, 0xFFFFFFFF, tex, Blend_DefaultZ, 0.2f),
         MakeQuad(0, 0, 20, 10, 0xFFFF0000, 0, Blend_Default, 0.6f)});
  EXPECT_EQ(Pixel(5, 5), 0x0000FFu);
  EXPECT_EQ(Pixel(15, 5), 0xFF0000u);
}

}  // namespace
