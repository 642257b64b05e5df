// Feeds arbitrary bytes to the audio library's loaders as samples, streams and music, then
// plays what loaded through the mixer for a moment. Every input must end cleanly, and what
// the mixer writes must stay inside the output buffer.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio/decoder.h"
#include "platform/audio/mixer.h"
#include "platform/audio/module.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr size_t kFrames = 2048;

audio::FileBytes Bytes(const uint8_t* data, size_t size) {
  audio::FileBytes bytes;
  bytes.Take(true, data, 0, size);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!size) return 0;
  audio::Mixer mixer(kRate);
  if (auto sample = audio::DecodeSample(Bytes(data, size), false)) {
    auto s = std::make_unique<audio::Sample>();
    s->data = sample;
    s->max = 2;
    const uint32_t handle = mixer.AddSample(std::move(s));
    mixer.FindChannel(mixer.NewPlayback(handle))->Play(true);
  }
  if (auto decoder = audio::Decoder::Open(Bytes(data, size))) {
    auto stream = std::make_unique<audio::Channel>(audio::ChannelKind::Stream,
                                                   std::move(decoder), 0x4 /* loop */);
    stream->SetAttributes(int(size % 90000), 100, 0);
    stream->Play(true);
    mixer.AddChannel(std::move(stream));
  }
  if (auto module = audio::Module::Open(data, size, kRate)) {
    module->SetOrderRow(0, 0);
    auto music = std::make_unique<audio::Channel>(audio::ChannelKind::Music, std::move(module), 0);
    music->Play(true);
    mixer.AddChannel(std::move(music));
  }
  std::vector<int16_t> out(kFrames * 2);
  mixer.Render(out.data(), kFrames);
  return 0;
}
