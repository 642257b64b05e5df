// Resources area: packs are zip files, searched newest first on every load and opened only for
// the length of one load; minizip walks the archive, zlib unpacks the entries. Everything else
// comes from disk.
#include "engine/resources.h"

#include <minizip/unzip.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "engine/tvk_impl.h"
#include "platform/os/regular_file.h"

namespace fs = std::filesystem;

static_assert(Resources::kMaxPath == kPathSize);

namespace {

// Blocks handed to callers are malloc'd: Resource_Free releases them with free().
struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
using BlockPtr = std::unique_ptr<char, FreeDeleter>;

struct Block {
  BlockPtr data;
  size_t size = 0;
};

struct ZipCloser {
  void operator()(void* zip) const { unzClose(zip); }
};
using ZipPtr = std::unique_ptr<void, ZipCloser>;

// Reads no more than this per call, so a chunk length always fits the readers' int results.
constexpr size_t kReadChunk = size_t{16} << 20;
// First allocation for a zip entry; the block then grows with the data really read, so a
// forged size field in the archive cannot make us allocate gigabytes up front.
constexpr size_t kFirstZipAllocation = size_t{1} << 20;

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(), UpperAscii);
  return upper;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return UpperAscii(x) == UpperAscii(y); });
}

// The form in which names inside packs are compared: upper case, '/' separators.
std::string PackEntryKey(std::string_view name) {
  std::string key = UpperCase(name);
  std::replace(key.begin(), key.end(), '\\', '/');
  return key;
}

// Absolute: starts with a slash or backslash, or with a drive letter and a colon.
bool IsAbsolute(const char* name) {
  if (name[0] == '/' || name[0] == '\\') return true;
  const char c = UpperAscii(name[0]);
  return c >= 'A' && c <= 'Z' && name[1] == ':';
}

// Reads a stream into a malloc'd block of at most `limit` bytes, starting with `capacity` and
// doubling as data keeps coming. `read` returns the bytes read, 0 at the end, or < 0 on error.
bool ReadStream(size_t capacity, size_t limit, const std::function<long(char*, size_t)>& read,
                Block* out) {
  capacity = std::max<size_t>(std::min(capacity, limit), 1);  // a non-null block even when empty
  BlockPtr data(static_cast<char*>(std::malloc(capacity)));
  size_t size = 0;
  while (data && size < limit) {
    if (size == capacity) {
      capacity = std::min(capacity * 2, limit);
      char* grown = static_cast<char*>(std::realloc(data.get(), capacity));
      if (!grown) return false;
      data.release();
      data.reset(grown);
    }
    const long got = read(data.get() + size, std::min(capacity - size, kReadChunk));
    if (got < 0) return false;
    if (got == 0) break;
    size += static_cast<size_t>(got);
  }
  if (!data) return false;
  *out = Block{std::move(data), size};
  return true;
}

// Traditional zip encryption, the kind `zip -P` writes. The minizip build the system ships
// has its decryption compiled out, so entries are read raw and decrypted here.
class ZipDecrypter {
 public:
  explicit ZipDecrypter(const std::string& password) {
    for (char c : password) Update(static_cast<uint8_t>(c));
  }
  uint8_t Decrypt(uint8_t c) {
    c ^= KeyByte();
    Update(c);
    return c;
  }

 private:
  uint32_t Crc(uint32_t crc, uint8_t b) const { return table_[(crc ^ b) & 0xFF] ^ (crc >> 8); }
  uint8_t KeyByte() const {
    const uint32_t t = (keys_[2] & 0xFFFF) | 2;
    return static_cast<uint8_t>((t * (t ^ 1)) >> 8);
  }
  void Update(uint8_t c) {
    keys_[0] = Crc(keys_[0], c);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
    keys_[2] = Crc(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
  }

  const z_crc_t* table_ = get_crc_table();
  uint32_t keys_[3] = {305419896u, 591751049u, 878082192u};
};

// Decrypts an entry's data in place and drops its 12-byte encryption header. The header's last
// byte must repeat the CRC's high byte, or the time's when the sizes follow the data.
bool Decrypt(const unz_file_info64& info, const std::string& password, Block* data) {
  constexpr size_t kHeader = 12;
  if (password.empty() || data->size < kHeader) return false;
  ZipDecrypter decrypter(password);
  uint8_t* bytes = reinterpret_cast<uint8_t*>(data->data.get());
  for (size_t i = 0; i < data->size; ++i) bytes[i] = decrypter.Decrypt(bytes[i]);
  const uint32_t check = (info.flag & 8) ? info.dosDate >> 8 : info.crc >> 24;
  if (bytes[kHeader - 1] != (check & 0xFF)) return false;
  data->size -= kHeader;
  std::memmove(bytes, bytes + kHeader, data->size);
  return true;
}

// Inflates raw deflate data into a block of at most `declared` bytes.
bool Inflate(const Block& packed, size_t declared, Block* out) {
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
  z.next_in = reinterpret_cast<Bytef*>(packed.data.get());
  z.avail_in = static_cast<uInt>(packed.size);
  bool ended = false;
  const bool read = ReadStream(std::min(declared, kFirstZipAllocation), declared,
                               [&z, &ended](char* to, size_t n) {
                                 if (ended) return 0L;
                                 z.next_out = reinterpret_cast<Bytef*>(to);
                                 z.avail_out = static_cast<uInt>(n);
                                 const int rc = inflate(&z, Z_NO_FLUSH);
                                 ended = rc == Z_STREAM_END;
                                 // Z_BUF_ERROR: the data ran out before the stream's end.
                                 return rc == Z_OK || ended ? static_cast<long>(n - z.avail_out) : -1L;
                               },
                               out);
  inflateEnd(&z);
  return read;
}

// The current entry's stored bytes, as they are in the archive.
bool ReadRawEntry(unzFile zip, size_t size, Block* out) {
  if (unzOpenCurrentFile2(zip, nullptr, nullptr, 1) != UNZ_OK) return false;
  const bool read = ReadStream(std::min(size, kFirstZipAllocation), size,
                               [zip](char* to, size_t n) {
                                 return static_cast<long>(unzReadCurrentFile(zip, to, static_cast<unsigned>(n)));
                               },
                               out);
  unzCloseCurrentFile(zip);
  return read && out->size == size;
}

// Reads the current entry of an open archive: stored or deflated, encrypted or not. Besides
// read errors it refuses an entry whose data does not give its declared size or fails its
// checksum, so a forged size or a wrong password never passes for content.
bool ReadCurrentEntry(unzFile zip, const unz_file_info64& info, const std::string& password,
                      Block* out) {
  if (info.uncompressed_size > UINT32_MAX || info.compressed_size > UINT32_MAX) return false;
  Block packed;
  if (!ReadRawEntry(zip, info.compressed_size, &packed)) return false;
  if ((info.flag & 1) && !Decrypt(info, password, &packed)) return false;
  if (info.compression_method == Z_DEFLATED) {
    if (!Inflate(packed, info.uncompressed_size, out)) return false;
  } else if (info.compression_method == 0) {
    *out = std::move(packed);
  } else {
    return false;
  }
  return out->size == info.uncompressed_size &&
         crc32_z(0, reinterpret_cast<const Bytef*>(out->data.get()), out->size) == info.crc;
}

// minizip's stdio file functions, except that the archive is opened only when it is a regular
// file: a FIFO or device named as a pack must not block or stream forever.
voidpf ZCALLBACK OpenRegularArchive(voidpf, const void* filename, int mode) {
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  return os::OpenRegularFile(static_cast<const char*>(filename), os::FileMode::Read);
}

ZipPtr OpenArchive(const std::string& file) {
  zlib_filefunc64_def functions;
  fill_fopen64_filefunc(&functions);
  functions.zopen64_file = OpenRegularArchive;
  return ZipPtr(unzOpen2_64(file.c_str(), &functions));
}

enum class PackResult { NotFound, Loaded, Failed };

PackResult LoadFromPack(const std::string& file, const std::string& password,
                        const std::string& wanted, Block* out) {
  ZipPtr zip = OpenArchive(file);
  if (!zip) return PackResult::NotFound;
  for (int rc = unzGoToFirstFile(zip.get()); rc == UNZ_OK; rc = unzGoToNextFile(zip.get())) {
    unz_file_info64 info;
    char name[Resources::kMaxPath];
    if (unzGetCurrentFileInfo64(zip.get(), &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
        info.size_filename >= sizeof name) {
      continue;  // an entry name that long cannot equal a name that fits the path buffer
    }
    if (PackEntryKey(std::string_view(name, info.size_filename)) != wanted) continue;
    return ReadCurrentEntry(zip.get(), info, password, out) ? PackResult::Loaded : PackResult::Failed;
  }
  return PackResult::NotFound;
}

// The size of an open file, or nothing when it cannot be told or is beyond a block's reach.
std::optional<size_t> FileSize(std::FILE* stream) {
  if (fseeko(stream, 0, SEEK_END) != 0) return std::nullopt;
  const off_t size = ftello(stream);
  if (size < 0 || uintmax_t(size) > UINT32_MAX || fseeko(stream, 0, SEEK_SET) != 0) return std::nullopt;
  return size_t(size);
}

bool LoadFromDisk(const std::string& path, Block* out) {
  os::FilePtr f(os::OpenRegularFile(ResolvePathCase(path).c_str(), os::FileMode::Read));
  if (!f) return false;
  std::FILE* stream = f.get();
  const std::optional<size_t> found_size = FileSize(stream);
  if (!found_size) return false;
  const size_t size = *found_size;
  return ReadStream(size, size,
                    [stream](char* to, size_t n) {
                      const size_t got = std::fread(to, 1, n, stream);
                      return std::ferror(stream) ? -1L : static_cast<long>(got);
                    },
                    out);
}

// The entry of `folder` equal to `name` without regard to case; the first in byte order wins.
std::optional<std::string> FindNameNoCase(const std::string& folder, const std::string& name) {
  std::optional<std::string> best;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string entry = it->path().filename().string();
    if (EqualNoCase(entry, name) && (!best || entry < *best)) best = std::move(entry);
  }
  return best;
}

}  // namespace

std::string ResolvePathCase(const std::string& path) {
  std::error_code ec;
  if (path.empty() || fs::exists(path, ec)) return path;
  std::string resolved;
  for (size_t start = 0;;) {
    const size_t slash = path.find('/', start);
    const size_t end = slash == std::string::npos ? path.size() : slash;
    const std::string part = path.substr(start, end - start);
    if (part.empty() || part == "." || part == ".." || fs::exists(resolved + part, ec)) {
      resolved += part;
    } else {
      const std::optional<std::string> match = FindNameNoCase(resolved.empty() ? "." : resolved, part);
      if (!match) return resolved + path.substr(start);
      resolved += *match;
    }
    if (end == path.size()) return resolved;
    resolved += '/';
    start = end + 1;
  }
}

bool WildcardMatch(std::string_view pattern, std::string_view name) {
  size_t p = 0, n = 0;
  size_t star = std::string_view::npos, star_name = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_name = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || UpperAscii(pattern[p]) == UpperAscii(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;  // let the last star swallow one more character
      n = ++star_name;
    } else {
      return false;
    }
  }
  if (pattern.substr(p).starts_with(".*")) ++p;  // "name.*" also matches "name"
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

Resources::Resources(TVK_Impl& engine) : e_(engine) {
  const std::string exe = os::ProgramPath();
  program_folder_ = exe.substr(0, exe.rfind('/') + 1);
}

const char* Resources::FullPath(const char* name) {
  std::string full = !name ? program_folder_ : IsAbsolute(name) ? std::string(name) : program_folder_ + name;
  std::replace(full.begin(), full.end(), '\\', '/');
  if (full.size() >= sizeof path_) full.clear();
  std::memcpy(path_, full.c_str(), full.size() + 1);
  return path_;
}

void* Resources::Load(const char* name, uint32_t* size) {
  Block block;
  bool loaded = false;
  if (name && *FullPath(name)) {
    const std::string disk_path = path_;
    PackResult in_pack = PackResult::NotFound;
    if (!IsAbsolute(name)) {
      const std::string wanted = PackEntryKey(name);
      for (auto pack = packs_.rbegin(); pack != packs_.rend() && in_pack == PackResult::NotFound; ++pack) {
        in_pack = LoadFromPack(pack->file, pack->password, wanted, &block);
      }
    }
    // A name found in a pack is never looked for on disk, even when reading it failed.
    loaded = in_pack == PackResult::NotFound ? LoadFromDisk(disk_path, &block) : in_pack == PackResult::Loaded;
  }
  if (size) *size = loaded ? static_cast<uint32_t>(block.size) : 0;
  if (!loaded) {
    e_.PostError("Can't load resource: %s", name ? name : "");
    return nullptr;
  }
  return block.data.release();
}

std::vector<Resources::Pack>::iterator Resources::FindPack(const std::string& key) {
  auto found = std::find_if(packs_.rbegin(), packs_.rend(), [&](const Pack& p) { return p.key == key; });
  return found == packs_.rend() ? packs_.end() : std::prev(found.base());
}

bool Resources::AddPack(const char* name, const char* password) {
  if (!name || (password && std::strlen(password) >= kMaxPassword)) return false;
  const char* full = FullPath(name);
  if (!*full) return false;
  std::string key = UpperCase(full);
  if (FindPack(key) != packs_.end()) return false;
  std::string file = ResolvePathCase(full);
  if (!OpenArchive(file)) return false;
  packs_.push_back(Pack{std::move(key), std::move(file), password ? password : ""});
  return true;
}

void Resources::DropPack(const char* name) {
  if (!name || !*FullPath(name)) return;
  const auto pack = FindPack(UpperCase(path_));
  if (pack != packs_.end()) packs_.erase(pack);
}

void Resources::CloseSearch() {
  search_.clear();
  search_next_ = 0;
}

void Resources::StartSearch(const char* wildcard) {
  CloseSearch();
  const std::string full = FullPath(wildcard);
  if (full.empty()) return;
  const size_t slash = full.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : ResolvePathCase(full.substr(0, slash + 1));
  const std::string pattern = full.substr(slash + 1);  // npos + 1 == 0: the whole text
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (WildcardMatch(pattern, name)) {
      std::error_code type_ec;
      search_.push_back(FoundEntry{std::move(name), it->is_directory(type_ec)});
    }
  }
  std::sort(search_.begin(), search_.end(),
            [](const FoundEntry& a, const FoundEntry& b) { return a.name < b.name; });
}

const char* Resources::FindEntry(const char* wildcard, bool folders) {
  if (wildcard) StartSearch(wildcard);
  while (search_next_ < search_.size()) {
    const FoundEntry& entry = search_[search_next_++];
    if (entry.is_folder == folders) {
      found_name_ = entry.name;
      return found_name_.c_str();
    }
  }
  CloseSearch();
  return nullptr;
}

void* TVK_Impl::Resource_Load(const char* filename, uint32_t* size) { return res.Load(filename, size); }
void TVK_Impl::Resource_Free(void* block) { std::free(block); }
bool TVK_Impl::Resource_AddPack(const char* filename, const char* password) {
  return res.AddPack(filename, password);
}
void TVK_Impl::Resource_DropPack(const char* filename) { res.DropPack(filename); }
void TVK_Impl::Resource_DropAllPacks() { res.DropAllPacks(); }
const char* TVK_Impl::Resource_FullPath(const char* filename) { return res.FullPath(filename); }
const char* TVK_Impl::Resource_FindFile(const char* wildcard) { return res.FindFile(wildcard); }
const char* TVK_Impl::Resource_FindFolder(const char* wildcard) { return res.FindFolder(wildcard); }
