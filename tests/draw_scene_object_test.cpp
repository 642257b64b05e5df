// Scene objects: forwarding by kind, offsets and scales, emitter placement, deep copies.
#include <memory>

#include "draw_test_support.h"
#include "kit/draw/scene_object.h"

namespace {

class SceneObjectTest : public DrawTest {
 protected:
  static std::unique_ptr<FrameAnimation> Animation() {
    return std::make_unique<FrameAnimation>(0, 4, 10, 0, 0, 16, 16);
  }
  std::unique_ptr<ParticleEmitter> Emitter() {
    EmitterDesc d{};
    d.sprite = &sprite;
    d.emission = 100;
    d.lifetime = -1;
    d.particle_life_min = d.particle_life_max = 1;
    d.size_start = d.size_end = 1;
    return std::make_unique<ParticleEmitter>(&d);
  }
  Sprite sprite{0, 0, 0, 4, 4};
};

TEST_F(SceneObjectTest, AnimationIsDrawnAtTheOffsetWithTheObjectsScale) {
  SceneObject object;
  object.animation = Animation();
  object.offset_x = 10;
  object.offset_y = 5;
  object.scale = 2;
  object.DrawRotated(100, 100, 0.0f, 3.0f, 0.0f);
  const Quad& q = object.animation->GetQuad();
  ExpectCorner(q, 0, 130, 115);
  ExpectCorner(q, 2, 130 + 16 * 6, 115 + 16 * 6);
  object.Draw(100, 100);
  ExpectCorner(q, 0, 110, 105);
  ExpectCorner(q, 2, 142, 137);
}

TEST_F(SceneObjectTest, ForwardsOnlyToTheObjectOfItsKind) {
  SceneObject object;
  object.kind = SceneObject::Kind_Emitter;
  object.animation = Animation();
  object.animation->Draw(1, 2);
  object.Draw(50, 50);
  object.SetColor(0xFF00FF00);
  object.Stop();
  ExpectCorner(object.animation->GetQuad(), 0, 1, 2);
  EXPECT_EQ(object.animation->GetColor(0), 0xFFFFFFFFu);
  EXPECT_TRUE(object.animation->IsPlaying());

  object.kind = 5;
  object.emitter = Emitter();
  object.Play();
  object.Update(0.1f);
  EXPECT_EQ(object.emitter->GetParticlesAlive(), 0);
}

TEST_F(SceneObjectTest, EmitterObjectPlacesPlaysAndStopsItsEmitter) {
  SceneObject object;
  object.kind = SceneObject::Kind_Emitter;
  object.emitter = Emitter();
  object.offset_x = 3;
  object.offset_y = 4;
  object.MoveEmitter(200, 100);
  object.Play();
  object.Update(0.1f);
  ASSERT_EQ(object.emitter->GetParticlesAlive(), 10);
  EXPECT_EQ(object.emitter->GetPosition().x, 200);
  float ox, oy;
  object.emitter->GetDrawOffset(&ox, &oy);
  EXPECT_EQ(ox, 3);
  EXPECT_EQ(oy, 4);

  object.SetColor(0xFF00FF00);
  EXPECT_EQ(sprite.GetColor(0), 0xFFFFFFFFu);
  object.Stop();
  EXPECT_EQ(object.emitter->GetAge(), -2.0f);
  EXPECT_EQ(object.emitter->GetParticlesAlive(), 10);

  // Drawn at the new place, unscaled and unturned.
  object.DrawRotated(300, 100, 1.0f, 5.0f, 0.0f);
  EXPECT_EQ(object.emitter->GetPosition().x, 300);
  EXPECT_FLOAT_EQ(sprite.GetQuad().v[2].x - sprite.GetQuad().v[0].x, 4);
  EXPECT_FLOAT_EQ(sprite.GetQuad().v[1].y, sprite.GetQuad().v[0].y);
}

TEST_F(SceneObjectTest, CopyDeepCopiesTheFirstOfAnimationEmitterAndSet) {
  auto original = std::make_unique<SceneObject>();
  original->name = "hero";
  original->scale = 1.5f;
  original->animation = Animation();
  original->animation->SetFrame(2);
  original->emitter = Emitter();
  original->animation_set[3] = Animation();
  SceneObject copy(*original);
  EXPECT_EQ(copy.name, "hero");
  EXPECT_EQ(copy.scale, 1.5f);
  ASSERT_NE(copy.animation, nullptr);
  EXPECT_NE(copy.animation.get(), original->animation.get());
  EXPECT_EQ(copy.animation->GetFrame(), 2);
  EXPECT_EQ(copy.emitter, nullptr);
  for (const auto& entry : copy.animation_set) EXPECT_EQ(entry, nullptr);
  original.reset();  // the copy's animation is its own
  copy.Update(0.0f);
  copy.Update(0.1f);
  EXPECT_EQ(copy.animation->GetFrame(), 3);

  SceneObject with_emitter;
  with_emitter.emitter = Emitter();
  with_emitter.animation_set[0] = Animation();
  const SceneObject emitter_copy(with_emitter);
  EXPECT_NE(emitter_copy.emitter, nullptr);
  EXPECT_EQ(emitter_copy.animation_set[0], nullptr);

  SceneObject with_set;
  with_set.animation_set[6] = Animation();
  const SceneObject set_copy(with_set);
  ASSERT_NE(set_copy.animation_set[6], nullptr);
  EXPECT_NE(set_copy.animation_set[6].get(), with_set.animation_set[6].get());
}

}  // namespace
