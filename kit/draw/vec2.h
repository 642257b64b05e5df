/// @file
/// A two-float vector with the few helpers the particle emitter needs.
#pragma once

#include "engine/tvk_export.h"

/// A point or direction in pixels.
struct TVK_API Vec2 {
  float x = 0.0f;  ///< horizontal component
  float y = 0.0f;  ///< vertical component, growing downwards

  /// Direction from the positive x axis, radians: atan2(y, x).
  float Angle() const;
  /// Angle between the two vectors, each normalised with FastInvSqrt.
  float Angle(const Vec2* other) const;
  /// Turns the vector by the angle (radians) and returns it.
  Vec2& Rotate(float angle);

  /// The sum of two vectors.
  Vec2 operator+(Vec2 o) const { return {x + o.x, y + o.y}; }
  /// The difference of two vectors.
  Vec2 operator-(Vec2 o) const { return {x - o.x, y - o.y}; }
  /// The vector scaled by s.
  Vec2 operator*(float s) const { return {x * s, y * s}; }
  /// Adds o to this vector.
  Vec2& operator+=(Vec2 o) {
    x += o.x;
    y += o.y;
    return *this;
  }
};

/// A fast approximation of 1 / sqrt(x): one Newton step from a bit-level first guess, with
/// 0.4999 as the half constant, so results are about 0.16 % low. Finite for x = 0.
TVK_API float FastInvSqrt(float x);
