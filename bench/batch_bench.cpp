// Cost of one quad submitted through Gfx_DrawQuad with batching: on a device that only counts
// (the engine's own overhead) and on the software device rasterizing 32x32 textured quads. The
// quads go into an 800x600 render target, so presenting a frame does not count.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "engine/tvk_impl.h"
#include "tests/support/fake_platform.h"

namespace {

constexpr int kQuadsPerFrame = 10000;  // ten full batches

// The engine on the fake OS layer with one 32x32 texture and an 800x600 render target;
// released when the benchmark ends.
class Engine {
 public:
  explicit Engine(bool rasterize) {
    e_ = static_cast<TVK_Impl*>(TVK_Create(TVK_VERSION));
    e_->UsePlatform(std::make_unique<FakePlatform>());
    e_->gfx.soft_options.rasterize = rasterize;
    e_->System_SetBool(State_UseSound, false);
    e_->System_SetBool(State_Windowed, true);
    ok_ = e_->System_Initiate();
    if (!ok_) return;
    tex_ = e_->Texture_Create(32, 32);
    uint32_t* p = e_->Texture_Lock(tex_, false, 0, 0, 0, 0);
    for (int i = 0; p && i < 32 * 32; ++i) p[i] = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
    e_->Texture_Unlock(tex_);
    target_ = e_->Target_Create(800, 600, false);
    ok_ = tex_ && target_;
  }
  ~Engine() { e_->Release(); }
  bool ok() const { return ok_; }
  TVK_Impl* e() { return e_; }
  TextureHandle tex() const { return tex_; }
  TargetHandle target() const { return target_; }

 private:
  TVK_Impl* e_;
  bool ok_ = false;
  TextureHandle tex_ = 0;
  TargetHandle target_ = 0;
};

// Quads of 32x32 pixels spread over an 800x600 screen, all with the same texture and blend.
std::vector<Quad> MakeQuads(TextureHandle tex) {
  std::vector<Quad> quads(kQuadsPerFrame);
  for (int i = 0; i < kQuadsPerFrame; ++i) {
    const float x = float(i * 37 % 768), y = float(i * 53 % 568);
    Quad& q = quads[i];
    q.v[0] = {x, y, 0.5f, 0xFFFFFFFF, 0, 0};
    q.v[1] = {x + 32, y, 0.5f, 0xFFFFFFFF, 1, 0};
    q.v[2] = {x + 32, y + 32, 0.5f, 0xFFFFFFFF, 1, 1};
    q.v[3] = {x, y + 32, 0.5f, 0xFFFFFFFF, 0, 1};
    q.tex = tex;
    q.blend = Blend_Default;
  }
  return quads;
}

void DrawQuads(benchmark::State& state, bool rasterize) {
  Engine engine(rasterize);
  if (!engine.ok()) {
    state.SkipWithError("System_Initiate failed");
    return;
  }
  const std::vector<Quad> quads = MakeQuads(engine.tex());
  TVK_Impl* e = engine.e();
  for (auto _ : state) {
    e->Gfx_BeginScene(engine.target());
    for (const Quad& q : quads) e->Gfx_DrawQuad(&q);
    e->Gfx_EndScene();
  }
  state.SetItemsProcessed(state.iterations() * kQuadsPerFrame);
  state.counters["ns_per_quad"] = benchmark::Counter(
      double(state.iterations()) * kQuadsPerFrame,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_DrawQuadCounting(benchmark::State& state) { DrawQuads(state, false); }
void BM_DrawQuadRasterizing32x32(benchmark::State& state) { DrawQuads(state, true); }

BENCHMARK(BM_DrawQuadCounting);
BENCHMARK(BM_DrawQuadRasterizing32x32);

}  // namespace
