// The mixer: the samples, the channels that play (sample playbacks, streams, music), the
// global volumes and the output pause. Render mixes every playing channel into 16-bit stereo.
// The mixer does no locking: the library guards it with one mutex that the output thread
// takes around Render.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio/channel.h"
#include "platform/audio/handle_table.h"
#include "platform/audio/source.h"

namespace audio {

// Kind tags of handles.
enum HandleKind : uint32_t {
  kKindSample = 1,
  kKindPlayback = 2,
  kKindStream = 3,
  kKindMusic = 4,
  kKindDecoder = 5,  // decode-only streams, which the library keeps outside the mixer
};

struct Sample {
  std::shared_ptr<const SampleData> data;
  uint32_t max = 1;    // simultaneous playbacks
  uint32_t flags = 0;  // BASS_SAMPLE_* flags, inherited by each playback
  std::vector<uint32_t> playbacks;
};

class Mixer {
 public:
  explicit Mixer(uint32_t rate) : rate_(rate) {}

  uint32_t Rate() const { return rate_; }

  // Writes `frames` frames of interleaved 16-bit stereo.
  void Render(int16_t* out, size_t frames);

  // Output control: a paused output renders silence and every channel keeps its place.
  void SetPaused(bool paused) { paused_ = paused; }
  bool Paused() const { return paused_; }
  void StopAll();
  // Global volume of one kind; false for an unknown option or a value above 100.
  bool SetGlobalVolume(uint32_t option, uint32_t value);

  uint32_t AddSample(std::unique_ptr<Sample> sample) {
    return samples_.Add(std::move(sample), kKindSample);
  }
  Sample* FindSample(uint32_t handle) const { return samples_.Find(handle); }
  bool FreeSample(uint32_t handle);
  // A new playback channel of the sample; when all its playbacks are busy, one that is
  // stopped or (with an override flag) the quietest or longest-playing is replaced. 0 when
  // none can be had.
  uint32_t NewPlayback(uint32_t sample_handle);

  uint32_t AddChannel(std::unique_ptr<Channel> channel);
  // The channel of a playback, stream or music handle.
  Channel* FindChannel(uint32_t handle) const;
  Channel* FindChannel(uint32_t handle, ChannelKind kind) const;
  bool FreeChannel(uint32_t handle, ChannelKind kind);

 private:
  float KindGain(ChannelKind kind) const;
  uint32_t PlaybackToReplace(const Sample& sample) const;

  uint32_t rate_;
  bool paused_ = false;
  int sample_volume_ = 100, stream_volume_ = 100, music_volume_ = 100;
  HandleTable<Sample> samples_;
  HandleTable<Channel> channels_;
  std::vector<float> mix_;
};

}  // namespace audio
