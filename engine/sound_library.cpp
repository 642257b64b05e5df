// Loading the audio library, binding its functions by name and starting its output.
#include "engine/sound_library.h"

#include <dlfcn.h>

#include "engine/tvk_impl.h"

namespace {

constexpr const char* kLibraryName = "libbass.so";
constexpr DWORD kInterfaceVersion = 0x0203;

}  // namespace

// Beside the program first, then wherever the system's library path finds it.
void* Sound::OpenLibrary() const {
  if (!library_path.empty()) return dlopen(library_path.c_str(), RTLD_NOW | RTLD_LOCAL);
  const std::string beside = std::string(e_.res.ProgramFolder()) + kLibraryName;
  if (void* lib = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL)) return lib;
  return dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
}

// Checks the version before anything else is looked up, then binds the other functions in
// their table order. False when the version differs or a function is missing.
bool Sound::BindFunctions() {
  bass_.BASS_GetVersion =
      reinterpret_cast<decltype(bass_.BASS_GetVersion)>(dlsym(library_, "BASS_GetVersion"));
  if (!bass_.BASS_GetVersion || bass_.BASS_GetVersion() >> 16 != kInterfaceVersion) return false;
  bool complete = true;
#define TVK_BASS_BIND(name)                                              \
  bass_.name = reinterpret_cast<decltype(bass_.name)>(dlsym(library_, #name)); \
  complete = complete && bass_.name;
  BASS_FUNCTIONS(TVK_BASS_BIND)
#undef TVK_BASS_BIND
  return complete;
}

void Sound::Unload() {
  dlclose(library_);
  library_ = nullptr;
  bass_ = {};
}

void Sound::StartOutput() {
  void* window = e_.System_GetWindow(State_WindowHandle);
  silent_ = false;
  if (bass_.BASS_Init(-1, DWORD(e_.sample_rate), 0, window, nullptr)) {
    const char* device = bass_.BASS_GetDeviceDescription(1);
    e_.System_WriteLog("Sound Device: %s", device ? device : "");
    e_.System_WriteLog("Sample rate: %ld\n", long(e_.sample_rate));
    return;
  }
  e_.System_WriteLog("BASS Init failed, using no sound");
  bass_.BASS_Init(0, DWORD(e_.sample_rate), 0, window, nullptr);
  silent_ = true;
}

bool Sound::Init() {
  if (!e_.use_sound || Loaded()) return true;
  library_ = OpenLibrary();
  if (!library_) {
    e_.PostError("Can't load BASS.DLL");
    return false;
  }
  if (!BindFunctions()) {
    Unload();
    e_.PostError("Incorrect BASS.DLL version");
    return false;
  }
  StartOutput();
  SetEffectVolume(e_.effect_volume);
  SetMusicVolume(e_.music_volume);
  SetStreamVolume(e_.stream_volume);
  return true;
}

void Sound::Done() {
  if (!Loaded()) return;
  bass_.BASS_Stop();
  bass_.BASS_Free();
  Unload();
  for (const StreamData& node : streams_) e_.Resource_Free(node.data);
  streams_.clear();
}

void Sound::FreeStreamData(uint32_t stream) {
  auto before = streams_.before_begin();
  for (auto it = streams_.begin(); it != streams_.end(); before = it++) {
    if (it->stream != stream) continue;
    e_.Resource_Free(it->data);
    streams_.erase_after(before);
    return;
  }
}

void Sound::SetConfig(DWORD option, int volume) {
  if (Loaded()) bass_.BASS_SetConfig(option, DWORD(volume));
}
