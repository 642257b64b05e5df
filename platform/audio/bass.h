// The audio library's C interface: the 38 functions the engine binds by name from libbass.so,
// their records and constants. The library mixes in its own thread; every function may be
// called from any one thread at a time while the mixer runs.
#pragma once

#include <cstdint>

/// Integer types of the library's interface.
using DWORD = uint32_t;
using QWORD = uint64_t;
using BOOL = int;
using HSAMPLE = DWORD;   // a sample: decoded sound data that channels play
using HCHANNEL = DWORD;  // one playback of a sample
using HSTREAM = DWORD;   // a file decoded while it plays; also a channel
using HMUSIC = DWORD;    // a tracker module; also a channel

/// Version word: the high 16 bits are the interface version the engine checks.
constexpr DWORD kBassVersion = 0x02030001;

// Flags of samples, streams, music and channels.
constexpr DWORD BASS_SAMPLE_8BITS = 0x1;       ///< 8-bit unsigned data (else 16-bit signed)
constexpr DWORD BASS_SAMPLE_MONO = 0x2;        ///< decode to one channel
constexpr DWORD BASS_SAMPLE_LOOP = 0x4;        ///< play again from the start at the end
constexpr DWORD BASS_SAMPLE_OVER_VOL = 0x10000;  ///< all playbacks busy: replace the quietest
constexpr DWORD BASS_SAMPLE_OVER_POS = 0x20000;  ///< all playbacks busy: replace the longest
constexpr DWORD BASS_STREAM_DECODE = 0x200000; ///< not played; read with BASS_ChannelGetData
constexpr DWORD BASS_MUSIC_DECODE = BASS_STREAM_DECODE;  ///< music read with ChannelGetData

// BASS_ChannelIsActive results.
constexpr DWORD BASS_ACTIVE_STOPPED = 0;  ///< stopped or finished
constexpr DWORD BASS_ACTIVE_PLAYING = 1;  ///< playing
constexpr DWORD BASS_ACTIVE_PAUSED = 3;   ///< paused, alone or with the whole output

// BASS_SetConfig options: global volumes 0..100.
constexpr DWORD BASS_CONFIG_GVOL_SAMPLE = 4;  ///< volume of every sample playback
constexpr DWORD BASS_CONFIG_GVOL_STREAM = 5;  ///< volume of every stream
constexpr DWORD BASS_CONFIG_GVOL_MUSIC = 6;   ///< volume of every music

// BASS_MusicSetAttribute / BASS_MusicGetAttribute attributes.
constexpr DWORD BASS_MUSIC_ATTRIB_AMPLIFY = 0;      ///< 0..100, default 50
constexpr DWORD BASS_MUSIC_ATTRIB_VOL_CHAN = 0x100; ///< + channel: 0..100, default 100
constexpr DWORD BASS_MUSIC_ATTRIB_VOL_INST = 0x200; ///< + instrument: 0..100, default 100

constexpr DWORD BASS_ERROR_VALUE = 0xFFFFFFFF;  ///< failure result of getters returning DWORD
constexpr DWORD kMusicPositionFlag = 0x80000000;  ///< marks an order/row position

/// What BASS_SampleGetInfo fills in.
struct BASS_SAMPLE {
  DWORD freq;    ///< default playback rate in Hz
  DWORD volume;  ///< default volume 0..100
  int pan;       ///< default pan -100..100
  DWORD flags;   ///< BASS_SAMPLE_* flags
  DWORD length;  ///< data length in bytes, in the format the flags give
  DWORD max;     ///< simultaneous playbacks
  DWORD chans;   ///< 1 or 2
};

/// What BASS_ChannelGetInfo fills in.
struct BASS_CHANNELINFO {
  DWORD freq;   ///< default rate in Hz
  DWORD chans;  ///< 1 or 2
  DWORD flags;  ///< BASS_SAMPLE_* and decode flags of the channel
};

extern "C" {
/// The library's version; the high word is the interface version, 0x0203.
DWORD BASS_GetVersion();
/// Name of output device 1 (the default output) or 0 (no sound); null for others.
const char* BASS_GetDeviceDescription(DWORD device);
/// Starts output on device -1 or 1 (default) or 0 (no sound) at freq Hz; false on failure.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* window, const void* guid);
/// Stops output and frees every sample, stream and music; false when not started.
BOOL BASS_Free();
/// Resumes output after BASS_Pause or BASS_Stop.
BOOL BASS_Start();
/// Pauses output; every channel keeps its place.
BOOL BASS_Pause();
/// Stops every channel and pauses output.
BOOL BASS_Stop();
/// Sets a global volume option (BASS_CONFIG_GVOL_*) to 0..100; 0 for an unknown option or value.
DWORD BASS_SetConfig(DWORD option, DWORD value);
/// A sample from an uncompressed sound file in memory (mem true) or on disk; 0 on failure.
HSAMPLE BASS_SampleLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD max,
                        DWORD flags);
/// A zeroed buffer of length bytes of PCM for BASS_SampleCreateDone; null on bad sizes.
void* BASS_SampleCreate(DWORD length, DWORD freq, DWORD chans, DWORD max, DWORD flags);
/// The sample made from the last BASS_SampleCreate buffer; 0 when none is pending.
HSAMPLE BASS_SampleCreateDone();
/// Fills in the sample's rate, flags, length and format; false for a bad handle.
BOOL BASS_SampleGetInfo(HSAMPLE sample, BASS_SAMPLE* info);
/// A new playback of the sample; when all are busy one is replaced per its flags, else 0.
HCHANNEL BASS_SampleGetChannel(HSAMPLE sample, BOOL only_new);
/// Frees the sample and its playbacks.
BOOL BASS_SampleFree(HSAMPLE sample);
/// A tracker module from memory (length bytes) or a file, kept as a copy; 0 on failure.
HMUSIC BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD flags,
                      DWORD freq);
/// Frees the music.
BOOL BASS_MusicFree(HMUSIC music);
/// Number of orders of the music; BASS_ERROR_VALUE for a bad handle.
DWORD BASS_MusicGetOrders(HMUSIC music);
/// Current order (low word) and row (high word); BASS_ERROR_VALUE for a bad handle.
DWORD BASS_MusicGetOrderPosition(HMUSIC music);
/// Sets amplification, a track volume or an instrument volume (BASS_MUSIC_ATTRIB_*).
BOOL BASS_MusicSetAttribute(HMUSIC music, DWORD attrib, DWORD value);
/// The attribute's value; BASS_ERROR_VALUE for a bad handle or attribute.
DWORD BASS_MusicGetAttribute(HMUSIC music, DWORD attrib);
/// A stream decoded while it plays (memory must outlive it); 0 on failure. With
/// BASS_STREAM_DECODE it is only read through BASS_ChannelGetData.
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length,
                              DWORD flags);
/// Frees the stream.
BOOL BASS_StreamFree(HSTREAM stream);
/// Fills in the channel's default rate, channel count and flags.
BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info);
/// Current frequency, volume and pan; null pointers are skipped.
BOOL BASS_ChannelGetAttributes(DWORD handle, DWORD* freq, DWORD* volume, int* pan);
/// Sets frequency (-1 keep, 0 default), volume (-1 keep) and pan (-101 keep).
BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan);
/// Slides frequency, volume and pan (same keep values) to the targets over time ms.
BOOL BASS_ChannelSlideAttributes(DWORD handle, int freq, int volume, int pan, DWORD time);
/// Bits of the attributes still sliding: 1 frequency, 2 volume, 4 pan.
DWORD BASS_ChannelIsSliding(DWORD handle);
/// Sets or clears the channel's loop flag; other flags are fixed.
BOOL BASS_ChannelSetFlags(DWORD handle, DWORD flags);
/// Decodes up to length bytes of a decode stream as PCM; bytes written, BASS_ERROR_VALUE on error.
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);
/// Plays the channel, from the start when restart is true or it had ended.
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);
/// Pauses a playing channel; false when it was not playing.
BOOL BASS_ChannelPause(DWORD handle);
/// Stops the channel.
BOOL BASS_ChannelStop(DWORD handle);
/// BASS_ACTIVE_PLAYING, BASS_ACTIVE_PAUSED or BASS_ACTIVE_STOPPED (also for bad handles).
DWORD BASS_ChannelIsActive(DWORD handle);
/// Length in bytes of the channel's PCM; all ones for a bad handle.
QWORD BASS_ChannelGetLength(DWORD handle);
/// Position in bytes; all ones for a bad handle.
QWORD BASS_ChannelGetPosition(DWORD handle);
/// Moves to a byte position, or for music to an order/row position (kMusicPositionFlag set).
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD position);
/// Seconds as a byte position of the channel; all ones for a bad handle.
QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float seconds);
/// A byte position as seconds; -1 for a bad handle.
float BASS_ChannelBytes2Seconds(DWORD handle, QWORD position);
}

/// The 38 functions in the order the engine looks them up; X(name) per function.
#define BASS_FUNCTIONS(X)                                                                      \
  X(BASS_GetVersion) X(BASS_GetDeviceDescription) X(BASS_Init) X(BASS_Free) X(BASS_Start)      \
  X(BASS_Pause) X(BASS_Stop) X(BASS_SetConfig) X(BASS_SampleLoad) X(BASS_SampleCreate)         \
  X(BASS_SampleCreateDone) X(BASS_SampleGetInfo) X(BASS_SampleGetChannel) X(BASS_SampleFree)   \
  X(BASS_MusicLoad) X(BASS_MusicFree) X(BASS_MusicGetOrders) X(BASS_MusicGetOrderPosition)     \
  X(BASS_MusicSetAttribute) X(BASS_MusicGetAttribute) X(BASS_StreamCreateFile)                 \
  X(BASS_StreamFree) X(BASS_ChannelGetInfo) X(BASS_ChannelGetAttributes)                       \
  X(BASS_ChannelSetAttributes) X(BASS_ChannelSlideAttributes) X(BASS_ChannelIsSliding)         \
  X(BASS_ChannelSetFlags) X(BASS_ChannelGetData) X(BASS_ChannelPlay) X(BASS_ChannelPause)      \
  X(BASS_ChannelStop) X(BASS_ChannelIsActive) X(BASS_ChannelGetLength)                         \
  X(BASS_ChannelGetPosition) X(BASS_ChannelSetPosition) X(BASS_ChannelSeconds2Bytes)           \
  X(BASS_ChannelBytes2Seconds)
