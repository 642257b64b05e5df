#include "kit/draw/sprite.h"

#include <cmath>
#include <utility>

Sprite::Sprite(TextureHandle texture, float x, float y, float w, float h)
    : region_x_(x), region_y_(y), width_(w), height_(h) {
  QueryTextureSize(texture, &texture_width_, &texture_height_);
  quad_.tex = texture;
  MapRegion(x, y, w, h);
  for (Vertex& v : quad_.v) {
    v.z = 0.5f;
    v.col = 0xFFFFFFFF;
  }
  quad_.blend = Blend_Default;
}

// A size the engine cannot report (0) is treated like no texture, so texture coordinates
// always stay finite.
void Sprite::QueryTextureSize(TextureHandle texture, float* width, float* height) const {
  *width = *height = 1.0f;
  if (texture == 0) return;
  TVK* engine = Engine();
  int w = engine->Texture_GetWidth(texture, false);
  int h = engine->Texture_GetHeight(texture, false);
  if (w > 0 && h > 0) {
    *width = float(w);
    *height = float(h);
  }
}

void Sprite::SetTexCoordEdges(float left, float top, float right, float bottom) {
  quad_.v[0].tx = quad_.v[3].tx = left;
  quad_.v[1].tx = quad_.v[2].tx = right;
  quad_.v[0].ty = quad_.v[1].ty = top;
  quad_.v[2].ty = quad_.v[3].ty = bottom;
}

void Sprite::MapRegion(float x, float y, float w, float h) {
  SetTexCoordEdges(x / texture_width_, y / texture_height_, (x + w) / texture_width_,
                   (y + h) / texture_height_);
}

void Sprite::Submit(const Point (&corners)[4]) {
  for (int i = 0; i < 4; ++i) {
    quad_.v[i].x = corners[i].x;
    quad_.v[i].y = corners[i].y;
  }
  Engine()->Gfx_DrawQuad(&quad_);
}

void Sprite::Draw(float x, float y) {
  const float left = x - hot_x_, top = y - hot_y_;
  const float right = x + width_ - hot_x_, bottom = y + height_ - hot_y_;
  Submit({{left, top}, {right, top}, {right, bottom}, {left, bottom}});
}

void Sprite::RotatedCorners(float x, float y, float angle, float scale_x, float scale_y,
                            Point (&corners)[4]) const {
  const float left = -hot_x_ * scale_x, top = -hot_y_ * scale_y;
  const float right = (width_ - hot_x_) * scale_x, bottom = (height_ - hot_y_) * scale_y;
  const Point offsets[4] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
  if (angle == 0.0f) {
    for (int i = 0; i < 4; ++i) corners[i] = {x + offsets[i].x, y + offsets[i].y};
    return;
  }
  const float ca = std::cos(angle), sa = std::sin(angle);
  for (int i = 0; i < 4; ++i) {
    const Point& o = offsets[i];
    corners[i] = {x + o.x * ca - o.y * sa, y + o.x * sa + o.y * ca};
  }
}

void Sprite::DrawRotated(float x, float y, float angle, float scale_x, float scale_y) {
  if (scale_y == 0.0f) scale_y = scale_x;
  Point corners[4];
  RotatedCorners(x, y, angle, scale_x, scale_y, corners);
  Submit(corners);
}

void Sprite::DrawStretched(float x1, float y1, float x2, float y2) {
  Submit({{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}});
}

void Sprite::DrawCorners(float x0, float y0, float x1, float y1, float x2, float y2, float x3,
                         float y3) {
  Submit({{x0, y0}, {x1, y1}, {x2, y2}, {x3, y3}});
}

// Keeps the region's pixel edges (read from corners 0 and 2, so mirroring survives) and
// re-expresses them against the new texture size.
void Sprite::SetTexture(TextureHandle texture) {
  float width, height;
  QueryTextureSize(texture, &width, &height);
  quad_.tex = texture;
  if (width == texture_width_ && height == texture_height_) return;
  const float left = quad_.v[0].tx * texture_width_, top = quad_.v[0].ty * texture_height_;
  const float right = quad_.v[2].tx * texture_width_, bottom = quad_.v[2].ty * texture_height_;
  texture_width_ = width;
  texture_height_ = height;
  SetTexCoordEdges(left / width, top / height, right / width, bottom / height);
}

void Sprite::SetRegion(float x, float y, float w, float h, bool resize) {
  region_x_ = x;
  region_y_ = y;
  if (resize) {
    width_ = w;
    height_ = h;
  }
  MapRegion(x, y, w, h);
  ReapplyMirror();
}

void Sprite::ReapplyMirror() {
  const bool mirror_x = mirror_x_, mirror_y = mirror_y_;
  mirror_x_ = mirror_y_ = false;
  SetMirror(mirror_x, mirror_y, mirror_hot_spot_);
}

void Sprite::SetColor(uint32_t color, int corner) {
  if (corner == -1) {
    for (Vertex& v : quad_.v) v.col = color;
  } else if (corner >= 0 && corner < 4) {
    quad_.v[corner].col = color;
  }
}

void Sprite::SetDepth(float z, int corner) {
  if (corner == -1) {
    for (Vertex& v : quad_.v) v.z = z;
  } else if (corner >= 0 && corner < 4) {
    quad_.v[corner].z = z;
  }
}

void Sprite::MirrorHotSpot() {
  if (mirror_x_) hot_x_ = width_ - hot_x_;
  if (mirror_y_) hot_y_ = height_ - hot_y_;
}

void Sprite::SwapTextureCoords(int a, int b) {
  std::swap(quad_.v[a].tx, quad_.v[b].tx);
  std::swap(quad_.v[a].ty, quad_.v[b].ty);
}

// The hot spot is judged against the mirror flags as they stand on entry: it is first
// returned to its unmirrored place (if it followed the mirroring) and then mirrored again
// when it is to follow from now on.
void Sprite::SetMirror(bool mirror_x, bool mirror_y, bool mirror_hot_spot) {
  if (mirror_hot_spot_) MirrorHotSpot();
  mirror_hot_spot_ = mirror_hot_spot;
  if (mirror_hot_spot_) MirrorHotSpot();
  if (mirror_x != mirror_x_) {
    SwapTextureCoords(0, 1);
    SwapTextureCoords(3, 2);
    mirror_x_ = !mirror_x_;
  }
  if (mirror_y != mirror_y_) {
    SwapTextureCoords(0, 3);
    SwapTextureCoords(1, 2);
    mirror_y_ = !mirror_y_;
  }
}

void Sprite::GetMirror(bool* mirror_x, bool* mirror_y, bool* mirror_hot_spot) const {
  *mirror_x = mirror_x_;
  *mirror_y = mirror_y_;
  *mirror_hot_spot = mirror_hot_spot_;
}

BoundsRect* Sprite::GetRotatedBounds(float x, float y, float angle, float scale_x,
                                     float scale_y, BoundsRect* out) const {
  out->Clear();
  Point corners[4];
  RotatedCorners(x, y, angle, scale_x, scale_y, corners);
  for (const Point& c : corners) out->Extend(c.x, c.y);
  return out;
}
