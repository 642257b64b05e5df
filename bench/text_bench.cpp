// Text costs: Font::Render of an 80-character line on a device that counts draws without
// rasterizing (the font, sprite and batcher work per glyph), and building "Arial" 16 bold
// through the font manager cold and fetching it again warm.
#include <benchmark/benchmark.h>

#include <memory>

#include "engine/tvk_impl.h"
#include "kit/draw/registry.h"
#include "kit/text/font_manager.h"
#include "tests/support/fake_platform.h"

namespace {

// The engine on the fake OS layer with the counting device, inside a scene for the whole run,
// and set as the registry's engine for the font manager.
class TextScene {
 public:
  TextScene() : engine_(static_cast<TVK_Impl*>(TVK_Create(TVK_VERSION))) {
    engine_->UsePlatform(std::make_unique<FakePlatform>());
    engine_->gfx.soft_options.rasterize = false;
    engine_->System_SetBool(State_UseSound, false);
    engine_->System_SetBool(State_Windowed, true);
    ok_ = engine_->System_Initiate() && engine_->Gfx_BeginScene(0);
    Registry_SetEngine(engine_);
  }
  ~TextScene() {
    FontManager::Get()->Clear();
    Registry_SetEngine(nullptr);
    if (ok_) engine_->Gfx_EndScene();
    engine_->Release();
  }
  bool Ready(benchmark::State& state) const {
    if (!ok_) state.SkipWithError(engine_->System_GetLastError());
    return ok_;
  }

 private:
  TVK_Impl* engine_;
  bool ok_ = false;
};

constexpr char kLine[] =
    "The quick brown fox jumps over the lazy dog; 0123456789 (FPS: 60) Tarvok engine!";
static_assert(sizeof kLine - 1 == 80);

void BM_RenderLine(benchmark::State& state) {
  TextScene scene;
  if (!scene.Ready(state)) return;
  Font* font = FontManager::Get()->GetFont(false, "Arial", 16, true, false);
  if (font == nullptr) return state.SkipWithError("no font");
  for (auto _ : state) font->Render(10, 10, int(state.range(0)), kLine);
  state.SetItemsProcessed(state.iterations() * 80);  // items: glyphs
}
BENCHMARK(BM_RenderLine)->Arg(Align_Left)->Arg(Align_Center);

void BM_ManagerCold(benchmark::State& state) {
  TextScene scene;
  if (!scene.Ready(state)) return;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FontManager::Get()->GetFont(false, "Arial", 16, true, false));
    state.PauseTiming();
    FontManager::Get()->Clear();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ManagerCold)->Unit(benchmark::kMillisecond);

void BM_ManagerWarm(benchmark::State& state) {
  TextScene scene;
  if (!scene.Ready(state)) return;
  FontManager::Get()->GetFont(false, "Arial", 16, true, false);
  for (auto _ : state) {
    benchmark::DoNotOptimize(FontManager::Get()->GetFont(false, "Arial", 16, true, false));
  }
}
BENCHMARK(BM_ManagerWarm);

}  // namespace
