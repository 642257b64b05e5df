#include "kit/draw/particle_emitter.h"

#include <cmath>
#include <numbers>

namespace {

constexpr float kStopped = -2.0f;
constexpr float kEndless = -1.0f;
constexpr float kHalfPi = std::numbers::pi_v<float> / 2;

// A colour channel 0..1 as a byte; values outside the range are held at its ends.
uint32_t ChannelByte(float value) {
  const float scaled = value * 255.0f;
  if (!(scaled > 0.0f)) return 0;
  return scaled < 255.0f ? uint32_t(scaled) : 255u;
}

// How many whole particles an update asks for, never more than the store can take.
int WholeParticles(float wanted) {
  if (!(wanted > 0.0f)) return 0;
  return wanted < float(kMaxParticles) ? int(wanted) : kMaxParticles;
}

// Draws a start value between start and start + (end - start) x variation, and the change
// per second that brings it to end over the particle's life.
void Vary(TVK* engine, float start, float end, float variation, float lifetime, float* value,
          float* delta) {
  *value = engine->Random_Real(start, start + (end - start) * variation);
  *delta = (end - *value) / lifetime;
}

}  // namespace

ParticleEmitter::ParticleEmitter(const char* filename, Sprite* sprite) {
  if (filename == nullptr) return;
  uint32_t size = 0;
  void* data = Engine()->Resource_Load(filename, &size);
  if (data == nullptr) return;
  const bool read = ReadEmitterDesc(data, size, &desc_);
  Engine()->Resource_Free(data);
  if (read) desc_.sprite = sprite;
}

ParticleEmitter::ParticleEmitter(const EmitterDesc* desc) {
  if (desc) desc_ = *desc;
}

void ParticleEmitter::Start() { age_ = desc_.lifetime == kEndless ? kEndless : 0.0f; }

void ParticleEmitter::Stop(bool kill_particles) {
  age_ = kStopped;
  if (kill_particles) {
    live_ = 0;
    bounds_.Clear();
  }
}

void ParticleEmitter::SetPosition(float x, float y, bool carry_particles) {
  const Vec2 target{x, y};
  if (carry_particles) {
    const Vec2 shift = target - position_;
    for (int i = 0; i < live_; ++i) particles_[i].position += shift;
    previous_position_ += shift;
  } else {
    previous_position_ = age_ == kStopped ? target : position_;
  }
  position_ = target;
}

void ParticleEmitter::StartAt(float x, float y) {
  Stop(false);
  SetPosition(x, y, false);
  Start();
}

// A time step that is not finite would turn every age, position and the emission residue
// into NaN for good, so it is ignored.
void ParticleEmitter::Update(float seconds) {
  if (!std::isfinite(seconds)) return;
  AgeEmitter(seconds);
  if (track_bounds_) bounds_.Clear();
  UpdateParticles(seconds);
  if (age_ != kStopped) Emit(seconds);
  previous_position_ = position_;
}

void ParticleEmitter::AgeEmitter(float seconds) {
  if (age_ < 0.0f) return;
  age_ += seconds;
  if (age_ >= desc_.lifetime) age_ = kStopped;
}

// A dead particle's slot takes the last live particle, which is then updated in this pass.
// A particle whose age or lifetime is not a number dies too, instead of living for ever.
void ParticleEmitter::UpdateParticles(float seconds) {
  for (int i = 0; i < live_;) {
    Particle& p = particles_[i];
    p.age += seconds;
    if (!(p.age < p.lifetime)) {
      p = particles_[--live_];
      continue;
    }
    MoveParticle(p, seconds);
    if (track_bounds_) bounds_.Extend(p.position.x, p.position.y);
    ++i;
  }
}

void ParticleEmitter::MoveParticle(Particle& p, float seconds) const {
  Vec2 radial = p.position - position_;
  radial = radial * FastInvSqrt(radial.x * radial.x + radial.y * radial.y);
  const Vec2 tangent{-radial.y, radial.x};
  const Vec2 accel = radial * p.radial_accel + tangent * p.tangential_accel;
  p.velocity += accel * seconds;
  p.velocity.y += p.gravity * seconds;
  p.position += p.velocity * seconds;
  p.spin += p.spin_delta * seconds;
  p.size += p.size_delta * seconds;
  p.color.r += p.color_delta.r * seconds;
  p.color.g += p.color_delta.g * seconds;
  p.color.b += p.color_delta.b * seconds;
  p.color.a += p.color_delta.a * seconds;
}

// Emission beyond the store's 500 slots is dropped; the fraction of a particle that is left
// over carries to the next update.
void ParticleEmitter::Emit(float seconds) {
  const float wanted = float(desc_.emission) * seconds + emission_residue_;
  const float whole = std::trunc(wanted);
  emission_residue_ = wanted - whole;
  const int count = WholeParticles(whole);
  for (int n = 0; n < count && live_ < kMaxParticles; ++n) {
    Particle& p = particles_[live_++];
    InitParticle(p);
    if (track_bounds_) bounds_.Extend(p.position.x, p.position.y);
  }
}

// The random draws are made in a fixed order: life, place along the path, x and y jitter,
// spread, speed, gravity, radial, tangential, size, spin, r, g, b, a.
void ParticleEmitter::InitParticle(Particle& p) const {
  TVK* engine = Engine();
  const EmitterDesc& d = desc_;
  p.age = 0.0f;
  p.lifetime = engine->Random_Real(d.particle_life_min, d.particle_life_max);
  p.position =
      previous_position_ + (position_ - previous_position_) * engine->Random_Real(0.0f, 1.0f);
  p.position.x += engine->Random_Real(-2.0f, 2.0f);
  p.position.y += engine->Random_Real(-2.0f, 2.0f);
  // Direction 0 points up the screen; a relative emitter adds the angle of its motion.
  float angle = d.direction - kHalfPi + engine->Random_Real(0.0f, d.spread) - d.spread * 0.5f;
  if (d.relative) angle += (previous_position_ - position_).Angle() + kHalfPi;
  const float speed = engine->Random_Real(d.speed_min, d.speed_max);
  p.velocity = Vec2{std::cos(angle), std::sin(angle)} * speed;
  p.gravity = engine->Random_Real(d.gravity_min, d.gravity_max);
  p.radial_accel = engine->Random_Real(d.radial_accel_min, d.radial_accel_max);
  p.tangential_accel = engine->Random_Real(d.tangential_accel_min, d.tangential_accel_max);
  Vary(engine, d.size_start, d.size_end, d.size_variation, p.lifetime, &p.size, &p.size_delta);
  Vary(engine, d.spin_start, d.spin_end, d.spin_variation, p.lifetime, &p.spin, &p.spin_delta);
  const ParticleColor& s = d.color_start;
  const ParticleColor& e = d.color_end;
  Vary(engine, s.r, e.r, d.color_variation, p.lifetime, &p.color.r, &p.color_delta.r);
  Vary(engine, s.g, e.g, d.color_variation, p.lifetime, &p.color.g, &p.color_delta.g);
  Vary(engine, s.b, e.b, d.color_variation, p.lifetime, &p.color.b, &p.color_delta.b);
  Vary(engine, s.a, e.a, d.alpha_variation, p.lifetime, &p.color.a, &p.color_delta.a);
}

uint32_t ParticleArgb(const Particle& p, const EmitterDesc& desc, uint32_t sprite_color) {
  const uint32_t alpha = ChannelByte(p.color.a) << 24;
  if (desc.color_start.r < 0.0f) return (sprite_color & 0x00FFFFFF) | alpha;
  return alpha | ChannelByte(p.color.r) << 16 | ChannelByte(p.color.g) << 8 |
         ChannelByte(p.color.b);
}

void ParticleEmitter::Draw() {
  Sprite* sprite = desc_.sprite;
  if (sprite == nullptr) return;
  const uint32_t sprite_color = sprite->GetColor(0);
  for (int i = 0; i < live_; ++i) {
    const Particle& p = particles_[i];
    sprite->SetColor(ParticleArgb(p, desc_, sprite_color), -1);
    sprite->DrawRotated(p.position.x * scale_ + offset_x_, p.position.y * scale_ + offset_y_,
                        p.spin * p.age, p.size * scale_, 0.0f);
  }
  sprite->SetColor(sprite_color, -1);
}

BoundsRect* ParticleEmitter::GetBounds(BoundsRect* out) const {
  *out = bounds_;
  out->x1 *= scale_;
  out->y1 *= scale_;
  out->x2 *= scale_;
  out->y2 *= scale_;
  return out;
}
