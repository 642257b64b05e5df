// One playing sound: a source read through a small buffer and resampled to the output rate,
// with volume, pan, frequency, loop, pause and gradual slides of the three attributes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio/source.h"

namespace audio {

// Playback rates a channel accepts, in Hz.
constexpr int kMinFreq = 100;
constexpr int kMaxFreq = 200000;

enum class ChannelKind { Sample, Stream, Music };

class Channel {
 public:
  Channel(ChannelKind kind, std::unique_ptr<Source> source, uint32_t flags, uint32_t owner = 0);

  ChannelKind Kind() const { return kind_; }
  Source& GetSource() { return *source_; }
  uint32_t Owner() const { return owner_; }  // the sample of a sample playback
  uint32_t Flags() const { return flags_; }
  void SetFlags(uint32_t flags);
  bool Decoding() const;  // a decode-only channel is read, never played

  // Attributes. freq -1 or volume -1 or pan -101 leave that one alone; freq 0 is the source's
  // own rate. Setting an attribute ends its slide.
  void SetAttributes(int freq, int volume, int pan);
  void Slide(int freq, int volume, int pan, uint32_t ms, uint32_t out_rate);
  uint32_t Sliding() const { return slide_.mask; }  // bit 1 freq, 2 volume, 4 pan
  uint32_t Freq() const { return uint32_t(freq_); }
  int Volume() const { return int(volume_ * 100.0f + 0.5f); }
  int Pan() const { return int(pan_ * 100.0f + (pan_ < 0 ? -0.5f : 0.5f)); }

  // Playing state.
  void Play(bool restart);
  void Pause() { if (playing_) paused_ = true; }
  void Stop() { playing_ = paused_ = false; }
  bool Playing() const { return playing_ && !paused_; }
  bool Paused() const { return playing_ && paused_; }

  // Position in source frames and moving it.
  uint64_t Position() const;
  bool SetPosition(uint64_t frame);
  // Forgets buffered frames after the source was moved to `frame` by other means.
  void Reposition(uint64_t frame);

  // Adds `frames` frames of this channel to the stereo mix at the output rate, scaled by
  // `gain`, and advances its slides; stops the channel at the end of a source that does not
  // loop.
  void MixInto(float* mix, size_t frames, uint32_t out_rate, float gain);
  // Decode channels: the next frames of the source, not resampled.
  size_t ReadFrames(float* out, size_t frames);

 private:
  struct SlideState {
    uint32_t mask = 0;
    double from_freq = 0, to_freq = 0;
    float from_volume = 0, to_volume = 0, from_pan = 0, to_pan = 0;
    uint64_t total = 0, done = 0;
  };

  bool Refill();
  void AdvanceSlide(size_t frames);
  template <int kChannels>
  size_t Resample(float* mix, size_t frames, double step, float left, float right);
  void Rewind();

  ChannelKind kind_;
  std::unique_ptr<Source> source_;
  uint32_t flags_;
  uint32_t owner_;
  bool loops_itself_ = false;
  double freq_;
  float volume_ = 1.0f, pan_ = 0.0f;
  SlideState slide_;
  bool playing_ = false, paused_ = false;

  // Resampler: buffered source frames, the read head within them, and where they came from.
  std::vector<float> buffer_;
  size_t buffered_ = 0;        // frames in buffer_
  double head_ = 0;            // read position in buffer_, in frames
  uint64_t next_frame_ = 0;    // source frame that the next read returns
  bool source_ended_ = false;  // the source gave its last frame; a silent one was appended
};

}  // namespace audio
