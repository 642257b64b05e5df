// Primitive batching: when batches are drawn, which device states change, and how blend modes
// come out in pixels.
#include "graphics_test_support.h"

namespace {

class Batch : public GfxTest {
 protected:
  void SetUp() override {
    GfxTest::SetUp();
    ASSERT_TRUE(Start());
    tex = api->Texture_Create(8, 8);
    ASSERT_NE(tex, 0u);
  }
  Triangle MakeTriangle(TextureHandle t) {
    Triangle tri{};
    tri.v[0] = {0, 0, 0.5f, 0xFFFFFFFF, 0, 0};
    tri.v[1] = {4, 0, 0.5f, 0xFFFFFFFF, 1, 0};
    tri.v[2] = {0, 4, 0.5f, 0xFFFFFFFF, 0, 1};
    tri.tex = t;
    tri.blend = Blend_Default;
    return tri;
  }
  TextureHandle tex = 0;
};

TEST_F(Batch, FullBufferOfQuadsDrawsThenStartsAnother) {
  const Quad q = MakeQuad(1, 1, 2, 2, 0xFFFFFFFF, tex);
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  device().ResetStats();
  for (int i = 0; i < 1000; ++i) api->Gfx_DrawQuad(&q);
  EXPECT_EQ(stats().draw_calls, 0u);
  api->Gfx_DrawQuad(&q);
  EXPECT_EQ(stats().draw_calls, 1u);
  EXPECT_EQ(stats().primitives, 2000u);  // 1000 quads as triangle pairs
  api->Gfx_EndScene();
  EXPECT_EQ(stats().draw_calls, 2u);
  EXPECT_EQ(stats().primitives, 2002u);
}

TEST_F(Batch, FullBufferOfTrianglesDrawsThenStartsAnother) {
  const Triangle t = MakeTriangle(tex);
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  device().ResetStats();
  for (int i = 0; i < 1333; ++i) api->Gfx_DrawTriangle(&t);
  EXPECT_EQ(stats().draw_calls, 0u);
  api->Gfx_DrawTriangle(&t);
  EXPECT_EQ(stats().draw_calls, 1u);
  EXPECT_EQ(stats().primitives, 1333u);
  api->Gfx_EndScene();
  EXPECT_EQ(stats().draw_calls, 2u);
  EXPECT_EQ(stats().primitives, 1334u);
}

TEST_F(Batch, LineAfterTexturedQuadsFlushesAndUnbinds) {
  const Quad q = MakeQuad(1, 1, 2, 2, 0xFFFFFFFF, tex);
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  api->Gfx_DrawQuad(&q);
  api->Gfx_DrawQuad(&q);
  device().ResetStats();
  api->Gfx_DrawLine(0, 0, 10, 10);
  EXPECT_EQ(stats().draw_calls, 1u);
  EXPECT_EQ(stats().primitives, 4u);
  EXPECT_EQ(stats().texture_sets, 1u);  // unbound
  api->Gfx_DrawLine(0, 5, 10, 5);    // same batch
  EXPECT_EQ(stats().draw_calls, 1u);
  api->Gfx_DrawQuad(&q);
  EXPECT_EQ(stats().draw_calls, 2u);
  EXPECT_EQ(stats().primitives, 6u);    // the two lines
  EXPECT_EQ(stats().texture_sets, 2u);  // bound again
  api->Gfx_EndScene();
}

TEST_F(Batch, StateCarriesOverToTheNextScene) {
  const Quad q = MakeQuad(1, 1, 2, 2, 0xFFFFFFFF, tex);
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  api->Gfx_DrawQuad(&q);
  api->Gfx_EndScene();
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  device().ResetStats();
  api->Gfx_DrawQuad(&q);
  EXPECT_EQ(stats().StateChanges(), 0u);
  api->Gfx_EndScene();
  EXPECT_EQ(stats().draw_calls, 1u);
}

TEST_F(Batch, NothingHappensOutsideAScene) {
  const Quad q = MakeQuad(1, 1, 2, 2, 0xFFFFFFFF, tex);
  const Triangle t = MakeTriangle(tex);
  device().ResetStats();
  api->Gfx_DrawQuad(&q);
  api->Gfx_DrawTriangle(&t);
  api->Gfx_DrawLine(0, 0, 5, 5);
  int max = -7;
  EXPECT_EQ(api->Gfx_OpenBatch(Prim_Quads, tex, Blend_Default, &max), nullptr);
  EXPECT_EQ(max, -7);
  api->Gfx_CloseBatch(5);
  EXPECT_EQ(stats().draw_calls, 0u);
  EXPECT_EQ(stats().StateChanges(), 0u);
  // A scene started afterwards has nothing pending.
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  api->Gfx_EndScene();
  EXPECT_EQ(stats().draw_calls, 0u);
}

TEST_F(Batch, ZWriteOnlyChangeSetsOnlyThatState) {
  Quad q = MakeQuad(1, 1, 2, 2, 0xFFFFFFFF, tex);
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  api->Gfx_DrawQuad(&q);
  device().ResetStats();
  q.blend = Blend_Default | Blend_ZWrite;
  api->Gfx_DrawQuad(&q);
  EXPECT_EQ(stats().render_state_sets, 1u);
  EXPECT_EQ(stats().StateChanges(), 1u);
  uint32_t zwrite = 0;
  device().GetRenderState(gfx::RS_ZWriteEnable, &zwrite);
  EXPECT_EQ(zwrite, 1u);
  api->Gfx_EndScene();
}

TEST_F(Batch, OpenBatchHandsOutTheBufferForItsType) {
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  int max = 0;
  EXPECT_NE(api->Gfx_OpenBatch(Prim_Lines, 0, Blend_Default, &max), nullptr);
  EXPECT_EQ(max, 2000);
  EXPECT_NE(api->Gfx_OpenBatch(Prim_Triangles, 0, Blend_Default, &max), nullptr);
  EXPECT_EQ(max, 1333);
  Vertex* v = api->Gfx_OpenBatch(Prim_Quads, tex, Blend_Default, &max);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(max, 1000);
  const Quad q = MakeQuad(1, 1, 2, 2, 0xFFFFFFFF, tex);
  std::memcpy(v, q.v, sizeof q.v);
  std::memcpy(v + 4, q.v, sizeof q.v);
  api->Gfx_CloseBatch(2);
  api->Gfx_DrawQuad(&q);  // appends to the caller's two
  device().ResetStats();
  api->Gfx_EndScene();
  EXPECT_EQ(stats().draw_calls, 1u);
  EXPECT_EQ(stats().primitives, 6u);
}

TEST_F(Batch, OpenBatchRefusesUnknownTypesAndTextures) {
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  device().ResetStats();
  for (int type : {0, 1, 5, -4, 4000}) {
    int max = -7;
    EXPECT_EQ(api->Gfx_OpenBatch(type, 0, Blend_Default, &max), nullptr) << type;
    EXPECT_EQ(max, -7);
  }
  int max = -7;
  EXPECT_EQ(api->Gfx_OpenBatch(Prim_Quads, 0xDEADBEEF, Blend_Default, &max), nullptr);
  EXPECT_EQ(max, -7);
  EXPECT_EQ(stats().draw_calls + stats().StateChanges(), 0u);
  EXPECT_NE(api->Gfx_OpenBatch(Prim_Quads, 0, Blend_Default, nullptr), nullptr);
  api->Gfx_EndScene();
}

TEST_F(Batch, CloseBatchCountIsKeptInsideTheBuffer) {
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  int max = 0;
  ASSERT_NE(api->Gfx_OpenBatch(Prim_Quads, 0, Blend_Default, &max), nullptr);
  api->Gfx_CloseBatch(0);
  device().ResetStats();
  api->Gfx_DrawLine(0, 0, 1, 1);  // flushes the empty quad batch: nothing drawn
  EXPECT_EQ(stats().draw_calls, 0u);

  ASSERT_NE(api->Gfx_OpenBatch(Prim_Quads, 0, Blend_Default, &max), nullptr);
  api->Gfx_CloseBatch(-3);
  const Quad q = MakeQuad(1, 1, 2, 2, 0xFFFFFFFF);
  api->Gfx_DrawQuad(&q);  // lands at the start of the buffer, not before it
  api->Gfx_CloseBatch(5000);
  device().ResetStats();
  api->Gfx_EndScene();
  EXPECT_EQ(stats().primitives, 2000u);  // at most a full buffer
}

TEST_F(Batch, StaleTextureInARecordIsNotDrawn) {
  const TextureHandle gone = api->Texture_Create(4, 4);
  api->Texture_Free(gone);
  const Quad q = MakeQuad(1, 1, 2, 2, 0xFFFFFFFF, gone);
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  device().ResetStats();
  api->Gfx_DrawQuad(&q);
  api->Gfx_EndScene();
  EXPECT_EQ(stats().draw_calls, 0u);
  EXPECT_EQ(stats().texture_sets, 0u);
}

TEST_F(Batch, FreeingTheBoundTextureDrawsItsPendingQuadsFirst) {
  const Quad q = MakeQuad(1, 1, 2, 2, 0xFFFFFFFF, tex);
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  api->Gfx_DrawQuad(&q);
  device().ResetStats();
  api->Texture_Free(tex);
  EXPECT_EQ(stats().draw_calls, 1u);
  EXPECT_EQ(stats().texture_sets, 1u);
  api->Gfx_DrawQuad(&q);  // refused now
  api->Gfx_EndScene();
  EXPECT_EQ(stats().draw_calls, 1u);
}

// ---- pixels ----

class BatchPixels : public GfxTest {
 protected:
  static constexpr uint32_t kBackground = 0xFF404040;
  void Frame(const std::vector<Quad>& quads) {
    ASSERT_TRUE(api->Gfx_BeginScene(0));
    api->Gfx_Clear(kBackground);
    for (const Quad& q : quads) api->Gfx_DrawQuad(&q);
    api->Gfx_EndScene();
  }
  static void ExpectNear(uint32_t actual, uint32_t expected) {
    for (int shift : {0, 8, 16}) {
      const int a = int(actual >> shift & 0xFF), e = int(expected >> shift & 0xFF);
      EXPECT_NEAR(a, e, 2) << std::hex << actual << " vs " << expected;
    }
  }
};

TEST_F(BatchPixels, AlphaBlendAndAdditiveBlend) {
  ASSERT_TRUE(Start());
  Frame({MakeQuad(0, 0, 10, 10, 0x80FF0000, 0, Blend_ColorMul | Blend_AlphaBlend),
         MakeQuad(10, 0, 10, 10, 0x80FF0000, 0, Blend_ColorMul | Blend_AlphaAdd)});
  ExpectNear(Pixel(5, 5), 0xA02020);   // 255 * 0.5 + 64 * 0.5 on red, 64 * 0.5 elsewhere
  ExpectNear(Pixel(15, 5), 0xC04040);  // 64 + 255 * 0.5 on red, the background elsewhere
  EXPECT_EQ(Pixel(25, 5), kBackground & 0xFFFFFF);
}

TEST_F(BatchPixels, ColorAddAndColorMulWithATexture) {
  ASSERT_TRUE(Start());
  const TextureHandle tex = LoadBytes(Png(1, 1, {0xFF806040}));
  ASSERT_NE(tex, 0u);
  Frame({MakeQuad(0, 0, 10, 10, 0xFF102030, tex, Blend_ColorAdd | Blend_AlphaBlend),
         MakeQuad(10, 0, 10, 10, 0xFF808080, tex, Blend_ColorMul | Blend_AlphaBlend)});
  EXPECT_EQ(Pixel(5, 5), 0x908070u);
  ExpectNear(Pixel(15, 5), 0x403020);
}

TEST_F(BatchPixels, TexelsCopyExactlyWithPointAndLinearFiltering) {
  ASSERT_TRUE(Start());
  std::vector<uint32_t> texels;
  for (int i = 0; i < 16; ++i) texels.push_back(0xFF000000u | uint32_t(i * 0x0F0D0B));
  const TextureHandle tex = LoadBytes(Png(4, 4, texels));
  ASSERT_NE(tex, 0u);
  for (bool linear : {true, false}) {
    engine->System_SetBool(State_TextureFilter, linear);
    Frame({MakeQuad(10, 20, 4, 4, 0xFFFFFFFF, tex)});
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x)
        EXPECT_EQ(Pixel(10 + x, 20 + y), texels[y * 4 + x] & 0xFFFFFF)
            << "linear " << linear << " at " << x << "," << y;
    EXPECT_EQ(Pixel(9, 20), kBackground & 0xFFFFFF);
    EXPECT_EQ(Pixel(14, 23), kBackground & 0xFFFFFF);
  }
}

TEST_F(BatchPixels, LinesAndTrianglesDrawWhereGiven) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  api->Gfx_Clear(0xFF000000);
  api->Gfx_DrawLine(2.5f, 30.5f, 40.5f, 30.5f, 0xFF00FF00);  // along the centres of row 30
  Triangle t{};
  t.v[0] = {50, 10, 0.5f, 0xFF0000FF, 0, 0};
  t.v[1] = {70, 10, 0.5f, 0xFF0000FF, 0, 0};
  t.v[2] = {50, 30, 0.5f, 0xFF0000FF, 0, 0};
  t.blend = Blend_Default;
  api->Gfx_DrawTriangle(&t);
  api->Gfx_EndScene();
  EXPECT_EQ(Pixel(20, 30), 0x00FF00u);
  EXPECT_EQ(Pixel(20, 32), 0u);
  EXPECT_EQ(Pixel(52, 12), 0x0000FFu);
  EXPECT_EQ(Pixel(68, 28), 0u);
}

TEST_F(BatchPixels, DepthWritesOnAndOff) {
  ASSERT_TRUE(Start(false, true));
  // The default blend mode writes no depth from the very first primitive.
  Frame({MakeQuad(0, 0, 10, 10, 0xFF0000FF, 0, Blend_Default, 0.2f),
         MakeQuad(0, 0, 10, 10, 0xFFFF0000, 0, Blend_Default, 0.6f)});
  EXPECT_EQ(Pixel(5, 5), 0xFF0000u);
  // A near quad with depth writes hides a farther one drawn after it; without them it does not.
  Frame({MakeQuad(0, 0, 10, 10, 0xFF0000FF, 0, Blend_Default | Blend_ZWrite, 0.2f),
         MakeQuad(10, 0, 10, 10, 0xFF0000FF, 0, Blend_Default, 0.2f),
         MakeQuad(0, 0, 20, 10, 0xFFFF0000, 0, Blend_Default, 0.6f)});
  EXPECT_EQ(Pixel(5, 5), 0x0000FFu);
  EXPECT_EQ(Pixel(15, 5), 0xFF0000u);
}

TEST_F(BatchPixels, TransparentTexelsAreDiscarded) {
  ASSERT_TRUE(Start(false, true));
  // Left texel opaque, right texel alpha 0: the right half writes no depth, so the farther red
  // quad shows through only there.
  const TextureHandle tex = LoadBytes(Png(2, 1, {0xFF00FF00, 0x0000FF00}));
  ASSERT_NE(tex, 0u);
  engine->System_SetBool(State_TextureFilter, false);
  Frame({MakeQuad(0, 0, 20, 10, 0xFFFFFFFF, tex, Blend_Default | Blend_ZWrite, 0.2f),
         MakeQuad(0, 0, 20, 10, 0xFFFF0000, 0, Blend_Default, 0.6f)});
  EXPECT_EQ(Pixel(5, 5), 0x00FF00u);
  EXPECT_EQ(Pixel(15, 5), 0xFF0000u);
}

}  // namespace
