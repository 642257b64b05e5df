#include "kit/text/truetype_name.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "kit/draw/registry.h"

namespace {

constexpr uint32_t kNameTag = 0x6E616D65;  // "name"
constexpr uint16_t kFamilyNameId = 1;

void LogParseError(const char* what) {
  if (TVK* engine = Registry_GetEngine()) {
    engine->System_WriteLog("#Error parsing font file : %s", what);
  }
}

// Reads big-endian values at a tracked position, with the failure bits of a file stream: a
// read past the end sets "end of file" and "fail". A failure is reported once, at the next
// read or check, and every read after it gives 0.
class TrueTypeReader {
 public:
  TrueTypeReader(const uint8_t* data, size_t size, bool bad)
      : data_(data), size_(size), bad_(bad) {}

  uint32_t ReadU16() { return Read(2); }
  uint32_t ReadU32() { return Read(4); }
  // Up to count bytes; stops early (and fails) at the end of the data.
  std::string ReadBytes(size_t count) {
    if (!Usable()) return {};
    const size_t taken = Available(count);
    std::string bytes;
    if (taken > 0) bytes.assign(reinterpret_cast<const char*>(data_) + position_, taken);
    Advance(count, taken);
    return bytes;
  }
  void Seek(uint64_t position) {
    if (Usable()) position_ = position;
  }
  uint64_t Position() const { return position_; }
  // False after any failure, which is reported here if no read has reported it yet.
  bool Good() { return Usable(); }

 private:
  uint32_t Read(size_t count) {
    if (!Usable()) return 0;
    const size_t taken = Available(count);
    uint32_t value = 0;
    for (size_t i = 0; i < taken; ++i) value = (value << 8) | data_[position_ + i];
    Advance(count, taken);
    return taken == count ? value : 0;
  }
  size_t Available(size_t wanted) const {
    const uint64_t left = position_ < size_ ? size_ - position_ : 0;
    return size_t(wanted < left ? wanted : left);
  }
  void Advance(size_t wanted, size_t taken) {
    position_ += taken;
    if (taken < wanted) end_of_file_ = failed_ = true;
  }
  bool Usable() {
    if (invalid_) return false;
    if (!end_of_file_ && !failed_ && !bad_) return true;
    if (end_of_file_) LogParseError("end of file");
    LogParseError(bad_ ? "bad" : "fail");
    invalid_ = true;
    return false;
  }

  const uint8_t* data_;
  size_t size_;
  uint64_t position_ = 0;
  bool end_of_file_ = false, failed_ = false, bad_;
  bool invalid_ = false;  // the failure has been reported
};

// Finds the name table in the table directory; 0 when there is none or a read failed.
uint64_t FindNameTable(TrueTypeReader& in, uint32_t table_count) {
  in.Seek(12);
  for (uint32_t i = 0; i < table_count; ++i) {
    const uint32_t tag = in.ReadU32();
    in.ReadU32();  // checksum
    const uint32_t offset = in.ReadU32();
    in.ReadU32();  // length
    if (!in.Good()) return 0;
    if (tag == kNameTag) return offset;
  }
  return 0;
}

// The first non-empty family-name record, each cut at its first zero byte.
std::string ReadFamilyRecord(TrueTypeReader& in, uint64_t table) {
  in.Seek(table);
  in.ReadU16();  // format
  const uint32_t count = in.ReadU16();
  const uint32_t strings = in.ReadU16();
  for (uint32_t i = 0; i < count && in.Good(); ++i) {
    uint32_t fields[6];  // platform, encoding, language, name id, length, offset
    for (uint32_t& field : fields) field = in.ReadU16();
    if (!in.Good() || fields[3] != kFamilyNameId) continue;
    const uint64_t next_record = in.Position();
    in.Seek(table + strings + fields[5]);
    std::string name = in.ReadBytes(fields[4]);
    if (!in.Good()) return {};
    name.resize(name.find('\0') == std::string::npos ? name.size() : name.find('\0'));
    if (!name.empty()) return name;
    in.Seek(next_record);
  }
  return {};
}

std::string ParseFamilyName(TrueTypeReader& in) {
  const uint32_t major = in.ReadU16();
  const uint32_t minor = in.ReadU16();
  const uint32_t table_count = in.ReadU16();
  for (int i = 0; i < 3; ++i) in.ReadU16();  // search range, entry selector, range shift
  if (!in.Good() || major != 1 || minor != 0) return {};
  const uint64_t table = FindNameTable(in, table_count);
  if (table == 0) return {};
  return ReadFamilyRecord(in, table);
}

}  // namespace

std::string TrueType_ParseFamilyName(const uint8_t* data, size_t size) {
  TrueTypeReader in(data, data ? size : 0, false);
  return ParseFamilyName(in);
}

std::string TrueType_GetFamilyName(const char* path) {
  if (path == nullptr) return {};
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                   std::istreambuf_iterator<char>()};
  TrueTypeReader in(bytes.data(), bytes.size(), file.bad());
  return ParseFamilyName(in);
}

bool File_Exists(const char* path) {
  if (path == nullptr) return false;
  std::ifstream file(path, std::ios::binary);
  return bool(file);
}
