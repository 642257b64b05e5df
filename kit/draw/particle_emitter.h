// Up to 500 particles emitted from a moving point, moved each frame under gravity, radial and
// tangential acceleration, changing size, spin and colour over their life, and drawn with one
// shared sprite. All storage is inside the object; Update and Draw allocate nothing.
#pragma once

#include <span>

#include "kit/draw/bounds_rect.h"
#include "kit/draw/emitter_desc.h"
#include "kit/draw/engine_reference.h"
#include "kit/draw/sprite.h"
#include "kit/draw/vec2.h"

constexpr int kMaxParticles = 500;

struct Particle {
  Vec2 position, velocity;
  float gravity, radial_accel, tangential_accel;
  float spin, spin_delta;
  float size, size_delta;
  ParticleColor color, color_delta;
  float age, lifetime;
};

// The colour a particle is drawn in (0xAARRGGBB): its own channels, or with a colour start r
// below 0 the sprite's rgb and the particle's alpha. Channels outside 0..1 are held at the
// ends of their byte.
uint32_t ParticleArgb(const Particle& p, const EmitterDesc& desc, uint32_t sprite_color);

class ParticleEmitter {
 public:
  // Reads a description file (through the engine's resources) and draws with the sprite.
  // A file that is missing or shorter than 128 bytes leaves an inert emitter: stopped, no
  // particles, a zeroed description and no sprite.
  ParticleEmitter(const char* filename, Sprite* sprite);
  // Copies the description, sprite included; null leaves an inert emitter.
  explicit ParticleEmitter(const EmitterDesc* desc);
  // A copy has every particle and its own engine reference.
  ParticleEmitter(const ParticleEmitter&) = default;
  ParticleEmitter& operator=(const ParticleEmitter&) = default;

  void Update(float seconds);
  // Draws every live particle; nothing without a sprite. Afterwards all four corners of the
  // sprite carry the colour its corner 0 had.
  void Draw();
  // With carry, live particles and the trail move along; without, the next update spreads
  // new particles along the way from the old position to the new one.
  void SetPosition(float x, float y, bool carry_particles);
  void Start();
  // Moves the stopped emitter (no trail) and starts it there.
  void StartAt(float x, float y);
  // Ends emission; with kill, live particles vanish too.
  void Stop(bool kill_particles = false);
  // The tracked box around the live particles, scaled (the draw offset is not added).
  BoundsRect* GetBounds(BoundsRect* out) const;

  const EmitterDesc& GetDesc() const { return desc_; }
  void SetDrawOffset(float x, float y) {
    offset_x_ = x;
    offset_y_ = y;
  }
  void GetDrawOffset(float* x, float* y) const {
    *x = offset_x_;
    *y = offset_y_;
  }
  void SetScale(float scale) { scale_ = scale; }
  float GetScale() const { return scale_; }
  // Tracking rebuilds the bounds on every update.
  void SetTrackBounds(bool track) { track_bounds_ = track; }
  bool IsTrackingBounds() const { return track_bounds_; }
  int GetParticlesAlive() const { return live_; }
  std::span<const Particle> GetParticles() const { return {particles_, size_t(live_)}; }
  // -2 stopped, -1 emitting without end, otherwise seconds since Start.
  float GetAge() const { return age_; }
  Vec2 GetPosition() const { return position_; }
  Vec2 GetPreviousPosition() const { return previous_position_; }
  float GetEmissionResidue() const { return emission_residue_; }

 private:
  static TVK* Engine() { return EngineReference<ParticleEmitter>::Engine(); }
  void AgeEmitter(float seconds);
  void UpdateParticles(float seconds);
  void MoveParticle(Particle& p, float seconds) const;
  void Emit(float seconds);
  void InitParticle(Particle& p) const;

  EngineReference<ParticleEmitter> engine_;
  EmitterDesc desc_{};
  float age_ = -2.0f;
  float emission_residue_ = 0.0f;
  Vec2 previous_position_, position_;
  float offset_x_ = 0.0f, offset_y_ = 0.0f;
  float scale_ = 1.0f;
  int live_ = 0;
  BoundsRect bounds_;
  bool track_bounds_ = false;
  Particle particles_[kMaxParticles]{};
};
