// The adapter of the GL device: identification from the context's strings, the platform's
// display modes (as the software adapter reads them) and device creation.
#include <epoxy/gl.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/gfx/device.h"
#include "platform/gfx/gl/gl_device.h"
#include "platform/gfx/soft/soft_device.h"

namespace gfx {
namespace {

std::string GlString(GLenum name) {
  const auto* s = reinterpret_cast<const char*>(glGetString(name));
  return s ? s : "";
}

// The last dotted number group of a version string ("4.5 (Core Profile) Mesa 22.3.6" gives
// 22.3.6.0), as four 16-bit parts.
uint64_t DriverVersion(const std::string& version) {
  unsigned parts[4] = {0, 0, 0, 0};
  for (size_t at = 0; at < version.size(); ++at) {
    if (!std::isdigit(static_cast<unsigned char>(version[at])) ||
        (at > 0 && version[at - 1] != ' '))
      continue;
    unsigned found[4] = {0, 0, 0, 0};
    if (std::sscanf(version.c_str() + at, "%u.%u.%u.%u", &found[0], &found[1], &found[2],
                    &found[3]) >= 2)
      std::copy(found, found + 4, parts);
  }
  uint64_t v = 0;
  for (unsigned p : parts) v = v << 16 | (p & 0xFFFF);
  return v;
}

bool IsSoftwareRenderer(const std::string& renderer) {
  std::string lower;
  for (char c : renderer) lower += char(std::tolower(static_cast<unsigned char>(c)));
  for (const char* name : {"llvmpipe", "softpipe", "swrast", "software"})
    if (lower.find(name) != std::string::npos) return true;
  return false;
}

class GlGraphics final : public Graphics {
 public:
  GlGraphics(os::Platform& platform, std::shared_ptr<gl::GlShared> shared)
      : platform_(platform), shared_(std::move(shared)), modes_(CreateSoftGraphics(platform, {})) {}

  Result GetAdapterIdentifier(AdapterIdentifier* out) override {
    if (!out || !shared_->Use()) return Result::InvalidCall;
    const std::string version = GlString(GL_VERSION), renderer = GlString(GL_RENDERER);
    out->driver = "OpenGL " + version;
    out->description = renderer + " (" + GlString(GL_VENDOR) + ")";
    out->driver_version = DriverVersion(version);
    out->software = IsSoftwareRenderer(renderer);
    return Result::Ok;
  }

  Result GetAdapterDisplayMode(DisplayMode* out) override {
    return modes_->GetAdapterDisplayMode(out);
  }
  int GetAdapterModeCount(Format format) override { return modes_->GetAdapterModeCount(format); }
  Result EnumAdapterModes(Format format, int index, DisplayMode* out) override {
    return modes_->EnumAdapterModes(format, index, out);
  }

  Result CreateDevice(void* focus_window, const PresentParams& params,
                      std::unique_ptr<Device>* out) override {
    PresentParams checked;
    const Result r = CheckDeviceRequest(platform_, focus_window, params, out, &checked);
    if (r != Result::Ok) return r;
    if (!shared_->Use()) return Result::DeviceLost;
    auto device = std::make_unique<gl::GlDevice>(platform_, shared_, checked);
    if (!device->Ready()) return Result::NotAvailable;
    *out = std::move(device);
    return Result::Ok;
  }

 private:
  os::Platform& platform_;
  std::shared_ptr<gl::GlShared> shared_;
  std::unique_ptr<Graphics> modes_;
};

}  // namespace

std::unique_ptr<Graphics> CreateGlGraphics(os::Platform& platform, bool on_window) {
  auto shared = std::make_shared<gl::GlShared>();
  shared->context = platform.CreateGlContext(on_window);
  if (!shared->context || epoxy_gl_version() < 33) return nullptr;
  shared->s3tc = epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc");
  return std::make_unique<GlGraphics>(platform, std::move(shared));
}

}  // namespace gfx
