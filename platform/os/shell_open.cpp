#include "platform/os/shell_open.h"

#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <string>
#include <vector>

extern char** environ;

namespace os {
namespace {

constexpr int kWaitMs = 2000;
constexpr int kPollMs = 10;

// Openers that outlived their wait; reaped later so they leave no zombies.
std::vector<pid_t>& RunningOpeners() {
  static std::vector<pid_t> pids;
  return pids;
}

void ReapFinishedOpeners() {
  std::erase_if(RunningOpeners(), [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

// True when the opener ended with success, or is still at work when the wait is over.
bool AwaitOpener(pid_t pid) {
  const timespec poll{0, kPollMs * 1000000L};
  for (int waited = 0; waited < kWaitMs; waited += kPollMs) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (done < 0) return false;
    nanosleep(&poll, nullptr);
  }
  RunningOpeners().push_back(pid);
  return true;
}

}  // namespace

bool OpenWithDefaultProgram(const char* target) {
  if (!target || !target[0]) return false;
  ReapFinishedOpeners();
  std::string argument = target[0] == '-' ? std::string("./") + target : std::string(target);
  char program[] = "xdg-open";
  char* argv[] = {program, argument.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0) return false;
  return AwaitOpener(pid);
}

}  // namespace os
