// Cost of the audio library's mixer per playing channel, in ns per output sample frame: 1, 16
// and 64 looping playbacks of a one-second stereo sample at 48000 Hz mixed to 44100 Hz
// (so every frame is interpolated), 1024-frame blocks as the output thread asks for them.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "platform/audio/bass.h"
#include "platform/audio/mixer.h"

namespace {

constexpr uint32_t kOutputRate = 44100;
constexpr size_t kBlock = 1024;

std::shared_ptr<audio::SampleData> Tone() {
  auto tone = std::make_shared<audio::SampleData>();
  tone->channels = 2;
  tone->rate = 48000;
  tone->frames.resize(2 * 48000);
  for (size_t i = 0; i < tone->frames.size(); ++i)
    tone->frames[i] = 0.1f * std::sin(float(i) * 0.01f);
  return tone;
}

void BM_MixPerChannel(benchmark::State& state) {
  const int channels = int(state.range(0));
  audio::Mixer mixer(kOutputRate);
  auto sample = std::make_unique<audio::Sample>();
  sample->data = Tone();
  sample->max = uint32_t(channels);
  sample->flags = BASS_SAMPLE_LOOP;
  const uint32_t handle = mixer.AddSample(std::move(sample));
  for (int i = 0; i < channels; ++i) {
    audio::Channel* c = mixer.FindChannel(mixer.NewPlayback(handle));
    c->SetAttributes(-1, 50, (i * 37) % 201 - 100);
    c->Play(true);
  }
  std::vector<int16_t> out(kBlock * 2);
  for (auto _ : state) {
    mixer.Render(out.data(), kBlock);
    benchmark::DoNotOptimize(out.data());
  }
  const double channel_frames = double(state.iterations()) * kBlock * channels;
  state.counters["ns_per_channel_frame"] =
      benchmark::Counter(channel_frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.SetItemsProcessed(int64_t(channel_frames));
}
BENCHMARK(BM_MixPerChannel)->Arg(1)->Arg(16)->Arg(64);

}  // namespace
