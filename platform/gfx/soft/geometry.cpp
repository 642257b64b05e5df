#include "platform/gfx/soft/geometry.h"

#include <cmath>
#include <cstring>

namespace gfx::soft {
namespace {

// Screen coordinates are kept within this many pixels of the origin.
constexpr double kGuardBand = 16384.0;
constexpr double kMinW = 1e-6;
constexpr uint32_t kAllPlanes = 0x7F;

ClipVertex Mix(const ClipVertex& a, const ClipVertex& b, double f) {
  const auto mix = [f](double p, double q) { return p + f * (q - p); };
  ClipVertex r;
  r.x = mix(a.x, b.x);
  r.y = mix(a.y, b.y);
  r.z = mix(a.z, b.z);
  r.w = mix(a.w, b.w);
  r.u = float(mix(a.u, b.u));
  r.v = float(mix(a.v, b.v));
  for (int shift = 0; shift < 32; shift += 8) {
    const double channel = mix((a.color >> shift) & 255, (b.color >> shift) & 255);
    r.color |= uint32_t(std::lround(channel)) << shift;
  }
  return r;
}

bool Finite(const ClipVertex& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.w);
}

}  // namespace

void Geometry::Begin(const Matrix& world_view_projection, const Viewport& viewport) {
  m_ = world_view_projection;
  viewport_ = viewport;
  const double w = viewport.width, h = viewport.height;
  x_min_ = (-kGuardBand - viewport.x) * 2 / w - 1;
  x_max_ = (kGuardBand - viewport.x) * 2 / w - 1;
  y_min_ = 1 - 2 * (kGuardBand - viewport.y) / h;
  y_max_ = 1 + 2 * (kGuardBand + viewport.y) / h;
}

ClipVertex Geometry::Transform(const uint8_t* vertex) const {
  float p[3];
  ClipVertex r;
  std::memcpy(p, vertex, sizeof p);
  std::memcpy(&r.color, vertex + 12, 4);
  std::memcpy(&r.u, vertex + 16, 4);
  std::memcpy(&r.v, vertex + 20, 4);
  double out[4];
  for (int j = 0; j < 4; ++j)
    out[j] = double(p[0]) * m_.m[0][j] + double(p[1]) * m_.m[1][j] + double(p[2]) * m_.m[2][j] +
             m_.m[3][j];
  r.x = out[0];
  r.y = out[1];
  r.z = out[2];
  r.w = out[3];
  return r;
}

double Geometry::Distance(int plane, const ClipVertex& v) const {
  switch (plane) {
    case 0:
      return v.w - kMinW;
    case 1:
      return v.z;
    case 2:
      return v.w - v.z;
    case 3:
      return v.x - x_min_ * v.w;
    case 4:
      return x_max_ * v.w - v.x;
    case 5:
      return v.y - y_min_ * v.w;
    default:
      return y_max_ * v.w - v.y;
  }
}

uint32_t Geometry::Outcode(const ClipVertex& v) const {
  if (!Finite(v)) return kAllPlanes;
  uint32_t code = 0;
  for (int i = 0; i < kPlanes; ++i)
    if (Distance(i, v) < 0) code |= 1u << i;
  return code;
}

ScreenVertex Geometry::Project(const ClipVertex& v) const {
  const double inv_w = 1.0 / v.w;
  ScreenVertex s;
  s.x = viewport_.x + (1 + v.x * inv_w) * viewport_.width / 2;
  s.y = viewport_.y + (1 - v.y * inv_w) * viewport_.height / 2;
  s.z = viewport_.min_z + v.z * inv_w * (viewport_.max_z - viewport_.min_z);
  s.color = v.color;
  s.u = v.u;
  s.v = v.v;
  return s;
}

int Geometry::ClipTriangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c,
                           ScreenVertex* out) const {
  if (!Finite(a) || !Finite(b) || !Finite(c)) return 0;
  ClipVertex poly[2][kMaxClipped];
  int n = 3;
  poly[0][0] = a;
  poly[0][1] = b;
  poly[0][2] = c;
  int cur = 0;
  for (int plane = 0; plane < kPlanes && n > 0; ++plane) {
    const ClipVertex* in = poly[cur];
    ClipVertex* next = poly[cur ^ 1];
    int m = 0;
    for (int i = 0; i < n; ++i) {
      const ClipVertex& p = in[i];
      const ClipVertex& q = in[(i + 1) % n];
      const double dp = Distance(plane, p), dq = Distance(plane, q);
      if (dp >= 0) next[m++] = p;
      if ((dp >= 0) != (dq >= 0)) next[m++] = Mix(p, q, dp / (dp - dq));
    }
    n = m;
    cur ^= 1;
  }
  if (n < 3) return 0;
  for (int i = 0; i < n; ++i) out[i] = Project(poly[cur][i]);
  return n;
}

bool Geometry::ClipLine(const ClipVertex& a, const ClipVertex& b, ScreenVertex* out) const {
  if (!Finite(a) || !Finite(b)) return false;
  double t0 = 0, t1 = 1;
  for (int plane = 0; plane < kPlanes; ++plane) {
    const double da = Distance(plane, a), db = Distance(plane, b);
    if (da < 0 && db < 0) return false;
    if (da < 0) t0 = std::max(t0, da / (da - db));
    if (db < 0) t1 = std::min(t1, da / (da - db));
  }
  if (t0 > t1) return false;
  out[0] = Project(Mix(a, b, t0));
  out[1] = Project(Mix(a, b, t1));
  return true;
}

}  // namespace gfx::soft
