/// @file
/// Up to 500 particles emitted from a moving point, moved each frame under gravity, radial and
/// tangential acceleration, changing size, spin and colour over their life, and drawn with one
/// shared sprite. All storage is inside the object; Update and Draw allocate nothing.
#pragma once

#include <span>

#include "kit/draw/bounds_rect.h"
#include "kit/draw/emitter_desc.h"
#include "kit/draw/engine_reference.h"
#include "kit/draw/sprite.h"
#include "kit/draw/vec2.h"

/// The most particles one emitter keeps alive.
constexpr int kMaxParticles = 500;

/// One live particle.
struct Particle {
  Vec2 position;           ///< where it is, pixels
  Vec2 velocity;           ///< pixels per second
  float gravity;           ///< downward acceleration, pixels per second squared
  float radial_accel;      ///< acceleration away from the emitter
  float tangential_accel;  ///< sideways acceleration, positive clockwise
  float spin;              ///< drawn angle per second of age
  float spin_delta;        ///< change of spin per second
  float size;              ///< sprite scale
  float size_delta;        ///< change of size per second
  ParticleColor color;     ///< colour now
  ParticleColor color_delta;  ///< change of colour per second
  float age;               ///< seconds lived
  float lifetime;          ///< seconds it lives in all
};

/// The colour a particle is drawn in (0xAARRGGBB): its own channels, or with a colour start r
/// below 0 the sprite's rgb and the particle's alpha. Channels outside 0..1 are held at the
/// ends of their byte.
TVK_API uint32_t ParticleArgb(const Particle& p, const EmitterDesc& desc, uint32_t sprite_color);

/// A particle system: emits particles from a point, moves them and draws them with one sprite.
class TVK_API ParticleEmitter {
 public:
  /// Reads a description file (through the engine's resources) and draws with the sprite.
  /// A file that is missing or shorter than 128 bytes leaves an inert emitter: stopped, no
  /// particles, a zeroed description and no sprite.
  ParticleEmitter(const char* filename, Sprite* sprite);
  /// Copies the description, sprite included; null leaves an inert emitter.
  explicit ParticleEmitter(const EmitterDesc* desc);
  /// A copy has every particle and its own engine reference.
  ParticleEmitter(const ParticleEmitter&) = default;
  /// Copies everything but the engine reference, which each emitter keeps its own.
  ParticleEmitter& operator=(const ParticleEmitter&) = default;

  /// Ages the emitter, moves and ages live particles, retires dead ones and emits new ones.
  void Update(float seconds);
  /// Draws every live particle; nothing without a sprite. Afterwards all four corners of the
  /// sprite carry the colour its corner 0 had.
  void Draw();
  /// With carry, live particles and the trail move along; without, the next update spreads
  /// new particles along the way from the old position to the new one.
  void SetPosition(float x, float y, bool carry_particles);
  /// Starts emitting from the current position for the description's lifetime.
  void Start();
  /// Moves the stopped emitter (no trail) and starts it there.
  void StartAt(float x, float y);
  /// Ends emission; with kill, live particles vanish too.
  void Stop(bool kill_particles = false);
  /// The tracked box around the live particles, scaled (the draw offset is not added).
  BoundsRect* GetBounds(BoundsRect* out) const;

  /// The description the emitter follows.
  const EmitterDesc& GetDesc() const { return desc_; }
  /// Shifts where particles are drawn without moving them.
  void SetDrawOffset(float x, float y) {
    offset_x_ = x;
    offset_y_ = y;
  }
  /// Writes the draw offset.
  void GetDrawOffset(float* x, float* y) const {
    *x = offset_x_;
    *y = offset_y_;
  }
  /// Sets the factor that positions and sizes are drawn at.
  void SetScale(float scale) { scale_ = scale; }
  /// The draw scale.
  float GetScale() const { return scale_; }
  /// Tracking rebuilds the bounds on every update.
  void SetTrackBounds(bool track) { track_bounds_ = track; }
  /// True while bounds are tracked.
  bool IsTrackingBounds() const { return track_bounds_; }
  /// The number of live particles.
  int GetParticlesAlive() const { return live_; }
  /// The live particles.
  std::span<const Particle> GetParticles() const { return {particles_, size_t(live_)}; }
  /// -2 stopped, -1 emitting without end, otherwise seconds since Start.
  float GetAge() const { return age_; }
  /// Where the emitter is.
  Vec2 GetPosition() const { return position_; }
  /// Where the emitter was before the last move; new particles spread along the way.
  Vec2 GetPreviousPosition() const { return previous_position_; }
  /// The fraction of a particle owed to the next update's emission.
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
