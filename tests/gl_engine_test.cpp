// The engine on the real platform with the GL device (run under xvfb-run with Mesa; skipped
// without a display): the backend choice and its log line, and recovery from a lost device
// that also lost its GL context.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/tvk_impl.h"
#include "platform/gfx/device.h"

namespace {

int restores = 0;
bool CountRestore() {
  ++restores;
  return true;
}

class GlEngine : public ::testing::Test {
 protected:
  static constexpr int kW = 64, kH = 48;

  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display: run under xvfb-run";
    char tmpl[] = "/tmp/tvk_gl_XXXXXX";
    dir_ = mkdtemp(tmpl);
    restores = 0;
  }
  void TearDown() override {
    if (e_) e_->Release();
    unsetenv("TVK_RENDERER");
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  bool Start(const char* renderer, int width = kW, int height = kH) {
    if (renderer) setenv("TVK_RENDERER", renderer, 1);
    e_ = static_cast<TVK_Impl*>(TVK_Create(TVK_VERSION));
    e_->UsePlatform(os::CreateSdlPlatform());
    e_->System_SetText(State_LogFile, (dir_ + "/engine.log").c_str());
    e_->System_SetBool(State_UseSound, false);
    e_->System_SetBool(State_Windowed, true);
    e_->System_SetInt(State_ScreenWidth, width);
    e_->System_SetInt(State_ScreenHeight, height);
    e_->System_SetCallback(State_DeviceRestoreFunc, CountRestore);
    return e_->System_Initiate();
  }

  std::string Log() {
    std::ifstream in(dir_ + "/engine.log");
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  gfx::ControlledDevice& Controls() {
    return dynamic_cast<gfx::ControlledDevice&>(*e_->gfx.Device());
  }
  uint32_t Pixel(int x, int y) {
    int w = 0, h = 0;
    return Controls().ReadBackBuffer(&w, &h)[size_t(y) * w + x] & 0xFFFFFF;
  }

  void Draw(TextureHandle tex, float x, float y, float size) {
    Quad q{};
    q.v[0] = {x, y, 0.5f, 0xFFFFFFFF, 0, 0};
    q.v[1] = {x + size, y, 0.5f, 0xFFFFFFFF, 1, 0};
    q.v[2] = {x + size, y + size, 0.5f, 0xFFFFFFFF, 1, 1};
    q.v[3] = {x, y + size, 0.5f, 0xFFFFFFFF, 0, 1};
    q.tex = tex;
    q.blend = Blend_Default;
    e_->Gfx_DrawQuad(&q);
  }

  // A 4x4 managed texture of opaque red; 0 when it cannot be made.
  TextureHandle RedTexture() {
    const TextureHandle tex = e_->Texture_Create(4, 4);
    uint32_t* texels = e_->Texture_Lock(tex, false, 0, 0, 0, 0);
    if (!texels) return 0;
    std::fill(texels, texels + 16, 0xFFFF0000u);
    e_->Texture_Unlock(tex);
    return tex;
  }

  // The target filled with colour, then the screen: the texture at (0, 0), the target at (8, 8).
  bool Frame(TextureHandle tex, TargetHandle target, uint32_t colour) {
    if (!e_->Gfx_BeginScene(target)) return false;
    e_->Gfx_Clear(colour);
    e_->Gfx_EndScene();
    if (!e_->Gfx_BeginScene(0)) return false;
    e_->Gfx_Clear(0xFF000000);
    Draw(tex, 0, 0, 4);
    Draw(e_->Target_GetTexture(target), 8, 8, 16);
    e_->Gfx_EndScene();
    return true;
  }

  TVK_Impl* e_ = nullptr;
  std::string dir_;
};

TEST_F(GlEngine, ChoiceBySpeedIsLoggedAndForcedChoicesAreKept) {
  ASSERT_TRUE(Start(nullptr));
  const std::string log = Log();
  // Mesa here renders on the CPU, so both devices drew the scene and the faster one won.
  EXPECT_NE(log.find("sprite scene: OpenGL "), std::string::npos) << log;
  const bool gl = log.find("Renderer: OpenGL") != std::string::npos;
  EXPECT_EQ(gl, dynamic_cast<gfx::SoftDevice*>(e_->gfx.Device()) == nullptr);
  e_->Release();
  e_ = nullptr;
  ASSERT_TRUE(Start("soft"));
  EXPECT_NE(Log().find("Renderer: software (TVK_RENDERER)"), std::string::npos);
  EXPECT_NE(dynamic_cast<gfx::SoftDevice*>(e_->gfx.Device()), nullptr);
}

TEST_F(GlEngine, LostContextBringsBackManagedTexturesAndTargets) {
  ASSERT_TRUE(Start("gl"));
  ASSERT_NE(Log().find("Renderer: OpenGL"), std::string::npos);
  const TextureHandle tex = RedTexture();
  ASSERT_NE(tex, 0u);
  const TargetHandle target = e_->Target_Create(16, 16, true);
  ASSERT_NE(target, 0u);

  ASSERT_TRUE(Frame(tex, target, 0xFF0000FF));
  EXPECT_EQ(Pixel(1, 1), 0xFF0000u);
  EXPECT_EQ(Pixel(12, 12), 0x0000FFu);

  Controls().LoseDevice();
  const std::string error = e_->System_GetLastError();
  EXPECT_FALSE(e_->Gfx_BeginScene(0));
  EXPECT_EQ(error, e_->System_GetLastError());  // quietly
  EXPECT_EQ(restores, 0);

  Controls().MakeResettable();
  ASSERT_TRUE(Frame(tex, target, 0xFF00FF00));
  EXPECT_EQ(restores, 1);
  EXPECT_EQ(Pixel(1, 1), 0xFF0000u);   // the managed texture came back from its copy
  EXPECT_EQ(Pixel(12, 12), 0x00FF00u);  // the target was made anew and drawn into
  EXPECT_EQ(e_->Texture_GetWidth(e_->Target_GetTexture(target), false), 16);
  EXPECT_EQ(e_->Texture_Lock(tex, true, 0, 0, 0, 0)[5], 0xFFFF0000u);
  e_->Texture_Unlock(tex);
}

// The virtual display of the GL run is 1024x768, so a window of that size has a full-screen
// mode. Every switch resets the device; what the game made must stay, and the sanitizer build
// checks that the resets leak nothing.
TEST_F(GlEngine, HundredFullScreenSwitchesKeepTexturesAndTargets) {
  ASSERT_TRUE(Start("gl", 1024, 768));
  const TextureHandle tex = RedTexture();
  ASSERT_NE(tex, 0u);
  const TargetHandle target = e_->Target_Create(16, 16, false);
  ASSERT_NE(target, 0u);

  for (int i = 0; i < 100; ++i) {
    e_->WindowProc({.type = os::MsgType::SysKeyDown, .key = Key_Enter});
    ASSERT_EQ(e_->System_GetBool(State_Windowed), i % 2 == 1) << "switch " << i;
  }
  ASSERT_TRUE(Frame(tex, target, 0xFF0000FF));
  EXPECT_EQ(Pixel(1, 1), 0xFF0000u);
  EXPECT_EQ(Pixel(12, 12), 0x0000FFu);
  const std::string log = Log();
  EXPECT_EQ(log.find("Can't"), std::string::npos) << log;
}

}  // namespace
