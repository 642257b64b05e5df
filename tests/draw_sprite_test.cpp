// Sprite geometry, texture coordinates, mirroring and bounding rectangles.
#include <cmath>
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
  ExpectTexCoord(q, 0, 0, 0);
  ExpectTexCoord(q, 1, 0.59375f, 0);
  ExpectTexCoord(q, 2, 0.59375f, 0.4453125f);
  ExpectTexCoord(q, 3, 0, 0.4453125f);
  for (const Vertex& v : q.v) {
    EXPECT_EQ(v.z, 0.5f);
    EXPECT_EQ(v.col, 0xFFFFFFFFu);
  }
  EXPECT_EQ(q.blend, Blend_Default);
  EXPECT_EQ(q.tex, texture);
  EXPECT_EQ(sprite.GetWidth(), 152);
  EXPECT_EQ(sprite.GetHeight(), 114);
}

TEST_F(SpriteTest, WithoutTextureTheRegionIsUsedAsTextureCoordinates) {
  Sprite sprite(0, 3, 4, 10, 20);
  ExpectTexCoord(sprite.GetQuad(), 0, 3, 4);
  ExpectTexCoord(sprite.GetQuad(), 2, 13, 24);
}

TEST_F(SpriteTest, DrawPlacesTheCornersAroundTheHotSpotAndKeepsTheRest) {
  Sprite sprite(0, 0, 0, 32, 32);
  sprite.SetColor(0x80102030, 2);
  sprite.Draw(100, 50);
  const Quad& q = sprite.GetQuad();
  ExpectCorner(q, 0, 100, 50);
  ExpectCorner(q, 1, 132, 50);
  ExpectCorner(q, 2, 132, 82);
  ExpectCorner(q, 3, 100, 82);
  EXPECT_EQ(q.v[2].col, 0x80102030u);
  ExpectTexCoord(q, 2, 32, 32);

  sprite.SetHotSpot(16, 8);
  sprite.Draw(100, 50);
  ExpectCorner(q, 0, 84, 42);
  ExpectCorner(q, 2, 116, 74);
}

TEST_F(SpriteTest, DrawRotatedWithoutScaleYScalesBothAxesButBoundsDoNot) {
  Sprite sprite(0, 0, 0, 32, 16);
  sprite.DrawRotated(10, 20, 0.0f, 2.0f, 0.0f);
  ExpectCorner(sprite.GetQuad(), 0, 10, 20);
  ExpectCorner(sprite.GetQuad(), 2, 74, 52);

  BoundsRect box;
  sprite.GetRotatedBounds(10, 20, 0.0f, 2.0f, 0.0f, &box);
  EXPECT_FALSE(box.empty);
  EXPECT_EQ(box.x1, 10);
  EXPECT_EQ(box.x2, 74);
  EXPECT_EQ(box.y1, 20);
  EXPECT_EQ(box.y2, 20);
}

TEST_F(SpriteTest, DrawRotatedWithoutTurnOrScaleMatchesDraw) {
  Sprite sprite(0, 0, 0, 24, 40);
  sprite.SetHotSpot(5, 7);
  sprite.Draw(60, 30);
  const Quad drawn = sprite.GetQuad();
  sprite.DrawRotated(60, 30, 0.0f, 1.0f, 1.0f);
  for (int i = 0; i < 4; ++i) ExpectCorner(sprite.GetQuad(), i, drawn.v[i].x, drawn.v[i].y);
}

TEST_F(SpriteTest, PositiveAngleTurnsClockwiseAboutTheHotSpot) {
  Sprite sprite(0, 0, 0, 32, 16);
  sprite.SetHotSpot(16, 8);
  const float quarter = std::numbers::pi_v<float> / 2;
  sprite.DrawRotated(100, 100, quarter, 1.0f, 1.0f);
  const Quad& q = sprite.GetQuad();
  // The top-left corner (-16, -8 from the hot spot) turns to (+8, -16).
  EXPECT_NEAR(q.v[0].x, 108, 1e-4);
  EXPECT_NEAR(q.v[0].y, 84, 1e-4);
  EXPECT_NEAR(q.v[2].x, 92, 1e-4);
  EXPECT_NEAR(q.v[2].y, 116, 1e-4);

  BoundsRect box;
  sprite.GetRotatedBounds(100, 100, quarter, 1.0f, 1.0f, &box);
  EXPECT_NEAR(box.x1, 92, 1e-4);
  EXPECT_NEAR(box.x2, 108, 1e-4);
  EXPECT_NEAR(box.y1, 84, 1e-4);
  EXPECT_NEAR(box.y2, 116, 1e-4);
}

TEST_F(SpriteTest, StretchedAndCornerDrawsIgnoreHotSpotAndSize) {
  Sprite sprite(0, 0, 0, 8, 8);
  sprite.SetHotSpot(4, 4);
  sprite.DrawStretched(1, 2, 50, 60);
  ExpectCorner(sprite.GetQuad(), 1, 50, 2);
  ExpectCorner(sprite.GetQuad(), 3, 1, 60);
  sprite.DrawCorners(0, 0, 10, 1, 12, 13, -2, 9);
  ExpectCorner(sprite.GetQuad(), 2, 12, 13);
  ExpectCorner(sprite.GetQuad(), 3, -2, 9);
}

TEST_F(SpriteTest, MirroringTwiceWithTheSameFlagsMirrorsOnce) {
  Sprite sprite(0, 0, 0, 32, 16);
  sprite.SetMirror(true, false, false);
  sprite.SetMirror(true, false, false);
  const Quad& q = sprite.GetQuad();
  ExpectTexCoord(q, 0, 32, 0);
  ExpectTexCoord(q, 1, 0, 0);
  ExpectTexCoord(q, 2, 0, 16);
  ExpectTexCoord(q, 3, 32, 16);

  sprite.SetMirror(true, true, false);
  ExpectTexCoord(q, 0, 32, 16);
  ExpectTexCoord(q, 2, 0, 0);
  sprite.SetMirror(false, false, false);
  ExpectTexCoord(q, 0, 0, 0);
  ExpectTexCoord(q, 2, 32, 16);
}

TEST_F(SpriteTest, HotSpotFollowsTheMirrorFlagsAsTheyStoodBeforeTheCall) {
  Sprite sprite(0, 0, 0, 32, 32);
  sprite.SetHotSpot(4, 0);
  float hx, hy;
  sprite.SetMirror(true, false, true);
  sprite.GetHotSpot(&hx, &hy);
  EXPECT_EQ(hx, 4);
  ExpectTexCoord(sprite.GetQuad(), 0, 32, 0);

  sprite.SetMirror(true, false, true);
  sprite.GetHotSpot(&hx, &hy);
  EXPECT_EQ(hx, 4);

  sprite.SetMirror(true, false, false);
  sprite.GetHotSpot(&hx, &hy);
  EXPECT_EQ(hx, 28);
  EXPECT_EQ(hy, 0);
  ExpectTexCoord(sprite.GetQuad(), 0, 32, 0);
  bool mx, my, mh;
  sprite.GetMirror(&mx, &my, &mh);
  EXPECT_TRUE(mx);
  EXPECT_FALSE(my);
  EXPECT_FALSE(mh);
}

TEST_F(SpriteTest, SetTextureRescalesCoordinatesOnlyWhenTheSizeChanges) {
  StartGraphics();
  const TextureHandle first = engine->Texture_Create(256, 256);
  const TextureHandle same_size = engine->Texture_Create(256, 256);
  const TextureHandle twice_as_wide = engine->Texture_Create(512, 256);
  ASSERT_NE(first, 0u);
  ASSERT_NE(same_size, 0u);
  ASSERT_NE(twice_as_wide, 0u);
  Sprite sprite(first, 64, 32, 64, 64);
  const Quad before = sprite.GetQuad();

  sprite.SetTexture(same_size);
  EXPECT_EQ(sprite.GetTexture(), same_size);
  for (int i = 0; i < 4; ++i) ExpectTexCoord(sprite.GetQuad(), i, before.v[i].tx, before.v[i].ty);

  sprite.SetMirror(true, false, false);
  sprite.SetTexture(twice_as_wide);
  EXPECT_EQ(sprite.GetTexture(), twice_as_wide);
  // Still mirrored: corner 0 shows the region's right edge, at half the u it had.
  ExpectTexCoord(sprite.GetQuad(), 0, before.v[1].tx / 2, before.v[0].ty);
  ExpectTexCoord(sprite.GetQuad(), 1, before.v[0].tx / 2, before.v[0].ty);
  ExpectTexCoord(sprite.GetQuad(), 2, before.v[0].tx / 2, before.v[2].ty);
}

TEST_F(SpriteTest, SetRegionWithoutResizeStretchesTheNewRegionOverTheOldSize) {
  Sprite sprite(0, 0, 0, 32, 32);
  sprite.SetHotSpot(4, 4);
  sprite.SetMirror(false, true, true);
  sprite.SetRegion(8, 8, 64, 48, false);
  EXPECT_EQ(sprite.GetWidth(), 32);
  EXPECT_EQ(sprite.GetHeight(), 32);
  float rx, ry;
  sprite.GetRegion(&rx, &ry);
  EXPECT_EQ(rx, 8);
  EXPECT_EQ(ry, 8);
  // Mirrored vertically as before, over the whole 64 x 48 region.
  ExpectTexCoord(sprite.GetQuad(), 0, 8, 56);
  ExpectTexCoord(sprite.GetQuad(), 2, 72, 8);
  float hx, hy;
  sprite.GetHotSpot(&hx, &hy);
  EXPECT_EQ(hx, 4);
  EXPECT_EQ(hy, 4);

  sprite.SetRegion(0, 0, 16, 16, true);
  EXPECT_EQ(sprite.GetWidth(), 16);
}

TEST_F(SpriteTest, ColourAndDepthGoToOneCornerOrAllAndIgnoreOtherCorners) {
  Sprite sprite(0, 0, 0, 8, 8);
  sprite.SetColor(0x11223344, -1);
  sprite.SetColor(0xAABBCCDD, 3);
  sprite.SetColor(0x12345678, 4);
  sprite.SetColor(0x12345678, -7);
  sprite.SetDepth(0.25f, -1);
  sprite.SetDepth(0.75f, 1);
  sprite.SetDepth(0.9f, 100);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(sprite.GetColor(i), i == 3 ? 0xAABBCCDDu : 0x11223344u);
    EXPECT_EQ(sprite.GetDepth(i), i == 1 ? 0.75f : 0.25f);
  }
  sprite.SetBlendMode(Blend_ColorAdd | Blend_ZWrite);
  EXPECT_EQ(sprite.GetQuad().blend, Blend_ColorAdd | Blend_ZWrite);
}

TEST_F(SpriteTest, CopyKeepsTheWholeQuadAndOutlivesTheOriginal) {
  auto original = std::make_unique<Sprite>(0, 1, 2, 30, 40);
  original->SetColor(0xFF00FF00, 1);
  original->SetHotSpot(3, 4);
  original->Draw(10, 10);
  Sprite copy(*original);
  original.reset();
  EXPECT_EQ(copy.GetColor(1), 0xFF00FF00u);
  ExpectCorner(copy.GetQuad(), 0, 7, 6);
  copy.Draw(20, 20);
  ExpectCorner(copy.GetQuad(), 2, 47, 56);
}

TEST(SpriteBounds, FirstExtendAfterClearStartsAtThePoint) {
  BoundsRect box;
  box.Extend(-5, 7);
  box.Extend(10, -3);
  box.Clear();
  box.Extend(2, 3);
  EXPECT_FALSE(box.empty);
  EXPECT_EQ(box.x1, 2);
  EXPECT_EQ(box.x2, 2);
  EXPECT_EQ(box.y1, 3);
  EXPECT_EQ(box.y2, 3);
  box.Extend(-1, 9);
  EXPECT_EQ(box.x1, -1);
  EXPECT_EQ(box.y2, 9);
}

TEST(SpriteBounds, LeftAndTopEdgesAreInsideRightAndBottomOutside) {
  BoundsRect box{10, 20, 30, 40, false};
  EXPECT_TRUE(box.Contains(10, 20));
  EXPECT_TRUE(box.Contains(29.9f, 39.9f));
  EXPECT_FALSE(box.Contains(30, 25));
  EXPECT_FALSE(box.Contains(15, 40));
  EXPECT_FALSE(box.Contains(9.9f, 25));
}

TEST(SpriteBounds, RectanglesSharingOnlyAnEdgeDoNotOverlap) {
  const BoundsRect box{0, 0, 10, 10, false};
  const BoundsRect right{10, 0, 20, 10, false};
  const BoundsRect below{0, 10, 10, 20, false};
  const BoundsRect crossing{9, 9, 20, 20, false};
  const BoundsRect inside{2, 2, 3, 3, false};
  EXPECT_FALSE(box.Overlaps(&right));
  EXPECT_FALSE(box.Overlaps(&below));
  EXPECT_TRUE(box.Overlaps(&crossing));
  EXPECT_TRUE(crossing.Overlaps(&box));
  EXPECT_TRUE(box.Overlaps(&inside));
}

}  // namespace
