// Bitmap-font builder: renders characters 32..255 of a TrueType face into a PNG texture and
// writes the .fnt file that cuts the glyphs from it, with the same renderer and packing the
// engine uses for fonts made at run time. The same arguments give the same files every run.
//
//   font_builder [--bold] [--italic] [--texture-name NAME] FONT SIZE OUT.fnt OUT.png
//
// FONT is a TrueType file or a face name ("Arial"); SIZE the pixel height (1..1024); NAME
// the texture name stored in the .fnt (default: OUT.png as given), which the engine resolves
// against the program's folder, e.g. --texture-name dane/font.png.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "kit/text/fnt_file.h"
#include "kit/text/glyph_texture.h"
#include "kit/text/truetype_name.h"
#include "platform/image/image.h"
#include "platform/text/glyph_renderer.h"

namespace {

constexpr char kUsage[] =
    "usage: font_builder [--bold] [--italic] [--texture-name NAME] FONT SIZE OUT.fnt OUT.png\n"
    "  FONT    a TrueType file, or a face name such as \"Arial\"\n"
    "  SIZE    pixel height of the characters, 1..1024\n"
    "  OUT.fnt the bitmap font file to write\n"
    "  OUT.png the glyph texture to write\n"
    "  --bold, --italic      the style to render\n"
    "  --texture-name NAME   texture name stored in the .fnt (default: OUT.png as given)\n";

struct Options {
  bool bold = false, italic = false;
  std::string font, fnt_path, png_path, texture_name;
  int size = 0;
};

bool ParseSize(const std::string& text, int* size) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != 0 || value < 1 || value > text::GlyphRenderer::kMaxPixelHeight) {
    return false;
  }
  *size = int(value);
  return true;
}

bool ParseOptions(int argc, char** argv, Options* options) {
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--bold") {
      options->bold = true;
    } else if (arg == "--italic") {
      options->italic = true;
    } else if (arg == "--texture-name" && i + 1 < argc) {
      options->texture_name = argv[++i];
    } else if (arg.rfind("--", 0) == 0) {
      return false;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 4 || !ParseSize(positional[1], &options->size)) return false;
  options->font = positional[0];
  options->fnt_path = positional[2];
  options->png_path = positional[3];
  if (options->texture_name.empty()) options->texture_name = options->png_path;
  return true;
}

bool LooksLikePath(const std::string& font) {
  const auto ends_with = [&](const char* suffix) {
    const std::string s = suffix;
    return font.size() > s.size() && font.compare(font.size() - s.size(), s.size(), s) == 0;
  };
  return font.find('/') != std::string::npos || ends_with(".ttf") || ends_with(".TTF");
}

// The face to ask for: a file's family name (the file registered so it can be found), or
// the name as given.
bool ResolveFace(const std::string& font, std::string* face) {
  if (!File_Exists(font.c_str())) {
    if (LooksLikePath(font)) {
      std::fprintf(stderr, "font_builder: can't open font file %s\n", font.c_str());
      return false;
    }
    *face = font;
    return true;
  }
  *face = TrueType_GetFamilyName(font.c_str());
  if (face->empty() || !text::RegisterFontFile(font)) {
    std::fprintf(stderr, "font_builder: %s is not a TrueType file with a family name\n",
                 font.c_str());
    return false;
  }
  return true;
}

FntFile MakeFnt(const std::string& texture_name, const GlyphRange& range) {
  FntFile fnt;
  fnt.texture_name = texture_name;
  const GlyphCell* cells = Font_GlyphCells();
  for (int code = range.first; code <= range.last; ++code) {
    const GlyphCell& c = cells[code];
    fnt.records.push_back({int16_t(code), int16_t(c.x), int16_t(c.y), int16_t(c.w),
                           int16_t(c.h), int16_t(c.pre), int16_t(c.post)});
  }
  return fnt;
}

int Build(const Options& options) {
  std::string face;
  if (!ResolveFace(options.font, &face)) return 1;
  const GlyphRange characters{32, 255};
  GlyphBitmap bitmap;
  if (!Font_RenderGlyphBitmap(face.c_str(), options.size, options.bold, options.italic,
                              &characters, 1, &bitmap)) {
    std::fprintf(stderr, "font_builder: can't render %s at %d pixels into 1024x1024\n",
                 face.c_str(), options.size);
    return 1;
  }
  if (!image::WritePng(options.png_path.c_str(), bitmap.pixels.data(), bitmap.width,
                       bitmap.height, bitmap.width * 4)) {
    std::fprintf(stderr, "font_builder: can't write %s\n", options.png_path.c_str());
    return 1;
  }
  if (!Fnt_Write(options.fnt_path.c_str(), MakeFnt(options.texture_name, characters))) {
    std::fprintf(stderr, "font_builder: can't write %s\n", options.fnt_path.c_str());
    return 1;
  }
  std::printf("%s: %d glyphs of %s %d%s%s, texture %s (%dx%d)\n", options.fnt_path.c_str(),
              characters.last - characters.first + 1, face.c_str(), options.size,
              options.bold ? " bold" : "", options.italic ? " italic" : "",
              options.texture_name.c_str(), bitmap.width, bitmap.height);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  return Build(options);
}
