// Scenes and render targets: beginning and ending a frame (recovering a lost device first),
// clearing, the clipping rectangle, the global view transformation, and textures that can be
// drawn into.
#include <algorithm>

#include "engine/graphics.h"
#include "engine/tvk_impl.h"

namespace {

// The viewport of a clipping rectangle inside a limit_w x limit_h target; width 0 means the
// whole target. A rectangle wholly outside gives an empty viewport at the nearest edge.
gfx::Viewport ClipViewport(int x, int y, int width, int height, int limit_w, int limit_h) {
  gfx::Viewport vp;
  if (width == 0) {
    vp.width = limit_w;
    vp.height = limit_h;
    return vp;
  }
  long long left = x, top = y, w = width, h = height;
  if (left < 0) w += left, left = 0;
  if (top < 0) h += top, top = 0;
  left = std::min<long long>(left, limit_w);
  top = std::min<long long>(top, limit_h);
  w = std::clamp<long long>(w, 0, limit_w - left);
  h = std::clamp<long long>(h, 0, limit_h - top);
  vp.x = int(left);
  vp.y = int(top);
  vp.width = int(w);
  vp.height = int(h);
  return vp;
}

}  // namespace

// Handles a lost device: false while it cannot be reset; once it can, the device is reset
// (with the desktop's current format in windowed mode).
bool Graphics::RecoverDevice() {
  switch (device_->TestCooperativeLevel()) {
    case gfx::Result::DeviceLost:
      return false;
    case gfx::Result::DeviceNotReset:
      if (e_.windowed) {
        gfx::DisplayMode desktop;
        if (!gfx::Succeeded(adapter_->GetAdapterDisplayMode(&desktop)) ||
            desktop.format == gfx::Format_Unknown) {
          e_.PostError("Can't determine desktop video mode");
          return false;
        }
        windowed_params_.back_buffer_format = desktop.format;
        SelectParams();
      }
      return ResetDevice();
    default:
      return true;
  }
}

bool Graphics::BeginScene(TargetHandle target) {
  if (!device_ || !RecoverDevice()) return false;
  if (vertices_) {
    e_.PostError("Gfx_BeginScene: Scene is already being rendered");
    return false;
  }
  if (current_target_ != target && !SelectTarget(target)) return false;
  device_->BeginScene();
  LockVertexBuffer();
  if (!vertices_) {  // the vertex buffer is missing after a failed reset
    device_->EndScene();
    return false;
  }
  return true;
}

// Points the device at a target (0 = the screen) with its depth buffer, depth test and a
// fresh projection and view. The viewport becomes the whole target, ending any clipping.
bool Graphics::SelectTarget(TargetHandle target) {
  std::shared_ptr<gfx::Surface> color = screen_surface_, depth = screen_depth_;
  const RenderTarget* node = nullptr;
  if (target) {
    node = targets_.Find(target);
    const TextureEntry* entry = node ? textures_.Find(node->texture) : nullptr;
    if (!entry || !entry->object || !gfx::Succeeded(entry->object->GetSurfaceLevel(0, &color)))
      color.reset();
    depth = node ? node->depth : nullptr;
  }
  if (!color || !gfx::Succeeded(device_->SetRenderTarget(0, color))) {
    e_.PostError("Gfx_BeginScene: Can't set render target");
    return false;
  }
  device_->SetDepthStencilSurface(depth);
  device_->SetRenderState(gfx::RS_ZEnable, node ? node->depth != nullptr : e_.zbuffer);
  if (node)
    SetProjection(node->width, node->height);
  else
    SetProjection(e_.screen_width, e_.screen_height);
  device_->SetTransform(gfx::TS_Projection, projection_);
  view_ = gfx::Identity();
  device_->SetTransform(gfx::TS_View, view_);
  current_target_ = target;
  return true;
}

void Graphics::EndScene() {
  if (!device_) return;
  FlushBatch(true);
  device_->EndScene();
  if (current_target_ == 0) device_->Present();
}

bool Graphics::CurrentTargetHasDepth() {
  if (current_target_ == 0) return e_.zbuffer;
  const RenderTarget* node = current_target_ ? targets_.Find(*current_target_) : nullptr;
  return node && node->depth;
}

void Graphics::Clear(uint32_t color) {
  if (!device_) return;
  const uint32_t flags =
      gfx::Clear_Target | (CurrentTargetHasDepth() ? uint32_t(gfx::Clear_ZBuffer) : 0u);
  device_->Clear(flags, color, 1.0f, 0);
}

// The size clipping is limited to: the current target's texture, or the screen.
void Graphics::CurrentTargetSize(int* width, int* height) {
  const RenderTarget* node =
      current_target_ && *current_target_ ? targets_.Find(*current_target_) : nullptr;
  *width = node ? TextureWidth(node->texture, false) : e_.screen_width;
  *height = node ? TextureHeight(node->texture, false) : e_.screen_height;
}

void Graphics::SetClipRect(int x, int y, int width, int height) {
  if (!device_) return;
  int limit_w, limit_h;
  CurrentTargetSize(&limit_w, &limit_h);
  const gfx::Viewport vp = ClipViewport(x, y, width, height, limit_w, limit_h);
  FlushBatch(false);
  device_->SetViewport(vp);
  // The same pixel mapping as the full projection, restricted to the viewport; an empty
  // viewport keeps a one-pixel box so the matrix stays finite.
  const float left = float(vp.x), top = float(vp.y);
  const float w = float(std::max(vp.width, 1)), h = float(std::max(vp.height, 1));
  projection_ = gfx::Multiply(
      gfx::Multiply(gfx::Scaling(1, -1, 1), gfx::Translation(-0.5f, 0.5f, 0)),
      gfx::OrthoOffCenterLH(left, left + w, -(top + h), -top, 0, 1));
  device_->SetTransform(gfx::TS_Projection, projection_);
}

// Scales and rotates around (x, y), then moves by (dx, dy); vscale 0 switches it off.
void Graphics::SetViewTransform(float x, float y, float dx, float dy, float rotation,
                                float hscale, float vscale) {
  if (!device_) return;
  if (vscale == 0) {
    view_ = gfx::Identity();
  } else {
    view_ = gfx::Translation(-x, -y, 0);
    view_ = gfx::Multiply(view_, gfx::Scaling(hscale, vscale, 1));
    view_ = gfx::Multiply(view_, gfx::RotationZ(-rotation));
    view_ = gfx::Multiply(view_, gfx::Translation(x + dx, y + dy, 0));
  }
  FlushBatch(false);
  device_->SetTransform(gfx::TS_View, view_);
}

TargetHandle Graphics::CreateTarget(int width, int height, bool zbuffer) {
  std::shared_ptr<gfx::Texture> texture;
  gfx::SurfaceDesc desc;
  if (!device_ || !FitTextureSize(&width, &height) ||
      !gfx::Succeeded(device_->CreateTexture(width, height, 1, gfx::Usage_RenderTarget,
                                             params_->back_buffer_format, gfx::Pool_Default,
                                             &texture)) ||
      !gfx::Succeeded(texture->GetLevelDesc(0, &desc))) {
    e_.PostError("Can't create render target texture");
    return 0;
  }
  RenderTarget node{desc.width, desc.height, 0, zbuffer, nullptr};
  if (zbuffer && !gfx::Succeeded(device_->CreateDepthStencilSurface(
                     desc.width, desc.height, gfx::Format_D16, &node.depth))) {
    e_.PostError("Can't create render target depth buffer");
    return 0;
  }
  node.texture = textures_.Add({texture, TextureKind::Target});
  const TargetHandle handle = node.texture ? targets_.Add(node) : 0;
  if (!handle) {
    textures_.Remove(node.texture);
    e_.PostError("Can't create render target texture");
  }
  return handle;
}

void Graphics::FreeTarget(TargetHandle target) {
  const RenderTarget* node = targets_.Find(target);
  if (!node) return;
  if (node->texture == current_texture_) UnbindTexture();
  textures_.Remove(node->texture);
  targets_.Remove(target);
  // The device may still draw into it; the next scene must select a target again.
  if (current_target_ == target) current_target_.reset();
}

TextureHandle Graphics::TargetTexture(TargetHandle target) {
  const RenderTarget* node = targets_.Find(target);
  return node ? node->texture : 0;
}

bool TVK_Impl::Gfx_BeginScene(TargetHandle target) { return gfx.BeginScene(target); }
void TVK_Impl::Gfx_EndScene() { gfx.EndScene(); }
void TVK_Impl::Gfx_Clear(uint32_t color) { gfx.Clear(color); }
void TVK_Impl::Gfx_SetClipRect(int x, int y, int width, int height) {
  gfx.SetClipRect(x, y, width, height);
}
void TVK_Impl::Gfx_SetViewTransform(float x, float y, float dx, float dy, float rotation,
                                    float hscale, float vscale) {
  gfx.SetViewTransform(x, y, dx, dy, rotation, hscale, vscale);
}
TargetHandle TVK_Impl::Target_Create(int width, int height, bool zbuffer) {
  return gfx.CreateTarget(width, height, zbuffer);
}
void TVK_Impl::Target_Free(TargetHandle target) { gfx.FreeTarget(target); }
TextureHandle TVK_Impl::Target_GetTexture(TargetHandle target) {
  return gfx.TargetTexture(target);
}
