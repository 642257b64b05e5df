#include "kit/text/text_api.h"

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "kit/draw/registry.h"

namespace {

struct TextApi {
  FontManager* manager = nullptr;
  IdTable<Font*> fonts;
  std::vector<std::unique_ptr<Font>> loaded;  // fonts the API owns
  int latest = -1;  // id most recently given out
  uint32_t color = 0;
  int current = 0;
};

// Never destroyed, like the registry: fonts stay valid for the whole life of the process.
TextApi& State() {
  static TextApi* api = new TextApi;
  return *api;
}

Font* LatestFont() { return State().fonts.Find(State().latest); }

int AddFont(Font* font) { return State().latest = State().fonts.Add(font); }

int PrintWith(Font* font, float x, float y, const char* text, uint32_t color) {
  if (font == nullptr) return 0;
  font->SetColor(color);
  font->PrintLiteral(x, y, Align_Left, text);
  return 1;
}

int PrintExWith(Font* font, float x, float y, const char* text, uint32_t color, float scale,
                float rotation) {
  if (font == nullptr) return 0;
  font->SetScale(scale);
  font->SetRotation(rotation);
  return PrintWith(font, x, y, text, color);
}

}  // namespace

void Text_SetFontManager(FontManager* manager) { State().manager = manager; }

int Text_LoadFont(const char* path) {
  TextApi& api = State();
  api.loaded.push_back(std::make_unique<Font>(path, false));
  return AddFont(api.loaded.back().get());
}

int Text_CreateFont(bool from_file, const char* name, int size, bool bold, bool italic) {
  TextApi& api = State();
  Font* font = api.manager ? api.manager->GetFont(from_file, name, size, bold, italic) : nullptr;
  return AddFont(font);
}

float Text_GetWidth(const char* text) {
  const Font* font = LatestFont();
  return font ? font->MeasureText(text, true) : 0.0f;
}

int Text_Print(float x, float y, const char* text) {
  return PrintWith(Text_GetFont(State().current), x, y, text, State().color);
}

int Text_PrintNumber(float x, float y, double value) {
  return Text_Print(x, y, Number_ToText(value).c_str());
}

int Text_PrintEx(float x, float y, const char* text, uint32_t color, float scale,
                 float rotation) {
  return PrintExWith(Text_GetFont(State().current), x, y, text, color, scale, rotation);
}

int Text_SelectFont(int id) {
  if (Text_GetFont(id) == nullptr) return 0;
  State().current = id;
  return 1;
}

int Text_SetColor(uint32_t color) {
  State().color = color;
  return 1;
}

Font* Text_GetFont(int id) { return State().fonts.Find(id); }

void Text_Clear() {
  TextApi& api = State();
  api.fonts.Clear();
  api.loaded.clear();
  api.manager = nullptr;
  api.latest = -1;
  api.color = 0;
  api.current = 0;
}

int Screen_Clear(uint32_t color) {
  TVK* engine = Registry_GetEngine();
  if (engine == nullptr) return 0;
  engine->Gfx_Clear(color);
  return 1;
}

int Screen_Snapshot(const char* filename) {
  TVK* engine = Registry_GetEngine();
  if (engine == nullptr) return 0;
  engine->System_SaveShot(filename);
  return 1;
}

int Screen_GetFps() {
  TVK* engine = Registry_GetEngine();
  return engine ? engine->Clock_GetFps() : 0;
}

std::string Number_ToText(double value) {
  const bool in_range = value >= double(std::numeric_limits<int32_t>::min()) &&
                        value <= double(std::numeric_limits<int32_t>::max());
  if (in_range && value == std::trunc(value)) {
    return std::to_string(int32_t(value));
  }
  std::string result(size_t(std::snprintf(nullptr, 0, "%.2f", value)), '\0');
  std::snprintf(result.data(), result.size() + 1, "%.2f", value);
  while (!result.empty() && result.back() == '0') result.pop_back();
  return result;
}

namespace text_v1 {

int Text_Print(float x, float y, const char* text) {
  return PrintWith(LatestFont(), x, y, text, State().color);
}

int Text_PrintEx(float x, float y, const char* text, uint32_t color, float scale,
                 float rotation) {
  return PrintExWith(LatestFont(), x, y, text, color, scale, rotation);
}

}  // namespace text_v1
