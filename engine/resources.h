// Resources area: whole-file loading from zip packs or disk, path building, file searches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TVK_Impl;

// Finds `path` on a case-sensitive file system when it does not exist as spelled: each
// component that is missing is matched against its folder's entries without regard to case
// (the first match in byte order wins). Components that match nothing are kept as spelled, so
// the result also serves for creating a file in an existing folder.
std::string ResolvePathCase(const std::string& path);

// True when `name` matches `pattern` without regard to case: '*' matches any run of
// characters, '?' any one character. A trailing ".*" also matches the end of a name, so "*.*"
// matches every name, with or without a dot.
bool WildcardMatch(std::string_view pattern, std::string_view name);

class Resources {
 public:
  // Size of the path buffer; paths of this length or longer are refused.
  static constexpr size_t kMaxPath = 260;
  // Size of a pack's password field; longer passwords are refused.
  static constexpr size_t kMaxPassword = 64;

  explicit Resources(TVK_Impl& engine);

  // The absolute form of `name` (null = the program folder) in the path buffer, which each
  // call overwrites. A result that would not fit the buffer comes back as the empty string,
  // which names no file, so a caller that does not check it opens or creates nothing.
  const char* FullPath(const char* name);
  const char* ProgramFolder() const { return program_folder_.c_str(); }

  // Whole file from the newest pack that holds it, else from disk; the block is malloc'd and
  // released with free(). Null with "Can't load resource: %s" posted on failure. Packs and disk
  // files are opened only when they are regular files, so a FIFO or device never blocks a load.
  void* Load(const char* name, uint32_t* size);

  bool AddPack(const char* name, const char* password);
  void DropPack(const char* name);
  void DropAllPacks() { packs_.clear(); }

  // Wildcard searches; null continues the open search. The name returned stays valid until
  // the next search call.
  const char* FindFile(const char* wildcard) { return FindEntry(wildcard, false); }
  const char* FindFolder(const char* wildcard) { return FindEntry(wildcard, true); }
  void CloseSearch();

 private:
  struct Pack {
    std::string key;       // absolute path, upper-cased: the identity of the pack
    std::string file;      // the path to open, with its case resolved on disk
    std::string password;  // empty = none
  };
  struct FoundEntry {
    std::string name;
    bool is_folder;
  };

  std::vector<Pack>::iterator FindPack(const std::string& key);
  const char* FindEntry(const char* wildcard, bool folders);
  void StartSearch(const char* wildcard);

  TVK_Impl& e_;
  std::string program_folder_;
  char path_[kMaxPath] = "";
  std::vector<Pack> packs_;  // oldest first; loads search from the back
  std::vector<FoundEntry> search_;
  size_t search_next_ = 0;
  std::string found_name_;
};
