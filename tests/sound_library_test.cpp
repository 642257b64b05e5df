// The audio library on its own and through the engine with bad input: stale and made-up
// handles, truncated and garbage files, playback limits, decoding to PCM.
#include <string>
#include <vector>

#include "sound_test_support.h"

namespace {

using namespace sound_test;

}  // namespace

class SoundLibraryTest : public SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    ASSERT_TRUE(NoDevice());
  }
};

TEST_F(SoundLibraryTest, FreedAndMadeUpHandlesAreRefused) {
  const std::string wav = SineWav(440, 0.2, 0.5);
  const HSAMPLE sample = SOUND_LIB(BASS_SampleLoad)(1, wav.data(), 0, DWORD(wav.size()), 4, 0);
  ASSERT_NE(sample, 0u);
  const ChannelHandle channel = engine->Effect_Play(sample);
  ASSERT_TRUE(engine->Channel_IsActive(channel));
  engine->Effect_Free(sample);
  EXPECT_FALSE(engine->Channel_IsActive(channel));  // its playbacks went with it
  EXPECT_EQ(engine->Effect_Play(sample), 0u);
  EXPECT_EQ(engine->Channel_GetLength(channel), -1.0f);

  // A new sample may take the freed slot, but not the old handle.
  const HSAMPLE next = SOUND_LIB(BASS_SampleLoad)(1, wav.data(), 0, DWORD(wav.size()), 4, 0);
  EXPECT_NE(next, sample);
  BASS_SAMPLE info{};
  EXPECT_FALSE(SOUND_LIB(BASS_SampleGetInfo)(sample, &info));
  EXPECT_TRUE(SOUND_LIB(BASS_SampleGetInfo)(next, &info));

  const std::string mod = TrackerModule(2);
  const MusicHandle music = engine->Music_Load(mod.data(), uint32_t(mod.size()));
  for (uint32_t made_up : {1u, 2u, 0xFFFFFFFFu, next ^ 0x10000u, music + 1, next & 0x0FFFFFFFu}) {
    SCOPED_TRACE(made_up);
    EXPECT_EQ(engine->Effect_Play(made_up), 0u);
    EXPECT_EQ(engine->Music_GetOrderCount(made_up), -1);
    EXPECT_FALSE(engine->Music_GetOrderRow(made_up, nullptr, nullptr));
    EXPECT_FALSE(engine->Channel_IsActive(made_up));
    EXPECT_EQ(engine->Channel_GetPosition(made_up), -1.0f);
    engine->Channel_Slide(made_up, 1.0f, 0, 0, 2.0f);
    engine->Stream_Free(made_up);
    engine->Music_Free(made_up);
  }
  // A music handle is no stream, and a sample handle is no channel.
  engine->Stream_Free(music);
  EXPECT_EQ(engine->Music_GetOrderCount(music), 2);
  EXPECT_FALSE(SOUND_LIB(BASS_ChannelPlay)(next, 1));
  engine->Music_Free(music);
  EXPECT_EQ(engine->Music_GetOrderCount(music), -1);
}

TEST_F(SoundLibraryTest, GarbageAndTruncatedFilesGiveTheFailureTexts) {
  // The engine's silent mode hands out dummies for effects and streams, so these go to a
  // library on a real (captured) device.
  engine->System_Finish();
  ASSERT_TRUE(Capture());
  const std::string garbage(300, '\x5A');
  EXPECT_EQ(engine->Music_Load(garbage.data(), uint32_t(garbage.size())), 0u);
  EXPECT_STREQ(engine->System_GetLastError(), "Can't load music");
  EXPECT_EQ(engine->Stream_Load(garbage.data(), uint32_t(garbage.size())), 0u);
  EXPECT_STREQ(engine->System_GetLastError(), "Can't load stream");
  EXPECT_EQ(engine->Effect_Load(garbage.data(), uint32_t(garbage.size())), 0u);
  EXPECT_EQ(engine->Effect_Load(Path("missing.wav").c_str(), 0), 0u);
  EXPECT_NE(std::string(engine->System_GetLastError()).find("Can't load resource"),
            std::string::npos);

  // Every cut of a WAV and a module either loads something playable or fails cleanly.
  const std::string wav = SineWav(440, 0.05, 0.5), mod = TrackerModule(2);
  for (size_t cut = 1; cut < wav.size(); cut += 7) {
    const EffectHandle effect = engine->Effect_Load(wav.data(), uint32_t(cut));
    engine->Channel_Stop(engine->Effect_Play(effect));
    engine->Effect_Free(effect);
    const StreamHandle stream = engine->Stream_Load(wav.data(), uint32_t(cut));
    engine->Stream_Play(stream, true, 100);
    engine->Stream_Free(stream);
  }
  for (size_t cut = 1; cut < mod.size(); cut += 37) {
    const MusicHandle music = engine->Music_Load(mod.data(), uint32_t(cut));
    engine->Music_Play(music, true, 100, 0, 0);
    engine->Music_Free(music);
  }
  EXPECT_EQ(engine->Effect_Load(wav.data(), 30), 0u);  // a header cut short
  Wait(0.05);  // the mixer thread ran over all of it
}

TEST_F(SoundLibraryTest, PlaybacksOfOneSampleAreLimitedAndReplaced) {
  const std::string wav = SineWav(440, 1.0, 0.5);
  auto& load = SOUND_LIB(BASS_SampleLoad);
  const HSAMPLE strict = load(1, wav.data(), 0, DWORD(wav.size()), 2, 0);
  const HSAMPLE replacing = load(1, wav.data(), 0, DWORD(wav.size()), 2, BASS_SAMPLE_OVER_VOL);
  std::vector<ChannelHandle> strict_channels, channels;
  for (int i = 0; i < 2; ++i) strict_channels.push_back(engine->Effect_Play(strict));
  EXPECT_EQ(engine->Effect_Play(strict), 0u);  // both busy, no override
  engine->Channel_Stop(strict_channels[0]);
  EXPECT_NE(engine->Effect_Play(strict), 0u);  // a stopped one makes room
  EXPECT_EQ(engine->Channel_GetLength(strict_channels[0]), -1.0f);

  channels.push_back(engine->Effect_PlayTuned(replacing, 80, 0, 1.0f, false));
  channels.push_back(engine->Effect_PlayTuned(replacing, 20, 0, 1.0f, false));
  const ChannelHandle third = engine->Effect_Play(replacing);
  EXPECT_NE(third, 0u);
  EXPECT_TRUE(engine->Channel_IsActive(channels[0]));
  EXPECT_FALSE(engine->Channel_IsActive(channels[1]));  // the quietest made way
  EXPECT_TRUE(engine->Channel_IsActive(third));
}

TEST_F(SoundLibraryTest, DecodeStreamGivesTheFileAsPcm) {
  std::string pcm;
  for (int i = 0; i < 1000; ++i) Put16(pcm, uint32_t(uint16_t(int16_t(i * 37 - 18000))));
  const std::string wav = WavFile(1, 2, 32000, 16, pcm);  // 500 stereo frames
  const HSTREAM stream =
      SOUND_LIB(BASS_StreamCreateFile)(1, wav.data(), 0, wav.size(), BASS_STREAM_DECODE);
  ASSERT_NE(stream, 0u);
  EXPECT_EQ(SOUND_LIB(BASS_ChannelGetLength)(stream), 2000u);
  EXPECT_FALSE(SOUND_LIB(BASS_ChannelPlay)(stream, 1));  // decode-only
  std::string out(2001, '\0');
  EXPECT_EQ(SOUND_LIB(BASS_ChannelGetData)(stream, out.data(), 2001), 2000u);
  out.resize(2000);
  EXPECT_EQ(out, pcm);
  EXPECT_EQ(SOUND_LIB(BASS_ChannelGetData)(stream, out.data(), 100), 0u);  // at the end
  EXPECT_FLOAT_EQ(SOUND_LIB(BASS_ChannelBytes2Seconds)(stream, 2000), 500.0f / 32000);
  EXPECT_EQ(SOUND_LIB(BASS_ChannelSeconds2Bytes)(stream, 0.5f), 64000u);
  EXPECT_TRUE(SOUND_LIB(BASS_StreamFree)(stream));
  EXPECT_EQ(SOUND_LIB(BASS_ChannelGetData)(stream, out.data(), 100), BASS_ERROR_VALUE);
}

TEST_F(SoundLibraryTest, MadeSamplesKeepTheirFormatAndRefuseBadSizes) {
  auto& create = SOUND_LIB(BASS_SampleCreate);
  EXPECT_EQ(create(0, 44100, 1, 1, 0), nullptr);
  EXPECT_EQ(create(100, 44100, 3, 1, 0), nullptr);
  EXPECT_EQ(create(100, 10, 1, 1, 0), nullptr);
  EXPECT_EQ(create(100, 44100, 1, 0, 0), nullptr);
  EXPECT_EQ(SOUND_LIB(BASS_SampleCreateDone)(), 0u);  // nothing pending

  auto* data = static_cast<uint8_t*>(create(1000, 8000, 1, 1, BASS_SAMPLE_8BITS));
  ASSERT_NE(data, nullptr);
  for (int i = 0; i < 1000; ++i) data[i] = uint8_t(i);
  const HSAMPLE sample = SOUND_LIB(BASS_SampleCreateDone)();
  BASS_SAMPLE info{};
  ASSERT_TRUE(SOUND_LIB(BASS_SampleGetInfo)(sample, &info));
  EXPECT_EQ(info.freq, 8000u);
  EXPECT_EQ(info.chans, 1u);
  EXPECT_EQ(info.length, 1000u);
  EXPECT_EQ(info.flags & BASS_SAMPLE_8BITS, BASS_SAMPLE_8BITS);
  EXPECT_NEAR(engine->Channel_GetLength(engine->Effect_Play(sample)), 0.125f, 1e-6f);
}
