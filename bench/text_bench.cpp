// Text costs: Font::Render of an 80-character line on a device that counts draws without
// rasterizing (the font, sprite and batcher work per glyph), and building "Arial" 16 bold
// through the font manager cold and fetching it again warm.
#include <benchmark/benchmark.h>

#include "bench/counting_scene.h"
#include "kit/draw/registry.h"
#include "kit/text/font_manager.h"

namespace {

// The counting scene, its engine set as the registry's engine for the font manager.
class TextScene : public CountingScene {
 public:
  TextScene() { Registry_SetEngine(engine()); }
  ~TextScene() {
    FontManager::Get()->Clear();
    Registry_SetEngine(nullptr);
  }
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
