// Sound area of the engine: the audio library loaded at run time and bound by name, whether
// it runs on its no-sound device, and the file data of the streams the engine loaded itself.
// TVK_Impl's Effect_, Music_, Stream_ and Channel_ operations (engine/sound.cpp) call the
// library through it.
#pragma once

#include <cstdint>
#include <forward_list>
#include <string>

#include "platform/audio/bass.h"

class TVK_Impl;

// One pointer per library function, named as the function.
struct BassApi {
#define TVK_BASS_POINTER(name) decltype(&::name) name = nullptr;
  BASS_FUNCTIONS(TVK_BASS_POINTER)
#undef TVK_BASS_POINTER
};

class Sound {
 public:
  explicit Sound(TVK_Impl& engine) : e_(engine) {}
  Sound(const Sound&) = delete;
  Sound& operator=(const Sound&) = delete;

  // Loads, binds and starts the library: on the default output, else on the no-sound device.
  // True at once when sound is off or the library is loaded; false with the error posted.
  bool Init();
  // Stops and unloads the library and frees the data of every stream; the library's handles
  // die with it.
  void Done();
  bool Loaded() const { return library_ != nullptr; }
  bool Silent() const { return silent_; }
  const BassApi& Bass() const { return bass_; }

  // Global volumes 0..100 of effects, music and streams; nothing without the library.
  void SetEffectVolume(int volume) { SetConfig(BASS_CONFIG_GVOL_SAMPLE, volume); }
  void SetMusicVolume(int volume) { SetConfig(BASS_CONFIG_GVOL_MUSIC, volume); }
  void SetStreamVolume(int volume) { SetConfig(BASS_CONFIG_GVOL_STREAM, volume); }

  // Keeps a stream's file data (from Resource_Load) alive as long as the stream.
  void KeepStreamData(uint32_t stream, void* data) { streams_.push_front({stream, data}); }
  // Frees the data kept for a stream; nothing for a stream made from the caller's memory.
  void FreeStreamData(uint32_t stream);

  // The library file to load instead of libbass.so beside the program or on the library
  // path; empty for those. Tests use it to offer other libraries.
  std::string library_path;

 private:
  struct StreamData {
    uint32_t stream;
    void* data;
  };

  void* OpenLibrary() const;
  bool BindFunctions();
  void Unload();
  void StartOutput();
  void SetConfig(DWORD option, int volume);

  TVK_Impl& e_;
  void* library_ = nullptr;
  bool silent_ = false;
  BassApi bass_;
  std::forward_list<StreamData> streams_;  // newest first
};
