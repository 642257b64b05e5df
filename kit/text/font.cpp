#include "kit/text/font.h"

#include <algorithm>
#include <cmath>

#include "kit/text/fnt_file.h"

Font::Font(const char* path, bool mipmap) { LoadFile(path, mipmap); }

Font::Font(const GlyphCell* cells, TextureHandle texture) : texture_(texture) {
  if (cells == nullptr) return;
  for (int code = 32; code < 256; ++code) {
    const GlyphCell& cell = cells[code];
    AddGlyph(code, float(cell.x), float(cell.y), float(cell.w), float(cell.h), float(cell.pre),
             float(cell.post));
  }
}

Font::~Font() {
  for (auto& glyph : glyphs_) glyph.reset();
  if (texture_ != 0) Engine()->Texture_Free(texture_);
}

void Font::LoadFile(const char* path, bool mipmap) {
  TVK* engine = Engine();
  FntFile file;
  if (!Fnt_Read(path, &file)) {
    engine->System_WriteLog("Can't read font file '%s'", path ? path : "");
    return;
  }
  engine->System_WriteLog("Loading font '%s'...", file.texture_name.c_str());
  texture_ = engine->Texture_Load(file.texture_name.c_str(), 0, mipmap);
  if (texture_ == 0) {
    engine->System_WriteLog("failed.");
    return;
  }
  engine->System_WriteLog("ok.");
  for (const FntRecord& r : file.records) {
    const int code = std::clamp<int>(r.code, 0, 255);
    engine->System_WriteLog("%c", code);
    AddGlyph(code, r.x, r.y, r.w, r.h, r.pre, r.post);
  }
}

void Font::AddGlyph(int code, float x, float y, float w, float h, float pre, float post) {
  glyphs_[code] = std::make_unique<Sprite>(texture_, x, y, w, h);
  pre_[code] = pre;
  post_[code] = post;
  height_ = std::max(height_, h);
}

int Font::Lookup(unsigned char byte) const {
  if (glyphs_[byte]) return byte;
  return glyphs_['?'] ? '?' : -1;
}

float Font::LineWidth(const unsigned char* begin, const unsigned char* stop) const {
  float width = 0.0f;
  for (const unsigned char* p = begin; p != stop && *p != 0 && *p != '\n'; ++p) {
    const int g = Lookup(*p);
    if (g >= 0) width += glyphs_[g]->GetWidth() + pre_[g] + post_[g] + tracking_;
  }
  return width;
}

float Font::MeasureText(const char* text, bool multiline) const {
  if (text == nullptr) return 0.0f;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  float widest = LineWidth(p);
  if (multiline) {
    for (;;) {
      while (*p != 0 && *p != '\n') ++p;
      while (*p == '\n' || *p == '\r') ++p;
      if (*p == 0) break;
      widest = std::max(widest, LineWidth(p));
    }
  }
  return widest * scale_ * proportion_;
}

float Font::LineStart(float x, int horizontal, const unsigned char* begin) const {
  const float width = LineWidth(begin) * scale_ * proportion_;
  if (horizontal == Align_Right) return x - width;
  if (horizontal == Align_Center) return x - std::trunc(width * 0.5f);
  return x;
}

void Font::Render(float x, float y, int align, const char* text) {
  if (text == nullptr) return;
  const int horizontal = align & 3;
  const float step_x = scale_ * proportion_;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  float pen = LineStart(x, horizontal, p);
  for (; *p != 0; ++p) {
    if (*p == '\n') {
      y += std::trunc(height_ * scale_ * spacing_);
      pen = LineStart(x, horizontal, p + 1);
      continue;
    }
    const int g = Lookup(*p);
    if (g < 0) continue;
    Sprite& glyph = *glyphs_[g];
    pen += pre_[g] * step_x;
    glyph.DrawRotated(pen, y, rotation_, step_x, scale_);
    pen += (glyph.GetWidth() + post_[g] + tracking_) * step_x;
  }
}

void Font::SetColor(uint32_t color) {
  color_ = color;
  for (auto& glyph : glyphs_) {
    if (glyph) glyph->SetColor(color, -1);
  }
}

void Font::SetDepth(float z) {
  z_ = z;
  for (auto& glyph : glyphs_) {
    if (glyph) glyph->SetDepth(z, -1);
  }
}

void Font::SetBlendMode(int blend) {
  blend_ = blend;
  for (auto& glyph : glyphs_) {
    if (glyph) glyph->SetBlendMode(blend);
  }
}
