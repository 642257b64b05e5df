// Input area: per-frame key and button state, the input event queue, the mouse position and
// the keyboard state as of the last processed message.
#pragma once

#include <cstdint>
#include <deque>

#include "engine/tvk.h"
#include "platform/os/platform.h"

class TVK_Impl;

class Input {
 public:
  explicit Input(TVK_Impl& engine) : e_(engine) {}

  // Called by the system area.
  void Start();                             // at System_Initiate
  void HandleMessage(const os::Message& m); // key, button, move and wheel messages
  void UpdateMouseOver();                   // every loop iteration
  void ResetFrame();                        // after every frame and at shutdown

  // The interface operations.
  void GetPosition(float* x, float* y) const;
  void SetPosition(float x, float y);
  int Wheel() const { return wheel_; }
  bool MouseOver() const { return mouse_over_; }
  bool WentDown(int key) const;
  bool WentUp(int key) const;
  bool IsDown(int key) const;
  static const char* Name(int key);
  int LastKey() const { return last_key_; }
  int LastChar() const { return last_char_; }
  bool NextEvent(InputEvent* event);

 private:
  enum : uint8_t { Pressed = 1, Released = 2 };  // bits of the per-frame key state
  enum : uint8_t { KeyDown = 0x80, KeyToggled = 0x01 };  // bits of the keyboard state

  void TrackKeyboard(const os::Message& m);
  void BuildEvent(int type, int key, int flags, int chr, int wheel, int x, int y);
  int ModifierFlags() const;
  void ClampAndStore(InputEvent& ev, int x, int y);

  TVK_Impl& e_;
  int last_key_ = 0, last_char_ = 0, wheel_ = 0;
  float mouse_x_ = 0, mouse_y_ = 0;
  bool mouse_over_ = false, captured_ = false;
  uint8_t key_state_[256] = {};
  uint8_t keyboard_[256] = {};
  std::deque<InputEvent> queue_;
};
