// The operating-system services the engine uses: window and message pump, millisecond clock,
// cursor, display modes, message box, shell open, power status and system facts. The engine
// talks only to this interface; SdlPlatform implements it for real windows and tests use fakes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/os/gl_context.h"

namespace os {

// Window messages, already translated from the windowing system into the engine's terms.
enum class MsgType {
  Create,
  Destroy,
  Size,             // width, height, restored
  Activate,         // active, minimized
  Paint,
  SetCursor,        // hit_client
  KeyDown,          // key, scan, repeat, chr
  KeyUp,            // key, scan, chr
  SysKeyDown,       // key pressed while Alt is held (Alt itself included)
  SysKeyUp,
  SysCommandClose,  // the window manager's close request
  MouseMove,        // x, y in client pixels
  ButtonDown,       // key = 1, 2 or 4; x, y in client pixels
  ButtonDoubleClick,
  ButtonUp,
  Wheel,            // wheel in 1/120 notch units; x, y in screen pixels
  Quit,
};

// Modifier keys held and lock toggles on, as the keyboard stood when the message was made;
// every message carries them, mouse messages included.
enum : uint8_t {
  Mod_Shift = 0x01,
  Mod_Ctrl = 0x02,
  Mod_Alt = 0x04,
  Mod_Caps = 0x08,
  Mod_Num = 0x10,
  Mod_Scroll = 0x20,
};

struct Message {
  MsgType type = MsgType::Paint;
  int key = 0;          // virtual-key code 0-255 or mouse button code
  int scan = 0;         // hardware scan code, 0-255
  bool repeat = false;  // auto-repeat key-down
  int chr = 0;          // character the key produces under the keyboard layout
  uint8_t mods = 0;     // Mod_* bits at the time of the message
  int x = 0, y = 0;
  int wheel = 0;
  bool active = false, minimized = false;
  int width = 0, height = 0;
  bool restored = true;
  bool hit_client = true;
};

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

enum class WindowMode { Windowed, FullScreen, Child };

struct WindowDesc {
  std::string title;
  WindowMode mode = WindowMode::Windowed;
  Rect rect;                        // outer rectangle in screen pixels
  void* parent = nullptr;           // native parent window for WindowMode::Child
  const void* icon_png = nullptr;   // PNG bytes of the window icon, or null
  size_t icon_size = 0;
};

struct DisplayMode {
  int width = 0, height = 0;
  int bpp = 32;  // 32 or 16
  int refresh = 0;
};

struct SystemInfo {
  std::string name;  // "Linux"
  long major = 0, minor = 0, build = 0;
  long memory_total_kb = 0, memory_free_kb = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Clock: a wrapping 32-bit millisecond count and a sleep.
  virtual uint32_t Milliseconds() = 0;
  virtual void Sleep(uint32_t ms) = 0;

  // Window.
  virtual bool CreateMainWindow(const WindowDesc& desc) = 0;
  virtual void DestroyMainWindow() = 0;
  virtual bool HasWindow() const = 0;
  virtual void* NativeWindow() = 0;  // X11 window id in a pointer-sized value
  virtual void SetTitle(const char* title) = 0;
  virtual void SetIcon(const void* png, size_t size) = 0;
  virtual void SetWindowMode(WindowMode mode, const Rect& rect) = 0;
  virtual Rect WindowRect() = 0;
  // Takes one pending message of the engine's window without waiting; false when there is
  // none. Events of other windows in the process (a host's) are left where they are.
  virtual bool PeekMessage(Message* msg) = 0;
  virtual void PostQuit() = 0;
  // Shows a finished frame (32-bit 0xXXRRGGBB pixels) in the window.
  virtual void Present(const uint32_t* pixels, int width, int height, int pitch_bytes) = 0;
  // An OpenGL 3.3 core context: on the main window when on_window (the window is made anew
  // able to show GL frames if it was not), else on a hidden window of its own. Null when the
  // platform has no GL. The context must be released before the main window is destroyed.
  virtual std::unique_ptr<GlContext> CreateGlContext(bool /*on_window*/) { return nullptr; }

  // Cursor and mouse, in client pixels unless said otherwise.
  virtual void ShowCursor(bool show) = 0;
  virtual void GetCursorPos(int* x, int* y) = 0;
  virtual void SetCursorPos(int x, int y) = 0;
  virtual void ScreenToClient(int* x, int* y) = 0;
  virtual void CaptureMouse(bool capture) = 0;
  virtual bool CursorOverClient() = 0;

  // Display.
  virtual DisplayMode DesktopMode() = 0;
  virtual std::vector<DisplayMode> DisplayModes() = 0;

  // Services.
  virtual int PowerStatus() = 0;  // -1 mains, 0-100 or 255 battery, -2 unknown
  // Opens a file or address with its default program; true only when the opener reports it
  // did. A target is never taken as an option of the opener.
  virtual bool ShellOpen(const char* target) = 0;
  virtual void MessageBox(const char* title, const char* text) = 0;
  virtual SystemInfo System() = 0;
};

// The real platform over SDL2 and Linux system calls.
std::unique_ptr<Platform> CreateSdlPlatform();

// The full path of the running program file.
std::string ProgramPath();

}  // namespace os
