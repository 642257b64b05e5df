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
  void SetUp() override {
    GfxTest::SetUp();
    restores = 0;
    restore_result = true;
  }
  gfx::Viewport Viewport() {
    gfx::Viewport vp;
    device().GetViewport(&vp);
    return vp;
  }
  void Draw(const Quad& q) { api->Gfx_DrawQuad(&q); }
};

TEST_F(Scene, FirstScreenSceneOnlyBeginsAndASecondBeginFails) {
  ASSERT_TRUE(Start());
  device().ResetStats();
  ASSERT_TRUE(api->Gfx_BeginScene());
  EXPECT_EQ(stats().StateChanges(), 0u);
  EXPECT_FALSE(api->Gfx_BeginScene());
  EXPECT_STREQ(api->System_GetLastError(), "Gfx_BeginScene: Scene is already being rendered");
  api->Gfx_EndScene();
  EXPECT_EQ(fake->presents, 1);
}

TEST_F(Scene, ClipRectangleBecomesTheViewport) {
  ASSERT_TRUE(Start());
  const struct {
    int x, y, w, h, vx, vy, vw, vh;
  } cases[] = {
      {-10, -10, 50, 50, 0, 0, 40, 40},  {70, 50, 100, 100, 70, 50, 10, 10},
      {0, 0, 0, 0, 0, 0, kWidth, kHeight}, {10, 10, 20, 0, 10, 10, 20, 0},   // empty
      {90, 10, 20, 20, kWidth, 10, 0, 20}, {10, 10, -5, 20, 10, 10, 0, 20},  // empty
  };
  for (const auto& c : cases) {
    api->Gfx_SetClipRect(c.x, c.y, c.w, c.h);
    const gfx::Viewport vp = Viewport();
    EXPECT_EQ((std::array{vp.x, vp.y, vp.width, vp.height}), (std::array{c.vx, c.vy, c.vw, c.vh}))
        << c.x << "," << c.y << " " << c.w << "x" << c.h;
  }
}

TEST_F(Scene, ClipRectangleCutsExactlyAtItsEdges) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(api->Gfx_BeginScene());
  api->Gfx_Clear(0xFF000000);
  api->Gfx_SetClipRect(10, 5, 20, 15);
  Draw(MakeQuad(0, 0, kWidth, kHeight, 0xFFFFFFFF));
  Draw(MakeQuad(12, 8, 1, 1, 0xFFFF0000));  // keeps its place under clipping
  api->Gfx_EndScene();
  EXPECT_EQ(Pixel(10, 5), 0xFFFFFFu);
  EXPECT_EQ(Pixel(29, 19), 0xFFFFFFu);
  for (auto [x, y] : {std::pair{9, 5}, {10, 4}, {30, 19}, {29, 20}}) EXPECT_EQ(Pixel(x, y), 0u);
  EXPECT_EQ(Pixel(12, 8), 0xFF0000u);
}

TEST_F(Scene, RotatedAndScaledView) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(api->Gfx_BeginScene());
  api->Gfx_Clear(0xFF000000);
  // Around (20, 20): doubled and turned a quarter, so (24, 20) goes to (20, 12) and (20, 22) to
  // (24, 20); then everything moves by (30, 10).
  api->Gfx_SetViewTransform(20, 20, 30, 10, float(M_PI / 2), 2, 2);
  Draw(MakeQuad(20, 20, 4, 2, 0xFF00FF00));
  api->Gfx_SetViewTransform(5, 5, 100, 100, 1, 3, 0);  // vscale 0: off again
  Draw(MakeQuad(0, 0, 2, 2, 0xFFFF0000));
  api->Gfx_EndScene();
  EXPECT_EQ(Pixel(50, 22), 0x00FF00u);
  EXPECT_EQ(Pixel(53, 29), 0x00FF00u);
  for (auto [x, y] : {std::pair{54, 25}, {49, 25}, {51, 21}, {51, 30}}) EXPECT_EQ(Pixel(x, y), 0u);
  EXPECT_EQ(Pixel(1, 1), 0xFF0000u);
}

TEST_F(Scene, LostDeviceFailsQuietlyThenRecovers) {
  ASSERT_TRUE(Start());
  api->System_SetCallback(State_DeviceRestoreFunc, CountRestore);
  const TextureHandle tex = LoadBytes(Png(2, 1, {0xFF112233, 0xFF445566}));
  const TargetHandle target = api->Target_Create(16, 16, false);
  ASSERT_TRUE(api->Gfx_BeginScene(target));
  api->Gfx_Clear(0xFF00FF00);
  api->Gfx_EndScene();

  soft().LoseDevice();
  EXPECT_FALSE(api->Gfx_BeginScene());
  EXPECT_STREQ(api->System_GetLastError(), "");
  soft().MakeResettable();
  restore_result = false;  // the restore callback's result is the frame's
  EXPECT_FALSE(api->Gfx_BeginScene());
  restore_result = true;
  soft().MakeResettable();
  ASSERT_TRUE(api->Gfx_BeginScene());
  EXPECT_EQ(restores, 2);
  // The managed texture kept its pixels; the target's were lost with the reset.
  api->Gfx_Clear(0xFF000000);
  Draw(MakeQuad(0, 0, 16, 16, 0xFFFFFFFF, api->Target_GetTexture(target)));
  api->Gfx_EndScene();
  EXPECT_NE(Pixel(8, 8), 0x00FF00u);
  const uint32_t* p = api->Texture_Lock(tex);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[1], 0xFF445566u);
}

TEST_F(Scene, ResetWhileOnATargetSelectsItAgain) {
  ASSERT_TRUE(Start());
  const TargetHandle target = api->Target_Create(16, 16, false);
  ASSERT_TRUE(api->Gfx_BeginScene(target));
  api->Gfx_EndScene();
  soft().MakeResettable();
  ASSERT_TRUE(api->Gfx_BeginScene(target));  // the reset pointed the device at the screen
  api->Gfx_Clear(0xFFFF0000);
  api->Gfx_EndScene();
  ASSERT_TRUE(api->Gfx_BeginScene());
  api->Gfx_Clear(0xFF000000);
  Draw(MakeQuad(0, 0, 16, 16, 0xFFFFFFFF, api->Target_GetTexture(target)));
  api->Gfx_EndScene();
  EXPECT_EQ(Pixel(8, 8), 0xFF0000u);
  EXPECT_EQ(Pixel(20, 20), 0u);
}

class Target : public Scene {};

TEST_F(Target, DrawnOntoTheScreenAsATexture) {
  ASSERT_TRUE(Start(false, true));
  const TargetHandle target = api->Target_Create(32, 32, false);
  ASSERT_TRUE(api->Gfx_BeginScene(target));
  api->Gfx_Clear(0xFF00FF00);  // colour only: this target has no depth buffer
  api->Gfx_SetClipRect(-5, 0, 100, 100);
  EXPECT_EQ(Viewport().width, 32);
  Draw(MakeQuad(0, 0, 16, 32, 0xFFFF0000));
  api->Gfx_EndScene();
  EXPECT_EQ(fake->presents, 0);  // only the screen's scene presents

  ASSERT_TRUE(api->Gfx_BeginScene());
  gfx::Matrix view;
  device().GetTransform(gfx::TS_View, &view);
  EXPECT_EQ(view.m[3][0], 0.0f);
  EXPECT_EQ(Viewport().width, kWidth);
  api->Gfx_Clear(0xFF000000);
  Draw(MakeQuad(40, 10, 32, 32, 0xFFFFFFFF, api->Target_GetTexture(target)));
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
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) soft().MakeResettable();
    EXPECT_EQ(api->Texture_GetWidth(api->Target_GetTexture(target)), 128);
    EXPECT_EQ(api->Texture_GetHeight(api->Target_GetTexture(target)), 128);
    ASSERT_TRUE(api->Gfx_BeginScene(target));
    std::shared_ptr<gfx::Surface> depth;
    ASSERT_TRUE(gfx::Succeeded(device().GetDepthStencilSurface(&depth)));
    EXPECT_EQ(depth->GetDesc().width, 128);
    EXPECT_EQ(depth->GetDesc().height, 128);
    api->Gfx_EndScene();
  }
}

TEST_F(Target, BadHandlesAreRefused) {
  ASSERT_TRUE(Start());
  EXPECT_FALSE(api->Gfx_BeginScene(0xDEADBEEF));
  EXPECT_STREQ(api->System_GetLastError(), "Gfx_BeginScene: Can't set render target");
  EXPECT_EQ(api->Target_GetTexture(0xDEADBEEF), 0u);
  api->Target_Free(0xDEADBEEF);
  const TargetHandle target = api->Target_Create(8, 8, true);
  const TextureHandle tex = api->Target_GetTexture(target);
  api->Target_Free(target);
  api->Target_Free(target);
  EXPECT_EQ(api->Target_GetTexture(target), 0u);
  EXPECT_EQ(api->Texture_GetWidth(tex), 0);
  EXPECT_EQ(api->Target_Create(0, 8, false), 0u);
  EXPECT_EQ(api->Target_Create(1 << 20, 8, false), 0u);
  EXPECT_STREQ(api->System_GetLastError(), "Can't create render target texture");
}

TEST_F(Target, FreeingTheCurrentTargetForcesATargetChange) {
  ASSERT_TRUE(Start());
  const TargetHandle target = api->Target_Create(8, 8, false);
  ASSERT_TRUE(api->Gfx_BeginScene(target));
  Draw(MakeQuad(0, 0, 4, 4, 0xFFFFFFFF, api->Target_GetTexture(target)));
  api->Target_Free(target);  // while drawing into it
  api->Gfx_Clear(0);
  api->Gfx_SetClipRect(1, 1, 2, 2);
  api->Gfx_EndScene();
  EXPECT_FALSE(api->Gfx_BeginScene(target));  // not "the same target as before"
  device().ResetStats();
  ASSERT_TRUE(api->Gfx_BeginScene());
  EXPECT_EQ(stats().render_target_sets, 1u);
  api->Gfx_Clear(0xFF0000FF);
  api->Gfx_EndScene();
  EXPECT_EQ(Pixel(40, 30), 0x0000FFu);
  EXPECT_EQ(fake->presents, 1);
}

}  // namespace
