// Scan conversion for the software device: triangles with the top-left fill rule and pixel
// centres at integer coordinates, axis-aligned quads in one pass, and one-pixel lines. Every
// covered pixel goes through the pixel pipeline of span.h.
#pragma once

#include <cstdint>

#include "platform/gfx/device.h"
#include "platform/gfx/soft/span.h"

namespace gfx::soft {

// A vertex after projection: x, y in pixels, z the depth 0..1.
struct ScreenVertex {
  double x = 0, y = 0, z = 0;
  uint32_t color = 0;
  float u = 0, v = 0;
};

class Rasterizer {
 public:
  // Sets what the following primitives are drawn with; state must outlive them.
  void Begin(const PixelState& state, const Viewport& viewport, uint32_t cull);

  void Triangle(ScreenVertex a, ScreenVertex b, ScreenVertex c);
  // The triangles (a b c) and (c d a); a rectangle with planar attributes is filled directly.
  void Quad(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
            const ScreenVertex& d);
  // Pixels whose centres the line passes along its major axis, the far end excluded.
  void Line(ScreenVertex a, ScreenVertex b);

 private:
  struct Plane {
    double dx = 0, dy = 0, x0 = 0, y0 = 0, f0 = 0;
    double At(double x, double y) const { return f0 + dx * (x - x0) + dy * (y - y0); }
  };
  struct Planes {
    Plane s, t, z, r, g, b, a;
  };

  // The plane through the values f0, f1, f2 at the three points (px, py).
  static Plane MakePlane(const double* px, const double* py, double f0, double f1, double f2);
  // Builds the span context and attribute planes of a triangle (a b c), in pixel units.
  void Setup(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c, const double* px,
             const double* py);
  Interpolants InterpolantsAt(double x, double y) const;
  void ShadeRow(int y, int x0, int x1) const;
  bool Culled(int64_t area) const;
  void TextureCoordinates(const ScreenVertex* v, const double* px, const double* py);

  const PixelState* state_ = nullptr;
  int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;  // pixel rows and columns drawn, exclusive
  uint32_t cull_ = Cull_None;
  SpanContext ctx_;
  Planes planes_;
};

}  // namespace gfx::soft
