#include "platform/gfx/device_base.h"

#include "platform/gfx/pixel_format.h"
#include "platform/gfx/soft/soft_resources.h"

namespace gfx {
namespace {

bool IsPow2(int v) { return v > 0 && (v & (v - 1)) == 0; }
bool ValidSize(int w, int h) {
  return w > 0 && h > 0 && w <= kMaxSurfaceSize && h <= kMaxSurfaceSize;
}
bool ValidPool(Pool pool) {
  return pool == Pool_Default || pool == Pool_Managed || pool == Pool_SystemMem;
}

}  // namespace

Format DisplayFormat(int bpp) { return bpp == 16 ? Format_R5G6B5 : Format_X8R8G8B8; }

Result ValidatePresentParams(os::Platform& platform, PresentParams* params) {
  if (!ValidSize(params->back_buffer_width, params->back_buffer_height) ||
      params->back_buffer_count < 0 || params->back_buffer_count > 3 ||
      params->swap_effect < Swap_Discard || params->swap_effect > Swap_Copy)
    return Result::InvalidCall;
  if (params->windowed && params->back_buffer_format == Format_Unknown)
    params->back_buffer_format = DisplayFormat(platform.DesktopMode().bpp);
  if (!IsColorTargetFormat(params->back_buffer_format)) return Result::NotAvailable;
  if (params->enable_auto_depth_stencil && params->auto_depth_stencil_format != Format_D16)
    return Result::NotAvailable;
  if (params->windowed) return Result::Ok;
  for (const os::DisplayMode& m : platform.DisplayModes())
    if (m.width == params->back_buffer_width && m.height == params->back_buffer_height &&
        DisplayFormat(m.bpp) == params->back_buffer_format)
      return Result::Ok;
  return Result::NotAvailable;
}

Result CheckDeviceRequest(os::Platform& platform, void* focus_window, const PresentParams& params,
                          std::unique_ptr<Device>* out, PresentParams* checked) {
  if (!out) return Result::InvalidCall;
  out->reset();
  if (!focus_window && !params.device_window) return Result::InvalidCall;
  *checked = params;
  return ValidatePresentParams(platform, checked);
}

Result CheckTextureRequest(int width, int height, int* levels, uint32_t usage, Format format,
                           Pool pool, int max_size, bool require_pow2) {
  const bool render_target = usage & Usage_RenderTarget;
  if (!ValidSize(width, height) || *levels < 0 ||
      *levels > soft::FullChainLevels(width, height) ||
      (usage & ~uint32_t(Usage_RenderTarget | Usage_Dynamic)) || !ValidPool(pool) ||
      (render_target && pool != Pool_Default))
    return Result::InvalidCall;
  if (!IsTextureFormat(format) || (render_target && !IsColorTargetFormat(format)) ||
      width > max_size || height > max_size ||
      (require_pow2 && !(IsPow2(width) && IsPow2(height))))
    return Result::NotAvailable;
  if (*levels == 0) *levels = soft::FullChainLevels(width, height);
  return Result::Ok;
}

Result CheckDepthRequest(int width, int height, Format format) {
  if (!ValidSize(width, height)) return Result::InvalidCall;
  return format == Format_D16 ? Result::Ok : Result::NotAvailable;
}

Result CheckBufferRequest(int length, Pool pool) {
  return length > 0 && ValidPool(pool) ? Result::Ok : Result::InvalidCall;
}

Result CheckIndexBufferRequest(int length, Format format, Pool pool) {
  if (format != Format_Index16 && format != Format_Index32) return Result::InvalidCall;
  return CheckBufferRequest(length, pool);
}

}  // namespace gfx
