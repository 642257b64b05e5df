// Files opened by name that are not regular files: FIFOs, folders and devices are refused at
// once with the usual failure, and never block or get replaced.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "graphics_test_support.h"

namespace {

namespace fs = std::filesystem;

// Turns a blocking call into a failure instead of a stuck test run: an alarm interrupts a
// blocked open or read (the handler does not restart system calls) and is noted.
class BlockWatch {
 public:
  BlockWatch() {
    struct sigaction on_alarm {};
    on_alarm.sa_handler = [](int) { fired_ = 1; };
    sigaction(SIGALRM, &on_alarm, &previous_);
    fired_ = 0;
    alarm(3);
  }
  ~BlockWatch() {
    alarm(0);
    sigaction(SIGALRM, &previous_, nullptr);
  }
  bool Blocked() const { return fired_ != 0; }

 private:
  static inline volatile sig_atomic_t fired_ = 0;
  struct sigaction previous_ {};
};

class SpecialFiles : public GfxTest {
 protected:
  std::string Fifo(const std::string& name) {
    const std::string path = Path(name);
    fs::remove(path);
    EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
    return path;
  }
  bool IsFifo(const std::string& name) { return fs::is_fifo(Path(name)); }
};

TEST_F(SpecialFiles, PacksAndResourceLoads) {
  BlockWatch watch;
  const std::string fifo = Fifo("pack.zip");
  EXPECT_FALSE(engine->Resource_AddPack(fifo.c_str(), nullptr));
  EXPECT_EQ(engine->Resource_Load(fifo.c_str(), nullptr), nullptr);
  EXPECT_EQ(engine->Resource_Load(dir.c_str(), nullptr), nullptr);
  uint32_t size = 1;
  EXPECT_EQ(engine->Resource_Load("/dev/zero", &size), nullptr);
  EXPECT_EQ(size, 0u);
  EXPECT_STREQ(engine->System_GetLastError(), "Can't load resource: /dev/zero");

  // A pack that turns into a FIFO after it was attached is passed over.
  fs::remove(fifo);
  std::ofstream(Path("a.txt")) << "a";
  ASSERT_EQ(std::system(("cd '" + dir + "' && zip -q pack.zip a.txt").c_str()), 0);
  ASSERT_TRUE(engine->Resource_AddPack(fifo.c_str(), nullptr));
  Fifo("pack.zip");
  EXPECT_EQ(engine->Resource_Load("tvk_no_such_resource.png", nullptr), nullptr);
  EXPECT_FALSE(watch.Blocked());
}

TEST_F(SpecialFiles, SettingsFiles) {
  BlockWatch watch;
  engine->System_SetText(State_IniFile, Fifo("game.ini").c_str());
  EXPECT_EQ(engine->Settings_GetInt("A", "k", 7), 7);
  EXPECT_STREQ(engine->Settings_GetText("A", "k", "def"), "def");
  engine->Settings_PutInt("A", "k", 1);
  EXPECT_TRUE(IsFifo("game.ini"));

  fs::create_directory(Path("folder.ini"));
  engine->System_SetText(State_IniFile, Path("folder.ini").c_str());
  engine->Settings_PutInt("A", "k", 1);
  EXPECT_TRUE(fs::is_directory(Path("folder.ini")));
  EXPECT_EQ(engine->Settings_GetInt("A", "k", 7), 7);
  EXPECT_FALSE(watch.Blocked());
}

TEST_F(SpecialFiles, LogFiles) {
  BlockWatch watch;
  engine->System_SetText(State_LogFile, Fifo("fifo.log").c_str());
  EXPECT_EQ(engine->System_GetText(State_LogFile), nullptr);
  engine->System_SetText(State_LogFile, dir.c_str());
  EXPECT_EQ(engine->System_GetText(State_LogFile), nullptr);

  // A log that turns into a FIFO after it was set loses its lines, and nothing waits.
  engine->System_SetText(State_LogFile, Path("game.log").c_str());
  Fifo("game.log");
  engine->System_WriteLog("line");
  engine->PostError("error");
  EXPECT_STREQ(engine->System_GetLastError(), "error");
  EXPECT_TRUE(IsFifo("game.log"));
  EXPECT_FALSE(watch.Blocked());
}

TEST_F(SpecialFiles, Screenshots) {
  ASSERT_TRUE(Start());
  BlockWatch watch;
  engine->System_SaveShot(Fifo("shot.bmp").c_str());
  EXPECT_TRUE(IsFifo("shot.bmp"));
  EXPECT_FALSE(watch.Blocked());
}

}  // namespace
