#include "platform/text/glyph_renderer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace text {
namespace {

// One FreeType library for the process, made at first use.
class Library {
 public:
  static FT_Library Get() {
    static Library library;
    return library.handle_;
  }

 private:
  Library() {
    if (FT_Init_FreeType(&handle_) != 0) handle_ = nullptr;
  }
  ~Library() {
    if (handle_) FT_Done_FreeType(handle_);
  }
  FT_Library handle_ = nullptr;
};

// Font files this process registered, in order; fontconfig can only drop all application
// fonts at once, so the rest are added again after one is forgotten.
std::vector<std::string>& RegisteredFiles() {
  static std::vector<std::string> files;
  return files;
}

FcConfig* Config() {
  static const bool ready = FcInit() == FcTrue;
  return ready ? FcConfigGetCurrent() : nullptr;
}

bool AddAppFont(const std::string& path) {
  FcConfig* config = Config();
  return config && FcConfigAppFontAddFile(
                       config, reinterpret_cast<const FcChar8*>(path.c_str())) == FcTrue;
}

// Windows-1252 characters of the bytes 0x80..0x9F; the five unassigned bytes keep their
// control code, which no face draws.
char32_t CodeToUnicode(uint8_t code) {
  static constexpr std::array<char16_t, 32> kHigh = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  return code >= 0x80 && code < 0xA0 ? kHigh[code - 0x80] : code;
}

struct FaceMatch {
  std::string file;
  int index = 0;
  bool needs_bold = false;
  bool needs_slant = false;
};

std::optional<FaceMatch> FindFace(const std::string& family, bool bold, bool italic) {
  FcConfig* config = Config();
  if (!config) return std::nullopt;
  FcPattern* pattern = FcPatternCreate();
  if (!family.empty()) {
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  }
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* found = FcFontMatch(config, pattern, &result);
  FcPatternDestroy(pattern);
  if (!found) return std::nullopt;

  std::optional<FaceMatch> match;
  FcChar8* file = nullptr;
  if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch) {
    match.emplace();
    match->file = reinterpret_cast<const char*>(file);
    int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(found, FC_INDEX, 0, &match->index);
    FcPatternGetInteger(found, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(found, FC_SLANT, 0, &slant);
    match->needs_bold = bold && weight < FC_WEIGHT_DEMIBOLD;
    match->needs_slant = italic && slant == FC_SLANT_ROMAN;
  }
  FcPatternDestroy(found);
  return match;
}

// A rendered character: 8-bit coverage rows and the placement FreeType gives them.
struct Glyph {
  int left = 0, top = 0;  // from the pen on the baseline to the bitmap's top-left corner
  int width = 0, rows = 0;
  int advance = 0;
  std::vector<uint8_t> coverage;  // width * rows, top row first
};

void CopyCoverage(const FT_Bitmap& bitmap, Glyph* glyph) {
  glyph->width = int(bitmap.width);
  glyph->rows = int(bitmap.rows);
  glyph->coverage.assign(size_t(glyph->width) * size_t(glyph->rows), 0);
  const bool gray = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
  if (!gray && bitmap.pixel_mode != FT_PIXEL_MODE_MONO) return;
  for (int r = 0; r < glyph->rows; ++r) {
    const unsigned char* row = bitmap.buffer + ptrdiff_t(r) * bitmap.pitch;
    uint8_t* out = glyph->coverage.data() + size_t(r) * size_t(glyph->width);
    for (int c = 0; c < glyph->width; ++c) {
      out[c] = gray ? row[c] : ((row[c >> 3] >> (7 - (c & 7))) & 1) * 255;
    }
  }
}

}  // namespace

struct GlyphRenderer::Impl {
  FT_Face face = nullptr;
  FaceMatch match;
  int ascent = 0, descent = 0;
  std::array<std::optional<Glyph>, 256> glyphs;

  ~Impl() {
    if (face) FT_Done_Face(face);
  }

  const Glyph& Render(uint8_t code) {
    std::optional<Glyph>& slot = glyphs[code];
    if (!slot) {
      slot.emplace();
      const FT_UInt index = FT_Get_Char_Index(face, CodeToUnicode(code));
      if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) == 0) Finish(&*slot);
    }
    return *slot;
  }

  void Finish(Glyph* glyph) {
    FT_GlyphSlot slot = face->glyph;
    if (match.needs_bold) FT_GlyphSlot_Embolden(slot);
    if (match.needs_slant) FT_GlyphSlot_Oblique(slot);
    glyph->advance = int((slot->advance.x + 32) >> 6);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return;
    glyph->left = slot->bitmap_left;
    glyph->top = slot->bitmap_top;
    CopyCoverage(slot->bitmap, glyph);
  }
};

bool RegisterFontFile(const std::string& path) {
  if (!AddAppFont(path)) return false;
  RegisteredFiles().push_back(path);
  return true;
}

void UnregisterFontFile(const std::string& path) {
  std::vector<std::string>& files = RegisteredFiles();
  const auto it = std::find(files.begin(), files.end(), path);
  if (it == files.end()) return;
  files.erase(it);
  if (FcConfig* config = Config()) FcConfigAppFontClear(config);
  for (const std::string& file : files) AddAppFont(file);
}

GlyphRenderer::GlyphRenderer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
GlyphRenderer::~GlyphRenderer() = default;

std::unique_ptr<GlyphRenderer> GlyphRenderer::Open(const std::string& family, int pixel_height,
                                                   bool bold, bool italic) {
  FT_Library library = Library::Get();
  if (!library || pixel_height < 1 || pixel_height > kMaxPixelHeight) return nullptr;
  std::optional<FaceMatch> match = FindFace(family, bold, italic);
  if (!match) return nullptr;
  auto impl = std::make_unique<Impl>();
  impl->match = *match;
  if (FT_New_Face(library, match->file.c_str(), match->index, &impl->face) != 0) {
    impl->face = nullptr;
    return nullptr;
  }
  if (FT_Set_Pixel_Sizes(impl->face, 0, FT_UInt(pixel_height)) != 0) return nullptr;
  const FT_Size_Metrics& metrics = impl->face->size->metrics;
  impl->ascent = int((metrics.ascender + 63) >> 6);
  impl->descent = int((-metrics.descender + 63) >> 6);
  return std::unique_ptr<GlyphRenderer>(new GlyphRenderer(std::move(impl)));
}

int GlyphRenderer::CharHeight() const { return impl_->ascent + impl_->descent; }

const std::string& GlyphRenderer::FilePath() const { return impl_->match.file; }

CharSpacing GlyphRenderer::Spacing(uint8_t code) {
  const Glyph& glyph = impl_->Render(code);
  if (glyph.width == 0) return {0.0f, 0.0f, float(glyph.advance)};
  return {float(glyph.left), float(glyph.width),
          float(glyph.advance - glyph.left - glyph.width)};
}

void GlyphRenderer::Draw(uint8_t code, int x, int y, uint32_t* pixels, int width, int height) {
  const Glyph& glyph = impl_->Render(code);
  const int top = y + impl_->ascent - glyph.top;
  const int left = x + glyph.left;
  for (int r = std::max(0, -top); r < glyph.rows && top + r < height; ++r) {
    const uint8_t* row = glyph.coverage.data() + size_t(r) * size_t(glyph.width);
    uint32_t* out = pixels + size_t(top + r) * size_t(width);
    for (int c = std::max(0, -left); c < glyph.width && left + c < width; ++c) {
      const uint32_t level = std::max<uint32_t>(row[c], out[left + c] & 0xFF);
      out[left + c] = level | (level << 8) | (level << 16);
    }
  }
}

}  // namespace text
