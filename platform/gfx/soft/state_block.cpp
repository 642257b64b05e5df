#include "platform/gfx/soft/state_block.h"

namespace gfx::soft {
namespace {

bool InRange(uint32_t v, uint32_t lo, uint32_t hi) { return v >= lo && v <= hi; }

bool IsRenderState(uint32_t s) {
  switch (s) {
    case RS_ZEnable:
    case RS_ZWriteEnable:
    case RS_AlphaTestEnable:
    case RS_SrcBlend:
    case RS_DestBlend:
    case RS_CullMode:
    case RS_ZFunc:
    case RS_AlphaRef:
    case RS_AlphaFunc:
    case RS_AlphaBlendEnable:
    case RS_Lighting:
      return true;
    default:
      return false;
  }
}

bool ValidRenderValue(RenderState s, uint32_t v) {
  switch (s) {
    case RS_SrcBlend:
    case RS_DestBlend:
      return InRange(v, Blend_Zero, Blend_InvDestColor);
    case RS_CullMode:
      return InRange(v, Cull_None, Cull_CCW);
    case RS_ZFunc:
    case RS_AlphaFunc:
      return InRange(v, Cmp_Never, Cmp_Always);
    case RS_AlphaRef:
      return v <= 255;
    default:  // the on/off states
      return v <= 1;
  }
}

bool IsStageState(uint32_t s) { return InRange(s, TSS_ColorOp, TSS_AlphaArg2); }

bool ValidStageValue(TextureStageState s, uint32_t v) {
  if (s == TSS_ColorOp || s == TSS_AlphaOp)
    return InRange(v, TOP_Disable, TOP_AddSigned) || v == TOP_Subtract;
  return v == TA_Diffuse || v == TA_Current || v == TA_Texture;
}

bool IsSamplerState(uint32_t s) {
  return s == SAMP_AddressU || s == SAMP_AddressV || InRange(s, SAMP_MagFilter, SAMP_MipFilter);
}

}  // namespace

void StateBlock::SetDefaults(bool z_enable) {
  render_[RS_ZEnable] = z_enable;
  render_[RS_ZWriteEnable] = 1;
  render_[RS_AlphaTestEnable] = 0;
  render_[RS_SrcBlend] = Blend_One;
  render_[RS_DestBlend] = Blend_Zero;
  render_[RS_CullMode] = Cull_CCW;
  render_[RS_ZFunc] = Cmp_LessEqual;
  render_[RS_AlphaRef] = 0;
  render_[RS_AlphaFunc] = Cmp_Always;
  render_[RS_AlphaBlendEnable] = 0;
  render_[RS_Lighting] = 1;
  stage_[TSS_ColorOp] = TOP_Modulate;
  stage_[TSS_ColorArg1] = TA_Texture;
  stage_[TSS_ColorArg2] = TA_Current;
  stage_[TSS_AlphaOp] = TOP_SelectArg1;
  stage_[TSS_AlphaArg1] = TA_Texture;
  stage_[TSS_AlphaArg2] = TA_Current;
  sampler_[SAMP_AddressU] = Address_Wrap;
  sampler_[SAMP_AddressV] = Address_Wrap;
  sampler_[SAMP_MagFilter] = Filter_Point;
  sampler_[SAMP_MinFilter] = Filter_Point;
  sampler_[SAMP_MipFilter] = Filter_None;
}

Result StateBlock::SetRender(RenderState state, uint32_t value) {
  if (!IsRenderState(state) || !ValidRenderValue(state, value)) return Result::InvalidCall;
  render_[state] = value;
  return Result::Ok;
}

Result StateBlock::GetRender(RenderState state, uint32_t* value) const {
  if (!value || !IsRenderState(state)) return Result::InvalidCall;
  *value = render_[state];
  return Result::Ok;
}

Result StateBlock::SetStage(int stage, TextureStageState state, uint32_t value) {
  if (stage != 0 || !IsStageState(state) || !ValidStageValue(state, value))
    return Result::InvalidCall;
  stage_[state] = value;
  return Result::Ok;
}

Result StateBlock::GetStage(int stage, TextureStageState state, uint32_t* value) const {
  if (!value || stage != 0 || !IsStageState(state)) return Result::InvalidCall;
  *value = stage_[state];
  return Result::Ok;
}

Result StateBlock::SetSampler(int sampler, SamplerState state, uint32_t value) {
  if (sampler != 0 || !IsSamplerState(state)) return Result::InvalidCall;
  if (state == SAMP_AddressU || state == SAMP_AddressV) {
    if (!InRange(value, Address_Wrap, Address_Clamp)) return Result::InvalidCall;
  } else if (value > Filter_Linear) {
    return Result::InvalidCall;
  } else if (state == SAMP_MipFilter && value == Filter_Linear) {
    return Result::NotAvailable;
  }
  sampler_[state] = value;
  return Result::Ok;
}

Result StateBlock::GetSampler(int sampler, SamplerState state, uint32_t* value) const {
  if (!value || sampler != 0 || !IsSamplerState(state)) return Result::InvalidCall;
  *value = sampler_[state];
  return Result::Ok;
}

void StateBlock::Apply(PixelState* out) const {
  out->color_op = stage_[TSS_ColorOp];
  out->color_arg1 = stage_[TSS_ColorArg1];
  out->color_arg2 = stage_[TSS_ColorArg2];
  out->alpha_op = stage_[TSS_AlphaOp];
  out->alpha_arg1 = stage_[TSS_AlphaArg1];
  out->alpha_arg2 = stage_[TSS_AlphaArg2];
  out->mag_filter = sampler_[SAMP_MagFilter];
  out->min_filter = sampler_[SAMP_MinFilter];
  out->mip_filter = sampler_[SAMP_MipFilter];
  out->address_u = sampler_[SAMP_AddressU];
  out->address_v = sampler_[SAMP_AddressV];
  out->alpha_test = render_[RS_AlphaTestEnable];
  out->alpha_ref = render_[RS_AlphaRef];
  out->alpha_func = render_[RS_AlphaFunc];
  out->blend = render_[RS_AlphaBlendEnable];
  out->src_blend = render_[RS_SrcBlend];
  out->dst_blend = render_[RS_DestBlend];
  out->z_write = render_[RS_ZWriteEnable];
  out->z_func = render_[RS_ZFunc];
}

}  // namespace gfx::soft
