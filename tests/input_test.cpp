// Keyboard and mouse messages turned into per-frame state and queued events.
#include "support/engine_fixture.h"

namespace {

os::Message Key(os::MsgType type, int key, bool repeat = false, int chr = 0) {
  return {.type = type, .key = key, .repeat = repeat, .chr = chr};
}

os::Message Mouse(os::MsgType type, int x, int y, int key = 0) {
  return {.type = type, .key = key, .x = x, .y = y};
}

}  // namespace

class InputTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    ASSERT_TRUE(Initiate());
  }
  void Send(const os::Message& m) { engine->WindowProc(m); }
  InputEvent Next() {
    InputEvent ev{};
    EXPECT_TRUE(engine->Input_NextEvent(&ev));
    return ev;
  }
};

TEST_F(InputTest, KeyDownAndUpInOneFrame) {
  Send(Key(os::MsgType::KeyDown, Key_A, false, 'a'));
  Send(Key(os::MsgType::KeyUp, Key_A, false, 'a'));
  EXPECT_TRUE(engine->Key_WentDown(Key_A));
  EXPECT_TRUE(engine->Key_WentUp(Key_A));
  EXPECT_FALSE(engine->Key_IsDown(Key_A));
  EXPECT_EQ(engine->Key_GetLast(), Key_A);
  EXPECT_EQ(engine->Key_GetLastChar(), 'a');
  InputEvent down = Next(), up = Next();
  EXPECT_EQ(down.type, Event_KeyDown);
  EXPECT_EQ(down.chr, 'a');
  EXPECT_EQ(up.type, Event_KeyUp);
  EXPECT_EQ(up.key, Key_A);
  InputEvent none;
  EXPECT_FALSE(engine->Input_NextEvent(&none));

  engine->input.ResetFrame();
  EXPECT_FALSE(engine->Key_WentDown(Key_A));
  EXPECT_FALSE(engine->Key_WentUp(Key_A));
  EXPECT_EQ(engine->Key_GetLast(), 0);
}

TEST_F(InputTest, AutoRepeatIsQueuedButDoesNotPressAgain) {
  Send(Key(os::MsgType::KeyDown, Key_Space));
  engine->input.ResetFrame();
  Send(Key(os::MsgType::KeyDown, Key_Space, true));
  EXPECT_FALSE(engine->Key_WentDown(Key_Space));
  EXPECT_TRUE(engine->Key_IsDown(Key_Space));
  InputEvent ev = Next();
  EXPECT_EQ(ev.type, Event_KeyDown);
  EXPECT_TRUE(ev.flags & Flag_Repeat);
}

TEST_F(InputTest, ModifierAndLockFlags) {
  os::Message shift = Key(os::MsgType::KeyDown, Key_Shift);
  shift.mods = os::Mod_Shift;
  Send(shift);
  os::Message shift_a = Key(os::MsgType::KeyDown, Key_A);
  shift_a.mods = os::Mod_Shift | os::Mod_Caps | os::Mod_Num;
  Send(shift_a);
  Next();
  InputEvent ev = Next();
  EXPECT_EQ(ev.flags, Flag_Shift | Flag_CapsLock | Flag_NumLock);
  Send(Key(os::MsgType::KeyUp, Key_Shift));
  os::Message alt = Key(os::MsgType::SysKeyDown, Key_Alt), alt_x = Key(os::MsgType::SysKeyDown, Key_X);
  alt.mods = alt_x.mods = os::Mod_Alt;
  Send(alt);
  Send(alt_x);
  Next();
  Next();
  ev = Next();
  EXPECT_EQ(ev.type, Event_KeyDown);
  EXPECT_EQ(ev.flags, Flag_Alt);
}

TEST_F(InputTest, WheelNotches) {
  fake->window_rect = {10, 20, 810, 620};
  os::Message wheel = Mouse(os::MsgType::Wheel, 110, 120);
  wheel.wheel = 240;
  Send(wheel);
  EXPECT_EQ(Next().wheel, 2);
  EXPECT_EQ(engine->Mouse_GetWheel(), 2);
  engine->input.ResetFrame();

  wheel.wheel = 60;
  Send(wheel);
  InputEvent ev = Next();
  EXPECT_EQ(ev.wheel, 0);
  EXPECT_EQ(ev.x, 100);  // screen position made client-relative (window at 10, 20)
  EXPECT_EQ(ev.y, 100);
  engine->input.ResetFrame();

  wheel.wheel = 120;
  Send(wheel);
  Send(wheel);
  EXPECT_EQ(engine->Mouse_GetWheel(), 2);
  wheel.wheel = -120;
  Send(wheel);
  EXPECT_EQ(engine->Mouse_GetWheel(), 1);
}

TEST_F(InputTest, KeyboardEventsCarryTheMousePosition) {
  Send(Mouse(os::MsgType::MouseMove, 321, 123));
  Send(Key(os::MsgType::KeyDown, Key_Q));
  Next();
  InputEvent ev = Next();
  EXPECT_EQ(ev.x, 321);
  EXPECT_EQ(ev.y, 123);
  float x, y;
  engine->Mouse_GetPosition(&x, &y);
  EXPECT_EQ(x, 321);
  EXPECT_EQ(y, 123);
}

TEST_F(InputTest, DragOutsideIsClampedAndCaptured) {
  Send(Mouse(os::MsgType::ButtonDown, 100, 100, Key_LButton));
  EXPECT_TRUE(fake->captured);
  EXPECT_TRUE(engine->Key_WentDown(Key_LButton));
  EXPECT_EQ(engine->Key_GetLast(), Key_LButton);
  EXPECT_EQ(engine->Key_GetLastChar(), 0);
  fake->over_client = false;
  engine->input.UpdateMouseOver();
  EXPECT_TRUE(engine->Mouse_IsInside());

  Send(Mouse(os::MsgType::MouseMove, 900, -40));
  float x, y;
  engine->Mouse_GetPosition(&x, &y);
  EXPECT_EQ(x, 799);
  EXPECT_EQ(y, 0);

  Send(Mouse(os::MsgType::ButtonUp, 950, -60, Key_LButton));
  EXPECT_FALSE(fake->captured);
  EXPECT_EQ(fake->cursor_x, 799);  // the cursor jumps back to the last clamped position
  EXPECT_EQ(fake->cursor_y, 0);
  Next();
  Next();
  InputEvent up = Next();
  EXPECT_EQ(up.type, Event_ButtonUp);
  EXPECT_EQ(up.x, 799);
  EXPECT_EQ(up.y, 0);
  engine->input.UpdateMouseOver();
  EXPECT_FALSE(engine->Mouse_IsInside());
}

TEST_F(InputTest, DoubleClickIsAButtonDownWithTheRepeatFlag) {
  Send(Mouse(os::MsgType::ButtonDoubleClick, 5, 6, Key_RButton));
  InputEvent ev = Next();
  EXPECT_EQ(ev.type, Event_ButtonDown);
  EXPECT_EQ(ev.key, Key_RButton);
  EXPECT_EQ(ev.flags & Flag_Repeat, Flag_Repeat);
}

TEST_F(InputTest, KeyNames) {
  EXPECT_STREQ(engine->Key_GetName(65), "A");
  EXPECT_STREQ(engine->Key_GetName(95), "?");
  EXPECT_STREQ(engine->Key_GetName(Key_Escape), "Escape");
  EXPECT_STREQ(engine->Key_GetName(Key_MButton), "Middle Mouse Button");
  EXPECT_STREQ(engine->Key_GetName(Key_NumPad9), "NumPad 9");
  EXPECT_STREQ(engine->Key_GetName(Key_F12), "F12");
  EXPECT_STREQ(engine->Key_GetName(Key_Apostrophe), "Apostrophe");
  EXPECT_STREQ(engine->Key_GetName(108), "?");
}

TEST_F(InputTest, OutOfRangeKeyCodesAreRefused) {
  for (int key : {-1, 256, 100000, INT32_MIN}) {
    EXPECT_FALSE(engine->Key_WentDown(key));
    EXPECT_FALSE(engine->Key_WentUp(key));
    EXPECT_FALSE(engine->Key_IsDown(key));
    EXPECT_STREQ(engine->Key_GetName(key), "?");
    Send(Key(os::MsgType::KeyDown, key));
  }
  InputEvent ev;
  EXPECT_FALSE(engine->Input_NextEvent(&ev));
  EXPECT_FALSE(engine->Input_NextEvent(nullptr));
  engine->Mouse_GetPosition(nullptr, nullptr);
}

TEST_F(InputTest, SetPositionMovesTheCursorOnly) {
  engine->Mouse_SetPosition(12.7f, 40.2f);
  EXPECT_EQ(fake->cursor_x, 12);
  EXPECT_EQ(fake->cursor_y, 40);
  float x, y;
  engine->Mouse_GetPosition(&x, &y);
  EXPECT_EQ(x, 0);  // the stored position changes with the next move message
}
