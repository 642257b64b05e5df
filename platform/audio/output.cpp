#include "platform/audio/output.h"

#include <SDL.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace audio {

namespace {

constexpr uint16_t kOutputFrames = 1024;

class SdlOutput final : public Output {
 public:
  explicit SdlOutput(Render render) : render_(std::move(render)) {}
  ~SdlOutput() override {
    if (device_) SDL_CloseAudioDevice(device_);
    if (subsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool Open(uint32_t rate) {
    subsystem_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!subsystem_) return false;
    SDL_AudioSpec want{}, have{};
    want.freq = int(rate);
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kOutputFrames;
    want.callback = Callback;
    want.userdata = this;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!device_) return false;
    const char* driver = SDL_GetCurrentAudioDriver();
    description_ = std::string(driver ? driver : "audio") + " output";
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

 private:
  static void SDLCALL Callback(void* user, Uint8* stream, int len) {
    auto* self = static_cast<SdlOutput*>(user);
    self->render_(reinterpret_cast<int16_t*>(stream), size_t(len) / 4);
  }

  Render render_;
  bool subsystem_ = false;
  SDL_AudioDeviceID device_ = 0;
};

class SilentOutput final : public Output {
 public:
  SilentOutput(uint32_t rate, Render render) : render_(std::move(render)) {
    description_ = "No sound";
    const auto period = std::chrono::nanoseconds(int64_t(kOutputFrames) * 1000000000 / rate);
    thread_ = std::thread([this, period] { Run(period); });
  }
  ~SilentOutput() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

 private:
  void Run(std::chrono::nanoseconds period) {
    std::vector<int16_t> buffer(size_t(kOutputFrames) * 2);
    auto next = std::chrono::steady_clock::now();
    for (;;) {
      render_(buffer.data(), kOutputFrames);
      next += period;
      std::unique_lock<std::mutex> lock(mutex_);
      if (wake_.wait_until(lock, next, [this] { return stop_; })) return;
    }
  }

  Render render_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace

std::unique_ptr<Output> Output::Open(int device, uint32_t rate, Render render) {
  if (device == 0) return std::make_unique<SilentOutput>(rate, std::move(render));
  if (device != -1 && device != 1) return nullptr;
  auto out = std::make_unique<SdlOutput>(std::move(render));
  if (!out->Open(rate)) return nullptr;
  return out;
}

}  // namespace audio
