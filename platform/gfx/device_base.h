// What the software and the OpenGL device share: the states, transforms, viewport and
// statistics, the scene and cooperative-level bookkeeping, the bound resources with their
// checks, default-pool tracking, and the Create calls with their argument checks. Each device
// adds how one of its resources is made, clearing, drawing, presenting and resetting.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/gfx/soft/state_block.h"
#include "platform/os/platform.h"

namespace gfx {

constexpr int kMaxSurfaceSize = 8192;

// The device format of a display mode with this many bits per pixel.
Format DisplayFormat(int bpp);

// Checks presentation parameters against the platform's display; fills in a windowed back
// buffer of unknown format with the desktop format.
Result ValidatePresentParams(os::Platform& platform, PresentParams* params);

// The checks of Graphics::CreateDevice before a device is made: an output and a window, and
// parameters that pass ValidatePresentParams (into *checked).
Result CheckDeviceRequest(os::Platform& platform, void* focus_window, const PresentParams& params,
                          std::unique_ptr<Device>* out, PresentParams* checked);

// Checks of the Create calls: InvalidCall for bad arguments, NotAvailable for a format or size
// the device cannot make. A texture's levels of 0 become the full chain.
Result CheckTextureRequest(int width, int height, int* levels, uint32_t usage, Format format,
                           Pool pool, int max_size, bool require_pow2);
Result CheckDepthRequest(int width, int height, Format format);
Result CheckBufferRequest(int length, Pool pool);
Result CheckIndexBufferRequest(int length, Format format, Pool pool);

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

// A device over its own resource classes: textures TextureT, colour and depth surfaces ColorT
// and DepthT, vertex and index buffers VertexT and IndexT. Colour surfaces answer
// IsRenderTarget(), buffers Locked(), index buffers IndexSize() and Index(i). Interface is the
// device interface the device offers.
template <typename TextureT, typename ColorT, typename DepthT, typename VertexT, typename IndexT,
          typename Interface = ControlledDevice>
class DeviceBase : public Interface {
 public:
  Result TestCooperativeLevel() override { return cooperative_; }
  void MakeResettable() override { cooperative_ = Result::DeviceNotReset; }
  const Stats& GetStats() const override { return stats_; }
  void ResetStats() override { stats_ = Stats(); }

  Result BeginScene() override { return SwitchScene(true); }
  Result EndScene() override { return SwitchScene(false); }

  Result SetRenderState(RenderState state, uint32_t value) override {
    return Counted(states_.SetRender(state, value), &stats_.render_state_sets);
  }
  Result GetRenderState(RenderState state, uint32_t* value) const override {
    return states_.GetRender(state, value);
  }
  Result SetTextureStageState(int stage, TextureStageState state, uint32_t value) override {
    return Counted(states_.SetStage(stage, state, value), &stats_.texture_stage_state_sets);
  }
  Result GetTextureStageState(int stage, TextureStageState state,
                              uint32_t* value) const override {
    return states_.GetStage(stage, state, value);
  }
  Result SetSamplerState(int sampler, SamplerState state, uint32_t value) override {
    return Counted(states_.SetSampler(sampler, state, value), &stats_.sampler_state_sets);
  }
  Result GetSamplerState(int sampler, SamplerState state, uint32_t* value) const override {
    return states_.GetSampler(sampler, state, value);
  }

  Result SetTransform(TransformType type, const Matrix& matrix) override {
    const int i = TransformIndex(type);
    if (i < 0) return Result::InvalidCall;
    transforms_[i] = matrix;
    ++stats_.transform_sets;
    return Result::Ok;
  }
  Result GetTransform(TransformType type, Matrix* matrix) const override {
    const int i = TransformIndex(type);
    if (i < 0 || !matrix) return Result::InvalidCall;
    *matrix = transforms_[i];
    return Result::Ok;
  }

  Result SetViewport(const Viewport& v) override {
    const SurfaceDesc target = render_target_->GetDesc();
    if (v.x < 0 || v.y < 0 || v.width < 0 || v.height < 0 || v.x > target.width - v.width ||
        v.y > target.height - v.height ||
        !(v.min_z >= 0.0f && v.min_z <= v.max_z && v.max_z <= 1.0f))
      return Result::InvalidCall;
    viewport_ = v;
    ++stats_.viewport_sets;
    return Result::Ok;
  }
  Result GetViewport(Viewport* viewport) const override {
    if (!viewport) return Result::InvalidCall;
    *viewport = viewport_;
    return Result::Ok;
  }

  Result SetTexture(int stage, std::shared_ptr<Texture> texture) override {
    auto own = std::dynamic_pointer_cast<TextureT>(texture);
    if (stage != 0 || (texture && !own)) return Result::InvalidCall;
    texture_ = std::move(own);
    ++stats_.texture_sets;
    return Result::Ok;
  }
  Result SetRenderTarget(int index, std::shared_ptr<Surface> surface) override {
    auto color = std::dynamic_pointer_cast<ColorT>(surface);
    if (index != 0 || !color || !color->IsRenderTarget()) return Result::InvalidCall;
    render_target_ = std::move(color);
    const SurfaceDesc d = render_target_->GetDesc();
    viewport_ = {0, 0, d.width, d.height, 0.0f, 1.0f};
    ++stats_.render_target_sets;
    return Result::Ok;
  }
  Result GetRenderTarget(int index, std::shared_ptr<Surface>* out) override {
    if (!out || index != 0) return Result::InvalidCall;
    *out = render_target_;
    return Result::Ok;
  }
  Result SetDepthStencilSurface(std::shared_ptr<Surface> surface) override {
    auto depth = std::dynamic_pointer_cast<DepthT>(surface);
    if (surface && !(depth && depth->GetDesc().format == Format_D16)) return Result::InvalidCall;
    depth_surface_ = std::move(depth);
    ++stats_.depth_surface_sets;
    return Result::Ok;
  }
  Result GetDepthStencilSurface(std::shared_ptr<Surface>* out) override {
    if (!out) return Result::InvalidCall;
    *out = depth_surface_;
    return depth_surface_ ? Result::Ok : Result::NotFound;
  }
  Result GetBackBuffer(int swap_chain, int index, std::shared_ptr<Surface>* out) override {
    if (!out || swap_chain != 0 || index != 0) return Result::InvalidCall;
    *out = back_buffer_;
    return Result::Ok;
  }

  Result SetStreamSource(int stream, std::shared_ptr<VertexBuffer> buffer, int offset,
                         int stride) override {
    auto own = std::dynamic_pointer_cast<VertexT>(buffer);
    if (stream != 0 || (buffer && !own) || offset < 0 || (own && offset >= own->GetLength()) ||
        (own && stride != kVertexStride))
      return Result::InvalidCall;
    stream_ = std::move(own);
    stream_offset_ = stream_ ? offset : 0;
    return Result::Ok;
  }
  Result SetIndices(std::shared_ptr<IndexBuffer> buffer) override {
    auto own = std::dynamic_pointer_cast<IndexT>(buffer);
    if (buffer && !own) return Result::InvalidCall;
    indices_ = std::move(own);
    return Result::Ok;
  }
  Result SetFVF(uint32_t fvf) override {
    if (fvf != Fvf_Vertex) return Result::InvalidCall;
    fvf_ = fvf;
    return Result::Ok;
  }

  Result CreateTexture(int width, int height, int levels, uint32_t usage, Format format, Pool pool,
                       std::shared_ptr<Texture>* out) override {
    const Caps caps = this->GetDeviceCaps();
    const Result check = CheckTextureRequest(width, height, &levels, usage, format, pool,
                                             caps.max_texture_width, caps.pow2_textures_only);
    return Create(check, pool, out,
                  [&] { return MakeTexture(width, height, levels, usage, format, pool); });
  }
  Result CreateDepthStencilSurface(int width, int height, Format format,
                                   std::shared_ptr<Surface>* out) override {
    return Create(CheckDepthRequest(width, height, format), Pool_Default, out,
                  [&] { return MakeDepthSurface(width, height); });
  }
  Result CreateVertexBuffer(int length, uint32_t, uint32_t, Pool pool,
                            std::shared_ptr<VertexBuffer>* out) override {
    return Create(CheckBufferRequest(length, pool), pool, out,
                  [&] { return MakeVertexBuffer(length); });
  }
  Result CreateIndexBuffer(int length, uint32_t, Format format, Pool pool,
                           std::shared_ptr<IndexBuffer>* out) override {
    return Create(CheckIndexBufferRequest(length, format, pool), pool, out,
                  [&] { return MakeIndexBuffer(length, format); });
  }

  Result DrawPrimitive(PrimitiveType type, int start_vertex, int primitive_count) override {
    int per;
    const Result r = CheckDraw(type, primitive_count, &per);
    if (r != Result::Ok) return r;
    const int64_t count = int64_t(primitive_count) * per;
    if (!StreamHolds(start_vertex, count)) return Result::InvalidCall;
    if (!Operational()) return Result::Ok;
    CountDraw(primitive_count);
    DrawList(type, start_vertex, int(count), primitive_count);
    return Result::Ok;
  }
  Result DrawIndexedPrimitive(PrimitiveType type, int base_vertex, int min_index, int vertex_count,
                              int start_index, int primitive_count) override {
    int per;
    const Result r = CheckDraw(type, primitive_count, &per);
    if (r != Result::Ok) return r;
    const int64_t index_count = int64_t(primitive_count) * per;
    if (!IndexedDrawValid(base_vertex, min_index, vertex_count, start_index, index_count))
      return Result::InvalidCall;
    if (!Operational()) return Result::Ok;
    CountDraw(primitive_count);
    DrawIndexedList(type, base_vertex, min_index, vertex_count, start_index, primitive_count,
                    int(index_count));
    return Result::Ok;
  }

 protected:
  // True while the device draws: not lost and not waiting for a reset.
  virtual bool Operational() const = 0;
  // Draws primitives whose arguments have been checked: vertex_count vertices of the stream
  // from first.
  virtual void DrawList(PrimitiveType type, int first, int vertex_count,
                        int primitive_count) = 0;
  // The same for index_count indices from start_index, naming vertex_count vertices from
  // base_vertex + min_index.
  virtual void DrawIndexedList(PrimitiveType type, int base_vertex, int min_index,
                               int vertex_count, int start_index, int primitive_count,
                               int index_count) = 0;

  // Make a resource whose request has passed its checks; they may throw std::bad_alloc. The
  // depth surface is 16-bit.
  virtual std::shared_ptr<TextureT> MakeTexture(int width, int height, int levels,
                                                           uint32_t usage, Format format,
                                                           Pool pool) = 0;
  virtual std::shared_ptr<DepthT> MakeDepthSurface(int width, int height) = 0;
  virtual std::shared_ptr<VertexT> MakeVertexBuffer(int length) = 0;
  virtual std::shared_ptr<IndexT> MakeIndexBuffer(int length, Format format) = 0;

  // Every binding, state, transform and the viewport as after creation or a reset, with the
  // new back buffer and, when auto_depth, an automatic depth buffer of its size.
  void StartOver(std::shared_ptr<ColorT> back_buffer, bool auto_depth) {
    const SurfaceDesc d = back_buffer->GetDesc();
    auto_depth_ = auto_depth ? MakeDepthSurface(d.width, d.height) : nullptr;
    back_buffer_ = std::move(back_buffer);
    UnbindAll();
    render_target_ = back_buffer_;
    depth_surface_ = auto_depth_;
    states_.SetDefaults(auto_depth_ != nullptr);
    for (Matrix& m : transforms_) m = Identity();
    viewport_ = {0, 0, d.width, d.height, 0.0f, 1.0f};
    in_scene_ = false;
    cooperative_ = Result::Ok;
  }

  // The checks every Reset makes before it rebuilds: DeviceLost while lost, the parameters
  // (validated into *checked), and no default-pool resource held outside the device. On the
  // last failure the device stays not reset, drawing into its old buffers so every call stays
  // safe.
  Result PrepareReset(os::Platform& platform, const PresentParams& params,
                      PresentParams* checked) {
    if (cooperative_ == Result::DeviceLost) return Result::DeviceLost;
    *checked = params;
    const Result valid = ValidatePresentParams(platform, checked);
    if (valid != Result::Ok) return valid;
    UnbindAll();
    in_scene_ = false;
    if (DefaultPoolResourcesHeld()) {
      KeepOldBuffers();
      return Result::InvalidCall;
    }
    return Result::Ok;
  }

  // Not reset: the old buffers stay the target until a Reset succeeds.
  void KeepOldBuffers() {
    render_target_ = back_buffer_;
    depth_surface_ = auto_depth_;
    cooperative_ = Result::DeviceNotReset;
  }

  // Checks Clear's arguments.
  Result CheckClear(uint32_t flags, float z) const {
    const uint32_t known = Clear_Target | Clear_ZBuffer;
    if (flags == 0 || (flags & ~known) || ((flags & Clear_ZBuffer) && !depth_surface_) ||
        !(z >= 0.0f && z <= 1.0f))
      return Result::InvalidCall;
    return Result::Ok;
  }

  // The world, view and projection transforms in one.
  Matrix CombinedTransform() const {
    return Multiply(Multiply(transforms_[0], transforms_[1]), transforms_[2]);
  }

  Result cooperative_ = Result::Ok;
  bool in_scene_ = false;

  std::shared_ptr<ColorT> back_buffer_, render_target_;
  std::shared_ptr<DepthT> auto_depth_, depth_surface_;
  std::shared_ptr<TextureT> texture_;
  std::shared_ptr<VertexT> stream_;
  int stream_offset_ = 0;
  std::shared_ptr<IndexT> indices_;

  soft::StateBlock states_;
  Viewport viewport_;
  Stats stats_;

 private:
  // The end of every Create call: with the request's check passed, makes the resource with
  // make(), tracks it when it lives in the default pool and hands it out in *out, which is
  // cleared first and stays empty on any failure.
  template <typename Out, typename Make>
  Result Create(Result check, Pool pool, std::shared_ptr<Out>* out, Make make) {
    if (!out) return Result::InvalidCall;
    out->reset();
    if (check != Result::Ok) return check;
    decltype(make()) made;
    const Result r = Construct(&made, make);
    if (r != Result::Ok) return r;
    if (pool == Pool_Default) TrackDefaultPool(made);
    *out = std::move(made);
    return Result::Ok;
  }

  void TrackDefaultPool(std::shared_ptr<void> resource) {
    std::erase_if(default_pool_, [](const std::weak_ptr<void>& w) { return w.expired(); });
    default_pool_.push_back(resource);
  }

  // Checks what every draw needs: a scene, a known primitive type, a positive count and an
  // unlocked vertex stream in the engine's format. Fills the vertices per primitive.
  Result CheckDraw(PrimitiveType type, int primitive_count, int* vertices_per_primitive) const {
    if (type != Prim_LineList && type != Prim_TriangleList) return Result::InvalidCall;
    *vertices_per_primitive = type == Prim_LineList ? 2 : 3;
    if (!in_scene_ || primitive_count <= 0 || !stream_ || stream_->Locked() ||
        fvf_ != Fvf_Vertex)
      return Result::InvalidCall;
    return Result::Ok;
  }

  // True when count vertices from first lie inside the bound stream.
  bool StreamHolds(int64_t first, int64_t count) const {
    return first >= 0 && count >= 0 &&
           stream_offset_ + (first + count) * kVertexStride <= stream_->GetLength();
  }

  // Checks an indexed draw's index range: an unlocked index buffer holding count indices from
  // start_index, each naming one of the vertex_count vertices from min_index, which the stream
  // holds from base_vertex.
  bool IndexedDrawValid(int base_vertex, int min_index, int vertex_count, int start_index,
                        int64_t count) const {
    if (!indices_ || indices_->Locked() || min_index < 0 || vertex_count <= 0 ||
        start_index < 0 || !StreamHolds(int64_t(base_vertex) + min_index, vertex_count) ||
        start_index + count > indices_->GetLength() / indices_->IndexSize())
      return false;
    for (int64_t k = 0; k < count; ++k) {
      const uint32_t i = indices_->Index(int(start_index + k));
      if (i < uint32_t(min_index) || i - uint32_t(min_index) >= uint32_t(vertex_count))
        return false;
    }
    return true;
  }

  void CountDraw(int primitive_count) {
    ++stats_.draw_calls;
    stats_.primitives += uint64_t(primitive_count);
  }

  static Result Counted(Result r, uint64_t* counter) {
    if (r == Result::Ok) ++*counter;
    return r;
  }

  Result SwitchScene(bool begin) {
    if (in_scene_ == begin) return Result::InvalidCall;
    in_scene_ = begin;
    return Result::Ok;
  }

  // Slot of a transform in transforms_ (world, view, projection), or -1.
  static int TransformIndex(TransformType type) {
    if (type == TS_World) return 0;
    if (type == TS_View) return 1;
    return type == TS_Projection ? 2 : -1;
  }

  void UnbindAll() {
    texture_.reset();
    stream_.reset();
    stream_offset_ = 0;
    indices_.reset();
    render_target_.reset();
    depth_surface_.reset();
    fvf_ = 0;
  }

  bool DefaultPoolResourcesHeld() const {
    for (const auto& weak : default_pool_)
      if (!weak.expired()) return true;
    // The device holds one reference to each of its own buffers.
    return back_buffer_.use_count() > 1 || (auto_depth_ && auto_depth_.use_count() > 1);
  }

  uint32_t fvf_ = 0;
  Matrix transforms_[3] = {};
  std::vector<std::weak_ptr<void>> default_pool_;
};

}  // namespace gfx
