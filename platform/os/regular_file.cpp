#include "platform/os/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace os {
namespace {

struct ModeFlags {
  int flags;
  const char* stdio_mode;
};

ModeFlags FlagsOf(FileMode mode) {
  switch (mode) {
    case FileMode::Read: return {O_RDONLY, "rb"};
    case FileMode::Write: return {O_WRONLY | O_CREAT | O_TRUNC, "wb"};
    case FileMode::CreateNew: return {O_WRONLY | O_CREAT | O_EXCL, "wb"};
    case FileMode::Append: return {O_WRONLY | O_CREAT | O_APPEND, "ab"};
  }
  return {O_RDONLY, "rb"};
}

bool IsRegular(int fd) {
  struct stat st;
  return fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::FILE* OpenRegularFile(const char* path, FileMode mode) {
  if (!path || !*path) return nullptr;
  // A name that is already something else is refused before it is opened, so opening a device
  // has no side effects; the check after opening catches a name swapped in between.
  struct stat st;
  if (stat(path, &st) == 0 && !S_ISREG(st.st_mode)) return nullptr;
  const ModeFlags m = FlagsOf(mode);
  // Non-blocking, so opening a FIFO returns at once instead of waiting for its other end.
  const int fd = open(path, m.flags | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  const int status = fcntl(fd, F_GETFL);
  if (!IsRegular(fd) || status < 0 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
    close(fd);
    return nullptr;
  }
  std::FILE* file = fdopen(fd, m.stdio_mode);
  if (!file) close(fd);
  return file;
}

}  // namespace os
