#include "kit/draw/scene_object.h"

SceneObject::SceneObject(const SceneObject& other)
    : name(other.name),
      kind(other.kind),
      scale(other.scale),
      offset_x(other.offset_x),
      offset_y(other.offset_y) {
  if (other.animation) {
    animation = std::make_unique<FrameAnimation>(*other.animation);
  } else if (other.emitter) {
    emitter = std::make_unique<ParticleEmitter>(*other.emitter);
  } else {
    for (int i = 0; i < kAnimationSetSize; ++i) {
      if (other.animation_set[i]) {
        animation_set[i] = std::make_unique<FrameAnimation>(*other.animation_set[i]);
      }
    }
  }
}

void SceneObject::PlaceEmitter(ParticleEmitter* held, float x, float y) {
  held->SetPosition(x, y, false);
  held->SetDrawOffset(offset_x, offset_y);
}

void SceneObject::Draw(float x, float y) {
  if (FrameAnimation* a = HeldAnimation()) {
    a->DrawRotated(x + offset_x, y + offset_y, 0.0f, scale, 0.0f);
  } else if (ParticleEmitter* e = HeldEmitter()) {
    PlaceEmitter(e, x, y);
    e->Draw();
  }
}

// The offset is scaled with the object.
void SceneObject::DrawRotated(float x, float y, float angle, float scale_x, float scale_y) {
  if (scale_y == 0.0f) scale_y = scale_x;
  if (FrameAnimation* a = HeldAnimation()) {
    a->DrawRotated(x + scale_x * offset_x, y + scale_y * offset_y, angle, scale_x * scale,
                   scale_y * scale);
  } else {
    Draw(x, y);
  }
}

void SceneObject::SetColor(uint32_t color) {
  if (FrameAnimation* a = HeldAnimation()) a->SetColor(color, -1);
}

void SceneObject::Play() {
  if (FrameAnimation* a = HeldAnimation()) {
    a->Play();
  } else if (ParticleEmitter* e = HeldEmitter()) {
    e->Start();
  }
}

void SceneObject::Stop() {
  if (FrameAnimation* a = HeldAnimation()) {
    a->Stop();
  } else if (ParticleEmitter* e = HeldEmitter()) {
    e->Stop(false);
  }
}

void SceneObject::Update(float seconds) {
  if (FrameAnimation* a = HeldAnimation()) {
    a->Update(seconds);
  } else if (ParticleEmitter* e = HeldEmitter()) {
    e->Update(seconds);
  }
}

void SceneObject::MoveEmitter(float x, float y) {
  if (ParticleEmitter* e = HeldEmitter()) PlaceEmitter(e, x, y);
}
