// Loading the audio library: sound off, missing or wrong libraries, the no-sound fallback,
// turning sound off and on while running, and the states that reach the library.
#include <string>

#include "sound_test_support.h"

namespace {

using namespace sound_test;

std::string BuildFile(const char* name) {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/" + name;
}

// Every sound operation, answering as it does without a library.
void ExpectNoLibraryValues(TVK_Impl* e) {
  const std::string wav = SineWav(440, 0.1, 0.5);
  EXPECT_EQ(e->Effect_Load(wav.data(), uint32_t(wav.size())), 0u);
  EXPECT_EQ(e->Effect_Play(1), 0u);
  EXPECT_EQ(e->Effect_PlayTuned(1, 100, 0, 1.0f, true), 0u);
  EXPECT_EQ(e->Music_Load(wav.data(), uint32_t(wav.size())), 0u);
  EXPECT_EQ(e->Music_Play(1, true, 100, 0, 0), 0u);
  EXPECT_EQ(e->Music_GetAmplify(1), -1);
  EXPECT_EQ(e->Music_GetOrderCount(1), -1);
  int order = 7, row = 7;
  EXPECT_FALSE(e->Music_GetOrderRow(1, &order, &row));
  EXPECT_EQ(order, 7);
  EXPECT_EQ(e->Music_GetInstrumentVolume(1, 0), -1);
  EXPECT_EQ(e->Music_GetTrackVolume(1, 0), -1);
  EXPECT_EQ(e->Stream_Load(wav.data(), uint32_t(wav.size())), 0u);
  EXPECT_EQ(e->Stream_Play(1, false, 100), 0u);
  EXPECT_FALSE(e->Channel_IsActive(1));
  EXPECT_EQ(e->Channel_GetLength(1), -1.0f);
  EXPECT_EQ(e->Channel_GetPosition(1), -1.0f);
  EXPECT_FALSE(e->Channel_IsSliding(1));
  // Setters and frees do nothing.
  e->Effect_Free(1), e->Music_Free(1), e->Stream_Free(1);
  e->Music_SetAmplify(1, 10), e->Music_SetOrderRow(1, 0, 0);
  e->Music_SetInstrumentVolume(1, 0, 0), e->Music_SetTrackVolume(1, 0, 0);
  e->Channel_SetPan(1, 0), e->Channel_SetVolume(1, 0), e->Channel_SetPitch(1, 1.0f);
  e->Channel_Pause(1), e->Channel_Resume(1), e->Channel_Stop(1), e->Channel_SetPosition(1, 0);
  e->Channel_Slide(1, 1.0f, 0, 0, 1.0f);
  e->Channel_PauseAll(), e->Channel_ResumeAll(), e->Channel_StopAll();
}

}  // namespace

TEST_F(SoundTest, SoundOffStartsWithoutLibraryAndEveryOperationAnswersEmpty) {
  engine->sound.library_path = Path("missing/libbass.so");
  engine->System_SetBool(State_UseSound, false);
  ASSERT_TRUE(NoDevice());
  EXPECT_FALSE(engine->sound.Loaded());
  ExpectNoLibraryValues(engine);
}

TEST_F(SoundTest, MissingOrWrongLibraryFailsInitiate) {
  struct Case {
    std::string library;
    const char* error;
  } cases[] = {
      {Path("missing/libbass.so"), "Can't load BASS.DLL"},
      {BuildFile("libbass_v0204.so"), "Incorrect BASS.DLL version"},
      {BuildFile("libbass_incomplete.so"), "Incorrect BASS.DLL version"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.library);
    engine->sound.library_path = c.library;
    EXPECT_FALSE(NoDevice());
    EXPECT_STREQ(engine->System_GetLastError(), c.error);
    EXPECT_FALSE(engine->sound.Loaded());
    EXPECT_FALSE(fake->window);  // System_Finish ran
    ExpectNoLibraryValues(engine);
  }
}

TEST_F(SoundTest, NoOutputDeviceRunsSilentWithDummyHandles) {
  ASSERT_TRUE(NoDevice());
  ASSERT_TRUE(engine->sound.Loaded());
  EXPECT_TRUE(engine->sound.Silent());
  const std::string log = Log();
  EXPECT_NE(log.find("BASS Init failed, using no sound"), std::string::npos);
  EXPECT_EQ(log.find("Sound Device"), std::string::npos);
  const std::string wav = SineWav(440, 0.1, 0.5);
  EXPECT_EQ(engine->Effect_Load(wav.data(), uint32_t(wav.size())), 1u);
  EXPECT_EQ(engine->Stream_Load(wav.data(), uint32_t(wav.size())), 1u);
  EXPECT_EQ(engine->Effect_Play(1), 0u);  // the dummy is no real sample
  // Music still goes to the library, and plays on the no-sound device.
  const std::string mod = TrackerModule(2);
  const MusicHandle music = engine->Music_Load(mod.data(), uint32_t(mod.size()));
  ASSERT_NE(music, 0u);
  EXPECT_EQ(engine->Music_Play(music, false, 100, 0, 0), music);
  EXPECT_TRUE(engine->Channel_IsActive(music));
}

TEST_F(SoundTest, OutputDeviceIsLoggedWithRate) {
  ASSERT_TRUE(Capture());
  EXPECT_FALSE(engine->sound.Silent());
  const std::string log = Log();
  EXPECT_NE(log.find("Sound Device: disk output"), std::string::npos);
  EXPECT_NE(log.find("Sample rate: 44100"), std::string::npos);
  EXPECT_EQ(log.find("BASS Init failed"), std::string::npos);
}

TEST_F(SoundTest, UseSoundOffAndOnReloadsAndOldHandlesDie) {
  ASSERT_TRUE(NoDevice());
  const std::string mod = TrackerModule(2);
  const MusicHandle music = engine->Music_Load(mod.data(), uint32_t(mod.size()));
  ASSERT_EQ(engine->Music_GetOrderCount(music), 2);

  engine->System_SetBool(State_UseSound, false);
  EXPECT_FALSE(engine->sound.Loaded());
  EXPECT_EQ(engine->Music_GetOrderCount(music), -1);
  engine->System_SetInt(State_SampleRate, 22050);  // settable while unloaded
  EXPECT_EQ(engine->System_GetInt(State_SampleRate), 22050);

  engine->System_SetBool(State_UseSound, true);
  ASSERT_TRUE(engine->sound.Loaded());
  EXPECT_EQ(engine->Music_GetOrderCount(music), -1);  // stale after the reload
  engine->System_SetInt(State_SampleRate, 48000);     // ignored while loaded
  EXPECT_EQ(engine->System_GetInt(State_SampleRate), 22050);
  const MusicHandle again = engine->Music_Load(mod.data(), uint32_t(mod.size()));
  EXPECT_EQ(engine->Music_GetOrderCount(again), 2);
}

TEST_F(SoundTest, VolumeStatesReachTheLibrary) {
  ASSERT_TRUE(Capture());
  const std::string wav = SineWav(440, 1.0, 0.8);
  const EffectHandle effect = engine->Effect_Load(wav.data(), uint32_t(wav.size()));
  engine->System_SetInt(State_EffectVolume, 25);
  engine->System_SetInt(State_StreamVolume, 0);  // other kinds do not touch effects
  EXPECT_EQ(engine->System_GetInt(State_EffectVolume), 25);
  engine->Effect_Play(effect);
  Wait(0.3);
  const auto frames = Captured();
  const size_t start = FirstSound(frames);
  ASSERT_LT(start + 4410, frames.size());
  const auto [left, right] = Peaks(frames, start + 441, start + 4410);
  EXPECT_NEAR(left, 0.8 * 0.25 * 32767, 150);
  EXPECT_NEAR(right, 0.8 * 0.25 * 32767, 150);
}
