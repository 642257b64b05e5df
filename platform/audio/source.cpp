#include "platform/audio/source.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace audio {

std::shared_ptr<SampleData> SampleFromPcm(const uint8_t* pcm, size_t bytes, int channels,
                                          uint32_t rate, bool eight_bit) {
  const size_t width = PcmBytes(eight_bit);
  const size_t count = bytes / (width * size_t(channels)) * size_t(channels);
  if (!count) return nullptr;
  auto sample = std::make_shared<SampleData>();
  sample->channels = channels;
  sample->rate = rate;
  sample->frames.resize(count);
  for (size_t i = 0; i < count; ++i) {
    if (eight_bit) {
      sample->frames[i] = (float(pcm[i]) - 128.0f) / 128.0f;
    } else {
      int16_t v;
      memcpy(&v, pcm + 2 * i, 2);
      sample->frames[i] = float(v) / 32768.0f;
    }
  }
  return sample;
}

void FloatToPcm(const float* in, size_t count, bool eight_bit, uint8_t* out) {
  for (size_t i = 0; i < count; ++i) {
    if (eight_bit) {
      out[i] = uint8_t(std::clamp(std::lrint(in[i] * 128.0f), -128L, 127L) + 128);
    } else {
      const int16_t s = int16_t(std::clamp(std::lrint(in[i] * 32768.0f), -32768L, 32767L));
      memcpy(out + 2 * i, &s, 2);
    }
  }
}

size_t SampleSource::Read(float* out, size_t frames) {
  const uint64_t left = Length() - std::min(pos_, Length());
  const size_t n = size_t(std::min<uint64_t>(frames, left));
  const size_t ch = size_t(data_->channels);
  if (n) memcpy(out, data_->frames.data() + pos_ * ch, n * ch * sizeof(float));
  pos_ += n;
  return n;
}

bool SampleSource::Seek(uint64_t frame) {
  if (frame > Length()) return false;
  pos_ = frame;
  return true;
}

}  // namespace audio
