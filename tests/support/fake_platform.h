// A scripted operating-system layer for tests: a fake millisecond clock that advances on Sleep,
// a message queue the test fills, and a record of what the engine asked the window to do.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "platform/os/platform.h"

class FakePlatform : public os::Platform {
 public:
  // Clock: Milliseconds() returns now; each read may advance it by tick_per_read.
  uint32_t now = 1000;
  uint32_t tick_per_read = 0;
  uint32_t Milliseconds() override {
    uint32_t t = now;
    now += tick_per_read;
    return t;
  }
  void Sleep(uint32_t ms) override {
    now += ms;
    ++sleeps;
    if (on_sleep) on_sleep();
  }
  int sleeps = 0;
  std::function<void()> on_sleep;

  // Window.
  bool window = false;
  bool fail_create = false;
  os::WindowDesc created;
  std::vector<os::WindowMode> mode_changes;
  bool CreateMainWindow(const os::WindowDesc& desc) override {
    if (fail_create) return false;
    created = desc;
    window = true;
    return true;
  }
  void DestroyMainWindow() override { window = false; ++destroyed; }
  int destroyed = 0;
  bool HasWindow() const override { return window; }
  void* NativeWindow() override { return window ? reinterpret_cast<void*>(0x1234) : nullptr; }
  std::string title;
  void SetTitle(const char* t) override { title = t; }
  void SetIcon(const void*, size_t) override {}
  void SetWindowMode(os::WindowMode mode, const os::Rect& rect) override {
    mode_changes.push_back(mode);
    window_rect = rect;
  }
  os::Rect window_rect{10, 20, 810, 620};
  os::Rect WindowRect() override { return window_rect; }

  std::deque<os::Message> messages;
  bool quit_posted = false;
  bool PeekMessage(os::Message* msg) override {
    if (quit_posted) {
      quit_posted = false;
      msg->type = os::MsgType::Quit;
      return true;
    }
    if (messages.empty()) return false;
    *msg = messages.front();
    messages.pop_front();
    return true;
  }
  void PostQuit() override { quit_posted = true; }

  std::vector<uint32_t> presented;
  int present_w = 0, present_h = 0, presents = 0;
  void Present(const uint32_t* pixels, int w, int h, int pitch) override {
    presented.resize(size_t(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        presented[size_t(y) * w + x] =
            reinterpret_cast<const uint32_t*>(reinterpret_cast<const char*>(pixels) + y * pitch)[x];
    present_w = w;
    present_h = h;
    ++presents;
  }

  // Cursor.
  bool cursor_shown = true;
  int cursor_x = 0, cursor_y = 0;
  bool captured = false;
  bool over_client = false;
  void ShowCursor(bool show) override { cursor_shown = show; }
  void GetCursorPos(int* x, int* y) override { *x = cursor_x; *y = cursor_y; }
  void SetCursorPos(int x, int y) override { cursor_x = x; cursor_y = y; }
  void ScreenToClient(int* x, int* y) override {
    *x -= window_rect.left;
    *y -= window_rect.top;
  }
  void CaptureMouse(bool c) override { captured = c; }
  bool CursorOverClient() override { return over_client; }

  // Display.
  os::DisplayMode desktop{1024, 768, 32, 60};
  std::vector<os::DisplayMode> modes{{640, 480, 32, 60}, {800, 600, 32, 60}, {1024, 768, 32, 60}};
  os::DisplayMode DesktopMode() override { return desktop; }
  std::vector<os::DisplayMode> DisplayModes() override { return modes; }

  // Services.
  int power = -2;
  int PowerStatus() override { return power; }
  std::vector<std::string> opened;
  bool ShellOpen(const char* target) override {
    opened.push_back(target);
    return true;
  }
  void MessageBox(const char*, const char*) override {}
  os::SystemInfo System() override { return {"Linux", 6, 1, 0, 1 << 20, 1 << 19}; }
};
