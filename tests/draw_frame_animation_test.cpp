// Frame layout in the texture, play modes and their frame sequences, and bad rates and sizes.
#include <climits>
#include <limits>
#include <string>
#include <vector>

#include "draw_test_support.h"
#include "kit/draw/frame_animation.h"

namespace {

void ExpectPlace(const FramePlace& place, float x, float y) {
  EXPECT_EQ(place.x, x);
  EXPECT_EQ(place.y, y);
}

TEST(FrameLayout, FramesFillRowsOfTheImageWidthFromTheLeftEdge) {
  const FrameLayout at_edge{0, 0, 64, 64, 256};
  ExpectPlace(LocateFrame(at_edge, 3), 192, 0);
  ExpectPlace(LocateFrame(at_edge, 4), 0, 64);
  ExpectPlace(LocateFrame(at_edge, 9), 64, 128);
  const FrameLayout inset{32, 0, 64, 64, 256};
  ExpectPlace(LocateFrame(inset, 2), 160, 0);
  ExpectPlace(LocateFrame(inset, 3), 0, 64);
  ExpectPlace(LocateFrame(inset, 7), 0, 128);
  // No whole frame across the image: one strip, nothing divided by zero.
  ExpectPlace(LocateFrame({0, 5, 0.5f, 8, 256}, 3), 1.5f, 5);
  ExpectPlace(LocateFrame({10, 5, 64, 8, 0}, 3), 202, 5);
}

class FrameAnimationTest : public DrawTest {
 protected:
  // The frame shown at start and after each of n - 1 updates of one period.
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
  ExpectTexCoord(anim.GetQuad(), 0, 0.25f, 0.5f);
  ExpectTexCoord(anim.GetQuad(), 2, 0.5f, 0.75f);
}

TEST_F(FrameAnimationTest, SetFrameWrapsIntoRange) {
  FrameAnimation anim(0, 5, 10, 0, 0, 16, 16);
  anim.SetFrame(-1);
  EXPECT_EQ(anim.GetFrame(), 4);
  ExpectTexCoord(anim.GetQuad(), 0, 64, 0);
  anim.SetFrame(5);
  EXPECT_EQ(anim.GetFrame(), 0);
  anim.SetFrame(INT_MIN);
  EXPECT_EQ(anim.GetFrame(), 2);
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

TEST_F(FrameAnimationTest, EachModeStepsThroughItsSequence) {
  const struct {
    uint32_t mode;
    std::vector<int> frames;
    bool playing_after;
  } cases[] = {
      {0, {0, 1, 2, 2, 2, 2, 2}, false},
      {1, {2, 1, 0, 0, 0, 0, 0}, false},
      {2, {0, 1, 2, 1, 0, 0, 0}, false},
      {3, {2, 1, 0, 1, 2, 2, 2}, false},
      {4, {0, 1, 2, 0, 1, 2, 0}, true},
      {5, {2, 1, 0, 2, 1, 0, 2}, true},
      {6, {0, 1, 2, 1, 0, 1, 2}, true},
      {7, {2, 1, 0, 1, 2, 1, 0}, true},
      {12, {0, 1, 2, 0, 1, 2, 0}, true},
  };
  for (const auto& c : cases) {
    FrameAnimation anim(0, 3, 10, 0, 0, 16, 16);
    anim.SetMode(c.mode);
    EXPECT_EQ(Frames(anim, 7), c.frames) << "mode " << c.mode;
    EXPECT_EQ(anim.IsPlaying(), c.playing_after) << "mode " << c.mode;
    anim.Play();
    EXPECT_TRUE(anim.IsPlaying());
    EXPECT_EQ(anim.GetFrame(), c.frames[0]) << "mode " << c.mode;
  }
}

TEST_F(FrameAnimationTest, OneLongStepLandsWhereManySmallStepsWould) {
  for (int frames : {1, 2, 5}) {
    for (uint32_t mode : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 12u}) {
      for (int periods : {3, 7, 100, 10003}) {
        FrameAnimation stepped(0, frames, 10, 0, 0, 16, 16), jumped(0, frames, 10, 0, 0, 16, 16);
        stepped.SetMode(mode);
        jumped.SetMode(mode);
        stepped.Update(0.0f);
        jumped.Update(0.0f);
        for (int i = 0; i < periods; ++i) stepped.Update(0.1f);
        jumped.Update(0.1f * float(periods) + 0.035f);
        const std::string where = "frames " + std::to_string(frames) + " mode " +
                                  std::to_string(mode) + " periods " + std::to_string(periods);
        EXPECT_EQ(jumped.GetFrame(), stepped.GetFrame()) << where;
        EXPECT_EQ(jumped.IsPlaying(), stepped.IsPlaying()) << where;
      }
    }
  }
}

TEST_F(FrameAnimationTest, HugeFrameCountsAndStepsCostOneUpdate) {
  // Once a second per frame, one update of a thousand million seconds.
  const struct {
    int frames;
    uint32_t mode;
    int frame_after;
    bool playing_after;
  } cases[] = {
      {100000000, 4, 0, true},          // wraps ten times
      {100000000, 6, 10, true},         // five round trips of 2 x (1e8 - 1), then 10 more
      {100000000, 0, 99999999, false},  // stops on the last frame
      {100000000, 3, 99999999, false},  // down, turn, up, stop
      {INT_MAX, 4, 1000000000, true},
      {INT_MAX, 5, INT_MAX - 1 - 1000000000, true},
      {INT_MAX, 7, INT_MAX - 1 - 1000000000, true},
  };
  for (const auto& c : cases) {
    FrameAnimation anim(0, c.frames, 1, 0, 0, 16, 16);
    anim.SetMode(c.mode);
    anim.Update(0.0f);
    anim.Update(1e9f);
    EXPECT_EQ(anim.GetFrame(), c.frame_after) << c.frames << " mode " << c.mode;
    EXPECT_EQ(anim.IsPlaying(), c.playing_after) << c.frames << " mode " << c.mode;
  }
}

TEST_F(FrameAnimationTest, BadRatesTimesAndSizesNeverHang) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  for (float fps : {0.0f, -5.0f, nan, inf}) {
    FrameAnimation anim(0, 4, fps, 0, 0, 16, 16);
    anim.Update(0.0f);
    anim.Update(100.0f);
    anim.Update(3e38f);
    anim.Update(3e38f);  // the time held becomes infinite
    EXPECT_EQ(anim.GetFrame(), 0) << "fps " << fps;
  }
  FrameAnimation fast(0, 4, 1e30f, 0, 0, 16, 16);
  fast.Update(0.0f);
  fast.Update(3e38f);
  fast.Update(3e38f);

  FrameAnimation anim(0, 4, 10, 0, 0, 0, 16);  // frame width 0
  anim.Update(0.0f);
  anim.Update(nan);
  anim.Update(inf);
  anim.Update(0.1f);
  EXPECT_EQ(anim.GetFrame(), 1);
  FrameAnimation no_frames(0, 0, 10, 0, 0, 16, 16);
  EXPECT_EQ(no_frames.GetFrameCount(), 1);
  no_frames.SetFrame(7);
  EXPECT_EQ(no_frames.GetFrame(), 0);
}

TEST_F(FrameAnimationTest, MirroredAnimationStaysMirroredAndKeepsItsHotSpot) {
  FrameAnimation anim(0, 4, 10, 0, 0, 32, 16);
  anim.SetHotSpot(4, 2);
  anim.SetMirror(true, true, true);
  for (int frame = 1; frame < 4; ++frame) {
    anim.SetFrame(frame);
    ExpectTexCoord(anim.GetQuad(), 0, 32.0f * frame + 32, 16);
    ExpectTexCoord(anim.GetQuad(), 2, 32.0f * frame, 0);
    float hx, hy;
    anim.GetHotSpot(&hx, &hy);
    EXPECT_EQ(hx, 4);
    EXPECT_EQ(hy, 2);
  }
}

}  // namespace
