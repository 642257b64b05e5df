// Sound sources: anything that yields float frames (interleaved, one or two channels) for a
// channel to play. Samples hold their frames in memory; files are decoded as they play.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace audio {

// Rates a source may have, in Hz; files outside are refused.
constexpr uint32_t kMinRate = 100;
constexpr uint32_t kMaxRate = 1000000;

class Source {
 public:
  virtual ~Source() = default;
  virtual int Channels() const = 0;      // 1 or 2
  virtual uint32_t Rate() const = 0;     // frames per second
  virtual uint64_t Length() const = 0;   // in frames
  // Reads up to `frames` frames into `out`; fewer only at the end, 0 after it.
  virtual size_t Read(float* out, size_t frames) = 0;
  virtual bool Seek(uint64_t frame) = 0;
  // Music loops through its own order list and answers true; other sources are looped by
  // the channel seeking back to the start, and answer false.
  virtual bool LoopsItself(bool /*loop*/) { return false; }
};

// Decoded sound held whole in memory; shared by every playback of a sample.
struct SampleData {
  std::vector<float> frames;  // interleaved
  int channels = 1;
  uint32_t rate = 44100;
  uint64_t FrameCount() const { return frames.size() / size_t(channels); }
};

// Integer PCM as the library's callers see it: 8-bit unsigned or 16-bit signed samples.
inline size_t PcmBytes(bool eight_bit) { return eight_bit ? 1 : 2; }
// A sample made from `bytes` bytes of interleaved PCM; a partial last frame is dropped.
// Null when no whole frame is given.
std::shared_ptr<SampleData> SampleFromPcm(const uint8_t* pcm, size_t bytes, int channels,
                                          uint32_t rate, bool eight_bit);
// Writes `count` float samples as PCM, clipping to full scale.
void FloatToPcm(const float* in, size_t count, bool eight_bit, uint8_t* out);

// One playback's read position in a sample.
class SampleSource final : public Source {
 public:
  explicit SampleSource(std::shared_ptr<const SampleData> data) : data_(std::move(data)) {}
  int Channels() const override { return data_->channels; }
  uint32_t Rate() const override { return data_->rate; }
  uint64_t Length() const override { return data_->FrameCount(); }
  size_t Read(float* out, size_t frames) override;
  bool Seek(uint64_t frame) override;

 private:
  std::shared_ptr<const SampleData> data_;
  uint64_t pos_ = 0;
};

}  // namespace audio
