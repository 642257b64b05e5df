// Sound files decoded from memory: WAV, AIFF, FLAC, Ogg Vorbis, MP3 and whatever else the
// system's sound-file library reads. Files with more than two channels play their first two.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio/source.h"

struct sf_private_tag;

namespace audio {

// Samples longer than this many frames are refused (about 25 minutes at 44100 Hz).
constexpr uint64_t kMaxSampleFrames = uint64_t(1) << 26;

// The bytes of a sound file: the caller's memory (which must outlive the user), or a copy.
struct FileBytes {
  const uint8_t* data = nullptr;
  size_t size = 0;
  std::vector<uint8_t> owned;  // filled when the bytes were read from a named file

  // `mem` true: `file` points at `length` bytes from `offset`. False: `file` is a path whose
  // contents from `offset` (up to `length` bytes, 0 = all) are read. False on failure.
  bool Take(bool mem, const void* file, uint64_t offset, uint64_t length);
};

class Decoder final : public Source {
 public:
  // Null when the bytes are not a sound file the decoder reads.
  static std::unique_ptr<Decoder> Open(FileBytes bytes);
  ~Decoder() override;

  int Channels() const override { return out_channels_; }
  uint32_t Rate() const override { return rate_; }
  uint64_t Length() const override { return length_; }
  size_t Read(float* out, size_t frames) override;
  bool Seek(uint64_t frame) override;
  // True when the file stores plain PCM or float data rather than a compressed encoding.
  bool Uncompressed() const { return uncompressed_; }

  // Memory the decoder reads through its virtual file.
  struct Memory {
    FileBytes bytes;
    int64_t pos = 0;
  };

 private:
  Decoder() = default;

  std::unique_ptr<Memory> memory_;
  ::sf_private_tag* file_ = nullptr;
  int file_channels_ = 0, out_channels_ = 0;
  uint32_t rate_ = 0;
  uint64_t length_ = 0;
  bool uncompressed_ = false;
  std::vector<float> scratch_;  // whole frames of files with more than two channels
};

// Decodes a whole sound file into memory; null when it is not a sound file, is longer than
// kMaxSampleFrames, or (with `uncompressed_only`) stores a compressed encoding.
std::shared_ptr<SampleData> DecodeSample(FileBytes bytes, bool uncompressed_only);

}  // namespace audio
