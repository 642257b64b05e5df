#include "platform/audio/mixer.h"

#include <algorithm>
#include <cmath>

#include "platform/audio/bass.h"

namespace audio {

namespace {

constexpr size_t kRenderBlock = 1024;

uint32_t KindTag(ChannelKind kind) {
  switch (kind) {
    case ChannelKind::Sample: return kKindPlayback;
    case ChannelKind::Stream: return kKindStream;
    case ChannelKind::Music: return kKindMusic;
  }
  return 0;
}


}  // namespace

void Mixer::Render(int16_t* out, size_t frames) {
  while (frames) {
    const size_t n = std::min(frames, kRenderBlock);
    mix_.assign(n * 2, 0.0f);
    if (!paused_) {
      channels_.ForEach([&](uint32_t, Channel& c) {
        if (c.Playing()) c.MixInto(mix_.data(), n, rate_, KindGain(c.Kind()));
      });
    }
    FloatToPcm(mix_.data(), n * 2, false, reinterpret_cast<uint8_t*>(out));
    out += n * 2;
    frames -= n;
  }
}

float Mixer::KindGain(ChannelKind kind) const {
  switch (kind) {
    case ChannelKind::Sample: return float(sample_volume_) / 100.0f;
    case ChannelKind::Stream: return float(stream_volume_) / 100.0f;
    case ChannelKind::Music: return float(music_volume_) / 100.0f;
  }
  return 0.0f;
}

void Mixer::StopAll() {
  channels_.ForEach([](uint32_t, Channel& c) { c.Stop(); });
  paused_ = true;
}

bool Mixer::SetGlobalVolume(uint32_t option, uint32_t value) {
  if (value > 100) return false;
  switch (option) {
    case BASS_CONFIG_GVOL_SAMPLE: sample_volume_ = int(value); return true;
    case BASS_CONFIG_GVOL_STREAM: stream_volume_ = int(value); return true;
    case BASS_CONFIG_GVOL_MUSIC: music_volume_ = int(value); return true;
  }
  return false;
}

bool Mixer::FreeSample(uint32_t handle) {
  Sample* sample = samples_.Find(handle);
  if (!sample) return false;
  for (uint32_t playback : sample->playbacks) channels_.Remove(playback);
  return samples_.Remove(handle);
}

uint32_t Mixer::PlaybackToReplace(const Sample& sample) const {
  uint32_t pick = 0;
  double best = 0;
  for (uint32_t handle : sample.playbacks) {
    const Channel* c = channels_.Find(handle);
    if (!c->Playing() && !c->Paused()) return handle;
    // Lower volume or a later position makes a better candidate.
    const double score = (sample.flags & BASS_SAMPLE_OVER_VOL) ? 1.0 - c->Volume() / 101.0
                                                               : double(c->Position()) + 1.0;
    if (score > best) {
      best = score;
      pick = handle;
    }
  }
  return (sample.flags & (BASS_SAMPLE_OVER_VOL | BASS_SAMPLE_OVER_POS)) ? pick : 0;
}

uint32_t Mixer::NewPlayback(uint32_t sample_handle) {
  Sample* sample = samples_.Find(sample_handle);
  if (!sample) return 0;
  if (sample->playbacks.size() >= sample->max) {
    const uint32_t old = PlaybackToReplace(*sample);
    if (!old) return 0;
    channels_.Remove(old);
    std::erase(sample->playbacks, old);
  }
  auto channel = std::make_unique<Channel>(
      ChannelKind::Sample, std::make_unique<SampleSource>(sample->data),
      sample->flags, sample_handle);
  const uint32_t handle = channels_.Add(std::move(channel), kKindPlayback);
  if (handle) sample->playbacks.push_back(handle);
  return handle;
}

uint32_t Mixer::AddChannel(std::unique_ptr<Channel> channel) {
  const uint32_t kind = KindTag(channel->Kind());
  return channels_.Add(std::move(channel), kind);
}

Channel* Mixer::FindChannel(uint32_t handle) const { return channels_.Find(handle); }

Channel* Mixer::FindChannel(uint32_t handle, ChannelKind kind) const {
  Channel* c = channels_.Find(handle);
  return c && c->Kind() == kind ? c : nullptr;
}

bool Mixer::FreeChannel(uint32_t handle, ChannelKind kind) {
  return FindChannel(handle, kind) && channels_.Remove(handle);
}

}  // namespace audio
