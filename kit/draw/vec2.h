// A two-float vector with the few helpers the particle emitter needs.
#pragma once

struct Vec2 {
  float x = 0.0f, y = 0.0f;

  // Direction from the positive x axis, radians: atan2(y, x).
  float Angle() const;
  // Angle between the two vectors, each normalised with FastInvSqrt.
  float Angle(const Vec2* other) const;
  // Turns the vector by the angle (radians) and returns it.
  Vec2& Rotate(float angle);

  Vec2 operator+(Vec2 o) const { return {x + o.x, y + o.y}; }
  Vec2 operator-(Vec2 o) const { return {x - o.x, y - o.y}; }
  Vec2 operator*(float s) const { return {x * s, y * s}; }
  Vec2& operator+=(Vec2 o) {
    x += o.x;
    y += o.y;
    return *this;
  }
};

// A fast approximation of 1 / sqrt(x): one Newton step from a bit-level first guess, with
// 0.4999 as the half constant, so results are about 0.16 % low. Finite for x = 0.
float FastInvSqrt(float x);
