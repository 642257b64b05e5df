#include "platform/gfx/gl/gl_device.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>

#include "platform/gfx/pixel_format.h"

namespace gfx::gl {
namespace {

float ChannelF(uint32_t argb, int shift) { return float(Channel(argb, shift)) / 255.0f; }

}  // namespace

GlDevice::GlDevice(os::Platform& platform, std::shared_ptr<GlShared> shared,
                   const PresentParams& params)
    : platform_(platform), shared_(shared), pipeline_(shared) {
  robust_ = epoxy_has_gl_extension("GL_ARB_robustness");
  InitializeFromParams(params);
}

void GlDevice::InitializeFromParams(const PresentParams& params) {
  params_ = params;
  back_texture_ = std::make_shared<GlTexture>(shared_, params.back_buffer_width,
                                              params.back_buffer_height, 1, Usage_RenderTarget,
                                              params.back_buffer_format, Pool_Default);
  StartOver(std::make_shared<GlColorSurface>(back_texture_, 0), params.enable_auto_depth_stencil);
  if (shared_->Use())
    shared_->context->SetSwapInterval(params.presentation_interval == Interval_Immediate ? 0 : 1);
}

Caps GlDevice::GetDeviceCaps() const {
  GLint size = kMaxSurfaceSize;
  if (shared_->Use()) glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
  size = std::min(size, GLint(kMaxSurfaceSize));
  return {false, size, size};
}

Result GlDevice::TestCooperativeLevel() {
  if (cooperative_ == Result::Ok && robust_ && shared_->Use() &&
      glGetGraphicsResetStatusARB() != GL_NO_ERROR) {
    // The context went away with the driver's reset; a new one can be made at once.
    context_lost_ = true;
    cooperative_ = Result::DeviceNotReset;
  }
  return cooperative_;
}

void GlDevice::LoseDevice() {
  cooperative_ = Result::DeviceLost;
  context_lost_ = true;
}

// A new context in place of the lost one; every GL object is made again when next used, the
// managed textures from their memory copies.
bool GlDevice::RenewContext() {
  ++shared_->generation;
  shared_->alive = shared_->context->Recreate();
  context_lost_ = !shared_->alive;
  return shared_->alive && pipeline_.Ensure();
}

Result GlDevice::Reset(const PresentParams& params) {
  PresentParams checked;
  const Result r = PrepareReset(platform_, params, &checked);
  if (r != Result::Ok) return r;
  if (context_lost_ && !RenewContext()) {
    KeepOldBuffers();
    return Result::DeviceLost;
  }
  InitializeFromParams(checked);
  return Result::Ok;
}

Result GlDevice::Present() {
  if (!Operational()) return Result::DeviceLost;
  if (!pipeline_.Ensure()) return Result::Ok;
  int width = 0, height = 0;
  shared_->context->DrawableSize(&width, &height);
  pipeline_.Show(back_texture_->Name(), params_.back_buffer_width, params_.back_buffer_height,
                 width, height);
  shared_->context->SwapBuffers();
  return Result::Ok;
}

std::vector<uint32_t> GlDevice::ReadBackBuffer(int* width, int* height) {
  return back_texture_->ReadPixels(width, height);
}

Result GlDevice::Clear(uint32_t flags, uint32_t color, float z, uint32_t) {
  const Result valid = CheckClear(flags, z);
  if (valid != Result::Ok || !Operational() || !pipeline_.Ensure()) return valid;
  PrepareTarget();
  pipeline_.PrepareClear();
  glClearColor(ChannelF(color, 16), ChannelF(color, 8), ChannelF(color, 0), ChannelF(color, 24));
  glClearDepth(z);
  glClear(((flags & Clear_Target) ? GL_COLOR_BUFFER_BIT : 0) |
          ((flags & Clear_ZBuffer) ? GL_DEPTH_BUFFER_BIT : 0));
  return Result::Ok;
}

// ---- drawing ----

bool GlDevice::DepthFits() const {
  const SurfaceDesc target = render_target_->GetDesc();
  return depth_surface_ && depth_surface_->Width() >= target.width &&
         depth_surface_->Height() >= target.height;
}

void GlDevice::PrepareTarget() {
  pipeline_.BindTarget(*render_target_, DepthFits() ? depth_surface_.get() : nullptr);
  pipeline_.SetViewport(viewport_);
}

bool GlDevice::PrepareDraw(PrimitiveType type, int first, int vertex_count) {
  if (!Operational() || viewport_.width == 0 || viewport_.height == 0 || !pipeline_.Ensure())
    return false;
  PrepareTarget();
  states_.Apply(&pixel_state_);
  const GLuint texture = texture_ ? texture_->Name() : 0;
  const bool depth_test = states_.Render(RS_ZEnable) && DepthFits();
  pipeline_.ApplyDrawState(pixel_state_, CombinedTransform(), texture, depth_test,
                           states_.Render(RS_CullMode), type == Prim_LineList);
  stream_->Buffer().Prepare(stream_offset_ + first * kVertexStride, vertex_count * kVertexStride);
  pipeline_.SetVertexLayout(stream_offset_);
  return true;
}

void GlDevice::DrawList(PrimitiveType type, int first, int vertex_count, int) {
  if (!PrepareDraw(type, first, vertex_count)) return;
  glDrawArrays(type == Prim_LineList ? GL_LINES : GL_TRIANGLES, first, GLsizei(vertex_count));
}

void GlDevice::DrawIndexedList(PrimitiveType type, int base_vertex, int min_index,
                               int vertex_count, int start_index, int, int index_count) {
  if (!PrepareDraw(type, base_vertex + min_index, vertex_count)) return;
  const int size = indices_->IndexSize();
  indices_->Buffer().Prepare(start_index * size, index_count * size);
  const GLenum mode = type == Prim_LineList ? GL_LINES : GL_TRIANGLES;
  const GLenum index_type = size == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
  // Long lists go in pieces: one big indexed draw takes a slower path on some drivers.
  const int piece = kMaxTrianglesPerDraw * (type == Prim_LineList ? 2 : 3);
  for (int done = 0; done < index_count; done += piece) {
    const auto offset = static_cast<uintptr_t>((int64_t(start_index) + done) * size);
    glDrawElementsBaseVertex(mode, GLsizei(std::min(piece, index_count - done)), index_type,
                             reinterpret_cast<const void*>(offset), base_vertex);
  }
}

}  // namespace gfx::gl
