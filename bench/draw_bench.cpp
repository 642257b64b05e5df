// Drawing-class costs: sprite draws and particle draws on a device that counts draws without
// rasterizing (the cost of the classes and the batcher), and particle updates.
#include <benchmark/benchmark.h>

#include "bench/counting_scene.h"
#include "engine/tvk_impl.h"
#include "kit/draw/particle_emitter.h"

namespace {

// Particles that turn, fall, grow, spin and fade over a life long enough to outlast the run.
EmitterDesc BusyDesc(Sprite* sprite, float particle_life) {
  EmitterDesc d{};
  d.sprite = sprite;
  d.emission = kMaxParticles;
  d.lifetime = -1.0f;
  d.particle_life_min = d.particle_life_max = particle_life;
  d.spread = 6.28f;
  d.speed_min = 20.0f;
  d.speed_max = 80.0f;
  d.gravity_min = 5.0f;
  d.gravity_max = 15.0f;
  d.radial_accel_min = -10.0f;
  d.radial_accel_max = 10.0f;
  d.tangential_accel_min = 5.0f;
  d.tangential_accel_max = 25.0f;
  d.size_start = 1.0f;
  d.size_end = 2.0f;
  d.spin_start = 0.5f;
  d.spin_end = 2.0f;
  d.color_start = {1.0f, 0.8f, 0.2f, 1.0f};
  d.color_end = {0.6f, 0.1f, 0.0f, 0.0f};
  return d;
}

// Reports the time per particle handled (particles summed over all iterations).
void ReportPerParticle(benchmark::State& state, double particles) {
  state.counters["per_particle"] =
      benchmark::Counter(particles, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// 500 live particles moving, none born or dying.
void BM_EmitterUpdateFull(benchmark::State& state) {
  TVK* engine = TVK_Create(TVK_VERSION);
  engine->Random_SetSeed(7);
  Sprite sprite(0, 0, 0, 8, 8);
  const EmitterDesc desc = BusyDesc(&sprite, 1e9f);
  ParticleEmitter emitter(&desc);
  emitter.StartAt(400, 300);
  emitter.Update(1.0f);
  emitter.Stop(false);
  for (auto _ : state) emitter.Update(1.0f / 60);
  ReportPerParticle(state, double(state.iterations()) * emitter.GetParticlesAlive());
  engine->Release();
}
BENCHMARK(BM_EmitterUpdateFull);

// About 500 live particles with a steady stream of births and deaths.
void BM_EmitterUpdateSteady(benchmark::State& state) {
  TVK* engine = TVK_Create(TVK_VERSION);
  engine->Random_SetSeed(7);
  Sprite sprite(0, 0, 0, 8, 8);
  const EmitterDesc desc = BusyDesc(&sprite, 1.0f);
  ParticleEmitter emitter(&desc);
  emitter.StartAt(400, 300);
  for (int i = 0; i < 120; ++i) emitter.Update(1.0f / 60);
  int64_t particles = 0;
  for (auto _ : state) {
    emitter.Update(1.0f / 60);
    particles += emitter.GetParticlesAlive();
  }
  ReportPerParticle(state, double(particles));
  engine->Release();
}
BENCHMARK(BM_EmitterUpdateSteady);

void BM_SpriteDraw(benchmark::State& state) {
  CountingScene scene;
  if (!scene.Ready(state)) return;
  Sprite sprite(0, 0, 0, 32, 32);
  float x = 0;
  for (auto _ : state) {
    sprite.Draw(x, 100);
    x = x < 700 ? x + 1 : 0;
  }
}
BENCHMARK(BM_SpriteDraw);

// Every particle is recoloured, turned, scaled and submitted as one quad.
void BM_EmitterDrawFull(benchmark::State& state) {
  CountingScene scene;
  if (!scene.Ready(state)) return;
  Sprite sprite(0, 0, 0, 8, 8);
  sprite.SetHotSpot(4, 4);
  const EmitterDesc desc = BusyDesc(&sprite, 1e9f);
  ParticleEmitter emitter(&desc);
  emitter.StartAt(400, 300);
  emitter.Update(1.0f);
  emitter.Update(0.5f);
  for (auto _ : state) emitter.Draw();
  ReportPerParticle(state, double(state.iterations()) * emitter.GetParticlesAlive());
}
BENCHMARK(BM_EmitterDrawFull);

}  // namespace
