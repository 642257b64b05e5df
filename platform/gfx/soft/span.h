// The pixel pipeline of the software device: texture sampling, the texture stage, alpha test,
// depth test and blending, applied along horizontal spans of covered pixels.
#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/gfx/device.h"
#include "platform/gfx/soft/soft_resources.h"

namespace gfx::soft {

// Fixed-function state of one draw, taken from the device states.
struct PixelState {
  const SoftTexture* texture = nullptr;  // null: texture arguments read opaque white
  uint32_t color_op = TOP_Modulate, color_arg1 = TA_Texture, color_arg2 = TA_Current;
  uint32_t alpha_op = TOP_SelectArg1, alpha_arg1 = TA_Texture, alpha_arg2 = TA_Current;
  uint32_t mag_filter = Filter_Point, min_filter = Filter_Point, mip_filter = Filter_None;
  uint32_t address_u = Address_Wrap, address_v = Address_Wrap;
  bool alpha_test = false;
  uint32_t alpha_ref = 0, alpha_func = Cmp_Always;
  bool blend = false;
  uint32_t src_blend = Blend_One, dst_blend = Blend_Zero;
  bool z_test = false;  // false: depth is neither tested nor written
  bool z_write = true;
  uint32_t z_func = Cmp_LessEqual;
  PixelBuffer* color = nullptr;  // render target
  PixelBuffer* depth = nullptr;  // D16; used only with z_test
};

// One texture level ready for sampling.
struct TexelSource {
  const PixelBuffer* level = nullptr;
  int64_t width_fixed = 0, height_fixed = 0;  // level size in 32.32 fixed point
  uint32_t alpha_or = 0;                      // 0xFF000000 for formats without alpha
};

// Values interpolated across a primitive. s and t are texel coordinates in 32.32 fixed point
// (offset so that point sampling takes their floor and linear sampling blends from it), z is
// depth * 65535 in 32.32, the colour channels are 0..255 in 16.16.
struct Interpolants {
  int64_t s = 0, t = 0, z = 0;
  int32_t r = 0, g = 0, b = 0, a = 0;
};

struct SpanContext;
using SpanFunction = void (*)(const SpanContext& ctx, int y, int x0, int x1, Interpolants at);

// What is constant over one primitive.
struct SpanContext {
  const PixelState* state = nullptr;
  TexelSource tex;       // a 1x1 white level when no texture is bound
  bool linear = false;   // bilinear instead of point sampling
  bool gouraud = false;  // colour interpolated; else flat_color
  uint32_t flat_color = 0xFFFFFFFF;
  Interpolants step;  // change per pixel along x
  SpanFunction shade = nullptr;
};

inline uint32_t ColorChannel(int32_t v) { return uint32_t(std::clamp((v + 0x8000) >> 16, 0, 255)); }

// The interpolated colour as 0xAARRGGBB.
inline uint32_t PackedColor(const Interpolants& at) {
  return ColorChannel(at.a) << 24 | ColorChannel(at.r) << 16 | ColorChannel(at.g) << 8 |
         ColorChannel(at.b);
}

inline void Advance(Interpolants& at, const Interpolants& step) {
  at.s += step.s;
  at.t += step.t;
  at.z += step.z;
  at.r += step.r;
  at.g += step.g;
  at.b += step.b;
  at.a += step.a;
}

// Picks ctx.shade: a specialised sprite loop when the state allows it, else the general one.
void ChooseSpanFunction(SpanContext& ctx);
// Shades the single pixel (x, y), for lines.
void ShadePixel(const SpanContext& ctx, int x, int y, const Interpolants& at);

}  // namespace gfx::soft
