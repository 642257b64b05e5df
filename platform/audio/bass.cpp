// The exported functions of the audio library. The mixer and its tables live behind one
// mutex that the output thread also takes while it renders; decode-only streams, which the
// output never touches, have their own mutex so long decodes do not hold up the sound.
// Bad handles and arguments give the documented failure value and change nothing.
#include "platform/audio/bass.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "platform/audio/channel.h"
#include "platform/audio/decoder.h"
#include "platform/audio/handle_table.h"
#include "platform/audio/mixer.h"
#include "platform/audio/module.h"
#include "platform/audio/output.h"

#define BASS_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using namespace audio;

constexpr uint32_t kMinOutputRate = 8000;
constexpr uint32_t kMaxOutputRate = 192000;
constexpr DWORD kSampleFlags = BASS_SAMPLE_8BITS | BASS_SAMPLE_MONO | BASS_SAMPLE_LOOP |
                               BASS_SAMPLE_OVER_VOL | BASS_SAMPLE_OVER_POS;
constexpr DWORD kStreamFlags = BASS_SAMPLE_8BITS | BASS_SAMPLE_LOOP | BASS_STREAM_DECODE;
constexpr QWORD kBadPosition = ~QWORD(0);

// A sample buffer handed out by BASS_SampleCreate, waiting for BASS_SampleCreateDone.
struct PendingSample {
  std::vector<uint8_t> pcm;
  DWORD freq = 0, chans = 0, max = 0, flags = 0;
};

struct Library {
  std::mutex lifecycle;  // serialises Init and Free; guards output and description
  std::mutex lock;       // guards mixer and pending
  std::unique_ptr<Mixer> mixer;
  PendingSample pending;
  std::mutex decode_lock;  // guards decoders
  std::unique_ptr<HandleTable<Channel>> decoders;
  std::atomic<uint32_t> rate{0};
  std::string description;
  std::unique_ptr<Output> output;  // last, so it stops before the tables go
};

Library g;

template <class R, class F>
R WithMixer(R fail, F&& f) {
  std::lock_guard<std::mutex> hold(g.lock);
  return g.mixer ? f(*g.mixer) : fail;
}

// Runs f on the channel of a playback, stream, music or decode-stream handle.
template <class R, class F>
R WithChannel(DWORD handle, R fail, F&& f) {
  if (HandleKind(handle) == kKindDecoder) {
    std::lock_guard<std::mutex> hold(g.decode_lock);
    Channel* c = g.decoders ? g.decoders->Find(handle) : nullptr;
    return c ? f(*c) : fail;
  }
  return WithMixer(fail, [&](Mixer& m) {
    Channel* c = m.FindChannel(handle);
    return c ? f(*c) : fail;
  });
}

template <class R, class F>
R WithMusic(DWORD handle, R fail, F&& f) {
  return WithMixer(fail, [&](Mixer& m) {
    Channel* c = m.FindChannel(handle, ChannelKind::Music);
    return c ? f(*c, static_cast<Module&>(c->GetSource())) : fail;
  });
}

size_t FrameBytes(Channel& c) {
  return size_t(c.GetSource().Channels()) * PcmBytes(c.Flags() & BASS_SAMPLE_8BITS);
}

void RenderOutput(int16_t* out, size_t frames) {
  std::lock_guard<std::mutex> hold(g.lock);
  if (g.mixer) g.mixer->Render(out, frames);
  else std::fill(out, out + frames * 2, int16_t(0));
}

void ResetTables() {
  g.rate = 0;
  {
    std::lock_guard<std::mutex> hold(g.lock);
    g.mixer.reset();
    g.pending = {};
  }
  std::lock_guard<std::mutex> hold(g.decode_lock);
  g.decoders.reset();
}

std::shared_ptr<SampleData> ToMono(std::shared_ptr<SampleData> data) {
  if (data->channels == 1) return data;
  auto mono = std::make_shared<SampleData>();
  mono->rate = data->rate;
  mono->frames.resize(data->FrameCount());
  for (size_t i = 0; i < mono->frames.size(); ++i)
    mono->frames[i] = 0.5f * (data->frames[2 * i] + data->frames[2 * i + 1]);
  return mono;
}

DWORD AddSample(std::shared_ptr<SampleData> data, DWORD max, DWORD flags) {
  if (!data) return 0;
  if (flags & BASS_SAMPLE_MONO) data = ToMono(std::move(data));
  auto sample = std::make_unique<Sample>();
  sample->data = std::move(data);
  sample->max = max;
  sample->flags = flags & kSampleFlags;
  return WithMixer(DWORD(0), [&](Mixer& m) { return m.AddSample(std::move(sample)); });
}

bool ValidMax(DWORD max) { return max >= 1 && max <= 0xFFFF; }

bool FreeChannelOfKind(DWORD handle, ChannelKind kind) {
  if (HandleKind(handle) == kKindDecoder) {
    std::lock_guard<std::mutex> hold(g.decode_lock);
    Channel* c = g.decoders ? g.decoders->Find(handle) : nullptr;
    return c && c->Kind() == kind && g.decoders->Remove(handle);
  }
  return WithMixer(false, [&](Mixer& m) { return m.FreeChannel(handle, kind); });
}

DWORD AddDecoder(std::unique_ptr<Channel> channel) {
  std::lock_guard<std::mutex> hold(g.decode_lock);
  return g.decoders ? g.decoders->Add(std::move(channel), kKindDecoder) : 0;
}

// Reads frames of a decode channel as PCM into `out`, up to `length` bytes.
DWORD ReadDecoded(Channel& c, uint8_t* out, DWORD length) {
  const size_t frame_bytes = FrameBytes(c);
  const size_t ch = size_t(c.GetSource().Channels());
  const bool eight_bit = c.Flags() & BASS_SAMPLE_8BITS;
  std::vector<float> chunk(4096 * ch);
  size_t frames_left = length / frame_bytes, written = 0;
  while (frames_left) {
    const size_t n = c.ReadFrames(chunk.data(), std::min<size_t>(frames_left, 4096));
    if (!n) break;
    FloatToPcm(chunk.data(), n * ch, eight_bit, out + written);
    written += n * frame_bytes;
    frames_left -= n;
  }
  return DWORD(written);
}

bool SetMusicOrderRow(Channel& c, QWORD position) {
  auto& module = static_cast<Module&>(c.GetSource());
  const int order = int(position & 0xFFFF), row = int((position >> 16) & 0x7FFF);
  if (!module.SetOrderRow(order, row)) return false;
  c.Reposition(module.PositionFrames());
  return true;
}

}  // namespace

BASS_EXPORT DWORD BASS_GetVersion() { return kBassVersion; }

BASS_EXPORT const char* BASS_GetDeviceDescription(DWORD device) {
  std::lock_guard<std::mutex> hold(g.lifecycle);
  if (device == 0) return "No sound";
  if (device != 1) return nullptr;
  g.description = "Default output";
  if (g.output && g.output->Description() != "No sound") g.description = g.output->Description();
  return g.description.c_str();
}

BASS_EXPORT BOOL BASS_Init(int device, DWORD freq, DWORD, void*, const void*) {
  std::lock_guard<std::mutex> hold(g.lifecycle);
  if (g.output || freq < kMinOutputRate || freq > kMaxOutputRate) return false;
  g.rate = freq;
  {
    std::lock_guard<std::mutex> hold_mixer(g.lock);
    g.mixer = std::make_unique<Mixer>(freq);
  }
  {
    std::lock_guard<std::mutex> hold_decoders(g.decode_lock);
    g.decoders = std::make_unique<HandleTable<Channel>>();
  }
  g.output = Output::Open(device, freq, RenderOutput);
  if (!g.output) ResetTables();
  return g.output != nullptr;
}

BASS_EXPORT BOOL BASS_Free() {
  std::lock_guard<std::mutex> hold(g.lifecycle);
  if (!g.output) return false;
  g.output.reset();
  ResetTables();
  return true;
}

BASS_EXPORT BOOL BASS_Start() {
  return WithMixer(false, [](Mixer& m) { m.SetPaused(false); return true; });
}

BASS_EXPORT BOOL BASS_Pause() {
  return WithMixer(false, [](Mixer& m) { m.SetPaused(true); return true; });
}

BASS_EXPORT BOOL BASS_Stop() {
  return WithMixer(false, [](Mixer& m) { m.StopAll(); return true; });
}

BASS_EXPORT DWORD BASS_SetConfig(DWORD option, DWORD value) {
  return WithMixer(DWORD(0), [&](Mixer& m) { return DWORD(m.SetGlobalVolume(option, value)); });
}

BASS_EXPORT HSAMPLE BASS_SampleLoad(BOOL mem, const void* file, QWORD offset, DWORD length,
                                    DWORD max, DWORD flags) {
  FileBytes bytes;
  if (!ValidMax(max) || !bytes.Take(mem, file, offset, length)) return 0;
  return AddSample(DecodeSample(std::move(bytes), true), max, flags);
}

BASS_EXPORT void* BASS_SampleCreate(DWORD length, DWORD freq, DWORD chans, DWORD max,
                                    DWORD flags) {
  const size_t frame_bytes = chans * PcmBytes(flags & BASS_SAMPLE_8BITS);
  if (chans < 1 || chans > 2 || freq < kMinRate || freq > kMaxRate || !ValidMax(max) ||
      length < frame_bytes || length / frame_bytes > kMaxSampleFrames)
    return nullptr;
  return WithMixer<void*>(nullptr, [&](Mixer&) -> void* {
    try {
      g.pending.pcm.assign(length, (flags & BASS_SAMPLE_8BITS) ? 0x80 : 0);
    } catch (const std::bad_alloc&) {
      g.pending = {};
      return nullptr;
    }
    g.pending.freq = freq;
    g.pending.chans = chans;
    g.pending.max = max;
    g.pending.flags = flags;
    return g.pending.pcm.data();
  });
}

BASS_EXPORT HSAMPLE BASS_SampleCreateDone() {
  PendingSample pending;
  {
    std::lock_guard<std::mutex> hold(g.lock);
    pending = std::move(g.pending);
    g.pending = {};
  }
  if (pending.pcm.empty()) return 0;
  return AddSample(SampleFromPcm(pending.pcm.data(), pending.pcm.size(), int(pending.chans),
                                 pending.freq, pending.flags & BASS_SAMPLE_8BITS),
                   pending.max, pending.flags);
}

BASS_EXPORT BOOL BASS_SampleGetInfo(HSAMPLE handle, BASS_SAMPLE* info) {
  if (!info) return false;
  return WithMixer(false, [&](Mixer& m) {
    const Sample* s = m.FindSample(handle);
    if (!s) return false;
    const DWORD chans = DWORD(s->data->channels);
    *info = {s->data->rate, 100, 0, s->flags,
             DWORD(std::min<uint64_t>(s->data->FrameCount() * chans *
                                          PcmBytes(s->flags & BASS_SAMPLE_8BITS),
                                      0xFFFFFFFF)),
             s->max, chans};
    return true;
  });
}

BASS_EXPORT HCHANNEL BASS_SampleGetChannel(HSAMPLE handle, BOOL) {
  return WithMixer(DWORD(0), [&](Mixer& m) { return m.NewPlayback(handle); });
}

BASS_EXPORT BOOL BASS_SampleFree(HSAMPLE handle) {
  return WithMixer(false, [&](Mixer& m) { return m.FreeSample(handle); });
}

BASS_EXPORT HMUSIC BASS_MusicLoad(BOOL mem, const void* file, QWORD offset, DWORD length,
                                  DWORD flags, DWORD freq) {
  FileBytes bytes;
  if ((flags & BASS_MUSIC_DECODE) || !bytes.Take(mem, file, offset, length)) return 0;
  const uint32_t rate = freq ? freq : g.rate.load();
  if (rate < kMinOutputRate || rate > kMaxOutputRate) return 0;
  std::unique_ptr<Module> module = Module::Open(bytes.data, bytes.size, rate);
  if (!module) return 0;
  auto channel = std::make_unique<Channel>(ChannelKind::Music, std::move(module),
                                           flags & BASS_SAMPLE_LOOP);
  return WithMixer(DWORD(0), [&](Mixer& m) { return m.AddChannel(std::move(channel)); });
}

BASS_EXPORT BOOL BASS_MusicFree(HMUSIC handle) {
  return FreeChannelOfKind(handle, ChannelKind::Music);
}

BASS_EXPORT DWORD BASS_MusicGetOrders(HMUSIC handle) {
  return WithMusic(handle, BASS_ERROR_VALUE,
                   [](Channel&, Module& mod) { return DWORD(mod.Orders()); });
}

BASS_EXPORT DWORD BASS_MusicGetOrderPosition(HMUSIC handle) {
  return WithMusic(handle, BASS_ERROR_VALUE, [](Channel&, Module& mod) { return mod.OrderRow(); });
}

BASS_EXPORT BOOL BASS_MusicSetAttribute(HMUSIC handle, DWORD attrib, DWORD value) {
  const int v = value > 100 ? -1 : int(value);
  const int instrument = int(std::min<DWORD>(attrib - BASS_MUSIC_ATTRIB_VOL_INST, 0xFFFF));
  return WithMusic(handle, false, [&](Channel&, Module& mod) {
    if (attrib == BASS_MUSIC_ATTRIB_AMPLIFY) return mod.SetAmplify(v);
    if (attrib >= BASS_MUSIC_ATTRIB_VOL_INST)
      return mod.SetInstrumentVolume(instrument, v);
    if (attrib >= BASS_MUSIC_ATTRIB_VOL_CHAN)
      return mod.SetTrackVolume(int(attrib - BASS_MUSIC_ATTRIB_VOL_CHAN), v);
    return false;
  });
}

BASS_EXPORT DWORD BASS_MusicGetAttribute(HMUSIC handle, DWORD attrib) {
  const int instrument = int(std::min<DWORD>(attrib - BASS_MUSIC_ATTRIB_VOL_INST, 0xFFFF));
  return WithMusic(handle, BASS_ERROR_VALUE, [&](Channel&, Module& mod) {
    if (attrib == BASS_MUSIC_ATTRIB_AMPLIFY) return DWORD(mod.Amplify());
    if (attrib >= BASS_MUSIC_ATTRIB_VOL_INST)
      return DWORD(mod.InstrumentVolume(instrument));
    if (attrib >= BASS_MUSIC_ATTRIB_VOL_CHAN)
      return DWORD(mod.TrackVolume(int(attrib - BASS_MUSIC_ATTRIB_VOL_CHAN)));
    return BASS_ERROR_VALUE;
  });
}

BASS_EXPORT HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length,
                                          DWORD flags) {
  FileBytes bytes;
  if (!g.rate.load() || !bytes.Take(mem, file, offset, length)) return 0;
  std::unique_ptr<Decoder> decoder = Decoder::Open(std::move(bytes));
  if (!decoder) return 0;
  auto channel = std::make_unique<Channel>(ChannelKind::Stream, std::move(decoder),
                                           flags & kStreamFlags);
  if (flags & BASS_STREAM_DECODE) return AddDecoder(std::move(channel));
  return WithMixer(DWORD(0), [&](Mixer& m) { return m.AddChannel(std::move(channel)); });
}

BASS_EXPORT BOOL BASS_StreamFree(HSTREAM handle) {
  return FreeChannelOfKind(handle, ChannelKind::Stream);
}

BASS_EXPORT BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) {
  if (!info) return false;
  return WithChannel(handle, false, [&](Channel& c) {
    *info = {c.GetSource().Rate(), DWORD(c.GetSource().Channels()), c.Flags()};
    return true;
  });
}

BASS_EXPORT BOOL BASS_ChannelGetAttributes(DWORD handle, DWORD* freq, DWORD* volume, int* pan) {
  return WithChannel(handle, false, [&](Channel& c) {
    if (freq) *freq = c.Freq();
    if (volume) *volume = DWORD(c.Volume());
    if (pan) *pan = c.Pan();
    return true;
  });
}

BASS_EXPORT BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan) {
  return WithChannel(handle, false, [&](Channel& c) {
    c.SetAttributes(freq, volume, pan);
    return true;
  });
}

BASS_EXPORT BOOL BASS_ChannelSlideAttributes(DWORD handle, int freq, int volume, int pan,
                                             DWORD time) {
  return WithChannel(handle, false, [&](Channel& c) {
    c.Slide(freq, volume, pan, time, g.rate.load());
    return true;
  });
}

BASS_EXPORT DWORD BASS_ChannelIsSliding(DWORD handle) {
  return WithChannel(handle, DWORD(0), [](Channel& c) { return c.Sliding(); });
}

BASS_EXPORT BOOL BASS_ChannelSetFlags(DWORD handle, DWORD flags) {
  return WithChannel(handle, false, [&](Channel& c) {
    c.SetFlags(flags);
    return true;
  });
}

BASS_EXPORT DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
  if (!buffer || HandleKind(handle) != kKindDecoder || (length & 0xF0000000))
    return BASS_ERROR_VALUE;
  return WithChannel(handle, BASS_ERROR_VALUE, [&](Channel& c) {
    return ReadDecoded(c, static_cast<uint8_t*>(buffer), length);
  });
}

BASS_EXPORT BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
  return WithChannel(handle, false, [&](Channel& c) {
    if (c.Decoding()) return false;
    c.Play(restart);
    return true;
  });
}

BASS_EXPORT BOOL BASS_ChannelPause(DWORD handle) {
  return WithChannel(handle, false, [](Channel& c) {
    if (!c.Playing()) return false;
    c.Pause();
    return true;
  });
}

BASS_EXPORT BOOL BASS_ChannelStop(DWORD handle) {
  return WithChannel(handle, false, [](Channel& c) {
    c.Stop();
    return true;
  });
}

BASS_EXPORT DWORD BASS_ChannelIsActive(DWORD handle) {
  if (HandleKind(handle) == kKindDecoder)
    return WithChannel(handle, BASS_ACTIVE_STOPPED, [](Channel& c) {
      return c.Position() < c.GetSource().Length() ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
    });
  return WithMixer(BASS_ACTIVE_STOPPED, [&](Mixer& m) {
    const Channel* c = m.FindChannel(handle);
    if (!c) return BASS_ACTIVE_STOPPED;
    if (c->Paused() || (c->Playing() && m.Paused())) return BASS_ACTIVE_PAUSED;
    return c->Playing() ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
  });
}

BASS_EXPORT QWORD BASS_ChannelGetLength(DWORD handle) {
  return WithChannel(handle, kBadPosition,
                     [](Channel& c) { return c.GetSource().Length() * FrameBytes(c); });
}

BASS_EXPORT QWORD BASS_ChannelGetPosition(DWORD handle) {
  return WithChannel(handle, kBadPosition, [](Channel& c) { return c.Position() * FrameBytes(c); });
}

BASS_EXPORT BOOL BASS_ChannelSetPosition(DWORD handle, QWORD position) {
  return WithChannel(handle, false, [&](Channel& c) {
    if (c.Kind() == ChannelKind::Music && position <= 0xFFFFFFFF &&
        (position & kMusicPositionFlag))
      return SetMusicOrderRow(c, position);
    const uint64_t frame = position / FrameBytes(c);
    if (frame > c.GetSource().Length() && c.Kind() != ChannelKind::Music) return false;
    return c.SetPosition(frame);
  });
}

BASS_EXPORT QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float seconds) {
  return WithChannel(handle, kBadPosition, [&](Channel& c) -> QWORD {
    if (!(seconds > 0)) return 0;
    const double frames = std::floor(double(seconds) * c.GetSource().Rate());
    return QWORD(std::min(frames, 1e15)) * FrameBytes(c);
  });
}

BASS_EXPORT float BASS_ChannelBytes2Seconds(DWORD handle, QWORD position) {
  return WithChannel(handle, -1.0f, [&](Channel& c) {
    return float(double(position / FrameBytes(c)) / c.GetSource().Rate());
  });
}
