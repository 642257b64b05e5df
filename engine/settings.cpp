// Settings file, random numbers and the clock reads.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "engine/tvk_impl.h"
#include "platform/profile/profile.h"

namespace {

// One generator for the whole process; it outlives every engine object.
uint32_t g_seed = 0;

uint32_t NextSeed() {
  g_seed = g_seed * 214013u + 2531011u;
  return g_seed;
}

// The key's text as the settings file holds it, or nothing without a file, section or key.
std::optional<std::string> ReadSetting(const char* ini, const char* section, const char* key) {
  if (!ini[0] || !section || !key) return std::nullopt;
  return profile::ReadValue(ini, section, key);
}

void WriteSetting(const char* ini, const char* section, const char* key, const char* value) {
  if (ini[0] && section && key && value) profile::WriteValue(ini, section, key, value);
}

}  // namespace

void TVK_Impl::Settings_PutInt(const char* section, const char* key, int value) {
  char text[16];
  snprintf(text, sizeof text, "%d", value);
  WriteSetting(ini_file, section, key, text);
}

int TVK_Impl::Settings_GetInt(const char* section, const char* key, int def) {
  const char* text = SettingsText(section, key, "");
  if (!text[0]) return def;
  long v = strtol(text, nullptr, 10);
  return int(v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v);
}

void TVK_Impl::Settings_PutFloat(const char* section, const char* key, float value) {
  char text[64];
  snprintf(text, sizeof text, "%f", double(value));
  WriteSetting(ini_file, section, key, text);
}

float TVK_Impl::Settings_GetFloat(const char* section, const char* key, float def) {
  const char* text = SettingsText(section, key, "");
  if (!text[0]) return def;
  return strtof(text, nullptr);
}

void TVK_Impl::Settings_PutText(const char* section, const char* key, const char* value) {
  WriteSetting(ini_file, section, key, value);
}

const char* TVK_Impl::Settings_GetText(const char* section, const char* key, const char* def) {
  return SettingsText(section, key, def);
}

// Reads the key's text (at most 255 characters) into the settings buffer; the default when
// there is no settings file or no such key.
const char* TVK_Impl::SettingsText(const char* section, const char* key, const char* def) {
  auto value = ReadSetting(ini_file, section, key);
  const char* text = value ? value->c_str() : def;
  snprintf(settings_text_, sizeof settings_text_, "%s", text ? text : "");
  return settings_text_;
}

void TVK_Impl::Random_SetSeed(unsigned seed) {
  g_seed = seed ? seed : platform_->Milliseconds();
}

int TVK_Impl::Random_Integer(int min, int max) {
  uint32_t s = NextSeed();
  uint32_t r = s ^ (s >> 15);
  // The width wraps to 0 for the full 32-bit range, where every value is in range.
  uint32_t width = uint32_t(max) - uint32_t(min) + 1u;
  uint32_t offset = width ? r % width : r;
  return int(uint32_t(min) + offset);
}

float TVK_Impl::Random_Real(float min, float max) {
  uint32_t s = NextSeed();
  uint32_t step_bits = 0x37800080;  // 1/65535 in single precision
  float step;
  std::memcpy(&step, &step_bits, sizeof step);
  long double r = (long double)(s >> 16) * step * ((long double)max - min);
  return float(min + r);
}

float TVK_Impl::Clock_GetTime() { return time_; }
float TVK_Impl::Clock_GetDelta() { return delta_; }
int TVK_Impl::Clock_GetFps() { return frames_per_second_; }
