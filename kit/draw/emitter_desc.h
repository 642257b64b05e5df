/// @file
/// The description of a particle emitter and its 128-byte little-endian file format.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/tvk_export.h"

class Sprite;

/// A colour with float channels 0..1.
struct ParticleColor {
  float r;  ///< red, 0..1
  float g;  ///< green, 0..1
  float b;  ///< blue, 0..1
  float a;  ///< alpha, 0..1
};

/// How an emitter emits and how its particles move and change over their life.
struct EmitterDesc {
  Sprite* sprite;  ///< draws every particle; not owned. In a file: 4 ignored bytes.
  int32_t emission;  ///< particles per second
  float lifetime;    ///< seconds of emission after Start; -1 = until stopped
  float particle_life_min;  ///< shortest particle life, seconds
  float particle_life_max;  ///< longest particle life, seconds
  float direction;  ///< radians
  float spread;     ///< width of the emission cone, radians
  bool relative;    ///< direction is relative to the emitter's motion
  float speed_min;             ///< slowest start speed, pixels per second
  float speed_max;             ///< fastest start speed, pixels per second
  float gravity_min;           ///< least downward acceleration, pixels per second squared
  float gravity_max;           ///< most downward acceleration, pixels per second squared
  float radial_accel_min;      ///< least acceleration away from the emitter
  float radial_accel_max;      ///< most acceleration away from the emitter
  float tangential_accel_min;  ///< least sideways acceleration; positive turns clockwise
  float tangential_accel_max;  ///< most sideways acceleration; positive turns clockwise
  float size_start;            ///< sprite scale at birth
  float size_end;              ///< sprite scale at death
  float size_variation;        ///< share of the start-to-end range the birth size is drawn from
  float spin_start;            ///< spin at birth; drawn angle = spin x particle age
  float spin_end;              ///< spin at death
  float spin_variation;        ///< the same for spin
  ParticleColor color_start;  ///< r < 0: keep the sprite's colour, animate alpha only
  ParticleColor color_end;    ///< colour at death
  float color_variation;      ///< the same for r, g and b
  float alpha_variation;      ///< the same for alpha
};

/// Size in bytes of an emitter description file.
constexpr size_t kEmitterDescSize = 128;

/// Reads a description from the first 128 bytes of data; the sprite is set to null. Returns
/// false and leaves out untouched when data is null or shorter than 128 bytes.
TVK_API bool ReadEmitterDesc(const void* data, size_t size, EmitterDesc* out);
/// Writes the description in the file format; the sprite bytes and the padding are zero.
TVK_API void WriteEmitterDesc(const EmitterDesc& desc, uint8_t (&out)[kEmitterDescSize]);
