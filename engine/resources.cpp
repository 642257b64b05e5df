// PLACEHOLDER resources area.
#include "engine/resources.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/tvk_impl.h"

Resources::Resources(TVK_Impl& engine) : e_(engine) {
  std::string exe = os::ProgramPath();
  exe = exe.substr(0, exe.rfind('/') + 1);
  snprintf(program_folder_, sizeof program_folder_, "%s", exe.c_str());
}

const char* Resources::FullPath(const char* name) {
  if (!name) return program_folder_;
  if (name[0] == '/') snprintf(path_, sizeof path_, "%s", name);
  else snprintf(path_, sizeof path_, "%s%s", program_folder_, name);
  return path_;
}

void Resources::CloseSearch() {}

void* TVK_Impl::Resource_Load(const char*, uint32_t*) { return nullptr; }
void TVK_Impl::Resource_Free(void*) {}
bool TVK_Impl::Resource_AddPack(const char*, const char*) { return false; }
void TVK_Impl::Resource_DropPack(const char*) {}
void TVK_Impl::Resource_DropAllPacks() {}
const char* TVK_Impl::Resource_FullPath(const char* filename) { return res.FullPath(filename); }
const char* TVK_Impl::Resource_FindFile(const char*) { return nullptr; }
const char* TVK_Impl::Resource_FindFolder(const char*) { return nullptr; }
