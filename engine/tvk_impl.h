// The engine object: every state and every subsystem of the TVK interface. Each area keeps
// its data in its own class (input, resources, graphics, sound); TVK_Impl owns them and holds
// the states, the log, the window procedure and the main loop.
#pragma once

#include <cstdarg>
#include <cstring>
#include <memory>

#include "engine/graphics.h"
#include "engine/input.h"
#include "engine/resources.h"
#include "engine/sound_library.h"
#include "engine/tvk.h"
#include "platform/os/platform.h"

constexpr int kPathSize = 260;
constexpr int kTextSize = 256;

// Copies src (null = empty) into dst of `size` bytes, cut to fit. src may be dst itself or lie
// inside it, as when a caller hands a text getter's own result back to its setter.
inline void CopyText(char* dst, size_t size, const char* src) {
  if (!size) return;
  const size_t length = src ? strnlen(src, size - 1) : 0;
  if (length) std::memmove(dst, src, length);
  dst[length] = '\0';
}

class TVK_Impl final : public TVK {
 public:
  TVK_Impl();
  ~TVK_Impl();

  // The live engine object, or null.
  static TVK_Impl* Instance();
  // Replaces the operating-system layer (tests inject fakes); only before System_Initiate.
  void UsePlatform(std::unique_ptr<os::Platform> platform);
  os::Platform& Platform() { return *platform_; }

  void Release() override;

  bool System_Initiate() override;
  void System_Finish() override;
  bool System_Start() override;
  const char* System_GetLastError() override;
  void System_WriteLog(const char* format, ...) override __attribute__((format(printf, 2, 3)));
  bool System_ShellOpen(const char* url) override;
  void System_SaveShot(const char* filename) override;

  void System_SetBool(BoolState state, bool value) override;
  void System_SetCallback(CallbackState state, Callback value) override;
  void System_SetWindow(WindowState state, WindowHandle value) override;
  void System_SetInt(IntState state, int value) override;
  void System_SetText(TextState state, const char* value) override;
  bool System_GetBool(BoolState state) override;
  Callback System_GetCallback(CallbackState state) override;
  WindowHandle System_GetWindow(WindowState state) override;
  int System_GetInt(IntState state) override;
  const char* System_GetText(TextState state) override;

  void* Resource_Load(const char* filename, uint32_t* size) override;
  void Resource_Free(void* block) override;
  bool Resource_AddPack(const char* filename, const char* password) override;
  void Resource_DropPack(const char* filename) override;
  void Resource_DropAllPacks() override;
  const char* Resource_FullPath(const char* filename) override;
  const char* Resource_FindFile(const char* wildcard) override;
  const char* Resource_FindFolder(const char* wildcard) override;

  void Settings_PutInt(const char* section, const char* key, int value) override;
  int Settings_GetInt(const char* section, const char* key, int def) override;
  void Settings_PutFloat(const char* section, const char* key, float value) override;
  float Settings_GetFloat(const char* section, const char* key, float def) override;
  void Settings_PutText(const char* section, const char* key, const char* value) override;
  const char* Settings_GetText(const char* section, const char* key, const char* def) override;

  void Random_SetSeed(unsigned seed) override;
  int Random_Integer(int min, int max) override;
  float Random_Real(float min, float max) override;

  float Clock_GetTime() override;
  float Clock_GetDelta() override;
  int Clock_GetFps() override;

  EffectHandle Effect_Load(const char* filename, uint32_t size) override;
  void Effect_Free(EffectHandle effect) override;
  ChannelHandle Effect_Play(EffectHandle effect) override;
  ChannelHandle Effect_PlayTuned(EffectHandle effect, int volume, int pan, float pitch,
                                 bool loop) override;
  MusicHandle Music_Load(const char* filename, uint32_t size) override;
  void Music_Free(MusicHandle music) override;
  ChannelHandle Music_Play(MusicHandle music, bool loop, int volume, int order, int row) override;
  void Music_SetAmplify(MusicHandle music, int amplify) override;
  int Music_GetAmplify(MusicHandle music) override;
  int Music_GetOrderCount(MusicHandle music) override;
  void Music_SetOrderRow(MusicHandle music, int order, int row) override;
  bool Music_GetOrderRow(MusicHandle music, int* order, int* row) override;
  void Music_SetInstrumentVolume(MusicHandle music, int instrument, int volume) override;
  int Music_GetInstrumentVolume(MusicHandle music, int instrument) override;
  void Music_SetTrackVolume(MusicHandle music, int channel, int volume) override;
  int Music_GetTrackVolume(MusicHandle music, int channel) override;
  StreamHandle Stream_Load(const char* filename, uint32_t size) override;
  void Stream_Free(StreamHandle stream) override;
  ChannelHandle Stream_Play(StreamHandle stream, bool loop, int volume) override;
  void Channel_SetPan(ChannelHandle channel, int pan) override;
  void Channel_SetVolume(ChannelHandle channel, int volume) override;
  void Channel_SetPitch(ChannelHandle channel, float pitch) override;
  void Channel_Pause(ChannelHandle channel) override;
  void Channel_Resume(ChannelHandle channel) override;
  void Channel_Stop(ChannelHandle channel) override;
  void Channel_PauseAll() override;
  void Channel_ResumeAll() override;
  void Channel_StopAll() override;
  bool Channel_IsActive(ChannelHandle channel) override;
  float Channel_GetLength(ChannelHandle channel) override;
  float Channel_GetPosition(ChannelHandle channel) override;
  void Channel_SetPosition(ChannelHandle channel, float seconds) override;
  void Channel_Slide(ChannelHandle channel, float time, int volume, int pan,
                     float pitch) override;
  bool Channel_IsSliding(ChannelHandle channel) override;

  void Mouse_GetPosition(float* x, float* y) override;
  void Mouse_SetPosition(float x, float y) override;
  int Mouse_GetWheel() override;
  bool Mouse_IsInside() override;
  bool Key_WentDown(int key) override;
  bool Key_WentUp(int key) override;
  bool Key_IsDown(int key) override;
  const char* Key_GetName(int key) override;
  int Key_GetLast() override;
  int Key_GetLastChar() override;
  bool Input_NextEvent(InputEvent* event) override;

  bool Gfx_BeginScene(TargetHandle target) override;
  void Gfx_EndScene() override;
  void Gfx_Clear(uint32_t color) override;
  void Gfx_DrawLine(float x1, float y1, float x2, float y2, uint32_t color, float z) override;
  void Gfx_DrawTriangle(const Triangle* triangle) override;
  void Gfx_DrawQuad(const Quad* quad) override;
  Vertex* Gfx_OpenBatch(int prim_type, TextureHandle tex, int blend, int* max_prim) override;
  void Gfx_CloseBatch(int prim_count) override;
  void Gfx_SetClipRect(int x, int y, int width, int height) override;
  void Gfx_SetViewTransform(float x, float y, float dx, float dy, float rotation, float hscale,
                            float vscale) override;
  TargetHandle Target_Create(int width, int height, bool zbuffer) override;
  void Target_Free(TargetHandle target) override;
  TextureHandle Target_GetTexture(TargetHandle target) override;
  TextureHandle Texture_Create(int width, int height) override;
  TextureHandle Texture_Load(const char* filename, uint32_t size, bool mipmap) override;
  void Texture_Free(TextureHandle tex) override;
  int Texture_GetWidth(TextureHandle tex, bool image_size) override;
  int Texture_GetHeight(TextureHandle tex, bool image_size) override;
  uint32_t* Texture_Lock(TextureHandle tex, bool read_only, int left, int top, int width,
                         int height) override;
  void Texture_Unlock(TextureHandle tex) override;

  // ---- internal entry points shared by the areas ----
  // Logs the formatted text as one line and keeps it as the last error.
  void PostError(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // The window procedure: handles one message; returns the message result.
  long WindowProc(const os::Message& msg);
  void FocusChange(bool active);
  // The fixed frame interval in milliseconds that State_Fps gives (0 = none).
  uint32_t FixedInterval() const { return fixed_interval_; }
  bool WindowExists() const { return initiated_; }

  // A window icon a program registered with TVK_RegisterIcon.
  struct Icon {
    const char* id;
    const void* png;
    size_t size;
  };
  static const Icon* FindIcon(const char* id);

  // ---- states (read by the areas) ----
  bool active = false;
  Callback frame_func = nullptr, render_func = nullptr, focus_lost_func = nullptr,
           focus_gain_func = nullptr, device_restore_func = nullptr, exit_func = nullptr;
  const char* icon = nullptr;
  char title[kTextSize] = "TVK";
  int screen_width = 800, screen_height = 600, screen_bpp = 32;
  bool windowed = false, zbuffer = false, texture_filter = true;
  char ini_file[kPathSize] = "";
  char log_file[kPathSize] = "";
  bool use_sound = true;
  int sample_rate = 44100, effect_volume = 100, music_volume = 100, stream_volume = 100;
  int fps = 0;
  bool hide_cursor = true, run_in_background = false;
  WindowHandle parent_window = nullptr;
  int power_status = Power_Unsupported;
  // Windowed and full-screen window rectangles, computed at System_Initiate.
  os::Rect windowed_rect, fullscreen_rect;

  // ---- areas ----
  Input input{*this};
  Resources res{*this};
  Graphics gfx{*this};
  Sound sound{*this};

 private:
  void WriteLogLine(const char* format, va_list args);
  void WriteLogHeader();
  void ComputeWindowRects();
  os::WindowDesc MainWindowDesc() const;
  void SetFps(int value);
  void SetWindowed(bool value);
  void SetUseSound(bool value);
  void SetIcon(const char* icon_name);
  void SetPath(char* dst, const char* name);
  void SetLogFile(const char* name);
  Callback* CallbackSlot(CallbackState state);
  void RefreshPowerStatus();
  void ResetTimer();
  bool WaitForFrame();
  void AdvanceFrameCounter();
  long DefaultProcessing(const os::Message& msg);
  bool ExitAllowed();
  EffectHandle DecodeEffect(void* data, uint32_t size);
  const char* SettingsText(const char* section, const char* key, const char* def);

  std::unique_ptr<os::Platform> platform_;
  bool initiated_ = false;  // System_Initiate made the window; System_Finish clears it
  char error_[kTextSize] = "";
  char settings_text_[kTextSize] = "";

  // Timer.
  float time_ = 0, delta_ = 0;
  uint32_t fixed_interval_ = 0;
  int frames_per_second_ = 0;
  uint32_t last_frame_ms_ = 0, fps_window_start_ms_ = 0, elapsed_ms_ = 0;
  int frame_counter_ = 0;
};
