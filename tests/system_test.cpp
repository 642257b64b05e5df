// The engine object's lifecycle, states, main loop pacing and window procedure.
#include <vector>

#include "support/engine_fixture.h"

namespace {

// Callbacks are plain functions, so the tests share their counters through globals.
int g_frames, g_renders, g_exit_asks, g_focus_lost, g_focus_gained;
bool g_exit_answer;
std::vector<float> g_deltas;
std::vector<int> g_fps;
FakePlatform* g_fake;
TVK* g_engine;
int g_stop_after;
uint32_t g_frame_cost_ms, g_stall_ms;
int g_stall_on_frame;

void ResetCounters() {
  g_frames = g_renders = g_exit_asks = g_focus_lost = g_focus_gained = 0;
  g_exit_answer = true;
  g_deltas.clear();
  g_fps.clear();
  g_stop_after = 1;
  g_frame_cost_ms = g_stall_ms = 0;
  g_stall_on_frame = -1;
}

bool CountingFrame() {
  ++g_frames;
  g_deltas.push_back(g_engine->Clock_GetDelta());
  g_fps.push_back(g_engine->Clock_GetFps());
  g_fake->now += g_frame_cost_ms;
  if (g_frames == g_stall_on_frame) g_fake->now += g_stall_ms;
  return g_frames >= g_stop_after;
}
bool CountingRender() { return ++g_renders, false; }
bool ExitFunc() { return ++g_exit_asks, g_exit_answer; }
bool FocusLost() { return ++g_focus_lost, false; }
bool FocusGained() { return ++g_focus_gained, false; }

os::Message Msg(os::MsgType type, int key = 0) { return {.type = type, .key = key}; }

}  // namespace

class SystemTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    ResetCounters();
    g_fake = fake;
    g_engine = engine;
    fake->tick_per_read = 1;  // every clock read lets a millisecond pass, as spinning would
  }
  void RunFrames(int fps, int frames) {
    engine->System_SetInt(State_Fps, fps);
    engine->System_SetCallback(State_FrameFunc, CountingFrame);
    g_stop_after = frames;
    ASSERT_TRUE(Initiate());
    ASSERT_TRUE(engine->System_Start());
  }
};

TEST(SystemFactory, ReferenceCountKeepsOneObjectUntilTheLastRelease) {
  EXPECT_EQ(TVK_Create(0x17F), nullptr);
  TVK* a = TVK_Create(TVK_VERSION);
  TVK* b = TVK_Create(TVK_VERSION);
  EXPECT_EQ(a, b);
  a->System_SetInt(State_ScreenWidth, 1024);
  a->Release();
  EXPECT_EQ(TVK_Impl::Instance(), b);
  EXPECT_EQ(b->System_GetInt(State_ScreenWidth), 1024);
  b->Release();
  EXPECT_EQ(TVK_Impl::Instance(), nullptr);
  TVK* c = TVK_Create(TVK_VERSION);
  EXPECT_EQ(c->System_GetInt(State_ScreenWidth), 800);
  c->Release();
}

TEST_F(SystemTest, StatesHaveTheirDefaults) {
  EXPECT_FALSE(engine->System_GetBool(State_Windowed));
  EXPECT_FALSE(engine->System_GetBool(State_ZBuffer));
  EXPECT_TRUE(engine->System_GetBool(State_TextureFilter));
  EXPECT_TRUE(engine->System_GetBool(State_UseSound));
  EXPECT_FALSE(engine->System_GetBool(State_RunInBackground));
  EXPECT_TRUE(engine->System_GetBool(State_HideCursor));
  for (int id = State_FrameFunc; id <= State_ExitFunc; ++id)
    EXPECT_EQ(engine->System_GetCallback(CallbackState(id)), nullptr);
  EXPECT_EQ(engine->System_GetWindow(State_WindowHandle), nullptr);
  EXPECT_EQ(engine->System_GetWindow(State_ParentWindow), nullptr);
  const int ints[][2] = {{State_ScreenWidth, 800}, {State_ScreenHeight, 600},
                         {State_ScreenBpp, 32},    {State_SampleRate, 44100},
                         {State_EffectVolume, 100}, {State_MusicVolume, 100},
                         {State_StreamVolume, 100}, {State_Fps, 0},
                         {State_PowerStatus, -2}};
  for (auto& [id, value] : ints) EXPECT_EQ(engine->System_GetInt(IntState(id)), value) << id;
  EXPECT_EQ(engine->System_GetText(State_Icon), nullptr);
  EXPECT_STREQ(engine->System_GetText(State_Title), "TVK");
  EXPECT_EQ(engine->System_GetText(State_IniFile), nullptr);
  EXPECT_EQ(engine->System_GetText(State_LogFile), nullptr);
}

TEST_F(SystemTest, IdsOfOtherTypesAndUnusedIdsDoNothing) {
  for (int id : {0, 7, 14, int(State_FrameFunc), int(State_ScreenWidth), int(State_Title), 30, -1}) {
    engine->System_SetBool(BoolState(id), true);
    EXPECT_FALSE(engine->System_GetBool(BoolState(id))) << id;
    engine->System_SetInt(IntState(id), 5);
    EXPECT_EQ(engine->System_GetInt(IntState(id)), id == State_ScreenWidth ? 5 : 0) << id;
    engine->System_SetCallback(CallbackState(id), ExitFunc);
    EXPECT_EQ(engine->System_GetCallback(CallbackState(id)),
              id == State_FrameFunc ? ExitFunc : nullptr);
    engine->System_SetText(TextState(id), "x");
    EXPECT_EQ(engine->System_GetText(TextState(id)), id == State_Title ? engine->title : nullptr);
    engine->System_SetWindow(WindowState(id), reinterpret_cast<void*>(1));
    EXPECT_EQ(engine->System_GetWindow(WindowState(id)), nullptr);
  }
  engine->System_SetInt(State_PowerStatus, 50);
  EXPECT_EQ(engine->System_GetInt(State_PowerStatus), -2);
}

TEST_F(SystemTest, TextStates) {
  std::string long_title(400, 't');
  engine->System_SetText(State_Title, long_title.c_str());
  EXPECT_EQ(strlen(engine->System_GetText(State_Title)), 255u);
  engine->System_SetText(State_Title, nullptr);
  EXPECT_STREQ(engine->System_GetText(State_Title), "");

  static const char icon_name[] = "main";
  engine->System_SetText(State_Icon, icon_name);
  EXPECT_EQ(engine->System_GetText(State_Icon), icon_name);

  engine->System_SetText(State_IniFile, Path("game.ini").c_str());
  EXPECT_EQ(std::string(engine->System_GetText(State_IniFile)), Path("game.ini"));
  engine->System_SetText(State_IniFile, nullptr);
  EXPECT_EQ(engine->System_GetText(State_IniFile), nullptr);

  // A log file is created or truncated at once; an unwritable one is dropped silently.
  std::ofstream(Path("old.log")) << "stale";
  engine->System_SetText(State_LogFile, Path("old.log").c_str());
  EXPECT_EQ(ReadFile(Path("old.log")), "");
  engine->System_SetText(State_LogFile, Path("missing/dir/x.log").c_str());
  EXPECT_EQ(engine->System_GetText(State_LogFile), nullptr);
  engine->System_WriteLog("nothing %d", 1);
  engine->PostError("still kept %s", "here");
  EXPECT_STREQ(engine->System_GetLastError(), "still kept here");
}

TEST_F(SystemTest, FrameRateGivesTheFixedInterval) {
  const int cases[][2] = {{60, 16}, {50, 20}, {1000, 1}, {0, 0}, {-5, 0}, {-1, 0}, {99999, 0}};
  for (auto& [fps, interval] : cases) {
    engine->System_SetInt(State_Fps, fps);
    EXPECT_EQ(engine->FixedInterval(), uint32_t(interval)) << fps;
    EXPECT_EQ(engine->System_GetInt(State_Fps), fps);
  }
}

TEST_F(SystemTest, InitiateWritesTheLogHeaderAndFinishEndsIt) {
  engine->System_SetText(State_Title, "My Game");
  ASSERT_TRUE(Initiate());
  EXPECT_TRUE(fake->window);
  EXPECT_NE(engine->System_GetWindow(State_WindowHandle), nullptr);
  engine->System_Finish();
  EXPECT_FALSE(fake->window);
  std::string log = ReadFile(Path("engine.log"));
  EXPECT_EQ(log.rfind("Tarvok Started..\n\nTarvok version: 1.80\nDate: ", 0), 0u) << log;
  EXPECT_NE(log.find("\nApplication: My Game\nSystem: Linux 6.1.0\n"
                     "Memory: 1048576K total, 524288K free\n\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Init done.\n\n\nFinishing..\nThe End.\n"), std::string::npos) << log;
}

TEST_F(SystemTest, WindowPlacement) {
  engine->System_SetBool(State_Windowed, true);
  ASSERT_TRUE(Initiate());
  EXPECT_EQ(fake->created.mode, os::WindowMode::Windowed);
  EXPECT_EQ(fake->created.rect.left, 112);  // centred on the 1024x768 desktop
  EXPECT_EQ(fake->created.rect.top, 84);
  EXPECT_EQ(fake->created.rect.right, 912);
  EXPECT_EQ(fake->created.title, "TVK");
}

TEST_F(SystemTest, ChildWindowIsForcedWindowedAndParentIsFixedOnceTheWindowExists) {
  engine->System_SetWindow(State_ParentWindow, reinterpret_cast<void*>(0x77));
  ASSERT_TRUE(Initiate());
  EXPECT_EQ(fake->created.mode, os::WindowMode::Child);
  EXPECT_EQ(fake->created.rect.left, 0);
  EXPECT_EQ(fake->created.rect.right, 800);
  EXPECT_TRUE(engine->System_GetBool(State_Windowed));
  engine->System_SetWindow(State_ParentWindow, nullptr);
  EXPECT_EQ(engine->System_GetWindow(State_ParentWindow), reinterpret_cast<void*>(0x77));
  engine->WindowProc({os::MsgType::SysKeyDown, Key_Enter});
  EXPECT_TRUE(engine->System_GetBool(State_Windowed));  // Alt+Enter does nothing for a child
}

TEST_F(SystemTest, FailedWindowCreationReportsAndFails) {
  fake->fail_create = true;
  EXPECT_FALSE(Initiate());
  EXPECT_STREQ(engine->System_GetLastError(), "Can't create window");
}

TEST_F(SystemTest, StartNeedsInitiateAndAFrameFunction) {
  EXPECT_FALSE(engine->System_Start());
  EXPECT_STREQ(engine->System_GetLastError(), "System_Start: System_Initiate wasn't ed");
  ASSERT_TRUE(Initiate());
  EXPECT_FALSE(engine->System_Start());
  EXPECT_STREQ(engine->System_GetLastError(), "System_Start: No frame function defined");
}

TEST_F(SystemTest, FrameFunctionEndingAtOnceRunsOneFrameWithoutRendering) {
  engine->System_SetCallback(State_RenderFunc, CountingRender);
  RunFrames(0, 1);
  EXPECT_EQ(g_frames, 1);
  EXPECT_EQ(g_renders, 0);
}

TEST_F(SystemTest, FixedFrameRateGivesDeltasOfTheInterval) {
  engine->System_SetCallback(State_RenderFunc, CountingRender);
  g_frame_cost_ms = 5;
  RunFrames(50, 10);
  ASSERT_EQ(g_deltas.size(), 10u);
  for (size_t i = 1; i < g_deltas.size(); ++i) EXPECT_NEAR(g_deltas[i], 0.02f, 0.0015f) << i;
  EXPECT_EQ(g_renders, 9);
  EXPECT_NEAR(engine->Clock_GetTime(), 0.2f, 0.02f);
}

TEST_F(SystemTest, StallGivesASmallDelta) {
  g_stall_on_frame = 2;
  g_stall_ms = 1000;
  RunFrames(0, 3);
  EXPECT_FLOAT_EQ(g_deltas[2], 0.01f);
}

TEST_F(SystemTest, StallWithFixedRateGivesTheInterval) {
  g_stall_on_frame = 2;
  g_stall_ms = 1000;
  RunFrames(50, 3);
  EXPECT_FLOAT_EQ(g_deltas[2], 0.02f);
}

TEST_F(SystemTest, FramesPerSecondIsZeroInTheFirstSecond) {
  g_frame_cost_ms = 9;  // about 100 frames a second with the clock reads
  RunFrames(0, 250);
  EXPECT_EQ(g_fps[50], 0);
  int last = g_fps.back();
  EXPECT_GT(last, 80);
  EXPECT_LT(last, 111);
}

TEST_F(SystemTest, InactiveWindowSleepsUntilFocusReturns) {
  ASSERT_TRUE(Initiate());
  engine->System_SetCallback(State_FrameFunc, CountingFrame);
  fake->messages.push_back({.type = os::MsgType::Activate, .active = false});
  fake->on_sleep = [this] {
    if (fake->sleeps == 5) fake->messages.push_back({.type = os::MsgType::Activate, .active = true});
  };
  g_stop_after = 1;
  ASSERT_TRUE(engine->System_Start());
  EXPECT_EQ(g_frames, 1);
  EXPECT_EQ(fake->sleeps, 5);  // one 1 ms sleep per idle pass, no frame until focus returns
}

TEST_F(SystemTest, RunInBackgroundKeepsFramesGoingWithoutFocus) {
  ASSERT_TRUE(Initiate());
  engine->System_SetBool(State_RunInBackground, true);
  engine->System_SetCallback(State_FrameFunc, CountingFrame);
  fake->messages.push_back({.type = os::MsgType::Activate, .active = false});
  g_stop_after = 3;
  ASSERT_TRUE(engine->System_Start());
  EXPECT_EQ(g_frames, 3);
  EXPECT_EQ(fake->sleeps, 0);
}

TEST_F(SystemTest, AltF4AsksTheExitFunctionTwiceAndCloses) {
  ASSERT_TRUE(Initiate());
  engine->System_SetCallback(State_ExitFunc, ExitFunc);
  engine->WindowProc(Msg(os::MsgType::SysKeyDown, Key_F4));
  EXPECT_EQ(g_exit_asks, 2);
  EXPECT_FALSE(fake->window);
  EXPECT_TRUE(fake->quit_posted);
}

TEST_F(SystemTest, ExitFunctionSayingNoKeepsTheWindow) {
  ASSERT_TRUE(Initiate());
  engine->System_SetCallback(State_ExitFunc, ExitFunc);
  g_exit_answer = false;
  engine->WindowProc(Msg(os::MsgType::SysKeyDown, Key_F4));
  engine->WindowProc(Msg(os::MsgType::SysCommandClose));
  EXPECT_EQ(g_exit_asks, 2);
  EXPECT_TRUE(fake->window);
  EXPECT_FALSE(fake->quit_posted);
}

TEST_F(SystemTest, CloseEndsTheLoop) {
  engine->System_SetCallback(State_FrameFunc, CountingFrame);
  g_stop_after = 1000000;
  ASSERT_TRUE(Initiate());
  fake->messages.push_back(Msg(os::MsgType::SysCommandClose));
  EXPECT_TRUE(engine->System_Start());
  EXPECT_FALSE(engine->active);
  EXPECT_FALSE(fake->window);
}

TEST_F(SystemTest, AltEnterTogglesWindowedMode) {
  ASSERT_TRUE(Initiate());
  bool before = engine->System_GetBool(State_Windowed);
  EXPECT_EQ(engine->WindowProc(Msg(os::MsgType::SysKeyDown, Key_Enter)), 0);
  EXPECT_NE(engine->System_GetBool(State_Windowed), before);
  InputEvent ev;
  EXPECT_FALSE(engine->Input_NextEvent(&ev));  // the toggle is not a key event
}

TEST_F(SystemTest, ActivationCallsTheFocusCallbacks) {
  ASSERT_TRUE(Initiate());
  engine->System_SetCallback(State_FocusLostFunc, FocusLost);
  engine->System_SetCallback(State_FocusGainFunc, FocusGained);
  os::Message m = Msg(os::MsgType::Activate);
  m.active = true;
  engine->WindowProc(m);
  EXPECT_EQ(g_focus_gained, 1);
  engine->WindowProc(m);  // no change, no call
  EXPECT_EQ(g_focus_gained, 1);
  m.minimized = true;  // activated while minimised counts as inactive
  engine->WindowProc(m);
  EXPECT_EQ(g_focus_lost, 1);
  EXPECT_FALSE(engine->active);
}

TEST_F(SystemTest, CursorIsHiddenOverTheClientWhileActive) {
  ASSERT_TRUE(Initiate());
  engine->active = true;
  engine->WindowProc(Msg(os::MsgType::SetCursor));
  EXPECT_FALSE(fake->cursor_shown);
  os::Message outside = Msg(os::MsgType::SetCursor);
  outside.hit_client = false;
  engine->WindowProc(outside);
  EXPECT_TRUE(fake->cursor_shown);
  engine->System_SetBool(State_HideCursor, false);
  engine->WindowProc(Msg(os::MsgType::SetCursor));
  EXPECT_TRUE(fake->cursor_shown);
}

TEST_F(SystemTest, ShellOpenAndPowerStatus) {
  EXPECT_FALSE(engine->System_ShellOpen(nullptr));
  EXPECT_TRUE(engine->System_ShellOpen("https://example.org/"));
  EXPECT_EQ(fake->opened.back(), "https://example.org/");
  fake->power = 57;
  ASSERT_TRUE(Initiate());
  EXPECT_EQ(engine->System_GetInt(State_PowerStatus), 57);
}

TEST_F(SystemTest, ReleaseFinishesARunningSystem) {
  ASSERT_TRUE(Initiate());
  engine->Release();
  engine = nullptr;
  EXPECT_NE(ReadFile(Path("engine.log")).find("The End."), std::string::npos);
}
