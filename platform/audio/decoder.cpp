#include "platform/audio/decoder.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace audio {

namespace {

using Memory = Decoder::Memory;

sf_count_t MemLength(void* user) { return sf_count_t(static_cast<Memory*>(user)->bytes.size); }

sf_count_t MemSeek(sf_count_t offset, int whence, void* user) {
  auto* m = static_cast<Memory*>(user);
  const sf_count_t size = sf_count_t(m->bytes.size);
  sf_count_t base = whence == SEEK_CUR ? m->pos : whence == SEEK_END ? size : 0;
  if (offset > size || offset < -size) return -1;
  const sf_count_t pos = base + offset;
  if (pos < 0 || pos > size) return -1;
  m->pos = pos;
  return pos;
}

sf_count_t MemRead(void* out, sf_count_t count, void* user) {
  auto* m = static_cast<Memory*>(user);
  const sf_count_t left = sf_count_t(m->bytes.size) - m->pos;
  const sf_count_t n = std::max<sf_count_t>(0, std::min(count, left));
  if (n) memcpy(out, m->bytes.data + m->pos, size_t(n));
  m->pos += n;
  return n;
}

sf_count_t MemWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t MemTell(void* user) { return static_cast<Memory*>(user)->pos; }

bool IsUncompressed(int format) {
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8: case SF_FORMAT_PCM_U8: case SF_FORMAT_PCM_16:
    case SF_FORMAT_PCM_24: case SF_FORMAT_PCM_32: case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
      return true;
  }
  return false;
}

bool ReadFileBytes(const char* path, uint64_t offset, uint64_t length, std::vector<uint8_t>* out) {
  FILE* f = fopen(path, "rb");
  if (!f) return false;
  bool ok = fseeko(f, off_t(offset), SEEK_SET) == 0;
  uint8_t chunk[65536];
  while (ok && (!length || out->size() < length)) {
    size_t want = sizeof chunk;
    if (length) want = size_t(std::min<uint64_t>(want, length - out->size()));
    const size_t got = fread(chunk, 1, want, f);
    out->insert(out->end(), chunk, chunk + got);
    if (got < want) break;
  }
  ok = ok && !ferror(f);
  fclose(f);
  return ok;
}

}  // namespace

bool FileBytes::Take(bool mem, const void* file, uint64_t offset, uint64_t length) {
  if (!file) return false;
  if (!mem) {
    if (!ReadFileBytes(static_cast<const char*>(file), offset, length, &owned)) return false;
    data = owned.data();
    size = owned.size();
    return true;
  }
  if (length == 0 || length > SIZE_MAX) return false;
  data = static_cast<const uint8_t*>(file) + offset;
  size = size_t(length);
  return true;
}

std::unique_ptr<Decoder> Decoder::Open(FileBytes bytes) {
  static SF_VIRTUAL_IO io = {MemLength, MemSeek, MemRead, MemWrite, MemTell};
  std::unique_ptr<Decoder> d(new Decoder);
  d->memory_ = std::make_unique<Memory>(Memory{std::move(bytes), 0});
  d->memory_->bytes.data = d->memory_->bytes.owned.empty() ? d->memory_->bytes.data
                                                           : d->memory_->bytes.owned.data();
  SF_INFO info{};
  d->file_ = sf_open_virtual(&io, SFM_READ, &info, d->memory_.get());
  if (!d->file_ || info.channels < 1 || info.samplerate < int(kMinRate) ||
      info.samplerate > int(kMaxRate))
    return nullptr;
  d->file_channels_ = info.channels;
  d->out_channels_ = std::min(info.channels, 2);
  d->rate_ = uint32_t(info.samplerate);
  d->length_ = info.frames > 0 ? uint64_t(info.frames) : 0;
  d->uncompressed_ = IsUncompressed(info.format);
  return d;
}

Decoder::~Decoder() {
  if (file_) sf_close(file_);
}

size_t Decoder::Read(float* out, size_t frames) {
  if (file_channels_ == out_channels_) {
    const sf_count_t n = sf_readf_float(file_, out, sf_count_t(frames));
    return n > 0 ? size_t(n) : 0;
  }
  // More than two channels: read whole frames aside and keep the first two of each.
  scratch_.resize(frames * size_t(file_channels_));
  const sf_count_t n = sf_readf_float(file_, scratch_.data(), sf_count_t(frames));
  for (sf_count_t i = 0; i < n; ++i) {
    out[2 * i] = scratch_[size_t(i) * size_t(file_channels_)];
    out[2 * i + 1] = scratch_[size_t(i) * size_t(file_channels_) + 1];
  }
  return n > 0 ? size_t(n) : 0;
}

bool Decoder::Seek(uint64_t frame) {
  return sf_seek(file_, sf_count_t(frame), SEEK_SET) >= 0;
}

std::shared_ptr<SampleData> DecodeSample(FileBytes bytes, bool uncompressed_only) {
  std::unique_ptr<Decoder> d = Decoder::Open(std::move(bytes));
  if (!d || (uncompressed_only && !d->Uncompressed())) return nullptr;
  auto sample = std::make_shared<SampleData>();
  sample->channels = d->Channels();
  sample->rate = d->Rate();
  constexpr size_t kChunk = 16384;
  std::vector<float> chunk(kChunk * size_t(sample->channels));
  while (size_t n = d->Read(chunk.data(), kChunk)) {
    if (sample->FrameCount() + n > kMaxSampleFrames) return nullptr;
    sample->frames.insert(sample->frames.end(), chunk.begin(),
                          chunk.begin() + ptrdiff_t(n * size_t(sample->channels)));
  }
  if (sample->frames.empty()) return nullptr;
  return sample;
}

}  // namespace audio
