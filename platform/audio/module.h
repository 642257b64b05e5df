// Tracker music (MOD, S3M, XM, IT and the other formats of the system's module library),
// rendered in stereo at the output rate, with its order list, amplification and per-track
// and per-instrument volumes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio/source.h"

struct openmpt_module;
struct openmpt_module_ext;
struct openmpt_module_ext_interface_interactive;

namespace audio {

class Module final : public Source {
 public:
  // Null when the bytes are not a module. The module keeps its own copy of what it needs.
  static std::unique_ptr<Module> Open(const void* data, size_t size, uint32_t rate);
  ~Module() override;

  int Channels() const override { return 2; }
  uint32_t Rate() const override { return rate_; }
  uint64_t Length() const override { return length_; }
  size_t Read(float* out, size_t frames) override;
  bool Seek(uint64_t frame) override;
  bool LoopsItself(bool loop) override;

  int Orders() const;
  // Order in the low 16 bits, row in the high 16 bits.
  uint32_t OrderRow() const;
  bool SetOrderRow(int order, int row);
  uint64_t PositionFrames() const;  // where rendering stands, in frames at the output rate

  // Attributes: amplification 0..100 (50 = as composed), and track and instrument volumes
  // 0..100. Instrument volumes are on or off: 0 mutes the instrument, any other value plays
  // it at its own level. False for an index or value out of range.
  bool SetAmplify(int value);
  int Amplify() const { return amplify_; }
  bool SetTrackVolume(int track, int value);
  int TrackVolume(int track) const;
  bool SetInstrumentVolume(int instrument, int value);
  int InstrumentVolume(int instrument) const;

 private:
  Module() = default;

  openmpt_module_ext* ext_ = nullptr;
  openmpt_module* mod_ = nullptr;
  std::unique_ptr<openmpt_module_ext_interface_interactive> interactive_;
  uint32_t rate_ = 44100;
  uint64_t length_ = 0;
  int amplify_ = 50;
  std::vector<int> track_volumes_, instrument_volumes_;
};

}  // namespace audio
