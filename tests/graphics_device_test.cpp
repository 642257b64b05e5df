// The device's life: creation and mode choice, window-mode and filter switches, frame-rate
// resets, child-window resizing, screenshots and shutdown.
#include "graphics_test_support.h"

namespace {

int restores = 0;
bool CountRestore() {
  ++restores;
  return true;
}

class GraphicsDevice : public GfxTest {
 protected:
  void SetUp() override {
    GfxTest::SetUp();
    restores = 0;
  }
};

TEST_F(GraphicsDevice, LogsAdapterAndMode) {
  ASSERT_TRUE(Start());
  const std::string log = Log();
  EXPECT_NE(log.find("D3D Driver: "), std::string::npos);
  EXPECT_NE(log.find("\nDescription: "), std::string::npos);
  EXPECT_NE(log.find("\nVersion: "), std::string::npos);
  EXPECT_NE(log.find("Mode: 80 x 60 x X8R8G8B8\n\n"), std::string::npos);
  EXPECT_TRUE(engine->gfx.HasInterface());
  EXPECT_TRUE(engine->gfx.HasDevice());
  // The window got the windowed style and the first frame is cleared to black.
  ASSERT_FALSE(fake->mode_changes.empty());
  EXPECT_EQ(fake->mode_changes.back(), os::WindowMode::Windowed);
  EXPECT_EQ(Pixel(0, 0), 0u);
}

TEST_F(GraphicsDevice, WindowedBitDepthComesFromTheDesktop) {
  engine->System_SetInt(State_ScreenBpp, 16);
  ASSERT_TRUE(Start());
  EXPECT_EQ(engine->System_GetInt(State_ScreenBpp), 32);
}

TEST_F(GraphicsDevice, NoFullScreenModeOfTheSizeRefusesTheSwitch) {
  fake->modes = {{640, 480, 32, 60}};
  engine->System_SetBool(State_Windowed, true);
  ASSERT_TRUE(Initiate());
  const std::string log = Log();
  EXPECT_NE(log.find("Can't find appropriate full screen video mode"), std::string::npos);
  EXPECT_NE(log.find("Mode: 800 x 600 x UNKNOWN\n"), std::string::npos);
  const size_t changes = fake->mode_changes.size();
  engine->System_SetBool(State_Windowed, false);
  EXPECT_TRUE(engine->System_GetBool(State_Windowed));
  EXPECT_EQ(fake->mode_changes.size(), changes);
}

TEST_F(GraphicsDevice, FullScreenNeedsAModeOfTheRequestedDepth) {
  engine->System_SetInt(State_ScreenBpp, 16);  // the fake desktop offers 32-bit modes only
  ASSERT_FALSE(Initiate());
  EXPECT_STREQ(engine->System_GetLastError(), "Can't find appropriate full screen video mode");
  EXPECT_FALSE(engine->gfx.HasInterface());
}

TEST_F(GraphicsDevice, SwitchesBetweenWindowedAndFullScreen) {
  ASSERT_TRUE(Start());
  engine->System_SetCallback(State_DeviceRestoreFunc, CountRestore);
  fake->window_rect = {5, 6, 105, 86};
  engine->System_SetBool(State_Windowed, false);
  EXPECT_FALSE(engine->System_GetBool(State_Windowed));
  EXPECT_EQ(fake->mode_changes.back(), os::WindowMode::FullScreen);
  EXPECT_EQ(restores, 1);
  EXPECT_EQ(engine->System_GetInt(State_ScreenBpp), 32);
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  api->Gfx_Clear(0xFF123456);
  api->Gfx_EndScene();
  EXPECT_EQ(Pixel(79, 59), 0x123456u);

  engine->System_SetBool(State_Windowed, true);
  EXPECT_EQ(fake->mode_changes.back(), os::WindowMode::Windowed);
  EXPECT_EQ(fake->window_rect.left, 5);  // the rectangle saved when leaving
  EXPECT_EQ(fake->window_rect.bottom, 86);
  EXPECT_EQ(restores, 2);
}

TEST_F(GraphicsDevice, NoSwitchDuringAScene) {
  ASSERT_TRUE(Start());
  const size_t changes = fake->mode_changes.size();
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  engine->System_SetBool(State_Windowed, false);
  engine->gfx.SwitchWindowed(false);
  EXPECT_TRUE(engine->System_GetBool(State_Windowed));
  api->Gfx_EndScene();
  EXPECT_EQ(fake->mode_changes.size(), changes);
}

TEST_F(GraphicsDevice, TextureFilterSwitchFlushesAndSetsTheSampler) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  const Quad q = MakeQuad(0, 0, 4, 4, 0xFFFFFFFF);
  api->Gfx_DrawQuad(&q);
  device().ResetStats();
  engine->System_SetBool(State_TextureFilter, false);
  EXPECT_EQ(stats().draw_calls, 1u);
  uint32_t mag = 0, min = 0;
  device().GetSamplerState(0, gfx::SAMP_MagFilter, &mag);
  device().GetSamplerState(0, gfx::SAMP_MinFilter, &min);
  EXPECT_EQ(mag, uint32_t(gfx::Filter_Point));
  EXPECT_EQ(min, uint32_t(gfx::Filter_Point));
  engine->System_SetBool(State_TextureFilter, true);
  device().GetSamplerState(0, gfx::SAMP_MagFilter, &mag);
  EXPECT_EQ(mag, uint32_t(gfx::Filter_Linear));
  api->Gfx_EndScene();
}

TEST_F(GraphicsDevice, FrameRateSignChangeResetsTheDevice) {
  ASSERT_TRUE(Start());
  engine->System_SetCallback(State_DeviceRestoreFunc, CountRestore);
  engine->System_SetInt(State_Fps, 60);
  EXPECT_EQ(restores, 0);
  engine->System_SetInt(State_Fps, Fps_VSync);
  EXPECT_EQ(restores, 1);
  engine->System_SetInt(State_Fps, -5);
  EXPECT_EQ(restores, 1);
  engine->System_SetInt(State_Fps, 0);
  EXPECT_EQ(restores, 2);
  // The device still draws afterwards.
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  api->Gfx_Clear(0xFF00FF00);
  api->Gfx_EndScene();
  EXPECT_EQ(Pixel(1, 1), 0x00FF00u);
}

TEST_F(GraphicsDevice, ChildWindowResizesTheBackBuffer) {
  engine->System_SetWindow(State_ParentWindow, reinterpret_cast<void*>(0x77));
  ASSERT_TRUE(Start());
  EXPECT_EQ(fake->mode_changes.back(), os::WindowMode::Child);
  engine->gfx.ResizeBackBuffer(200, 100);
  EXPECT_EQ(engine->System_GetInt(State_ScreenWidth), 200);
  EXPECT_EQ(engine->System_GetInt(State_ScreenHeight), 100);
  engine->gfx.ResizeBackBuffer(0, 100);  // ignored
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  api->Gfx_Clear(0xFF000000);
  const Quad q = MakeQuad(190, 90, 10, 10, 0xFFFF0000);
  api->Gfx_DrawQuad(&q);
  api->Gfx_EndScene();
  EXPECT_EQ(fake->present_w, 200);
  EXPECT_EQ(fake->present_h, 100);
  EXPECT_EQ(Pixel(199, 99), 0xFF0000u);
  EXPECT_EQ(Pixel(189, 89), 0u);
}

TEST_F(GraphicsDevice, ResizeOutsideChildModeDoesNothing) {
  ASSERT_TRUE(Start());
  engine->gfx.ResizeBackBuffer(200, 100);
  EXPECT_EQ(engine->System_GetInt(State_ScreenWidth), kWidth);
}

TEST_F(GraphicsDevice, SaveShotWritesTheLastFrameAsBmp) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  api->Gfx_Clear(0xFF000000);
  const Quad q = MakeQuad(10, 10, 5, 5, 0xFF20C040);
  api->Gfx_DrawQuad(&q);
  api->Gfx_EndScene();
  const std::string path = Path("shot.bmp");
  engine->System_SaveShot(path.c_str());
  const std::string bytes = ReadFile(path);
  ASSERT_GT(bytes.size(), 54u);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  image::Image img;
  ASSERT_TRUE(image::DecodeImage(bytes.data(), bytes.size(), &img));
  EXPECT_EQ(img.width, kWidth);
  EXPECT_EQ(img.height, kHeight);
  auto at = [&](int x, int y) {
    uint32_t p;
    std::memcpy(&p, &img.data[(size_t(y) * img.width + x) * 4], 4);
    return p & 0xFFFFFF;
  };
  EXPECT_EQ(at(12, 12), 0x20C040u);
  EXPECT_EQ(at(9, 12), 0u);

  engine->System_SaveShot(Path("no/such/folder/shot.bmp").c_str());  // logged, nothing else
  EXPECT_NE(Log().find("Can't save screenshot"), std::string::npos);
}

TEST_F(GraphicsDevice, ReleaseLeavesNothingBehind) {
  ASSERT_TRUE(Start());
  api->Texture_Create(4, 4);
  api->Target_Create(8, 8, true);
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  engine->System_Finish();  // in the middle of a scene
  EXPECT_FALSE(engine->gfx.HasInterface());
  EXPECT_FALSE(engine->gfx.HasDevice());
  EXPECT_FALSE(engine->gfx.InScene());
  EXPECT_FALSE(api->Gfx_BeginScene(0));
  api->Gfx_EndScene();
  api->Gfx_Clear(0);
  api->Gfx_SetClipRect(1, 1, 2, 2);
  api->Gfx_SetViewTransform(1, 1, 1, 1, 1, 1, 1);
  EXPECT_EQ(api->Target_Create(8, 8, false), 0u);
  engine->System_SaveShot(Path("after.bmp").c_str());
  // A second start works from scratch.
  ASSERT_TRUE(Start());
  ASSERT_TRUE(api->Gfx_BeginScene(0));
  api->Gfx_EndScene();
}

}  // namespace
