// The render, texture-stage and sampler states of the software device: their defaults, which
// values each state accepts, and how they configure the pixel pipeline.
#pragma once

#include <cstdint>

#include "platform/gfx/device.h"
#include "platform/gfx/soft/span.h"

namespace gfx::soft {

class StateBlock {
 public:
  // Every state to its default; depth testing starts on when there is a depth buffer.
  void SetDefaults(bool z_enable);

  // InvalidCall for an unknown state or a value it does not take; NotAvailable for a mip
  // filter other than none or point.
  Result SetRender(RenderState state, uint32_t value);
  Result GetRender(RenderState state, uint32_t* value) const;
  Result SetStage(int stage, TextureStageState state, uint32_t value);
  Result GetStage(int stage, TextureStageState state, uint32_t* value) const;
  Result SetSampler(int sampler, SamplerState state, uint32_t value);
  Result GetSampler(int sampler, SamplerState state, uint32_t* value) const;

  uint32_t Render(RenderState state) const { return render_[state]; }
  // Copies the states into the pixel pipeline's record (texture and buffers are left alone).
  void Apply(PixelState* out) const;

 private:
  static constexpr int kRenderStates = RS_Lighting + 1;
  static constexpr int kStageStates = TSS_AlphaArg2 + 1;
  static constexpr int kSamplerStates = SAMP_MipFilter + 1;

  uint32_t render_[kRenderStates] = {};
  uint32_t stage_[kStageStates] = {};
  uint32_t sampler_[kSamplerStates] = {};
};

}  // namespace gfx::soft
