// Where the mix goes: the system's default audio output through SDL, or the no-sound device,
// a thread that renders in real time and drops the result, so positions, slides and ends of
// sounds move on as if they were heard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace audio {

class Output {
 public:
  // Fills `frames` frames of 16-bit stereo; called on the output's own thread.
  using Render = std::function<void(int16_t* out, size_t frames)>;

  // Device -1 or 1: the default output; 0: no sound. Null when the device cannot be opened.
  static std::unique_ptr<Output> Open(int device, uint32_t rate, Render render);
  // Stops the output thread; the render function is not called afterwards.
  virtual ~Output() = default;
  const std::string& Description() const { return description_; }

 protected:
  std::string description_;
};

}  // namespace audio
