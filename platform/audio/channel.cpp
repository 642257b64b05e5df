#include "platform/audio/channel.h"

#include <algorithm>
#include <cstring>

#include "platform/audio/bass.h"

namespace audio {

namespace {

constexpr size_t kBufferFrames = 1024;
constexpr size_t kSlideStepFrames = 64;  // slides move in steps this long
constexpr int kNoPan = -101;

double ClampFreq(double freq) { return std::clamp(freq, double(kMinFreq), double(kMaxFreq)); }
float Volume01(int volume) { return float(std::clamp(volume, 0, 100)) / 100.0f; }
float PanUnit(int pan) { return float(std::clamp(pan, -100, 100)) / 100.0f; }

}  // namespace

Channel::Channel(ChannelKind kind, std::unique_ptr<Source> source, uint32_t flags, uint32_t owner)
    : kind_(kind), source_(std::move(source)), flags_(flags), owner_(owner),
      freq_(source_->Rate()),
      buffer_(kBufferFrames * size_t(source_->Channels())) {
  loops_itself_ = source_->LoopsItself(flags_ & BASS_SAMPLE_LOOP);
}

void Channel::SetFlags(uint32_t flags) {
  flags_ = (flags_ & ~BASS_SAMPLE_LOOP) | (flags & BASS_SAMPLE_LOOP);
  loops_itself_ = source_->LoopsItself(flags_ & BASS_SAMPLE_LOOP);
}

bool Channel::Decoding() const { return flags_ & BASS_STREAM_DECODE; }

void Channel::SetAttributes(int freq, int volume, int pan) {
  if (freq >= 0) {
    freq_ = freq == 0 ? source_->Rate() : ClampFreq(freq);
    slide_.mask &= ~1u;
  }
  if (volume != -1) {
    volume_ = Volume01(volume);
    slide_.mask &= ~2u;
  }
  if (pan != kNoPan) {
    pan_ = PanUnit(pan);
    slide_.mask &= ~4u;
  }
}

void Channel::Slide(int freq, int volume, int pan, uint32_t ms, uint32_t out_rate) {
  slide_.total = uint64_t(ms) * out_rate / 1000;
  if (slide_.total == 0) {
    SetAttributes(freq, volume, pan);
    return;
  }
  slide_ = {0, freq_, freq_, volume_, volume_, pan_, pan_, slide_.total, 0};
  if (freq >= 0) {
    slide_.to_freq = freq == 0 ? source_->Rate() : ClampFreq(freq);
    slide_.mask |= 1;
  }
  if (volume != -1) {
    slide_.to_volume = Volume01(volume);
    slide_.mask |= 2;
  }
  if (pan != kNoPan) {
    slide_.to_pan = PanUnit(pan);
    slide_.mask |= 4;
  }
}

void Channel::AdvanceSlide(size_t frames) {
  if (!slide_.mask) return;
  slide_.done = std::min(slide_.total, slide_.done + frames);
  const double t = double(slide_.done) / double(slide_.total);
  if (slide_.mask & 1) freq_ = slide_.from_freq + (slide_.to_freq - slide_.from_freq) * t;
  if (slide_.mask & 2)
    volume_ = slide_.from_volume + (slide_.to_volume - slide_.from_volume) * float(t);
  if (slide_.mask & 4) pan_ = slide_.from_pan + (slide_.to_pan - slide_.from_pan) * float(t);
  if (slide_.done == slide_.total) slide_.mask = 0;
}

void Channel::Play(bool restart) {
  if (restart || (source_ended_ && size_t(head_) + 1 >= buffered_)) Rewind();
  playing_ = true;
  paused_ = false;
}

void Channel::Rewind() {
  if (source_->Seek(0)) Reposition(0);
}

void Channel::Reposition(uint64_t frame) {
  buffered_ = 0;
  head_ = 0;
  next_frame_ = frame;
  source_ended_ = false;
}

bool Channel::SetPosition(uint64_t frame) {
  if (!source_->Seek(frame)) return false;
  Reposition(frame);
  return true;
}

uint64_t Channel::Position() const {
  const size_t real = buffered_ - (source_ended_ ? 1 : 0);
  const size_t consumed = std::min(size_t(head_), real);
  const uint64_t remaining = real - consumed;
  if (remaining <= next_frame_) return next_frame_ - remaining;
  // The buffer still holds frames from before the loop went back to the start.
  const uint64_t length = source_->Length();
  return length > remaining - next_frame_ ? length - (remaining - next_frame_) : 0;
}

// Drops the frames behind the read head and reads more; at the end of a looping source
// reading goes on from its start. At the very end one silent frame is appended, so the last
// real frame has a partner to interpolate with. False when nothing more can come.
bool Channel::Refill() {
  const size_t ch = size_t(source_->Channels());
  const size_t drop = std::min(size_t(head_), buffered_);
  memmove(buffer_.data(), buffer_.data() + drop * ch, (buffered_ - drop) * ch * sizeof(float));
  buffered_ -= drop;
  head_ -= double(drop);
  if (source_ended_) return false;
  float* dst = buffer_.data() + buffered_ * ch;
  size_t n = source_->Read(dst, kBufferFrames - buffered_);
  if (n == 0 && (flags_ & BASS_SAMPLE_LOOP) && !loops_itself_ && next_frame_ > 0 &&
      source_->Seek(0)) {
    next_frame_ = 0;
    n = source_->Read(dst, kBufferFrames - buffered_);
  }
  if (n == 0) {
    std::fill(dst, dst + ch, 0.0f);
    source_ended_ = true;
    n = 1;
  } else {
    next_frame_ += n;
  }
  buffered_ += n;
  return true;
}

template <int kChannels>
size_t Channel::Resample(float* mix, size_t frames, double step, float left, float right) {
  for (size_t t = 0; t < frames; ++t) {
    size_t i = size_t(head_);
    while (i + 1 >= buffered_) {
      if (!Refill()) return t;
      i = size_t(head_);
    }
    const float f = float(head_ - double(i));
    const float* p = buffer_.data() + i * kChannels;
    if constexpr (kChannels == 1) {
      const float s = p[0] + (p[1] - p[0]) * f;
      mix[2 * t] += s * left;
      mix[2 * t + 1] += s * right;
    } else {
      mix[2 * t] += (p[0] + (p[2] - p[0]) * f) * left;
      mix[2 * t + 1] += (p[1] + (p[3] - p[1]) * f) * right;
    }
    head_ += step;
  }
  return frames;
}

void Channel::MixInto(float* mix, size_t frames, uint32_t out_rate, float gain) {
  size_t done = 0;
  while (done < frames && Playing()) {
    const size_t n = slide_.mask ? std::min(frames - done, kSlideStepFrames) : frames - done;
    const double step = freq_ / out_rate;
    const float level = gain * volume_;
    const float left = pan_ > 0 ? level * (1.0f - pan_) : level;
    const float right = pan_ < 0 ? level * (1.0f + pan_) : level;
    const size_t got = source_->Channels() == 1
                           ? Resample<1>(mix + 2 * done, n, step, left, right)
                           : Resample<2>(mix + 2 * done, n, step, left, right);
    AdvanceSlide(got);
    done += got;
    if (got < n) Stop();
  }
}

size_t Channel::ReadFrames(float* out, size_t frames) {
  const size_t n = source_->Read(out, frames);
  next_frame_ += n;
  return n;
}

}  // namespace audio
