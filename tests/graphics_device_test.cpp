// The device's life: creation and mode choice, window-mode and filter switches, frame-rate
// resets, child-window resizing, screenshots and shutdown.
#include <filesystem>
#include <fstream>

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
  void Fill(uint32_t color) {
    ASSERT_TRUE(api->Gfx_BeginScene());
    api->Gfx_Clear(color);
    api->Gfx_EndScene();
  }
};

TEST_F(GraphicsDevice, LogsAdapterAndMode) {
  ASSERT_TRUE(Start());
  const std::string log = Log();
  for (const char* line : {"D3D Driver: ", "\nDescription: ", "\nVersion: ",
                           "\nMode: 80 x 60 x X8R8G8B8\n"})
    EXPECT_NE(log.find(line), std::string::npos) << line;
  EXPECT_EQ(fake->mode_changes.back(), os::WindowMode::Windowed);
  EXPECT_EQ(fake->presents, 0);
}

TEST_F(GraphicsDevice, WindowedStartWithoutAFullScreenModeRefusesTheSwitch) {
  fake->modes = {{640, 480, 32, 60}};
  api->System_SetBool(State_Windowed, true);
  api->System_SetInt(State_ScreenBpp, 16);
  ASSERT_TRUE(Initiate());
  EXPECT_EQ(api->System_GetInt(State_ScreenBpp), 32);  // the desktop's
  const std::string log = Log();
  EXPECT_NE(log.find("Can't find appropriate full screen video mode"), std::string::npos);
  EXPECT_NE(log.find("Mode: 800 x 600 x UNKNOWN\n"), std::string::npos);
  const size_t changes = fake->mode_changes.size();
  api->System_SetBool(State_Windowed, false);
  EXPECT_TRUE(api->System_GetBool(State_Windowed));
  EXPECT_EQ(fake->mode_changes.size(), changes);
}

TEST_F(GraphicsDevice, FullScreenNeedsAModeOfTheRequestedDepth) {
  api->System_SetInt(State_ScreenBpp, 16);  // the fake desktop has 32-bit modes only
  ASSERT_FALSE(Initiate());
  EXPECT_STREQ(api->System_GetLastError(), "Can't find appropriate full screen video mode");
  EXPECT_FALSE(engine->gfx.HasInterface());
}

TEST_F(GraphicsDevice, SwitchesBetweenWindowedAndFullScreen) {
  ASSERT_TRUE(Start());
  api->System_SetCallback(State_DeviceRestoreFunc, CountRestore);
  ASSERT_TRUE(api->Gfx_BeginScene());
  api->System_SetBool(State_Windowed, false);  // not during a scene
  engine->gfx.SwitchWindowed(false);
  api->Gfx_EndScene();
  EXPECT_TRUE(api->System_GetBool(State_Windowed));

  fake->window_rect = {5, 6, 105, 86};
  api->System_SetBool(State_Windowed, false);
  EXPECT_FALSE(api->System_GetBool(State_Windowed));
  EXPECT_EQ(fake->mode_changes.back(), os::WindowMode::FullScreen);
  EXPECT_EQ(restores, 1);
  Fill(0xFF123456);
  EXPECT_EQ(Pixel(79, 59), 0x123456u);
  api->System_SetBool(State_Windowed, true);
  EXPECT_EQ(fake->mode_changes.back(), os::WindowMode::Windowed);
  EXPECT_EQ(fake->window_rect.left, 5);  // the rectangle saved when leaving
  EXPECT_EQ(fake->window_rect.bottom, 86);
  EXPECT_EQ(restores, 2);
}

TEST_F(GraphicsDevice, TextureFilterSwitchFlushesAndSetsTheSampler) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(api->Gfx_BeginScene());
  const Quad q = MakeQuad(0, 0, 4, 4, 0xFFFFFFFF);
  api->Gfx_DrawQuad(&q);
  device().ResetStats();
  for (bool on : {false, true}) {
    api->System_SetBool(State_TextureFilter, on);
    uint32_t mag = 0, min = 0;
    device().GetSamplerState(0, gfx::SAMP_MagFilter, &mag);
    device().GetSamplerState(0, gfx::SAMP_MinFilter, &min);
    const uint32_t expected = on ? gfx::Filter_Linear : gfx::Filter_Point;
    EXPECT_EQ(mag, expected);
    EXPECT_EQ(min, expected);
  }
  EXPECT_EQ(stats().draw_calls, 1u);
  api->Gfx_EndScene();
}

TEST_F(GraphicsDevice, FrameRateSignChangeResetsTheDevice) {
  ASSERT_TRUE(Start());
  api->System_SetCallback(State_DeviceRestoreFunc, CountRestore);
  for (auto [fps, expected] : {std::pair{60, 0}, {Fps_VSync, 1}, {-5, 1}, {0, 2}}) {
    api->System_SetInt(State_Fps, fps);
    EXPECT_EQ(restores, expected) << fps;
  }
  Fill(0xFF00FF00);
  EXPECT_EQ(Pixel(1, 1), 0x00FF00u);
}

TEST_F(GraphicsDevice, ChildWindowResizesTheBackBuffer) {
  api->System_SetWindow(State_ParentWindow, reinterpret_cast<void*>(0x77));
  ASSERT_TRUE(Start());
  EXPECT_EQ(fake->mode_changes.back(), os::WindowMode::Child);
  engine->gfx.ResizeBackBuffer(200, 100);
  engine->gfx.ResizeBackBuffer(0, 100);  // ignored
  EXPECT_EQ(api->System_GetInt(State_ScreenWidth), 200);
  EXPECT_EQ(api->System_GetInt(State_ScreenHeight), 100);
  ASSERT_TRUE(api->Gfx_BeginScene());
  api->Gfx_Clear(0xFF000000);
  const Quad q = MakeQuad(190, 90, 10, 10, 0xFFFF0000);
  api->Gfx_DrawQuad(&q);
  api->Gfx_EndScene();
  EXPECT_EQ(fake->present_w, 200);
  EXPECT_EQ(Pixel(199, 99), 0xFF0000u);
  EXPECT_EQ(Pixel(189, 89), 0u);
}

TEST_F(GraphicsDevice, SaveShotWritesTheLastFrameAsBmp) {
  ASSERT_TRUE(Start());
  engine->gfx.ResizeBackBuffer(200, 100);  // not a child window: ignored
  Fill(0xFF20C040);
  const std::string path = Path("shot.bmp");
  api->System_SaveShot(path.c_str());
  const std::string bytes = ReadFile(path);
  ASSERT_EQ(bytes.substr(0, 2), "BM");
  image::Image img;
  ASSERT_TRUE(image::DecodeImage(bytes.data(), bytes.size(), &img));
  EXPECT_EQ(img.width, kWidth);
  EXPECT_EQ(img.height, kHeight);
  EXPECT_EQ(img.data[0] | img.data[1] << 8 | img.data[2] << 16, 0x20C040);
  api->System_SaveShot(Path("no/such/folder/shot.bmp").c_str());
  EXPECT_NE(Log().find("Can't save screenshot"), std::string::npos);
}

TEST_F(GraphicsDevice, SaveShotWithoutANameNumbersAfterTheShotsPresent) {
  namespace fs = std::filesystem;
  ASSERT_TRUE(Start());
  const fs::path folder = engine->res.ProgramFolder();
  auto shot = [&](int n) { return folder / ("shot00" + std::to_string(n) + ".bmp"); };
  for (int n = 0; n < 3; ++n)
    if (fs::exists(shot(n))) GTEST_SKIP() << "the program folder already holds " << shot(n);
  std::ofstream(shot(0)) << "x";
  std::ofstream(shot(1)) << "x";
  Fill(0xFF000000);
  api->System_SaveShot();
  EXPECT_EQ(ReadFile(shot(2)).substr(0, 2), "BM");
  for (int n = 0; n < 3; ++n) fs::remove(shot(n));
}

TEST_F(GraphicsDevice, ReleaseLeavesNothingBehind) {
  ASSERT_TRUE(Start());
  const TextureHandle made = api->Texture_Create(4, 4);
  const TextureHandle loaded = LoadBytes(Png(1, 1, {0xFFFFFFFF}));
  api->Target_Create(8, 8, true);
  ASSERT_TRUE(api->Gfx_BeginScene());
  api->System_Finish();  // in the middle of a scene
  EXPECT_FALSE(engine->gfx.HasInterface() || engine->gfx.HasDevice() || engine->gfx.InScene());
  for (TextureHandle h : {made, loaded}) {  // owners freeing late reach nothing
    EXPECT_EQ(api->Texture_GetWidth(h), 0);
    EXPECT_EQ(api->Texture_Lock(h), nullptr);
    api->Texture_Free(h);
  }
  EXPECT_FALSE(api->Gfx_BeginScene());
  api->Gfx_EndScene();
  api->Gfx_Clear(0);
  api->Gfx_SetClipRect(1, 1, 2, 2);
  api->Gfx_SetViewTransform(1, 1, 1, 1, 1, 1, 1);
  EXPECT_EQ(api->Target_Create(8, 8, false), 0u);
  EXPECT_EQ(api->Texture_Create(4, 4), 0u);
  api->System_SaveShot(Path("after.bmp").c_str());
  ASSERT_TRUE(Start());  // a second start works from scratch
  Fill(0xFF0000FF);
  EXPECT_EQ(Pixel(0, 0), 0x0000FFu);
}

}  // namespace
