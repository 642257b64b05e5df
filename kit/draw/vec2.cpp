#include "kit/draw/vec2.h"

#include <bit>
#include <cmath>
#include <cstdint>

float FastInvSqrt(float x) {
  // Unsigned arithmetic gives the same bits as the signed formula without overflow.
  const uint32_t half_bits = uint32_t(std::bit_cast<int32_t>(x) >> 1);
  const float y = std::bit_cast<float>(0x5f3759dfu - half_bits);
  return y * (1.5f - x * 0.4999f * y * y);
}

float Vec2::Angle() const { return std::atan2(y, x); }

float Vec2::Angle(const Vec2* other) const {
  const Vec2 a = *this * FastInvSqrt(x * x + y * y);
  const Vec2 b = *other * FastInvSqrt(other->x * other->x + other->y * other->y);
  return std::acos(a.x * b.x + a.y * b.y);
}

Vec2& Vec2::Rotate(float angle) {
  const float ca = std::cos(angle), sa = std::sin(angle);
  const float rx = x * ca - y * sa;
  y = x * sa + y * ca;
  x = rx;
  return *this;
}
