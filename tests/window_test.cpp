// The window side: a hosted engine handles its window's messages, mouse events carry the
// lock keys, repeated full-screen switches, and opening files with the desktop's opener. How
// the SDL layer turns real key presses into messages is checked end to end (tests/e2e).
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "graphics_test_support.h"
#include "platform/os/shell_open.h"

namespace {

std::vector<InputEvent> g_events;
bool LogEvents() {
  InputEvent ev;
  while (TVK_Impl::Instance()->Input_NextEvent(&ev)) g_events.push_back(ev);
  return false;
}

class WindowTest : public GfxTest {
 protected:
  void SetUp() override {
    GfxTest::SetUp();
    g_events.clear();
    fake->tick_per_read = 1;  // every clock read lets a millisecond pass, as spinning would
  }
  bool StartHosted() {
    api->System_SetWindow(State_ParentWindow, reinterpret_cast<void*>(0x77));
    api->System_SetCallback(State_FrameFunc, LogEvents);
    return Start();
  }
};

TEST_F(WindowTest, HostedEngineHandlesItsMessagesEachCall) {
  ASSERT_TRUE(StartHosted());
  fake->messages.push_back({.type = os::MsgType::KeyDown, .key = Key_A, .chr = 'a'});
  fake->messages.push_back({.type = os::MsgType::Size, .width = 120, .height = 90});
  ASSERT_TRUE(api->System_Start());
  ASSERT_EQ(g_events.size(), 1u);
  EXPECT_EQ(g_events[0].key, Key_A);
  EXPECT_EQ(g_events[0].chr, 'a');
  EXPECT_EQ(api->System_GetInt(State_ScreenWidth), 120);  // the back buffer followed
  EXPECT_EQ(api->System_GetInt(State_ScreenHeight), 90);

  fake->messages.push_back({.type = os::MsgType::ButtonDown, .key = 1, .x = 5, .y = 6});
  ASSERT_TRUE(api->System_Start());
  ASSERT_EQ(g_events.size(), 2u);
  EXPECT_EQ(g_events[1].type, Event_ButtonDown);
}

TEST_F(WindowTest, HostedEngineWithoutFocusStillRunsTheFrameItIsAskedFor) {
  ASSERT_TRUE(StartHosted());
  fake->messages.push_back({.type = os::MsgType::Activate, .active = true});
  fake->messages.push_back({.type = os::MsgType::Activate, .active = false});
  // Were it to wait for focus, focus comes back after a while, so the test cannot hang.
  fake->on_sleep = [this] {
    if (fake->sleeps == 100) fake->messages.push_back({.type = os::MsgType::Activate, .active = true});
  };
  ASSERT_TRUE(api->System_Start());
  EXPECT_LT(fake->sleeps, 100);
}

TEST_F(WindowTest, MouseEventsCarryTheLockKeysFromTheStart) {
  ASSERT_TRUE(Start());
  engine->WindowProc({.type = os::MsgType::ButtonDown, .key = 1, .mods = os::Mod_Caps | os::Mod_Scroll});
  engine->WindowProc({.type = os::MsgType::KeyDown, .key = Key_Shift, .mods = os::Mod_Shift | os::Mod_Caps});
  engine->WindowProc({.type = os::MsgType::MouseMove, .mods = os::Mod_Shift | os::Mod_Caps | os::Mod_Num, .x = 3});
  engine->WindowProc({.type = os::MsgType::ButtonUp, .key = 1, .mods = os::Mod_Ctrl});
  std::vector<int> flags;
  InputEvent ev;
  while (api->Input_NextEvent(&ev)) flags.push_back(ev.flags);
  EXPECT_EQ(flags, (std::vector<int>{Flag_CapsLock | Flag_ScrollLock, Flag_Shift | Flag_CapsLock,
                                     Flag_Shift | Flag_CapsLock | Flag_NumLock, Flag_Ctrl}));
  EXPECT_TRUE(api->Key_IsDown(Key_Ctrl));  // modifier keys follow every message
  EXPECT_FALSE(api->Key_IsDown(Key_Shift));
}

// Alt+Enter a hundred times over, with a texture and a render target alive: every switch
// resets the device and restyles the window, the frame after the last one is drawn whole,
// and (under the leak checker) nothing is left behind.
TEST_F(WindowTest, HundredFullScreenSwitchesKeepTheDeviceWhole) {
  ASSERT_TRUE(Start());
  const TextureHandle tex = api->Texture_Create(8, 8);
  const TargetHandle target = api->Target_Create(16, 16, false);
  ASSERT_TRUE(tex && target);
  const size_t styled = fake->mode_changes.size();
  for (int i = 0; i < 100; ++i) engine->WindowProc({.type = os::MsgType::SysKeyDown, .key = Key_Enter});
  EXPECT_TRUE(api->System_GetBool(State_Windowed));  // an even number of switches
  ASSERT_EQ(fake->mode_changes.size(), styled + 100);
  EXPECT_EQ(fake->mode_changes[styled], os::WindowMode::FullScreen);
  EXPECT_EQ(fake->mode_changes.back(), os::WindowMode::Windowed);
  EXPECT_EQ(api->Texture_GetWidth(tex), 8);
  ASSERT_TRUE(api->Gfx_BeginScene());
  api->Gfx_Clear(0xFF102030);
  const Quad q = MakeQuad(kWidth - 4, kHeight - 4, 4, 4, 0xFFFFFFFF);
  api->Gfx_DrawQuad(&q);
  api->Gfx_EndScene();
  EXPECT_EQ(fake->present_w, kWidth);
  EXPECT_EQ(Pixel(0, 0), 0x102030u);
  EXPECT_EQ(Pixel(kWidth - 1, kHeight - 1), 0xFFFFFFu);
  api->Target_Free(target);
  api->Texture_Free(tex);
}

// The opener is a script that notes its arguments and ends with the status it is told.
class ShellOpen : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tvk_open_XXXXXX";
    dir = mkdtemp(tmpl);
    path = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", dir.c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", path.c_str(), 1);
    std::filesystem::remove_all(dir);
  }
  void Opener(int status) {
    const std::string script = dir + "/xdg-open";
    std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > " << dir << "/args\nexit "
                          << status << "\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  }
  std::string Args() {
    std::ifstream in(dir + "/args");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string dir, path;
};

TEST_F(ShellOpen, ReportsWhatTheOpenerSaid) {
  EXPECT_FALSE(os::OpenWithDefaultProgram("https://example.org/"));  // no opener at all
  Opener(0);
  EXPECT_TRUE(os::OpenWithDefaultProgram("https://example.org/"));
  EXPECT_EQ(Args(), "https://example.org/\n");
  Opener(2);  // the opener's "file does not exist"
  EXPECT_FALSE(os::OpenWithDefaultProgram("missing.txt"));
  EXPECT_FALSE(os::OpenWithDefaultProgram(""));
}

TEST_F(ShellOpen, TargetIsNeverAnOption) {
  Opener(0);
  EXPECT_TRUE(os::OpenWithDefaultProgram("--help"));
  EXPECT_EQ(Args(), "./--help\n");
}

}  // namespace
