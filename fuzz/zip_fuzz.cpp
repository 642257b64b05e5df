// Feeds arbitrary bytes to the pack reader as a zip file and loads every entry it names. Every
// load must end in a block of the entry's declared size or a clean failure.
#include <minizip/unzip.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/tvk.h"

namespace {

constexpr size_t kMaxEntries = 16;

// The entry names of the archive, as the engine will look them up.
std::vector<std::string> EntryNames(const std::string& path) {
  std::vector<std::string> names;
  unzFile zip = unzOpen64(path.c_str());
  if (!zip) return names;
  for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK && names.size() < kMaxEntries; rc = unzGoToNextFile(zip)) {
    char name[256];
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name - 1, nullptr, 0, nullptr, 0) != UNZ_OK) break;
    name[std::min<size_t>(info.size_filename, sizeof name - 1)] = '\0';
    if (name[0] != '\0' && name[0] != '/' && name[0] != '\\') names.push_back(name);
  }
  unzClose(zip);
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TVK* tvk = TVK_Create(TVK_VERSION);
  static const std::string path = "/tmp/tvk_zip_fuzz_" + std::to_string(getpid()) + ".zip";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  if (tvk->Resource_AddPack(path.c_str(), "pw")) {
    for (const std::string& name : EntryNames(path)) {
      uint32_t loaded = 0;
      void* block = tvk->Resource_Load(name.c_str(), &loaded);
      if (block && loaded > (1u << 30)) __builtin_trap();  // the input cannot inflate that far
      tvk->Resource_Free(block);
    }
    tvk->Resource_DropAllPacks();
  }
  std::remove(path.c_str());
  return 0;
}
