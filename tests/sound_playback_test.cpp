// What the mixer plays, captured through SDL's disk audio driver, and the engine's sound
// operations as the library sees them.
#include <string>
#include <vector>

#include "sound_test_support.h"

namespace {

using namespace sound_test;

constexpr double kAmplitude = 0.8;
constexpr int kFull = int(kAmplitude * 32767);

}  // namespace

class SoundPlaybackTest : public SoundTest {
 protected:
  EffectHandle LoadTone(double seconds = 1.0) {
    wav_ = SineWav(440, seconds, kAmplitude);
    return engine->Effect_Load(wav_.data(), uint32_t(wav_.size()));
  }
  // Ends the engine and measures the frequency of the first 0.2 s of sound captured.
  double CapturedFrequency() {
    const auto frames = Captured();
    const size_t start = FirstSound(frames);
    return Frequency(frames, start, start + kRate / 5);
  }
  std::string wav_;
};

TEST_F(SoundPlaybackTest, HalfVolumeHardLeftPlaysHalfAmplitudeOnTheLeftOnly) {
  ASSERT_TRUE(Capture());
  const EffectHandle effect = LoadTone();
  ASSERT_NE(effect, 0u);
  const ChannelHandle channel = engine->Effect_PlayTuned(effect, 50, -100, 1.0f, false);
  ASSERT_NE(channel, 0u);
  EXPECT_TRUE(engine->Channel_IsActive(channel));
  Wait(0.3);
  const auto frames = Captured();
  const size_t start = FirstSound(frames);
  ASSERT_LT(start + 8820, frames.size());
  const auto [left, right] = Peaks(frames, start, start + 8820);
  EXPECT_NEAR(left, kFull / 2, 100);
  EXPECT_EQ(right, 0);
  EXPECT_NEAR(Frequency(frames, start, start + 8820), 440.0, 4.0);
}

TEST_F(SoundPlaybackTest, PitchTwoDoublesTheFrequency) {
  ASSERT_TRUE(Capture());
  const ChannelHandle channel = engine->Effect_PlayTuned(LoadTone(), 100, 0, 2.0f, false);
  DWORD freq = 0;
  ASSERT_TRUE(SOUND_LIB(BASS_ChannelGetAttributes)(channel, &freq, nullptr, nullptr));
  EXPECT_EQ(freq, 88200u);
  Wait(0.3);
  EXPECT_NEAR(CapturedFrequency(), 880.0, 8.0);
}

TEST_F(SoundPlaybackTest, SlideToSilenceFadesOverHalfASecondAndKeepsThePitch) {
  ASSERT_TRUE(Capture());
  const ChannelHandle channel = engine->Effect_Play(LoadTone(2.0));
  Wait(0.1);
  engine->Channel_Slide(channel, 0.5f, 0, -101, -1.0f);
  EXPECT_TRUE(engine->Channel_IsSliding(channel));
  EXPECT_EQ(SOUND_LIB(BASS_ChannelIsSliding)(channel), 2u);  // volume only, not frequency
  Wait(0.8);
  EXPECT_FALSE(engine->Channel_IsSliding(channel));
  DWORD freq = 0, volume = 1;
  SOUND_LIB(BASS_ChannelGetAttributes)(channel, &freq, &volume, nullptr);
  EXPECT_EQ(freq, 44100u);
  EXPECT_EQ(volume, 0u);
  const auto frames = Captured();

  // Peaks per 10 ms fall from 90 % to 10 % of full in 80 % of the slide's 0.5 s.
  const size_t block = kRate / 100, start = FirstSound(frames);
  size_t fade_start = 0, fade_end = 0;
  for (size_t b = start; b + block <= frames.size(); b += block) {
    const int peak = Peaks(frames, b, b + block).first;
    if (!fade_start && peak < kFull * 0.9) fade_start = b;
    if (fade_start && !fade_end && peak < kFull * 0.1) fade_end = b;
  }
  ASSERT_NE(fade_start, 0u);
  ASSERT_NE(fade_end, 0u);
  EXPECT_NEAR(double(fade_end - fade_start) / kRate / 0.8, 0.5, 0.025);
  EXPECT_NEAR(Frequency(frames, fade_start, fade_start + block * 20), 440.0, 6.0);
}

TEST_F(SoundPlaybackTest, LoopingStreamKeepsPlayingAndOneShotEnds) {
  ASSERT_TRUE(Capture());
  const std::string loop_wav = SineWav(440, 0.1, kAmplitude);
  const StreamHandle looping = engine->Stream_Load(loop_wav.data(), uint32_t(loop_wav.size()));
  const std::string once_wav = SineWav(440, 0.1, kAmplitude);
  const StreamHandle once = engine->Stream_Load(once_wav.data(), uint32_t(once_wav.size()));
  ASSERT_NE(looping, 0u);
  EXPECT_NEAR(engine->Channel_GetLength(looping), 0.1f, 0.001f);
  EXPECT_EQ(engine->Stream_Play(looping, true, 100), looping);
  EXPECT_EQ(engine->Stream_Play(once, false, 100), once);
  engine->Channel_SetPan(once, 100);  // keeps the one-shot out of the left channel
  Wait(0.6);
  EXPECT_TRUE(engine->Channel_IsActive(looping));
  EXPECT_FALSE(engine->Channel_IsActive(once));
  EXPECT_LT(engine->Channel_GetPosition(looping), 0.1f);
  const auto frames = Captured();
  // Five loops later the left channel still carries the tone with no gap.
  const size_t start = FirstSound(frames);
  for (size_t b = start; b + 441 < start + kRate / 2; b += 441)
    EXPECT_GT(Peaks(frames, b, b + 441).first, kFull * 0.95) << "at frame " << b - start;
}

TEST_F(SoundPlaybackTest, TrackerModulePlaysAndReportsItsPosition) {
  ASSERT_TRUE(Capture());
  const std::string mod = TrackerModule(3);
  const MusicHandle music = engine->Music_Load(mod.data(), uint32_t(mod.size()));
  ASSERT_NE(music, 0u);
  EXPECT_EQ(engine->Music_GetOrderCount(music), 3);
  EXPECT_EQ(engine->Music_GetAmplify(music), 50);
  EXPECT_EQ(engine->Music_GetTrackVolume(music, 0), 100);
  EXPECT_EQ(engine->Music_GetTrackVolume(music, 4), -1);  // four tracks
  EXPECT_EQ(engine->Music_GetInstrumentVolume(music, 0), 100);
  EXPECT_GT(engine->Channel_GetLength(music), 20.0f);  // 3 orders x 64 rows x 0.12 s
  EXPECT_EQ(engine->Music_Play(music, false, 100, 1, 0), music);
  Wait(0.3);  // two and a half rows
  int order = -1, row = -1;
  ASSERT_TRUE(engine->Music_GetOrderRow(music, &order, &row));
  EXPECT_EQ(order, 1);
  EXPECT_GE(row, 1);  // a loaded machine may render a little behind
  EXPECT_LE(row, 4);
  const auto frames = Captured();
  const size_t start = FirstSound(frames);
  ASSERT_LT(start + 4410, frames.size());
  EXPECT_GT(Peaks(frames, start, start + 4410).first, 1000);
}

TEST_F(SoundPlaybackTest, MusicPlayWithMinusOneResumesWhereItStood) {
  ASSERT_TRUE(NoDevice());
  const std::string mod = TrackerModule(3);
  const MusicHandle music = engine->Music_Load(mod.data(), uint32_t(mod.size()));
  engine->Music_Play(music, false, 100, 0, 20);
  engine->Channel_Pause(music);
  int order = -1, row = -1;
  ASSERT_TRUE(engine->Music_GetOrderRow(music, &order, &row));
  engine->Music_Play(music, false, 100, -1, -1);
  int order2 = -1, row2 = -1;
  engine->Music_GetOrderRow(music, &order2, &row2);
  EXPECT_EQ(order2, order);
  EXPECT_GE(row2, 20);
  engine->Music_Play(music, true, 100, 2, -1);  // new order, current row
  engine->Music_GetOrderRow(music, &order2, &row2);
  EXPECT_EQ(order2, 2);
  EXPECT_GE(row2, 20);
}

TEST_F(SoundPlaybackTest, PlayTunedSetsOrClearsTheSampleLoopFlag) {
  ASSERT_TRUE(NoDevice());
  const std::string wav = SineWav(440, 0.2, 0.5);
  const HSAMPLE looping = SOUND_LIB(BASS_SampleLoad)(1, wav.data(), 0, DWORD(wav.size()), 4,
                                                     BASS_SAMPLE_LOOP | BASS_SAMPLE_OVER_VOL);
  ASSERT_NE(looping, 0u);
  BASS_CHANNELINFO info{};
  const ChannelHandle cleared = engine->Effect_PlayTuned(looping, 100, 0, 1.0f, false);
  ASSERT_TRUE(SOUND_LIB(BASS_ChannelGetInfo)(cleared, &info));
  EXPECT_FALSE(info.flags & BASS_SAMPLE_LOOP);
  const ChannelHandle kept = engine->Effect_PlayTuned(looping, 100, 0, 1.0f, true);
  SOUND_LIB(BASS_ChannelGetInfo)(kept, &info);
  EXPECT_TRUE(info.flags & BASS_SAMPLE_LOOP);
  Wait(0.4);  // past the sound's end: only the looping playback goes on
  EXPECT_FALSE(engine->Channel_IsActive(cleared));
  EXPECT_TRUE(engine->Channel_IsActive(kept));
}

TEST_F(SoundPlaybackTest, ChannelControlsPauseResumeStopAndSeek) {
  ASSERT_TRUE(NoDevice());
  const std::string wav = SineWav(440, 2.0, 0.5);
  const StreamHandle stream = engine->Stream_Load(wav.data(), uint32_t(wav.size()));
  ASSERT_EQ(stream, 1u);  // silent: the dummy; use the library's own stream instead
  const HSTREAM real = SOUND_LIB(BASS_StreamCreateFile)(1, wav.data(), 0, wav.size(), 0);
  engine->Stream_Play(real, false, 100);
  engine->Channel_SetPosition(real, 1.5f);
  EXPECT_NEAR(engine->Channel_GetPosition(real), 1.5f, 0.03f);
  engine->Channel_Pause(real);
  EXPECT_FALSE(engine->Channel_IsActive(real));
  const float paused_at = engine->Channel_GetPosition(real);
  Wait(0.1);
  EXPECT_EQ(engine->Channel_GetPosition(real), paused_at);
  engine->Channel_Resume(real);
  EXPECT_TRUE(engine->Channel_IsActive(real));
  engine->Channel_PauseAll();
  EXPECT_FALSE(engine->Channel_IsActive(real));
  engine->Channel_ResumeAll();
  EXPECT_TRUE(engine->Channel_IsActive(real));
  engine->Channel_StopAll();
  EXPECT_FALSE(engine->Channel_IsActive(real));
  engine->Stream_Play(real, false, 100);  // output restarted after StopAll
  EXPECT_TRUE(engine->Channel_IsActive(real));
  engine->Channel_Stop(real);
  EXPECT_FALSE(engine->Channel_IsActive(real));
}

TEST_F(SoundPlaybackTest, CompressedEffectIsDecodedIntoAMonoSample) {
  ASSERT_TRUE(Capture());
  const std::string mulaw = MuLawSineWav(440, 0.5, 22050);
  const EffectHandle effect = engine->Effect_Load(mulaw.data(), uint32_t(mulaw.size()));
  ASSERT_NE(effect, 0u);
  BASS_SAMPLE info{};
  ASSERT_TRUE(SOUND_LIB(BASS_SampleGetInfo)(effect, &info));
  EXPECT_EQ(info.chans, 1u);
  EXPECT_EQ(info.freq, 22050u);
  const ChannelHandle channel = engine->Effect_Play(effect);
  EXPECT_NEAR(engine->Channel_GetLength(channel), 0.5f, 0.001f);
  Wait(0.3);
  EXPECT_NEAR(CapturedFrequency(), 440.0, 5.0);
}

TEST_F(SoundPlaybackTest, StreamDataOfFilesIsFreedAndCallerMemoryIsNot) {
  ASSERT_TRUE(Capture());
  // Caller memory: freeing the stream must leave the bytes alone (a free of them would be
  // caught by the sanitizer builds, and the bytes are checked here).
  const std::string wav = SineWav(440, 0.2, 0.5);
  std::vector<char> mine(wav.begin(), wav.end());
  const StreamHandle from_memory = engine->Stream_Load(mine.data(), uint32_t(mine.size()));
  ASSERT_NE(from_memory, 0u);
  engine->Stream_Play(from_memory, true, 100);
  engine->Stream_Free(from_memory);
  EXPECT_EQ(std::string(mine.begin(), mine.end()), wav);
  EXPECT_FALSE(engine->Channel_IsActive(from_memory));

  // A file: its data stays while the stream plays and is freed with it (or at Sound_Done);
  // the leak checker of the sanitizer builds sees any that is not.
  std::ofstream(Path("tone.wav"), std::ios::binary) << wav;
  const StreamHandle from_file = engine->Stream_Load(Path("tone.wav").c_str(), 0);
  const StreamHandle kept = engine->Stream_Load(Path("tone.wav").c_str(), 0);
  ASSERT_NE(from_file, 0u);
  engine->Stream_Play(from_file, true, 100);
  engine->Stream_Play(kept, true, 100);
  Wait(0.1);
  engine->Stream_Free(from_file);
  EXPECT_TRUE(engine->Channel_IsActive(kept));
}
