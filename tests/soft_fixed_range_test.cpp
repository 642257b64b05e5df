// The software rasterizer with coordinates and attributes at the far ends of the float range:
// nothing may overflow its fixed-point arithmetic, and what lies on screen is still drawn.
#include <cfloat>
#include <cmath>

#include "graphics_test_support.h"

namespace {

class FixedRange : public GfxTest {
 protected:
  void DrawTriangle(const float (&x)[3], const float (&y)[3], const uint32_t (&c)[3]) {
    Triangle t{};
    for (int i = 0; i < 3; ++i) t.v[i] = {x[i], y[i], 0.5f, c[i], 0, 0};
    t.blend = Blend_Default;
    api->Gfx_DrawTriangle(&t);
  }
};

TEST_F(FixedRange, HugeCoordinatesUnderARotatedViewDrawWithoutOverflow) {
  ASSERT_TRUE(Start());
  for (float far : {1e30f, 3e38f, 1e20f, 1e9f}) {
    SCOPED_TRACE(far);
    ASSERT_TRUE(api->Gfx_BeginScene());
    api->Gfx_Clear(0xFF000000);
    api->Gfx_SetViewTransform(40, 30, 0, 0, 0.3f, 1, 1);
    // Whole quads and triangles reaching far off screen, and slivers with steep gradients.
    const Quad big = MakeQuad(-far, -far, 2 * far, 2 * far, 0xFF00FF00);
    api->Gfx_DrawQuad(&big);
    DrawTriangle({-far, far, 0}, {-far, -far, far}, {0xFFFF0000, 0xFF0000FF, 0x00FFFFFF});
    DrawTriangle({0, far, 1}, {0, 0.001f, 1}, {0xFFFF0000, 0xFF00FF00, 0x000000FF});
    DrawTriangle({10, 10.0f + far, 11}, {10, 11, 10}, {0xFF000000, 0xFFFFFFFF, 0x00FF00FF});
    api->Gfx_EndScene();
    // The huge quad covers the whole screen whatever its colour steps. Beyond about 1e20 the
    // clipped corners lie further off than double precision can place them, so only the
    // absence of overflow is asked for there.
    if (far > 1e21f) continue;
    EXPECT_NE(Pixel(1, 1), 0u);
    EXPECT_NE(Pixel(kWidth - 2, kHeight - 2), 0u);
  }
}

TEST_F(FixedRange, ExtremeColourAndTextureGradientsStayBounded) {
  ASSERT_TRUE(Start());
  const TextureHandle tex = api->Texture_Create(4, 4);
  ASSERT_TRUE(api->Gfx_BeginScene());
  api->Gfx_Clear(0xFF000000);
  // A triangle a hundredth of a pixel wide and the screen tall: every step is enormous.
  Triangle t{};
  t.v[0] = {20.0f, 0, 0.5f, 0xFFFFFFFF, -FLT_MAX, FLT_MAX};
  t.v[1] = {20.01f, 0, 0.5f, 0x00000000, FLT_MAX, -FLT_MAX};
  t.v[2] = {20.0f, float(kHeight), 0.5f, 0xFF00FF00, 1e30f, 1e-30f};
  t.tex = tex;
  t.blend = Blend_Default;
  api->Gfx_DrawTriangle(&t);
  Quad q = MakeQuad(0, 0, 0.004f, float(kHeight), 0xFFFFFFFF, tex);
  q.v[1].col = 0;
  api->Gfx_DrawQuad(&q);
  api->Gfx_EndScene();
  SUCCEED();  // the sanitizer build checks the arithmetic
}

}  // namespace
