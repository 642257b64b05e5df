// Particles on the software device: a seeded emitter drawn for a few frames leaves its
// particles where the update rules put them, and a sprite-less emitter leaves nothing.
#include <cmath>
#include <vector>

#include "support/screen_test.h"
#include "engine/tvk_impl.h"
#include "kit/draw/particle_emitter.h"

namespace {

constexpr uint32_t kRed = 0xFF0000;

class EmitterPixelTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    engine->Random_SetSeed(12345);
    sprite.SetHotSpot(1.5f, 1.5f);
    sprite.SetColor(0xFFFF0000, -1);
  }

  void DrawFrame(ParticleEmitter& emitter) {
    ScreenTest::DrawFrame([&] { emitter.Draw(); });
  }

  // True when some pixel of the box (inclusive) carries the colour.
  bool AnyInBox(int x1, int y1, int x2, int y2, uint32_t color) const {
    for (int y = y1; y <= y2; ++y) {
      for (int x = x1; x <= x2; ++x) {
        if (Pixel(x, y) == color) return true;
      }
    }
    return false;
  }

  Sprite sprite{0, 0, 0, 3, 3};  // untextured: drawn in its vertex colour
};

// Two particles a frame leave (0, 0 radians) at 300 pixels a second; each update moves the
// older ones 10 pixels right, so after n frames they stand in n clusters 10 pixels apart,
// each within the 2-pixel birth jitter of its centre.
TEST_F(EmitterPixelTest, ParticlesStandWhereTheirMotionTookThem) {
  EmitterDesc desc{};
  desc.sprite = &sprite;
  desc.emission = 60;
  desc.lifetime = -1.0f;
  desc.particle_life_min = desc.particle_life_max = 10.0f;
  desc.direction = 1.5707964f;  // to the right
  desc.speed_min = desc.speed_max = 300.0f;
  desc.size_start = desc.size_end = 1.0f;
  desc.color_start = desc.color_end = {1.0f, 0.0f, 0.0f, 1.0f};
  ParticleEmitter emitter(&desc);
  const int x0 = 40, y0 = 50, frames = 6;
  emitter.StartAt(float(x0), float(y0));
  for (int frame = 0; frame < frames; ++frame) {
    emitter.Update(1.0f / 30);
    DrawFrame(emitter);
  }
  ASSERT_EQ(emitter.GetParticlesAlive(), 2 * frames);

  for (const Particle& p : emitter.GetParticles()) {
    EXPECT_EQ(Pixel(int(std::lround(p.position.x)), int(std::lround(p.position.y))), kRed)
        << "particle at " << p.position.x << ", " << p.position.y;
  }
  for (int cluster = 0; cluster < frames; ++cluster) {
    const int cx = x0 + 10 * cluster;
    EXPECT_TRUE(AnyInBox(cx - 3, y0 - 3, cx + 3, y0 + 3, kRed)) << "cluster " << cluster;
    for (int y = 0; y < kHeight; ++y) EXPECT_EQ(Pixel(cx + 5, y), 0u) << "gap " << cluster;
  }
  EXPECT_FALSE(AnyInBox(0, 0, kWidth - 1, y0 - 5, kRed));
  EXPECT_FALSE(AnyInBox(0, y0 + 5, kWidth - 1, kHeight - 1, kRed));
  EXPECT_FALSE(AnyInBox(0, 0, x0 - 5, kHeight - 1, kRed));
  EXPECT_FALSE(AnyInBox(x0 + 10 * (frames - 1) + 5, 0, kWidth - 1, kHeight - 1, kRed));
}

TEST_F(EmitterPixelTest, FadingParticlesBlendOverTheBackground) {
  EmitterDesc desc{};
  desc.sprite = &sprite;
  desc.emission = 30;
  desc.lifetime = -1.0f;
  desc.particle_life_min = desc.particle_life_max = 10.0f;
  desc.size_start = desc.size_end = 1.0f;
  desc.color_start = {-1.0f, 0.0f, 0.0f, 0.5f};  // the sprite's red at half alpha
  desc.color_end = {0.0f, 0.0f, 0.0f, 0.5f};
  ParticleEmitter emitter(&desc);
  emitter.StartAt(80, 50);
  emitter.Update(1.0f / 30);
  DrawFrame(emitter);
  ASSERT_EQ(emitter.GetParticlesAlive(), 1);
  const Particle& p = emitter.GetParticles()[0];
  const uint32_t pixel = Pixel(int(std::lround(p.position.x)), int(std::lround(p.position.y)));
  EXPECT_NEAR(int(pixel >> 16), 0x7F, 2);
  EXPECT_EQ(pixel & 0xFFFF, 0u);
  EXPECT_EQ(sprite.GetColor(2), 0xFFFF0000u);
}

TEST_F(EmitterPixelTest, EmitterWithoutSpriteLeavesTheScreenEmpty) {
  EmitterDesc desc{};
  desc.emission = 600;
  desc.lifetime = -1.0f;
  desc.particle_life_min = desc.particle_life_max = 10.0f;
  desc.size_start = desc.size_end = 1.0f;
  desc.color_start = desc.color_end = {1.0f, 1.0f, 1.0f, 1.0f};
  ParticleEmitter emitter(&desc);
  emitter.StartAt(80, 50);
  emitter.Update(0.1f);
  ASSERT_EQ(emitter.GetParticlesAlive(), 60);
  engine->gfx.Device()->ResetStats();
  DrawFrame(emitter);
  EXPECT_EQ(engine->gfx.Device()->GetStats().draw_calls, 0u);
  EXPECT_FALSE(AnyInBox(0, 0, kWidth - 1, kHeight - 1, 0xFFFFFF));
}

}  // namespace
