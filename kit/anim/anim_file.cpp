// .anim parsing over a bounds-checked byte cursor.
#include "kit/anim/anim_file.h"

#include <cmath>
#include <cstring>

namespace {

// Reads little-endian 32-bit values from a byte range; every read fails once the range ends.
class ByteCursor {
 public:
  ByteCursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool Has(size_t bytes) const { return size_ - pos_ >= bytes; }
  bool ReadUint32(uint32_t* value) {
    if (!Has(4)) return false;
    const uint8_t* p = data_ + pos_;
    *value = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    pos_ += 4;
    return true;
  }
  bool ReadInt32(int32_t* value) {
    uint32_t bits;
    if (!ReadUint32(&bits)) return false;
    *value = int32_t(bits);
    return true;
  }
  bool ReadFloat(float* value) {
    uint32_t bits;
    if (!ReadUint32(&bits)) return false;
    std::memcpy(value, &bits, sizeof bits);
    return true;
  }
  // The text of a fixed-size field up to its first zero byte.
  bool ReadName(size_t field_size, std::string* name) {
    if (!Has(field_size)) return false;
    const char* text = reinterpret_cast<const char*>(data_ + pos_);
    name->assign(text, strnlen(text, field_size));
    pos_ += field_size;
    return true;
  }
  bool Skip(size_t bytes) {
    if (!Has(bytes)) return false;
    pos_ += bytes;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

constexpr const char* kTruncated = "truncated";

bool CellsInRange(int32_t cells) { return cells >= 1 && cells <= kAnimMaxCells; }

const char* ReadKeys(ByteCursor& in, size_t count, std::vector<float>* keys) {
  if (!in.Has(count * 4)) return kTruncated;
  keys->resize(count);
  for (float& key : *keys) {
    in.ReadFloat(&key);
    if (!std::isfinite(key)) return "key position is not a finite number";
  }
  return nullptr;
}

const char* ReadPart(ByteCursor& in, int frame_count, AnimFilePart* part) {
  int32_t row_cells, column_cells;
  if (!in.ReadName(kAnimNameSize, &part->texture) || !in.ReadInt32(&row_cells) ||
      !in.ReadInt32(&column_cells))
    return kTruncated;
  if (!CellsInRange(row_cells) || !CellsInRange(column_cells)) return "cell count out of range";
  part->row_cells = row_cells;
  part->column_cells = column_cells;
  const size_t grid = size_t(row_cells + 1) * size_t(column_cells + 1) * 2;
  if (const char* error = ReadKeys(in, grid * size_t(frame_count), &part->keys)) return error;
  return in.Skip(grid * 4) ? nullptr : kTruncated;
}

const char* ReadHeader(ByteCursor& in, AnimFile* out, int32_t* part_count) {
  int32_t frame_count;
  if (!in.ReadInt32(&out->version) || !in.ReadInt32(&frame_count)) return kTruncated;
  out->has_duration = out->version > 4;
  if (out->has_duration && !in.ReadFloat(&out->duration)) return kTruncated;
  if (!in.ReadInt32(part_count)) return kTruncated;
  if (frame_count < 1 || frame_count > kAnimMaxFrames) return "frame count out of range";
  if (*part_count < 0 || *part_count > kAnimMaxParts) return "part count out of range";
  out->frame_count = frame_count;
  return nullptr;
}

}  // namespace

const char* AnimFile_Parse(const uint8_t* data, size_t size, AnimFile* out) {
  if (!out) return "no output";
  ByteCursor in(data, data ? size : 0);
  AnimFile file;
  int32_t part_count = 0;
  if (const char* error = ReadHeader(in, &file, &part_count)) return error;
  file.parts.resize(size_t(part_count));
  for (AnimFilePart& part : file.parts)
    if (const char* error = ReadPart(in, file.frame_count, &part)) return error;
  if (!in.Skip(4)) return kTruncated;  // the trailing value
  *out = std::move(file);
  return nullptr;
}
