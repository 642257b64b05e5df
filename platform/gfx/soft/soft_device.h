// The software device: the Device interface over ordinary memory, drawing with the CPU
// rasterizer and presenting through the platform window.
#pragma once

#include <memory>
#include <vector>

#include "platform/gfx/device_base.h"
#include "platform/gfx/soft/geometry.h"
#include "platform/gfx/soft/rasterizer.h"
#include "platform/gfx/soft/soft_resources.h"
#include "platform/os/platform.h"

namespace gfx::soft {

class CpuDevice final : public DeviceBase<SoftTexture, SoftSurface, SoftSurface, SoftVertexBuffer,
                                          SoftIndexBuffer, SoftDevice> {
 public:
  // params must have passed ValidatePresentParams.
  CpuDevice(os::Platform& platform, const SoftOptions& options, const PresentParams& params);

  Caps GetDeviceCaps() const override;
  Result Reset(const PresentParams& params) override;
  Result Present() override;
  Result Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil) override;

  void LoseDevice() override { cooperative_ = Result::DeviceLost; }
  std::vector<uint32_t> ReadBackBuffer(int* width, int* height) override;

 private:
  // Back buffer, automatic depth buffer and every state as after creation or a reset.
  void InitializeFromParams(const PresentParams& params);
  bool Operational() const override { return cooperative_ == Result::Ok; }
  void DrawList(PrimitiveType type, int first, int vertex_count, int primitive_count) override;
  void DrawIndexedList(PrimitiveType type, int base_vertex, int min_index, int vertex_count,
                       int start_index, int primitive_count, int index_count) override;

  std::shared_ptr<SoftTexture> MakeTexture(int width, int height, int levels, uint32_t usage,
                                           Format format, Pool pool) override {
    return std::make_shared<SoftTexture>(width, height, levels, usage, format, pool);
  }
  std::shared_ptr<SoftSurface> MakeDepthSurface(int width, int height) override {
    return std::make_shared<SoftSurface>(std::make_shared<PixelBuffer>(Format_D16, width, height),
                                         Usage_DepthStencil, Pool_Default);
  }
  std::shared_ptr<SoftVertexBuffer> MakeVertexBuffer(int length) override {
    return std::make_shared<SoftVertexBuffer>(length);
  }
  std::shared_ptr<SoftIndexBuffer> MakeIndexBuffer(int length, Format format) override {
    return std::make_shared<SoftIndexBuffer>(length, format);
  }

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
