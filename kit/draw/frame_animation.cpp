#include "kit/draw/frame_animation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// More whole periods than this in one update are not stepped through one by one with float
// subtractions (which stop making progress once the time is large against the period).
constexpr double kExactStepLimit = 4096;

int64_t TruncateToInt(float value) {
  constexpr float kLimit = 2147483648.0f;
  return value > -kLimit && value < kLimit ? int64_t(value) : 0;
}

float SecondsPerFrame(float fps) {
  return fps > 0.0f && std::isfinite(fps) ? 1.0f / fps : std::numeric_limits<float>::infinity();
}

}  // namespace

FramePlace LocateFrame(const FrameLayout& layout, int frame) {
  const float x = float(frame) * layout.width + layout.region_x;
  const int64_t frame_width = TruncateToInt(layout.width);
  const int64_t per_row = frame_width >= 1 ? layout.image_width / frame_width : 0;
  if (per_row < 1 || !(x > float(layout.image_width) - layout.width)) {
    return {x, layout.region_y};
  }
  const int64_t first_row =
      TruncateToInt(float(layout.image_width) - layout.region_x) / frame_width;
  const int64_t m = frame - first_row;
  return {float(m % per_row) * layout.width,
          layout.region_y + float(m / per_row + 1) * layout.height};
}

FrameAnimation::FrameAnimation(TextureHandle texture, int frames, float fps, float x, float y,
                               float w, float h)
    : Sprite(texture, x, y, w, h),
      image_width_(Engine()->Texture_GetWidth(texture, true)),
      seconds_per_frame_(SecondsPerFrame(fps)),
      frame_count_(std::max(frames, 1)) {
  SetFrame(0);
}

void FrameAnimation::Play() {
  playing_ = true;
  time_since_frame_ = -1.0f;
  GoToFirstFrame();
}

void FrameAnimation::SetMode(uint32_t mode) {
  mode_ = mode;
  GoToFirstFrame();
}

void FrameAnimation::GoToFirstFrame() {
  if (mode_ & AnimMode_Backward) {
    step_ = -1;
    SetFrame(frame_count_ - 1);
  } else {
    step_ = 1;
    SetFrame(0);
  }
}

void FrameAnimation::SetSpeed(float fps) { seconds_per_frame_ = SecondsPerFrame(fps); }

void FrameAnimation::SetFrameCount(int frames) {
  frame_count_ = std::max(frames, 1);
  SetFrame(current_frame_);
}

void FrameAnimation::SetFrame(int frame) {
  int n = frame % frame_count_;
  if (n < 0) n += frame_count_;
  current_frame_ = n;
  FrameLayout layout{0, 0, GetWidth(), GetHeight(), image_width_};
  GetRegion(&layout.region_x, &layout.region_y);
  const FramePlace place = LocateFrame(layout, n);
  MapRegion(place.x, place.y, layout.width, layout.height);
  ReapplyMirror();
}

// The mode bit sets name the modes that act at each end: past the last frame modes 2, 6, 7
// turn (0xC4) and modes 0, 3 stop (0x09); before frame 0 modes 3, 6, 7 turn (0xC8) and
// modes 1, 2 stop (0x06). Every other step wraps. Returns the frame after one period spent at
// an end of the frames.
int FrameAnimation::StepAtEnd(int frame) {
  const int next = frame + step_;
  if (next == frame_count_) {
    if (ModeIn(0xC4)) {
      step_ = -step_;
    } else if (ModeIn(0x09)) {
      playing_ = false;
    }
  } else if (next < 0) {
    if (ModeIn(0xC8)) {
      step_ = -step_;
    } else if (ModeIn(0x06)) {
      playing_ = false;
    }
  }
  if (!playing_) return frame;
  const int moved = frame + step_;
  return moved < 0 ? frame_count_ - 1 : moved >= frame_count_ ? 0 : moved;
}

// Moves through the given number of frame periods at once: straight runs between the ends
// cost one addition each, so the work does not grow with the number of periods.
void FrameAnimation::Advance(int64_t periods) {
  int frame = current_frame_;
  while (periods > 0 && playing_) {
    const int64_t room = step_ > 0 ? int64_t(frame_count_) - 1 - frame : frame;
    if (periods <= room) {
      frame += int(step_ * periods);
      break;
    }
    frame += int(step_ * room);
    periods -= room + 1;
    frame = StepAtEnd(frame);
  }
  SetFrame(frame);
}

void FrameAnimation::Update(float seconds) {
  if (!playing_ || !std::isfinite(seconds)) return;
  if (time_since_frame_ == -1.0f) {
    time_since_frame_ = 0.0f;
  } else {
    time_since_frame_ += seconds;
  }
  // Not even one period, or infinite time at a rate of 0 (which never advances).
  const double periods = std::floor(double(time_since_frame_) / seconds_per_frame_);
  if (!(periods >= 1)) return;
  if (periods <= kExactStepLimit) {
    // The remaining periods are used up even once a non-repeating mode has stopped.
    int64_t counted = 0;
    for (; time_since_frame_ >= seconds_per_frame_; ++counted)
      time_since_frame_ -= seconds_per_frame_;
    Advance(counted);
    return;
  }
  time_since_frame_ = std::isfinite(time_since_frame_)
                          ? std::fmod(time_since_frame_, seconds_per_frame_)
                          : 0.0f;
  Advance(PeriodsAfterSettling(periods));
}

// Within twice the frame count every mode has either stopped (further steps change nothing)
// or entered its cycle, which repeats every frame count steps when wrapping and every
// 2 x (frame count - 1) steps when turning at both ends. Periods beyond that are reduced to
// the same place in the cycle.
int64_t FrameAnimation::PeriodsAfterSettling(double periods) const {
  const double settle = 2.0 * frame_count_;
  if (periods <= settle) return int64_t(periods);
  const bool turns_at_both_ends = ModeIn(0xC0);
  const double cycle = turns_at_both_ends ? 2.0 * std::max(frame_count_ - 1, 1) : frame_count_;
  const double beyond = std::isfinite(periods) ? std::fmod(periods - settle, cycle) : 0.0;
  return int64_t(settle) + int64_t(beyond);
}
