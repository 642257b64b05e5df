// Sprite geometry, texture coordinates, mirroring and bounding rectangles.
#include <numbers>

#include "draw_test_support.h"
#include "kit/draw/sprite.h"

namespace {

class SpriteTest : public DrawTest {};

TEST_F(SpriteTest, NewSpriteMapsItsRegionOntoTheTexture) {
  StartGraphics();
  const TextureHandle texture = engine->Texture_Create(256, 256);
  ASSERT_NE(texture, 0u);
  Sprite sprite(texture, 0, 0, 152, 114);
  const Quad& q = sprite.GetQuad();
  ExpectTexCoord(q, 1, 0.59375f, 0);
  ExpectTexCoord(q, 2, 0.59375f, 0.4453125f);
  for (const Vertex& v : q.v) {
    EXPECT_EQ(v.z, 0.5f);
    EXPECT_EQ(v.col, 0xFFFFFFFFu);
  }
  EXPECT_EQ(q.blend, Blend_Default);
}

TEST_F(SpriteTest, DrawPlacesTheCornersAroundTheHotSpot) {
  Sprite sprite(0, 0, 0, 32, 32);
  sprite.Draw(100, 50);
  const Quad& q = sprite.GetQuad();
  ExpectCorner(q, 0, 100, 50);
  ExpectCorner(q, 1, 132, 50);
  ExpectCorner(q, 2, 132, 82);
  ExpectCorner(q, 3, 100, 82);
  sprite.SetHotSpot(16, 8);
  sprite.Draw(100, 50);
  ExpectCorner(q, 0, 84, 42);
  const Quad drawn = q;
  sprite.DrawRotated(100, 50, 0.0f, 1.0f, 1.0f);
  for (int i = 0; i < 4; ++i) ExpectCorner(q, i, drawn.v[i].x, drawn.v[i].y);
}

TEST_F(SpriteTest, ScaleYZeroMeansScaleXWhenDrawingButNotForBounds) {
  Sprite sprite(0, 0, 0, 32, 16);
  sprite.DrawRotated(10, 20, 0.0f, 2.0f, 0.0f);
  ExpectCorner(sprite.GetQuad(), 2, 74, 52);
  BoundsRect box;
  sprite.GetRotatedBounds(10, 20, 0.0f, 2.0f, 0.0f, &box);
  EXPECT_EQ(box.x2, 74);
  EXPECT_EQ(box.y1, 20);
  EXPECT_EQ(box.y2, 20);
}

TEST_F(SpriteTest, PositiveAngleTurnsClockwiseAboutTheHotSpot) {
  Sprite sprite(0, 0, 0, 32, 16);
  sprite.SetHotSpot(16, 8);
  const float quarter = std::numbers::pi_v<float> / 2;
  sprite.DrawRotated(100, 100, quarter, 1.0f, 1.0f);
  // The top-left corner, (-16, -8) from the hot spot, turns to (8, -16).
  EXPECT_NEAR(sprite.GetQuad().v[0].x, 108, 1e-4);
  EXPECT_NEAR(sprite.GetQuad().v[0].y, 84, 1e-4);
  BoundsRect box;
  sprite.GetRotatedBounds(100, 100, quarter, 1.0f, 1.0f, &box);
  EXPECT_NEAR(box.x1, 92, 1e-4);
  EXPECT_NEAR(box.y2, 116, 1e-4);
}

TEST_F(SpriteTest, MirrorFlipsTextureCoordinatesOnlyOnAChange) {
  Sprite sprite(0, 0, 0, 32, 16);
  sprite.SetMirror(true, false, false);
  sprite.SetMirror(true, false, false);
  ExpectTexCoord(sprite.GetQuad(), 0, 32, 0);
  ExpectTexCoord(sprite.GetQuad(), 1, 0, 0);
  sprite.SetMirror(true, true, false);
  ExpectTexCoord(sprite.GetQuad(), 0, 32, 16);
  ExpectTexCoord(sprite.GetQuad(), 2, 0, 0);
}

TEST_F(SpriteTest, HotSpotFollowsTheMirrorFlagsAsTheyStoodBeforeTheCall) {
  Sprite sprite(0, 0, 0, 32, 32);
  sprite.SetHotSpot(4, 0);
  float hx, hy;
  for (int call = 0; call < 2; ++call) {
    sprite.SetMirror(true, false, true);
    sprite.GetHotSpot(&hx, &hy);
    EXPECT_EQ(hx, 4);
  }
  ExpectTexCoord(sprite.GetQuad(), 0, 32, 0);
  sprite.SetMirror(true, false, false);
  sprite.GetHotSpot(&hx, &hy);
  EXPECT_EQ(hx, 28);
  ExpectTexCoord(sprite.GetQuad(), 0, 32, 0);
}

TEST_F(SpriteTest, SetTextureRescalesCoordinatesOnlyWhenTheSizeChanges) {
  StartGraphics();
  const TextureHandle first = engine->Texture_Create(256, 256);
  const TextureHandle same_size = engine->Texture_Create(256, 256);
  const TextureHandle twice_as_wide = engine->Texture_Create(512, 256);
  ASSERT_NE(twice_as_wide, 0u);
  Sprite sprite(first, 64, 32, 64, 64);
  const Quad before = sprite.GetQuad();
  sprite.SetTexture(same_size);
  EXPECT_EQ(sprite.GetTexture(), same_size);
  for (int i = 0; i < 4; ++i) ExpectTexCoord(sprite.GetQuad(), i, before.v[i].tx, before.v[i].ty);

  sprite.SetMirror(true, false, false);
  sprite.SetTexture(twice_as_wide);
  // Still mirrored: corner 0 shows the region's right edge, at half the u it had.
  ExpectTexCoord(sprite.GetQuad(), 0, before.v[1].tx / 2, before.v[0].ty);
  ExpectTexCoord(sprite.GetQuad(), 2, before.v[0].tx / 2, before.v[2].ty);
}

TEST_F(SpriteTest, SetRegionWithoutResizeStretchesTheRegionOverTheOldSize) {
  Sprite sprite(0, 0, 0, 32, 32);
  sprite.SetHotSpot(4, 4);
  sprite.SetMirror(false, true, true);
  sprite.SetRegion(8, 8, 64, 48, false);
  EXPECT_EQ(sprite.GetWidth(), 32);
  EXPECT_EQ(sprite.GetHeight(), 32);
  // Still mirrored vertically, over the whole 64 x 48 region; the hot spot stays.
  ExpectTexCoord(sprite.GetQuad(), 0, 8, 56);
  ExpectTexCoord(sprite.GetQuad(), 2, 72, 8);
  float hx, hy;
  sprite.GetHotSpot(&hx, &hy);
  EXPECT_EQ(hy, 4);
}

TEST_F(SpriteTest, CornersOutsideTheQuadAreIgnored) {
  Sprite sprite(0, 0, 0, 8, 8);
  sprite.SetColor(0xAABBCCDD, 3);
  sprite.SetColor(0x12345678, 4);
  sprite.SetColor(0x12345678, -7);
  sprite.SetDepth(0.9f, 100);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(sprite.GetColor(i), i == 3 ? 0xAABBCCDDu : 0xFFFFFFFFu);
    EXPECT_EQ(sprite.GetDepth(i), 0.5f);
  }
}

TEST(SpriteBounds, ExtendContainsAndOverlaps) {
  BoundsRect box;
  box.Extend(-5, 7);
  box.Clear();
  box.Extend(10, 20);  // the first point after Clear starts the box afresh
  EXPECT_EQ(box.x1, 10);
  EXPECT_EQ(box.y1, 20);
  box.Extend(30, 40);
  EXPECT_TRUE(box.Contains(10, 20));
  EXPECT_FALSE(box.Contains(30, 25));
  EXPECT_FALSE(box.Contains(15, 40));

  const BoundsRect right{30, 20, 50, 40, false};
  const BoundsRect below{10, 40, 30, 60, false};
  const BoundsRect crossing{29, 39, 50, 60, false};
  EXPECT_FALSE(box.Overlaps(&right));
  EXPECT_FALSE(box.Overlaps(&below));
  EXPECT_TRUE(box.Overlaps(&crossing));
}

}  // namespace
