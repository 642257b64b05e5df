// The OpenGL device: the Device interface on a GL 3.3 core context. It draws into an
// off-screen colour buffer that Present copies to the window, and keeps system-memory copies of
// textures so that managed ones survive a reset, even one that makes a new context.
#pragma once

#include <memory>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/gfx/gl/gl_pipeline.h"
#include "platform/gfx/gl/gl_resources.h"
#include "platform/gfx/soft/state_block.h"
#include "platform/os/platform.h"

namespace gfx::gl {

// Triangles per GL draw call; larger draws are split. On llvmpipe (Mesa 22) the sprite
// benchmark (bench/gl_bench.cpp) ran no faster with draws of 170 quads (392 ms a frame for
// 10,000 32x32 sprites) than with whole 1000-quad batches (361 ms), so a batch is one draw.
constexpr int kMaxTrianglesPerDraw = 2000;

class GlDevice final : public ControlledDevice {
 public:
  // params must have passed soft::ValidatePresentParams; shared's context is current.
  GlDevice(os::Platform& platform, std::shared_ptr<GlShared> shared, const PresentParams& params);

  // False when the shader program cannot be built on this context.
  bool Ready() { return pipeline_.Ensure(); }

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

  // Losing the device here also loses the context: the next successful Reset makes a new one.
  void LoseDevice() override;
  void MakeResettable() override { cooperative_ = Result::DeviceNotReset; }
  std::vector<uint32_t> ReadBackBuffer(int* width, int* height) override;

 private:
  void InitializeFromParams(const PresentParams& params);
  void UnbindAll();
  bool DefaultPoolResourcesHeld() const;
  void TrackDefaultPool(std::shared_ptr<void> resource);
  bool Operational() const { return cooperative_ == Result::Ok && shared_->alive; }
  bool RenewContext();
  static int TransformIndex(TransformType type);

  Result CheckDraw(PrimitiveType type, int primitive_count, int* vertices_per_primitive) const;
  bool StreamHolds(int64_t first, int64_t count) const;
  bool IndicesInRange(int start_index, int64_t count, int min_index, int vertex_count) const;
  // Sets GL up for a draw of type reading vertex_count vertices of the stream from first;
  // false when nothing can be drawn.
  bool PrepareDraw(PrimitiveType type, int first, int vertex_count);
  // Points the framebuffer at the current target and depth buffer, with the viewport.
  void PrepareTarget();

  os::Platform& platform_;
  std::shared_ptr<GlShared> shared_;
  GlPipeline pipeline_;
  bool robust_ = false;  // the context reports resets
  PresentParams params_;
  Result cooperative_ = Result::Ok;
  bool context_lost_ = false;  // a reset must make a new context
  bool in_scene_ = false;

  std::shared_ptr<GlTexture> back_texture_;
  std::shared_ptr<GlColorSurface> back_buffer_, render_target_;
  std::shared_ptr<GlDepthSurface> auto_depth_, depth_surface_;
  std::shared_ptr<GlTexture> texture_;
  std::shared_ptr<GlVertexBuffer> stream_;
  int stream_offset_ = 0;
  std::shared_ptr<GlIndexBuffer> indices_;
  uint32_t fvf_ = 0;
  std::vector<std::weak_ptr<void>> default_pool_;

  soft::StateBlock states_;
  Matrix transforms_[3] = {};
  Viewport viewport_;
  Stats stats_;
  soft::PixelState pixel_state_;
};

}  // namespace gfx::gl
