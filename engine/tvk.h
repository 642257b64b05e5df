/// @file
/// The Tarvok engine interface: one object, obtained from TVK_Create, reaches every engine
/// service. The order of the virtual operations below is part of the contract with programs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/tvk_export.h"

/// The interface version a program passes to TVK_Create.
#define TVK_VERSION 0x180

/// A texture; 0 = no texture.
using TextureHandle = uint32_t;
/// A render target; 0 = the screen.
using TargetHandle = uint32_t;
/// A loaded sound effect; 0 = none or failure.
using EffectHandle = uint32_t;
/// Loaded tracker music, also its playing channel; 0 = none or failure.
using MusicHandle = uint32_t;
/// An opened sound stream, also its playing channel; 0 = none or failure.
using StreamHandle = uint32_t;
/// One playing instance of an effect, music or stream; 0 = none or failure.
using ChannelHandle = uint32_t;
/// A native window (the X11 window id) carried in a pointer-sized value.
using WindowHandle = void*;
/// A program callback; what a true result means depends on the state it is set in.
using Callback = bool (*)();

// ---- states: one numbering across all five types; the number fixes the type ----
/// Bool states, set with System_SetBool.
enum BoolState {
  State_Windowed = 1,         ///< windowed instead of full screen (default false)
  State_ZBuffer = 2,          ///< a depth buffer; before System_Initiate (default false)
  State_TextureFilter = 3,    ///< linear texture filtering instead of point (default true)
  State_UseSound = 4,         ///< load the sound library libbass.so (default true)
  State_RunInBackground = 5,  ///< keep running frames while the window lacks focus (default false)
  State_HideCursor = 6,       ///< hide the system cursor over the window (default true)
};
/// Callback states, set with System_SetCallback (all default null).
enum CallbackState {
  State_FrameFunc = 8,           ///< called each frame; true ends System_Start
  State_RenderFunc = 9,          ///< called after the frame callback to draw the frame
  State_FocusLostFunc = 10,      ///< called when the window loses focus
  State_FocusGainFunc = 11,      ///< called when the window gains focus
  State_DeviceRestoreFunc = 12,  ///< called after the device was reset; restore render targets here
  State_ExitFunc = 13,           ///< asked before the window closes; false cancels the close
};
/// Window states, set with System_SetWindow.
enum WindowState {
  State_WindowHandle = 15,  ///< the engine's window (read only)
  State_ParentWindow = 16,  ///< a host window to run inside; before System_Initiate
};
/// Integer states, set with System_SetInt.
enum IntState {
  State_ScreenWidth = 17,   ///< screen or window width in pixels; before System_Initiate (800)
  State_ScreenHeight = 18,  ///< screen or window height in pixels; before System_Initiate (600)
  State_ScreenBpp = 19,     ///< 32 or 16 bits per pixel; before System_Initiate (32)
  State_SampleRate = 20,    ///< sound output rate in Hz; before sound starts (44100)
  State_EffectVolume = 21,  ///< global effect volume 0..100 (100)
  State_MusicVolume = 22,   ///< global music volume 0..100 (100)
  State_StreamVolume = 23,  ///< global stream volume 0..100 (100)
  State_Fps = 24,           ///< frame rate limit, or Fps_Unlimited or Fps_VSync (0)
  State_PowerStatus = 25,   ///< battery percent, Power_OnMains or Power_Unsupported (read only)
};
/// Text states, set with System_SetText.
enum TextState {
  State_Icon = 26,     ///< name or id of an icon registered with TVK_RegisterIcon
  State_Title = 27,    ///< window title ("TVK")
  State_IniFile = 28,  ///< settings file for the Settings_ calls, relative to the program folder;
                       ///< writes replace it whole, through links, keeping its mode and line ends
  State_LogFile = 29,  ///< log file, relative to the program folder; truncated when set, refused
                       ///< (left unset) when it is not a regular file
};

/// State_Fps values with a special meaning: frames as fast as possible, or one per display refresh.
enum { Fps_Unlimited = 0, Fps_VSync = -1 };
/// State_PowerStatus values besides a battery percentage: on mains power, or no battery known.
enum { Power_OnMains = -1, Power_Unsupported = -2 };

// ---- drawing records ----
/// One corner of a drawn primitive.
struct Vertex {
  float x;       ///< screen x in pixels
  float y;       ///< screen y in pixels, growing downwards
  float z;       ///< depth, 0.0 (near) .. 1.0 (far)
  uint32_t col;  ///< colour 0xAARRGGBB, multiplied or added per the blend mode
  float tx;      ///< texture coordinate u, 0..1 across the texture
  float ty;      ///< texture coordinate v, 0..1 down the texture
};
/// A textured triangle for Gfx_DrawTriangle.
struct Triangle {
  Vertex v[3];        ///< the corners
  TextureHandle tex;  ///< texture, 0 for none
  int blend;          ///< Blend_ bits
};
/// A textured quad for Gfx_DrawQuad.
struct Quad {
  Vertex v[4];        ///< top-left, top-right, bottom-right, bottom-left
  TextureHandle tex;  ///< texture, 0 for none
  int blend;          ///< Blend_ bits
};

/// Blend-mode bits: one colour choice, one alpha choice and one depth choice added together.
enum {
  Blend_ColorMul = 0,    ///< vertex colour multiplies the texture
  Blend_ColorAdd = 1,    ///< vertex colour adds to the texture
  Blend_AlphaAdd = 0,    ///< additive blending onto the target
  Blend_AlphaBlend = 2,  ///< alpha blending onto the target
  Blend_NoZWrite = 0,    ///< depth is not written
  Blend_ZWrite = 4,      ///< depth is written
  Blend_Default = Blend_ColorMul | Blend_AlphaBlend | Blend_NoZWrite,  ///< sprite blending
  Blend_DefaultZ = Blend_ColorMul | Blend_AlphaBlend | Blend_ZWrite,   ///< and depth
};

/// Primitive types for Gfx_OpenBatch: the number of vertices per primitive.
enum { Prim_Lines = 2, Prim_Triangles = 3, Prim_Quads = 4 };

// ---- input ----
/// InputEvent types.
enum {
  Event_KeyDown = 1,     ///< a key was pressed (or repeats)
  Event_KeyUp = 2,       ///< a key was released
  Event_ButtonDown = 3,  ///< a mouse button was pressed
  Event_ButtonUp = 4,    ///< a mouse button was released
  Event_MouseMove = 5,   ///< the mouse moved
  Event_MouseWheel = 6,  ///< the wheel turned
};
/// InputEvent flag bits: modifiers held and lock keys on when the event happened.
enum {
  Flag_Shift = 0x01,
  Flag_Ctrl = 0x02,
  Flag_Alt = 0x04,
  Flag_CapsLock = 0x08,
  Flag_ScrollLock = 0x10,
  Flag_NumLock = 0x20,
  Flag_Repeat = 0x40,  ///< the key down is an auto-repeat
};
/// One input event, taken from the queue with Input_NextEvent.
struct InputEvent {
  int type;   ///< Event_ type
  int key;    ///< key or button code (Key_)
  int flags;  ///< Flag_ bits
  int chr;    ///< character the key produces, 0 for none
  int wheel;  ///< wheel notches, positive away from the user
  float x;    ///< mouse x in client pixels
  float y;    ///< mouse y in client pixels
};

/// Key codes for the Key_ calls; mouse buttons share the code space.
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

/// Text alignment values for the font classes: one horizontal and one vertical value added.
enum {
  Align_Left = 0, Align_Right = 1, Align_Center = 2,
  Align_Top = 0, Align_Bottom = 4, Align_Middle = 8,
};

// ---- the interface ----
/// The engine: a process-wide object from TVK_Create, reference counted, used from one thread.
class TVK_API TVK {
 public:
  /// Drops one reference; the last one finishes the system and destroys the engine.
  virtual void Release() = 0;

  /// Writes the log header, opens the window, creates the graphics device and loads the sound
  /// library; false on failure (see System_GetLastError).
  virtual bool System_Initiate() = 0;
  /// Frees sound, textures, graphics and the window, in that order, and writes "The End." to the
  /// log.
  virtual void System_Finish() = 0;
  /// Runs the main loop, calling the frame then the render callback each frame, until the frame
  /// callback returns true; false when not initiated or without a frame callback.
  virtual bool System_Start() = 0;
  /// The text of the last error; engine-owned, overwritten by the next error.
  virtual const char* System_GetLastError() = 0;
  /// Appends one printf-formatted line to the log file; nothing without a log file.
  virtual void System_WriteLog(const char* format, ...) __attribute__((format(printf, 2, 3))) = 0;
  /// Opens a file or address with the desktop's default program; false on failure.
  virtual bool System_ShellOpen(const char* url) = 0;
  /// Saves the back buffer as a BMP; without a name as the next free "shot%03d.bmp" in the program
  /// folder.
  virtual void System_SaveShot(const char* filename = nullptr) = 0;

  /// Sets a bool state; an identifier of another type is ignored.
  virtual void System_SetBool(BoolState state, bool value) = 0;
  /// Sets a callback state; an identifier of another type is ignored.
  virtual void System_SetCallback(CallbackState state, Callback value) = 0;
  /// Sets a window state (only State_ParentWindow, before System_Initiate).
  virtual void System_SetWindow(WindowState state, WindowHandle value) = 0;
  /// Sets an int state; an identifier of another type is ignored.
  virtual void System_SetInt(IntState state, int value) = 0;
  /// Sets a text state (copied, except State_Icon which keeps the pointer); null clears it.
  virtual void System_SetText(TextState state, const char* value) = 0;
  /// The value of a bool state; false for an identifier of another type.
  virtual bool System_GetBool(BoolState state) = 0;
  /// The value of a callback state; null for an identifier of another type.
  virtual Callback System_GetCallback(CallbackState state) = 0;
  /// The value of a window state; null for an identifier of another type.
  virtual WindowHandle System_GetWindow(WindowState state) = 0;
  /// The value of an int state; 0 for an identifier of another type.
  virtual int System_GetInt(IntState state) = 0;
  /// The value of a text state; null when unset or for an identifier of another type.
  virtual const char* System_GetText(TextState state) = 0;

  /// Loads a whole file from the attached packs or the disk; the block (and its size in *size)
  /// belongs to the caller until Resource_Free; null when not found or not a regular file.
  virtual void* Resource_Load(const char* filename, uint32_t* size = nullptr) = 0;
  /// Frees a block returned by Resource_Load; null is ignored.
  virtual void Resource_Free(void* block) = 0;
  /// Attaches a zip pack (optionally password-protected) that Resource_Load searches first; false
  /// when it cannot be opened or is not a regular file.
  virtual bool Resource_AddPack(const char* filename, const char* password = nullptr) = 0;
  /// Detaches one pack by the name it was attached with.
  virtual void Resource_DropPack(const char* filename) = 0;
  /// Detaches every pack.
  virtual void Resource_DropAllPacks() = 0;
  /// The absolute path of a name relative to the program folder; engine-owned buffer, overwritten
  /// by the next call.
  virtual const char* Resource_FullPath(const char* filename) = 0;
  /// The first file matching the wildcard, or with null the next one of the same search; null when
  /// there are no more.
  virtual const char* Resource_FindFile(const char* wildcard = nullptr) = 0;
  /// The first folder matching the wildcard, or with null the next one of the same search; null
  /// when there are no more.
  virtual const char* Resource_FindFolder(const char* wildcard = nullptr) = 0;

  /// Writes an integer to the settings file (State_IniFile); nothing without one.
  virtual void Settings_PutInt(const char* section, const char* key, int value) = 0;
  /// Reads an integer from the settings file; def when the key or the file is missing.
  virtual int Settings_GetInt(const char* section, const char* key, int def = 0) = 0;
  /// Writes a number with six decimals and a decimal point to the settings file; nothing
  /// without one.
  virtual void Settings_PutFloat(const char* section, const char* key, float value) = 0;
  /// Reads a number from the settings file: the value's plain decimal prefix in any locale, 0
  /// without one ("inf", "nan" and "0x" texts read as 0), out-of-range values held finite; def
  /// when the key or the file is missing.
  virtual float Settings_GetFloat(const char* section, const char* key, float def = 0.0f) = 0;
  /// Writes a text to the settings file; nothing without one.
  virtual void Settings_PutText(const char* section, const char* key, const char* value) = 0;
  /// Reads a text from the settings file, or def (which may be this call's previous result);
  /// engine-owned buffer, overwritten by the next call.
  virtual const char* Settings_GetText(const char* section, const char* key,
                                       const char* def = "") = 0;

  /// Seeds the random generator; 0 seeds it from the clock.
  virtual void Random_SetSeed(unsigned seed = 0) = 0;
  /// A random integer from min to max inclusive.
  virtual int Random_Integer(int min, int max) = 0;
  /// A random number from min to max.
  virtual float Random_Real(float min, float max) = 0;

  /// Seconds of frame time since System_Initiate.
  virtual float Clock_GetTime() = 0;
  /// Seconds the last frame took.
  virtual float Clock_GetDelta() = 0;
  /// Frames drawn during the last whole second.
  virtual int Clock_GetFps() = 0;

  /// Loads a sound effect from a file (size 0) or from size bytes at the address; 0 on failure.
  virtual EffectHandle Effect_Load(const char* filename, uint32_t size = 0) = 0;
  /// Frees a sound effect and stops its channels.
  virtual void Effect_Free(EffectHandle effect) = 0;
  /// Plays an effect at full volume, centred, at its own pitch; returns its channel, 0 on failure.
  virtual ChannelHandle Effect_Play(EffectHandle effect) = 0;
  /// Plays an effect at volume 0..100, pan -100..100, a pitch factor and optionally looped; returns
  /// its channel.
  virtual ChannelHandle Effect_PlayTuned(EffectHandle effect, int volume = 100, int pan = 0,
                                         float pitch = 1.0f, bool loop = false) = 0;

  /// Loads tracker music (MOD, S3M, XM, IT) from a file (size 0) or from memory; 0 on failure.
  virtual MusicHandle Music_Load(const char* filename, uint32_t size = 0) = 0;
  /// Frees music and stops it.
  virtual void Music_Free(MusicHandle music) = 0;
  /// Plays music at volume 0..100 from an order and row (-1 keeps the current one); returns the
  /// music handle as its channel.
  virtual ChannelHandle Music_Play(MusicHandle music, bool loop, int volume = 100,
                                   int order = -1, int row = -1) = 0;
  /// Sets the music's amplification.
  virtual void Music_SetAmplify(MusicHandle music, int amplify) = 0;
  /// The music's amplification; -1 on failure.
  virtual int Music_GetAmplify(MusicHandle music) = 0;
  /// The number of orders in the music; -1 on failure.
  virtual int Music_GetOrderCount(MusicHandle music) = 0;
  /// Moves the music's play position to an order and row.
  virtual void Music_SetOrderRow(MusicHandle music, int order, int row) = 0;
  /// Writes the music's current order and row; false on failure.
  virtual bool Music_GetOrderRow(MusicHandle music, int* order, int* row) = 0;
  /// Sets one instrument's volume, 0..100.
  virtual void Music_SetInstrumentVolume(MusicHandle music, int instrument, int volume) = 0;
  /// One instrument's volume, 0..100; -1 on failure.
  virtual int Music_GetInstrumentVolume(MusicHandle music, int instrument) = 0;
  /// Sets one track's (music channel's) volume, 0..100.
  virtual void Music_SetTrackVolume(MusicHandle music, int channel, int volume) = 0;
  /// One track's volume, 0..100; -1 on failure.
  virtual int Music_GetTrackVolume(MusicHandle music, int channel) = 0;

  /// Opens a long sound (WAV, Ogg, FLAC, MP3...) decoded while playing, from a file (size 0) or
  /// memory; 0 on failure.
  virtual StreamHandle Stream_Load(const char* filename, uint32_t size = 0) = 0;
  /// Frees a stream and the file data the engine loaded for it.
  virtual void Stream_Free(StreamHandle stream) = 0;
  /// Plays a stream at volume 0..100, optionally looped; returns the stream handle as its channel.
  virtual ChannelHandle Stream_Play(StreamHandle stream, bool loop, int volume = 100) = 0;

  /// Sets a channel's pan, -100 (left) .. 100 (right).
  virtual void Channel_SetPan(ChannelHandle channel, int pan) = 0;
  /// Sets a channel's volume, 0..100.
  virtual void Channel_SetVolume(ChannelHandle channel, int volume) = 0;
  /// Sets a channel's pitch as a factor of its default frequency.
  virtual void Channel_SetPitch(ChannelHandle channel, float pitch) = 0;
  /// Pauses a channel.
  virtual void Channel_Pause(ChannelHandle channel) = 0;
  /// Resumes a paused channel.
  virtual void Channel_Resume(ChannelHandle channel) = 0;
  /// Stops a channel.
  virtual void Channel_Stop(ChannelHandle channel) = 0;
  /// Pauses every playing channel.
  virtual void Channel_PauseAll() = 0;
  /// Resumes every paused channel.
  virtual void Channel_ResumeAll() = 0;
  /// Stops every channel.
  virtual void Channel_StopAll() = 0;
  /// True while the channel plays.
  virtual bool Channel_IsActive(ChannelHandle channel) = 0;
  /// The channel's sound length in seconds; -1 on failure.
  virtual float Channel_GetLength(ChannelHandle channel) = 0;
  /// The channel's play position in seconds; -1 on failure.
  virtual float Channel_GetPosition(ChannelHandle channel) = 0;
  /// Moves the channel's play position to seconds.
  virtual void Channel_SetPosition(ChannelHandle channel, float seconds) = 0;
  /// Slides volume, pan (-101 keeps it) and pitch (below 0 keeps it) to new values over time
  /// seconds.
  virtual void Channel_Slide(ChannelHandle channel, float time, int volume, int pan = -101,
                             float pitch = -1.0f) = 0;
  /// True while a slide runs on the channel.
  virtual bool Channel_IsSliding(ChannelHandle channel) = 0;

  /// Writes the mouse position in client pixels.
  virtual void Mouse_GetPosition(float* x, float* y) = 0;
  /// Moves the mouse pointer to a client position (truncated to whole pixels); NaN is ignored.
  virtual void Mouse_SetPosition(float x, float y) = 0;
  /// Wheel notches turned this frame (positive away from the user).
  virtual int Mouse_GetWheel() = 0;
  /// True while the pointer is over the window's client area.
  virtual bool Mouse_IsInside() = 0;

  /// True when the key or mouse button was pressed this frame.
  virtual bool Key_WentDown(int key) = 0;
  /// True when the key or mouse button was released this frame.
  virtual bool Key_WentUp(int key) = 0;
  /// True while the key or mouse button is held.
  virtual bool Key_IsDown(int key) = 0;
  /// The key's display name ("Escape", "A"...); "?" for a code outside 0..255.
  virtual const char* Key_GetName(int key) = 0;
  /// The code of the last key pressed this frame; 0 for none.
  virtual int Key_GetLast() = 0;
  /// The last character typed this frame; 0 for none.
  virtual int Key_GetLastChar() = 0;
  /// Takes the oldest queued input event into *event; false when the queue is empty.
  virtual bool Input_NextEvent(InputEvent* event) = 0;

  /// Starts drawing a frame to the screen (0) or a render target; false when drawing is impossible
  /// (then skip the frame).
  virtual bool Gfx_BeginScene(TargetHandle target = 0) = 0;
  /// Draws the pending batch and, for the screen, presents the frame.
  virtual void Gfx_EndScene() = 0;
  /// Fills the current target with a colour (0xAARRGGBB) and clears its depth.
  virtual void Gfx_Clear(uint32_t color) = 0;
  /// Draws a one-pixel line between two points.
  virtual void Gfx_DrawLine(float x1, float y1, float x2, float y2, uint32_t color = 0xFFFFFFFF,
                            float z = 0.5f) = 0;
  /// Adds a triangle to the batch.
  virtual void Gfx_DrawTriangle(const Triangle* triangle) = 0;
  /// Adds a quad to the batch.
  virtual void Gfx_DrawQuad(const Quad* quad) = 0;
  /// Opens the batch for direct writing of up to *max_prim primitives of a type; null outside a
  /// scene.
  virtual Vertex* Gfx_OpenBatch(int prim_type, TextureHandle tex, int blend, int* max_prim) = 0;
  /// Closes a batch opened with Gfx_OpenBatch after prim_count primitives were written.
  virtual void Gfx_CloseBatch(int prim_count) = 0;
  /// Limits drawing to a rectangle of the target; a zero width or height draws to the whole target.
  virtual void Gfx_SetClipRect(int x = 0, int y = 0, int width = 0, int height = 0) = 0;
  /// Moves, turns and scales everything drawn after it about (x, y); all zeros resets it.
  virtual void Gfx_SetViewTransform(float x = 0, float y = 0, float dx = 0, float dy = 0,
                                    float rotation = 0, float hscale = 0, float vscale = 0) = 0;

  /// Creates a render target of a size, with a depth buffer if asked; 0 on failure.
  virtual TargetHandle Target_Create(int width, int height, bool zbuffer) = 0;
  /// Frees a render target and its texture.
  virtual void Target_Free(TargetHandle target) = 0;
  /// The texture holding what was drawn into a target; 0 for an unknown target.
  virtual TextureHandle Target_GetTexture(TargetHandle target) = 0;

  /// Creates an empty 32-bit texture (freed by its owner with Texture_Free); 0 on failure.
  virtual TextureHandle Texture_Create(int width, int height) = 0;
  /// Loads a texture from an image file (PNG, JPEG, BMP, TGA, DDS...) or from size bytes at the
  /// address; 0 on failure.
  virtual TextureHandle Texture_Load(const char* filename, uint32_t size = 0,
                                     bool mipmap = false) = 0;
  /// Frees a texture; unknown handles are ignored.
  virtual void Texture_Free(TextureHandle tex) = 0;
  /// The texture's allocated width, or with image_size the loaded image's width; 0 for an unknown
  /// texture.
  virtual int Texture_GetWidth(TextureHandle tex, bool image_size = false) = 0;
  /// The texture's allocated height, or with image_size the loaded image's height; 0 for an unknown
  /// texture.
  virtual int Texture_GetHeight(TextureHandle tex, bool image_size = false) = 0;
  /// Locks a region (all zeros: the whole texture) and returns its 0xAARRGGBB pixels, rows
  /// Texture_GetWidth apart; null on failure.
  virtual uint32_t* Texture_Lock(TextureHandle tex, bool read_only = true, int left = 0,
                                 int top = 0, int width = 0, int height = 0) = 0;
  /// Unlocks a locked texture, uploading changed pixels.
  virtual void Texture_Unlock(TextureHandle tex) = 0;

 protected:
  /// Only Release destroys the engine.
  ~TVK() = default;
};

/// Returns the process-wide engine with one more reference, or null for a version other than
/// TVK_VERSION.
TVK_API TVK* TVK_Create(int version);

/// Registers PNG bytes as a window icon under a name, or under an integer id carried in the
/// pointer (values below 65536); State_Icon names the icon to use. The bytes must stay valid.
TVK_API void TVK_RegisterIcon(const char* id, const void* png, size_t size);

/// Shows a modal message box (or prints to standard error when no display is available);
/// programs use it to report a failed start.
TVK_API void TVK_MessageBox(const char* title, const char* text);
