#include "platform/gfx/soft/soft_device.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "platform/gfx/pixel_format.h"

namespace gfx::soft {
namespace {

bool IsPow2(int v) { return v > 0 && (v & (v - 1)) == 0; }
bool ValidSize(int w, int h) {
  return w > 0 && h > 0 && w <= kMaxSurfaceSize && h <= kMaxSurfaceSize;
}
bool ValidPool(Pool pool) {
  return pool == Pool_Default || pool == Pool_Managed || pool == Pool_SystemMem;
}

template <typename T, typename F>
Result Allocate(std::shared_ptr<T>* out, F make) {
  try {
    *out = make();
    return Result::Ok;
  } catch (const std::bad_alloc&) {
    return Result::OutOfMemory;
  }
}

// Fills x0 .. x1 by y0 .. y1 of an uncompressed buffer with one encoded pixel: the first row
// pixel by pixel, the others as copies of it.
void FillRect(PixelBuffer& buffer, int x0, int y0, int x1, int y1, const uint8_t* pixel) {
  if (x0 >= x1 || y0 >= y1) return;
  const size_t bpp = size_t(BytesPerPixel(buffer.format));
  uint8_t* first = buffer.Row(y0) + x0 * bpp;
  for (int x = x0; x < x1; ++x) std::memcpy(first + (x - x0) * bpp, pixel, bpp);
  for (int y = y0 + 1; y < y1; ++y) std::memcpy(buffer.Row(y) + x0 * bpp, first, (x1 - x0) * bpp);
}

}  // namespace

Format DisplayFormat(int bpp) { return bpp == 16 ? Format_R5G6B5 : Format_X8R8G8B8; }

Result ValidatePresentParams(os::Platform& platform, PresentParams* params) {
  if (!ValidSize(params->back_buffer_width, params->back_buffer_height) ||
      params->back_buffer_count < 0 || params->back_buffer_count > 3 ||
      params->swap_effect < Swap_Discard || params->swap_effect > Swap_Copy)
    return Result::InvalidCall;
  if (params->windowed && params->back_buffer_format == Format_Unknown)
    params->back_buffer_format = DisplayFormat(platform.DesktopMode().bpp);
  if (!IsColorTargetFormat(params->back_buffer_format)) return Result::NotAvailable;
  if (params->enable_auto_depth_stencil && params->auto_depth_stencil_format != Format_D16)
    return Result::NotAvailable;
  if (params->windowed) return Result::Ok;
  for (const os::DisplayMode& m : platform.DisplayModes())
    if (m.width == params->back_buffer_width && m.height == params->back_buffer_height &&
        DisplayFormat(m.bpp) == params->back_buffer_format)
      return Result::Ok;
  return Result::NotAvailable;
}

CpuDevice::CpuDevice(os::Platform& platform, const SoftOptions& options,
                     const PresentParams& params)
    : platform_(platform), options_(options) {
  InitializeFromParams(params);
}

void CpuDevice::InitializeFromParams(const PresentParams& params) {
  params_ = params;
  const auto buffer = [&](Format f) {
    return std::make_shared<PixelBuffer>(f, params.back_buffer_width, params.back_buffer_height);
  };
  back_buffer_ = std::make_shared<SoftSurface>(buffer(params.back_buffer_format),
                                               Usage_RenderTarget, Pool_Default);
  auto_depth_.reset();
  if (params.enable_auto_depth_stencil)
    auto_depth_ =
        std::make_shared<SoftSurface>(buffer(Format_D16), Usage_DepthStencil, Pool_Default);
  UnbindAll();
  render_target_ = back_buffer_;
  depth_surface_ = auto_depth_;
  states_.SetDefaults(auto_depth_ != nullptr);
  for (Matrix& m : transforms_) m = Identity();
  viewport_ = {0, 0, params.back_buffer_width, params.back_buffer_height, 0.0f, 1.0f};
  in_scene_ = false;
  cooperative_ = Result::Ok;
}

void CpuDevice::UnbindAll() {
  texture_.reset();
  stream_.reset();
  stream_offset_ = 0;
  indices_.reset();
  render_target_.reset();
  depth_surface_.reset();
  fvf_ = 0;
}

Caps CpuDevice::GetDeviceCaps() const {
  return {options_.require_pow2, kMaxSurfaceSize, kMaxSurfaceSize};
}

Result CpuDevice::TestCooperativeLevel() { return cooperative_; }

bool CpuDevice::DefaultPoolResourcesHeld() const {
  for (const auto& weak : default_pool_)
    if (!weak.expired()) return true;
  // The device holds one reference to each of its own buffers.
  return back_buffer_.use_count() > 1 || (auto_depth_ && auto_depth_.use_count() > 1);
}

void CpuDevice::TrackDefaultPool(std::shared_ptr<void> resource) {
  std::erase_if(default_pool_, [](const std::weak_ptr<void>& w) { return w.expired(); });
  default_pool_.push_back(resource);
}

Result CpuDevice::Reset(const PresentParams& params) {
  if (cooperative_ == Result::DeviceLost) return Result::DeviceLost;
  PresentParams checked = params;
  const Result valid = ValidatePresentParams(platform_, &checked);
  if (valid != Result::Ok) return valid;
  UnbindAll();
  in_scene_ = false;
  if (DefaultPoolResourcesHeld()) {
    // Still not reset, but with the old buffers as its target so every call stays safe.
    render_target_ = back_buffer_;
    depth_surface_ = auto_depth_;
    cooperative_ = Result::DeviceNotReset;
    return Result::InvalidCall;
  }
  InitializeFromParams(checked);
  return Result::Ok;
}

Result CpuDevice::Present() {
  if (!Operational()) return Result::DeviceLost;
  const PixelBuffer& bb = back_buffer_->Pixels();
  if (BytesPerPixel(bb.format) == 4) {
    platform_.Present(reinterpret_cast<const uint32_t*>(bb.Row(0)), bb.width, bb.height, bb.pitch);
    return Result::Ok;
  }
  int w, h;
  present_pixels_ = ReadBackBuffer(&w, &h);
  platform_.Present(present_pixels_.data(), w, h, w * 4);
  return Result::Ok;
}

std::vector<uint32_t> CpuDevice::ReadBackBuffer(int* width, int* height) {
  const PixelBuffer& bb = back_buffer_->Pixels();
  std::vector<uint32_t> pixels(size_t(bb.width) * bb.height);
  const int bpp = BytesPerPixel(bb.format);
  for (int y = 0; y < bb.height; ++y)
    for (int x = 0; x < bb.width; ++x)
      pixels[size_t(y) * bb.width + x] = ReadArgb(bb.format, bb.Row(y) + x * bpp);
  if (width) *width = bb.width;
  if (height) *height = bb.height;
  return pixels;
}

Result CpuDevice::BeginScene() {
  if (in_scene_) return Result::InvalidCall;
  in_scene_ = true;
  return Result::Ok;
}

Result CpuDevice::EndScene() {
  if (!in_scene_) return Result::InvalidCall;
  in_scene_ = false;
  return Result::Ok;
}

Result CpuDevice::Clear(uint32_t flags, uint32_t color, float z, uint32_t) {
  const uint32_t known = Clear_Target | Clear_ZBuffer;
  if (flags == 0 || (flags & ~known) || ((flags & Clear_ZBuffer) && !depth_surface_) ||
      !(z >= 0.0f && z <= 1.0f))
    return Result::InvalidCall;
  if (!Operational()) return Result::Ok;
  const int x1 = viewport_.x + viewport_.width, y1 = viewport_.y + viewport_.height;
  if (flags & Clear_Target) {
    PixelBuffer& target = render_target_->Pixels();
    uint8_t pixel[4];
    WriteArgb(target.format, color, pixel);
    FillRect(target, viewport_.x, viewport_.y, x1, y1, pixel);
  }
  if (flags & Clear_ZBuffer) {
    PixelBuffer& depth = depth_surface_->Pixels();
    const uint16_t value = uint16_t(std::lround(z * 65535.0f));
    uint8_t pixel[2];
    std::memcpy(pixel, &value, 2);
    FillRect(depth, viewport_.x, viewport_.y, std::min(x1, depth.width), std::min(y1, depth.height),
             pixel);
  }
  return Result::Ok;
}

Result CpuDevice::SetRenderState(RenderState state, uint32_t value) {
  const Result r = states_.SetRender(state, value);
  if (r == Result::Ok) ++stats_.render_state_sets;
  return r;
}

Result CpuDevice::GetRenderState(RenderState state, uint32_t* value) const {
  return states_.GetRender(state, value);
}

Result CpuDevice::SetTextureStageState(int stage, TextureStageState state, uint32_t value) {
  const Result r = states_.SetStage(stage, state, value);
  if (r == Result::Ok) ++stats_.texture_stage_state_sets;
  return r;
}

Result CpuDevice::GetTextureStageState(int stage, TextureStageState state, uint32_t* value) const {
  return states_.GetStage(stage, state, value);
}

Result CpuDevice::SetSamplerState(int sampler, SamplerState state, uint32_t value) {
  const Result r = states_.SetSampler(sampler, state, value);
  if (r == Result::Ok) ++stats_.sampler_state_sets;
  return r;
}

Result CpuDevice::GetSamplerState(int sampler, SamplerState state, uint32_t* value) const {
  return states_.GetSampler(sampler, state, value);
}

int CpuDevice::TransformIndex(TransformType type) {
  switch (type) {
    case TS_World:
      return 0;
    case TS_View:
      return 1;
    case TS_Projection:
      return 2;
    default:
      return -1;
  }
}

Result CpuDevice::SetTransform(TransformType type, const Matrix& matrix) {
  const int i = TransformIndex(type);
  if (i < 0) return Result::InvalidCall;
  transforms_[i] = matrix;
  ++stats_.transform_sets;
  return Result::Ok;
}

Result CpuDevice::GetTransform(TransformType type, Matrix* matrix) const {
  const int i = TransformIndex(type);
  if (i < 0 || !matrix) return Result::InvalidCall;
  *matrix = transforms_[i];
  return Result::Ok;
}

Result CpuDevice::SetViewport(const Viewport& v) {
  const PixelBuffer& target = render_target_->Pixels();
  if (v.x < 0 || v.y < 0 || v.width < 0 || v.height < 0 || v.x > target.width - v.width ||
      v.y > target.height - v.height || !(v.min_z >= 0.0f && v.min_z <= v.max_z && v.max_z <= 1.0f))
    return Result::InvalidCall;
  viewport_ = v;
  ++stats_.viewport_sets;
  return Result::Ok;
}

Result CpuDevice::GetViewport(Viewport* viewport) const {
  if (!viewport) return Result::InvalidCall;
  *viewport = viewport_;
  return Result::Ok;
}

Result CpuDevice::SetTexture(int stage, std::shared_ptr<Texture> texture) {
  auto soft = std::dynamic_pointer_cast<SoftTexture>(texture);
  if (stage != 0 || (texture && !soft)) return Result::InvalidCall;
  texture_ = std::move(soft);
  ++stats_.texture_sets;
  return Result::Ok;
}

Result CpuDevice::SetRenderTarget(int index, std::shared_ptr<Surface> surface) {
  auto soft = std::dynamic_pointer_cast<SoftSurface>(surface);
  if (index != 0 || !soft || !soft->IsRenderTarget()) return Result::InvalidCall;
  render_target_ = std::move(soft);
  const PixelBuffer& p = render_target_->Pixels();
  viewport_ = {0, 0, p.width, p.height, 0.0f, 1.0f};
  ++stats_.render_target_sets;
  return Result::Ok;
}

Result CpuDevice::GetRenderTarget(int index, std::shared_ptr<Surface>* out) {
  if (!out || index != 0) return Result::InvalidCall;
  *out = render_target_;
  return Result::Ok;
}

Result CpuDevice::SetDepthStencilSurface(std::shared_ptr<Surface> surface) {
  auto soft = std::dynamic_pointer_cast<SoftSurface>(surface);
  if (surface && !(soft && soft->IsDepth())) return Result::InvalidCall;
  depth_surface_ = std::move(soft);
  ++stats_.depth_surface_sets;
  return Result::Ok;
}

Result CpuDevice::GetDepthStencilSurface(std::shared_ptr<Surface>* out) {
  if (!out) return Result::InvalidCall;
  *out = depth_surface_;
  return depth_surface_ ? Result::Ok : Result::NotFound;
}

Result CpuDevice::GetBackBuffer(int swap_chain, int index, std::shared_ptr<Surface>* out) {
  if (!out || swap_chain != 0 || index != 0) return Result::InvalidCall;
  *out = back_buffer_;
  return Result::Ok;
}

Result CpuDevice::CreateTexture(int width, int height, int levels, uint32_t usage, Format format,
                                Pool pool, std::shared_ptr<Texture>* out) {
  if (!out) return Result::InvalidCall;
  out->reset();
  const bool render_target = usage & Usage_RenderTarget;
  if (!ValidSize(width, height) || levels < 0 || levels > FullChainLevels(width, height) ||
      (usage & ~uint32_t(Usage_RenderTarget | Usage_Dynamic)) || !ValidPool(pool) ||
      (render_target && pool != Pool_Default))
    return Result::InvalidCall;
  if (!IsTextureFormat(format) || (render_target && !IsColorTargetFormat(format)) ||
      (options_.require_pow2 && !(IsPow2(width) && IsPow2(height))))
    return Result::NotAvailable;
  if (levels == 0) levels = FullChainLevels(width, height);
  std::shared_ptr<SoftTexture> texture;
  const Result r = Allocate(&texture, [&] {
    return std::make_shared<SoftTexture>(width, height, levels, usage, format, pool);
  });
  if (r != Result::Ok) return r;
  if (pool == Pool_Default) TrackDefaultPool(texture);
  *out = texture;
  return Result::Ok;
}

Result CpuDevice::CreateDepthStencilSurface(int width, int height, Format format,
                                            std::shared_ptr<Surface>* out) {
  if (!out) return Result::InvalidCall;
  out->reset();
  if (!ValidSize(width, height)) return Result::InvalidCall;
  if (format != Format_D16) return Result::NotAvailable;
  std::shared_ptr<SoftSurface> surface;
  const Result r = Allocate(&surface, [&] {
    return std::make_shared<SoftSurface>(std::make_shared<PixelBuffer>(format, width, height),
                                         Usage_DepthStencil, Pool_Default);
  });
  if (r != Result::Ok) return r;
  TrackDefaultPool(surface);
  *out = surface;
  return Result::Ok;
}

Result CpuDevice::CreateVertexBuffer(int length, uint32_t, uint32_t, Pool pool,
                                     std::shared_ptr<VertexBuffer>* out) {
  if (!out) return Result::InvalidCall;
  out->reset();
  if (length <= 0 || !ValidPool(pool)) return Result::InvalidCall;
  std::shared_ptr<SoftVertexBuffer> buffer;
  const Result r = Allocate(&buffer, [&] { return std::make_shared<SoftVertexBuffer>(length); });
  if (r != Result::Ok) return r;
  if (pool == Pool_Default) TrackDefaultPool(buffer);
  *out = buffer;
  return Result::Ok;
}

Result CpuDevice::CreateIndexBuffer(int length, uint32_t, Format format, Pool pool,
                                    std::shared_ptr<IndexBuffer>* out) {
  if (!out) return Result::InvalidCall;
  out->reset();
  if (length <= 0 || !ValidPool(pool) || (format != Format_Index16 && format != Format_Index32))
    return Result::InvalidCall;
  std::shared_ptr<SoftIndexBuffer> buffer;
  const Result r =
      Allocate(&buffer, [&] { return std::make_shared<SoftIndexBuffer>(length, format); });
  if (r != Result::Ok) return r;
  if (pool == Pool_Default) TrackDefaultPool(buffer);
  *out = buffer;
  return Result::Ok;
}

Result CpuDevice::SetStreamSource(int stream, std::shared_ptr<VertexBuffer> buffer, int offset,
                                  int stride) {
  auto soft = std::dynamic_pointer_cast<SoftVertexBuffer>(buffer);
  if (stream != 0 || (buffer && !soft) || offset < 0 || (soft && offset >= soft->GetLength()) ||
      (soft && stride != kVertexStride))
    return Result::InvalidCall;
  stream_ = std::move(soft);
  stream_offset_ = stream_ ? offset : 0;
  return Result::Ok;
}

Result CpuDevice::SetIndices(std::shared_ptr<IndexBuffer> buffer) {
  auto soft = std::dynamic_pointer_cast<SoftIndexBuffer>(buffer);
  if (buffer && !soft) return Result::InvalidCall;
  indices_ = std::move(soft);
  return Result::Ok;
}

Result CpuDevice::SetFVF(uint32_t fvf) {
  if (fvf != Fvf_Vertex) return Result::InvalidCall;
  fvf_ = fvf;
  return Result::Ok;
}

// ---- drawing ----

Result CpuDevice::CheckDraw(PrimitiveType type, int primitive_count,
                            int* vertices_per_primitive) const {
  if (type != Prim_LineList && type != Prim_TriangleList) return Result::InvalidCall;
  *vertices_per_primitive = type == Prim_LineList ? 2 : 3;
  if (!in_scene_ || primitive_count <= 0 || !stream_ || stream_->Bytes().Locked() ||
      fvf_ != Fvf_Vertex)
    return Result::InvalidCall;
  return Result::Ok;
}

bool CpuDevice::StreamHolds(int64_t first, int64_t count) const {
  return first >= 0 && count >= 0 &&
         stream_offset_ + (first + count) * kVertexStride <= stream_->GetLength();
}

void CpuDevice::CountDraw(int primitive_count) {
  ++stats_.draw_calls;
  stats_.primitives += uint64_t(primitive_count);
}

bool CpuDevice::BeginRasterDraw() {
  if (!options_.rasterize || !Operational() || viewport_.width == 0 || viewport_.height == 0)
    return false;
  states_.Apply(&pixel_state_);
  pixel_state_.texture = texture_.get();
  pixel_state_.color = &render_target_->Pixels();
  pixel_state_.depth = depth_surface_ ? &depth_surface_->Pixels() : nullptr;
  pixel_state_.z_test = states_.Render(RS_ZEnable) && pixel_state_.depth &&
                        pixel_state_.depth->width >= pixel_state_.color->width &&
                        pixel_state_.depth->height >= pixel_state_.color->height;
  geometry_.Begin(Multiply(Multiply(transforms_[0], transforms_[1]), transforms_[2]), viewport_);
  rasterizer_.Begin(pixel_state_, viewport_, states_.Render(RS_CullMode));
  return true;
}

void CpuDevice::TransformVertices(int first, int count) {
  clip_.resize(size_t(count));
  outcodes_.resize(size_t(count));
  screen_.resize(size_t(count));
  const uint8_t* data = stream_->Bytes().Data() + stream_offset_ + size_t(first) * kVertexStride;
  for (int i = 0; i < count; ++i) {
    clip_[i] = geometry_.Transform(data + size_t(i) * kVertexStride);
    outcodes_[i] = geometry_.Outcode(clip_[i]);
    if (outcodes_[i] == 0) screen_[i] = geometry_.Project(clip_[i]);
  }
}

void CpuDevice::DrawTriangle(int a, int b, int c) {
  if ((outcodes_[a] | outcodes_[b] | outcodes_[c]) == 0) {
    rasterizer_.Triangle(screen_[a], screen_[b], screen_[c]);
    return;
  }
  if (outcodes_[a] & outcodes_[b] & outcodes_[c]) return;
  ScreenVertex poly[Geometry::kMaxClipped];
  const int n = geometry_.ClipTriangle(clip_[a], clip_[b], clip_[c], poly);
  for (int i = 2; i < n; ++i) rasterizer_.Triangle(poly[0], poly[i - 1], poly[i]);
}

void CpuDevice::DrawLine(int a, int b) {
  if ((outcodes_[a] | outcodes_[b]) == 0) {
    rasterizer_.Line(screen_[a], screen_[b]);
    return;
  }
  ScreenVertex ends[2];
  if (geometry_.ClipLine(clip_[a], clip_[b], ends)) rasterizer_.Line(ends[0], ends[1]);
}

template <typename IndexFn>
void CpuDevice::DrawPrimitives(PrimitiveType type, int primitive_count, IndexFn index) {
  if (type == Prim_LineList) {
    for (int i = 0; i < primitive_count; ++i) DrawLine(index(2 * i), index(2 * i + 1));
    return;
  }
  for (int i = 0; i < primitive_count; ++i) {
    const int a = index(3 * i), b = index(3 * i + 1), c = index(3 * i + 2);
    // Two triangles (a b c) (c d a) form a quad, which is filled in one pass when possible.
    if (i + 1 < primitive_count && index(3 * i + 3) == c && index(3 * i + 5) == a) {
      const int d = index(3 * i + 4);
      if ((outcodes_[a] | outcodes_[b] | outcodes_[c] | outcodes_[d]) == 0) {
        rasterizer_.Quad(screen_[a], screen_[b], screen_[c], screen_[d]);
        ++i;
        continue;
      }
    }
    DrawTriangle(a, b, c);
  }
}

Result CpuDevice::DrawPrimitive(PrimitiveType type, int start_vertex, int primitive_count) {
  int per;
  const Result r = CheckDraw(type, primitive_count, &per);
  if (r != Result::Ok) return r;
  const int64_t count = int64_t(primitive_count) * per;
  if (!StreamHolds(start_vertex, count)) return Result::InvalidCall;
  if (!Operational()) return Result::Ok;
  CountDraw(primitive_count);
  if (!BeginRasterDraw()) return Result::Ok;
  TransformVertices(start_vertex, int(count));
  DrawPrimitives(type, primitive_count, [](int k) { return k; });
  return Result::Ok;
}

Result CpuDevice::DrawIndexedPrimitive(PrimitiveType type, int base_vertex, int min_index,
                                       int vertex_count, int start_index, int primitive_count) {
  int per;
  const Result r = CheckDraw(type, primitive_count, &per);
  if (r != Result::Ok) return r;
  if (!indices_ || indices_->Bytes().Locked() || min_index < 0 || vertex_count <= 0 ||
      start_index < 0 || !StreamHolds(int64_t(base_vertex) + min_index, vertex_count))
    return Result::InvalidCall;
  const int64_t index_count = int64_t(primitive_count) * per;
  if (start_index + index_count > indices_->GetLength() / indices_->IndexSize())
    return Result::InvalidCall;
  const SoftIndexBuffer& ib = *indices_;
  for (int64_t k = 0; k < index_count; ++k) {
    const uint32_t i = ib.Index(int(start_index + k));
    if (i < uint32_t(min_index) || i - uint32_t(min_index) >= uint32_t(vertex_count))
      return Result::InvalidCall;
  }
  if (!Operational()) return Result::Ok;
  CountDraw(primitive_count);
  if (!BeginRasterDraw()) return Result::Ok;
  TransformVertices(base_vertex + min_index, vertex_count);
  DrawPrimitives(type, primitive_count,
                 [&](int k) { return int(ib.Index(start_index + k)) - min_index; });
  return Result::Ok;
}

}  // namespace gfx::soft
