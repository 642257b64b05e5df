// Canvas: source-over blending, antialiased fills, distance functions and value noise.
#include "canvas.h"

#include <algorithm>
#include <cmath>

#include "stb_image_write.h"

namespace dane {

Rgba Rgb(int r, int g, int b) { return {r / 255.0f, g / 255.0f, b / 255.0f, 1.0f}; }

Rgba Shade(Rgba color, float factor) {
  auto scale = [factor](float v) { return std::clamp(v * factor, 0.0f, 1.0f); };
  return {scale(color.r), scale(color.g), scale(color.b), color.a};
}

Rgba Mix(Rgba a, Rgba b, float t) {
  auto lerp = [t](float u, float v) { return u + (v - u) * t; };
  return {lerp(a.r, b.r), lerp(a.g, b.g), lerp(a.b, b.b), lerp(a.a, b.a)};
}

Canvas::Canvas(int width, int height, Rgba fill)
    : width_(width), height_(height), pixels_(size_t(width) * height, fill) {}

void Canvas::Blend(int x, int y, Rgba color, float coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  const float a = std::clamp(color.a * coverage, 0.0f, 1.0f);
  if (a <= 0.0f) return;
  Rgba& dst = At(x, y);
  const float out_a = a + dst.a * (1.0f - a);
  auto channel = [&](float s, float d) { return (s * a + d * dst.a * (1.0f - a)) / out_a; };
  dst = {channel(color.r, dst.r), channel(color.g, dst.g), channel(color.b, dst.b), out_a};
}

void Canvas::FillWith(Rgba color, Box box, const void* shape, Distance distance) {
  const int x0 = std::max(box.x0, 0), y0 = std::max(box.y0, 0);
  const int x1 = std::min(box.x1, width_), y1 = std::min(box.y1, height_);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const float d = distance(shape, float(x) + 0.5f, float(y) + 0.5f);
      Blend(x, y, color, std::clamp(0.5f - d, 0.0f, 1.0f));
    }
}

std::vector<uint8_t> Canvas::ToRgba8() const {
  std::vector<uint8_t> bytes;
  bytes.reserve(pixels_.size() * 4);
  auto byte = [](float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
  for (const Rgba& p : pixels_) {
    bytes.push_back(byte(p.r));
    bytes.push_back(byte(p.g));
    bytes.push_back(byte(p.b));
    bytes.push_back(byte(p.a));
  }
  return bytes;
}

bool Canvas::WritePng(const std::string& path) const {
  const std::vector<uint8_t> bytes = ToRgba8();
  return stbi_write_png(path.c_str(), width_, height_, 4, bytes.data(), width_ * 4) != 0;
}

float CircleDistance(float x, float y, Point centre, float radius) {
  return std::hypot(x - centre.x, y - centre.y) - radius;
}

float EllipseDistance(float x, float y, Point centre, float rx, float ry) {
  const float nx = (x - centre.x) / rx, ny = (y - centre.y) / ry;
  const float k = std::hypot(nx, ny);
  return (k - 1.0f) * std::min(rx, ry);
}

float CapsuleDistance(float x, float y, Point a, Point b, float radius) {
  const float px = x - a.x, py = y - a.y, bx = b.x - a.x, by = b.y - a.y;
  const float len2 = bx * bx + by * by;
  const float t = len2 > 0.0f ? std::clamp((px * bx + py * by) / len2, 0.0f, 1.0f) : 0.0f;
  return std::hypot(px - bx * t, py - by * t) - radius;
}

float BoxDistance(float x, float y, float x0, float y0, float x1, float y1, float radius) {
  const float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
  const float hx = (x1 - x0) * 0.5f - radius, hy = (y1 - y0) * 0.5f - radius;
  const float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
  const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
  return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float PolygonDistance(float x, float y, const std::vector<Point>& polygon) {
  float best = INFINITY;
  bool inside = false;
  for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const Point a = polygon[j], b = polygon[i];
    best = std::min(best, CapsuleDistance(x, y, a, b, 0.0f));
    if ((b.y > y) != (a.y > y) && x < (a.x - b.x) * (y - b.y) / (a.y - b.y) + b.x)
      inside = !inside;
  }
  return inside ? -best : best;
}

uint32_t Hash(uint32_t value) {
  value ^= value >> 16;
  value *= 0x7feb352dU;
  value ^= value >> 15;
  value *= 0x846ca68bU;
  value ^= value >> 16;
  return value;
}

namespace {

float LatticeValue(int x, int y, int period, uint32_t seed) {
  const int wx = ((x % period) + period) % period, wy = ((y % period) + period) % period;
  return float(Hash(uint32_t(wx) * 73856093U ^ uint32_t(wy) * 19349663U ^ seed) & 0xFFFF) /
         65535.0f;
}

float SmoothStep(float t) { return t * t * (3.0f - 2.0f * t); }

}  // namespace

float Noise(float x, float y, float cell, int period, uint32_t seed) {
  const float fx = x / cell, fy = y / cell;
  const int ix = int(std::floor(fx)), iy = int(std::floor(fy));
  const float tx = SmoothStep(fx - float(ix)), ty = SmoothStep(fy - float(iy));
  const float top = LatticeValue(ix, iy, period, seed) +
                    (LatticeValue(ix + 1, iy, period, seed) - LatticeValue(ix, iy, period, seed)) * tx;
  const float bottom =
      LatticeValue(ix, iy + 1, period, seed) +
      (LatticeValue(ix + 1, iy + 1, period, seed) - LatticeValue(ix, iy + 1, period, seed)) * tx;
  return top + (bottom - top) * ty;
}

}  // namespace dane
