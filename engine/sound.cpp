// Sound operations: effects, music, streams and channels, each a few calls into the audio
// library with unit conversions. Without the library, setters do nothing and getters give
// their "nothing there" value (0, -1, -1.0 or false).
#include <cmath>
#include <cstdint>

#include "engine/tvk_impl.h"

namespace {

constexpr DWORD kSampleMax = 4;              // simultaneous playbacks of one effect
constexpr DWORD kMusicFlags = 0x420200;      // ramping, length calculation, position resets
constexpr int kPanUnchanged = -101;

// The data of a load: the caller's memory when a size is given (never freed here), or the
// named file read through the resources and freed at the end unless handed on.
class SoundData {
 public:
  SoundData(TVK_Impl& e, const char* name, uint32_t size) : e_(e) {
    if (size) {
      data_ = const_cast<char*>(name);
      size_ = size;
    } else if (name) {
      data_ = e.Resource_Load(name, &size_);
      owned_ = true;
    }
  }
  ~SoundData() {
    if (owned_) e_.Resource_Free(data_);
  }
  SoundData(const SoundData&) = delete;
  SoundData& operator=(const SoundData&) = delete;

  explicit operator bool() const { return data_ != nullptr; }
  void* Data() const { return data_; }
  uint32_t Size() const { return size_; }
  bool Owned() const { return owned_; }
  // Hands the loaded data on to a new owner.
  void* Release() {
    owned_ = false;
    return data_;
  }

 private:
  TVK_Impl& e_;
  void* data_ = nullptr;
  uint32_t size_ = 0;
  bool owned_ = false;
};

// A default frequency scaled by a pitch factor, truncated; out-of-range products clamp.
int ScaledFrequency(DWORD freq, float pitch) {
  const double f = double(freq) * double(pitch);
  if (!(f > 0)) return 0;
  return f >= double(INT32_MAX) ? INT32_MAX : int(f);
}

DWORD Milliseconds(float seconds) {
  const double ms = double(seconds) * 1000.0;
  if (!(ms > 0)) return 0;
  return ms >= double(UINT32_MAX) ? UINT32_MAX : DWORD(ms);
}

DWORD WithLoop(DWORD flags, bool loop) {
  return loop ? flags | BASS_SAMPLE_LOOP : flags & ~BASS_SAMPLE_LOOP;
}

// Plays a stream or music at its default frequency, centred, with the volume and loop given.
void StartChannel(const BassApi& b, DWORD channel, int volume, bool loop, BOOL restart) {
  BASS_CHANNELINFO info{};
  b.BASS_ChannelGetInfo(channel, &info);
  b.BASS_ChannelSetAttributes(channel, int(info.freq), volume, 0);
  b.BASS_ChannelSetFlags(channel, WithLoop(info.flags, loop));
  b.BASS_ChannelPlay(channel, restart);
}

void SetMusicAttribute(const Sound& sound, MusicHandle music, DWORD attrib, int value) {
  if (sound.Loaded()) sound.Bass().BASS_MusicSetAttribute(music, attrib, DWORD(value));
}

int GetMusicAttribute(const Sound& sound, MusicHandle music, DWORD attrib) {
  return sound.Loaded() ? int(sound.Bass().BASS_MusicGetAttribute(music, attrib)) : -1;
}

DWORD MusicPosition(int order, int row) {
  return kMusicPositionFlag + (DWORD(row) << 16) + (DWORD(order) & 0xFFFF);
}

}  // namespace

// ---- effects ----

// Decodes data the library cannot load as a sample into a new sample through a decode-only
// stream. The buffer holds the whole decoded length in the stream's own channel count.
EffectHandle TVK_Impl::DecodeEffect(void* data, uint32_t size) {
  const BassApi& b = sound.Bass();
  const HSTREAM stream = b.BASS_StreamCreateFile(1, data, 0, size, BASS_STREAM_DECODE);
  if (!stream) return 0;
  const DWORD length = DWORD(b.BASS_ChannelGetLength(stream));
  BASS_CHANNELINFO info{};
  b.BASS_ChannelGetInfo(stream, &info);
  void* buffer = b.BASS_SampleCreate(length, info.freq, info.chans, kSampleMax,
                                     info.flags | BASS_SAMPLE_OVER_VOL);
  if (!buffer) {
    b.BASS_StreamFree(stream);
    PostError("Can't create sound effect: Not enough memory");
    return 0;
  }
  b.BASS_ChannelGetData(stream, buffer, length);
  const EffectHandle effect = b.BASS_SampleCreateDone();
  b.BASS_StreamFree(stream);
  if (!effect) PostError("Can't create sound effect");
  return effect;
}

EffectHandle TVK_Impl::Effect_Load(const char* filename, uint32_t size) {
  if (!sound.Loaded()) return 0;
  if (sound.Silent()) return 1;
  SoundData d(*this, filename, size);
  if (!d) return 0;
  const EffectHandle effect = sound.Bass().BASS_SampleLoad(1, d.Data(), 0, d.Size(), kSampleMax,
                                                           BASS_SAMPLE_OVER_VOL);
  return effect ? effect : DecodeEffect(d.Data(), d.Size());
}

void TVK_Impl::Effect_Free(EffectHandle effect) {
  if (sound.Loaded()) sound.Bass().BASS_SampleFree(effect);
}

ChannelHandle TVK_Impl::Effect_Play(EffectHandle effect) {
  if (!sound.Loaded()) return 0;
  const HCHANNEL channel = sound.Bass().BASS_SampleGetChannel(effect, 0);
  sound.Bass().BASS_ChannelPlay(channel, 1);
  return channel;
}

ChannelHandle TVK_Impl::Effect_PlayTuned(EffectHandle effect, int volume, int pan, float pitch,
                                         bool loop) {
  if (!sound.Loaded()) return 0;
  const BassApi& b = sound.Bass();
  BASS_SAMPLE info{};
  b.BASS_SampleGetInfo(effect, &info);
  const HCHANNEL channel = b.BASS_SampleGetChannel(effect, 0);
  b.BASS_ChannelSetAttributes(channel, ScaledFrequency(info.freq, pitch), volume, pan);
  b.BASS_ChannelSetFlags(channel, WithLoop(info.flags, loop));
  b.BASS_ChannelPlay(channel, 1);
  return channel;
}

// ---- music ----

MusicHandle TVK_Impl::Music_Load(const char* filename, uint32_t size) {
  if (!sound.Loaded()) return 0;
  SoundData d(*this, filename, size);
  if (!d) return 0;
  const HMUSIC music = sound.Bass().BASS_MusicLoad(1, d.Data(), 0, d.Size(), kMusicFlags, 0);
  if (!music) PostError("Can't load music");
  return music;
}

void TVK_Impl::Music_Free(MusicHandle music) {
  if (sound.Loaded()) sound.Bass().BASS_MusicFree(music);
}

ChannelHandle TVK_Impl::Music_Play(MusicHandle music, bool loop, int volume, int order, int row) {
  if (!sound.Loaded()) return 0;
  const BassApi& b = sound.Bass();
  const DWORD current = b.BASS_MusicGetOrderPosition(music);
  if (order == -1) order = int(current & 0xFFFF);
  if (row == -1) row = int(current >> 16);
  b.BASS_ChannelSetPosition(music, MusicPosition(order, row));
  StartChannel(b, music, volume, loop, 0);
  return music;
}

void TVK_Impl::Music_SetAmplify(MusicHandle music, int amplify) {
  SetMusicAttribute(sound, music, BASS_MUSIC_ATTRIB_AMPLIFY, amplify);
}

int TVK_Impl::Music_GetAmplify(MusicHandle music) {
  return GetMusicAttribute(sound, music, BASS_MUSIC_ATTRIB_AMPLIFY);
}

int TVK_Impl::Music_GetOrderCount(MusicHandle music) {
  if (!sound.Loaded()) return -1;
  return int(sound.Bass().BASS_MusicGetOrders(music));
}

void TVK_Impl::Music_SetOrderRow(MusicHandle music, int order, int row) {
  if (sound.Loaded()) sound.Bass().BASS_ChannelSetPosition(music, MusicPosition(order, row));
}

bool TVK_Impl::Music_GetOrderRow(MusicHandle music, int* order, int* row) {
  if (!sound.Loaded()) return false;
  const DWORD position = sound.Bass().BASS_MusicGetOrderPosition(music);
  if (position == BASS_ERROR_VALUE) return false;
  if (order) *order = int(position & 0xFFFF);
  if (row) *row = int(position >> 16);
  return true;
}

void TVK_Impl::Music_SetInstrumentVolume(MusicHandle music, int instrument, int volume) {
  SetMusicAttribute(sound, music, BASS_MUSIC_ATTRIB_VOL_INST + DWORD(instrument), volume);
}

int TVK_Impl::Music_GetInstrumentVolume(MusicHandle music, int instrument) {
  return GetMusicAttribute(sound, music, BASS_MUSIC_ATTRIB_VOL_INST + DWORD(instrument));
}

void TVK_Impl::Music_SetTrackVolume(MusicHandle music, int channel, int volume) {
  SetMusicAttribute(sound, music, BASS_MUSIC_ATTRIB_VOL_CHAN + DWORD(channel), volume);
}

int TVK_Impl::Music_GetTrackVolume(MusicHandle music, int channel) {
  return GetMusicAttribute(sound, music, BASS_MUSIC_ATTRIB_VOL_CHAN + DWORD(channel));
}

// ---- streams ----

StreamHandle TVK_Impl::Stream_Load(const char* filename, uint32_t size) {
  if (!sound.Loaded()) return 0;
  if (sound.Silent()) return 1;
  SoundData d(*this, filename, size);
  if (!d) return 0;
  const HSTREAM stream = sound.Bass().BASS_StreamCreateFile(1, d.Data(), 0, d.Size(), 0);
  if (!stream) {
    PostError("Can't load stream");
    return 0;
  }
  if (d.Owned()) sound.KeepStreamData(stream, d.Release());
  return stream;
}

// The stream goes first, so the mixer is no longer reading the data when it is freed.
void TVK_Impl::Stream_Free(StreamHandle stream) {
  if (!sound.Loaded()) return;
  sound.Bass().BASS_StreamFree(stream);
  sound.FreeStreamData(stream);
}

ChannelHandle TVK_Impl::Stream_Play(StreamHandle stream, bool loop, int volume) {
  if (!sound.Loaded()) return 0;
  StartChannel(sound.Bass(), stream, volume, loop, 1);
  return stream;
}

// ---- channels ----

void TVK_Impl::Channel_SetPan(ChannelHandle channel, int pan) {
  if (sound.Loaded()) sound.Bass().BASS_ChannelSetAttributes(channel, -1, -1, pan);
}

void TVK_Impl::Channel_SetVolume(ChannelHandle channel, int volume) {
  if (sound.Loaded()) sound.Bass().BASS_ChannelSetAttributes(channel, -1, volume, kPanUnchanged);
}

void TVK_Impl::Channel_SetPitch(ChannelHandle channel, float pitch) {
  if (!sound.Loaded()) return;
  BASS_CHANNELINFO info{};
  sound.Bass().BASS_ChannelGetInfo(channel, &info);
  sound.Bass().BASS_ChannelSetAttributes(channel, ScaledFrequency(info.freq, pitch), -1,
                                         kPanUnchanged);
}

void TVK_Impl::Channel_Pause(ChannelHandle channel) {
  if (sound.Loaded()) sound.Bass().BASS_ChannelPause(channel);
}

void TVK_Impl::Channel_Resume(ChannelHandle channel) {
  if (sound.Loaded()) sound.Bass().BASS_ChannelPlay(channel, 0);
}

void TVK_Impl::Channel_Stop(ChannelHandle channel) {
  if (sound.Loaded()) sound.Bass().BASS_ChannelStop(channel);
}

void TVK_Impl::Channel_PauseAll() {
  if (sound.Loaded()) sound.Bass().BASS_Pause();
}

void TVK_Impl::Channel_ResumeAll() {
  if (sound.Loaded()) sound.Bass().BASS_Start();
}

void TVK_Impl::Channel_StopAll() {
  if (!sound.Loaded()) return;
  sound.Bass().BASS_Stop();
  sound.Bass().BASS_Start();
}

bool TVK_Impl::Channel_IsActive(ChannelHandle channel) {
  return sound.Loaded() && sound.Bass().BASS_ChannelIsActive(channel) == BASS_ACTIVE_PLAYING;
}

float TVK_Impl::Channel_GetLength(ChannelHandle channel) {
  if (!sound.Loaded()) return -1.0f;
  const BassApi& b = sound.Bass();
  return b.BASS_ChannelBytes2Seconds(channel, b.BASS_ChannelGetLength(channel));
}

float TVK_Impl::Channel_GetPosition(ChannelHandle channel) {
  if (!sound.Loaded()) return -1.0f;
  const BassApi& b = sound.Bass();
  return b.BASS_ChannelBytes2Seconds(channel, b.BASS_ChannelGetPosition(channel));
}

void TVK_Impl::Channel_SetPosition(ChannelHandle channel, float seconds) {
  if (!sound.Loaded()) return;
  const BassApi& b = sound.Bass();
  b.BASS_ChannelSetPosition(channel, b.BASS_ChannelSeconds2Bytes(channel, seconds));
}

void TVK_Impl::Channel_Slide(ChannelHandle channel, float time, int volume, int pan,
                             float pitch) {
  if (!sound.Loaded()) return;
  const BassApi& b = sound.Bass();
  BASS_CHANNELINFO info{};
  b.BASS_ChannelGetInfo(channel, &info);
  const int freq = pitch == -1.0f ? -1 : ScaledFrequency(info.freq, pitch);
  b.BASS_ChannelSlideAttributes(channel, freq, volume, pan, Milliseconds(time));
}

bool TVK_Impl::Channel_IsSliding(ChannelHandle channel) {
  return sound.Loaded() && sound.Bass().BASS_ChannelIsSliding(channel) != 0;
}
