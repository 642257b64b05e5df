// The description of a particle emitter and its 128-byte little-endian file format.
#pragma once

#include <cstddef>
#include <cstdint>

class Sprite;

struct ParticleColor {
  float r, g, b, a;  // 0..1
};

struct EmitterDesc {
  Sprite* sprite;  // draws every particle; not owned. In a file: 4 ignored bytes.
  int32_t emission;  // particles per second
  float lifetime;    // seconds of emission after Start; -1 = until stopped
  float particle_life_min, particle_life_max;
  float direction;  // radians
  float spread;     // width of the emission cone, radians
  bool relative;    // direction is relative to the emitter's motion
  float speed_min, speed_max;                        // pixels per second
  float gravity_min, gravity_max;                    // downward, pixels per second squared
  float radial_accel_min, radial_accel_max;          // away from the emitter
  float tangential_accel_min, tangential_accel_max;  // positive turns clockwise on screen
  float size_start, size_end, size_variation;        // sprite scale; variation 0..1
  float spin_start, spin_end, spin_variation;        // drawn angle = spin x particle age
  ParticleColor color_start;  // r < 0: keep the sprite's colour, animate alpha only
  ParticleColor color_end;
  float color_variation, alpha_variation;  // 0..1
};

constexpr size_t kEmitterDescSize = 128;

// Reads a description from the first 128 bytes of data; the sprite is set to null. Returns
// false and leaves out untouched when data is null or shorter than 128 bytes.
bool ReadEmitterDesc(const void* data, size_t size, EmitterDesc* out);
// Writes the description in the file format; the sprite bytes and the padding are zero.
void WriteEmitterDesc(const EmitterDesc& desc, uint8_t (&out)[kEmitterDescSize]);
