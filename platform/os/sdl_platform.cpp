// The operating-system layer over SDL2 and Linux: window, messages, clock, cursor, modes.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>

#include "platform/image/image.h"
#include "platform/os/keymap.h"
#include "platform/os/platform.h"
#include "platform/os/sdl_gl_context.h"
#include "platform/os/shell_open.h"
#include "platform/os/x11_window.h"

namespace os {
namespace {

class SdlPlatform final : public Platform {
 public:
  ~SdlPlatform() override {
    DestroyMainWindow();
    if (!video_) return;
    SDL_DelEventWatch(&SdlPlatform::Watch, this);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (SDL_WasInit(0) == 0) SDL_Quit();  // also ends SDL's desktop-bus connection
  }

  uint32_t Milliseconds() override {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint32_t(uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u);
  }

  void Sleep(uint32_t ms) override {
    timespec ts{time_t(ms / 1000), long(ms % 1000) * 1000000L};
    nanosleep(&ts, nullptr);
  }

  bool CreateMainWindow(const WindowDesc& desc) override {
    if (window_ || !StartVideo()) return false;
    desc_ = desc;
    // The window can show GL frames from the start, so choosing the GL device later keeps it;
    // where GL is missing it is made without.
    RequestGlAttributes();
    window_ = OpenWindow(desc, SDL_WINDOW_OPENGL);
    if (!window_) window_ = OpenWindow(desc, 0);
    if (!window_) return false;
    const int w = desc.rect.right - desc.rect.left, h = desc.rect.bottom - desc.rect.top;
    if (desc.mode == WindowMode::FullScreen) SetFullScreenMode(w, h);
    if (desc.mode == WindowMode::Child && !EmbedIn(desc.parent)) {
      DestroyMainWindow();
      return false;
    }
    if (desc.icon_png) SetIcon(desc.icon_png, desc.icon_size);
    SDL_ShowWindow(window_);
    SDL_StartTextInput();
    SyncLockKeys();
    return true;
  }

  // A hidden window for desc with extra SDL flags; null when SDL cannot make it.
  static SDL_Window* OpenWindow(const WindowDesc& desc, Uint32 extra_flags) {
    Uint32 flags = SDL_WINDOW_HIDDEN | extra_flags;
    if (desc.mode == WindowMode::FullScreen) flags |= SDL_WINDOW_FULLSCREEN;
    if (desc.mode == WindowMode::Child) flags |= SDL_WINDOW_BORDERLESS;
    const int w = desc.rect.right - desc.rect.left, h = desc.rect.bottom - desc.rect.top;
    return SDL_CreateWindow(desc.title.c_str(), desc.rect.left, desc.rect.top, w, h, flags);
  }

  void DestroyMainWindow() override {
    if (!window_) return;
    SDL_DestroyWindow(window_);
    window_ = nullptr;
  }

  bool HasWindow() const override { return window_ != nullptr; }

  void* NativeWindow() override {
    SDL_SysWMinfo info;
    if (!WindowInfo(&info)) return nullptr;
    return reinterpret_cast<void*>(info.info.x11.window);
  }

  void SetTitle(const char* title) override {
    if (window_) SDL_SetWindowTitle(window_, title);
  }

  void SetIcon(const void* png, size_t size) override {
    image::Image img;
    if (!window_ || !image::DecodeImage(png, size, &img)) return;
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(img.data.data(), img.width, img.height,
                                                        32, img.width * 4,
                                                        SDL_PIXELFORMAT_ARGB8888);
    if (!s) return;
    SDL_SetWindowIcon(window_, s);
    SDL_FreeSurface(s);
  }

  void SetWindowMode(WindowMode mode, const Rect& rect) override {
    if (!window_) return;
    int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (mode == WindowMode::FullScreen) {
      SDL_SetWindowSize(window_, w, h);
      SetFullScreenMode(w, h);
      return;
    }
    SDL_SetWindowFullscreen(window_, 0);
    SDL_SetWindowBordered(window_, mode == WindowMode::Windowed ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowSize(window_, w, h);
    SDL_SetWindowPosition(window_, rect.left, rect.top);
  }

  Rect WindowRect() override {
    Rect r;
    if (!window_) return r;
    int w, h;
    SDL_GetWindowPosition(window_, &r.left, &r.top);
    SDL_GetWindowSize(window_, &w, &h);
    r.right = r.left + w;
    r.bottom = r.top + h;
    return r;
  }

  bool PeekMessage(Message* msg) override {
    if (pending_.empty()) Pump();
    if (pending_.empty()) return false;
    *msg = pending_.front();
    pending_.pop_front();
    return true;
  }

  void PostQuit() override { Push(MsgType::Quit); }

  void Present(const uint32_t* pixels, int width, int height, int pitch) override {
    if (!window_) return;
    SDL_Surface* target = SDL_GetWindowSurface(window_);
    SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(pixels), width, height, 32, pitch, SDL_PIXELFORMAT_RGB888);
    if (!target || !frame) {
      SDL_FreeSurface(frame);
      return;
    }
    if (target->w == width && target->h == height) SDL_BlitSurface(frame, nullptr, target, nullptr);
    else SDL_BlitScaled(frame, nullptr, target, nullptr);
    SDL_FreeSurface(frame);
    SDL_UpdateWindowSurface(window_);
  }

  std::unique_ptr<GlContext> CreateGlContext(bool on_window) override {
    if (!StartVideo()) return nullptr;
    if (!on_window) return CreateHiddenSdlGlContext();
    if (!window_) return nullptr;
    // A window made without GL (none was there) cannot get it later.
    if (!(SDL_GetWindowFlags(window_) & SDL_WINDOW_OPENGL)) return nullptr;
    return CreateSdlGlContext(window_, false);
  }

  void ShowCursor(bool show) override {
    if (show == cursor_shown_) return;
    cursor_shown_ = show;
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
  }

  void GetCursorPos(int* x, int* y) override {
    *x = *y = 0;
    if (!video_) return;
    SDL_GetGlobalMouseState(x, y);
    ScreenToClient(x, y);
  }

  void SetCursorPos(int x, int y) override {
    if (window_) SDL_WarpMouseInWindow(window_, x, y);
  }

  void ScreenToClient(int* x, int* y) override {
    if (!window_) return;
    int wx, wy;
    SDL_GetWindowPosition(window_, &wx, &wy);
    *x -= wx;
    *y -= wy;
  }

  void CaptureMouse(bool capture) override {
    if (window_) SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
  }

  bool CursorOverClient() override {
    if (!window_ || SDL_GetMouseFocus() != window_) return false;
    int x, y;
    GetCursorPos(&x, &y);
    Rect r = WindowRect();
    return x >= 0 && y >= 0 && x < r.right - r.left && y < r.bottom - r.top;
  }

  DisplayMode DesktopMode() override {
    SDL_DisplayMode m;
    if (!StartVideo() || SDL_GetDesktopDisplayMode(0, &m) != 0) return {};
    return ToMode(m);
  }

  std::vector<DisplayMode> DisplayModes() override {
    std::vector<DisplayMode> modes;
    if (!StartVideo()) return modes;
    int n = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < n; ++i) {
      SDL_DisplayMode m;
      if (SDL_GetDisplayMode(0, i, &m) == 0) modes.push_back(ToMode(m));
    }
    return modes;
  }

  int PowerStatus() override {
    int percent = -1;
    switch (SDL_GetPowerInfo(nullptr, &percent)) {
      case SDL_POWERSTATE_ON_BATTERY: return percent < 0 ? 255 : percent;
      case SDL_POWERSTATE_NO_BATTERY:
      case SDL_POWERSTATE_CHARGING:
      case SDL_POWERSTATE_CHARGED: return -1;
      default: return -2;
    }
  }

  bool ShellOpen(const char* target) override { return OpenWithDefaultProgram(target); }

  void MessageBox(const char* title, const char* text) override {
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, text, window_) != 0)
      fprintf(stderr, "%s: %s\n", title, text);
  }

  SystemInfo System() override {
    SystemInfo info;
    utsname u;
    if (uname(&u) == 0) {
      info.name = u.sysname;
      sscanf(u.release, "%ld.%ld.%ld", &info.major, &info.minor, &info.build);
    }
    struct sysinfo si;
    if (sysinfo(&si) == 0) {
      info.memory_total_kb = long(uint64_t(si.totalram) * si.mem_unit / 1024);
      info.memory_free_kb = long(uint64_t(si.freeram) * si.mem_unit / 1024);
    }
    return info;
  }

 private:
  bool StartVideo() {
    if (video_) return true;
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "0");
    // The software device shows its frames through the window surface. Left to its default,
    // SDL backs that surface with a hidden GL renderer and makes the window anew for it.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    if (!DriverShowsWindows()) {
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      return false;
    }
    SDL_AddEventWatch(&SdlPlatform::Watch, this);
    video_ = true;
    return true;
  }

  // Without a display SDL falls back to drivers that draw where nobody sees; those are taken
  // only when named in SDL_VIDEODRIVER, as tests do on purpose.
  static bool DriverShowsWindows() {
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (!driver) return false;
    if (asked && std::strstr(asked, driver)) return true;
    return std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
  }

  static DisplayMode ToMode(const SDL_DisplayMode& m) {
    int bpp = SDL_BITSPERPIXEL(m.format);
    return {m.w, m.h, bpp > 16 ? 32 : 16, m.refresh_rate};
  }

  void SetFullScreenMode(int w, int h) {
    SDL_DisplayMode want{SDL_PIXELFORMAT_RGB888, w, h, 0, nullptr}, got;
    if (SDL_GetClosestDisplayMode(0, &want, &got)) SDL_SetWindowDisplayMode(window_, &got);
    SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN);
  }

  bool WindowInfo(SDL_SysWMinfo* info) {
    if (!window_) return false;
    SDL_VERSION(&info->version);
    return SDL_GetWindowWMInfo(window_, info) && info->subsystem == SDL_SYSWM_X11;
  }

  bool Hosted() const { return window_ && desc_.mode == WindowMode::Child; }

  static Window XWindowOf(void* handle) { return Window(reinterpret_cast<uintptr_t>(handle)); }

  // Makes the window a child of a host's native X11 window; false when that is no window.
  bool EmbedIn(void* parent) {
    SDL_SysWMinfo info;
    if (!parent || !WindowInfo(&info)) return false;
    if (!X11Reparent(info.info.x11.display, info.info.x11.window, XWindowOf(parent)))
      return false;
    X11WindowSize(info.info.x11.display, XWindowOf(parent), &parent_w_, &parent_h_);
    return true;
  }

  // A hosted window that fills its host keeps filling it when the host changes size; the size
  // message SDL makes of that brings the back buffer along. A host that sizes the engine's
  // window itself keeps doing so.
  void FollowHostSize() {
    SDL_SysWMinfo info;
    int w = 0, h = 0, own_w = 0, own_h = 0;
    if (!WindowInfo(&info) ||
        !X11WindowSize(info.info.x11.display, XWindowOf(desc_.parent), &w, &h))
      return;
    SDL_GetWindowSize(window_, &own_w, &own_h);
    const bool filled = own_w == parent_w_ && own_h == parent_h_;
    const bool changed = w != parent_w_ || h != parent_h_;
    parent_w_ = w;
    parent_h_ = h;
    if (filled && changed && w > 0 && h > 0) SDL_SetWindowSize(window_, w, h);
  }

  // Reads the windowing system's events. The event watch has turned those of the engine's
  // window into messages as SDL made them, whoever empties SDL's queue. A standalone engine
  // owns that queue and empties it; a hosted one takes out its own window's events only and
  // leaves the host's for the host.
  void Pump() {
    if (!video_) return;
    if (Hosted()) FollowHostSize();
    SDL_PumpEvents();
    if (Hosted()) SDL_FilterEvents(&SdlPlatform::KeepForeign, this);
    else SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  }

  static int SDLCALL Watch(void* self, SDL_Event* ev) {
    static_cast<SdlPlatform*>(self)->Capture(*ev);
    return 0;
  }

  static int SDLCALL KeepForeign(void* self, SDL_Event* ev) {
    return !static_cast<SdlPlatform*>(self)->Mine(*ev);
  }

  static Uint32 WindowIdOf(const SDL_Event& ev) {
    switch (ev.type) {
      case SDL_WINDOWEVENT: return ev.window.windowID;
      case SDL_KEYDOWN:
      case SDL_KEYUP: return ev.key.windowID;
      case SDL_TEXTINPUT: return ev.text.windowID;
      case SDL_MOUSEMOTION: return ev.motion.windowID;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: return ev.button.windowID;
      case SDL_MOUSEWHEEL: return ev.wheel.windowID;
      default: return 0;
    }
  }

  // Events of the engine's window; a quit request too, unless a host runs the program.
  bool Mine(const SDL_Event& ev) const {
    if (!window_) return false;
    if (ev.type == SDL_QUIT) return !Hosted();
    return WindowIdOf(ev) == SDL_GetWindowID(window_);
  }

  void Capture(const SDL_Event& ev) {
    if (!Mine(ev)) return;
    if (ev.type == SDL_TEXTINPUT) {
      AttachText(ev.text.text);
      return;
    }
    text_key_ = SDL_SCANCODE_UNKNOWN;
    Translate(ev);
  }

  // SDL makes a key's text event right after the key's own event, from the same key press;
  // text that follows anything else (an input method's) belongs to no key.
  void AttachText(const char* utf8) {
    if (text_key_ == SDL_SCANCODE_UNKNOWN || pending_.empty()) return;
    pending_.back().chr = typed_[text_key_] = DecodeFirstCharacter(utf8);
    text_key_ = SDL_SCANCODE_UNKNOWN;
  }

  // SDL learns the lock keys from their presses in its own windows; what they were before
  // (at start, or while another window had the keyboard) comes from the server.
  void SyncLockKeys() {
    SDL_SysWMinfo info;
    LockKeys locks;
    if (!WindowInfo(&info) || !X11LockKeys(info.info.x11.display, &locks)) return;
    int mod = SDL_GetModState() & ~(KMOD_CAPS | KMOD_NUM | KMOD_SCROLL);
    if (locks.caps) mod |= KMOD_CAPS;
    if (locks.num) mod |= KMOD_NUM;
    if (locks.scroll) mod |= KMOD_SCROLL;
    SDL_SetModState(SDL_Keymod(mod));
  }

  static uint8_t ModBits(Uint16 mod) {
    return uint8_t(((mod & KMOD_SHIFT) ? Mod_Shift : 0) | ((mod & KMOD_CTRL) ? Mod_Ctrl : 0) |
                   ((mod & KMOD_ALT) ? Mod_Alt : 0) | ((mod & KMOD_CAPS) ? Mod_Caps : 0) |
                   ((mod & KMOD_NUM) ? Mod_Num : 0) | ((mod & KMOD_SCROLL) ? Mod_Scroll : 0));
  }

  // A new message with the keyboard's modifiers as they stand while SDL makes the event.
  Message& Push(MsgType type) {
    pending_.emplace_back();
    pending_.back().type = type;
    pending_.back().mods = ModBits(Uint16(SDL_GetModState()));
    return pending_.back();
  }

  void Translate(const SDL_Event& ev) {
    switch (ev.type) {
      case SDL_QUIT: Push(MsgType::SysCommandClose); break;
      case SDL_WINDOWEVENT: TranslateWindowEvent(ev.window); break;
      case SDL_KEYDOWN:
      case SDL_KEYUP: TranslateKey(ev.key); break;
      case SDL_MOUSEMOTION: {
        Push(MsgType::SetCursor).hit_client = true;
        Message& m = Push(MsgType::MouseMove);
        m.x = ev.motion.x;
        m.y = ev.motion.y;
        break;
      }
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: TranslateButton(ev.button); break;
      case SDL_MOUSEWHEEL: TranslateWheel(ev.wheel); break;
      default: break;
    }
  }

  void TranslateWindowEvent(const SDL_WindowEvent& w) {
    switch (w.event) {
      case SDL_WINDOWEVENT_CLOSE: Push(MsgType::SysCommandClose); break;
      case SDL_WINDOWEVENT_FOCUS_GAINED: {
        SyncLockKeys();
        Push(MsgType::Activate).active = true;
        Push(MsgType::SetCursor).hit_client = CursorOverClient();
        break;
      }
      case SDL_WINDOWEVENT_FOCUS_LOST: Push(MsgType::Activate).active = false; break;
      case SDL_WINDOWEVENT_MINIMIZED: {
        Message& m = Push(MsgType::Activate);
        m.minimized = true;
        break;
      }
      case SDL_WINDOWEVENT_SIZE_CHANGED: {
        Message& m = Push(MsgType::Size);
        m.width = w.data1;
        m.height = w.data2;
        m.restored = !(SDL_GetWindowFlags(window_) &
                       (SDL_WINDOW_MINIMIZED | SDL_WINDOW_MAXIMIZED));
        break;
      }
      case SDL_WINDOWEVENT_EXPOSED: Push(MsgType::Paint); break;
      case SDL_WINDOWEVENT_ENTER: Push(MsgType::SetCursor).hit_client = true; break;
      default: break;
    }
  }

  void TranslateKey(const SDL_KeyboardEvent& k) {
    int vk = VirtualKey(k.keysym.scancode, SDL_GetKeyFromScancode(k.keysym.scancode));
    if (vk == 0) return;
    bool down = k.type == SDL_KEYDOWN;
    bool alt = (k.keysym.mod & KMOD_ALT) || vk == 18;
    MsgType type = down ? (alt ? MsgType::SysKeyDown : MsgType::KeyDown)
                        : (alt ? MsgType::SysKeyUp : MsgType::KeyUp);
    Message& m = Push(type);
    m.key = vk;
    m.scan = k.keysym.scancode & 0xFF;
    m.repeat = down && k.repeat;
    m.mods = ModBits(k.keysym.mod);
    // A key press gives its own character until its text event, if any, says what the layout
    // typed; the release gives what the press typed.
    const SDL_Scancode scan = k.keysym.scancode;
    if (down) {
      m.chr = typed_[scan] = KeyCharacter(k.keysym);
      text_key_ = scan;
    } else {
      m.chr = typed_[scan];
    }
  }

  // Sideways scrolling has no place in the engine's wheel and makes no message.
  void TranslateWheel(const SDL_MouseWheelEvent& w) {
    float notches = w.preciseY;
    if (notches == 0.0f) return;
    if (w.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
    Message& m = Push(MsgType::Wheel);
    m.wheel = int(std::lround(notches * 120.0f));
    SDL_GetGlobalMouseState(&m.x, &m.y);
  }

  void TranslateButton(const SDL_MouseButtonEvent& b) {
    int code = b.button == SDL_BUTTON_LEFT ? 1 : b.button == SDL_BUTTON_RIGHT ? 2
               : b.button == SDL_BUTTON_MIDDLE ? 4 : 0;
    if (!code) return;
    MsgType type = b.type == SDL_MOUSEBUTTONUP ? MsgType::ButtonUp
                   : b.clicks == 2             ? MsgType::ButtonDoubleClick
                                               : MsgType::ButtonDown;
    Message& m = Push(type);
    m.key = code;
    m.x = b.x;
    m.y = b.y;
    // A click gives the window the keyboard; a hosted window gets it from nobody else.
    if (Hosted() && type != MsgType::ButtonUp) SDL_SetWindowInputFocus(window_);
  }

  SDL_Window* window_ = nullptr;
  WindowDesc desc_;          // what the window was made from
  bool video_ = false;
  bool cursor_shown_ = true;
  std::deque<Message> pending_;
  // The key whose text event may follow, and what each key typed when last pressed.
  SDL_Scancode text_key_ = SDL_SCANCODE_UNKNOWN;
  int typed_[SDL_NUM_SCANCODES] = {};
  int parent_w_ = 0, parent_h_ = 0;  // the host window's size when last seen
};

}  // namespace

std::unique_ptr<Platform> CreateSdlPlatform() { return std::make_unique<SdlPlatform>(); }

std::string ProgramPath() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "";
  return std::string(buf, size_t(n));
}

}  // namespace os
