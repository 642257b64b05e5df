// A floating-point RGBA picture with antialiased shape filling, for drawing the demos' data.
// Shapes are given as signed distance functions (negative inside, in pixels), so one fill
// routine covers circles, capsules, boxes and polygons with smooth edges.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dane {

/// A colour with straight (not premultiplied) alpha, each channel 0..1.
struct Rgba {
  float r, g, b, a;
};

/// An opaque colour from 0..255 channel values.
Rgba Rgb(int r, int g, int b);
/// The colour with its red, green and blue scaled by factor (clamped to 0..1).
Rgba Shade(Rgba color, float factor);
/// The colour between a and b at t (0..1).
Rgba Mix(Rgba a, Rgba b, float t);

/// A point in pixels.
struct Point {
  float x, y;
};

/// The pixel rectangle a fill visits: x0..x1, y0..y1 inclusive of x0/y0, exclusive of x1/y1.
struct Box {
  int x0, y0, x1, y1;
};

/// A signed distance function: negative inside the shape, in pixels.
using Distance = float (*)(const void* shape, float x, float y);

/// A picture of width x height pixels.
class Canvas {
 public:
  /// A picture filled with one colour.
  Canvas(int width, int height, Rgba fill = {0, 0, 0, 0});

  int Width() const { return width_; }
  int Height() const { return height_; }
  /// The pixel at (x, y), which must lie inside.
  Rgba& At(int x, int y) { return pixels_[size_t(y) * width_ + x]; }
  const Rgba& At(int x, int y) const { return pixels_[size_t(y) * width_ + x]; }
  /// Paints the colour over the pixel with the given coverage (0..1), source over; pixels
  /// outside are ignored.
  void Blend(int x, int y, Rgba color, float coverage);
  /// Paints the colour wherever the distance at a pixel centre is below 0.5 px, with one
  /// pixel of antialiasing, inside the box (clipped to the picture).
  template <class Shape>
  void Fill(Rgba color, Box box, const Shape& shape) {
    FillWith(color, box, &shape, [](const void* s, float x, float y) {
      return (*static_cast<const Shape*>(s))(x, y);
    });
  }
  /// Fill with a dark edge: the shape grown by width in the outline colour, then the shape.
  template <class Shape>
  void FillOutlined(Rgba color, Rgba outline, float width, Box box, const Shape& shape) {
    Fill(outline, box, [&](float x, float y) { return shape(x, y) - width; });
    Fill(color, box, shape);
  }

  /// The picture as 8-bit R, G, B, A bytes, row by row.
  std::vector<uint8_t> ToRgba8() const;
  /// Writes the picture as a PNG file; false when it cannot be written.
  bool WritePng(const std::string& path) const;

 private:
  void FillWith(Rgba color, Box box, const void* shape, Distance distance);

  int width_, height_;
  std::vector<Rgba> pixels_;
};

/// Distance to a circle.
float CircleDistance(float x, float y, Point centre, float radius);
/// Distance to an ellipse (approximate, good near its edge).
float EllipseDistance(float x, float y, Point centre, float rx, float ry);
/// Distance to the segment a-b thickened by radius.
float CapsuleDistance(float x, float y, Point a, Point b, float radius);
/// Distance to the box (x0, y0)-(x1, y1) with corners rounded by radius.
float BoxDistance(float x, float y, float x0, float y0, float x1, float y1, float radius);
/// Distance to a simple polygon.
float PolygonDistance(float x, float y, const std::vector<Point>& polygon);

/// A well-mixed 32-bit hash.
uint32_t Hash(uint32_t value);
/// Smooth value noise in 0..1 with lattice spacing cell, repeating every period cells.
float Noise(float x, float y, float cell, int period, uint32_t seed);

}  // namespace dane
