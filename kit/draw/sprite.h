/// @file
/// A rectangular region of a texture drawn as one quad. The sprite keeps the whole quad it
/// submits: depth, colour and texture coordinates persist, and each draw only rewrites the
/// corner positions before handing the quad to the engine's batcher.
#pragma once

#include <cstdint>

#include "engine/tvk.h"
#include "kit/draw/bounds_rect.h"
#include "kit/draw/engine_reference.h"

/// A textured rectangle drawn at any place, size, angle and colour; the base of animations.
class TVK_API Sprite {
 public:
  /// Shows the region (x, y, w, h) of the texture at size w by h. Texture 0 draws untextured.
  Sprite(TextureHandle texture, float x, float y, float w, float h);
  /// A copy has the whole record, quad included, and its own engine reference.
  Sprite(const Sprite&) = default;
  /// Copies the whole record; each sprite keeps its own engine reference.
  Sprite& operator=(const Sprite&) = default;
  /// Gives the engine reference back.
  virtual ~Sprite() = default;

  /// Each draw places the four corners and submits the quad.
  void Draw(float x, float y);
  /// Rotates (radians, clockwise on screen) and scales about the hot spot; a scale_y of 0
  /// means the same as scale_x.
  void DrawRotated(float x, float y, float angle, float scale_x = 1.0f, float scale_y = 0.0f);
  /// Draws the sprite filling the rectangle from (x1, y1) to (x2, y2); the hot spot is unused.
  void DrawStretched(float x1, float y1, float x2, float y2);
  /// Draws the sprite with its four corners (top-left, top-right, bottom-right, bottom-left)
  /// at the given points.
  void DrawCorners(float x0, float y0, float x1, float y1, float x2, float y2, float x3,
                   float y3);

  /// Draws from another texture, keeping the region's pixel rectangle.
  void SetTexture(TextureHandle texture);
  /// With resize false the drawn size stays and the new region is stretched onto it.
  void SetRegion(float x, float y, float w, float h, bool resize = true);
  /// corner 0..3, or -1 for all four; other values are ignored.
  void SetColor(uint32_t color, int corner = -1);
  /// Sets the depth (0 near .. 1 far) of a corner 0..3, or of all four with -1.
  void SetDepth(float z, int corner = -1);
  /// Mirrors the texture horizontally and/or vertically; mirror_hot_spot mirrors the hot spot
  /// with it.
  void SetMirror(bool mirror_x, bool mirror_y, bool mirror_hot_spot = false);
  /// Sets the Blend_ bits the sprite is drawn with.
  void SetBlendMode(int blend) { quad_.blend = blend; }
  /// Sets the point, in sprite pixels from its top-left, that drawing places and turns about.
  void SetHotSpot(float x, float y) {
    hot_x_ = x;
    hot_y_ = y;
  }

  /// The drawn width in pixels.
  float GetWidth() const { return width_; }
  /// The drawn height in pixels.
  float GetHeight() const { return height_; }
  /// The texture drawn from; 0 for none.
  TextureHandle GetTexture() const { return quad_.tex; }
  /// Writes the region's top-left pixel in the texture.
  void GetRegion(float* x, float* y) const {
    *x = region_x_;
    *y = region_y_;
  }
  /// Writes the hot spot.
  void GetHotSpot(float* x, float* y) const {
    *x = hot_x_;
    *y = hot_y_;
  }
  /// corner 0..3; any other value reads corner 0.
  uint32_t GetColor(int corner = 0) const { return quad_.v[CornerIndex(corner)].col; }
  /// The depth of corner 0..3; any other value reads corner 0.
  float GetDepth(int corner = 0) const { return quad_.v[CornerIndex(corner)].z; }
  /// The Blend_ bits.
  int GetBlendMode() const { return quad_.blend; }
  /// Writes the mirror flags.
  void GetMirror(bool* mirror_x, bool* mirror_y, bool* mirror_hot_spot) const;
  /// The quad as the last draw submitted it; the next draw changes only the corner positions.
  const Quad& GetQuad() const { return quad_; }

  /// The axis-aligned box of the corners DrawRotated would produce. Unlike DrawRotated, a
  /// scale_y of 0 is taken as it stands and gives a box of zero height.
  BoundsRect* GetRotatedBounds(float x, float y, float angle, float scale_x, float scale_y,
                               BoundsRect* out) const;

 protected:
  /// The engine all sprites draw through.
  static TVK* Engine() { return EngineReference<Sprite>::Engine(); }
  /// Points the texture coordinates at the pixel rectangle (x, y, w, h) of the texture,
  /// unmirrored.
  void MapRegion(float x, float y, float w, float h);
  /// Mirrors freshly mapped texture coordinates again without moving the hot spot.
  void ReapplyMirror();

 private:
  struct Point {
    float x, y;
  };

  static int CornerIndex(int corner) { return corner >= 0 && corner < 4 ? corner : 0; }
  /// The texture's allocated size; 1 by 1 without a texture or when the size is unknown.
  void QueryTextureSize(TextureHandle texture, float* width, float* height) const;
  /// Writes the texture coordinates of the four corners from the region's edges.
  void SetTexCoordEdges(float left, float top, float right, float bottom);
  void RotatedCorners(float x, float y, float angle, float scale_x, float scale_y,
                      Point (&corners)[4]) const;
  void Submit(const Point (&corners)[4]);
  void SwapTextureCoords(int a, int b);
  void MirrorHotSpot();

  EngineReference<Sprite> engine_;  ///< first: the reference is taken before anything else
  Quad quad_{};
  float region_x_, region_y_;
  float width_, height_;
  float texture_width_ = 1.0f, texture_height_ = 1.0f;
  float hot_x_ = 0.0f, hot_y_ = 0.0f;
  bool mirror_x_ = false, mirror_y_ = false, mirror_hot_spot_ = false;
};
