#include "kit/text/fnt_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

int16_t ReadInt16(const uint8_t* p) { return int16_t(uint16_t(p[0] | (p[1] << 8))); }

void PutInt16(std::vector<uint8_t>* out, int16_t value) {
  out->push_back(uint8_t(uint16_t(value)));
  out->push_back(uint8_t(uint16_t(value) >> 8));
}

FntRecord ReadRecord(const uint8_t* p) {
  return {ReadInt16(p),     ReadInt16(p + 2),  ReadInt16(p + 4), ReadInt16(p + 6),
          ReadInt16(p + 8), ReadInt16(p + 10), ReadInt16(p + 12)};
}

}  // namespace

bool Fnt_Parse(const uint8_t* data, size_t size, FntFile* out) {
  if (data == nullptr || size < 1) return false;
  const uint8_t* end = data + size;
  const uint8_t* name_end = std::find(data + 1, end, kFntNameEnd);
  if (name_end == end) return false;
  FntFile parsed;
  parsed.texture_name.assign(data + 1, name_end);
  const uint8_t* record = name_end + 1;
  parsed.records.reserve(size_t(end - record) / kFntRecordSize);
  for (; size_t(end - record) >= kFntRecordSize; record += kFntRecordSize) {
    parsed.records.push_back(ReadRecord(record));
  }
  *out = std::move(parsed);
  return true;
}

bool Fnt_Read(const char* path, FntFile* out) {
  if (path == nullptr) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>()};
  if (in.bad()) return false;
  return Fnt_Parse(bytes.data(), bytes.size(), out);
}

bool Fnt_Write(const char* path, const FntFile& font) {
  if (path == nullptr || font.texture_name.find(char(kFntNameEnd)) != std::string::npos) {
    return false;
  }
  std::vector<uint8_t> bytes{0};
  bytes.insert(bytes.end(), font.texture_name.begin(), font.texture_name.end());
  bytes.push_back(kFntNameEnd);
  for (const FntRecord& r : font.records) {
    for (int16_t value : {r.code, r.x, r.y, r.w, r.h, r.pre, r.post}) PutInt16(&bytes, value);
  }
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(file.flush());
}
