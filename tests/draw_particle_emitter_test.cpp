// Particle emission, motion and drawing with a fixed seed, the description file format, and
// the inert emitter that bad files leave.
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
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

  EmitterDesc flood = StillDesc(&sprite);
  flood.emission = 1000000;
  ParticleEmitter full(&flood);
  full.Start();
  full.Update(1.0f);
  full.Update(std::numeric_limits<float>::infinity());
  EXPECT_EQ(full.GetParticlesAlive(), kMaxParticles);
}

TEST_F(EmitterTest, NonFiniteTimeStepsAreIgnored) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const EmitterDesc desc = StillDesc(&sprite);
  ParticleEmitter emitter(&desc);
  emitter.Start();
  emitter.Update(0.5f);
  ASSERT_EQ(emitter.GetParticlesAlive(), 50);
  for (float bad : {nan, inf, -inf}) emitter.Update(bad);
  EXPECT_EQ(emitter.GetParticlesAlive(), 50);
  EXPECT_EQ(emitter.GetAge(), -1.0f);
  EXPECT_EQ(emitter.GetEmissionResidue(), 0.0f);
  emitter.Update(0.6f);  // emission goes on
  EXPECT_EQ(emitter.GetParticlesAlive(), 110);
  emitter.Update(0.5f);  // the first fifty die at one second
  EXPECT_EQ(emitter.GetParticlesAlive(), 110);
  for (const Particle& p : emitter.GetParticles()) EXPECT_LT(p.age, 1.0f);
}

TEST_F(EmitterTest, ParticlesWithoutANumberForALifetimeDie) {
  EmitterDesc desc = StillDesc(&sprite);
  desc.emission = 1000;
  desc.particle_life_min = desc.particle_life_max = std::numeric_limits<float>::quiet_NaN();
  ParticleEmitter emitter(&desc);
  emitter.Start();
  emitter.Update(1.0f);
  EXPECT_EQ(emitter.GetParticlesAlive(), kMaxParticles);
  emitter.Update(0.01f);  // all die; ten are born
  EXPECT_EQ(emitter.GetParticlesAlive(), 10);
}

TEST_F(EmitterTest, LifetimeZeroEmitsNothingAndEndlessNeverAges) {
  EmitterDesc desc = StillDesc(&sprite);
  desc.lifetime = 0.0f;
  ParticleEmitter instant(&desc);
  instant.Start();
  instant.Update(0.1f);
  EXPECT_EQ(instant.GetParticlesAlive(), 0);
  EXPECT_EQ(instant.GetAge(), -2.0f);

  desc.lifetime = -1.0f;
  ParticleEmitter endless(&desc);
  endless.Start();
  for (int i = 0; i < 5; ++i) endless.Update(0.1f);
  EXPECT_EQ(endless.GetAge(), -1.0f);
  EXPECT_EQ(endless.GetParticlesAlive(), 50);
}

TEST_F(EmitterTest, StoppedEmitterMovesAndAgesItsParticlesButEmitsNone) {
  EmitterDesc desc = StillDesc(&sprite);
  desc.speed_min = desc.speed_max = 10.0f;  // direction 0: straight up the screen
  ParticleEmitter emitter(&desc);
  emitter.Start();
  emitter.Update(0.1f);
  ASSERT_EQ(emitter.GetParticlesAlive(), 10);
  const Particle before = emitter.GetParticles()[0];
  EXPECT_NEAR(before.velocity.y, -10.0f, 1e-5);
  emitter.Stop(false);
  emitter.Update(0.5f);
  ASSERT_EQ(emitter.GetParticlesAlive(), 10);
  EXPECT_FLOAT_EQ(emitter.GetParticles()[0].age, 0.5f);
  EXPECT_NEAR(emitter.GetParticles()[0].position.y, before.position.y - 5.0f, 1e-4);
  emitter.Update(0.6f);  // past their one-second life
  EXPECT_EQ(emitter.GetParticlesAlive(), 0);
}

TEST_F(EmitterTest, RelativeEmitterAtRestMeasuresDirectionFromTheXAxis) {
  EmitterDesc desc = StillDesc(&sprite);
  desc.speed_min = desc.speed_max = 10.0f;
  desc.relative = true;
  ParticleEmitter emitter(&desc);
  emitter.Start();
  emitter.Update(0.015f);
  ASSERT_EQ(emitter.GetParticlesAlive(), 1);
  EXPECT_NEAR(emitter.GetParticles()[0].velocity.x, 10.0f, 1e-5);
  EXPECT_NEAR(emitter.GetParticles()[0].velocity.y, 0.0f, 1e-5);
}

TEST_F(EmitterTest, RadialAccelerationPushesAwayAndGravityPullsDown) {
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
  EXPECT_NEAR(p1.velocity.x, p0.position.x * n * 10.0f, 1e-4);
  EXPECT_NEAR(p1.velocity.y, p0.position.y * n * 10.0f + 5.0f, 1e-4);
  EXPECT_NEAR(p1.position.x, p0.position.x + p1.velocity.x * 0.1f, 1e-4);
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

TEST_F(EmitterTest, MovingWithCarryShiftsEveryParticleAndTheTrail) {
  EmitterDesc desc = StillDesc(&sprite);
  desc.speed_min = 5;
  desc.speed_max = 20;
  desc.spread = 6.28f;
  ParticleEmitter emitter(&desc);
  emitter.StartAt(10, 10);
  emitter.Update(0.1f);
  const std::vector<Particle> before(emitter.GetParticles().begin(),
                                     emitter.GetParticles().end());
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

TEST_F(EmitterTest, DrawPlacesEachParticleScaledAndOffsetThenRestoresTheColour) {
  EmitterDesc desc = StillDesc(&sprite);
  desc.size_start = desc.size_end = 2.0f;
  sprite.SetHotSpot(2, 2);
  sprite.SetColor(0x80808080, 0);
  ParticleEmitter emitter(&desc);
  emitter.Draw();  // no particles: the corners still take corner 0's colour
  for (int i = 0; i < 4; ++i) EXPECT_EQ(sprite.GetColor(i), 0x80808080u);

  sprite.SetColor(0xFF0000FF, 3);
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
  for (int i = 0; i < 4; ++i) EXPECT_EQ(sprite.GetColor(i), 0x80808080u);
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
  for (const Particle& p : emitter.GetParticles()) {
    EXPECT_TRUE(p.position.x >= box.x1 && p.position.x <= box.x2);
    EXPECT_TRUE(p.position.y >= box.y1 && p.position.y <= box.y2);
  }
  emitter.SetScale(2.0f);
  BoundsRect scaled;
  emitter.GetBounds(&scaled);
  EXPECT_EQ(scaled.x1, box.x1 * 2);
  EXPECT_EQ(scaled.y2, box.y2 * 2);
}

TEST(EmitterVec2, FastInvSqrtIsSlightlyLowAndFiniteAtZero) {
  EXPECT_NEAR(FastInvSqrt(4.0f), 0.49920f, 2e-5);
  EXPECT_NEAR(FastInvSqrt(0.0f), 1.98e19f, 0.01e19f);
}

// ---- the description record and file ----

EmitterDesc SampleDesc() {
  EmitterDesc d{};
  d.emission = 250;
  d.lifetime = 3.5f;
  d.relative = true;
  d.speed_min = 10;
  d.size_start = 0.5f;
  d.color_start = {0.1f, 0.2f, 0.3f, 0.4f};
  d.color_end = {0.5f, 0.6f, 0.7f, 0.8f};
  d.alpha_variation = 0.9f;
  return d;
}

std::vector<uint8_t> Bytes(const EmitterDesc& d) {
  uint8_t record[kEmitterDescSize];
  WriteEmitterDesc(d, record);
  return {record, record + kEmitterDescSize};
}

uint32_t WordAt(const std::vector<uint8_t>& bytes, size_t offset) {
  return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8 |
         uint32_t(bytes[offset + 2]) << 16 | uint32_t(bytes[offset + 3]) << 24;
}

TEST(EmitterDescFile, FieldsSitAtTheirLittleEndianOffsetsAndReadBack) {
  EmitterDesc d = SampleDesc();
  d.sprite = reinterpret_cast<Sprite*>(uintptr_t(0x1234));  // never written
  const std::vector<uint8_t> bytes = Bytes(d);
  EXPECT_EQ(WordAt(bytes, 0), 0u);
  EXPECT_EQ(WordAt(bytes, 4), 250u);
  EXPECT_EQ(WordAt(bytes, 8), std::bit_cast<uint32_t>(3.5f));
  EXPECT_EQ(WordAt(bytes, 28), 1u);  // relative, then three zero bytes
  EXPECT_EQ(WordAt(bytes, 32), std::bit_cast<uint32_t>(10.0f));
  EXPECT_EQ(WordAt(bytes, 64), std::bit_cast<uint32_t>(0.5f));
  EXPECT_EQ(WordAt(bytes, 88), std::bit_cast<uint32_t>(0.1f));
  EXPECT_EQ(WordAt(bytes, 116), std::bit_cast<uint32_t>(0.8f));
  EXPECT_EQ(WordAt(bytes, 124), std::bit_cast<uint32_t>(0.9f));

  EmitterDesc back = d;
  ASSERT_TRUE(ReadEmitterDesc(bytes.data(), bytes.size(), &back));
  EXPECT_EQ(back.sprite, nullptr);
  EXPECT_EQ(Bytes(back), bytes);
  EXPECT_FALSE(ReadEmitterDesc(bytes.data(), kEmitterDescSize - 1, &back));
  EXPECT_FALSE(ReadEmitterDesc(nullptr, 1000, &back));
  EXPECT_EQ(back.sprite, nullptr);  // untouched by the refusals
}

class EmitterFileTest : public EmitterTest {
 protected:
  std::string DescFile(const std::string& name, size_t size) {
    std::vector<uint8_t> bytes = Bytes(SampleDesc());
    bytes.resize(size, 0x5A);
    WriteBytes(Path(name), bytes);
    return Path(name);
  }
};

TEST_F(EmitterFileTest, ReadsTheFirst128BytesAndTakesTheGivenSprite) {
  for (size_t size : {size_t(128), size_t(200)}) {
    ParticleEmitter emitter(DescFile("fire.psi", size).c_str(), &sprite);
    EXPECT_EQ(emitter.GetDesc().sprite, &sprite);
    EXPECT_EQ(Bytes(emitter.GetDesc()), Bytes(SampleDesc()));
    EXPECT_EQ(emitter.GetAge(), -2.0f);
  }
}

TEST_F(EmitterFileTest, NonFiniteFieldsReadAsZero) {
  std::vector<uint8_t> bytes = Bytes(StillDesc(nullptr));
  const uint32_t nan = 0x7FC00000, inf = 0x7F800000, minus_inf = 0xFF800000;
  auto put = [&bytes](size_t offset, uint32_t word) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = uint8_t(word >> (8 * i));
  };
  put(4, 1000);           // emission
  put(12, nan);           // particle life min
  put(16, nan);           // particle life max
  put(36, inf);           // speed max
  put(64, minus_inf);     // size start
  put(88, 0x7F800001);    // colour start r: a signalling NaN
  WriteBytes(Path("nan.psi"), bytes);
  ParticleEmitter emitter(Path("nan.psi").c_str(), &sprite);
  const EmitterDesc& d = emitter.GetDesc();
  EXPECT_EQ(d.particle_life_min, 0.0f);
  EXPECT_EQ(d.particle_life_max, 0.0f);
  EXPECT_EQ(d.speed_max, 0.0f);
  EXPECT_EQ(d.size_start, 0.0f);
  EXPECT_EQ(d.color_start.r, 0.0f);
  EXPECT_EQ(d.size_end, 1.0f);  // finite fields keep their values
  emitter.Start();
  emitter.Update(1.0f);
  emitter.Update(0.01f);  // particles of life 0 die at the next update
  EXPECT_EQ(emitter.GetParticlesAlive(), 10);
}

TEST_F(EmitterFileTest, MissingOrShortFileLeavesAnInertEmitter) {
  ParticleEmitter missing(Path("missing.psi").c_str(), &sprite);
  ParticleEmitter short_file(DescFile("short.psi", 127).c_str(), &sprite);
  ParticleEmitter empty(DescFile("empty.psi", 0).c_str(), &sprite);
  ParticleEmitter no_name(nullptr, &sprite);
  ParticleEmitter no_desc(static_cast<const EmitterDesc*>(nullptr));
  for (ParticleEmitter* emitter : {&missing, &short_file, &empty, &no_name, &no_desc}) {
    EXPECT_EQ(emitter->GetDesc().sprite, nullptr);
    EXPECT_EQ(Bytes(emitter->GetDesc()), Bytes(EmitterDesc{}));
    EXPECT_EQ(emitter->GetAge(), -2.0f);
    emitter->Start();
    emitter->Update(1.0f);
    emitter->Draw();
    EXPECT_EQ(emitter->GetParticlesAlive(), 0);
  }
}

}  // namespace
