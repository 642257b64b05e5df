// Opening files by name without ever blocking on a special file. A FIFO, a device or a folder
// given where a data file is expected would hang the caller (a FIFO waits for its other end)
// or feed it endless data, so every file the engine reads or writes by name goes through here.
#pragma once

#include <cstdio>
#include <memory>

namespace os {

// How OpenRegularFile opens: read, create or truncate and write, create only (fails when the
// name exists), create or append.
enum class FileMode { Read, Write, CreateNew, Append };

// Opens `path` when it names a regular file (after following links), or creates one for the
// writing modes. Null, without blocking, for a FIFO, socket, device or folder, and when the
// file cannot be opened.
std::FILE* OpenRegularFile(const char* path, FileMode mode);

// Owns an open file and closes it when it goes.
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace os
