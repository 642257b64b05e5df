// The settings file, the random generator and the profile format underneath.
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/profile/profile.h"
#include "support/engine_fixture.h"

class SettingsTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    ini = Path("game.ini");
    engine->System_SetText(State_IniFile, ini.c_str());
  }
  std::string ini;
};

TEST_F(SettingsTest, IntegersReadTheirDecimalPrefix) {
  std::ofstream(ini) << "[Game]\nletters=abc\nempty=\nmixed=  -42xyz\nbig=99999999999\n"
                        "hex=0x10\nlow=-2147483649\nmin=-2147483648\nplus=\t+12\nsigns=--1\n";
  EXPECT_EQ(engine->Settings_GetInt("Game", "letters", 7), 0);
  EXPECT_EQ(engine->Settings_GetInt("Game", "hex", 7), 0);
  EXPECT_EQ(engine->Settings_GetInt("Game", "low", 7), INT32_MIN);
  EXPECT_EQ(engine->Settings_GetInt("Game", "min", 7), INT32_MIN);
  EXPECT_EQ(engine->Settings_GetInt("Game", "plus", 7), 12);
  EXPECT_EQ(engine->Settings_GetInt("Game", "signs", 7), 0);
  EXPECT_EQ(engine->Settings_GetInt("Game", "empty", 7), 7);
  EXPECT_EQ(engine->Settings_GetInt("Game", "missing", 7), 7);
  EXPECT_EQ(engine->Settings_GetInt("Game", "mixed", 7), -42);
  EXPECT_EQ(engine->Settings_GetInt("Game", "big", 7), INT32_MAX);
  EXPECT_EQ(engine->Settings_GetInt("Other", "letters", 7), 7);
}

TEST_F(SettingsTest, ValuesRoundTripAndFormat) {
  engine->Settings_PutInt("Video", "Width", 1024);
  engine->Settings_PutFloat("Audio", "Volume", 0.5f);
  engine->Settings_PutText("Player", "Name", "Ada");
  EXPECT_EQ(ReadFile(ini), "[Video]\nWidth=1024\n[Audio]\nVolume=0.500000\n[Player]\nName=Ada\n");
  EXPECT_EQ(engine->Settings_GetInt("video", "WIDTH", 0), 1024);
  EXPECT_FLOAT_EQ(engine->Settings_GetFloat("Audio", "Volume", 0), 0.5f);
  EXPECT_FLOAT_EQ(engine->Settings_GetFloat("Audio", "Missing", 2.5f), 2.5f);
  EXPECT_STREQ(engine->Settings_GetText("Player", "Name", "x"), "Ada");
  EXPECT_STREQ(engine->Settings_GetText("Player", "Missing", "def"), "def");
}

TEST_F(SettingsTest, WritingKeepsOtherLinesAndComments) {
  std::ofstream(ini) << "; my settings\n[Video]\n  width = 640 \n# note\nheight=480\n\n"
                        "[Sound]\nvolume=3\n";
  engine->Settings_PutInt("VIDEO", "Width", 800);
  engine->Settings_PutInt("video", "depth", 32);
  EXPECT_EQ(ReadFile(ini),
            "; my settings\n[Video]\nWidth=800\n# note\nheight=480\ndepth=32\n\n"
            "[Sound]\nvolume=3\n");
}

TEST_F(SettingsTest, WithoutASettingsFileNothingIsWritten) {
  engine->System_SetText(State_IniFile, nullptr);
  engine->Settings_PutInt("A", "b", 1);
  EXPECT_FALSE(std::filesystem::exists(ini));
  EXPECT_EQ(engine->Settings_GetInt("A", "b", 9), 9);
  const char* def = "fallback";
  const char* got = engine->Settings_GetText("A", "b", def);
  EXPECT_STREQ(got, def);
  EXPECT_NE(got, def);  // a copy in the engine's buffer
}

TEST_F(SettingsTest, HostileValuesAndNames) {
  std::string huge(1000, 'v');
  engine->Settings_PutText("S", "long", huge.c_str());
  EXPECT_EQ(strlen(engine->Settings_GetText("S", "long", "")), 255u);

  engine->Settings_PutText("S", "k", "1\n[Evil]\ninjected=1");
  EXPECT_STREQ(engine->Settings_GetText("S", "k", ""), "1");
  EXPECT_STREQ(engine->Settings_GetText("Evil", "injected", "none"), "none");
  engine->Settings_PutText("S\n[Evil]", "k", "1");
  engine->Settings_PutText("S", "a=b", "1");
  EXPECT_EQ(ReadFile(ini).find("Evil"), std::string::npos);

  engine->Settings_PutText(nullptr, "k", "1");
  engine->Settings_PutText("S", nullptr, "1");
  engine->Settings_PutText("S", "k2", nullptr);
  EXPECT_STREQ(engine->Settings_GetText(nullptr, "k", "d"), "d");
  EXPECT_STREQ(engine->Settings_GetText("S", "k", nullptr), "1");
  EXPECT_STREQ(engine->Settings_GetText("S", "missing", nullptr), "");
}

TEST(SettingsProfile, QuotesAndCrLfAreUnderstood) {
  std::string file = "/tmp/tvk_profile_test.ini";
  std::ofstream(file) << "[A]\r\nname = \"quoted value\" \r\n";
  EXPECT_EQ(profile::ReadValue(file, "a", "NAME").value_or("?"), "quoted value");
  EXPECT_FALSE(profile::ReadValue(file, "a", "other"));
  EXPECT_FALSE(profile::ReadValue("/nonexistent/x.ini", "a", "name"));
  EXPECT_FALSE(profile::WriteValue("/nonexistent/x.ini", "a", "name", "v"));
  std::remove(file.c_str());
}

TEST_F(SettingsTest, RandomIsBitExact) {
  engine->Random_SetSeed(1);
  EXPECT_EQ(engine->Random_Integer(0, 9), 9);
  engine->Random_SetSeed(1);
  engine->Random_Integer(5, 5);
  EXPECT_EQ(engine->Random_Integer(5, 5), 5);
  engine->Random_SetSeed(1);
  engine->Random_Integer(0, 0);  // advances like any call: the second step follows
  int second = engine->Random_Integer(0, 1000000);
  engine->Random_SetSeed(2745024);
  EXPECT_EQ(engine->Random_Integer(0, 1000000), second);
  EXPECT_EQ(engine->Random_Real(2, 2), 2.0f);
}

TEST_F(SettingsTest, RandomRangesStayInside) {
  engine->Random_SetSeed(12345);
  for (int i = 0; i < 1000; ++i) {
    int v = engine->Random_Integer(-3, 3);
    EXPECT_GE(v, -3);
    EXPECT_LE(v, 3);
    float f = engine->Random_Real(1.0f, 2.0f);
    EXPECT_GE(f, 1.0f);
    EXPECT_LE(f, 2.0f);
  }
  // The full 32-bit range has no width to divide by; it still answers.
  engine->Random_Integer(INT32_MIN, INT32_MAX);
  engine->Random_Integer(INT32_MAX, INT32_MIN);
}

TEST_F(SettingsTest, RandomRealReachesBothEnds) {
  // seed >> 16 of 0 gives min; find a seed whose next step has all upper bits set.
  engine->Random_SetSeed(uint32_t((0xFFFF0000u - 2531011u) * 0xB9B33155u));  // inverse multiplier
  EXPECT_EQ(engine->Random_Real(0.0f, 10.0f), 10.0f);
}

TEST_F(SettingsTest, SeedZeroComesFromTheClock) {
  engine->Random_SetSeed(777);
  const int from_777 = engine->Random_Integer(0, 1 << 30);
  fake->now = 777;
  engine->Random_SetSeed(0);
  EXPECT_EQ(engine->Random_Integer(0, 1 << 30), from_777);
}

// Numbers that come from outside the program: settings texts and cursor positions.
class SettingsNumbers : public SettingsTest {
 protected:
  void TearDown() override {
    setlocale(LC_NUMERIC, "C");
    SettingsTest::TearDown();
  }

  float Float(const char* key) { return engine->Settings_GetFloat("N", key, -7.0f); }

  // Switches number formatting to a locale whose decimal mark is a comma, built for the test.
  bool UseCommaLocale() {
    std::ofstream(Path("comma.src")) << "LC_NUMERIC\ndecimal_point \"<U002C>\"\n"
                                        "thousands_sep \"<U002E>\"\ngrouping 3;3\nEND LC_NUMERIC\n";
    const std::string make = "localedef -c -i '" + Path("comma.src") + "' -f ANSI_X3.4-1968 '" +
                             Path("xx_XX") + "' >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0 && !std::filesystem::exists(Path("xx_XX"))) return false;
    setenv("LOCPATH", dir.c_str(), 1);
    const bool set = setlocale(LC_NUMERIC, "xx_XX") != nullptr;
    unsetenv("LOCPATH");
    return set;
  }
};

TEST_F(SettingsNumbers, FloatsAreReadAsDecimalPrefixesOnly) {
  std::ofstream(ini) << "[N]\nhex=0x10\ninf=inf\nminf=-infinity\nnan=nan\nhexfloat=0x1p3\n"
                        "plain=  +2.5e1xyz\nneg=-.5\nsigns=+-3\ndot=.\nletters=abc\n"
                        "huge=1e39\nhuger=1e999\nlong=" << std::string(200, '9') << "\n"
                        "tiny=1e-50\ntinier=1e-999\nnegtiny=-1e-999\n";
  EXPECT_EQ(Float("hex"), 0.0f);
  EXPECT_EQ(Float("inf"), 0.0f);
  EXPECT_EQ(Float("minf"), 0.0f);
  EXPECT_EQ(Float("nan"), 0.0f);
  EXPECT_EQ(Float("hexfloat"), 0.0f);
  EXPECT_EQ(Float("plain"), 25.0f);
  EXPECT_EQ(Float("neg"), -0.5f);
  EXPECT_EQ(Float("signs"), 0.0f);
  EXPECT_EQ(Float("dot"), 0.0f);
  EXPECT_EQ(Float("letters"), 0.0f);
  EXPECT_EQ(Float("missing"), -7.0f);
  // Out of a float's range: the nearest finite value, never infinity.
  EXPECT_EQ(Float("huge"), FLT_MAX);
  EXPECT_EQ(Float("huger"), FLT_MAX);
  EXPECT_EQ(Float("long"), FLT_MAX);
  EXPECT_EQ(Float("tiny"), 0.0f);
  EXPECT_EQ(Float("tinier"), 0.0f);
  EXPECT_EQ(Float("negtiny"), 0.0f);
}

TEST_F(SettingsNumbers, TheLocaleChangesNothing) {
  if (!UseCommaLocale()) GTEST_SKIP() << "no way to make a test locale here";
  engine->Settings_PutFloat("N", "half", 0.5f);
  EXPECT_NE(ReadFile(ini).find("half=0.500000\n"), std::string::npos);
  EXPECT_EQ(Float("half"), 0.5f);
  std::ofstream(ini) << "[N]\ncomma=1,5\n";
  EXPECT_EQ(Float("comma"), 1.0f);
}

class CursorNumbers : public EngineTest {};

TEST_F(CursorNumbers, PositionsOutsideAnyScreenAreHeld) {
  ASSERT_TRUE(Initiate());
  engine->Mouse_SetPosition(12.9f, -3.7f);
  EXPECT_EQ(fake->cursor_x, 12);
  EXPECT_EQ(fake->cursor_y, -3);
  engine->Mouse_SetPosition(std::numeric_limits<float>::quiet_NaN(), 5);
  engine->Mouse_SetPosition(5, -std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(fake->cursor_x, 12);  // a NaN moves nothing
  EXPECT_EQ(fake->cursor_y, -3);
  engine->Mouse_SetPosition(1e30f, -INFINITY);
  EXPECT_EQ(fake->cursor_x, 32767);
  EXPECT_EQ(fake->cursor_y, -32768);
}
