#include "engine/gfx_backend.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/tvk_impl.h"
#include "platform/gfx/sprite_scene.h"

namespace {

// The scene both devices draw when GL renders on the CPU: the engine's common case of
// 32x32 sprites, small enough to decide within a few tens of milliseconds.
constexpr int kSceneWidth = 640, kSceneHeight = 480, kSceneSprites = 2000, kSpriteSize = 32;
constexpr double kSceneSeconds = 0.03;

// Seconds per frame of the sprite scene on one adapter's device; a negative value when the
// device or scene could not be made.
double TimeScene(gfx::Graphics& adapter, void* window) {
  gfx::PresentParams params;
  params.back_buffer_width = kSceneWidth;
  params.back_buffer_height = kSceneHeight;
  params.back_buffer_format = gfx::Format_X8R8G8B8;
  params.device_window = window;
  std::unique_ptr<gfx::Device> device;
  if (!gfx::Succeeded(adapter.CreateDevice(window, params, &device))) return -1;
  gfx::SpriteScene scene(*device, kSceneWidth, kSceneHeight, kSpriteSize, kSceneSprites);
  if (!scene.Ready()) return -1;
  scene.DrawFrame();  // first use: shaders compiled, textures uploaded
  scene.Finish();
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  int frames = 0;
  double seconds = 0;
  while (seconds < kSceneSeconds) {
    scene.DrawFrame();
    scene.Finish();
    ++frames;
    seconds = std::chrono::duration<double>(Clock::now() - start).count();
  }
  return seconds / frames;
}

std::string RendererName(gfx::Graphics& adapter) {
  gfx::AdapterIdentifier id;
  adapter.GetAdapterIdentifier(&id);
  return id.description;
}

std::unique_ptr<gfx::Graphics> Soft(TVK_Impl& e, const gfx::SoftOptions& options,
                                    const char* why) {
  e.System_WriteLog("Renderer: software (%s)", why);
  return gfx::CreateSoftGraphics(e.Platform(), options);
}

// GL on the engine's window, or the software device when the window cannot take a context.
std::unique_ptr<gfx::Graphics> Gl(TVK_Impl& e, const gfx::SoftOptions& options,
                                  const char* why) {
  std::unique_ptr<gfx::Graphics> gl = gfx::CreateGlGraphics(e.Platform(), true);
  if (!gl) return Soft(e, options, "no OpenGL 3.3 context on the window");
  e.System_WriteLog("Renderer: OpenGL, %s (%s)", RendererName(*gl).c_str(), why);
  return gl;
}

// A CPU renderer behind GL: whichever device draws the sprite scene faster.
std::unique_ptr<gfx::Graphics> Faster(TVK_Impl& e, const gfx::SoftOptions& options,
                                      std::unique_ptr<gfx::Graphics> probe) {
  void* window = e.Platform().NativeWindow();
  const double gl_time = TimeScene(*probe, window ? window : &e);
  probe.reset();
  std::unique_ptr<gfx::Graphics> soft = gfx::CreateSoftGraphics(e.Platform(), {});
  const double soft_time = TimeScene(*soft, window ? window : &e);
  char figures[96];
  std::snprintf(figures, sizeof figures, "sprite scene: OpenGL %.2f ms, software %.2f ms",
                gl_time * 1e3, soft_time * 1e3);
  if (gl_time > 0 && (soft_time < 0 || gl_time < soft_time)) return Gl(e, options, figures);
  return Soft(e, options, figures);
}

}  // namespace

std::unique_ptr<gfx::Graphics> ChooseGraphicsBackend(TVK_Impl& e,
                                                     const gfx::SoftOptions& soft_options) {
  const char* forced = std::getenv("TVK_RENDERER");
  if (forced && std::strcmp(forced, "soft") == 0) return Soft(e, soft_options, "TVK_RENDERER");
  if (forced && std::strcmp(forced, "gl") == 0) return Gl(e, soft_options, "TVK_RENDERER");
  // A hidden context of its own tells the renderer without touching the window.
  std::unique_ptr<gfx::Graphics> probe = gfx::CreateGlGraphics(e.Platform(), false);
  if (!probe) return Soft(e, soft_options, "no OpenGL 3.3");
  gfx::AdapterIdentifier id;
  probe->GetAdapterIdentifier(&id);
  if (!id.software) {
    probe.reset();
    return Gl(e, soft_options, "hardware renderer");
  }
  return Faster(e, soft_options, std::move(probe));
}
