// The GL device next to the software device on the same sprite scene: 10,000 and 50,000
// alpha-blended sprites of 32x32 and of 4x4 pixels into an 800x600 back buffer, batched 1000
// to a draw as the engine batches them, reported as time per sprite. The GL rows need a
// display (run the program under xvfb-run for Mesa); without one they are skipped.
#include <benchmark/benchmark.h>

#include <memory>

#include "platform/gfx/device.h"
#include "platform/gfx/sprite_scene.h"
#include "platform/os/platform.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;
enum Backend { kSoft = 0, kGl = 1 };

os::Platform& RealPlatform() {
  static const std::unique_ptr<os::Platform> platform = os::CreateSdlPlatform();
  return *platform;
}

void BM_Sprites(benchmark::State& state) {
  const int backend = int(state.range(0)), size = int(state.range(1)),
            count = int(state.range(2));
  std::unique_ptr<gfx::Graphics> adapter = backend == kGl
                                               ? gfx::CreateGlGraphics(RealPlatform(), false)
                                               : gfx::CreateSoftGraphics(RealPlatform(), {});
  gfx::PresentParams params;
  params.back_buffer_width = kWidth;
  params.back_buffer_height = kHeight;
  params.back_buffer_format = gfx::Format_X8R8G8B8;
  params.device_window = &state;
  std::unique_ptr<gfx::Device> device;
  if (!adapter || !gfx::Succeeded(adapter->CreateDevice(&state, params, &device))) {
    state.SkipWithError("no device (GL needs a display)");
    return;
  }
  gfx::SpriteScene scene(*device, kWidth, kHeight, size, count);
  if (!scene.Ready()) {
    state.SkipWithError("scene not made");
    return;
  }
  scene.DrawFrame();
  scene.Finish();
  for (auto _ : state) {
    scene.DrawFrame();
    scene.Finish();  // GL draws asynchronously: each frame counts until it is done
  }
  state.counters["ns_per_sprite"] = benchmark::Counter(
      double(state.iterations()) * count * 1e-9,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Sprites)
    ->ArgNames({"gl", "size", "sprites"})
    ->ArgsProduct({{kSoft, kGl}, {32, 4}, {10000, 50000}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
