// Texts the engine returns in its own buffers, handed straight back to the engine.
#include "support/engine_fixture.h"

namespace {

class ResultsHandedBack : public EngineTest {};

TEST_F(ResultsHandedBack, SettingsTextAsItsOwnDefault) {
  engine->System_SetText(State_IniFile, Path("game.ini").c_str());
  engine->Settings_PutText("Player", "Name", "Ada");
  const char* name = engine->Settings_GetText("Player", "Name", "");
  EXPECT_STREQ(engine->Settings_GetText("Player", "Missing", name), "Ada");
  // Section and key may be the previous result too.
  engine->Settings_PutText("Ada", "Ada", "found");
  const char* again = engine->Settings_GetText("Player", "Name", "");
  EXPECT_STREQ(engine->Settings_GetText(again, again, again), "found");

  engine->System_SetText(State_IniFile, nullptr);
  const char* def = engine->Settings_GetText("A", "b", "kept");
  EXPECT_STREQ(engine->Settings_GetText("A", "b", def), "kept");
}

TEST_F(ResultsHandedBack, TextStatesSetFromTheirOwnGetters) {
  engine->System_SetText(State_Title, "My Game");
  engine->System_SetText(State_Title, engine->System_GetText(State_Title));
  EXPECT_STREQ(engine->System_GetText(State_Title), "My Game");
  engine->System_SetText(State_Title, engine->System_GetText(State_Title) + 3);
  EXPECT_STREQ(engine->System_GetText(State_Title), "Game");

  engine->System_SetText(State_IniFile, Path("game.ini").c_str());
  engine->System_SetText(State_IniFile, engine->System_GetText(State_IniFile));
  EXPECT_EQ(engine->System_GetText(State_IniFile), Path("game.ini"));
  engine->System_SetText(State_LogFile, Path("game.log").c_str());
  engine->System_SetText(State_LogFile, engine->System_GetText(State_LogFile));
  EXPECT_EQ(engine->System_GetText(State_LogFile), Path("game.log"));
  engine->System_SetText(State_IniFile, engine->Resource_FullPath(engine->Resource_FullPath("x.ini")));
  EXPECT_EQ(std::string(engine->System_GetText(State_IniFile)), engine->Resource_FullPath("x.ini"));
}

TEST_F(ResultsHandedBack, ErrorTextInTheNextError) {
  engine->System_SetText(State_LogFile, Path("game.log").c_str());
  EXPECT_EQ(engine->Resource_Load(Path("none").c_str(), nullptr), nullptr);
  const std::string first = "Can't load resource: " + Path("none");
  EXPECT_EQ(engine->Resource_Load(engine->System_GetLastError(), nullptr), nullptr);
  EXPECT_EQ(std::string(engine->System_GetLastError()), "Can't load resource: " + first);
  EXPECT_EQ(ReadFile(Path("game.log")), first + "\nCan't load resource: " + first + "\n");
}

}  // namespace
