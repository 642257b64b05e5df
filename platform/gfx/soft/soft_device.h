// The software device: the Device interface over ordinary memory, drawing with the CPU
// rasterizer and presenting through the platform window.
#pragma once

#include <memory>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/gfx/soft/geometry.h"
#include "platform/gfx/soft/rasterizer.h"
#include "platform/gfx/soft/soft_resources.h"
#include "platform/gfx/soft/state_block.h"
#include "platform/os/platform.h"

namespace gfx::soft {

constexpr int kMaxSurfaceSize = 8192;

// Checks presentation parameters against the platform's display; fills in a windowed back
// buffer of unknown format with the desktop format.
Result ValidatePresentParams(os::Platform& platform, PresentParams* params);
// The device format of a display mode with this many bits per pixel.
Format DisplayFormat(int bpp);

class CpuDevice final : public SoftDevice {
 public:
  // params must have passed ValidatePresentParams.
  CpuDevice(os::Platform& platform, const SoftOptions& options, const PresentParams& params);

  Caps GetDeviceCaps() const override;
  Result TestCooperativeLevel() override;
  Result Reset(const PresentParams& params) override;
  Result Present() override;
  Result BeginScene() override;
  Result EndScene() override;
  Result Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil) override;

  Result SetRenderState(RenderState state, uint32_t value) override;
  Result GetRenderState(RenderState state, uint32_t* value) const override;
  Result SetTextureStageState(int stage, TextureStageState state, uint32_t value) override;
  Result GetTextureStageState(int stage, TextureStageState state, uint32_t* value) const override;
  Result SetSamplerState(int sampler, SamplerState state, uint32_t value) override;
  Result GetSamplerState(int sampler, SamplerState state, uint32_t* value) const override;
  Result SetTransform(TransformType type, const Matrix& matrix) override;
  Result GetTransform(TransformType type, Matrix* matrix) const override;
  Result SetViewport(const Viewport& viewport) override;
  Result GetViewport(Viewport* viewport) const override;

  Result SetTexture(int stage, std::shared_ptr<Texture> texture) override;
  Result SetRenderTarget(int index, std::shared_ptr<Surface> surface) override;
  Result GetRenderTarget(int index, std::shared_ptr<Surface>* out) override;
  Result SetDepthStencilSurface(std::shared_ptr<Surface> surface) override;
  Result GetDepthStencilSurface(std::shared_ptr<Surface>* out) override;
  Result GetBackBuffer(int swap_chain, int index, std::shared_ptr<Surface>* out) override;

  Result CreateTexture(int width, int height, int levels, uint32_t usage, Format format, Pool pool,
                       std::shared_ptr<Texture>* out) override;
  Result CreateDepthStencilSurface(int width, int height, Format format,
                                   std::shared_ptr<Surface>* out) override;
  Result CreateVertexBuffer(int length, uint32_t usage, uint32_t fvf, Pool pool,
                            std::shared_ptr<VertexBuffer>* out) override;
  Result CreateIndexBuffer(int length, uint32_t usage, Format format, Pool pool,
                           std::shared_ptr<IndexBuffer>* out) override;

  Result SetStreamSource(int stream, std::shared_ptr<VertexBuffer> buffer, int offset,
                         int stride) override;
  Result SetIndices(std::shared_ptr<IndexBuffer> buffer) override;
  Result SetFVF(uint32_t fvf) override;
  Result DrawPrimitive(PrimitiveType type, int start_vertex, int primitive_count) override;
  Result DrawIndexedPrimitive(PrimitiveType type, int base_vertex, int min_index, int vertex_count,
                              int start_index, int primitive_count) override;

  const Stats& GetStats() const override { return stats_; }
  void ResetStats() override { stats_ = Stats(); }

  void LoseDevice() override { cooperative_ = Result::DeviceLost; }
  void MakeResettable() override { cooperative_ = Result::DeviceNotReset; }
  std::vector<uint32_t> ReadBackBuffer(int* width, int* height) override;

 private:
  // Back buffer, automatic depth buffer and every state as after creation or a reset.
  void InitializeFromParams(const PresentParams& params);
  void UnbindAll();
  bool DefaultPoolResourcesHeld() const;
  void TrackDefaultPool(std::shared_ptr<void> resource);
  bool Operational() const { return cooperative_ == Result::Ok; }
  // Slot of a transform in transforms_ (world, view, projection), or -1.
  static int TransformIndex(TransformType type);

  // Checks what every draw needs: a scene, a known primitive type, a positive count and an
  // unlocked vertex stream in the engine's format. Fills the vertices per primitive.
  Result CheckDraw(PrimitiveType type, int primitive_count, int* vertices_per_primitive) const;
  // True when count vertices from first lie inside the bound stream.
  bool StreamHolds(int64_t first, int64_t count) const;
  void CountDraw(int primitive_count);
  // Prepares the pixel pipeline and geometry for a draw; false when nothing can be drawn.
  bool BeginRasterDraw();
  // Transforms count vertices of the stream from first into the scratch arrays.
  void TransformVertices(int first, int count);
  // Draws primitives whose vertices are scratch entries index(0), index(1), ...
  template <typename IndexFn>
  void DrawPrimitives(PrimitiveType type, int primitive_count, IndexFn index);
  void DrawTriangle(int a, int b, int c);
  void DrawLine(int a, int b);

  os::Platform& platform_;
  SoftOptions options_;
  PresentParams params_;
  Result cooperative_ = Result::Ok;
  bool in_scene_ = false;

  std::shared_ptr<SoftSurface> back_buffer_, auto_depth_;
  std::shared_ptr<SoftSurface> render_target_, depth_surface_;
  std::shared_ptr<SoftTexture> texture_;
  std::shared_ptr<SoftVertexBuffer> stream_;
  int stream_offset_ = 0;
  std::shared_ptr<SoftIndexBuffer> indices_;
  uint32_t fvf_ = 0;
  std::vector<std::weak_ptr<void>> default_pool_;

  StateBlock states_;
  Matrix transforms_[3] = {};
  Viewport viewport_;
  Stats stats_;

  // Per-draw scratch, kept to avoid allocating while drawing.
  PixelState pixel_state_;
  Geometry geometry_;
  Rasterizer rasterizer_;
  std::vector<ClipVertex> clip_;
  std::vector<uint32_t> outcodes_;
  std::vector<ScreenVertex> screen_;
  std::vector<uint32_t> present_pixels_;
};

}  // namespace gfx::soft
