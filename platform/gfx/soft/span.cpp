#include "platform/gfx/soft/span.h"

#include <algorithm>
#include <cstring>

#include "platform/gfx/pixel_format.h"
#include "platform/gfx/soft/pixel_math.h"
#include "platform/gfx/soft/sprite_span.h"

namespace gfx::soft {
namespace {

// ---- sampling ----

int Address(int64_t i, int n, uint32_t mode) {
  switch (mode) {
    case Address_Clamp:
      return int(std::clamp<int64_t>(i, 0, n - 1));
    case Address_Mirror: {
      int64_t m = i % (2 * int64_t(n));
      if (m < 0) m += 2 * int64_t(n);
      return int(m < n ? m : 2 * int64_t(n) - 1 - m);
    }
    default: {
      int64_t m = i % n;
      return int(m < 0 ? m + n : m);
    }
  }
}

// Levels in compressed formats reach drawing already decoded (SoftTexture::SampledLevel).
uint32_t FetchTexel(const TexelSource& tex, int x, int y) {
  const PixelBuffer& p = *tex.level;
  return ReadArgb(p.format, p.Row(y) + x * BytesPerPixel(p.format));
}

uint32_t Sample(const SpanContext& ctx, int64_t s, int64_t t) {
  const TexelSource& tex = ctx.tex;
  const int w = tex.level->width, h = tex.level->height;
  const uint32_t au = ctx.state->address_u, av = ctx.state->address_v;
  const int64_t i = s >> 32, j = t >> 32;
  if (!ctx.linear) return FetchTexel(tex, Address(i, w, au), Address(j, h, av));
  const int x0 = Address(i, w, au), x1 = Address(i + 1, w, au);
  const int y0 = Address(j, h, av), y1 = Address(j + 1, h, av);
  // Down the columns first, then across.
  const uint32_t fy = FilterWeight(t);
  const uint32_t left = Lerp(FetchTexel(tex, x0, y0), FetchTexel(tex, x0, y1), fy);
  const uint32_t right = Lerp(FetchTexel(tex, x1, y0), FetchTexel(tex, x1, y1), fy);
  return Lerp(left, right, FilterWeight(s));
}

// ---- texture stage ----

uint32_t StageArg(uint32_t arg, uint32_t texel, uint32_t diffuse) {
  return arg == TA_Texture ? texel : diffuse;
}

uint32_t OpChannel(uint32_t op, uint32_t x, uint32_t y) {
  switch (op) {
    case TOP_SelectArg1:
      return x;
    case TOP_SelectArg2:
      return y;
    case TOP_Modulate:
      return Mul255(x, y);
    case TOP_Modulate2x:
      return std::min(255u, 2 * Mul255(x, y));
    case TOP_Modulate4x:
      return std::min(255u, 4 * Mul255(x, y));
    case TOP_Add:
      return std::min(255u, x + y);
    case TOP_AddSigned:
      return uint32_t(std::clamp(int(x + y) - 128, 0, 255));
    case TOP_Subtract:
      return x > y ? x - y : 0;
    default:
      return y;
  }
}

// The stage result. A disabled colour operation passes the diffuse colour and alpha through.
uint32_t Combine(const PixelState& st, uint32_t texel, uint32_t diffuse) {
  if (st.color_op == TOP_Disable) return diffuse;
  const uint32_t c1 = StageArg(st.color_arg1, texel, diffuse);
  const uint32_t c2 = StageArg(st.color_arg2, texel, diffuse);
  const uint32_t a1 = StageArg(st.alpha_arg1, texel, diffuse) >> 24;
  const uint32_t a2 = StageArg(st.alpha_arg2, texel, diffuse) >> 24;
  const uint32_t alpha =
      st.alpha_op == TOP_Disable ? diffuse >> 24 : OpChannel(st.alpha_op, a1, a2);
  return PackArgb(alpha, OpChannel(st.color_op, Channel(c1, 16), Channel(c2, 16)),
                  OpChannel(st.color_op, Channel(c1, 8), Channel(c2, 8)),
                  OpChannel(st.color_op, c1 & 255, c2 & 255));
}

bool Compare(uint32_t func, uint32_t value, uint32_t reference) {
  switch (func) {
    case Cmp_Never:
      return false;
    case Cmp_Less:
      return value < reference;
    case Cmp_Equal:
      return value == reference;
    case Cmp_LessEqual:
      return value <= reference;
    case Cmp_Greater:
      return value > reference;
    case Cmp_NotEqual:
      return value != reference;
    case Cmp_GreaterEqual:
      return value >= reference;
    default:
      return true;
  }
}

// ---- blending ----

// The blend factor for the channel at shift (24 is alpha) as a weight 0..256.
uint32_t FactorWeight(uint32_t factor, uint32_t src, uint32_t dst, int shift) {
  switch (factor) {
    case Blend_Zero:
      return 0;
    case Blend_One:
      return 256;
    case Blend_SrcColor:
      return Weight(Channel(src, shift));
    case Blend_InvSrcColor:
      return Weight(255 - Channel(src, shift));
    case Blend_SrcAlpha:
      return Weight(src >> 24);
    case Blend_InvSrcAlpha:
      return Weight(255 - (src >> 24));
    case Blend_DestAlpha:
      return Weight(dst >> 24);
    case Blend_InvDestAlpha:
      return Weight(255 - (dst >> 24));
    case Blend_DestColor:
      return Weight(Channel(dst, shift));
    default:  // Blend_InvDestColor
      return Weight(255 - Channel(dst, shift));
  }
}

uint32_t BlendGeneral(const PixelState& st, uint32_t src, uint32_t dst) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t sum = Channel(src, shift) * FactorWeight(st.src_blend, src, dst, shift) +
                         Channel(dst, shift) * FactorWeight(st.dst_blend, src, dst, shift);
    out |= std::min(255u, sum >> 8) << shift;
  }
  return out;
}

// ---- interpolants ----

uint32_t DiffuseAt(const SpanContext& ctx, const Interpolants& at) {
  return ctx.gouraud ? PackedColor(at) : ctx.flat_color;
}

uint16_t DepthAt(const Interpolants& at) {
  return uint16_t(std::clamp<int64_t>((at.z + (int64_t(1) << 31)) >> 32, 0, 65535));
}

// ---- the general path: every state, one pixel at a time ----

void ShadeGeneral(const SpanContext& ctx, int x, int y, const Interpolants& at) {
  const PixelState& st = *ctx.state;
  const uint32_t texel = st.texture ? Sample(ctx, at.s, at.t) : 0xFFFFFFFFu;
  const uint32_t src = Combine(st, texel, DiffuseAt(ctx, at));
  if (st.alpha_test && !Compare(st.alpha_func, src >> 24, st.alpha_ref)) return;
  if (st.z_test) {
    uint8_t* stored = st.depth->Row(y) + size_t(x) * 2;
    uint16_t old;
    std::memcpy(&old, stored, 2);
    const uint16_t z = DepthAt(at);
    if (!Compare(st.z_func, z, old)) return;
    if (st.z_write) std::memcpy(stored, &z, 2);
  }
  PixelBuffer& target = *st.color;
  uint8_t* pixel = target.Row(y) + x * BytesPerPixel(target.format);
  const uint32_t out = st.blend ? BlendGeneral(st, src, ReadArgb(target.format, pixel)) : src;
  WriteArgb(target.format, out, pixel);
}

void GeneralSpan(const SpanContext& ctx, int y, int x0, int x1, Interpolants at) {
  for (int x = x0; x < x1; ++x, Advance(at, ctx.step)) ShadeGeneral(ctx, x, y, at);
}

}  // namespace

void ChooseSpanFunction(SpanContext& ctx) {
  ctx.shade = SpriteSpanFor(ctx);
  if (!ctx.shade) ctx.shade = GeneralSpan;
}

void ShadePixel(const SpanContext& ctx, int x, int y, const Interpolants& at) {
  ShadeGeneral(ctx, x, y, at);
}

}  // namespace gfx::soft
