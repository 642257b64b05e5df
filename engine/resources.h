// Resources area: whole-file loading from zip packs or disk, paths, file searches.
// PLACEHOLDER until the resources work lands: disk paths only, no packs, no searches.
#pragma once

#include <cstdint>

class TVK_Impl;

class Resources {
 public:
  explicit Resources(TVK_Impl& engine);

  const char* FullPath(const char* name);  // result lives in an engine buffer
  void CloseSearch();                      // ends an open file search (System_Finish)
  const char* ProgramFolder() const { return program_folder_; }

 private:
  [[maybe_unused]] TVK_Impl& e_;
  char program_folder_[260] = "";
  char path_[260] = "";
};
