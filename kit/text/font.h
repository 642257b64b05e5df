/// @file
/// A font that draws 8-bit text with one sprite per glyph, every glyph cut from one texture.
/// Made from a .fnt file or from a table of glyph cells (the run-time TrueType path); either
/// way the font owns its glyph sprites and its texture.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "engine/tvk.h"
#include "engine/tvk_export.h"
#include "kit/draw/engine_reference.h"
#include "kit/draw/sprite.h"

/// One glyph of a texture-backed font: its rectangle in the texture and the pixels added to
/// the pen before (pre) and after (post) its width.
struct GlyphCell {
  int32_t x;     ///< left pixel in the texture
  int32_t y;     ///< top pixel in the texture
  int32_t w;     ///< width in pixels
  int32_t h;     ///< height in pixels
  int32_t pre;   ///< pixels added to the pen before the glyph; may be negative
  int32_t post;  ///< pixels added to the pen after the glyph; may be negative
};

/// Draws and measures 8-bit text. Byte 10 breaks lines; bytes without a glyph draw as '?'
/// when the font has one, else are skipped.
class TVK_API Font {
 public:
  /// Reads a .fnt file and loads the texture it names (with mipmaps when asked). A file that
  /// can't be read, or whose texture fails to load, leaves a font that draws nothing and
  /// measures 0; the log says why.
  explicit Font(const char* path, bool mipmap = false);
  /// Takes ownership of the texture and makes glyphs 32..255 from cells[32..255].
  Font(const GlyphCell* cells, TextureHandle texture);
  /// Destroys the glyphs and frees the texture.
  ~Font();
  /// A font owns its texture, so it is never copied.
  Font(const Font&) = delete;
  /// A font owns its texture, so it is never assigned.
  Font& operator=(const Font&) = delete;

  /// Draws text with the top of its first line at y. The low two bits of align place each
  /// line: Align_Left (and 3) starts it at x, Align_Right ends it at x, Align_Center centres
  /// it on x. Null text draws nothing.
  void Render(float x, float y, int align, const char* text);
  /// Width in pixels of the first line, or with multiline of the widest line; 0 for null.
  float MeasureText(const char* text, bool multiline) const;

  /// Formats (printf rules, at most 1023 characters kept) and draws like Render.
  void PrintFormatted(float x, float y, int align, const char* format, ...)
      __attribute__((format(printf, 5, 6)));
  /// Formats, word-wraps to the box width and places the lines in the box: horizontal
  /// alignment as Render, vertical by bits 2-3 of align (Align_Top, Align_Bottom,
  /// Align_Middle). The box does not clip.
  void PrintInBox(float x, float y, float w, float h, int align, const char* format, ...)
      __attribute__((format(printf, 7, 8)));
  /// Draws text given where a format is expected, without reading arguments: "%%" prints
  /// one percent sign, every other '%' prints as it stands. At most 1023 characters.
  void PrintLiteral(float x, float y, int align, const char* text);

  /// Colours every glyph (all four corners) and remembers the colour.
  void SetColor(uint32_t color);
  /// Sets the depth of every glyph and remembers it.
  void SetDepth(float z);
  /// Sets the blend mode of every glyph and remembers it.
  void SetBlendMode(int blend);

  /// Overall size factor, both axes (1 by default).
  void SetScale(float scale) { scale_ = scale; }
  /// Extra horizontal factor for widths and x offsets (1 by default).
  void SetProportion(float proportion) { proportion_ = proportion; }
  /// Radians each glyph turns about its top-left corner; the line stays horizontal.
  void SetRotation(float rotation) { rotation_ = rotation; }
  /// Extra pixels after every glyph, before scaling (0 by default).
  void SetTracking(float tracking) { tracking_ = tracking; }
  /// Line spacing factor (1 by default).
  void SetSpacing(float spacing) { spacing_ = spacing; }

  /// Largest glyph rectangle height, unscaled.
  float GetHeight() const { return height_; }
  /// Current size factor.
  float GetScale() const { return scale_; }
  /// Current horizontal factor.
  float GetProportion() const { return proportion_; }
  /// Current glyph rotation in radians.
  float GetRotation() const { return rotation_; }
  /// Current tracking in pixels.
  float GetTracking() const { return tracking_; }
  /// Current line spacing factor.
  float GetSpacing() const { return spacing_; }
  /// Last colour given to SetColor (0xFFFFFFFF at first).
  uint32_t GetColor() const { return color_; }
  /// Last depth given to SetDepth (0.5 at first).
  float GetDepth() const { return z_; }
  /// Last blend mode given to SetBlendMode (Blend_Default at first).
  int GetBlendMode() const { return blend_; }
  /// The glyph texture; 0 when none loaded.
  TextureHandle GetTexture() const { return texture_; }
  /// The sprite of a code, or null when the font has no glyph for it.
  const Sprite* GetGlyph(uint8_t code) const { return glyphs_[code].get(); }
  /// Pixels added before the glyph of a code.
  float GetPre(uint8_t code) const { return pre_[code]; }
  /// Pixels added after the glyph of a code.
  float GetPost(uint8_t code) const { return post_[code]; }

 private:
  static TVK* Engine() { return EngineReference<Font>::Engine(); }
  void LoadFile(const char* path, bool mipmap);
  void AddGlyph(int code, float x, float y, float w, float h, float pre, float post);
  // The glyph a byte draws with: its own, else '?', else -1 (skipped).
  int Lookup(unsigned char byte) const;
  // Unscaled width of the bytes from begin up to a line feed, the end of the text or stop.
  float LineWidth(const unsigned char* begin, const unsigned char* stop = nullptr) const;
  // Where a line starting at begin begins for the horizontal alignment.
  float LineStart(float x, int horizontal, const unsigned char* begin) const;
  // Breaks the formatted text into lines no wider than width where spaces allow; returns
  // the number of lines.
  int WrapLines(char* text, float width) const;

  EngineReference<Font> engine_;  // first: the reference is taken before anything else
  TextureHandle texture_ = 0;
  std::array<std::unique_ptr<Sprite>, 256> glyphs_;
  std::array<float, 256> pre_{};
  std::array<float, 256> post_{};
  float height_ = 0.0f;
  float scale_ = 1.0f;
  float proportion_ = 1.0f;
  float rotation_ = 0.0f;
  float tracking_ = 0.0f;
  float spacing_ = 1.0f;
  uint32_t color_ = 0xFFFFFFFF;
  float z_ = 0.5f;
  int blend_ = Blend_Default;
};
