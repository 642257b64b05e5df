// Integer ids for textures, sprites and emitters: numbering, lookups and unknown ids.
#include "draw_test_support.h"
#include "kit/draw/emitter_desc.h"
#include "kit/draw/registry.h"

namespace {

class RegistryTest : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    Registry_Clear();
    Registry_SetEngine(engine);
  }
  void TearDown() override {
    Registry_Clear();
    Registry_SetEngine(nullptr);
    DrawTest::TearDown();
  }

  std::string ImageFile(const std::string& name) {
    WriteBytes(Path(name), MakeBmp(64, 64, 0xFFFFFFFF));
    return Path(name);
  }

  std::string EmitterFile(const std::string& name) {
    EmitterDesc d{};
    d.emission = 100;
    d.lifetime = -1;
    d.particle_life_min = d.particle_life_max = 1;
    uint8_t bytes[kEmitterDescSize];
    WriteEmitterDesc(d, bytes);
    WriteBytes(Path(name), std::vector<uint8_t>(bytes, bytes + kEmitterDescSize));
    return Path(name);
  }
};

TEST_F(RegistryTest, IdsOfEachKindCountFromZero) {
  StartGraphics();
  EXPECT_EQ(Image_Load(ImageFile("a.bmp").c_str()), 0);
  EXPECT_EQ(Image_Load(ImageFile("b.bmp").c_str()), 1);
  ASSERT_NE(Registry_GetTexture(0), 0u);
  EXPECT_EQ(Sprite_Create(0, 0, 0, 16, 16), 0);
  EXPECT_EQ(Sprite_Create(1, 0, 0, 16, 16), 1);
  EXPECT_EQ(Emitter_Create(EmitterFile("e.psi").c_str(), 0), 0);
  EXPECT_EQ(Emitter_Create(EmitterFile("e.psi").c_str(), 1), 1);
  EXPECT_EQ(Registry_GetEmitter(1)->GetDesc().sprite, Registry_GetSprite(1));
}

TEST_F(RegistryTest, FailedImageLoadStillTakesAnId) {
  EXPECT_EQ(Image_Load(Path("missing.png").c_str()), 0);
  EXPECT_EQ(Image_Load(Path("missing.png").c_str()), 1);
  EXPECT_EQ(Registry_GetTexture(1), 0u);
  EXPECT_EQ(Sprite_Create(1, 0, 0, 8, 8), 0);
  EXPECT_EQ(Registry_GetSprite(0), nullptr);
}

TEST_F(RegistryTest, UnknownIdsGiveTheNullResults) {
  EXPECT_EQ(Sprite_Create(99, 0, 0, 8, 8), 0);
  EXPECT_EQ(Registry_GetSprite(0), nullptr);
  EXPECT_FALSE(Sprite_Draw(0, 1, 2));
  EXPECT_FALSE(Sprite_Draw(-5, 1, 2));
  EXPECT_FALSE(Sprite_DrawRotated(7, 1, 2, 0.5f, 1, 1));
  EXPECT_FALSE(Emitter_DrawAt(3, 1, 2));
  EXPECT_EQ(Registry_GetTexture(12345), 0u);
}

TEST_F(RegistryTest, DrawsTheSpriteRegisteredUnderTheId) {
  StartGraphics();
  const int texture = Image_Load(ImageFile("a.bmp").c_str());
  const int first = Sprite_Create(texture, 0, 0, 16, 16);
  const int second = Sprite_Create(texture, 0, 0, 16, 16);
  ASSERT_TRUE(Sprite_Draw(second, 10, 20));
  ExpectCorner(Registry_GetSprite(second)->GetQuad(), 0, 10, 20);
  ASSERT_TRUE(Sprite_DrawRotated(first, 30, 40, 0.0f, 2.0f, 0.0f));
  ExpectCorner(Registry_GetSprite(first)->GetQuad(), 2, 62, 72);
  ExpectCorner(Registry_GetSprite(second)->GetQuad(), 0, 10, 20);
}

TEST_F(RegistryTest, EmitterWithoutSpriteIsRegisteredButNeverDrawn) {
  const int id = Emitter_Create(EmitterFile("e.psi").c_str(), 42);
  EXPECT_EQ(id, 0);
  ParticleEmitter* emitter = Registry_GetEmitter(id);
  ASSERT_NE(emitter, nullptr);
  EXPECT_EQ(emitter->GetDesc().sprite, nullptr);
  EXPECT_EQ(emitter->GetDesc().emission, 100);
  EXPECT_FALSE(Emitter_DrawAt(id, 5, 5));
  EXPECT_EQ(emitter->GetAge(), -2.0f);
}

TEST_F(RegistryTest, EmitterDrawAtCarriesParticlesAndStarts) {
  StartGraphics();
  const int texture = Image_Load(ImageFile("a.bmp").c_str());
  const int sprite_id = Sprite_Create(texture, 0, 0, 4, 4);
  const int id = Emitter_Create(EmitterFile("e.psi").c_str(), sprite_id);
  ParticleEmitter* emitter = Registry_GetEmitter(id);
  ASSERT_NE(emitter, nullptr);
  emitter->StartAt(10, 10);
  emitter->Update(0.1f);
  ASSERT_GT(emitter->GetParticlesAlive(), 0);
  const Vec2 before = emitter->GetParticles()[0].position;
  emitter->Stop(false);
  EXPECT_TRUE(Emitter_DrawAt(id, 20, 15));
  EXPECT_EQ(emitter->GetAge(), -1.0f);
  EXPECT_FLOAT_EQ(emitter->GetParticles()[0].position.x, before.x + 10);
  EXPECT_FLOAT_EQ(emitter->GetParticles()[0].position.y, before.y + 5);
}

}  // namespace
