// Frame layout in the texture, play modes and their frame sequences, and bad rates and sizes.
#include <climits>
#include <limits>
#include <vector>

#include "draw_test_support.h"
#include "kit/draw/frame_animation.h"

namespace {

void ExpectPlace(const FramePlace& place, float x, float y) {
  EXPECT_EQ(place.x, x);
  EXPECT_EQ(place.y, y);
}

TEST(FrameLayout, FramesFillRowsOfTheImageWidth) {
  const FrameLayout layout{0, 0, 64, 64, 256};
  ExpectPlace(LocateFrame(layout, 3), 192, 0);
  ExpectPlace(LocateFrame(layout, 4), 0, 64);
  ExpectPlace(LocateFrame(layout, 9), 64, 128);
}

TEST(FrameLayout, FollowingRowsStartAtTheLeftEdgeNotAtTheRegion) {
  const FrameLayout layout{32, 0, 64, 64, 256};
  ExpectPlace(LocateFrame(layout, 0), 32, 0);
  ExpectPlace(LocateFrame(layout, 1), 96, 0);
  ExpectPlace(LocateFrame(layout, 2), 160, 0);
  ExpectPlace(LocateFrame(layout, 3), 0, 64);
  ExpectPlace(LocateFrame(layout, 7), 0, 128);
}

TEST(FrameLayout, WithoutRoomForAWholeFrameTheFramesFormOneStrip) {
  // Frame width below 1, unknown image width, image narrower than a frame.
  ExpectPlace(LocateFrame({0, 5, 0.5f, 8, 256}, 3), 1.5f, 5);
  ExpectPlace(LocateFrame({0, 5, 0, 8, 256}, 3), 0, 5);
  ExpectPlace(LocateFrame({10, 5, 64, 8, 0}, 3), 202, 5);
  ExpectPlace(LocateFrame({0, 5, 64, 8, 32}, 2), 128, 5);
}

class FrameAnimationTest : public DrawTest {
 protected:
  // Collects the frame shown after each of n updates of one frame period.
  static std::vector<int> Frames(FrameAnimation& anim, int n) {
    std::vector<int> frames{anim.GetFrame()};
    anim.Update(0.0f);  // the first update after Play does not count
    for (int i = 1; i < n; ++i) {
      anim.Update(0.1f);
      frames.push_back(anim.GetFrame());
    }
    return frames;
  }
};

TEST_F(FrameAnimationTest, LaysFramesOutInTheLoadedImage) {
  StartGraphics();
  const TextureHandle texture = ImageTexture(256, 256);
  ASSERT_NE(texture, 0u);
  FrameAnimation anim(texture, 10, 10, 0, 0, 64, 64);
  anim.SetFrame(9);
  ExpectTexCoord(anim.GetQuad(), 0, 64 / 256.0f, 128 / 256.0f);
  ExpectTexCoord(anim.GetQuad(), 2, 128 / 256.0f, 192 / 256.0f);
}

TEST_F(FrameAnimationTest, SetFrameWrapsIntoRange) {
  FrameAnimation anim(0, 5, 10, 0, 0, 16, 16);
  anim.SetFrame(-1);
  EXPECT_EQ(anim.GetFrame(), 4);
  ExpectTexCoord(anim.GetQuad(), 0, 64, 0);
  anim.SetFrame(5);
  EXPECT_EQ(anim.GetFrame(), 0);
  anim.SetFrame(INT_MIN);
  EXPECT_GE(anim.GetFrame(), 0);
  EXPECT_LT(anim.GetFrame(), 5);
}

TEST_F(FrameAnimationTest, FirstUpdateAfterPlayDoesNotCountItsTime) {
  FrameAnimation anim(0, 10, 10, 0, 0, 16, 16);
  anim.Play();
  anim.Update(5.0f);
  EXPECT_EQ(anim.GetFrame(), 0);
  anim.Update(0.25f);
  EXPECT_EQ(anim.GetFrame(), 2);
  anim.Update(0.04f);  // 0.05 kept + 0.04: still short of a period
  EXPECT_EQ(anim.GetFrame(), 2);
  anim.Update(0.02f);
  EXPECT_EQ(anim.GetFrame(), 3);
}

struct ModeCase {
  uint32_t mode;
  std::vector<int> frames;
  bool playing_after;
};

TEST_F(FrameAnimationTest, EachModeStepsThroughItsSequence) {
  const ModeCase cases[] = {
      {0, {0, 1, 2, 2, 2, 2, 2}, false},
      {AnimMode_Backward, {2, 1, 0, 0, 0, 0, 0}, false},
      {AnimMode_Bounce, {0, 1, 2, 1, 0, 0, 0}, false},
      {AnimMode_Bounce + AnimMode_Backward, {2, 1, 0, 1, 2, 2, 2}, false},
      {AnimMode_Repeat, {0, 1, 2, 0, 1, 2, 0}, true},
      {AnimMode_Repeat + AnimMode_Backward, {2, 1, 0, 2, 1, 0, 2}, true},
      {AnimMode_Repeat + AnimMode_Bounce, {0, 1, 2, 1, 0, 1, 2}, true},
      {AnimMode_Repeat + AnimMode_Bounce + AnimMode_Backward, {2, 1, 0, 1, 2, 1, 0}, true},
      {12, {0, 1, 2, 0, 1, 2, 0}, true},
  };
  for (const ModeCase& c : cases) {
    FrameAnimation anim(0, 3, 10, 0, 0, 16, 16);
    anim.SetMode(c.mode);
    anim.Play();
    EXPECT_EQ(Frames(anim, 7), c.frames) << "mode " << c.mode;
    EXPECT_EQ(anim.IsPlaying(), c.playing_after) << "mode " << c.mode;
  }
}

TEST_F(FrameAnimationTest, PlayRestartsAStoppedAnimationAndResumeDoesNot) {
  FrameAnimation anim(0, 3, 10, 0, 0, 16, 16);
  anim.SetMode(0);
  Frames(anim, 6);
  EXPECT_FALSE(anim.IsPlaying());
  EXPECT_EQ(anim.GetFrame(), 2);
  anim.Play();
  EXPECT_TRUE(anim.IsPlaying());
  EXPECT_EQ(anim.GetFrame(), 0);

  anim.SetMode(AnimMode_Repeat);
  anim.Update(0.0f);
  anim.Update(0.1f);
  anim.Stop();
  anim.Update(0.5f);
  EXPECT_EQ(anim.GetFrame(), 1);
  anim.Resume();
  anim.Update(0.1f);
  EXPECT_EQ(anim.GetFrame(), 2);
}

TEST_F(FrameAnimationTest, OneHugeStepLandsWhereManySmallStepsWould) {
  for (uint32_t mode : {0u, 2u, 4u, 5u, 6u, 7u}) {
    FrameAnimation stepped(0, 5, 10, 0, 0, 16, 16), jumped(0, 5, 10, 0, 0, 16, 16);
    stepped.SetMode(mode);
    jumped.SetMode(mode);
    stepped.Update(0.0f);
    jumped.Update(0.0f);
    for (int i = 0; i < 10003; ++i) stepped.Update(0.1f);
    jumped.Update(1000.35f);
    EXPECT_EQ(jumped.GetFrame(), stepped.GetFrame()) << "mode " << mode;
    EXPECT_EQ(jumped.IsPlaying(), stepped.IsPlaying()) << "mode " << mode;
  }
}

TEST_F(FrameAnimationTest, AbsurdTimesAndRatesNeverHang) {
  FrameAnimation fast(0, 4, 1e30f, 0, 0, 16, 16);
  fast.Update(0.0f);
  fast.Update(1.0f);
  fast.Update(3e38f);
  fast.Update(3e38f);
  EXPECT_GE(fast.GetFrame(), 0);

  for (float fps : {0.0f, -5.0f, std::numeric_limits<float>::quiet_NaN(),
                    std::numeric_limits<float>::infinity()}) {
    FrameAnimation anim(0, 4, fps, 0, 0, 16, 16);
    anim.Update(0.0f);
    anim.Update(100.0f);
    EXPECT_EQ(anim.GetFrame(), 0) << "fps " << fps;
    EXPECT_EQ(anim.GetSpeed(), 0.0f) << "fps " << fps;
  }

  FrameAnimation anim(0, 4, 10, 0, 0, 16, 16);
  anim.Update(0.0f);
  anim.Update(std::numeric_limits<float>::quiet_NaN());
  anim.Update(std::numeric_limits<float>::infinity());
  anim.Update(0.1f);
  EXPECT_EQ(anim.GetFrame(), 1);
}

TEST_F(FrameAnimationTest, DegenerateSizesAndCountsAreUsable) {
  FrameAnimation zero_width(0, 4, 10, 0, 0, 0, 16);
  zero_width.SetFrame(3);
  EXPECT_EQ(zero_width.GetFrame(), 3);
  FrameAnimation no_frames(0, 0, 10, 0, 0, 16, 16);
  EXPECT_EQ(no_frames.GetFrameCount(), 1);
  no_frames.Update(0.0f);
  no_frames.Update(1.0f);
  no_frames.SetFrame(7);
  EXPECT_EQ(no_frames.GetFrame(), 0);
}

TEST_F(FrameAnimationTest, MirroredAnimationStaysMirroredAndKeepsItsHotSpot) {
  FrameAnimation anim(0, 4, 10, 0, 0, 32, 16);
  anim.SetHotSpot(4, 2);
  anim.SetMirror(true, true, true);
  for (int frame = 1; frame < 4; ++frame) {
    anim.SetFrame(frame);
    const float left = 32.0f * frame;
    ExpectTexCoord(anim.GetQuad(), 0, left + 32, 16);
    ExpectTexCoord(anim.GetQuad(), 2, left, 0);
    float hx, hy;
    anim.GetHotSpot(&hx, &hy);
    EXPECT_EQ(hx, 4);
    EXPECT_EQ(hy, 2);
  }
}

TEST_F(FrameAnimationTest, CopyPlaysOnItsOwn) {
  FrameAnimation anim(0, 4, 10, 0, 0, 16, 16);
  anim.Update(0.0f);
  anim.Update(0.1f);
  FrameAnimation copy(anim);
  EXPECT_EQ(copy.GetFrame(), 1);
  copy.Update(0.1f);
  EXPECT_EQ(copy.GetFrame(), 2);
  EXPECT_EQ(anim.GetFrame(), 1);
  ExpectTexCoord(copy.GetQuad(), 0, 32, 0);
  ExpectTexCoord(anim.GetQuad(), 0, 16, 0);
}

}  // namespace
