#include "kit/text/font_manager.h"

#include <algorithm>
#include <cstdio>

#include "kit/draw/registry.h"
#include "kit/text/glyph_texture.h"
#include "kit/text/truetype_name.h"
#include "platform/text/glyph_renderer.h"

namespace {

FontManager*& Instance() {
  static FontManager* manager = nullptr;
  return manager;
}

}  // namespace

FontManager* FontManager::Get() {
  FontManager*& manager = Instance();
  if (manager == nullptr) manager = new FontManager;
  return manager;
}

FontManager::~FontManager() {
  Clear();
  if (Instance() == this) Instance() = nullptr;
}

// "%g" writes a float as a default output stream does ("16", "1.5e+06").
std::string FontManager::CacheKey(const std::string& face, int size, bool bold, bool italic) {
  char numbers[64];
  std::snprintf(numbers, sizeof numbers, "|%g|%g|%g", double(float(size)), double(bold),
                double(italic));
  return face + numbers;
}

// A missing file is refused before the cache is asked, so it is logged on every request
// and never mistaken for an unreadable file, whose family name is empty too.
Font* FontManager::GetFont(bool from_file, const char* name, int size, bool bold,
                           bool italic) {
  const std::string path = name ? name : "";
  if (from_file && !File_Exists(path.c_str())) {
    if (TVK* engine = Registry_GetEngine()) {
      engine->System_WriteLog("#Error# : Unknown font file : \"%s\"", path.c_str());
    }
    return nullptr;
  }
  const std::string face = from_file ? TrueType_GetFamilyName(path.c_str()) : path;
  const std::string key = CacheKey(face, size, bold, italic);
  if (const auto it = fonts_.find(key); it != fonts_.end()) return it->second.get();

  if (from_file && std::find(files_.begin(), files_.end(), path) == files_.end()) {
    text::RegisterFontFile(path);
    files_.push_back(path);
  }
  const GlyphRange characters{32, 255};
  const TextureHandle texture =
      Font_RenderGlyphTexture(face.c_str(), size, bold, italic, &characters, 1);
  if (texture == 0) return nullptr;
  auto font = std::make_unique<Font>(Font_GlyphCells(), texture);
  return fonts_.emplace(key, std::move(font)).first->second.get();
}

void FontManager::Clear() {
  fonts_.clear();
  for (const std::string& file : files_) text::UnregisterFontFile(file);
  files_.clear();
}
