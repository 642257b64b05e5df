// The adapter object of the software device: identification, the platform's display modes
// and device creation.
#include <memory>

#include "platform/gfx/device.h"
#include "platform/gfx/soft/soft_device.h"
#include "platform/os/platform.h"

namespace gfx {
namespace {

class SoftGraphics final : public Graphics {
 public:
  SoftGraphics(os::Platform& platform, const SoftOptions& options)
      : platform_(platform), options_(options) {}

  Result GetAdapterIdentifier(AdapterIdentifier* out) override {
    if (!out) return Result::InvalidCall;
    out->driver = "tvk_soft";
    out->description = "Tarvok software rasterizer";
    out->driver_version = uint64_t(1) << 48;  // 1.0.0.0
    return Result::Ok;
  }

  Result GetAdapterDisplayMode(DisplayMode* out) override {
    if (!out) return Result::InvalidCall;
    const os::DisplayMode m = platform_.DesktopMode();
    if (m.width <= 0 || m.height <= 0) return Result::NotAvailable;
    *out = {m.width, m.height, m.refresh, DisplayFormat(m.bpp)};
    return Result::Ok;
  }

  int GetAdapterModeCount(Format format) override { return int(ModesOf(format).size()); }

  Result EnumAdapterModes(Format format, int index, DisplayMode* out) override {
    const std::vector<DisplayMode> modes = ModesOf(format);
    if (!out || index < 0 || index >= int(modes.size())) return Result::InvalidCall;
    *out = modes[size_t(index)];
    return Result::Ok;
  }

  Result CreateDevice(void* focus_window, const PresentParams& params,
                      std::unique_ptr<Device>* out) override {
    PresentParams checked;
    const Result r = CheckDeviceRequest(platform_, focus_window, params, out, &checked);
    if (r != Result::Ok) return r;
    *out = std::make_unique<soft::CpuDevice>(platform_, options_, checked);
    return Result::Ok;
  }

 private:
  std::vector<DisplayMode> ModesOf(Format format) {
    std::vector<DisplayMode> modes;
    for (const os::DisplayMode& m : platform_.DisplayModes())
      if (DisplayFormat(m.bpp) == format)
        modes.push_back({m.width, m.height, m.refresh, format});
    return modes;
  }

  os::Platform& platform_;
  SoftOptions options_;
};

}  // namespace

std::unique_ptr<Graphics> CreateSoftGraphics(os::Platform& platform, const SoftOptions& options) {
  return std::make_unique<SoftGraphics>(platform, options);
}

}  // namespace gfx
