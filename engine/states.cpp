// Setting and reading the numbered states, and the window icon table.
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/tvk_impl.h"
#include "platform/os/regular_file.h"

namespace {

std::vector<TVK_Impl::Icon>& Icons() {
  static std::vector<TVK_Impl::Icon> icons;
  return icons;
}

bool IsIntegerId(const char* id) { return reinterpret_cast<uintptr_t>(id) < 65536; }

bool SameIconId(const char* a, const char* b) {
  if (IsIntegerId(a) || IsIntegerId(b)) return a == b;
  return strcmp(a, b) == 0;
}

}  // namespace

void TVK_RegisterIcon(const char* id, const void* png, size_t size) {
  if (png && size) Icons().push_back({id, png, size});
}

const TVK_Impl::Icon* TVK_Impl::FindIcon(const char* id) {
  if (!id) return nullptr;
  for (const Icon& icon : Icons())
    if (SameIconId(icon.id, id)) return &icon;
  return nullptr;
}

void TVK_Impl::SetIcon(const char* icon_name) {
  icon = icon_name;
  if (!WindowExists()) return;
  if (const Icon* found = FindIcon(icon_name)) platform_->SetIcon(found->png, found->size);
}

void TVK_Impl::SetWindowed(bool value) {
  if (gfx.InScene() || parent_window) return;
  if (gfx.HasDevice() && value != windowed) gfx.SwitchWindowed(value);
  else windowed = value;
}

void TVK_Impl::SetFps(int value) {
  if (gfx.InScene()) return;
  if (gfx.HasDevice() && (value < 0) != (fps < 0)) gfx.ApplyFpsSignChange(value);
  fps = value;
  fixed_interval_ = value > 0 ? uint32_t(1000.0f / float(value)) : 0;
}

// With the window up, turning sound on loads and starts the library, turning it off unloads it.
void TVK_Impl::SetUseSound(bool value) {
  if (value == use_sound) return;
  use_sound = value;
  if (!WindowExists()) return;
  if (value) sound.Init();
  else sound.Done();
}

void TVK_Impl::System_SetBool(BoolState state, bool value) {
  switch (state) {
    case State_Windowed: SetWindowed(value); break;
    case State_ZBuffer:
      if (!gfx.HasDevice()) zbuffer = value;
      break;
    case State_TextureFilter:
      texture_filter = value;
      gfx.ApplyTextureFilter();
      break;
    case State_UseSound: SetUseSound(value); break;
    case State_RunInBackground: run_in_background = value; break;
    case State_HideCursor: hide_cursor = value; break;
  }
}

bool TVK_Impl::System_GetBool(BoolState state) {
  switch (state) {
    case State_Windowed: return windowed;
    case State_ZBuffer: return zbuffer;
    case State_TextureFilter: return texture_filter;
    case State_UseSound: return use_sound;
    case State_RunInBackground: return run_in_background;
    case State_HideCursor: return hide_cursor;
  }
  return false;
}

Callback* TVK_Impl::CallbackSlot(CallbackState state) {
  switch (state) {
    case State_FrameFunc: return &frame_func;
    case State_RenderFunc: return &render_func;
    case State_FocusLostFunc: return &focus_lost_func;
    case State_FocusGainFunc: return &focus_gain_func;
    case State_DeviceRestoreFunc: return &device_restore_func;
    case State_ExitFunc: return &exit_func;
  }
  return nullptr;
}

void TVK_Impl::System_SetCallback(CallbackState state, Callback value) {
  if (Callback* slot = CallbackSlot(state)) *slot = value;
}

Callback TVK_Impl::System_GetCallback(CallbackState state) {
  Callback* slot = CallbackSlot(state);
  return slot ? *slot : nullptr;
}

void TVK_Impl::System_SetWindow(WindowState state, WindowHandle value) {
  if (state == State_ParentWindow && !WindowExists()) parent_window = value;
}

WindowHandle TVK_Impl::System_GetWindow(WindowState state) {
  switch (state) {
    case State_WindowHandle: return WindowExists() ? platform_->NativeWindow() : nullptr;
    case State_ParentWindow: return parent_window;
  }
  return nullptr;
}

void TVK_Impl::System_SetInt(IntState state, int value) {
  switch (state) {
    case State_ScreenWidth:
      if (!gfx.HasDevice()) screen_width = value;
      break;
    case State_ScreenHeight:
      if (!gfx.HasDevice()) screen_height = value;
      break;
    case State_ScreenBpp:
      if (!gfx.HasDevice()) screen_bpp = value;
      break;
    case State_SampleRate:
      if (!sound.Loaded()) sample_rate = value;
      break;
    case State_EffectVolume:
      effect_volume = value;
      sound.SetEffectVolume(value);
      break;
    case State_MusicVolume:
      music_volume = value;
      sound.SetMusicVolume(value);
      break;
    case State_StreamVolume:
      stream_volume = value;
      sound.SetStreamVolume(value);
      break;
    case State_Fps: SetFps(value); break;
    case State_PowerStatus: break;
  }
}

int TVK_Impl::System_GetInt(IntState state) {
  switch (state) {
    case State_ScreenWidth: return screen_width;
    case State_ScreenHeight: return screen_height;
    case State_ScreenBpp: return screen_bpp;
    case State_SampleRate: return sample_rate;
    case State_EffectVolume: return effect_volume;
    case State_MusicVolume: return music_volume;
    case State_StreamVolume: return stream_volume;
    case State_Fps: return fps;
    case State_PowerStatus: return power_status;
  }
  return 0;
}

// Stores the name made absolute, or clears the path for null or an unusable name.
void TVK_Impl::SetPath(char* dst, const char* name) {
  CopyText(dst, kPathSize, name ? Resource_FullPath(name) : nullptr);
}

// The log starts empty. Only a regular file will do: a FIFO or device is refused at once
// (opening a FIFO would wait for a reader), and then nothing is logged.
void TVK_Impl::SetLogFile(const char* name) {
  SetPath(log_file, name);
  if (!log_file[0]) return;
  if (!os::FilePtr(os::OpenRegularFile(log_file, os::FileMode::Write))) log_file[0] = '\0';
}

void TVK_Impl::System_SetText(TextState state, const char* value) {
  switch (state) {
    case State_Icon: SetIcon(value); break;
    case State_Title:
      CopyText(title, sizeof title, value);
      if (WindowExists()) platform_->SetTitle(title);
      break;
    case State_IniFile: SetPath(ini_file, value); break;
    case State_LogFile: SetLogFile(value); break;
  }
}

const char* TVK_Impl::System_GetText(TextState state) {
  switch (state) {
    case State_Icon: return icon;
    case State_Title: return title;
    case State_IniFile: return ini_file[0] ? ini_file : nullptr;
    case State_LogFile: return log_file[0] ? log_file : nullptr;
  }
  return nullptr;
}
