// Scenes and render targets: target changes, clipping, the view transformation, lost devices.
#include <array>
#include <cmath>

#include "graphics_test_support.h"

namespace {

bool restore_result = true;
int restores = 0;
bool CountRestore() {
  ++restores;
  return restore_result;
}

class Scene : public GfxTest {
 protected:
  gfx::Viewport Viewport() {
    gfx::Viewport vp;
    device().GetViewport(&vp);
    return vp;
  }
  void FillScreen(uint32_t color) {
    const Quad q = MakeQuad(0, 0, kWidth, kHeight, color);
    api->Gfx_DrawQuad(&q);
  }
};

TEST_F(Scene, FirstScreenSceneOnlyBegins) {
  ASSERT_TRUE(Start());
  device().ResetStats();
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  EXPECT_EQ(stats().StateChanges(), 0u);
  api->Gfx_EndScene();
  EXPECT_EQ(fake->presents, 1);
}

TEST_F(Scene, SecondBeginFailsWhileInAScene) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  EXPECT_FALSE(api->Gfx_BeginScene(0));
  EXPECT_STREQ(engine->System_GetLastError(), "Gfx_BeginScene: Scene is already being rendered");
  api->Gfx_EndScene();
  EXPECT_TRUE(api->Gfx_BeginScene(0));
  api->Gfx_EndScene();
}

TEST_F(Scene, ClipRectangleBecomesTheViewport) {
  ASSERT_TRUE(Start());
  api->Gfx_SetClipRect(-10, -10, 50, 50);
  gfx::Viewport vp = Viewport();
  EXPECT_EQ(vp.x, 0);
  EXPECT_EQ(vp.y, 0);
  EXPECT_EQ(vp.width, 40);
  EXPECT_EQ(vp.height, 40);
  api->Gfx_SetClipRect(70, 50, 100, 100);
  vp = Viewport();
  EXPECT_EQ(vp.width, 10);
  EXPECT_EQ(vp.height, 10);
  api->Gfx_SetClipRect();
  vp = Viewport();
  EXPECT_EQ(vp.x, 0);
  EXPECT_EQ(vp.width, kWidth);
  EXPECT_EQ(vp.height, kHeight);
}

TEST_F(Scene, ClipRectangleCutsExactlyAtItsEdges) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  api->Gfx_Clear(0xFF000000);
  api->Gfx_SetClipRect(10, 5, 20, 15);
  FillScreen(0xFFFFFFFF);
  const Quad dot = MakeQuad(12, 8, 1, 1, 0xFFFF0000);  // keeps its place under clipping
  api->Gfx_DrawQuad(&dot);
  api->Gfx_EndScene();
  EXPECT_EQ(Pixel(10, 5), 0xFFFFFFu);
  EXPECT_EQ(Pixel(29, 19), 0xFFFFFFu);
  EXPECT_EQ(Pixel(9, 5), 0u);
  EXPECT_EQ(Pixel(10, 4), 0u);
  EXPECT_EQ(Pixel(30, 19), 0u);
  EXPECT_EQ(Pixel(29, 20), 0u);
  EXPECT_EQ(Pixel(12, 8), 0xFF0000u);
  EXPECT_EQ(Pixel(13, 8), 0xFFFFFFu);
}

TEST_F(Scene, EmptyClipRectangleDrawsNothing) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  api->Gfx_Clear(0xFF000000);
  for (auto [x, y, w, h] : {std::array{10, 10, 20, 0}, std::array{90, 10, 20, 20},
                            std::array{-50, 10, 20, 20}, std::array{10, 10, -5, 20}}) {
    api->Gfx_SetClipRect(x, y, w, h);
    FillScreen(0xFFFFFFFF);
  }
  api->Gfx_EndScene();
  int w = 0, h = 0;
  for (uint32_t p : soft().ReadBackBuffer(&w, &h)) ASSERT_EQ(p & 0xFFFFFF, 0u);
}

TEST_F(Scene, RotatedAndScaledView) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  api->Gfx_Clear(0xFF000000);
  // Around (20, 20): doubled, then turned a quarter: (24, 20) goes to (20, 12), (20, 22) to
  // (24, 20), and the whole view moves by (30, 10).
  api->Gfx_SetViewTransform(20, 20, 30, 10, float(M_PI / 2), 2, 2);
  const Quad q = MakeQuad(20, 20, 4, 2, 0xFF00FF00);
  api->Gfx_DrawQuad(&q);
  api->Gfx_SetViewTransform(5, 5, 100, 100, 1, 3, 0);  // vscale 0: off again
  const Quad plain = MakeQuad(0, 0, 2, 2, 0xFFFF0000);
  api->Gfx_DrawQuad(&plain);
  api->Gfx_EndScene();
  EXPECT_EQ(Pixel(50, 22), 0x00FF00u);
  EXPECT_EQ(Pixel(53, 29), 0x00FF00u);
  EXPECT_EQ(Pixel(54, 25), 0u);
  EXPECT_EQ(Pixel(49, 25), 0u);
  EXPECT_EQ(Pixel(51, 21), 0u);
  EXPECT_EQ(Pixel(51, 30), 0u);
  EXPECT_EQ(Pixel(1, 1), 0xFF0000u);
}

TEST_F(Scene, LostDeviceFailsQuietlyThenRecovers) {
  ASSERT_TRUE(Start());
  engine->System_SetCallback(State_DeviceRestoreFunc, CountRestore);
  restores = 0;
  restore_result = true;
  const TextureHandle tex = LoadBytes(Png(2, 1, {0xFF112233, 0xFF445566}));
  const TargetHandle target = api->Target_Create(16, 16, false);
  ASSERT_NE(target, 0u);
  ASSERT_TRUE(api->Gfx_BeginScene(target));
  api->Gfx_Clear(0xFF00FF00);
  api->Gfx_EndScene();

  soft().LoseDevice();
  EXPECT_FALSE(api->Gfx_BeginScene(0));
  EXPECT_FALSE(api->Gfx_BeginScene(0));
  EXPECT_STREQ(engine->System_GetLastError(), "");
  EXPECT_EQ(restores, 0);

  soft().MakeResettable();
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  EXPECT_EQ(restores, 1);
  // The managed texture kept its pixels; the target's were lost with the reset.
  api->Gfx_Clear(0xFF000000);
  const Quad q = MakeQuad(0, 0, 16, 16, 0xFFFFFFFF, api->Target_GetTexture(target));
  api->Gfx_DrawQuad(&q);
  api->Gfx_EndScene();
  EXPECT_NE(Pixel(8, 8), 0x00FF00u);
  const uint32_t* p = api->Texture_Lock(tex);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[1], 0xFF445566u);
  api->Texture_Unlock(tex);
}

TEST_F(Scene, FailedRestoreFailsTheFrame) {
  ASSERT_TRUE(Start());
  engine->System_SetCallback(State_DeviceRestoreFunc, CountRestore);
  restore_result = false;
  soft().MakeResettable();
  EXPECT_FALSE(api->Gfx_BeginScene(0));
  restore_result = true;
  EXPECT_TRUE(api->Gfx_BeginScene(0));  // the device itself is fine again
  api->Gfx_EndScene();
}

TEST_F(Scene, ResetInsideATargetReselectsTheTargetNextFrame) {
  ASSERT_TRUE(Start());
  const TargetHandle target = api->Target_Create(16, 16, false);
  ASSERT_TRUE(api->Gfx_BeginScene(target));
  api->Gfx_EndScene();
  soft().MakeResettable();
  ASSERT_TRUE(api->Gfx_BeginScene(target));
  api->Gfx_Clear(0xFFFF0000);
  api->Gfx_EndScene();
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  api->Gfx_Clear(0xFF000000);
  const Quad q = MakeQuad(0, 0, 16, 16, 0xFFFFFFFF, api->Target_GetTexture(target));
  api->Gfx_DrawQuad(&q);
  api->Gfx_EndScene();
  EXPECT_EQ(Pixel(8, 8), 0xFF0000u);
  EXPECT_EQ(Pixel(20, 20), 0u);
}

class Target : public Scene {};

TEST_F(Target, DrawnOntoTheScreenAsATexture) {
  ASSERT_TRUE(Start());
  const TargetHandle target = api->Target_Create(32, 32, false);
  ASSERT_NE(target, 0u);
  ASSERT_TRUE(api->Gfx_BeginScene(target));
  api->Gfx_Clear(0xFF00FF00);
  const Quad half = MakeQuad(0, 0, 16, 32, 0xFFFF0000);
  api->Gfx_DrawQuad(&half);
  api->Gfx_EndScene();
  EXPECT_EQ(fake->presents, 0);  // only the screen's scene presents

  device().ResetStats();
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  EXPECT_EQ(stats().render_target_sets, 1u);
  gfx::Matrix view;
  device().GetTransform(gfx::TS_View, &view);
  EXPECT_EQ(view.m[3][0], 0.0f);
  api->Gfx_Clear(0xFF000000);
  const Quad q = MakeQuad(40, 10, 32, 32, 0xFFFFFFFF, api->Target_GetTexture(target));
  api->Gfx_DrawQuad(&q);
  api->Gfx_EndScene();
  EXPECT_EQ(fake->presents, 1);
  EXPECT_EQ(Pixel(41, 11), 0xFF0000u);
  EXPECT_EQ(Pixel(55, 41), 0xFF0000u);
  EXPECT_EQ(Pixel(56, 11), 0x00FF00u);
  EXPECT_EQ(Pixel(71, 41), 0x00FF00u);
  EXPECT_EQ(Pixel(39, 11), 0u);
}

TEST_F(Target, PowerOfTwoSizeKeptAcrossReset) {
  ASSERT_TRUE(Start(true));
  const TargetHandle target = api->Target_Create(100, 100, true);
  ASSERT_NE(target, 0u);
  auto check = [&] {
    EXPECT_EQ(api->Texture_GetWidth(api->Target_GetTexture(target)), 128);
    EXPECT_EQ(api->Texture_GetHeight(api->Target_GetTexture(target)), 128);
    ASSERT_TRUE(api->Gfx_BeginScene(target));
    std::shared_ptr<gfx::Surface> depth;
    ASSERT_TRUE(gfx::Succeeded(device().GetDepthStencilSurface(&depth)));
    EXPECT_EQ(depth->GetDesc().width, 128);
    EXPECT_EQ(depth->GetDesc().height, 128);
    api->Gfx_EndScene();
    ASSERT_TRUE(api->Gfx_BeginScene(0));
    api->Gfx_EndScene();
  };
  check();
  soft().MakeResettable();
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  api->Gfx_EndScene();
  check();
}

TEST_F(Target, ClearAndClipFollowTheTarget) {
  ASSERT_TRUE(Start(false, true));
  const TargetHandle target = api->Target_Create(20, 10, false);
  ASSERT_TRUE(api->Gfx_BeginScene(target));
  device().ResetStats();
  api->Gfx_Clear(0xFF0000FF);  // no depth buffer here, although the screen has one
  api->Gfx_SetClipRect(-5, 0, 100, 100);
  api->Gfx_EndScene();
  gfx::Viewport vp = Viewport();
  EXPECT_EQ(vp.width, 20);
  EXPECT_EQ(vp.height, 10);
  uint32_t zenable = 1;
  device().GetRenderState(gfx::RS_ZEnable, &zenable);
  EXPECT_EQ(zenable, 0u);
  // Back on the screen, the viewport is whole again and depth testing is on.
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  api->Gfx_EndScene();
  vp = Viewport();
  EXPECT_EQ(vp.width, kWidth);
  device().GetRenderState(gfx::RS_ZEnable, &zenable);
  EXPECT_EQ(zenable, 1u);
}

TEST_F(Target, BadHandlesAreRefused) {
  ASSERT_TRUE(Start());
  EXPECT_FALSE(api->Gfx_BeginScene(0xDEADBEEF));
  EXPECT_STREQ(engine->System_GetLastError(), "Gfx_BeginScene: Can't set render target");
  EXPECT_EQ(api->Target_GetTexture(0), 0u);
  EXPECT_EQ(api->Target_GetTexture(0xDEADBEEF), 0u);
  api->Target_Free(0);
  api->Target_Free(0xDEADBEEF);
  const TargetHandle target = api->Target_Create(8, 8, true);
  const TextureHandle tex = api->Target_GetTexture(target);
  api->Target_Free(target);
  api->Target_Free(target);
  EXPECT_EQ(api->Target_GetTexture(target), 0u);
  EXPECT_EQ(api->Texture_GetWidth(tex), 0);
  EXPECT_EQ(api->Target_Create(0, 8, false), 0u);
  EXPECT_STREQ(engine->System_GetLastError(), "Can't create render target texture");
  EXPECT_EQ(api->Target_Create(1 << 20, 8, false), 0u);
}

TEST_F(Target, FreeingTheCurrentTargetForcesATargetChange) {
  ASSERT_TRUE(Start());
  const TargetHandle target = api->Target_Create(8, 8, false);
  ASSERT_TRUE(api->Gfx_BeginScene(target));
  api->Gfx_EndScene();
  api->Target_Free(target);
  EXPECT_FALSE(api->Gfx_BeginScene(target));  // not "the same target as before"
  EXPECT_STREQ(engine->System_GetLastError(), "Gfx_BeginScene: Can't set render target");
  device().ResetStats();
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  EXPECT_EQ(stats().render_target_sets, 1u);
  api->Gfx_Clear(0xFF0000FF);
  api->Gfx_EndScene();
  EXPECT_EQ(Pixel(40, 30), 0x0000FFu);
  EXPECT_EQ(fake->presents, 1);
}

TEST_F(Target, FreedWhileDrawingIntoIt) {
  ASSERT_TRUE(Start());
  const TargetHandle target = api->Target_Create(8, 8, false);
  ASSERT_TRUE(api->Gfx_BeginScene(target));
  const Quad q = MakeQuad(0, 0, 4, 4, 0xFFFFFFFF, api->Target_GetTexture(target));
  api->Gfx_DrawQuad(&q);  // drawing a target into itself is the caller's business
  api->Target_Free(target);
  api->Gfx_Clear(0);
  api->Gfx_SetClipRect(1, 1, 2, 2);
  api->Gfx_EndScene();
  EXPECT_EQ(fake->presents, 0);
}

}  // namespace
