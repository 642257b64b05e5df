/// @file
/// A sprite whose texture region steps through equally sized frames laid out in the texture,
/// at a fixed number of frames per second.
#pragma once

#include <cstdint>

#include "kit/draw/sprite.h"

/// Play-mode flags, combined by addition. The default is AnimMode_Repeat, forward.
enum : uint32_t {
  AnimMode_Backward = 1,  ///< start at the last frame and travel towards frame 0
  AnimMode_Bounce = 2,    ///< reverse at an end instead of stopping or wrapping
  AnimMode_Repeat = 4,    ///< keep playing indefinitely
};

/// How frames lie in the texture: frame 0 at (region_x, region_y), the following ones to its
/// right; frames that do not fit in the first row continue in rows below that start at the
/// texture's left edge and hold image_width / width frames each.
struct FrameLayout {
  float region_x;   ///< left pixel of frame 0
  float region_y;   ///< top pixel of frame 0
  float width;      ///< frame width in pixels
  float height;     ///< frame height in pixels
  int image_width;      ///< width of the source image the frames are laid out in
};

/// The top-left pixel of one frame in the texture.
struct FramePlace {
  float x;  ///< left pixel
  float y;  ///< top pixel
};

/// Top-left pixel of frame (0 or more). When no whole frame fits across the image (frame width
/// below 1, or an image narrower than a frame or of unknown width) the frames form one strip.
TVK_API FramePlace LocateFrame(const FrameLayout& layout, int frame);

/// A sprite that plays frames of a texture at a fixed rate, forwards, backwards or bouncing.
class TVK_API FrameAnimation : public Sprite {
 public:
  /// (x, y, w, h) is frame 0's region and the frame size. A frame count below 1 counts as 1;
  /// a rate that is not a positive finite number never advances.
  FrameAnimation(TextureHandle texture, int frames, float fps, float x, float y, float w,
                 float h);

  /// Restarts from the first frame of the current direction and plays.
  void Play();
  /// Pauses on the current frame.
  void Stop() { playing_ = false; }
  /// Plays on from the current frame.
  void Resume() { playing_ = true; }
  /// Advances by the frame time. The first update after construction or Play does not count
  /// its time. A time that is not finite is ignored.
  void Update(float seconds);
  /// Sets the mode and jumps to the first frame of its direction; playing state and
  /// accumulated time stay.
  void SetMode(uint32_t mode);
  /// Shows the frame, wrapped into 0 .. frame count - 1.
  void SetFrame(int frame);
  /// Sets the rate in frames per second; a rate that is not positive and finite stops advancing.
  void SetSpeed(float fps);
  /// Sets the number of frames (below 1 counts as 1) and wraps the current frame into it.
  void SetFrameCount(int frames);

  /// The rate in frames per second.
  float GetSpeed() const { return 1.0f / seconds_per_frame_; }
  /// The number of frames.
  int GetFrameCount() const { return frame_count_; }
  /// The frame shown, 0 .. frame count - 1.
  int GetFrame() const { return current_frame_; }
  /// The AnimMode_ flags.
  uint32_t GetMode() const { return mode_; }
  /// True while the animation advances on Update.
  bool IsPlaying() const { return playing_; }

 private:
  void GoToFirstFrame();
  /// One frame period from a frame at an end of the current direction: turn, stop or wrap
  /// as the mode says. Returns the frame then shown.
  int StepAtEnd(int frame);
  /// Moves on by whole frame periods and shows the frame reached.
  void Advance(int64_t periods);
  bool ModeIn(uint32_t mode_bits) const { return mode_ <= 7 && ((mode_bits >> mode_) & 1u); }
  int64_t PeriodsAfterSettling(double periods) const;

  int image_width_;
  bool playing_ = true;
  float seconds_per_frame_;
  float time_since_frame_ = -1.0f;  ///< -1: started, not yet updated
  uint32_t mode_ = AnimMode_Repeat;
  int step_ = 1;
  int frame_count_;
  int current_frame_ = 0;
};
