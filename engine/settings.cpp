// Settings file, random numbers and the clock reads.
#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cstdio>
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

// Where a number's text begins: leading white space and one sign skipped. Numbers are read in
// plain decimal whatever the locale; a second sign, "inf", "nan" or a hexadecimal "0x" prefix
// give no digits (or stop after the 0), so they read as 0.
struct NumberText {
  const char* digits;
  const char* end;
  bool negative;
};

NumberText SplitSign(const char* text) {
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  return {p, p + strlen(p), negative};
}

bool StartsNumber(const NumberText& n) {
  return n.digits < n.end && ((*n.digits >= '0' && *n.digits <= '9') || *n.digits == '.');
}

// The decimal integer prefix, saturated to the int range; 0 without digits.
int IntegerPrefix(const char* text) {
  const NumberText n = SplitSign(text);
  if (!StartsNumber(n)) return 0;
  unsigned long long magnitude = 0;
  const auto [end, ec] = std::from_chars(n.digits, n.end, magnitude);
  if (end == n.digits) return 0;
  const unsigned long long limit = n.negative ? 0x80000000ull : INT_MAX;
  if (ec == std::errc::result_out_of_range || magnitude > limit) magnitude = limit;
  return n.negative ? int(-(long long)magnitude) : int(magnitude);
}

// The magnitude of a decimal text too large or too small for a float: the largest float or 0.
// A text of at most 255 characters that overflows a double has a positive exponent, one that
// underflows it a negative exponent.
float SaturatedMagnitude(const char* digits, const char* end) {
  double wide = 0;
  const auto [parsed_end, ec] = std::from_chars(digits, end, wide, std::chars_format::general);
  if (ec != std::errc::result_out_of_range) return wide > FLT_MAX ? FLT_MAX : float(wide);
  const char* exponent = std::find_if(digits, parsed_end, [](char c) { return c == 'e' || c == 'E'; });
  return exponent + 1 < parsed_end && exponent[1] == '-' ? 0.0f : FLT_MAX;
}

// The decimal floating-point prefix, always finite; 0 without digits.
float FloatPrefix(const char* text) {
  const NumberText n = SplitSign(text);
  if (!StartsNumber(n)) return 0;
  float magnitude = 0;
  const auto [end, ec] = std::from_chars(n.digits, n.end, magnitude, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) magnitude = SaturatedMagnitude(n.digits, n.end);
  else if (end == n.digits) magnitude = 0;
  return n.negative ? -magnitude : magnitude;
}

}  // namespace

void TVK_Impl::Settings_PutInt(const char* section, const char* key, int value) {
  char text[16];
  snprintf(text, sizeof text, "%d", value);
  WriteSetting(ini_file, section, key, text);
}

int TVK_Impl::Settings_GetInt(const char* section, const char* key, int def) {
  const char* text = SettingsText(section, key, "");
  return text[0] ? IntegerPrefix(text) : def;
}

// Six decimals, with a point whatever the locale.
void TVK_Impl::Settings_PutFloat(const char* section, const char* key, float value) {
  char text[64];
  const auto [end, ec] = std::to_chars(text, text + sizeof text - 1, value, std::chars_format::fixed, 6);
  *end = '\0';
  WriteSetting(ini_file, section, key, text);
}

float TVK_Impl::Settings_GetFloat(const char* section, const char* key, float def) {
  const char* text = SettingsText(section, key, "");
  return text[0] ? FloatPrefix(text) : def;
}

void TVK_Impl::Settings_PutText(const char* section, const char* key, const char* value) {
  WriteSetting(ini_file, section, key, value);
}

const char* TVK_Impl::Settings_GetText(const char* section, const char* key, const char* def) {
  return SettingsText(section, key, def);
}

// Reads the key's text (at most 255 characters) into the settings buffer; the default when
// there is no settings file or no such key. The default may be this buffer's previous text.
const char* TVK_Impl::SettingsText(const char* section, const char* key, const char* def) {
  auto value = ReadSetting(ini_file, section, key);
  CopyText(settings_text_, sizeof settings_text_, value ? value->c_str() : def);
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
