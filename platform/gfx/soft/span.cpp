#include "platform/gfx/soft/span.h"

#include <algorithm>
#include <cstring>

#include "platform/gfx/soft/dxt.h"
#include "platform/gfx/soft/pixel_format.h"
#include "platform/gfx/soft/pixel_math.h"

namespace gfx::soft {
namespace {

constexpr int64_t kOne = int64_t(1) << 32;

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

uint32_t FetchTexel(const TexelSource& tex, int x, int y) {
  const PixelBuffer& p = *tex.level;
  if (IsCompressed(p.format))
    return DecodeDxtTexel(p.format, p.Row(y / 4) + (x / 4) * BlockBytes(p.format), x & 3, y & 3);
  return ReadArgb(p.format, p.Row(y) + x * BytesPerPixel(p.format));
}

// Linear filter weight 0..256 from the fraction of a 32.32 coordinate.
uint32_t FilterWeight(int64_t v) { return uint32_t(((v & (kOne - 1)) + (1 << 23)) >> 24); }

uint32_t SampleGeneral(const SpanContext& ctx, int64_t s, int64_t t) {
  const TexelSource& tex = ctx.tex;
  const int w = tex.level->width, h = tex.level->height;
  const uint32_t au = ctx.state->address_u, av = ctx.state->address_v;
  const int64_t i = s >> 32, j = t >> 32;
  if (!ctx.linear) return FetchTexel(tex, Address(i, w, au), Address(j, h, av));
  const int x0 = Address(i, w, au), x1 = Address(i + 1, w, au);
  const int y0 = Address(j, h, av), y1 = Address(j + 1, h, av);
  const uint32_t fx = FilterWeight(s), fy = FilterWeight(t);
  const uint32_t top = Lerp(FetchTexel(tex, x0, y0), FetchTexel(tex, x1, y0), fx);
  const uint32_t bottom = Lerp(FetchTexel(tex, x0, y1), FetchTexel(tex, x1, y1), fx);
  return Lerp(top, bottom, fy);
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
  const uint32_t alpha = st.alpha_op == TOP_Disable ? diffuse >> 24 : OpChannel(st.alpha_op, a1, a2);
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

uint32_t ColorChannel(int32_t v) { return uint32_t(std::clamp((v + 0x8000) >> 16, 0, 255)); }

uint32_t DiffuseAt(const SpanContext& ctx, const Interpolants& at) {
  if (!ctx.gouraud) return ctx.flat_color;
  return PackArgb(ColorChannel(at.a), ColorChannel(at.r), ColorChannel(at.g), ColorChannel(at.b));
}

uint16_t DepthAt(const Interpolants& at) {
  return uint16_t(std::clamp<int64_t>((at.z + kOne / 2) >> 32, 0, 65535));
}

void Advance(Interpolants& at, const Interpolants& step) {
  at.s += step.s;
  at.t += step.t;
  at.z += step.z;
  at.r += step.r;
  at.g += step.g;
  at.b += step.b;
  at.a += step.a;
}

// ---- the general path: every state, one pixel at a time ----

void ShadeGeneral(const SpanContext& ctx, int x, int y, const Interpolants& at) {
  const PixelState& st = *ctx.state;
  const uint32_t texel = st.texture ? SampleGeneral(ctx, at.s, at.t) : 0xFFFFFFFFu;
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

// ---- the sprite path ----
// A 32-bit texture with wrap addressing on a 32-bit target without depth, modulate or add
// colour with modulated alpha, an alpha test of the "at least" kind, and over, additive or no
// blending. Coordinates are kept wrapped incrementally instead of by division per pixel.

enum class SpriteBlend { None, Over, Add };

int64_t Wrap(int64_t v, int64_t period) {
  v %= period;
  return v < 0 ? v + period : v;
}

void StepWrapped(int64_t& v, int64_t step, int64_t period) {
  v += step;
  if (v >= period)
    v -= period;
  else if (v < 0)
    v += period;
}

uint32_t Load32(const uint8_t* row, int x) {
  uint32_t v;
  std::memcpy(&v, row + size_t(x) * 4, 4);
  return v;
}

uint32_t PointTexel(const TexelSource& tex, int64_t s, int64_t t) {
  return Load32(tex.level->Row(int(t >> 32)), int(s >> 32)) | tex.alpha_or;
}

uint32_t LinearTexel(const TexelSource& tex, int64_t s, int64_t t) {
  const PixelBuffer& p = *tex.level;
  const int x0 = int(s >> 32), y0 = int(t >> 32);
  const int x1 = x0 + 1 == p.width ? 0 : x0 + 1, y1 = y0 + 1 == p.height ? 0 : y0 + 1;
  const uint8_t* r0 = p.Row(y0);
  const uint8_t* r1 = p.Row(y1);
  const uint32_t fx = FilterWeight(s);
  const uint32_t top = Lerp(Load32(r0, x0), Load32(r0, x1), fx);
  const uint32_t bottom = Lerp(Load32(r1, x0), Load32(r1, x1), fx);
  return Lerp(top, bottom, FilterWeight(t)) | tex.alpha_or;
}

// The lowest alpha the alpha test lets through (0: no test, 256: none passes).
uint32_t AlphaMinimum(const PixelState& st) {
  if (!st.alpha_test || st.alpha_func == Cmp_Always) return 0;
  return st.alpha_func == Cmp_Greater ? st.alpha_ref + 1 : st.alpha_ref;
}

template <bool kLinear, bool kAddColor, SpriteBlend kBlend, bool kGouraud>
void SpriteSpan(const SpanContext& ctx, int y, int x0, int x1, Interpolants at) {
  const TexelSource& tex = ctx.tex;
  const PixelState& st = *ctx.state;
  const uint32_t alpha_min = AlphaMinimum(st);
  const uint32_t target_or = st.color->format == Format_X8R8G8B8 ? 0xFF000000u : 0;
  uint8_t* row = st.color->Row(y);
  int64_t s = Wrap(at.s, tex.width_fixed), t = Wrap(at.t, tex.height_fixed);
  for (int x = x0; x < x1; ++x) {
    const uint32_t texel = kLinear ? LinearTexel(tex, s, t) : PointTexel(tex, s, t);
    const uint32_t diffuse = kGouraud ? DiffuseAt(ctx, at) : ctx.flat_color;
    const uint32_t src = kAddColor ? AddColorModulateAlpha(texel, diffuse) : Modulate(texel, diffuse);
    if ((src >> 24) >= alpha_min) {
      uint8_t* pixel = row + size_t(x) * 4;
      uint32_t out = src;
      if constexpr (kBlend != SpriteBlend::None) {
        const uint32_t dst = Load32(row, x);
        out = kBlend == SpriteBlend::Over ? BlendOver(src, dst) : BlendAdd(src, dst);
      }
      out |= target_or;
      std::memcpy(pixel, &out, 4);
    }
    StepWrapped(s, ctx.step.s, tex.width_fixed);
    StepWrapped(t, ctx.step.t, tex.height_fixed);
    if constexpr (kGouraud) Advance(at, ctx.step);
  }
}

bool Is32Bit(Format f) { return f == Format_A8R8G8B8 || f == Format_X8R8G8B8; }

bool IsTextureAndDiffuse(uint32_t arg1, uint32_t arg2) {
  const auto diffuse = [](uint32_t a) { return a == TA_Diffuse || a == TA_Current; };
  return (arg1 == TA_Texture && diffuse(arg2)) || (arg2 == TA_Texture && diffuse(arg1));
}

bool SpriteAlphaTest(const PixelState& st) {
  return !st.alpha_test || st.alpha_func == Cmp_Always || st.alpha_func == Cmp_GreaterEqual ||
         st.alpha_func == Cmp_Greater;
}

// Over, Add, or None; false when the blend is of another kind.
bool SpriteBlendOf(const PixelState& st, SpriteBlend* blend) {
  if (!st.blend) {
    *blend = SpriteBlend::None;
    return true;
  }
  if (st.src_blend != Blend_SrcAlpha) return false;
  if (st.dst_blend == Blend_InvSrcAlpha) *blend = SpriteBlend::Over;
  else if (st.dst_blend == Blend_One) *blend = SpriteBlend::Add;
  else return false;
  return true;
}

bool SpriteEligible(const SpanContext& ctx, SpriteBlend* blend) {
  const PixelState& st = *ctx.state;
  return st.texture && Is32Bit(ctx.tex.level->format) && Is32Bit(st.color->format) &&
         !st.z_test && st.address_u == Address_Wrap && st.address_v == Address_Wrap &&
         (st.color_op == TOP_Modulate || st.color_op == TOP_Add) &&
         IsTextureAndDiffuse(st.color_arg1, st.color_arg2) && st.alpha_op == TOP_Modulate &&
         IsTextureAndDiffuse(st.alpha_arg1, st.alpha_arg2) && SpriteAlphaTest(st) &&
         SpriteBlendOf(st, blend) && ctx.step.s > -ctx.tex.width_fixed &&
         ctx.step.s < ctx.tex.width_fixed && ctx.step.t > -ctx.tex.height_fixed &&
         ctx.step.t < ctx.tex.height_fixed;
}

template <bool kLinear, bool kAddColor, SpriteBlend kBlend>
SpanFunction PickGouraud(bool gouraud) {
  return gouraud ? SpriteSpan<kLinear, kAddColor, kBlend, true>
                 : SpriteSpan<kLinear, kAddColor, kBlend, false>;
}

template <bool kLinear, bool kAddColor>
SpanFunction PickBlend(SpriteBlend blend, bool gouraud) {
  switch (blend) {
    case SpriteBlend::Over:
      return PickGouraud<kLinear, kAddColor, SpriteBlend::Over>(gouraud);
    case SpriteBlend::Add:
      return PickGouraud<kLinear, kAddColor, SpriteBlend::Add>(gouraud);
    default:
      return PickGouraud<kLinear, kAddColor, SpriteBlend::None>(gouraud);
  }
}

template <bool kLinear>
SpanFunction PickColor(bool add, SpriteBlend blend, bool gouraud) {
  return add ? PickBlend<kLinear, true>(blend, gouraud) : PickBlend<kLinear, false>(blend, gouraud);
}

}  // namespace

void ChooseSpanFunction(SpanContext& ctx) {
  SpriteBlend blend;
  if (!SpriteEligible(ctx, &blend)) {
    ctx.shade = GeneralSpan;
    return;
  }
  const bool add = ctx.state->color_op == TOP_Add;
  ctx.shade = ctx.linear ? PickColor<true>(add, blend, ctx.gouraud)
                         : PickColor<false>(add, blend, ctx.gouraud);
}

void ShadePixel(const SpanContext& ctx, int x, int y, const Interpolants& at) {
  ShadeGeneral(ctx, x, y, at);
}

}  // namespace gfx::soft
