#include "platform/gfx/gl/gl_device.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "platform/gfx/pixel_format.h"
#include "platform/gfx/soft/soft_device.h"

namespace gfx::gl {
namespace {

bool ValidSize(int w, int h) {
  return w > 0 && h > 0 && w <= soft::kMaxSurfaceSize && h <= soft::kMaxSurfaceSize;
}
bool ValidPool(Pool pool) {
  return pool == Pool_Default || pool == Pool_Managed || pool == Pool_SystemMem;
}

// Stores what make() returns in *out; OutOfMemory when it cannot allocate.
template <typename T, typename Make>
Result Construct(std::shared_ptr<T>* out, Make make) {
  try {
    *out = make();
  } catch (const std::bad_alloc&) {
    return Result::OutOfMemory;
  }
  return Result::Ok;
}

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
  back_buffer_ = std::make_shared<GlColorSurface>(back_texture_, 0);
  auto_depth_.reset();
  if (params.enable_auto_depth_stencil)
    auto_depth_ = std::make_shared<GlDepthSurface>(shared_, params.back_buffer_width,
                                                   params.back_buffer_height);
  UnbindAll();
  render_target_ = back_buffer_;
  depth_surface_ = auto_depth_;
  states_.SetDefaults(auto_depth_ != nullptr);
  for (Matrix& m : transforms_) m = Identity();
  viewport_ = {0, 0, params.back_buffer_width, params.back_buffer_height, 0.0f, 1.0f};
  in_scene_ = false;
  cooperative_ = Result::Ok;
  if (shared_->Use())
    shared_->context->SetSwapInterval(params.presentation_interval == Interval_Immediate ? 0 : 1);
}

void GlDevice::UnbindAll() {
  texture_.reset();
  stream_.reset();
  stream_offset_ = 0;
  indices_.reset();
  render_target_.reset();
  depth_surface_.reset();
  fvf_ = 0;
}

Caps GlDevice::GetDeviceCaps() const {
  GLint size = soft::kMaxSurfaceSize;
  if (shared_->Use()) glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
  size = std::min(size, GLint(soft::kMaxSurfaceSize));
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

bool GlDevice::DefaultPoolResourcesHeld() const {
  for (const auto& weak : default_pool_)
    if (!weak.expired()) return true;
  return back_buffer_.use_count() > 1 || (auto_depth_ && auto_depth_.use_count() > 1);
}

void GlDevice::TrackDefaultPool(std::shared_ptr<void> resource) {
  std::erase_if(default_pool_, [](const std::weak_ptr<void>& w) { return w.expired(); });
  default_pool_.push_back(resource);
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
  if (cooperative_ == Result::DeviceLost) return Result::DeviceLost;
  PresentParams checked = params;
  const Result valid = soft::ValidatePresentParams(platform_, &checked);
  if (valid != Result::Ok) return valid;
  UnbindAll();
  in_scene_ = false;
  if (DefaultPoolResourcesHeld()) {
    render_target_ = back_buffer_;
    depth_surface_ = auto_depth_;
    cooperative_ = Result::DeviceNotReset;
    return Result::InvalidCall;
  }
  if (context_lost_ && !RenewContext()) {
    render_target_ = back_buffer_;
    cooperative_ = Result::DeviceNotReset;
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

Result GlDevice::BeginScene() {
  if (in_scene_) return Result::InvalidCall;
  in_scene_ = true;
  return Result::Ok;
}

Result GlDevice::EndScene() {
  if (!in_scene_) return Result::InvalidCall;
  in_scene_ = false;
  return Result::Ok;
}

Result GlDevice::Clear(uint32_t flags, uint32_t color, float z, uint32_t) {
  const uint32_t known = Clear_Target | Clear_ZBuffer;
  if (flags == 0 || (flags & ~known) || ((flags & Clear_ZBuffer) && !depth_surface_) ||
      !(z >= 0.0f && z <= 1.0f))
    return Result::InvalidCall;
  if (!Operational() || !pipeline_.Ensure()) return Result::Ok;
  PrepareTarget();
  pipeline_.PrepareClear();
  glClearColor(ChannelF(color, 16), ChannelF(color, 8), ChannelF(color, 0), ChannelF(color, 24));
  glClearDepth(z);
  glClear(((flags & Clear_Target) ? GL_COLOR_BUFFER_BIT : 0) |
          ((flags & Clear_ZBuffer) ? GL_DEPTH_BUFFER_BIT : 0));
  return Result::Ok;
}

Result GlDevice::SetRenderState(RenderState state, uint32_t value) {
  const Result r = states_.SetRender(state, value);
  if (r == Result::Ok) ++stats_.render_state_sets;
  return r;
}

Result GlDevice::GetRenderState(RenderState state, uint32_t* value) const {
  return states_.GetRender(state, value);
}

Result GlDevice::SetTextureStageState(int stage, TextureStageState state, uint32_t value) {
  const Result r = states_.SetStage(stage, state, value);
  if (r == Result::Ok) ++stats_.texture_stage_state_sets;
  return r;
}

Result GlDevice::GetTextureStageState(int stage, TextureStageState state, uint32_t* value) const {
  return states_.GetStage(stage, state, value);
}

Result GlDevice::SetSamplerState(int sampler, SamplerState state, uint32_t value) {
  const Result r = states_.SetSampler(sampler, state, value);
  if (r == Result::Ok) ++stats_.sampler_state_sets;
  return r;
}

Result GlDevice::GetSamplerState(int sampler, SamplerState state, uint32_t* value) const {
  return states_.GetSampler(sampler, state, value);
}

int GlDevice::TransformIndex(TransformType type) {
  if (type == TS_World) return 0;
  if (type == TS_View) return 1;
  return type == TS_Projection ? 2 : -1;
}

Result GlDevice::SetTransform(TransformType type, const Matrix& matrix) {
  const int i = TransformIndex(type);
  if (i < 0) return Result::InvalidCall;
  transforms_[i] = matrix;
  ++stats_.transform_sets;
  return Result::Ok;
}

Result GlDevice::GetTransform(TransformType type, Matrix* matrix) const {
  const int i = TransformIndex(type);
  if (i < 0 || !matrix) return Result::InvalidCall;
  *matrix = transforms_[i];
  return Result::Ok;
}

Result GlDevice::SetViewport(const Viewport& v) {
  const SurfaceDesc target = render_target_->GetDesc();
  if (v.x < 0 || v.y < 0 || v.width < 0 || v.height < 0 || v.x > target.width - v.width ||
      v.y > target.height - v.height || !(v.min_z >= 0.0f && v.min_z <= v.max_z && v.max_z <= 1.0f))
    return Result::InvalidCall;
  viewport_ = v;
  ++stats_.viewport_sets;
  return Result::Ok;
}

Result GlDevice::GetViewport(Viewport* viewport) const {
  if (!viewport) return Result::InvalidCall;
  *viewport = viewport_;
  return Result::Ok;
}

Result GlDevice::SetTexture(int stage, std::shared_ptr<Texture> texture) {
  auto gl = std::dynamic_pointer_cast<GlTexture>(texture);
  if (stage != 0 || (texture && !gl)) return Result::InvalidCall;
  texture_ = std::move(gl);
  ++stats_.texture_sets;
  return Result::Ok;
}

Result GlDevice::SetRenderTarget(int index, std::shared_ptr<Surface> surface) {
  auto color = std::dynamic_pointer_cast<GlColorSurface>(surface);
  if (index != 0 || !color || !color->IsRenderTarget()) return Result::InvalidCall;
  render_target_ = std::move(color);
  const SurfaceDesc d = render_target_->GetDesc();
  viewport_ = {0, 0, d.width, d.height, 0.0f, 1.0f};
  ++stats_.render_target_sets;
  return Result::Ok;
}

Result GlDevice::GetRenderTarget(int index, std::shared_ptr<Surface>* out) {
  if (!out || index != 0) return Result::InvalidCall;
  *out = render_target_;
  return Result::Ok;
}

Result GlDevice::SetDepthStencilSurface(std::shared_ptr<Surface> surface) {
  auto depth = std::dynamic_pointer_cast<GlDepthSurface>(surface);
  if (surface && !depth) return Result::InvalidCall;
  depth_surface_ = std::move(depth);
  ++stats_.depth_surface_sets;
  return Result::Ok;
}

Result GlDevice::GetDepthStencilSurface(std::shared_ptr<Surface>* out) {
  if (!out) return Result::InvalidCall;
  *out = depth_surface_;
  return depth_surface_ ? Result::Ok : Result::NotFound;
}

Result GlDevice::GetBackBuffer(int swap_chain, int index, std::shared_ptr<Surface>* out) {
  if (!out || swap_chain != 0 || index != 0) return Result::InvalidCall;
  *out = back_buffer_;
  return Result::Ok;
}

Result GlDevice::CreateTexture(int width, int height, int levels, uint32_t usage, Format format,
                               Pool pool, std::shared_ptr<Texture>* out) {
  if (!out) return Result::InvalidCall;
  out->reset();
  const bool render_target = usage & Usage_RenderTarget;
  const int max_size = GetDeviceCaps().max_texture_width;
  if (!ValidSize(width, height) || levels < 0 || levels > soft::FullChainLevels(width, height) ||
      (usage & ~uint32_t(Usage_RenderTarget | Usage_Dynamic)) || !ValidPool(pool) ||
      (render_target && pool != Pool_Default))
    return Result::InvalidCall;
  if (!IsTextureFormat(format) || (render_target && !IsColorTargetFormat(format)) ||
      width > max_size || height > max_size)
    return Result::NotAvailable;
  if (levels == 0) levels = soft::FullChainLevels(width, height);
  std::shared_ptr<GlTexture> texture;
  const Result r = Construct(&texture, [&] {
    return std::make_shared<GlTexture>(shared_, width, height, levels, usage, format, pool);
  });
  if (r != Result::Ok) return r;
  if (pool == Pool_Default) TrackDefaultPool(texture);
  *out = texture;
  return Result::Ok;
}

Result GlDevice::CreateDepthStencilSurface(int width, int height, Format format,
                                           std::shared_ptr<Surface>* out) {
  if (!out) return Result::InvalidCall;
  out->reset();
  if (!ValidSize(width, height)) return Result::InvalidCall;
  if (format != Format_D16) return Result::NotAvailable;
  auto surface = std::make_shared<GlDepthSurface>(shared_, width, height);
  TrackDefaultPool(surface);
  *out = surface;
  return Result::Ok;
}

Result GlDevice::CreateVertexBuffer(int length, uint32_t, uint32_t, Pool pool,
                                    std::shared_ptr<VertexBuffer>* out) {
  if (!out) return Result::InvalidCall;
  out->reset();
  if (length <= 0 || !ValidPool(pool)) return Result::InvalidCall;
  std::shared_ptr<GlVertexBuffer> buffer;
  const Result r =
      Construct(&buffer, [&] { return std::make_shared<GlVertexBuffer>(shared_, length); });
  if (r != Result::Ok) return r;
  if (pool == Pool_Default) TrackDefaultPool(buffer);
  *out = buffer;
  return Result::Ok;
}

Result GlDevice::CreateIndexBuffer(int length, uint32_t, Format format, Pool pool,
                                   std::shared_ptr<IndexBuffer>* out) {
  if (!out) return Result::InvalidCall;
  out->reset();
  if (length <= 0 || !ValidPool(pool) || (format != Format_Index16 && format != Format_Index32))
    return Result::InvalidCall;
  std::shared_ptr<GlIndexBuffer> buffer;
  const Result r = Construct(
      &buffer, [&] { return std::make_shared<GlIndexBuffer>(shared_, length, format); });
  if (r != Result::Ok) return r;
  if (pool == Pool_Default) TrackDefaultPool(buffer);
  *out = buffer;
  return Result::Ok;
}

Result GlDevice::SetStreamSource(int stream, std::shared_ptr<VertexBuffer> buffer, int offset,
                                 int stride) {
  auto gl = std::dynamic_pointer_cast<GlVertexBuffer>(buffer);
  if (stream != 0 || (buffer && !gl) || offset < 0 || (gl && offset >= gl->GetLength()) ||
      (gl && stride != kVertexStride))
    return Result::InvalidCall;
  stream_ = std::move(gl);
  stream_offset_ = stream_ ? offset : 0;
  return Result::Ok;
}

Result GlDevice::SetIndices(std::shared_ptr<IndexBuffer> buffer) {
  auto gl = std::dynamic_pointer_cast<GlIndexBuffer>(buffer);
  if (buffer && !gl) return Result::InvalidCall;
  indices_ = std::move(gl);
  return Result::Ok;
}

Result GlDevice::SetFVF(uint32_t fvf) {
  if (fvf != Fvf_Vertex) return Result::InvalidCall;
  fvf_ = fvf;
  return Result::Ok;
}

// ---- drawing ----

Result GlDevice::CheckDraw(PrimitiveType type, int primitive_count,
                           int* vertices_per_primitive) const {
  if (type != Prim_LineList && type != Prim_TriangleList) return Result::InvalidCall;
  *vertices_per_primitive = type == Prim_LineList ? 2 : 3;
  if (!in_scene_ || primitive_count <= 0 || !stream_ || stream_->Buffer().Locked() ||
      fvf_ != Fvf_Vertex)
    return Result::InvalidCall;
  return Result::Ok;
}

bool GlDevice::StreamHolds(int64_t first, int64_t count) const {
  return first >= 0 && count >= 0 &&
         stream_offset_ + (first + count) * kVertexStride <= stream_->GetLength();
}

bool GlDevice::IndicesInRange(int start_index, int64_t count, int min_index,
                              int vertex_count) const {
  if (start_index + count > indices_->GetLength() / indices_->IndexSize()) return false;
  for (int64_t k = 0; k < count; ++k) {
    const uint32_t i = indices_->Index(int(start_index + k));
    if (i < uint32_t(min_index) || i - uint32_t(min_index) >= uint32_t(vertex_count)) return false;
  }
  return true;
}

void GlDevice::PrepareTarget() {
  const bool depth_fits = depth_surface_ &&
                          depth_surface_->Width() >= render_target_->GetDesc().width &&
                          depth_surface_->Height() >= render_target_->GetDesc().height;
  pipeline_.BindTarget(*render_target_, depth_fits ? depth_surface_.get() : nullptr);
  pipeline_.SetViewport(viewport_);
}

bool GlDevice::PrepareDraw(PrimitiveType type, int first, int vertex_count) {
  if (!Operational() || viewport_.width == 0 || viewport_.height == 0 || !pipeline_.Ensure())
    return false;
  PrepareTarget();
  states_.Apply(&pixel_state_);
  const GLuint texture = texture_ ? texture_->Name() : 0;
  const SurfaceDesc target = render_target_->GetDesc();
  const bool depth_test = states_.Render(RS_ZEnable) && depth_surface_ &&
                          depth_surface_->Width() >= target.width &&
                          depth_surface_->Height() >= target.height;
  const Matrix transform = Multiply(Multiply(transforms_[0], transforms_[1]), transforms_[2]);
  pipeline_.ApplyDrawState(pixel_state_, transform, texture, depth_test,
                           states_.Render(RS_CullMode), type == Prim_LineList);
  stream_->Buffer().Prepare(stream_offset_ + first * kVertexStride, vertex_count * kVertexStride);
  pipeline_.SetVertexLayout(stream_offset_);
  return true;
}

Result GlDevice::DrawPrimitive(PrimitiveType type, int start_vertex, int primitive_count) {
  int per;
  const Result r = CheckDraw(type, primitive_count, &per);
  if (r != Result::Ok) return r;
  const int64_t count = int64_t(primitive_count) * per;
  if (!StreamHolds(start_vertex, count)) return Result::InvalidCall;
  if (!Operational()) return Result::Ok;
  ++stats_.draw_calls;
  stats_.primitives += uint64_t(primitive_count);
  if (!PrepareDraw(type, start_vertex, int(count))) return Result::Ok;
  glDrawArrays(type == Prim_LineList ? GL_LINES : GL_TRIANGLES, start_vertex, GLsizei(count));
  return Result::Ok;
}

Result GlDevice::DrawIndexedPrimitive(PrimitiveType type, int base_vertex, int min_index,
                                      int vertex_count, int start_index, int primitive_count) {
  int per;
  const Result r = CheckDraw(type, primitive_count, &per);
  if (r != Result::Ok) return r;
  const int64_t index_count = int64_t(primitive_count) * per;
  if (!indices_ || indices_->Buffer().Locked() || min_index < 0 || vertex_count <= 0 ||
      start_index < 0 || !StreamHolds(int64_t(base_vertex) + min_index, vertex_count) ||
      !IndicesInRange(start_index, index_count, min_index, vertex_count))
    return Result::InvalidCall;
  if (!Operational()) return Result::Ok;
  ++stats_.draw_calls;
  stats_.primitives += uint64_t(primitive_count);
  if (!PrepareDraw(type, base_vertex + min_index, vertex_count)) return Result::Ok;
  const int size = indices_->IndexSize();
  indices_->Buffer().Prepare(start_index * size, int(index_count) * size);
  const GLenum mode = type == Prim_LineList ? GL_LINES : GL_TRIANGLES;
  const GLenum index_type = size == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
  // Long lists go in pieces: one big indexed draw takes a slower path on some drivers.
  const int64_t piece = int64_t(kMaxTrianglesPerDraw) * per;
  for (int64_t done = 0; done < index_count; done += piece) {
    const auto offset = static_cast<uintptr_t>((start_index + done) * size);
    glDrawElementsBaseVertex(mode, GLsizei(std::min(piece, index_count - done)), index_type,
                             reinterpret_cast<const void*>(offset), base_vertex);
  }
  return Result::Ok;
}

}  // namespace gfx::gl
