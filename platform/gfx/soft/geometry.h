// Vertex processing for the software device: the engine's 24-byte vertices through the
// world-view-projection matrix, clipping against the depth range, a w > 0 plane and a guard
// band around the viewport (so screen coordinates stay small), the w divide and the viewport.
#pragma once

#include <cstdint>

#include "platform/gfx/device.h"
#include "platform/gfx/soft/rasterizer.h"

namespace gfx::soft {

// A vertex in clip space with its attributes.
struct ClipVertex {
  double x = 0, y = 0, z = 0, w = 1;
  uint32_t color = 0;
  float u = 0, v = 0;
};

class Geometry {
 public:
  // Most vertices a clipped triangle can have.
  static constexpr int kMaxClipped = 10;

  // viewport must have a non-zero width and height.
  void Begin(const Matrix& world_view_projection, const Viewport& viewport);
  // vertex: one 24-byte record (x, y, z, colour, u, v).
  ClipVertex Transform(const uint8_t* vertex) const;
  // Bit i set: outside clip plane i. Non-finite positions are outside every plane.
  uint32_t Outcode(const ClipVertex& v) const;
  ScreenVertex Project(const ClipVertex& v) const;
  // The part of triangle a b c inside the clip volume as a convex polygon in screen space;
  // returns its vertex count (0, or 3 .. kMaxClipped).
  int ClipTriangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c,
                   ScreenVertex* out) const;
  // The part of the segment a b inside the clip volume; false when none is.
  bool ClipLine(const ClipVertex& a, const ClipVertex& b, ScreenVertex* out) const;

 private:
  static constexpr int kPlanes = 7;
  // Signed distance of v from plane i (inside when >= 0).
  double Distance(int plane, const ClipVertex& v) const;

  Matrix m_{};
  Viewport viewport_;
  double x_min_ = -1, x_max_ = 1, y_min_ = -1, y_max_ = 1;  // guard band in NDC
};

}  // namespace gfx::soft
