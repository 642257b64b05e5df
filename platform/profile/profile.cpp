#include "platform/profile/profile.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/os/regular_file.h"

namespace profile {
namespace {

std::string Trim(const std::string& s) {
  const char* ws = " \t\r\n";
  size_t b = s.find_first_not_of(ws);
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(ws);
  return s.substr(b, e - b + 1);
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

namespace fs = std::filesystem;

// Larger files are refused rather than read whole: a settings file is a few lines.
constexpr size_t kMaxFileSize = size_t{16} << 20;

// A settings file's lines without their line ends, and whether those ends are CR LF.
struct ProfileText {
  std::vector<std::string> lines;
  bool crlf = false;
};

// The whole text of an open file; nothing when it cannot be read or is too large.
std::optional<ProfileText> ReadText(std::FILE* file) {
  std::string bytes;
  char chunk[4096];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
    if (bytes.size() + got > kMaxFileSize) return std::nullopt;
    bytes.append(chunk, got);
  }
  if (std::ferror(file)) return std::nullopt;
  ProfileText text;
  const size_t first_break = bytes.find('\n');
  text.crlf = first_break != std::string::npos && first_break > 0 && bytes[first_break - 1] == '\r';
  for (size_t start = 0; start < bytes.size();) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    text.lines.push_back(std::move(line));
    start = end + 1;
  }
  return text;
}

// The section name of a "[name]" line.
std::optional<std::string> SectionOf(const std::string& line) {
  std::string t = Trim(line);
  if (t.empty() || t[0] != '[') return std::nullopt;
  size_t close = t.find(']');
  if (close == std::string::npos) return std::nullopt;
  return Trim(t.substr(1, close - 1));
}

struct KeyLine {
  std::string key, value;
};

std::optional<KeyLine> KeyOf(const std::string& line) {
  size_t eq = line.find('=');
  if (eq == std::string::npos) return std::nullopt;
  return KeyLine{Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))};
}

std::string Unquote(const std::string& v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

// Where the section's lines are: [begin, end) after the header; begin is npos when missing.
struct SectionSpan {
  size_t header = std::string::npos, end = 0;
};

SectionSpan FindSection(const std::vector<std::string>& lines, const std::string& section) {
  SectionSpan span;
  for (size_t i = 0; i < lines.size(); ++i) {
    auto name = SectionOf(lines[i]);
    if (!name) continue;
    if (span.header != std::string::npos) {
      span.end = i;
      return span;
    }
    if (SameName(*name, section)) span.header = i;
  }
  span.end = lines.size();
  return span;
}

bool ValidNames(const std::string& section, const std::string& key) {
  auto has_any = [](const std::string& s, const char* chars) {
    return s.find_first_of(chars) != std::string::npos;
  };
  return !section.empty() && !key.empty() && !has_any(section, "[]\r\n") &&
         !has_any(key, "=[\r\n");
}

// The file `path` finally names, following symbolic links (at most 40, as the system does), so
// that a write replaces the link's target and the link stays. Nothing for a loop or bad link.
std::optional<std::string> FollowLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
    const fs::path target = fs::read_symlink(path, ec);
    if (ec) return std::nullopt;
    path = target.is_absolute() ? target.string() : (fs::path(path).parent_path() / target).string();
  }
  return std::nullopt;
}

// The permissions a new file gets: read and write for all, less the process's file mask. The
// mask is read from the kernel's status of this process rather than by setting it and back,
// which would briefly change it for every other thread; 022 where it cannot be read.
mode_t NewFileMode() {
  mode_t mask = 022;
  if (os::FilePtr status{os::OpenRegularFile("/proc/self/status", os::FileMode::Read)}) {
    char line[256];
    unsigned value = 0;
    while (std::fgets(line, sizeof line, status.get()))
      if (std::sscanf(line, "Umask: %o", &value) == 1) {
        mask = mode_t(value & 0777);
        break;
      }
  }
  return 0666 & ~mask;
}

// The current text and permissions of the file to update; a missing file is empty and new.
// Nothing when the name exists but is no readable regular file, so a write never replaces what
// could not be read.
struct ExistingFile {
  ProfileText text;
  mode_t mode;
};

std::optional<ExistingFile> ReadForUpdate(const std::string& path) {
  os::FilePtr file(os::OpenRegularFile(path.c_str(), os::FileMode::Read));
  if (!file) {
    std::error_code ec;
    const bool missing = fs::symlink_status(path, ec).type() == fs::file_type::not_found;
    if (!missing) return std::nullopt;
    return ExistingFile{ProfileText{}, NewFileMode()};
  }
  struct stat st;
  if (fstat(fileno(file.get()), &st) != 0) return std::nullopt;
  std::optional<ProfileText> text = ReadText(file.get());
  if (!text) return std::nullopt;
  return ExistingFile{std::move(*text), mode_t(st.st_mode & 07777)};
}

bool WriteAll(int fd, const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

std::string Join(const ProfileText& text) {
  const char* end = text.crlf ? "\r\n" : "\n";
  std::string bytes;
  for (const auto& l : text.lines) bytes += l + end;
  return bytes;
}

// Writes the text to a new file of a short name beside `path` and renames it over `path`, so
// the file is always either the old one or the whole new one.
bool ReplaceFile(const std::string& path, const ExistingFile& file) {
  std::string tmp = (fs::path(path).parent_path() / ".tvkXXXXXX").string();
  const int fd = mkostemp(tmp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  bool written = fchmod(fd, file.mode) == 0 && WriteAll(fd, Join(file.text)) && fsync(fd) == 0;
  written = close(fd) == 0 && written;
  if (written && std::rename(tmp.c_str(), path.c_str()) == 0) return true;
  unlink(tmp.c_str());
  return false;
}

// Puts `line` as the key's line: over the key's old line, else after the section's last
// non-blank line, else in a new section at the end.
void SetKeyLine(std::vector<std::string>& lines, const std::string& section, const std::string& key,
                const std::string& line) {
  SectionSpan span = FindSection(lines, section);
  if (span.header == std::string::npos) {
    lines.push_back("[" + section + "]");
    lines.push_back(line);
    return;
  }
  size_t insert_at = span.header + 1;
  for (size_t i = span.header + 1; i < span.end; ++i) {
    auto kv = KeyOf(lines[i]);
    if (kv && SameName(kv->key, key)) {
      lines[i] = line;
      return;
    }
    if (!Trim(lines[i]).empty()) insert_at = i + 1;
  }
  lines.insert(lines.begin() + long(insert_at), line);
}

}  // namespace

std::optional<std::string> ReadValue(const std::string& file, const std::string& section,
                                     const std::string& key) {
  os::FilePtr opened(os::OpenRegularFile(file.c_str(), os::FileMode::Read));
  std::optional<ProfileText> text = opened ? ReadText(opened.get()) : std::nullopt;
  if (!text) return std::nullopt;
  const std::vector<std::string>& lines = text->lines;
  SectionSpan span = FindSection(lines, Trim(section));
  if (span.header == std::string::npos) return std::nullopt;
  for (size_t i = span.header + 1; i < span.end; ++i) {
    auto kv = KeyOf(lines[i]);
    if (kv && SameName(kv->key, Trim(key))) return Unquote(kv->value);
  }
  return std::nullopt;
}

bool WriteValue(const std::string& file, const std::string& section_name,
                const std::string& key_name, const std::string& value) {
  std::string section = Trim(section_name), key = Trim(key_name);
  if (!ValidNames(section, key)) return false;
  const std::optional<std::string> path = FollowLinks(file);
  std::optional<ExistingFile> current = path ? ReadForUpdate(*path) : std::nullopt;
  if (!current) return false;
  SetKeyLine(current->text.lines, section, key, key + "=" + value.substr(0, value.find_first_of("\r\n")));
  return ReplaceFile(*path, *current);
}

}  // namespace profile
