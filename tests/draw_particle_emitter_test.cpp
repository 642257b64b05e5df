// Particle emission, motion and drawing with a fixed seed, the description file format, and
// the inert emitter that bad files leave.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <numbers>
#include <vector>

#include "draw_test_support.h"
#include "kit/draw/particle_emitter.h"

namespace {

// Particles that stay where they are born, live one second and keep their look.
EmitterDesc StillDesc(Sprite* sprite) {
  EmitterDesc d{};
  d.sprite = sprite;
  d.emission = 100;
  d.lifetime = -1.0f;
  d.particle_life_min = d.particle_life_max = 1.0f;
  d.size_start = d.size_end = 1.0f;
  d.color_start = d.color_end = {1.0f, 1.0f, 1.0f, 1.0f};
  return d;
}

class EmitterTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    engine->Random_SetSeed(1);
  }
  Sprite sprite{0, 0, 0, 4, 4};
};

TEST_F(EmitterTest, EmissionCarriesTheFractionToTheNextUpdate) {
  const EmitterDesc desc = StillDesc(&sprite);
  ParticleEmitter emitter(&desc);
  emitter.Start();
  emitter.Update(0.016f);
  EXPECT_EQ(emitter.GetParticlesAlive(), 1);
  EXPECT_NEAR(emitter.GetEmissionResidue(), 0.6f, 1e-4);
  emitter.Update(0.016f);
  EXPECT_EQ(emitter.GetParticlesAlive(), 3);
}

TEST_F(EmitterTest, LifetimeDecidesHowLongTheEmitterRuns) {
  EmitterDesc desc = StillDesc(&sprite);
  desc.lifetime = 0.0f;
  ParticleEmitter instant(&desc);
  instant.Start();
  EXPECT_EQ(instant.GetAge(), 0.0f);
  instant.Update(0.1f);
  EXPECT_EQ(instant.GetParticlesAlive(), 0);
  EXPECT_EQ(instant.GetAge(), -2.0f);

  desc.lifetime = -1.0f;
  ParticleEmitter endless(&desc);
  endless.Start();
  for (int i = 0; i < 5; ++i) endless.Update(0.1f);
  EXPECT_EQ(endless.GetAge(), -1.0f);
  EXPECT_EQ(endless.GetParticlesAlive(), 50);

  desc.lifetime = 0.25f;
  ParticleEmitter timed(&desc);
  timed.Start();
  timed.Update(0.1f);
  timed.Update(0.1f);
  EXPECT_NEAR(timed.GetAge(), 0.2f, 1e-6);
  timed.Update(0.1f);
  EXPECT_EQ(timed.GetAge(), -2.0f);
  EXPECT_EQ(timed.GetParticlesAlive(), 20);
}

TEST_F(EmitterTest, StoppedEmitterMovesAndAgesItsParticlesButEmitsNone) {
  EmitterDesc desc = StillDesc(&sprite);
  desc.speed_min = desc.speed_max = 10.0f;  // direction 0: straight up the screen
  ParticleEmitter emitter(&desc);
  emitter.Start();
  emitter.Update(0.1f);
  ASSERT_EQ(emitter.GetParticlesAlive(), 10);
  const Particle before = emitter.GetParticles()[0];
  EXPECT_NEAR(before.velocity.x, 0.0f, 1e-5);
  EXPECT_NEAR(before.velocity.y, -10.0f, 1e-5);

  emitter.Stop(false);
  emitter.Update(0.5f);
  ASSERT_EQ(emitter.GetParticlesAlive(), 10);
  const Particle after = emitter.GetParticles()[0];
  EXPECT_FLOAT_EQ(after.age, 0.5f);
  EXPECT_NEAR(after.position.y, before.position.y - 5.0f, 1e-4);

  emitter.Update(0.6f);  // past their one-second life
  EXPECT_EQ(emitter.GetParticlesAlive(), 0);
}

TEST_F(EmitterTest, DeadParticlesGiveTheirSlotsToLiveOnes) {
  EmitterDesc desc = StillDesc(&sprite);
  desc.particle_life_min = 0.05f;
  desc.particle_life_max = 0.35f;
  ParticleEmitter emitter(&desc);
  emitter.Start();
  emitter.Update(0.2f);
  emitter.Stop(false);
  ASSERT_EQ(emitter.GetParticlesAlive(), 20);
  int alive = 20;
  for (int step = 0; step < 4; ++step) {
    emitter.Update(0.1f);
    EXPECT_LE(emitter.GetParticlesAlive(), alive);
    alive = emitter.GetParticlesAlive();
    for (const Particle& p : emitter.GetParticles()) EXPECT_LT(p.age, p.lifetime);
  }
  EXPECT_EQ(alive, 0);
}

TEST_F(EmitterTest, NoMoreThanFiveHundredParticles) {
  EmitterDesc desc = StillDesc(&sprite);
  desc.emission = 1000000;
  ParticleEmitter emitter(&desc);
  emitter.Start();
  emitter.Update(1.0f);
  EXPECT_EQ(emitter.GetParticlesAlive(), kMaxParticles);
  emitter.Update(0.1f);
  EXPECT_EQ(emitter.GetParticlesAlive(), kMaxParticles);
  emitter.Update(std::numeric_limits<float>::infinity());
  emitter.Update(std::numeric_limits<float>::quiet_NaN());
  EXPECT_LE(emitter.GetParticlesAlive(), kMaxParticles);
}

TEST_F(EmitterTest, MovingWithoutCarrySpreadsNewParticlesAlongThePath) {
  const EmitterDesc desc = StillDesc(&sprite);
  ParticleEmitter emitter(&desc);
  emitter.StartAt(0, 0);
  emitter.SetPosition(100, 50, false);
  emitter.Update(0.5f);
  ASSERT_EQ(emitter.GetParticlesAlive(), 50);
  int first_half = 0;
  for (const Particle& p : emitter.GetParticles()) {
    // p = (100 t + jx, 50 t + jy) with |jx|, |jy| <= 2, so x - 2y = jx - 2 jy lies in -6 .. 6.
    EXPECT_LE(std::fabs(p.position.x - 2 * p.position.y), 6.0f + 1e-4f);
    EXPECT_GE(p.position.x, -2.0f);
    EXPECT_LE(p.position.x, 102.0f);
    if (p.position.x < 50) ++first_half;
  }
  EXPECT_GT(first_half, 10);
  EXPECT_LT(first_half, 40);
}

TEST_F(EmitterTest, StartAtMovesWithoutATrail) {
  const EmitterDesc desc = StillDesc(&sprite);
  ParticleEmitter emitter(&desc);
  emitter.StartAt(0, 0);
  emitter.Update(0.1f);
  emitter.StartAt(300, 200);
  emitter.Update(0.1f);
  const auto particles = emitter.GetParticles();
  ASSERT_EQ(particles.size(), 20u);
  int near_new_place = 0;
  for (const Particle& p : particles) {
    if (std::fabs(p.position.x - 300) <= 2 && std::fabs(p.position.y - 200) <= 2) ++near_new_place;
  }
  EXPECT_EQ(near_new_place, 10);
}

TEST_F(EmitterTest, MovingWithCarryShiftsEveryParticleAndTheTrail) {
  EmitterDesc desc = StillDesc(&sprite);
  desc.speed_min = 5;
  desc.speed_max = 20;
  desc.spread = 6.28f;
  ParticleEmitter emitter(&desc);
  emitter.StartAt(10, 10);
  emitter.Update(0.1f);
  std::vector<Particle> before(emitter.GetParticles().begin(), emitter.GetParticles().end());
  emitter.SetPosition(40, 30, true);
  const auto after = emitter.GetParticles();
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) {
    EXPECT_FLOAT_EQ(after[i].position.x, before[i].position.x + 30);
    EXPECT_FLOAT_EQ(after[i].position.y, before[i].position.y + 20);
  }
  EXPECT_FLOAT_EQ(emitter.GetPreviousPosition().x, 40);
  EXPECT_FLOAT_EQ(emitter.GetPreviousPosition().y, 30);
}

TEST_F(EmitterTest, DirectionZeroPointsUpUnlessRelative) {
  EmitterDesc desc = StillDesc(&sprite);
  desc.speed_min = desc.speed_max = 10.0f;
  desc.relative = true;
  ParticleEmitter relative(&desc);
  relative.Start();
  relative.Update(0.015f);
  ASSERT_EQ(relative.GetParticlesAlive(), 1);
  EXPECT_NEAR(relative.GetParticles()[0].velocity.x, 10.0f, 1e-5);
  EXPECT_NEAR(relative.GetParticles()[0].velocity.y, 0.0f, 1e-5);
}

TEST_F(EmitterTest, ParticlesAccelerateAwayFromAndAroundTheEmitter) {
  EmitterDesc desc = StillDesc(&sprite);
  desc.radial_accel_min = desc.radial_accel_max = 100.0f;
  desc.gravity_min = desc.gravity_max = 50.0f;
  ParticleEmitter emitter(&desc);
  emitter.Start();
  emitter.Update(0.015f);
  emitter.Stop(false);
  const Particle p0 = emitter.GetParticles()[0];
  emitter.Update(0.1f);
  const Particle p1 = emitter.GetParticles()[0];
  const float n = FastInvSqrt(p0.position.x * p0.position.x + p0.position.y * p0.position.y);
  EXPECT_NEAR(p1.velocity.x, p0.position.x * n * 100.0f * 0.1f, 1e-4);
  EXPECT_NEAR(p1.velocity.y, p0.position.y * n * 100.0f * 0.1f + 5.0f, 1e-4);
  EXPECT_NEAR(p1.position.x, p0.position.x + p1.velocity.x * 0.1f, 1e-4);
}

TEST_F(EmitterTest, DrawPlacesEachParticleScaledAndOffset) {
  EmitterDesc desc = StillDesc(&sprite);
  desc.size_start = desc.size_end = 2.0f;
  sprite.SetHotSpot(2, 2);
  ParticleEmitter emitter(&desc);
  emitter.StartAt(50, 60);
  emitter.Update(0.015f);
  ASSERT_EQ(emitter.GetParticlesAlive(), 1);
  emitter.SetScale(2.0f);
  emitter.SetDrawOffset(5, 7);
  emitter.Draw();
  const Particle& p = emitter.GetParticles()[0];
  const Quad& q = sprite.GetQuad();
  // A 4 x 4 sprite at size 2 x scale 2, centred on the scaled and offset position.
  EXPECT_FLOAT_EQ((q.v[0].x + q.v[2].x) / 2, p.position.x * 2 + 5);
  EXPECT_FLOAT_EQ((q.v[0].y + q.v[2].y) / 2, p.position.y * 2 + 7);
  EXPECT_FLOAT_EQ(q.v[2].x - q.v[0].x, 16);
}

TEST_F(EmitterTest, ParticleColourComesFromItsChannelsOrTheSpriteRgb) {
  Particle p{};
  p.color = {1.0f, 0.5f, 0.0f, 0.25f};
  EmitterDesc desc = StillDesc(&sprite);
  EXPECT_EQ(ParticleArgb(p, desc, 0xFF123456), 0x3FFF7F00u);
  desc.color_start.r = -1.0f;
  EXPECT_EQ(ParticleArgb(p, desc, 0xFF123456), 0x3F123456u);
  // Channels beyond 0..1 stay within their byte.
  p.color = {2.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), 1e30f};
  desc.color_start.r = 0.0f;
  EXPECT_EQ(ParticleArgb(p, desc, 0), 0xFFFF0000u);
}

TEST_F(EmitterTest, DrawRestoresCornerZerosColourOnAllCorners) {
  sprite.SetColor(0xFF0000FF, -1);
  sprite.SetColor(0x80808080, 0);
  const EmitterDesc desc = StillDesc(&sprite);
  ParticleEmitter emitter(&desc);
  emitter.Draw();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(sprite.GetColor(i), 0x80808080u);
  emitter.Start();
  emitter.Update(0.05f);
  emitter.Draw();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(sprite.GetColor(i), 0x80808080u);
}

TEST_F(EmitterTest, TrackedBoundsHoldTheParticlesAndScale) {
  EmitterDesc desc = StillDesc(&sprite);
  desc.speed_min = 10;
  desc.speed_max = 40;
  desc.spread = 3.0f;
  ParticleEmitter emitter(&desc);
  emitter.SetTrackBounds(true);
  emitter.StartAt(100, 100);
  for (int i = 0; i < 5; ++i) emitter.Update(0.05f);
  BoundsRect box;
  emitter.GetBounds(&box);
  ASSERT_FALSE(box.empty);
  for (const Particle& p : emitter.GetParticles()) {
    EXPECT_GE(p.position.x, box.x1);
    EXPECT_LE(p.position.x, box.x2);
    EXPECT_GE(p.position.y, box.y1);
    EXPECT_LE(p.position.y, box.y2);
  }
  emitter.SetScale(2.0f);
  BoundsRect scaled;
  emitter.GetBounds(&scaled);
  EXPECT_EQ(scaled.x1, box.x1 * 2);
  EXPECT_EQ(scaled.y1, box.y1 * 2);
  EXPECT_EQ(scaled.x2, box.x2 * 2);
  EXPECT_EQ(scaled.y2, box.y2 * 2);

  emitter.Stop(true);
  EXPECT_EQ(emitter.GetParticlesAlive(), 0);
  EXPECT_TRUE(emitter.GetBounds(&box)->empty);
}

TEST_F(EmitterTest, CopyHasEveryParticleAndLivesOnItsOwn) {
  const EmitterDesc desc = StillDesc(&sprite);
  auto original = std::make_unique<ParticleEmitter>(&desc);
  original->Start();
  original->Update(0.1f);
  ParticleEmitter copy(*original);
  ASSERT_EQ(copy.GetParticlesAlive(), 10);
  EXPECT_EQ(0, std::memcmp(copy.GetParticles().data(), original->GetParticles().data(),
                           10 * sizeof(Particle)));
  original.reset();
  copy.Update(0.1f);
  EXPECT_EQ(copy.GetParticlesAlive(), 20);
}

TEST(EmitterVec2, FastInvSqrtIsSlightlyLowAndFiniteAtZero) {
  EXPECT_NEAR(FastInvSqrt(4.0f), 0.49920f, 2e-5);
  EXPECT_LT(FastInvSqrt(4.0f), 0.5f);
  const float at_zero = FastInvSqrt(0.0f);
  EXPECT_TRUE(std::isfinite(at_zero));
  EXPECT_NEAR(at_zero, 1.98e19f, 0.01e19f);
}

TEST(EmitterVec2, AnglesAndRotation) {
  const float pi = std::numbers::pi_v<float>;
  EXPECT_NEAR((Vec2{0, 1}).Angle(), pi / 2, 1e-6);
  const Vec2 right{3, 0}, up{0, -2};
  EXPECT_NEAR(right.Angle(&up), pi / 2, 1e-3);
  Vec2 v{1, 0};
  v.Rotate(pi / 2).Rotate(pi / 2);
  EXPECT_NEAR(v.x, -1.0f, 1e-6);
  EXPECT_NEAR(v.y, 0.0f, 1e-6);
}

// ---- the description record and file ----

EmitterDesc SampleDesc() {
  EmitterDesc d{};
  d.emission = 250;
  d.lifetime = 3.5f;
  d.particle_life_min = 0.5f;
  d.particle_life_max = 1.25f;
  d.direction = 1.0f;
  d.spread = 0.75f;
  d.relative = true;
  d.speed_min = 10;
  d.speed_max = 20;
  d.gravity_min = -1;
  d.gravity_max = 2;
  d.radial_accel_min = 3;
  d.radial_accel_max = 4;
  d.tangential_accel_min = 5;
  d.tangential_accel_max = 6;
  d.size_start = 0.5f;
  d.size_end = 2;
  d.size_variation = 0.1f;
  d.spin_start = 1;
  d.spin_end = -1;
  d.spin_variation = 0.2f;
  d.color_start = {0.1f, 0.2f, 0.3f, 0.4f};
  d.color_end = {0.5f, 0.6f, 0.7f, 0.8f};
  d.color_variation = 0.3f;
  d.alpha_variation = 0.9f;
  return d;
}

void ExpectSameDesc(const EmitterDesc& a, const EmitterDesc& b) {
  uint8_t ab[kEmitterDescSize], bb[kEmitterDescSize];
  WriteEmitterDesc(a, ab);
  WriteEmitterDesc(b, bb);
  EXPECT_EQ(0, std::memcmp(ab, bb, kEmitterDescSize));
  EXPECT_EQ(a.sprite, b.sprite);
}

uint32_t WordAt(const uint8_t* bytes, size_t offset) {
  return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 |
         uint32_t(bytes[offset + 2]) << 16 | uint32_t(bytes[offset + 3]) << 24;
}

TEST(EmitterDescFile, FieldsSitAtTheirLittleEndianOffsets) {
  EmitterDesc d = SampleDesc();
  Sprite* not_written = reinterpret_cast<Sprite*>(uintptr_t(0x1234));
  d.sprite = not_written;
  uint8_t bytes[kEmitterDescSize];
  std::memset(bytes, 0xCC, sizeof bytes);
  WriteEmitterDesc(d, bytes);
  EXPECT_EQ(WordAt(bytes, 0), 0u);
  EXPECT_EQ(WordAt(bytes, 4), 250u);
  EXPECT_EQ(WordAt(bytes, 8), std::bit_cast<uint32_t>(3.5f));
  EXPECT_EQ(WordAt(bytes, 28), 1u);  // relative, then three zero bytes
  EXPECT_EQ(WordAt(bytes, 32), std::bit_cast<uint32_t>(10.0f));
  EXPECT_EQ(WordAt(bytes, 64), std::bit_cast<uint32_t>(0.5f));
  EXPECT_EQ(WordAt(bytes, 88), std::bit_cast<uint32_t>(0.1f));
  EXPECT_EQ(WordAt(bytes, 116), std::bit_cast<uint32_t>(0.8f));
  EXPECT_EQ(WordAt(bytes, 124), std::bit_cast<uint32_t>(0.9f));

  EmitterDesc back;
  ASSERT_TRUE(ReadEmitterDesc(bytes, sizeof bytes, &back));
  EXPECT_EQ(back.sprite, nullptr);
  back.sprite = not_written;
  ExpectSameDesc(back, d);
  EXPECT_TRUE(back.relative);
}

TEST(EmitterDescFile, ShortOrMissingDataIsRefusedAndChangesNothing) {
  uint8_t bytes[kEmitterDescSize] = {};
  EmitterDesc out = SampleDesc();
  EXPECT_FALSE(ReadEmitterDesc(bytes, kEmitterDescSize - 1, &out));
  EXPECT_FALSE(ReadEmitterDesc(nullptr, 1000, &out));
  ExpectSameDesc(out, SampleDesc());
}

class EmitterFileTest : public EmitterTest {
 protected:
  std::string WriteDescFile(const std::string& name, const EmitterDesc& d, size_t size) {
    uint8_t record[kEmitterDescSize];
    WriteEmitterDesc(d, record);
    std::vector<uint8_t> bytes(record, record + std::min(size, kEmitterDescSize));
    bytes.resize(size, 0x5A);
    WriteBytes(Path(name), bytes);
    return Path(name);
  }

  static void ExpectInert(ParticleEmitter& emitter) {
    ExpectSameDesc(emitter.GetDesc(), EmitterDesc{});
    EXPECT_EQ(emitter.GetAge(), -2.0f);
    EXPECT_EQ(emitter.GetParticlesAlive(), 0);
    emitter.Start();
    emitter.Update(1.0f);
    emitter.Draw();
    EXPECT_EQ(emitter.GetParticlesAlive(), 0);
  }
};

TEST_F(EmitterFileTest, ReadsTheFirst128BytesAndTakesTheGivenSprite) {
  const EmitterDesc d = SampleDesc();
  ParticleEmitter exact(WriteDescFile("exact.psi", d, 128).c_str(), &sprite);
  EmitterDesc expected = d;
  expected.sprite = &sprite;
  ExpectSameDesc(exact.GetDesc(), expected);
  EXPECT_EQ(exact.GetAge(), -2.0f);

  ParticleEmitter longer(WriteDescFile("longer.psi", d, 200).c_str(), &sprite);
  ExpectSameDesc(longer.GetDesc(), expected);
}

TEST_F(EmitterFileTest, MissingOrShortFileLeavesAnInertEmitter) {
  ParticleEmitter missing(Path("missing.psi").c_str(), &sprite);
  ExpectInert(missing);
  ParticleEmitter short_file(WriteDescFile("short.psi", SampleDesc(), 127).c_str(), &sprite);
  ExpectInert(short_file);
  ParticleEmitter empty(WriteDescFile("empty.psi", SampleDesc(), 0).c_str(), &sprite);
  ExpectInert(empty);
  ParticleEmitter no_name(nullptr, &sprite);
  ExpectInert(no_name);
  ParticleEmitter no_desc(static_cast<const EmitterDesc*>(nullptr));
  ExpectInert(no_desc);
}

TEST_F(EmitterTest, WithoutASpriteNothingIsDrawn) {
  EmitterDesc desc = StillDesc(nullptr);
  ParticleEmitter emitter(&desc);
  emitter.Start();
  emitter.Update(0.1f);
  EXPECT_EQ(emitter.GetParticlesAlive(), 10);
  emitter.Draw();
}

}  // namespace
