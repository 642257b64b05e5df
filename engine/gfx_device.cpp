// The device: creation and video-mode choice, presentation parameters, default-pool resources
// with the fixed render states, reset and release, the windowed and texture-filter switches,
// back-buffer resizing for child windows, and screenshots.
#include <vector>

#include "engine/gfx_backend.h"
#include "engine/gfx_pixels.h"
#include "engine/graphics.h"
#include "engine/tvk_impl.h"
#include "platform/image/image.h"

namespace {

constexpr int kQuadIndexCount = 6 * 1000;

// Formats a back buffer may have, ranked by quality; the rank indexes their log names.
const char* const kFormatNames[] = {"UNKNOWN", "R5G6B5", "X1R5G5B5", "A1R5G5B5", "X8R8G8B8",
                                    "A8R8G8B8"};

int FormatRank(gfx::Format format) {
  switch (format) {
    case gfx::Format_R5G6B5: return 1;
    case gfx::Format_X1R5G5B5: return 2;
    case gfx::Format_A1R5G5B5: return 3;
    case gfx::Format_X8R8G8B8: return 4;
    case gfx::Format_A8R8G8B8: return 5;
    default: return 0;
  }
}

int BitsPerPixel(gfx::Format format) { return FormatRank(format) > 3 ? 32 : 16; }

uint32_t FullScreenInterval(int fps) {
  return fps == Fps_VSync ? gfx::Interval_One : gfx::Interval_Immediate;
}

}  // namespace

std::unique_ptr<gfx::Graphics> Graphics::CreateAdapter() {
  return ChooseGraphicsBackend(e_, soft_options);
}

void Graphics::LogAdapter() {
  gfx::AdapterIdentifier id;
  adapter_->GetAdapterIdentifier(&id);
  const uint64_t v = id.driver_version;
  e_.System_WriteLog("D3D Driver: %s", id.driver.c_str());
  e_.System_WriteLog("Description: %s", id.description.c_str());
  e_.System_WriteLog("Version: %d.%d.%d.%d", int(v >> 48 & 0xFFFF), int(v >> 32 & 0xFFFF),
                     int(v >> 16 & 0xFFFF), int(v & 0xFFFF));
}

// The best-ranked format among the display modes of exactly the screen size; 16-bit screens
// accept only 16-bit formats. Format_Unknown when there is none.
gfx::Format Graphics::FindFullScreenFormat(gfx::Format desktop) {
  gfx::Format format = desktop, chosen = gfx::Format_Unknown;
  const int count = adapter_->GetAdapterModeCount(format);
  for (int i = 0; i < count; ++i) {
    gfx::DisplayMode mode;
    if (!gfx::Succeeded(adapter_->EnumAdapterModes(format, i, &mode))) continue;
    format = mode.format;
    if (mode.width != e_.screen_width || mode.height != e_.screen_height) continue;
    if (e_.screen_bpp == 16 && FormatRank(mode.format) > 3) continue;
    if (FormatRank(mode.format) > FormatRank(chosen)) chosen = mode.format;
  }
  return chosen;
}

gfx::PresentParams Graphics::MakeParams(bool windowed, gfx::Format format) {
  gfx::PresentParams p;
  p.back_buffer_width = e_.screen_width;
  p.back_buffer_height = e_.screen_height;
  p.back_buffer_format = format;
  p.back_buffer_count = 1;
  p.swap_effect = windowed ? gfx::Swap_Copy : gfx::Swap_Flip;
  p.device_window = e_.Platform().NativeWindow();
  p.windowed = windowed;
  p.enable_auto_depth_stencil = e_.zbuffer;
  p.auto_depth_stencil_format = e_.zbuffer ? gfx::Format_D16 : gfx::Format_Unknown;
  p.fullscreen_refresh = 0;
  p.presentation_interval = windowed ? gfx::Interval_Default : FullScreenInterval(e_.fps);
  return p;
}

// Makes the parameters of the current window mode the ones in use.
void Graphics::SelectParams() {
  params_ = e_.windowed ? &windowed_params_ : &fullscreen_params_;
  e_.screen_bpp = BitsPerPixel(params_->back_buffer_format);
}

bool Graphics::CreateDevice() {
  adapter_ = CreateAdapter();
  if (!adapter_) {
    e_.PostError("Can't create D3D interface");
    return false;
  }
  LogAdapter();

  gfx::DisplayMode desktop;
  if (!gfx::Succeeded(adapter_->GetAdapterDisplayMode(&desktop)) ||
      desktop.format == gfx::Format_Unknown) {
    desktop.format = gfx::Format_Unknown;
    e_.PostError("Can't determine desktop video mode");
    if (e_.windowed) return false;
  }
  windowed_params_ = MakeParams(true, desktop.format);

  const gfx::Format fullscreen_format = FindFullScreenFormat(desktop.format);
  if (fullscreen_format == gfx::Format_Unknown) {
    e_.PostError("Can't find appropriate full screen video mode");
    if (!e_.windowed) return false;
  }
  fullscreen_params_ = MakeParams(false, fullscreen_format);
  SelectParams();

  if (!gfx::Succeeded(adapter_->CreateDevice(e_.Platform().NativeWindow(), *params_, &device_))) {
    device_.reset();
    e_.PostError("Can't create D3D device");
    return false;
  }
  ApplyWindowStyle();
  e_.System_WriteLog("Mode: %d x %d x %s\n", e_.screen_width, e_.screen_height,
                     kFormatNames[FormatRank(fullscreen_format)]);

  SetProjection(e_.screen_width, e_.screen_height);
  view_ = gfx::Identity();
  if (!CreateDeviceResources()) return false;
  Clear(0);
  return true;
}

bool Graphics::CreateDeviceResources() {
  device_->GetRenderTarget(0, &screen_surface_);
  device_->GetDepthStencilSurface(&screen_depth_);
  RecreateTargets();
  if (!CreateVertexBuffer() || !CreateIndexBuffer()) return false;
  SetFixedStates();
  ResetBatchState();
  device_->SetTransform(gfx::TS_View, view_);
  device_->SetTransform(gfx::TS_Projection, projection_);
  return true;
}

bool Graphics::CreateVertexBuffer() {
  if (!gfx::Succeeded(device_->CreateVertexBuffer(kBatchVertices * gfx::kVertexStride,
                                                  gfx::Usage_WriteOnly, gfx::Fvf_Vertex,
                                                  gfx::Pool_Default, &vertex_buffer_))) {
    vertex_buffer_.reset();
    e_.PostError("Can't create D3D vertex buffer");
    return false;
  }
  device_->SetFVF(gfx::Fvf_Vertex);
  device_->SetStreamSource(0, vertex_buffer_, 0, gfx::kVertexStride);
  return true;
}

// The index buffer draws every quad of a batch as the triangles (0, 1, 2) and (2, 3, 0).
bool Graphics::CreateIndexBuffer() {
  if (!gfx::Succeeded(device_->CreateIndexBuffer(kQuadIndexCount * sizeof(uint16_t),
                                                 gfx::Usage_WriteOnly, gfx::Format_Index16,
                                                 gfx::Pool_Default, &index_buffer_))) {
    index_buffer_.reset();
    e_.PostError("Can't create D3D index buffer");
    return false;
  }
  void* locked = nullptr;
  if (!gfx::Succeeded(index_buffer_->Lock(0, 0, &locked, gfx::Lock_None))) {
    e_.PostError("Can't lock D3D index buffer");
    return false;
  }
  uint16_t* index = static_cast<uint16_t*>(locked);
  for (int quad = 0; quad < kBatchQuads; ++quad) {
    const uint16_t n = uint16_t(quad * 4);
    for (uint16_t corner : {0, 1, 2, 2, 3, 0}) *index++ = uint16_t(n + corner);
  }
  index_buffer_->Unlock();
  device_->SetIndices(index_buffer_);
  return true;
}

// Render states the batch relies on: no culling, source-alpha blending, alpha test dropping
// alpha 0, texture times diffuse on stage 0, point-filtered mip levels. Depth writes start off,
// as the batch's initial blend mode says; the device's own default has them on.
void Graphics::SetFixedStates() {
  device_->SetRenderState(gfx::RS_CullMode, gfx::Cull_None);
  device_->SetRenderState(gfx::RS_ZWriteEnable, false);
  device_->SetRenderState(gfx::RS_Lighting, false);
  device_->SetRenderState(gfx::RS_AlphaBlendEnable, true);
  device_->SetRenderState(gfx::RS_SrcBlend, gfx::Blend_SrcAlpha);
  device_->SetRenderState(gfx::RS_DestBlend, gfx::Blend_InvSrcAlpha);
  device_->SetRenderState(gfx::RS_AlphaTestEnable, true);
  device_->SetRenderState(gfx::RS_AlphaRef, 1);
  device_->SetRenderState(gfx::RS_AlphaFunc, gfx::Cmp_GreaterEqual);

  device_->SetTextureStageState(0, gfx::TSS_ColorOp, gfx::TOP_Modulate);
  device_->SetTextureStageState(0, gfx::TSS_ColorArg1, gfx::TA_Texture);
  device_->SetTextureStageState(0, gfx::TSS_ColorArg2, gfx::TA_Diffuse);
  device_->SetTextureStageState(0, gfx::TSS_AlphaOp, gfx::TOP_Modulate);
  device_->SetTextureStageState(0, gfx::TSS_AlphaArg1, gfx::TA_Texture);
  device_->SetTextureStageState(0, gfx::TSS_AlphaArg2, gfx::TA_Diffuse);

  device_->SetSamplerState(0, gfx::SAMP_MipFilter, gfx::Filter_Point);
  SetFilters();
}

void Graphics::SetFilters() {
  const uint32_t filter = e_.texture_filter ? gfx::Filter_Linear : gfx::Filter_Point;
  device_->SetSamplerState(0, gfx::SAMP_MagFilter, filter);
  device_->SetSamplerState(0, gfx::SAMP_MinFilter, filter);
}

// Render targets live in the default pool: a reset drops them, so they are made anew (empty)
// in their stored size. Failures leave the texture or depth buffer missing.
void Graphics::RecreateTargets() {
  targets_.ForEach([this](TargetHandle, RenderTarget& target) {
    if (TextureEntry* entry = textures_.Find(target.texture)) {
      if (!gfx::Succeeded(device_->CreateTexture(target.width, target.height, 1,
                                                 gfx::Usage_RenderTarget,
                                                 params_->back_buffer_format, gfx::Pool_Default,
                                                 &entry->object)))
        entry->object.reset();
    }
    if (target.wants_depth &&
        !gfx::Succeeded(device_->CreateDepthStencilSurface(target.width, target.height,
                                                           gfx::Format_D16, &target.depth)))
      target.depth.reset();
  });
}

// Lets go of everything in the default pool, as a reset requires.
void Graphics::ReleaseDefaultPool() {
  screen_surface_.reset();
  screen_depth_.reset();
  targets_.ForEach([this](TargetHandle, RenderTarget& target) {
    if (TextureEntry* entry = textures_.Find(target.texture)) entry->object.reset();
    target.depth.reset();
  });
  ReleaseBuffers();
}

void Graphics::ReleaseBuffers() {
  if (index_buffer_) {
    device_->SetIndices(nullptr);
    index_buffer_.reset();
  }
  if (vertex_buffer_) {
    if (vertices_) {
      vertex_buffer_->Unlock();
      vertices_ = nullptr;
    }
    device_->SetStreamSource(0, nullptr, 0, gfx::kVertexStride);
    vertex_buffer_.reset();
  }
}

bool Graphics::ResetDevice() {
  ReleaseDefaultPool();
  device_->Reset(*params_);
  // The reset points the device at the new back buffer with a whole-screen viewport: a render
  // target must be selected again, and the screen's projection must drop any clipping.
  if (current_target_ == 0)
    SetProjection(e_.screen_width, e_.screen_height);
  else
    current_target_.reset();
  if (!CreateDeviceResources()) return false;
  return e_.device_restore_func ? e_.device_restore_func() : true;
}

void Graphics::ReleaseDevice() {
  // Textures made by Texture_Create belong to their owners, but their device goes away here:
  // every handle is dropped, so a late Texture_Free is refused instead of reaching a dead device.
  textures_.Clear();
  targets_.Clear();
  if (device_) ReleaseDefaultPool();
  device_.reset();
  adapter_.reset();
  current_target_ = 0;
  current_texture_ = 0;
}

void Graphics::ApplyWindowStyle() {
  const os::WindowMode mode = e_.parent_window ? os::WindowMode::Child
                              : e_.windowed    ? os::WindowMode::Windowed
                                               : os::WindowMode::FullScreen;
  e_.Platform().SetWindowMode(mode, e_.windowed ? e_.windowed_rect : e_.fullscreen_rect);
}

// Pixel coordinates with the origin top-left and y downwards, moved by half a pixel so that
// texel centres land on pixel centres.
void Graphics::SetProjection(int width, int height) {
  projection_ = gfx::Multiply(
      gfx::Multiply(gfx::Scaling(1, -1, 1), gfx::Translation(-0.5f, float(height) + 0.5f, 0)),
      gfx::OrthoOffCenterLH(0, float(width), 0, float(height), 0, 1));
}

void Graphics::SwitchWindowed(bool windowed) {
  if (!device_ || InScene()) return;
  if (windowed_params_.back_buffer_format == gfx::Format_Unknown ||
      fullscreen_params_.back_buffer_format == gfx::Format_Unknown)
    return;
  if (e_.windowed && !windowed) e_.windowed_rect = e_.Platform().WindowRect();
  e_.windowed = windowed;
  SelectParams();
  ResetDevice();
  ApplyWindowStyle();
}

void Graphics::ApplyTextureFilter() {
  if (!device_) return;
  FlushBatch(false);
  SetFilters();
}

void Graphics::ApplyFpsSignChange(int new_fps) {
  if (!device_) return;
  windowed_params_.swap_effect = gfx::Swap_Copy;
  if (new_fps == Fps_VSync) windowed_params_.presentation_interval = gfx::Interval_Default;
  fullscreen_params_.presentation_interval = FullScreenInterval(new_fps);
  ResetDevice();
}

void Graphics::ResizeBackBuffer(int width, int height) {
  if (!device_ || !e_.parent_window || width <= 0 || height <= 0) return;
  windowed_params_.back_buffer_width = width;
  windowed_params_.back_buffer_height = height;
  e_.screen_width = width;
  e_.screen_height = height;
  SetProjection(width, height);
  ResetDevice();
}

void Graphics::SaveShot(const char* path) {
  if (!device_ || !path) return;
  std::shared_ptr<gfx::Surface> back;
  gfx::LockedRect locked;
  if (!gfx::Succeeded(device_->GetBackBuffer(0, 0, &back)) ||
      !gfx::Succeeded(back->LockRect(&locked, nullptr, gfx::Lock_ReadOnly))) {
    e_.System_WriteLog("Can't save screenshot: %s", path);
    return;
  }
  const gfx::SurfaceDesc desc = back->GetDesc();
  // The BMP writer takes 32-bit pixels; a 16-bit back buffer is widened first.
  std::vector<uint32_t> wide;
  const uint32_t* pixels = static_cast<const uint32_t*>(locked.bits);
  int pitch = locked.pitch;
  if (desc.format != gfx::Format_X8R8G8B8 && desc.format != gfx::Format_A8R8G8B8) {
    wide = gfx_pixels::ToArgb(desc.format, static_cast<const uint8_t*>(locked.bits),
                              size_t(locked.pitch), desc.width, desc.height);
    pixels = wide.data();
    pitch = desc.width * 4;
  }
  const bool written = image::WriteBmp(path, pixels, desc.width, desc.height, pitch);
  back->UnlockRect();
  if (!written) e_.System_WriteLog("Can't save screenshot: %s", path);
}
