// Tile-map and keyframed-model costs on the counting device: drawing the demo-sized map,
// blending the runner-sized model's vertices, and drawing its cells.
#include <benchmark/benchmark.h>

#include "bench/counting_scene.h"
#include "kit/anim/anim_model.h"
#include "kit/tilemap/tile_map.h"

namespace {

// 252 tiles of 50x50 over an 800x600 screen, all on one texture.
void BM_TileMapRender(benchmark::State& state) {
  CountingScene scene;
  if (!scene.Ready(state)) return;
  TileMap map;
  for (int i = 0; i < 252; ++i) map.AddTile(0, float(i % 10) * 50, 0, 50, 50, float(i % 16) * 50, float(i / 16) * 50);
  map.Build();
  for (auto _ : state) map.Render();
  state.SetItemsProcessed(int64_t(state.iterations()) * 252);
}
BENCHMARK(BM_TileMapRender);

// The runner's shape: four limbs of 1x8 cells, a torso of 2x4, a head of 2x2, 8 key frames.
AnimModel RunnerShapedModel() {
  AnimModel model;
  model.Reset(8);
  for (int limb = 0; limb < 4; ++limb) model.AddPart("missing.png", 1, 8);
  model.AddPart("missing.png", 2, 4);
  model.AddPart("missing.png", 2, 2);
  for (int frame = 0; frame < 8; ++frame)
    for (int column = 0; column <= 1; ++column)
      for (int row = 0; row <= 8; ++row) model.SetKeyPosition(0, frame, column, row, float(frame), float(row));
  model.Play();
  return model;
}

void BM_AnimModelUpdate(benchmark::State& state) {
  CountingScene scene;
  if (!scene.Ready(state)) return;
  AnimModel model = RunnerShapedModel();
  for (auto _ : state) model.Update(1.0f / 60);
}
BENCHMARK(BM_AnimModelUpdate);

void BM_AnimModelRender(benchmark::State& state) {
  CountingScene scene;
  if (!scene.Ready(state)) return;
  AnimModel model = RunnerShapedModel();
  model.Update(0.1f);
  for (auto _ : state) model.Render(300, 300);
}
BENCHMARK(BM_AnimModelRender);

}  // namespace
