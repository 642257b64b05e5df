// The engine object: factory and reference count, states, log, start-up and shutdown, the
// window procedure and the main loop.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/stat.h>

#include "engine/tvk_impl.h"
#include "platform/os/regular_file.h"

namespace {

TVK_Impl* g_instance = nullptr;
int g_references = 0;

std::string FormatText(const char* format, va_list args) {
  va_list measure;
  va_copy(measure, args);
  const int length = vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length <= 0) return std::string();
  std::string text(size_t(length) + 1, '\0');
  vsnprintf(text.data(), text.size(), format, args);
  text.resize(size_t(length));
  return text;
}

bool FileExists(const char* path) {
  struct stat st;
  return stat(path, &st) == 0;
}

}  // namespace

TVK* TVK_Create(int version) {
  if (version != TVK_VERSION) return nullptr;
  if (!g_instance) g_instance = new TVK_Impl();
  ++g_references;
  return g_instance;
}

TVK_Impl* TVK_Impl::Instance() { return g_instance; }

TVK_Impl::TVK_Impl() : platform_(os::CreateSdlPlatform()) {}

TVK_Impl::~TVK_Impl() = default;

void TVK_Impl::UsePlatform(std::unique_ptr<os::Platform> platform) {
  if (!initiated_ && platform) platform_ = std::move(platform);
}

void TVK_Impl::Release() {
  if (g_references <= 0 || --g_references != 0) return;
  if (initiated_) System_Finish();
  Resource_DropAllPacks();
  g_instance = nullptr;
  delete this;
}

// ---------------------------------------------------------------- log and errors

void TVK_Impl::WriteLogLine(const char* format, va_list args) {
  if (!log_file[0]) return;
  os::FilePtr f(os::OpenRegularFile(log_file, os::FileMode::Append));
  if (!f) return;
  vfprintf(f.get(), format, args);
  fputc('\n', f.get());
}

void TVK_Impl::System_WriteLog(const char* format, ...) {
  if (!format) return;
  va_list args;
  va_start(args, format);
  WriteLogLine(format, args);
  va_end(args);
}

// The whole text goes to the log; the kept error text is cut to its buffer. The text is formatted
// apart from the buffer, since an argument may be the previous error text itself.
void TVK_Impl::PostError(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = FormatText(format, args);
  va_end(args);
  System_WriteLog("%s", text.c_str());
  CopyText(error_, sizeof error_, text.c_str());
}

const char* TVK_Impl::System_GetLastError() { return error_; }

void TVK_Impl::WriteLogHeader() {
  System_WriteLog("Tarvok Started..\n");
  System_WriteLog("Tarvok version: %X.%X", TVK_VERSION >> 8, TVK_VERSION & 0xFF);
  time_t now = time(nullptr);
  struct tm t;
  localtime_r(&now, &t);
  System_WriteLog("Date: %02d.%02d.%d, %02d:%02d:%02d\n", t.tm_mday, t.tm_mon + 1,
                  t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
  System_WriteLog("Application: %s", title);
  os::SystemInfo sys = platform_->System();
  System_WriteLog("System: %s %ld.%ld.%ld", sys.name.c_str(), sys.major, sys.minor, sys.build);
  System_WriteLog("Memory: %ldK total, %ldK free\n", sys.memory_total_kb, sys.memory_free_kb);
}

// ---------------------------------------------------------------- lifecycle

void TVK_Impl::ComputeWindowRects() {
  // The window manager draws the frame and caption, so the client size is the window size.
  os::DisplayMode desktop = platform_->DesktopMode();
  int left = (desktop.width - screen_width) / 2, top = (desktop.height - screen_height) / 2;
  windowed_rect = {left, top, left + screen_width, top + screen_height};
  fullscreen_rect = {0, 0, screen_width, screen_height};
  if (parent_window) {
    windowed_rect = fullscreen_rect;
    windowed = true;
  }
}

os::WindowDesc TVK_Impl::MainWindowDesc() const {
  os::WindowDesc desc;
  desc.title = title;
  desc.parent = parent_window;
  if (parent_window) desc.mode = os::WindowMode::Child;
  else desc.mode = windowed ? os::WindowMode::Windowed : os::WindowMode::FullScreen;
  desc.rect = windowed ? windowed_rect : fullscreen_rect;
  if (const Icon* found = FindIcon(icon)) {
    desc.icon_png = found->png;
    desc.icon_size = found->size;
  }
  return desc;
}

bool TVK_Impl::System_Initiate() {
  if (initiated_) return true;
  WriteLogHeader();
  ComputeWindowRects();
  if (!platform_->CreateMainWindow(MainWindowDesc())) {
    PostError("Can't create window");
    return false;
  }
  initiated_ = true;
  Random_SetSeed(0);
  RefreshPowerStatus();
  input.Start();
  if (!gfx.CreateDevice() || !sound.Init()) {
    System_Finish();
    return false;
  }
  System_WriteLog("Init done.\n");
  ResetTimer();
  return true;
}

void TVK_Impl::ResetTimer() {
  time_ = 0;
  last_frame_ms_ = fps_window_start_ms_ = platform_->Milliseconds();
  frame_counter_ = 0;
  elapsed_ms_ = 0;
  frames_per_second_ = 0;
}

void TVK_Impl::System_Finish() {
  System_WriteLog("\nFinishing..");
  res.CloseSearch();
  input.ResetFrame();
  sound.Done();
  gfx.ReleaseDevice();
  if (platform_->HasWindow()) platform_->DestroyMainWindow();
  initiated_ = false;
  System_WriteLog("The End.");
}

void TVK_Impl::RefreshPowerStatus() { power_status = platform_->PowerStatus(); }

// ---------------------------------------------------------------- main loop

// Waits for the next frame; true when a frame is due now, with time and delta updated.
bool TVK_Impl::WaitForFrame() {
  do {
    elapsed_ms_ = platform_->Milliseconds() - last_frame_ms_;
  } while (elapsed_ms_ == 0);
  if (elapsed_ms_ < fixed_interval_) {
    if (elapsed_ms_ + 3 < fixed_interval_) platform_->Sleep(1);
    return false;
  }
  delta_ = float(elapsed_ms_) / 1000.0f;
  if (delta_ > 0.2f) delta_ = fixed_interval_ ? float(fixed_interval_) / 1000.0f : 0.01f;
  time_ += delta_;
  last_frame_ms_ = platform_->Milliseconds();
  return true;
}

void TVK_Impl::AdvanceFrameCounter() {
  if (last_frame_ms_ - fps_window_start_ms_ > 1000) {
    frames_per_second_ = frame_counter_;
    frame_counter_ = 0;
    fps_window_start_ms_ = last_frame_ms_;
    RefreshPowerStatus();
  } else {
    ++frame_counter_;
  }
}

bool TVK_Impl::System_Start() {
  if (!initiated_) {
    PostError("System_Start: System_Initiate wasn't ed");
    return false;
  }
  if (!frame_func) {
    PostError("System_Start: No frame function defined");
    return false;
  }
  active = true;
  for (;;) {
    // A hosted engine handles its window's messages too: each call takes all that are
    // pending before it runs its one frame.
    os::Message msg;
    if (platform_->PeekMessage(&msg)) {
      if (msg.type == os::MsgType::Quit) break;
      WindowProc(msg);
      continue;
    }
    input.UpdateMouseOver();
    // Without focus a standalone engine waits; a hosted one draws whenever its host asks.
    if (!active && !run_in_background && !parent_window) {
      platform_->Sleep(1);
      continue;
    }
    if (!WaitForFrame()) continue;
    AdvanceFrameCounter();
    if (frame_func()) break;
    if (render_func) render_func();
    if (parent_window) break;  // a hosted engine runs one frame per call
    input.ResetFrame();
  }
  input.ResetFrame();
  active = false;
  return true;
}

// ---------------------------------------------------------------- window procedure

void TVK_Impl::FocusChange(bool now_active) {
  active = now_active;
  if (!now_active && focus_lost_func) focus_lost_func();
  if (now_active && focus_gain_func) focus_gain_func();
}

// What the window system does with a message the engine passes on: Alt+F4 asks to close,
// a close request destroys the window, and destroying it ends the loop.
long TVK_Impl::DefaultProcessing(const os::Message& msg) {
  if (msg.type == os::MsgType::SysKeyDown && msg.key == Key_F4) {
    os::Message close;
    close.type = os::MsgType::SysCommandClose;
    return WindowProc(close);
  }
  if (msg.type == os::MsgType::SysCommandClose) {
    if (platform_->HasWindow()) platform_->DestroyMainWindow();
    os::Message destroy;
    destroy.type = os::MsgType::Destroy;
    return WindowProc(destroy);
  }
  return 0;
}

bool TVK_Impl::ExitAllowed() { return !exit_func || exit_func(); }

long TVK_Impl::WindowProc(const os::Message& msg) {
  switch (msg.type) {
    case os::MsgType::Destroy:
      platform_->PostQuit();
      return 0;
    case os::MsgType::Size:
      if (gfx.HasInterface() && msg.restored && parent_window)
        gfx.ResizeBackBuffer(msg.width, msg.height);
      return 0;
    case os::MsgType::Activate: {
      bool now_active = msg.active && !msg.minimized;
      if (gfx.HasInterface() && now_active != active) FocusChange(now_active);
      return 0;
    }
    case os::MsgType::Paint:
      if (gfx.HasInterface() && render_func && windowed) render_func();
      return 0;
    case os::MsgType::SetCursor:
      platform_->ShowCursor(!(active && msg.hit_client && hide_cursor));
      return 0;
    case os::MsgType::SysKeyDown:
      if (msg.key == Key_F4) return ExitAllowed() ? DefaultProcessing(msg) : 0;
      if (msg.key == Key_Enter) {
        System_SetBool(State_Windowed, !windowed);
        return 0;
      }
      input.HandleMessage(msg);
      return 0;
    case os::MsgType::SysCommandClose:
      if (!ExitAllowed()) return 0;
      active = false;
      return DefaultProcessing(msg);
    case os::MsgType::KeyDown:
    case os::MsgType::KeyUp:
    case os::MsgType::SysKeyUp:
    case os::MsgType::MouseMove:
    case os::MsgType::ButtonDown:
    case os::MsgType::ButtonDoubleClick:
    case os::MsgType::ButtonUp:
    case os::MsgType::Wheel:
      input.HandleMessage(msg);
      return 0;
    default:
      return 0;
  }
}

// ---------------------------------------------------------------- services

bool TVK_Impl::System_ShellOpen(const char* url) {
  return url && url[0] && platform_->ShellOpen(url);
}

void TVK_Impl::System_SaveShot(const char* filename) {
  char path[kPathSize];
  if (filename) {
    CopyText(path, sizeof path, Resource_FullPath(filename));
  } else {
    int count = 0;
    for (const char* f = Resource_FindFile("shot???.bmp"); f; f = Resource_FindFile(nullptr))
      ++count;
    // Numbering continues after the shots present; a gap never makes us overwrite one.
    char name[32];
    do {
      snprintf(name, sizeof name, "shot%03d.bmp", count++);
      CopyText(path, sizeof path, Resource_FullPath(name));
    } while (FileExists(path) && count < 100000);
  }
  if (path[0]) gfx.SaveShot(path);
}

void TVK_MessageBox(const char* title, const char* text) {
  if (TVK_Impl* e = TVK_Impl::Instance()) e->Platform().MessageBox(title, text);
  else os::CreateSdlPlatform()->MessageBox(title, text);
}
