// Turns the window's keyboard and mouse messages into per-frame state and queued events.
#include "engine/input.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "engine/tvk_impl.h"

namespace {

// The name table: every code not listed is "?".
struct KeyNames {
  const char* names[256];
  KeyNames() {
    static const char* const digits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    static const char* const letters[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I",
                                          "J", "K", "L", "M", "N", "O", "P", "Q", "R",
                                          "S", "T", "U", "V", "W", "X", "Y", "Z"};
    static const char* const numpad[] = {"NumPad 0", "NumPad 1", "NumPad 2", "NumPad 3",
                                         "NumPad 4", "NumPad 5", "NumPad 6", "NumPad 7",
                                         "NumPad 8", "NumPad 9"};
    static const char* const functions[] = {"F1", "F2", "F3", "F4",  "F5",  "F6",
                                            "F7", "F8", "F9", "F10", "F11", "F12"};
    for (auto& n : names) n = "?";
    Set(1, {"Left Mouse Button", "Right Mouse Button"});
    Set(4, {"Middle Mouse Button"});
    Set(8, {"Backspace", "Tab"});
    Set(13, {"Enter"});
    Set(16, {"Shift", "Ctrl", "Alt", "Pause", "Caps Lock"});
    Set(27, {"Escape"});
    Set(32, {"Space", "Page Up", "Page Down", "End", "Home", "Left Arrow", "Up Arrow",
             "Right Arrow", "Down Arrow"});
    Set(45, {"Insert", "Delete"});
    for (int i = 0; i < 10; ++i) names[48 + i] = digits[i];
    for (int i = 0; i < 26; ++i) names[65 + i] = letters[i];
    Set(91, {"Left Win", "Right Win", "Application"});
    for (int i = 0; i < 10; ++i) names[96 + i] = numpad[i];
    Set(106, {"Multiply", "Add"});
    Set(109, {"Subtract", "Decimal", "Divide"});
    for (int i = 0; i < 12; ++i) names[112 + i] = functions[i];
    Set(144, {"Num Lock", "Scroll Lock"});
    Set(186, {"Semicolon", "Equals", "Comma", "Minus", "Period", "Slash", "Grave"});
    Set(219, {"Left bracket", "Backslash", "Right bracket", "Apostrophe"});
  }
  void Set(int first, std::initializer_list<const char*> list) {
    for (const char* n : list) names[first++] = n;
  }
};
const KeyNames kKeyNames;

bool ValidKey(int key) { return key >= 0 && key < 256; }

}  // namespace

void Input::Start() {
  int x = 0, y = 0;
  e_.Platform().GetCursorPos(&x, &y);
  mouse_x_ = float(x);
  mouse_y_ = float(y);
  std::memset(key_state_, 0, sizeof key_state_);
}

// Keeps the keyboard state as of the last message: the message's own key, then the modifier
// and lock keys as the platform saw them when it made the message (mouse messages too).
void Input::TrackKeyboard(const os::Message& m) {
  if (ValidKey(m.key)) {
    switch (m.type) {
      case os::MsgType::KeyDown:
      case os::MsgType::SysKeyDown:
      case os::MsgType::ButtonDown:
      case os::MsgType::ButtonDoubleClick:
        keyboard_[m.key] |= KeyDown;
        break;
      case os::MsgType::KeyUp:
      case os::MsgType::SysKeyUp:
      case os::MsgType::ButtonUp:
        keyboard_[m.key] &= uint8_t(~KeyDown);
        break;
      default:
        break;
    }
  }
  auto set_bit = [&](int key, uint8_t bit, bool on) {
    keyboard_[key] = uint8_t((keyboard_[key] & ~bit) | (on ? bit : 0));
  };
  set_bit(Key_Shift, KeyDown, m.mods & os::Mod_Shift);
  set_bit(Key_Ctrl, KeyDown, m.mods & os::Mod_Ctrl);
  set_bit(Key_Alt, KeyDown, m.mods & os::Mod_Alt);
  set_bit(Key_CapsLock, KeyToggled, m.mods & os::Mod_Caps);
  set_bit(Key_NumLock, KeyToggled, m.mods & os::Mod_Num);
  set_bit(Key_ScrollLock, KeyToggled, m.mods & os::Mod_Scroll);
}

void Input::HandleMessage(const os::Message& m) {
  TrackKeyboard(m);
  switch (m.type) {
    case os::MsgType::KeyDown:
    case os::MsgType::SysKeyDown:
      BuildEvent(Event_KeyDown, m.key, m.repeat ? Flag_Repeat : 0, m.chr, 0, -1, -1);
      break;
    case os::MsgType::KeyUp:
    case os::MsgType::SysKeyUp:
      BuildEvent(Event_KeyUp, m.key, 0, m.chr, 0, -1, -1);
      break;
    case os::MsgType::MouseMove:
      BuildEvent(Event_MouseMove, 0, 0, 0, 0, m.x, m.y);
      break;
    case os::MsgType::ButtonDown:
      BuildEvent(Event_ButtonDown, m.key, 0, 0, 0, m.x, m.y);
      break;
    case os::MsgType::ButtonDoubleClick:
      BuildEvent(Event_ButtonDown, m.key, Flag_Repeat, 0, 0, m.x, m.y);
      break;
    case os::MsgType::ButtonUp:
      BuildEvent(Event_ButtonUp, m.key, 0, 0, 0, m.x, m.y);
      break;
    case os::MsgType::Wheel:
      BuildEvent(Event_MouseWheel, 0, 0, 0, m.wheel / 120, m.x, m.y);
      break;
    default:
      break;
  }
}

void Input::BuildEvent(int type, int key, int flags, int chr, int wheel, int x, int y) {
  if (!ValidKey(key)) return;
  InputEvent ev{};
  ev.type = type;
  ev.flags = flags;
  switch (type) {
    case Event_KeyDown:
      if (!(flags & Flag_Repeat)) key_state_[key] |= Pressed;
      ev.chr = chr;
      break;
    case Event_KeyUp:
      key_state_[key] |= Released;
      ev.chr = chr;
      break;
    case Event_ButtonDown:
      key_state_[key] |= Pressed;
      e_.Platform().CaptureMouse(true);
      captured_ = true;
      break;
    case Event_ButtonUp:
      key_state_[key] |= Released;
      e_.Platform().CaptureMouse(false);
      SetPosition(mouse_x_, mouse_y_);
      x = int(mouse_x_);
      y = int(mouse_y_);
      captured_ = false;
      break;
    case Event_MouseWheel:
      e_.Platform().ScreenToClient(&x, &y);
      break;
  }
  if (type == Event_MouseWheel) ev.wheel = wheel;
  else ev.key = key;
  ev.flags |= ModifierFlags();
  ClampAndStore(ev, x, y);
  queue_.push_back(ev);

  if (type == Event_KeyDown || type == Event_ButtonDown) {
    last_key_ = key;
    last_char_ = ev.chr;
  } else if (type == Event_MouseMove) {
    mouse_x_ = ev.x;
    mouse_y_ = ev.y;
  } else if (type == Event_MouseWheel) {
    wheel_ += wheel;
  }
}

int Input::ModifierFlags() const {
  int flags = 0;
  if (keyboard_[Key_Shift] & KeyDown) flags |= Flag_Shift;
  if (keyboard_[Key_Ctrl] & KeyDown) flags |= Flag_Ctrl;
  if (keyboard_[Key_Alt] & KeyDown) flags |= Flag_Alt;
  if (keyboard_[Key_CapsLock] & KeyToggled) flags |= Flag_CapsLock;
  if (keyboard_[Key_ScrollLock] & KeyToggled) flags |= Flag_ScrollLock;
  if (keyboard_[Key_NumLock] & KeyToggled) flags |= Flag_NumLock;
  return flags;
}

void Input::ClampAndStore(InputEvent& ev, int x, int y) {
  if (x == -1) {  // keyboard events carry the last known mouse position
    ev.x = mouse_x_;
    ev.y = mouse_y_;
    return;
  }
  ev.x = float(std::clamp(x, 0, std::max(0, e_.screen_width - 1)));
  ev.y = float(std::clamp(y, 0, std::max(0, e_.screen_height - 1)));
}

void Input::UpdateMouseOver() {
  mouse_over_ = captured_ || e_.Platform().CursorOverClient();
}

void Input::ResetFrame() {
  std::memset(key_state_, 0, sizeof key_state_);
  queue_.clear();
  last_key_ = last_char_ = wheel_ = 0;
}

void Input::GetPosition(float* x, float* y) const {
  if (x) *x = mouse_x_;
  if (y) *y = mouse_y_;
}

void Input::SetPosition(float x, float y) {
  e_.Platform().SetCursorPos(int(x), int(y));
}

bool Input::WentDown(int key) const { return ValidKey(key) && (key_state_[key] & Pressed); }
bool Input::WentUp(int key) const { return ValidKey(key) && (key_state_[key] & Released); }
bool Input::IsDown(int key) const { return ValidKey(key) && (keyboard_[key] & KeyDown); }
const char* Input::Name(int key) { return ValidKey(key) ? kKeyNames.names[key] : "?"; }

bool Input::NextEvent(InputEvent* event) {
  if (queue_.empty() || !event) return false;
  *event = queue_.front();
  queue_.pop_front();
  return true;
}

void TVK_Impl::Mouse_GetPosition(float* x, float* y) { input.GetPosition(x, y); }
void TVK_Impl::Mouse_SetPosition(float x, float y) {
  // A NaN names no place, so the cursor stays. Other values are held to the 16-bit range window
  // systems keep cursor positions in (all beyond lies off every screen), where truncating to
  // int is defined.
  const auto held = [](float v) { return std::clamp(v, -32768.0f, 32767.0f); };
  if (WindowExists() && !std::isnan(x) && !std::isnan(y)) input.SetPosition(held(x), held(y));
}
int TVK_Impl::Mouse_GetWheel() { return input.Wheel(); }
bool TVK_Impl::Mouse_IsInside() { return input.MouseOver(); }
bool TVK_Impl::Key_WentDown(int key) { return input.WentDown(key); }
bool TVK_Impl::Key_WentUp(int key) { return input.WentUp(key); }
bool TVK_Impl::Key_IsDown(int key) { return input.IsDown(key); }
const char* TVK_Impl::Key_GetName(int key) { return Input::Name(key); }
int TVK_Impl::Key_GetLast() { return input.LastKey(); }
int TVK_Impl::Key_GetLastChar() { return input.LastChar(); }
bool TVK_Impl::Input_NextEvent(InputEvent* event) { return input.NextEvent(event); }
