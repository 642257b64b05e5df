// The Tarvok engine interface: one object, obtained from TVK_Create, reaches every engine
// service. The order of the virtual operations below is part of the contract with programs.
#pragma once

#include <cstddef>
#include <cstdint>

#define TVK_VERSION 0x180

using TextureHandle = uint32_t;  // 0 = no texture
using TargetHandle = uint32_t;   // 0 = the screen
using EffectHandle = uint32_t;   // sound handles: 0 = none / failure
using MusicHandle = uint32_t;
using StreamHandle = uint32_t;
using ChannelHandle = uint32_t;
using WindowHandle = void*;  // native window id carried in a pointer-sized value
using Callback = bool (*)();

// ---- states: one numbering across all five types; the number fixes the type ----
enum BoolState {
  State_Windowed = 1,
  State_ZBuffer = 2,
  State_TextureFilter = 3,
  State_UseSound = 4,
  State_RunInBackground = 5,
  State_HideCursor = 6,
};
enum CallbackState {
  State_FrameFunc = 8,
  State_RenderFunc = 9,
  State_FocusLostFunc = 10,
  State_FocusGainFunc = 11,
  State_DeviceRestoreFunc = 12,
  State_ExitFunc = 13,
};
enum WindowState {
  State_WindowHandle = 15,
  State_ParentWindow = 16,
};
enum IntState {
  State_ScreenWidth = 17,
  State_ScreenHeight = 18,
  State_ScreenBpp = 19,
  State_SampleRate = 20,
  State_EffectVolume = 21,
  State_MusicVolume = 22,
  State_StreamVolume = 23,
  State_Fps = 24,
  State_PowerStatus = 25,
};
enum TextState {
  State_Icon = 26,
  State_Title = 27,
  State_IniFile = 28,
  State_LogFile = 29,
};

// State_Fps values with a special meaning.
enum { Fps_Unlimited = 0, Fps_VSync = -1 };
// State_PowerStatus values besides a battery percentage.
enum { Power_OnMains = -1, Power_Unsupported = -2 };

// ---- drawing records ----
struct Vertex {
  float x, y;    // screen position in pixels
  float z;       // 0.0 (near) .. 1.0 (far)
  uint32_t col;  // 0xAARRGGBB
  float tx, ty;  // texture coordinates
};
struct Triangle {
  Vertex v[3];
  TextureHandle tex;
  int blend;
};
struct Quad {
  Vertex v[4];  // top-left, top-right, bottom-right, bottom-left
  TextureHandle tex;
  int blend;
};

// Blend-mode bits.
enum {
  Blend_ColorMul = 0,
  Blend_ColorAdd = 1,
  Blend_AlphaAdd = 0,
  Blend_AlphaBlend = 2,
  Blend_NoZWrite = 0,
  Blend_ZWrite = 4,
  Blend_Default = Blend_ColorMul | Blend_AlphaBlend | Blend_NoZWrite,
  Blend_DefaultZ = Blend_ColorMul | Blend_AlphaBlend | Blend_ZWrite,
};

// Primitive types: the number of vertices per primitive.
enum { Prim_Lines = 2, Prim_Triangles = 3, Prim_Quads = 4 };

// ---- input ----
enum {
  Event_KeyDown = 1,
  Event_KeyUp = 2,
  Event_ButtonDown = 3,
  Event_ButtonUp = 4,
  Event_MouseMove = 5,
  Event_MouseWheel = 6,
};
enum {
  Flag_Shift = 0x01,
  Flag_Ctrl = 0x02,
  Flag_Alt = 0x04,
  Flag_CapsLock = 0x08,
  Flag_ScrollLock = 0x10,
  Flag_NumLock = 0x20,
  Flag_Repeat = 0x40,
};
struct InputEvent {
  int type;   // Event_*
  int key;    // key or button code
  int flags;  // Flag_*
  int chr;    // character the key produces
  int wheel;  // wheel notches
  float x, y; // mouse position in client pixels
};

// Key codes (mouse buttons share the code space).
enum {
  Key_LButton = 1, Key_RButton = 2, Key_MButton = 4,
  Key_Backspace = 8, Key_Tab = 9, Key_Enter = 13,
  Key_Shift = 16, Key_Ctrl = 17, Key_Alt = 18, Key_Pause = 19, Key_CapsLock = 20,
  Key_Escape = 27,
  Key_Space = 32, Key_PageUp = 33, Key_PageDown = 34, Key_End = 35, Key_Home = 36,
  Key_Left = 37, Key_Up = 38, Key_Right = 39, Key_Down = 40,
  Key_Insert = 45, Key_Delete = 46,
  Key_0 = 48, Key_1, Key_2, Key_3, Key_4, Key_5, Key_6, Key_7, Key_8, Key_9,
  Key_A = 65, Key_B, Key_C, Key_D, Key_E, Key_F, Key_G, Key_H, Key_I, Key_J, Key_K, Key_L, Key_M,
  Key_N, Key_O, Key_P, Key_Q, Key_R, Key_S, Key_T, Key_U, Key_V, Key_W, Key_X, Key_Y, Key_Z,
  Key_LWin = 91, Key_RWin = 92, Key_Apps = 93,
  Key_NumPad0 = 96, Key_NumPad1, Key_NumPad2, Key_NumPad3, Key_NumPad4, Key_NumPad5,
  Key_NumPad6, Key_NumPad7, Key_NumPad8, Key_NumPad9,
  Key_Multiply = 106, Key_Add = 107, Key_Subtract = 109, Key_Decimal = 110, Key_Divide = 111,
  Key_F1 = 112, Key_F2, Key_F3, Key_F4, Key_F5, Key_F6, Key_F7, Key_F8, Key_F9, Key_F10,
  Key_F11, Key_F12,
  Key_NumLock = 144, Key_ScrollLock = 145,
  Key_Semicolon = 186, Key_Equals = 187, Key_Comma = 188, Key_Minus = 189, Key_Period = 190,
  Key_Slash = 191, Key_Grave = 192,
  Key_LBracket = 219, Key_Backslash = 220, Key_RBracket = 221, Key_Apostrophe = 222,
};

// Text alignment values used by the font classes.
enum {
  Align_Left = 0, Align_Right = 1, Align_Center = 2,
  Align_Top = 0, Align_Bottom = 4, Align_Middle = 8,
};

// ---- the interface ----
class TVK {
 public:
  virtual void Release() = 0;  // slot 0

  virtual bool System_Initiate() = 0;
  virtual void System_Finish() = 0;
  virtual bool System_Start() = 0;
  virtual const char* System_GetLastError() = 0;
  virtual void System_WriteLog(const char* format, ...) __attribute__((format(printf, 2, 3))) = 0;
  virtual bool System_ShellOpen(const char* url) = 0;
  virtual void System_SaveShot(const char* filename = nullptr) = 0;

  virtual void System_SetBool(BoolState state, bool value) = 0;
  virtual void System_SetCallback(CallbackState state, Callback value) = 0;
  virtual void System_SetWindow(WindowState state, WindowHandle value) = 0;
  virtual void System_SetInt(IntState state, int value) = 0;
  virtual void System_SetText(TextState state, const char* value) = 0;
  virtual bool System_GetBool(BoolState state) = 0;
  virtual Callback System_GetCallback(CallbackState state) = 0;
  virtual WindowHandle System_GetWindow(WindowState state) = 0;
  virtual int System_GetInt(IntState state) = 0;
  virtual const char* System_GetText(TextState state) = 0;

  virtual void* Resource_Load(const char* filename, uint32_t* size = nullptr) = 0;
  virtual void Resource_Free(void* block) = 0;
  virtual bool Resource_AddPack(const char* filename, const char* password = nullptr) = 0;
  virtual void Resource_DropPack(const char* filename) = 0;
  virtual void Resource_DropAllPacks() = 0;
  virtual const char* Resource_FullPath(const char* filename) = 0;
  virtual const char* Resource_FindFile(const char* wildcard = nullptr) = 0;
  virtual const char* Resource_FindFolder(const char* wildcard = nullptr) = 0;

  virtual void Settings_PutInt(const char* section, const char* key, int value) = 0;
  virtual int Settings_GetInt(const char* section, const char* key, int def = 0) = 0;
  virtual void Settings_PutFloat(const char* section, const char* key, float value) = 0;
  virtual float Settings_GetFloat(const char* section, const char* key, float def = 0.0f) = 0;
  virtual void Settings_PutText(const char* section, const char* key, const char* value) = 0;
  virtual const char* Settings_GetText(const char* section, const char* key,
                                       const char* def = "") = 0;

  virtual void Random_SetSeed(unsigned seed = 0) = 0;
  virtual int Random_Integer(int min, int max) = 0;
  virtual float Random_Real(float min, float max) = 0;

  virtual float Clock_GetTime() = 0;
  virtual float Clock_GetDelta() = 0;
  virtual int Clock_GetFps() = 0;

  virtual EffectHandle Effect_Load(const char* filename, uint32_t size = 0) = 0;
  virtual void Effect_Free(EffectHandle effect) = 0;
  virtual ChannelHandle Effect_Play(EffectHandle effect) = 0;
  virtual ChannelHandle Effect_PlayTuned(EffectHandle effect, int volume = 100, int pan = 0,
                                         float pitch = 1.0f, bool loop = false) = 0;

  virtual MusicHandle Music_Load(const char* filename, uint32_t size = 0) = 0;
  virtual void Music_Free(MusicHandle music) = 0;
  virtual ChannelHandle Music_Play(MusicHandle music, bool loop, int volume = 100,
                                   int order = -1, int row = -1) = 0;
  virtual void Music_SetAmplify(MusicHandle music, int amplify) = 0;
  virtual int Music_GetAmplify(MusicHandle music) = 0;
  virtual int Music_GetOrderCount(MusicHandle music) = 0;
  virtual void Music_SetOrderRow(MusicHandle music, int order, int row) = 0;
  virtual bool Music_GetOrderRow(MusicHandle music, int* order, int* row) = 0;
  virtual void Music_SetInstrumentVolume(MusicHandle music, int instrument, int volume) = 0;
  virtual int Music_GetInstrumentVolume(MusicHandle music, int instrument) = 0;
  virtual void Music_SetTrackVolume(MusicHandle music, int channel, int volume) = 0;
  virtual int Music_GetTrackVolume(MusicHandle music, int channel) = 0;

  virtual StreamHandle Stream_Load(const char* filename, uint32_t size = 0) = 0;
  virtual void Stream_Free(StreamHandle stream) = 0;
  virtual ChannelHandle Stream_Play(StreamHandle stream, bool loop, int volume = 100) = 0;

  virtual void Channel_SetPan(ChannelHandle channel, int pan) = 0;
  virtual void Channel_SetVolume(ChannelHandle channel, int volume) = 0;
  virtual void Channel_SetPitch(ChannelHandle channel, float pitch) = 0;
  virtual void Channel_Pause(ChannelHandle channel) = 0;
  virtual void Channel_Resume(ChannelHandle channel) = 0;
  virtual void Channel_Stop(ChannelHandle channel) = 0;
  virtual void Channel_PauseAll() = 0;
  virtual void Channel_ResumeAll() = 0;
  virtual void Channel_StopAll() = 0;
  virtual bool Channel_IsActive(ChannelHandle channel) = 0;
  virtual float Channel_GetLength(ChannelHandle channel) = 0;
  virtual float Channel_GetPosition(ChannelHandle channel) = 0;
  virtual void Channel_SetPosition(ChannelHandle channel, float seconds) = 0;
  virtual void Channel_Slide(ChannelHandle channel, float time, int volume, int pan = -101,
                             float pitch = -1.0f) = 0;
  virtual bool Channel_IsSliding(ChannelHandle channel) = 0;

  virtual void Mouse_GetPosition(float* x, float* y) = 0;
  virtual void Mouse_SetPosition(float x, float y) = 0;
  virtual int Mouse_GetWheel() = 0;
  virtual bool Mouse_IsInside() = 0;

  virtual bool Key_WentDown(int key) = 0;
  virtual bool Key_WentUp(int key) = 0;
  virtual bool Key_IsDown(int key) = 0;
  virtual const char* Key_GetName(int key) = 0;
  virtual int Key_GetLast() = 0;
  virtual int Key_GetLastChar() = 0;
  virtual bool Input_NextEvent(InputEvent* event) = 0;

  virtual bool Gfx_BeginScene(TargetHandle target = 0) = 0;
  virtual void Gfx_EndScene() = 0;
  virtual void Gfx_Clear(uint32_t color) = 0;
  virtual void Gfx_DrawLine(float x1, float y1, float x2, float y2, uint32_t color = 0xFFFFFFFF,
                            float z = 0.5f) = 0;
  virtual void Gfx_DrawTriangle(const Triangle* triangle) = 0;
  virtual void Gfx_DrawQuad(const Quad* quad) = 0;
  virtual Vertex* Gfx_OpenBatch(int prim_type, TextureHandle tex, int blend, int* max_prim) = 0;
  virtual void Gfx_CloseBatch(int prim_count) = 0;
  virtual void Gfx_SetClipRect(int x = 0, int y = 0, int width = 0, int height = 0) = 0;
  virtual void Gfx_SetViewTransform(float x = 0, float y = 0, float dx = 0, float dy = 0,
                                    float rotation = 0, float hscale = 0, float vscale = 0) = 0;

  virtual TargetHandle Target_Create(int width, int height, bool zbuffer) = 0;
  virtual void Target_Free(TargetHandle target) = 0;
  virtual TextureHandle Target_GetTexture(TargetHandle target) = 0;

  virtual TextureHandle Texture_Create(int width, int height) = 0;
  virtual TextureHandle Texture_Load(const char* filename, uint32_t size = 0,
                                     bool mipmap = false) = 0;
  virtual void Texture_Free(TextureHandle tex) = 0;
  virtual int Texture_GetWidth(TextureHandle tex, bool image_size = false) = 0;
  virtual int Texture_GetHeight(TextureHandle tex, bool image_size = false) = 0;
  virtual uint32_t* Texture_Lock(TextureHandle tex, bool read_only = true, int left = 0,
                                 int top = 0, int width = 0, int height = 0) = 0;
  virtual void Texture_Unlock(TextureHandle tex) = 0;

 protected:
  ~TVK() = default;  // only Release destroys the engine
};

// Returns the process-wide engine with one more reference, or null for a wrong version.
TVK* TVK_Create(int version);

// Registers PNG bytes as a window icon under a name, or under an integer id carried in the
// pointer (values below 65536); State_Icon names the icon to use. The bytes must stay valid.
void TVK_RegisterIcon(const char* id, const void* png, size_t size);

// Shows a modal message box (or prints to standard error when no display is available);
// programs use it to report a failed start.
void TVK_MessageBox(const char* title, const char* text);
