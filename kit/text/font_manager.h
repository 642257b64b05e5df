/// @file
/// Fonts rendered at run time from TrueType faces, cached by face, size and style. The
/// manager owns the fonts it makes and the font files it registered.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/tvk_export.h"
#include "kit/text/font.h"

/// The process-wide cache of fonts made from TrueType faces.
class TVK_API FontManager {
 public:
  /// The manager, made at the first call (and again after the program deleted it).
  static FontManager* Get();
  /// Clears the cache; the program deletes the manager at exit.
  ~FontManager();
  /// The manager is process-wide and never copied.
  FontManager(const FontManager&) = delete;
  /// The manager is process-wide and never assigned.
  FontManager& operator=(const FontManager&) = delete;

  /// The font of a face name (or, with from_file, of the TrueType file at name, registered
  /// so its family can be asked for) at a pixel size, weight 700 when bold, italic or not.
  /// Characters 32..255. The same arguments give the same font. Null when the file does not
  /// exist (logged "#Error# : Unknown font file : "name"" each time) or the glyphs can't be
  /// rendered; neither is cached. The manager keeps the font; never delete it.
  Font* GetFont(bool from_file, const char* name, int size, bool bold, bool italic);
  /// Destroys every cached font and unregisters every font file this manager registered.
  void Clear();

  /// The cache key: face, size, bold and italic joined by '|', the numbers as floats print.
  static std::string CacheKey(const std::string& face, int size, bool bold, bool italic);

 private:
  FontManager() = default;

  std::map<std::string, std::unique_ptr<Font>> fonts_;
  std::vector<std::string> files_;
};
