#include "platform/gfx/soft/rasterizer.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/gfx/soft/pixel_math.h"

namespace gfx::soft {
namespace {

constexpr int kSubBits = 8;  // vertex positions snap to 1/256 pixel
constexpr int64_t kSub = int64_t(1) << kSubBits;
// Positions are held within this many pixels of the origin, so snapped coordinates need 30
// bits and the products of two coordinate differences (areas, edge values) fit in 64. The
// geometry stage clips to a far smaller guard band; only its rounding error on enormous
// inputs ever reaches this limit.
constexpr double kMaxPosition = double(int64_t(1) << 21);
constexpr double kFixed32 = 4294967296.0;  // 2^32
constexpr double kFixed16 = 65536.0;
// Texel positions beyond this many texels are not kept exactly (they no longer fit the
// 32.32 fixed point the pipeline uses).
constexpr double kMaxTexel = 16777216.0;

int64_t FloorDiv(int64_t a, int64_t b) {  // b > 0
  const int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}
int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

// Nearest integer with halves away from zero, like llround but without a library call;
// |v| must be well inside the int64 range.
int64_t RoundNearest(double v) {
  const int64_t r = int64_t(v);
  const double rest = v - double(r);
  return rest >= 0.5 ? r + 1 : rest <= -0.5 ? r - 1 : r;
}

// One triangle edge from (x0, y0) to (x1, y1) (clockwise winding, 1/256-pixel units) walked
// row by row. A pixel centre p is inside the edge when dx * (p.y - y0) - dy * (p.x - x0) > 0,
// or == 0 on a top or left edge. Along a row that value is k + step * column, so the edge
// bounds the columns where it is >= 0; k / |step| is kept as quotient and remainder and
// advanced without dividing per row.
class EdgeWalk {
 public:
  EdgeWalk() = default;
  EdgeWalk(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int64_t first_row) {
    const int64_t dx = x1 - x0, dy = y1 - y0;
    const bool top_left = dy < 0 || (dy == 0 && dx > 0);
    k_ = dx * (first_row * kSub - y0) + dy * x0 + (top_left ? 0 : -1);
    k_step_ = dx * kSub;
    step_ = -dy * kSub;
    if (step_ == 0) return;
    divisor_ = step_ > 0 ? step_ : -step_;
    quotient_ = FloorDiv(k_, divisor_);
    remainder_ = k_ - quotient_ * divisor_;
    quotient_step_ = FloorDiv(k_step_, divisor_);
    remainder_step_ = k_step_ - quotient_step_ * divisor_;
  }

  // Narrows the columns lo .. hi of the current row to those inside the edge.
  void Bound(int64_t* lo, int64_t* hi) const {
    if (step_ > 0)
      *lo = std::max(*lo, -quotient_);  // column >= ceil(-k / step)
    else if (step_ < 0)
      *hi = std::min(*hi, quotient_);  // column <= floor(k / -step)
    else if (k_ < 0)
      *hi = *lo - 1;
  }

  void NextRow() {
    k_ += k_step_;
    quotient_ += quotient_step_;
    remainder_ += remainder_step_;
    if (remainder_ >= divisor_) {
      remainder_ -= divisor_;
      ++quotient_;
    }
  }

 private:
  int64_t k_ = 0, k_step_ = 0, step_ = 0;
  // floor(k / divisor) and its remainder, with their changes per row.
  int64_t divisor_ = 1, quotient_ = 0, remainder_ = 0, quotient_step_ = 0, remainder_step_ = 0;
};

// v * scale rounded, held within +-limit (NaN gives 0).
int64_t Saturate(double v, double scale, double limit) {
  const double f = v * scale;
  if (std::isnan(f)) return 0;
  return RoundNearest(std::clamp(f, -limit, limit));
}

int64_t Snap(double v) { return Saturate(std::clamp(v, -kMaxPosition, kMaxPosition), kSub, 4e18); }

int64_t ToFixed(double v, double scale) { return Saturate(v, scale, 4.0e18); }
int32_t ToFixed16(double v) { return int32_t(Saturate(v, kFixed16, 1.0e9)); }

// Changes per pixel along a span. Two covered pixels of a row both lie inside the primitive,
// where every value stays within its range, so a real step never exceeds that range; a larger
// one comes from a primitive too thin to hold two pixels in a row, where it is never applied
// to a drawn pixel. Holding steps to the range keeps every value a span walks to, one past its
// last pixel included, far from overflowing.
constexpr double kMaxColorStep = 256.0;            // colour channels 0..255
constexpr double kMaxDepthStep = 65536.0;          // depth 0..65535
constexpr double kMaxTexelStep = 2.0 * kMaxTexel;  // texel coordinates within +-kMaxTexel
int64_t StepFixed(double v, double range) { return Saturate(v, kFixed32, range * kFixed32); }
int32_t StepFixed16(double v) { return int32_t(Saturate(v, kFixed16, kMaxColorStep * kFixed16)); }

// Moves texel coordinates of a wrapping axis by whole periods near zero and bounds them.
void LimitTexelRange(double* v, int size, uint32_t address) {
  if (!std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2])) {
    v[0] = v[1] = v[2] = 0;
    return;
  }
  const double period = address == Address_Wrap     ? size
                        : address == Address_Mirror ? 2.0 * size
                                                    : 0.0;
  const double shift = period > 0 ? std::floor(v[0] / period) * period : 0.0;
  for (int i = 0; i < 3; ++i) v[i] = std::clamp(v[i] - shift, -kMaxTexel, kMaxTexel);
}

TexelSource WhiteTexelSource() {
  static const PixelBuffer white = [] {
    PixelBuffer p(Format_A8R8G8B8, 1, 1);
    std::fill(p.bytes.begin(), p.bytes.end(), uint8_t(255));
    return p;
  }();
  return {&white, int64_t(1) << 32, int64_t(1) << 32, 0};
}

bool PlanarQuad(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
                const ScreenVertex& d) {
  if (double(a.u) + c.u != double(b.u) + d.u || double(a.v) + c.v != double(b.v) + d.v ||
      a.z + c.z != b.z + d.z)
    return false;
  for (int shift = 0; shift < 32; shift += 8)
    if (Channel(a.color, shift) + Channel(c.color, shift) !=
        Channel(b.color, shift) + Channel(d.color, shift))
      return false;
  return true;
}

}  // namespace

Rasterizer::Plane Rasterizer::MakePlane(const double* px, const double* py, double f0, double f1,
                                        double f2) {
  const double e1x = px[1] - px[0], e1y = py[1] - py[0];
  const double e2x = px[2] - px[0], e2y = py[2] - py[0];
  const double area = e1x * e2y - e2x * e1y;
  Plane p;
  p.dx = ((f1 - f0) * e2y - (f2 - f0) * e1y) / area;
  p.dy = ((f2 - f0) * e1x - (f1 - f0) * e2x) / area;
  p.x0 = px[0];
  p.y0 = py[0];
  p.f0 = f0;
  return p;
}

void Rasterizer::Begin(const PixelState& state, const Viewport& viewport, uint32_t cull) {
  state_ = &state;
  left_ = std::max(0, viewport.x);
  top_ = std::max(0, viewport.y);
  right_ = std::min(state.color->width, viewport.x + viewport.width);
  bottom_ = std::min(state.color->height, viewport.y + viewport.height);
  cull_ = cull;
}

bool Rasterizer::Culled(int64_t area) const {
  // Positive area: clockwise on the screen (y grows downwards).
  return (cull_ == Cull_CW && area > 0) || (cull_ == Cull_CCW && area < 0);
}

void Rasterizer::TextureCoordinates(const ScreenVertex* v, const double* px, const double* py) {
  const SoftTexture& texture = *state_->texture;
  const PixelBuffer& base = texture.Level(0);
  const auto plane = [&](double f0, double f1, double f2) { return MakePlane(px, py, f0, f1, f2); };
  // Texels per pixel on level 0 decide minification and the mip level.
  const Plane u = plane(v[0].u, v[1].u, v[2].u), w = plane(v[0].v, v[1].v, v[2].v);
  const double rho = std::max(std::hypot(u.dx * base.width, w.dx * base.height),
                              std::hypot(u.dy * base.width, w.dy * base.height));
  const bool minify = rho > 1.0;
  int level = 0;
  if (minify && state_->mip_filter != Filter_None && texture.GetLevelCount() > 1)
    level =
        int(std::clamp(std::floor(std::log2(rho) + 0.5), 0.0, double(texture.GetLevelCount() - 1)));
  ctx_.linear = (minify ? state_->min_filter : state_->mag_filter) == Filter_Linear;
  const PixelBuffer& lv = texture.SampledLevel(level);
  ctx_.tex.level = &lv;
  ctx_.tex.width_fixed = int64_t(lv.width) << 32;
  ctx_.tex.height_fixed = int64_t(lv.height) << 32;
  ctx_.tex.alpha_or = lv.format == Format_X8R8G8B8 ? 0xFF000000u : 0;
  // Point sampling takes floor(u * size); linear blends from the texel centre below.
  const double offset = ctx_.linear ? -0.5 : 0.0;
  double s[3], t[3];
  for (int i = 0; i < 3; ++i) {
    s[i] = double(v[i].u) * lv.width + offset;
    t[i] = double(v[i].v) * lv.height + offset;
  }
  LimitTexelRange(s, lv.width, state_->address_u);
  LimitTexelRange(t, lv.height, state_->address_v);
  planes_.s = plane(s[0], s[1], s[2]);
  planes_.t = plane(t[0], t[1], t[2]);
}

void Rasterizer::Setup(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
                       const double* px, const double* py) {
  const ScreenVertex v[3] = {a, b, c};
  const auto plane = [&](double f0, double f1, double f2) { return MakePlane(px, py, f0, f1, f2); };
  ctx_.state = state_;
  ctx_.gouraud = a.color != b.color || a.color != c.color;
  ctx_.flat_color = a.color;
  const auto channel_plane = [&](int shift) {
    return plane(Channel(a.color, shift), Channel(b.color, shift), Channel(c.color, shift));
  };
  if (ctx_.gouraud) {
    planes_.a = channel_plane(24);
    planes_.r = channel_plane(16);
    planes_.g = channel_plane(8);
    planes_.b = channel_plane(0);
  }
  planes_.z = plane(a.z * 65535.0, b.z * 65535.0, c.z * 65535.0);
  if (state_->texture) {
    TextureCoordinates(v, px, py);
  } else {
    // Without a texture the texture argument is opaque white: a 1x1 white texture at 0, 0
    // lets the sprite loops draw untextured primitives too.
    ctx_.tex = WhiteTexelSource();
    ctx_.linear = false;
    planes_.s = planes_.t = Plane();
  }
  ctx_.step.s = StepFixed(planes_.s.dx, kMaxTexelStep);
  ctx_.step.t = StepFixed(planes_.t.dx, kMaxTexelStep);
  ctx_.step.z = StepFixed(planes_.z.dx, kMaxDepthStep);
  if (ctx_.gouraud) {
    ctx_.step.r = StepFixed16(planes_.r.dx);
    ctx_.step.g = StepFixed16(planes_.g.dx);
    ctx_.step.b = StepFixed16(planes_.b.dx);
    ctx_.step.a = StepFixed16(planes_.a.dx);
  }
  ChooseSpanFunction(ctx_);
}

Interpolants Rasterizer::InterpolantsAt(double x, double y) const {
  Interpolants at;
  at.s = ToFixed(planes_.s.At(x, y), kFixed32);
  at.t = ToFixed(planes_.t.At(x, y), kFixed32);
  at.z = ToFixed(planes_.z.At(x, y), kFixed32);
  if (ctx_.gouraud) {
    at.r = ToFixed16(planes_.r.At(x, y));
    at.g = ToFixed16(planes_.g.At(x, y));
    at.b = ToFixed16(planes_.b.At(x, y));
    at.a = ToFixed16(planes_.a.At(x, y));
  }
  return at;
}

void Rasterizer::ShadeRow(int y, int x0, int x1) const {
  ctx_.shade(ctx_, y, x0, x1, InterpolantsAt(x0, y));
}

void Rasterizer::Triangle(ScreenVertex a, ScreenVertex b, ScreenVertex c) {
  int64_t x[3] = {Snap(a.x), Snap(b.x), Snap(c.x)};
  int64_t y[3] = {Snap(a.y), Snap(b.y), Snap(c.y)};
  const int64_t area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
  if (area == 0 || Culled(area)) return;
  if (area < 0) {  // make the winding clockwise so that inside is where all edges are >= 0
    std::swap(b, c);
    std::swap(x[1], x[2]);
    std::swap(y[1], y[2]);
  }
  const int64_t row_first = std::max<int64_t>(top_, CeilDiv(std::min({y[0], y[1], y[2]}), kSub));
  const int64_t row_last =
      std::min<int64_t>(bottom_ - 1, FloorDiv(std::max({y[0], y[1], y[2]}), kSub));
  if (row_first > row_last || left_ >= right_) return;

  const double px[3] = {double(x[0]) / kSub, double(x[1]) / kSub, double(x[2]) / kSub};
  const double py[3] = {double(y[0]) / kSub, double(y[1]) / kSub, double(y[2]) / kSub};
  Setup(a, b, c, px, py);

  EdgeWalk edges[3];
  for (int i = 0; i < 3; ++i) {
    const int j = (i + 1) % 3;
    edges[i] = EdgeWalk(x[i], y[i], x[j], y[j], row_first);
  }
  for (int64_t row = row_first; row <= row_last; ++row) {
    int64_t lo = left_, hi = right_ - 1;
    for (EdgeWalk& e : edges) {
      e.Bound(&lo, &hi);
      e.NextRow();
    }
    if (lo <= hi) ShadeRow(int(row), int(lo), int(hi + 1));
  }
}

void Rasterizer::Quad(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c,
                      const ScreenVertex& d) {
  const int64_t ax = Snap(a.x), ay = Snap(a.y), bx = Snap(b.x), by = Snap(b.y);
  const int64_t cx = Snap(c.x), cy = Snap(c.y), dx = Snap(d.x), dy = Snap(d.y);
  const bool rows_first = ay == by && bx == cx && cy == dy && dx == ax;
  const bool columns_first = ax == bx && by == cy && cx == dx && dy == ay;
  if (!(rows_first || columns_first) || !PlanarQuad(a, b, c, d)) {
    Triangle(a, b, c);
    Triangle(c, d, a);
    return;
  }
  const int64_t area = (bx - ax) * (cy - ay) - (cx - ax) * (by - ay);
  if (area == 0 || Culled(area)) return;
  // The fill rule keeps the left and top edges of a rectangle and drops the right and bottom.
  const int64_t col_first = std::max<int64_t>(left_, CeilDiv(std::min(ax, cx), kSub));
  const int64_t col_end = std::min<int64_t>(right_, CeilDiv(std::max(ax, cx), kSub));
  const int64_t row_first = std::max<int64_t>(top_, CeilDiv(std::min(ay, cy), kSub));
  const int64_t row_end = std::min<int64_t>(bottom_, CeilDiv(std::max(ay, cy), kSub));
  if (col_first >= col_end || row_first >= row_end) return;
  const double px[3] = {double(ax) / kSub, double(bx) / kSub, double(cx) / kSub};
  const double py[3] = {double(ay) / kSub, double(by) / kSub, double(cy) / kSub};
  Setup(a, b, c, px, py);
  for (int64_t row = row_first; row < row_end; ++row)
    ShadeRow(int(row), int(col_first), int(col_end));
}

void Rasterizer::Line(ScreenVertex a, ScreenVertex b) {
  if (!(std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) && std::isfinite(b.y)))
    return;
  // Snapped like triangle vertices, so a line on a half-pixel boundary rounds consistently.
  for (ScreenVertex* v : {&a, &b}) {
    v->x = double(Snap(v->x)) / kSub;
    v->y = double(Snap(v->y)) / kSub;
  }
  const double dx = b.x - a.x, dy = b.y - a.y;
  if (dx == 0 && dy == 0) return;
  const bool x_major = std::abs(dx) >= std::abs(dy);
  if ((x_major ? dx : dy) < 0) std::swap(a, b);
  const double major0 = x_major ? a.x : a.y, major1 = x_major ? b.x : b.y;
  const double length = major1 - major0;
  const int64_t first = std::max<int64_t>(x_major ? left_ : top_, int64_t(std::ceil(major0)));
  const int64_t end = std::min<int64_t>(x_major ? right_ : bottom_, int64_t(std::ceil(major1)));

  // Lines use level 0 and the magnification filter.
  SpanContext ctx;
  ctx.state = state_;
  ctx.gouraud = true;
  const PixelBuffer* level = state_->texture ? &state_->texture->SampledLevel(0) : nullptr;
  if (level) {
    ctx.tex.level = level;
    ctx.linear = state_->mag_filter == Filter_Linear;
  }
  const double offset = ctx.linear ? -0.5 : 0.0;
  for (int64_t major = first; major < end; ++major) {
    const double f = (double(major) - major0) / length;
    const double minor = x_major ? a.y + f * (b.y - a.y) : a.x + f * (b.x - a.x);
    const int64_t m = int64_t(std::floor(minor + 0.5));
    const int64_t px = x_major ? major : m, py = x_major ? m : major;
    if (px < left_ || px >= right_ || py < top_ || py >= bottom_) continue;
    const auto mix = [f](double p, double q) { return p + f * (q - p); };
    Interpolants at;
    if (level) {
      at.s = ToFixed(mix(a.u, b.u) * level->width + offset, kFixed32);
      at.t = ToFixed(mix(a.v, b.v) * level->height + offset, kFixed32);
    }
    at.z = ToFixed(mix(a.z, b.z) * 65535.0, kFixed32);
    at.a = ToFixed16(mix(Channel(a.color, 24), Channel(b.color, 24)));
    at.r = ToFixed16(mix(Channel(a.color, 16), Channel(b.color, 16)));
    at.g = ToFixed16(mix(Channel(a.color, 8), Channel(b.color, 8)));
    at.b = ToFixed16(mix(Channel(a.color, 0), Channel(b.color, 0)));
    ShadePixel(ctx, int(px), int(py), at);
  }
}

}  // namespace gfx::soft
