#include "platform/profile/profile.h"

#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

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

std::vector<std::string> ReadLines(const std::string& file) {
  std::vector<std::string> lines;
  std::ifstream in(file, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
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

bool WriteLines(const std::string& file, const std::vector<std::string>& lines) {
  std::string tmp = file + ".tmp" + std::to_string(getpid());
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    for (const auto& l : lines) out << l << '\n';
    if (!out.flush()) {
      std::remove(tmp.c_str());
      return false;
    }
  }
  if (std::rename(tmp.c_str(), file.c_str()) != 0) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> ReadValue(const std::string& file, const std::string& section,
                                     const std::string& key) {
  std::vector<std::string> lines = ReadLines(file);
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
  std::string line = key + "=" + value.substr(0, value.find_first_of("\r\n"));

  std::vector<std::string> lines = ReadLines(file);
  SectionSpan span = FindSection(lines, section);
  if (span.header == std::string::npos) {
    lines.push_back("[" + section + "]");
    lines.push_back(line);
    return WriteLines(file, lines);
  }
  size_t insert_at = span.header + 1;
  for (size_t i = span.header + 1; i < span.end; ++i) {
    auto kv = KeyOf(lines[i]);
    if (kv && SameName(kv->key, key)) {
      lines[i] = line;
      return WriteLines(file, lines);
    }
    if (!Trim(lines[i]).empty()) insert_at = i + 1;  // after the section's last non-blank line
  }
  lines.insert(lines.begin() + long(insert_at), line);
  return WriteLines(file, lines);
}

}  // namespace profile
