// The log file and the error text.
#include "support/engine_fixture.h"

namespace {

class LogTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    engine->System_SetText(State_LogFile, log.c_str());
  }
  const std::string log = Path("game.log");
};

TEST_F(LogTest, LongErrorsAreLoggedWholeAndKeptCut) {
  const std::string long_text(600, 'e');
  engine->PostError("Error: %s", long_text.c_str());
  EXPECT_EQ(ReadFile(log), "Error: " + long_text + "\n");
  EXPECT_EQ(std::string(engine->System_GetLastError()), ("Error: " + long_text).substr(0, 255));

  // The same through a loader: a name that fits the path buffer but not the error text.
  const std::string name = dir + "/" + std::string(230, 'n') + ".png";
  EXPECT_EQ(engine->Resource_Load(name.c_str(), nullptr), nullptr);
  EXPECT_NE(ReadFile(log).find("Can't load resource: " + name + "\n"), std::string::npos);
  EXPECT_EQ(strlen(engine->System_GetLastError()), 255u);
}

}  // namespace
