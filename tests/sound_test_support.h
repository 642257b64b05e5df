// Helpers for the sound tests: sound files made in memory (PCM and mu-law WAV, a small
// four-channel tracker module), the engine with its audio library on a chosen SDL audio
// driver, the library's own functions for looking behind the engine, and the disk driver's
// capture read back as 16-bit stereo frames.
#pragma once

#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/bass.h"
#include "support/engine_fixture.h"

namespace sound_test {

constexpr int kRate = 44100;

inline void Put16(std::string& s, uint32_t v) { s += char(v & 0xFF), s += char(v >> 8 & 0xFF); }
inline void Put32(std::string& s, uint32_t v) { Put16(s, v & 0xFFFF), Put16(s, v >> 16); }

// A WAV file: format tag 1 (PCM) or 7 (mu-law), with the given data bytes.
inline std::string WavFile(int tag, int channels, int rate, int bits, const std::string& data) {
  std::string s = "RIFF";
  Put32(s, uint32_t(4 + 26 + 8 + data.size()));
  s += "WAVEfmt ";
  Put32(s, 18);
  Put16(s, uint32_t(tag));
  Put16(s, uint32_t(channels));
  Put32(s, uint32_t(rate));
  Put32(s, uint32_t(rate * channels * bits / 8));
  Put16(s, uint32_t(channels * bits / 8));
  Put16(s, uint32_t(bits));
  Put16(s, 0);
  s += "data";
  Put32(s, uint32_t(data.size()));
  return s + data;
}

inline double Sine(double freq, int i, int rate) { return std::sin(2 * M_PI * freq * i / rate); }

// A mono 16-bit sine of `freq` Hz at `amplitude` (0..1) of full scale.
inline std::string SineWav(double freq, double seconds, double amplitude, int rate = kRate) {
  std::string data;
  for (int i = 0; i < int(seconds * rate); ++i)
    Put16(data, uint32_t(uint16_t(int16_t(std::lrint(32767 * amplitude * Sine(freq, i, rate))))));
  return WavFile(1, 1, rate, 16, data);
}

// G.711 mu-law encoding of a 16-bit sample.
inline uint8_t MuLaw(int16_t sample) {
  int v = sample;
  const int sign = v < 0 ? 0x80 : 0;
  v = std::min(std::abs(v), 32635) + 0x84;
  int exponent = 7;
  for (int mask = 0x4000; !(v & mask) && exponent > 0; mask >>= 1) --exponent;
  const int mantissa = (v >> (exponent + 3)) & 0x0F;
  return uint8_t(~(sign | exponent << 4 | mantissa));
}

// A mono mu-law sine: a compressed encoding the library plays only as a stream.
inline std::string MuLawSineWav(double freq, double seconds, int rate) {
  std::string data;
  for (int i = 0; i < int(seconds * rate); ++i)
    data += char(MuLaw(int16_t(std::lrint(20000 * Sine(freq, i, rate)))));
  return WavFile(7, 1, rate, 8, data);
}

// A four-channel module ("M.K."): one looping square-wave sample, `orders` orders over two
// patterns, and a note on channel 1 at the first row of each pattern.
inline std::string TrackerModule(int orders) {
  std::string m(20, '\0');
  for (int i = 0; i < 31; ++i) {
    m += std::string(22, '\0');
    const bool used = i == 0;
    m += char(0), m += char(used ? 32 : 0);  // length in words, big-endian
    m += char(0), m += char(used ? 64 : 0);  // finetune, volume
    m += char(0), m += char(0);              // repeat start
    m += char(0), m += char(used ? 32 : 1);  // repeat length
  }
  m += char(orders);
  m += char(127);
  for (int i = 0; i < 128; ++i) m += char(i < orders ? i % 2 : 0);
  m += "M.K.";
  for (int pattern = 0; pattern < 2; ++pattern) {
    std::string cells(64 * 4 * 4, '\0');
    const int period = pattern ? 214 : 428;
    cells[0] = char(period >> 8);
    cells[1] = char(period & 0xFF);
    cells[2] = char(1 << 4);  // sample 1, no effect
    m += cells;
  }
  for (int i = 0; i < 64; ++i) m += char(i % 16 < 8 ? 100 : -100);
  return m;
}

// One of the audio library's functions, from the copy the engine loaded.
template <class F>
F* Library(const char* name) {
  const std::string path =
      std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/libbass.so";
  void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (!lib) return nullptr;
  void* fn = dlsym(lib, name);
  dlclose(lib);
  return reinterpret_cast<F*>(fn);
}
#define SOUND_LIB(name) (*sound_test::Library<decltype(::name)>(#name))

inline void Wait(double seconds) {
  std::this_thread::sleep_for(std::chrono::microseconds(int64_t(seconds * 1e6)));
}

struct Frame {
  int16_t left, right;
};

// Peak of each channel over frames [from, to).
inline std::pair<int, int> Peaks(const std::vector<Frame>& frames, size_t from, size_t to) {
  int l = 0, r = 0;
  for (size_t i = from; i < std::min(to, frames.size()); ++i) {
    l = std::max(l, std::abs(int(frames[i].left)));
    r = std::max(r, std::abs(int(frames[i].right)));
  }
  return {l, r};
}

// Frequency of the left channel over frames [from, to) from its upward zero crossings.
inline double Frequency(const std::vector<Frame>& frames, size_t from, size_t to) {
  int crossings = 0;
  size_t first = 0, last = 0;
  for (size_t i = from + 1; i < std::min(to, frames.size()); ++i) {
    if (frames[i - 1].left < 0 && frames[i].left >= 0) {
      if (!crossings) first = i;
      last = i;
      ++crossings;
    }
  }
  return crossings > 1 ? double(crossings - 1) * kRate / double(last - first) : 0.0;
}

// The first frame that is not silent, or the frame count.
inline size_t FirstSound(const std::vector<Frame>& frames) {
  size_t i = 0;
  while (i < frames.size() && !frames[i].left && !frames[i].right) ++i;
  return i;
}

}  // namespace sound_test

// The engine with sound on. Capture() plays into a file through SDL's disk driver,
// NoDevice() names a driver that does not exist, so the library runs on its no-sound device.
class SoundTest : public EngineTest {
 protected:
  bool Start(const char* driver) {
    setenv("SDL_AUDIODRIVER", driver, 1);
    setenv("SDL_DISKAUDIOFILE", Path("capture.raw").c_str(), 1);
    engine->System_SetText(State_LogFile, Path("engine.log").c_str());
    engine->System_SetInt(State_SampleRate, sound_test::kRate);
    return engine->System_Initiate();
  }
  bool Capture() { return Start("disk"); }
  bool NoDevice() { return Start("tvk-no-such-driver"); }

  // Ends the engine, which closes the capture file, and reads it back.
  std::vector<sound_test::Frame> Captured() {
    engine->System_Finish();
    const std::string raw = ReadFile(Path("capture.raw"));
    std::vector<sound_test::Frame> frames(raw.size() / sizeof(sound_test::Frame));
    memcpy(frames.data(), raw.data(), frames.size() * sizeof(sound_test::Frame));
    return frames;
  }
  std::string Log() { return ReadFile(Path("engine.log")); }
};
