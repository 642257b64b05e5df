#include "platform/gfx/soft/sprite_span.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "platform/gfx/soft/pixel_math.h"

namespace gfx::soft {
namespace {

// ---- two pixels in 16-bit lanes (B, G, R, A of each pixel) ----
// The lane arithmetic is the same as the scalar helpers of pixel_math.h, so both paths give
// the same bytes: every intermediate value fits in 16 bits.

using Lanes = uint16_t __attribute__((vector_size(16)));
using Bytes = uint8_t __attribute__((vector_size(8)));

Lanes Splat(uint16_t v) { return Lanes{} + v; }

// Two pixels travel as one 64-bit value, the first in the low half.
Lanes Widen(uint64_t pixels) {
  Bytes b;
  std::memcpy(&b, &pixels, sizeof b);
  return __builtin_convertvector(b, Lanes);
}

uint64_t Narrow(Lanes v) {
  const Bytes b = __builtin_convertvector(v, Bytes);
  uint64_t pixels;
  std::memcpy(&pixels, &b, sizeof pixels);
  return pixels;
}

Lanes AlphaOf(Lanes v) { return __builtin_shufflevector(v, v, 3, 3, 3, 3, 7, 7, 7, 7); }

// Lanes of a where mask is set, else of b.
Lanes Select(Lanes mask, Lanes a, Lanes b) { return (a & mask) | (b & ~mask); }

Lanes Min255(Lanes v) { return Select(Lanes(v > Splat(255)), Splat(255), v); }

Lanes Mul255(Lanes a, Lanes b) {
  const Lanes t = a * b + Splat(128);
  return (t + (t >> 8)) >> 8;
}

const Lanes kAlphaLanes = {0, 0, 0, 0xFFFF, 0, 0, 0, 0xFFFF};

enum class SpriteBlend { None, Over, Add };
// Texel: modulation by flat opaque white, which leaves the texel as it is.
enum class SpriteColor { Texel, Modulate, Add };

Lanes PairOf(uint32_t first, uint32_t second) { return Widen(first | uint64_t(second) << 32); }

Lanes PairWeights(uint16_t first, uint16_t second) {
  return Lanes{first, first, first, first, second, second, second, second};
}

// (a * (256 - w) + b * w) / 256 per lane, as Lerp does per channel.
Lanes LerpLanes(Lanes a, Lanes b, Lanes w) { return (a * (Splat(256) - w) + b * w) >> 8; }

// Combines, alpha-tests and blends a pair of source texels onto the pair dst.
template <SpriteColor kColor, SpriteBlend kBlend>
[[gnu::always_inline]] inline uint64_t ShadeTwo(Lanes src, uint64_t diffuse, uint64_t dst,
                                                Lanes alpha_min, Lanes target_or) {
  if constexpr (kColor == SpriteColor::Modulate) src = Mul255(src, Widen(diffuse));
  if constexpr (kColor == SpriteColor::Add) {
    const Lanes d = Widen(diffuse);
    src = Select(kAlphaLanes, Mul255(src, d), Min255(src + d));
  }
  const Lanes old = Widen(dst);
  const Lanes alpha = AlphaOf(src);
  const Lanes weight = alpha + (alpha >> 7);
  Lanes result = src;
  if constexpr (kBlend == SpriteBlend::Over) result = LerpLanes(old, src, weight);
  if constexpr (kBlend == SpriteBlend::Add) result = Min255(old + ((src * weight) >> 8));
  return Narrow(Select(Lanes(alpha >= alpha_min), result | target_or, old));
}

// ---- texel fetching ----

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

uint32_t Load32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

// The texels bilinear filtering blends for one pixel: the left and right texel of the top
// row and of the bottom row, each pair as one 64-bit value, and the weights.
struct Taps {
  uint64_t top, bottom;
  uint16_t fx, fy;
};

// A 32-bit texture level as plain values, so the loop keeps them in registers.
struct TexelGrid {
  explicit TexelGrid(const TexelSource& tex)
      : data(tex.level->Row(0)),
        pitch(size_t(tex.level->pitch)),
        width(tex.level->width),
        height(tex.level->height) {}

  [[gnu::always_inline]] uint32_t Point(int64_t s, int64_t t) const {
    return Load32(data + size_t(t >> 32) * pitch + size_t(s >> 32) * 4);
  }

  [[gnu::always_inline]] Taps Linear(int64_t s, int64_t t) const {
    const int x = int(s >> 32), y0 = int(t >> 32);
    const int y1 = y0 + 1 == height ? 0 : y0 + 1;
    return {Neighbours(data + size_t(y0) * pitch, x), Neighbours(data + size_t(y1) * pitch, x),
            uint16_t(FilterWeight(s)), uint16_t(FilterWeight(t))};
  }

  // Texels x and x + 1 (wrapping) of a row.
  [[gnu::always_inline]] uint64_t Neighbours(const uint8_t* row, int x) const {
    uint64_t pair;
    if (x + 1 < width) {
      std::memcpy(&pair, row + size_t(x) * 4, 8);
      return pair;
    }
    return Load32(row + size_t(x) * 4) | uint64_t(Load32(row)) << 32;
  }

  const uint8_t* data;
  size_t pitch;
  int width, height;
};

// Bilinear filtering of two pixels at once: down the columns, then across, as the general
// path does per channel.
[[gnu::always_inline]] inline Lanes FilterPair(const Taps& p, const Taps& q) {
  const Lanes vp = LerpLanes(Widen(p.top), Widen(p.bottom), Splat(p.fy));
  const Lanes vq = LerpLanes(Widen(q.top), Widen(q.bottom), Splat(q.fy));
  const Lanes left = __builtin_shufflevector(vp, vq, 0, 1, 2, 3, 8, 9, 10, 11);
  const Lanes right = __builtin_shufflevector(vp, vq, 4, 5, 6, 7, 12, 13, 14, 15);
  return LerpLanes(left, right, PairWeights(p.fx, q.fx));
}

// The lowest alpha the alpha test lets through (0: no test, 256: none passes).
uint16_t AlphaMinimum(const PixelState& st) {
  if (!st.alpha_test || st.alpha_func == Cmp_Always) return 0;
  return uint16_t(st.alpha_func == Cmp_Greater ? st.alpha_ref + 1 : st.alpha_ref);
}

// How texel coordinates move along a span.
enum class Walk {
  Wrapping,    // they may leave the texture, so every step wraps them
  Inside,      // they stay inside the texture
  Contiguous,  // point sampling one texel per pixel along a texture row
};
template <Walk kWalk>
using WalkTag = std::integral_constant<Walk, kWalk>;

// True when count steps from v (inside 0 .. period) all stay inside, so no wrapping is due.
bool StaysInside(int64_t v, int64_t step, int count, int64_t period) {
  const int64_t last = v + step * (count - 1);
  return last >= 0 && last < period;
}

// True when bilinear weights are zero all along the span (texel centres on pixel centres, a
// whole number of texels per pixel), so point sampling gives the same texels.
bool OnTexelCentres(const Interpolants& at, const Interpolants& step) {
  const int64_t fraction = 0xFFFFFFFF;
  return FilterWeight(at.s) == 0 && FilterWeight(at.t) == 0 && (step.s & fraction) == 0 &&
         (step.t & fraction) == 0;
}

template <bool kLinear, SpriteColor kColor, bool kGouraud, SpriteBlend kBlend>
void SpriteSpan(const SpanContext& ctx, int y, int x0, int x1, Interpolants at) {
  if constexpr (kLinear) {
    if (OnTexelCentres(at, ctx.step))
      return SpriteSpan<false, kColor, kGouraud, kBlend>(ctx, y, x0, x1, at);
  }
  const TexelGrid grid(ctx.tex);
  const int64_t width_fixed = ctx.tex.width_fixed, height_fixed = ctx.tex.height_fixed;
  const Interpolants step = ctx.step;
  const Lanes texel_or = ctx.tex.alpha_or ? kAlphaLanes & Splat(255) : Lanes{};
  const Lanes alpha_min = Splat(AlphaMinimum(*ctx.state));
  const Lanes target_or =
      ctx.state->color->format == Format_X8R8G8B8 ? kAlphaLanes & Splat(255) : Lanes{};
  const uint64_t flat = ctx.flat_color | uint64_t(ctx.flat_color) << 32;
  int64_t s = Wrap(at.s, width_fixed), t = Wrap(at.t, height_fixed);
  const uint8_t* row_texels = nullptr;  // the next texel of a contiguous walk
  const auto next_texel = [&](auto walk) {
    const auto texel = [&] {
      if constexpr (kLinear)
        return grid.Linear(s, t);
      else
        return grid.Point(s, t);
    }();
    if constexpr (decltype(walk)::value == Walk::Wrapping) {
      StepWrapped(s, step.s, width_fixed);
      StepWrapped(t, step.t, height_fixed);
    } else {
      s += step.s;
      t += step.t;
    }
    return texel;
  };
  // The source texels of the next pair of pixels (single: of the one pixel left).
  const auto next_sources = [&](auto single, auto walk) {
    constexpr bool kSingle = decltype(single)::value;
    if constexpr (!kLinear && decltype(walk)::value == Walk::Contiguous) {
      uint64_t pair = 0;
      std::memcpy(&pair, row_texels, kSingle ? 4 : 8);
      row_texels += 8;
      return Widen(pair) | texel_or;
    } else {
      const auto first = next_texel(walk);
      const auto second = kSingle ? first : next_texel(walk);
      if constexpr (kLinear)
        return FilterPair(first, second) | texel_or;
      else
        return PairOf(first, second) | texel_or;
    }
  };
  // Shades the next pair of pixels at out.
  const auto shade_pair = [&](uint8_t* out, auto single, auto walk) {
    constexpr bool kSingle = decltype(single)::value;
    const Lanes src = next_sources(single, walk);
    uint64_t diffuse = flat;
    if constexpr (kGouraud) {
      diffuse = PackedColor(at);
      Advance(at, step);
      if constexpr (!kSingle) {
        diffuse |= uint64_t(PackedColor(at)) << 32;
        Advance(at, step);
      }
    }
    constexpr size_t kBytes = kSingle ? 4 : 8;
    uint64_t dst = 0;
    std::memcpy(&dst, out, kBytes);
    const uint64_t result = ShadeTwo<kColor, kBlend>(src, diffuse, dst, alpha_min, target_or);
    std::memcpy(out, &result, kBytes);
  };
  const auto run = [&](auto walk) {
    uint8_t* out = ctx.state->color->Row(y) + size_t(x0) * 4;
    int left = x1 - x0;
    for (; left >= 2; left -= 2, out += 8) shade_pair(out, std::false_type(), walk);
    if (left) shade_pair(out, std::true_type(), walk);
  };
  const int count = x1 - x0;
  if (!StaysInside(s, step.s, count, width_fixed) || !StaysInside(t, step.t, count, height_fixed)) {
    run(WalkTag<Walk::Wrapping>());
  } else if (!kLinear && step.s == int64_t(1) << 32 && step.t == 0) {
    row_texels = grid.data + size_t(t >> 32) * grid.pitch + size_t(s >> 32) * 4;
    run(WalkTag<Walk::Contiguous>());
  } else {
    run(WalkTag<Walk::Inside>());
  }
}

// ---- choosing a loop ----

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
  if (st.dst_blend == Blend_InvSrcAlpha)
    *blend = SpriteBlend::Over;
  else if (st.dst_blend == Blend_One)
    *blend = SpriteBlend::Add;
  else
    return false;
  return true;
}

bool SpriteEligible(const SpanContext& ctx, SpriteBlend* blend) {
  const PixelState& st = *ctx.state;
  return Is32Bit(ctx.tex.level->format) && Is32Bit(st.color->format) && !st.z_test &&
         st.address_u == Address_Wrap && st.address_v == Address_Wrap &&
         (st.color_op == TOP_Modulate || st.color_op == TOP_Add) &&
         IsTextureAndDiffuse(st.color_arg1, st.color_arg2) && st.alpha_op == TOP_Modulate &&
         IsTextureAndDiffuse(st.alpha_arg1, st.alpha_arg2) && SpriteAlphaTest(st) &&
         SpriteBlendOf(st, blend) && ctx.step.s > -ctx.tex.width_fixed &&
         ctx.step.s < ctx.tex.width_fixed && ctx.step.t > -ctx.tex.height_fixed &&
         ctx.step.t < ctx.tex.height_fixed;
}

template <bool kLinear, SpriteColor kColor, bool kGouraud>
SpanFunction PickBlend(SpriteBlend blend) {
  switch (blend) {
    case SpriteBlend::Over:
      return SpriteSpan<kLinear, kColor, kGouraud, SpriteBlend::Over>;
    case SpriteBlend::Add:
      return SpriteSpan<kLinear, kColor, kGouraud, SpriteBlend::Add>;
    default:
      return SpriteSpan<kLinear, kColor, kGouraud, SpriteBlend::None>;
  }
}

template <bool kLinear>
SpanFunction PickColor(const SpanContext& ctx, SpriteBlend blend) {
  if (ctx.state->color_op == TOP_Add)
    return ctx.gouraud ? PickBlend<kLinear, SpriteColor::Add, true>(blend)
                       : PickBlend<kLinear, SpriteColor::Add, false>(blend);
  if (ctx.gouraud) return PickBlend<kLinear, SpriteColor::Modulate, true>(blend);
  return ctx.flat_color == 0xFFFFFFFFu ? PickBlend<kLinear, SpriteColor::Texel, false>(blend)
                                       : PickBlend<kLinear, SpriteColor::Modulate, false>(blend);
}

}  // namespace

SpanFunction SpriteSpanFor(const SpanContext& ctx) {
  SpriteBlend blend;
  if (!SpriteEligible(ctx, &blend)) return nullptr;
  return ctx.linear ? PickColor<true>(ctx, blend) : PickColor<false>(ctx, blend);
}

}  // namespace gfx::soft
