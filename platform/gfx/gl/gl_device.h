// The OpenGL device: the Device interface on a GL 3.3 core context. It draws into an
// off-screen colour buffer that Present copies to the window, and keeps system-memory copies of
// textures so that managed ones survive a reset, even one that makes a new context.
#pragma once

#include <memory>
#include <vector>

#include "platform/gfx/device_base.h"
#include "platform/gfx/gl/gl_pipeline.h"
#include "platform/gfx/gl/gl_resources.h"
#include "platform/os/platform.h"

namespace gfx::gl {

// Triangles per GL draw call; larger draws are split. On llvmpipe (Mesa 22) the sprite
// benchmark (bench/gl_bench.cpp) ran no faster with draws of 170 quads (392 ms a frame for
// 10,000 32x32 sprites) than with whole 1000-quad batches (361 ms), so a batch is one draw.
constexpr int kMaxTrianglesPerDraw = 2000;

class GlDevice final
    : public DeviceBase<GlTexture, GlColorSurface, GlDepthSurface, GlVertexBuffer, GlIndexBuffer> {
 public:
  // params must have passed ValidatePresentParams; shared's context is current.
  GlDevice(os::Platform& platform, std::shared_ptr<GlShared> shared, const PresentParams& params);

  // False when the shader program cannot be built on this context.
  bool Ready() { return pipeline_.Ensure(); }

  Caps GetDeviceCaps() const override;
  Result TestCooperativeLevel() override;
  Result Reset(const PresentParams& params) override;
  Result Present() override;
  Result Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil) override;

  // Losing the device here also loses the context: the next successful Reset makes a new one.
  void LoseDevice() override;
  std::vector<uint32_t> ReadBackBuffer(int* width, int* height) override;

 private:
  void InitializeFromParams(const PresentParams& params);
  bool Operational() const override { return cooperative_ == Result::Ok && shared_->alive; }
  void DrawList(PrimitiveType type, int first, int vertex_count, int primitive_count) override;
  void DrawIndexedList(PrimitiveType type, int base_vertex, int min_index, int vertex_count,
                       int start_index, int primitive_count, int index_count) override;
  bool RenewContext();

  std::shared_ptr<GlTexture> MakeTexture(int width, int height, int levels, uint32_t usage,
                                         Format format, Pool pool) override {
    return std::make_shared<GlTexture>(shared_, width, height, levels, usage, format, pool);
  }
  std::shared_ptr<GlDepthSurface> MakeDepthSurface(int width, int height) override {
    return std::make_shared<GlDepthSurface>(shared_, width, height);
  }
  std::shared_ptr<GlVertexBuffer> MakeVertexBuffer(int length) override {
    return std::make_shared<GlVertexBuffer>(shared_, length);
  }
  std::shared_ptr<GlIndexBuffer> MakeIndexBuffer(int length, Format format) override {
    return std::make_shared<GlIndexBuffer>(shared_, length, format);
  }

  // Sets GL up for a draw of type reading vertex_count vertices of the stream from first;
  // false when nothing can be drawn.
  bool PrepareDraw(PrimitiveType type, int first, int vertex_count);
  // Points the framebuffer at the current target and depth buffer, with the viewport.
  void PrepareTarget();
  // True when the depth buffer covers the current target.
  bool DepthFits() const;

  os::Platform& platform_;
  std::shared_ptr<GlShared> shared_;
  GlPipeline pipeline_;
  bool robust_ = false;  // the context reports resets
  PresentParams params_;
  bool context_lost_ = false;  // a reset must make a new context

  std::shared_ptr<GlTexture> back_texture_;
  soft::PixelState pixel_state_;
};

}  // namespace gfx::gl
