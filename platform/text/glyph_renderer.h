// Glyph rendering for TrueType faces: a face is looked up by family name (with the system's
// substitutions, so "Arial" finds a metric-compatible face), sized to a pixel height, and
// each 8-bit character is measured and drawn white on black into a 32-bit bitmap.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace text {

// Makes the faces in a font file available to GlyphRenderer::Open by their family names for
// the rest of the process (or until unregistered). False when the file holds no usable face.
bool RegisterFontFile(const std::string& path);
// Forgets a file registered with RegisterFontFile; other registered files stay.
void UnregisterFontFile(const std::string& path);

// Horizontal spacing of one character, in whole pixels: the space before its black box (a),
// the black box's width (b) and the space after it (c). a + b + c is the advance.
struct CharSpacing {
  float a = 0, b = 0, c = 0;
};

class GlyphRenderer {
 public:
  // The face that best matches the family (empty: the system's default face), at an em height
  // of pixel_height pixels, weight 700 when bold (else 400), slanted when italic. A face
  // without a bold or italic style of its own is emboldened or slanted. Null when no face can
  // be loaded or pixel_height is outside 1..kMaxPixelHeight.
  static std::unique_ptr<GlyphRenderer> Open(const std::string& family, int pixel_height,
                                             bool bold, bool italic);
  ~GlyphRenderer();
  GlyphRenderer(const GlyphRenderer&) = delete;
  GlyphRenderer& operator=(const GlyphRenderer&) = delete;

  static constexpr int kMaxPixelHeight = 1024;

  // The full character height: ascent plus descent.
  int CharHeight() const;
  // Spacing of an 8-bit character code (Windows-1252 for 0x80..0x9F, Latin-1 otherwise).
  CharSpacing Spacing(uint8_t code);
  // Draws the character with the left of its advance at x and the top of its line at y into
  // a top-down bitmap of 0x00RRGGBB pixels, white on black: each channel, the low byte first
  // among them, is the coverage. Pixels outside the bitmap are left alone; coverage only
  // ever raises a pixel.
  void Draw(uint8_t code, int x, int y, uint32_t* pixels, int width, int height);

  // The font file the lookup chose.
  const std::string& FilePath() const;

 private:
  struct Impl;
  explicit GlyphRenderer(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace text
