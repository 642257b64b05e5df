#include "platform/gfx/soft/soft_device.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gfx/pixel_format.h"

namespace gfx::soft {
namespace {

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

CpuDevice::CpuDevice(os::Platform& platform, const SoftOptions& options,
                     const PresentParams& params)
    : platform_(platform), options_(options) {
  InitializeFromParams(params);
}

void CpuDevice::InitializeFromParams(const PresentParams& params) {
  params_ = params;
  StartOver(std::make_shared<SoftSurface>(
                std::make_shared<PixelBuffer>(params.back_buffer_format, params.back_buffer_width,
                                              params.back_buffer_height),
                Usage_RenderTarget, Pool_Default),
            params.enable_auto_depth_stencil);
}

Caps CpuDevice::GetDeviceCaps() const {
  return {options_.require_pow2, kMaxSurfaceSize, kMaxSurfaceSize};
}

Result CpuDevice::Reset(const PresentParams& params) {
  PresentParams checked;
  const Result r = PrepareReset(platform_, params, &checked);
  if (r == Result::Ok) InitializeFromParams(checked);
  return r;
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
  return ArgbPixels(back_buffer_->Pixels(), width, height);
}

Result CpuDevice::Clear(uint32_t flags, uint32_t color, float z, uint32_t) {
  const Result valid = CheckClear(flags, z);
  if (valid != Result::Ok || !Operational()) return valid;
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

// ---- drawing ----

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
  geometry_.Begin(CombinedTransform(), viewport_);
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

void CpuDevice::DrawList(PrimitiveType type, int first, int vertex_count, int primitive_count) {
  if (!BeginRasterDraw()) return;
  TransformVertices(first, vertex_count);
  DrawPrimitives(type, primitive_count, [](int k) { return k; });
}

void CpuDevice::DrawIndexedList(PrimitiveType type, int base_vertex, int min_index,
                                int vertex_count, int start_index, int primitive_count, int) {
  if (!BeginRasterDraw()) return;
  TransformVertices(base_vertex + min_index, vertex_count);
  const SoftIndexBuffer& ib = *indices_;
  DrawPrimitives(type, primitive_count,
                 [&](int k) { return int(ib.Index(start_index + k)) - min_index; });
}

}  // namespace gfx::soft
