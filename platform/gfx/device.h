// The graphics device interface the engine draws through. It is shaped like the fixed-function
// Direct3D 9 device the engine was written for (same objects, calls and enumeration values), with
// shared_ptr ownership instead of reference counting and plain result codes. Backends: the
// software reference device (platform/gfx/soft) and the OpenGL device.
//
// DEVICE INTERFACE READY
//
// Conventions every backend follows:
// - Matrices use row vectors (p * M). A vertex goes through world * view * projection, the w
//   divide, then the viewport: screen x = X + (1 + x) * Width / 2, y = Y + (1 - y) * Height / 2.
// - Pixel centres sit at integer screen coordinates; triangles follow the top-left fill rule.
// - Only texture stage 0 and sampler 0 exist; other stage numbers are refused.
// - A texture argument with no texture bound reads as opaque white.
// - Clear works on the current viewport, as it did on the original device.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/format.h"
#include "platform/gfx/matrix.h"

namespace os {
class Platform;
}

namespace gfx {

enum class Result {
  Ok,
  InvalidCall,     // bad argument, wrong object, or a call in the wrong state
  DeviceLost,      // the device is lost and cannot be reset yet
  DeviceNotReset,  // the device is lost and can be reset now
  OutOfMemory,
  NotAvailable,  // unsupported format, mode or size
  NotFound,      // asked for an object that is not there (e.g. no depth surface)
};
inline bool Succeeded(Result r) { return r == Result::Ok; }

// ---- enumerations (numeric values of the original API) ----

enum Pool : uint32_t { Pool_Default = 0, Pool_Managed = 1, Pool_SystemMem = 2 };

enum Usage : uint32_t {
  Usage_None = 0,
  Usage_RenderTarget = 0x1,
  Usage_DepthStencil = 0x2,
  Usage_WriteOnly = 0x8,
  Usage_Dynamic = 0x200,
};

enum LockFlags : uint32_t {
  Lock_None = 0,
  Lock_ReadOnly = 0x10,
  Lock_NoOverwrite = 0x1000,
  Lock_Discard = 0x2000,
};

enum ClearFlags : uint32_t { Clear_Target = 0x1, Clear_ZBuffer = 0x2, Clear_Stencil = 0x4 };

enum SwapEffect : uint32_t { Swap_Discard = 1, Swap_Flip = 2, Swap_Copy = 3 };

enum PresentInterval : uint32_t {
  Interval_Default = 0,
  Interval_One = 1,
  Interval_Immediate = 0x80000000u,
};

// Vertex format bits; the engine's vertex (x, y, z, colour, u, v: 24 bytes) is Fvf_Vertex.
enum Fvf : uint32_t {
  Fvf_Xyz = 0x002,
  Fvf_Diffuse = 0x040,
  Fvf_Tex1 = 0x100,
  Fvf_Vertex = Fvf_Xyz | Fvf_Diffuse | Fvf_Tex1,
};
constexpr int kVertexStride = 24;

enum PrimitiveType : uint32_t { Prim_LineList = 2, Prim_TriangleList = 4 };

enum RenderState : uint32_t {
  RS_ZEnable = 7,            // 0 off, 1 on
  RS_ZWriteEnable = 14,      // bool
  RS_AlphaTestEnable = 15,   // bool
  RS_SrcBlend = 19,          // Blend
  RS_DestBlend = 20,         // Blend
  RS_CullMode = 22,          // Cull
  RS_ZFunc = 23,             // Cmp
  RS_AlphaRef = 24,          // 0..255
  RS_AlphaFunc = 25,         // Cmp
  RS_AlphaBlendEnable = 27,  // bool
  RS_Lighting = 137,         // bool; vertices are pre-lit, so only stored
};

enum Blend : uint32_t {
  Blend_Zero = 1,
  Blend_One = 2,
  Blend_SrcColor = 3,
  Blend_InvSrcColor = 4,
  Blend_SrcAlpha = 5,
  Blend_InvSrcAlpha = 6,
  Blend_DestAlpha = 7,
  Blend_InvDestAlpha = 8,
  Blend_DestColor = 9,
  Blend_InvDestColor = 10,
};

enum Cull : uint32_t { Cull_None = 1, Cull_CW = 2, Cull_CCW = 3 };

enum Cmp : uint32_t {
  Cmp_Never = 1,
  Cmp_Less = 2,
  Cmp_Equal = 3,
  Cmp_LessEqual = 4,
  Cmp_Greater = 5,
  Cmp_NotEqual = 6,
  Cmp_GreaterEqual = 7,
  Cmp_Always = 8,
};

enum TextureStageState : uint32_t {
  TSS_ColorOp = 1,
  TSS_ColorArg1 = 2,
  TSS_ColorArg2 = 3,
  TSS_AlphaOp = 4,
  TSS_AlphaArg1 = 5,
  TSS_AlphaArg2 = 6,
};

enum TextureOp : uint32_t {
  TOP_Disable = 1,
  TOP_SelectArg1 = 2,
  TOP_SelectArg2 = 3,
  TOP_Modulate = 4,
  TOP_Modulate2x = 5,
  TOP_Modulate4x = 6,
  TOP_Add = 7,
  TOP_AddSigned = 8,
  TOP_Subtract = 10,
};

// Texture stage arguments; at stage 0 "current" is the diffuse colour.
enum TextureArg : uint32_t { TA_Diffuse = 0, TA_Current = 1, TA_Texture = 2 };

enum SamplerState : uint32_t {
  SAMP_AddressU = 1,
  SAMP_AddressV = 2,
  SAMP_MagFilter = 5,
  SAMP_MinFilter = 6,
  SAMP_MipFilter = 7,
};

enum TextureFilter : uint32_t { Filter_None = 0, Filter_Point = 1, Filter_Linear = 2 };

enum TextureAddress : uint32_t { Address_Wrap = 1, Address_Mirror = 2, Address_Clamp = 3 };

enum TransformType : uint32_t { TS_View = 2, TS_Projection = 3, TS_World = 256 };

// ---- records ----

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct LockedRect {
  int pitch = 0;         // bytes from one row (of pixels, or of 4x4 blocks) to the next
  void* bits = nullptr;  // first pixel (or block) of the locked rectangle
};

struct SurfaceDesc {
  Format format = Format_Unknown;
  uint32_t usage = Usage_None;
  Pool pool = Pool_Default;
  int width = 0, height = 0;
};

struct Viewport {
  int x = 0, y = 0, width = 0, height = 0;
  float min_z = 0.0f, max_z = 1.0f;
};

struct DisplayMode {
  int width = 0, height = 0;
  int refresh = 0;
  Format format = Format_Unknown;
};

struct AdapterIdentifier {
  std::string driver;
  std::string description;
  uint64_t driver_version = 0;  // four 16-bit parts, highest first
  bool software = false;        // the renderer runs on the CPU
};

struct PresentParams {
  int back_buffer_width = 0;
  int back_buffer_height = 0;
  Format back_buffer_format = Format_Unknown;  // Unknown when windowed: the desktop format
  int back_buffer_count = 1;
  SwapEffect swap_effect = Swap_Copy;
  void* device_window = nullptr;
  bool windowed = true;
  bool enable_auto_depth_stencil = false;
  Format auto_depth_stencil_format = Format_Unknown;
  int fullscreen_refresh = 0;
  uint32_t presentation_interval = Interval_Default;
};

struct Caps {
  bool pow2_textures_only = false;  // texture sizes must be powers of two
  int max_texture_width = 0;
  int max_texture_height = 0;
};

// What a device has done since it was created or its stats were last reset. Every accepted
// Set call counts as one state change, whether or not the value differed.
struct Stats {
  uint64_t draw_calls = 0;
  uint64_t primitives = 0;
  uint64_t render_state_sets = 0;
  uint64_t texture_stage_state_sets = 0;
  uint64_t sampler_state_sets = 0;
  uint64_t texture_sets = 0;
  uint64_t transform_sets = 0;
  uint64_t viewport_sets = 0;
  uint64_t render_target_sets = 0;
  uint64_t depth_surface_sets = 0;
  uint64_t StateChanges() const {
    return render_state_sets + texture_stage_state_sets + sampler_state_sets + texture_sets +
           transform_sets + viewport_sets + render_target_sets + depth_surface_sets;
  }
};

// ---- resources ----

// A 2D image: the back buffer, a depth buffer or one level of a texture. A texture level's
// surface keeps its texture alive.
class Surface {
 public:
  virtual ~Surface() = default;
  virtual SurfaceDesc GetDesc() const = 0;
  // rect null: the whole surface. Refused for depth surfaces, for rectangles outside the
  // surface, for compressed rectangles not on 4x4 block bounds, and while already locked.
  virtual Result LockRect(LockedRect* out, const Rect* rect, uint32_t flags) = 0;
  virtual Result UnlockRect() = 0;
};

class Texture {
 public:
  virtual ~Texture() = default;
  virtual int GetLevelCount() const = 0;
  virtual Result GetLevelDesc(int level, SurfaceDesc* out) const = 0;
  virtual Result LockRect(int level, LockedRect* out, const Rect* rect, uint32_t flags) = 0;
  virtual Result UnlockRect(int level) = 0;
  virtual Result GetSurfaceLevel(int level, std::shared_ptr<Surface>* out) = 0;
};

class VertexBuffer {
 public:
  virtual ~VertexBuffer() = default;
  virtual int GetLength() const = 0;  // bytes
  // offset and size in bytes; size 0 locks from offset to the end.
  virtual Result Lock(int offset, int size, void** out, uint32_t flags) = 0;
  virtual Result Unlock() = 0;
};

class IndexBuffer {
 public:
  virtual ~IndexBuffer() = default;
  virtual int GetLength() const = 0;  // bytes
  virtual Format GetFormat() const = 0;
  virtual Result Lock(int offset, int size, void** out, uint32_t flags) = 0;
  virtual Result Unlock() = 0;
};

// ---- the device ----

class Device {
 public:
  virtual ~Device() = default;

  virtual Caps GetDeviceCaps() const = 0;

  // Ok, DeviceLost, or DeviceNotReset.
  virtual Result TestCooperativeLevel() = 0;
  // Makes a new back buffer (and automatic depth buffer) from params and returns every state
  // to its default. Fails (InvalidCall) while a default-pool resource made by this device is
  // still held outside it, or while the back buffer or automatic depth surface is; DeviceLost
  // while the device cannot be reset yet.
  virtual Result Reset(const PresentParams& params) = 0;
  // Shows the back buffer in the window.
  virtual Result Present() = 0;

  virtual Result BeginScene() = 0;
  virtual Result EndScene() = 0;
  virtual Result Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil = 0) = 0;

  virtual Result SetRenderState(RenderState state, uint32_t value) = 0;
  virtual Result GetRenderState(RenderState state, uint32_t* value) const = 0;
  virtual Result SetTextureStageState(int stage, TextureStageState state, uint32_t value) = 0;
  virtual Result GetTextureStageState(int stage, TextureStageState state,
                                      uint32_t* value) const = 0;
  virtual Result SetSamplerState(int sampler, SamplerState state, uint32_t value) = 0;
  virtual Result GetSamplerState(int sampler, SamplerState state, uint32_t* value) const = 0;
  virtual Result SetTransform(TransformType type, const Matrix& matrix) = 0;
  virtual Result GetTransform(TransformType type, Matrix* matrix) const = 0;
  // The viewport must lie inside the render target.
  virtual Result SetViewport(const Viewport& viewport) = 0;
  virtual Result GetViewport(Viewport* viewport) const = 0;

  // texture null unbinds.
  virtual Result SetTexture(int stage, std::shared_ptr<Texture> texture) = 0;
  // index 0 only; the surface must be the back buffer or a render-target texture level.
  // Resets the viewport to the whole new target.
  virtual Result SetRenderTarget(int index, std::shared_ptr<Surface> surface) = 0;
  virtual Result GetRenderTarget(int index, std::shared_ptr<Surface>* out) = 0;
  // surface null: no depth buffer. A depth surface smaller than the render target is not used.
  virtual Result SetDepthStencilSurface(std::shared_ptr<Surface> surface) = 0;
  // NotFound (and null) when no depth surface is set.
  virtual Result GetDepthStencilSurface(std::shared_ptr<Surface>* out) = 0;
  virtual Result GetBackBuffer(int swap_chain, int index, std::shared_ptr<Surface>* out) = 0;

  // levels 0: the full chain down to 1x1. Render targets need Pool_Default and a colour format
  // a back buffer may have; managed textures may also be R5G6B5 or DXT1/3/5.
  virtual Result CreateTexture(int width, int height, int levels, uint32_t usage, Format format,
                               Pool pool, std::shared_ptr<Texture>* out) = 0;
  virtual Result CreateDepthStencilSurface(int width, int height, Format format,
                                           std::shared_ptr<Surface>* out) = 0;
  virtual Result CreateVertexBuffer(int length, uint32_t usage, uint32_t fvf, Pool pool,
                                    std::shared_ptr<VertexBuffer>* out) = 0;
  virtual Result CreateIndexBuffer(int length, uint32_t usage, Format format, Pool pool,
                                   std::shared_ptr<IndexBuffer>* out) = 0;

  // stream 0 only; buffer null unbinds. stride must be kVertexStride.
  virtual Result SetStreamSource(int stream, std::shared_ptr<VertexBuffer> buffer, int offset,
                                 int stride) = 0;
  virtual Result SetIndices(std::shared_ptr<IndexBuffer> buffer) = 0;
  // Fvf_Vertex only.
  virtual Result SetFVF(uint32_t fvf) = 0;

  // Inside a scene, with an unlocked vertex buffer that holds every vertex the call reads.
  virtual Result DrawPrimitive(PrimitiveType type, int start_vertex, int primitive_count) = 0;
  // Every index read must lie in min_index .. min_index + vertex_count - 1; vertices are
  // read at base_vertex + index.
  virtual Result DrawIndexedPrimitive(PrimitiveType type, int base_vertex, int min_index,
                                      int vertex_count, int start_index, int primitive_count) = 0;

  virtual const Stats& GetStats() const = 0;
  virtual void ResetStats() = 0;
};

// The adapter: identification, display modes and device creation.
class Graphics {
 public:
  virtual ~Graphics() = default;
  virtual Result GetAdapterIdentifier(AdapterIdentifier* out) = 0;
  virtual Result GetAdapterDisplayMode(DisplayMode* out) = 0;
  // Modes of one format (X8R8G8B8 for 32-bit modes, R5G6B5 for 16-bit ones).
  virtual int GetAdapterModeCount(Format format) = 0;
  virtual Result EnumAdapterModes(Format format, int index, DisplayMode* out) = 0;
  // focus_window or params.device_window must be set. A full-screen device needs a display
  // mode of exactly that size and format.
  virtual Result CreateDevice(void* focus_window, const PresentParams& params,
                              std::unique_ptr<Device>* out) = 0;
};

// ---- the software device ----

struct SoftOptions {
  bool require_pow2 = false;  // refuse textures whose sizes are not powers of two
  bool rasterize = true;      // false: count draws and state changes without rasterizing
};

// Test controls every backend offers; reach them with dynamic_cast from a Device.
class ControlledDevice : public Device {
 public:
  // From now on the cooperative level reports DeviceLost; draws and clears are dropped.
  virtual void LoseDevice() = 0;
  // The device reports DeviceNotReset until a Reset succeeds.
  virtual void MakeResettable() = 0;
  // The back buffer as 0xAARRGGBB pixels, row after row.
  virtual std::vector<uint32_t> ReadBackBuffer(int* width, int* height) = 0;
};

// The software device's test controls.
class SoftDevice : public ControlledDevice {};

std::unique_ptr<Graphics> CreateSoftGraphics(os::Platform& platform, const SoftOptions& options);

// ---- the OpenGL device ----

// The adapter of an OpenGL 3.3 core context: on the platform's main window (made able to show
// GL frames first) when on_window, else on a hidden window of its own for off-screen drawing.
// Null when no such context can be made. Its devices lose the context on LoseDevice and make a
// new one at the next successful Reset.
std::unique_ptr<Graphics> CreateGlGraphics(os::Platform& platform, bool on_window);

}  // namespace gfx
