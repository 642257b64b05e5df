#include "kit/draw/bounds_rect.h"

#include <cmath>

void BoundsRect::Extend(float x, float y) {
  if (empty) {
    x1 = x2 = x;
    y1 = y2 = y;
    empty = false;
    return;
  }
  if (x < x1) x1 = x;
  if (x > x2) x2 = x;
  if (y < y1) y1 = y;
  if (y > y2) y2 = y;
}

bool BoundsRect::Contains(float x, float y) const {
  return x >= x1 && x < x2 && y >= y1 && y < y2;
}

// Compares the distance between the centres (doubled) with the sum of the sizes on each axis.
bool BoundsRect::Overlaps(const BoundsRect* other) const {
  return std::fabs((x1 + x2) - (other->x1 + other->x2)) < (x2 - x1) + (other->x2 - other->x1) &&
         std::fabs((y1 + y2) - (other->y1 + other->y2)) < (y2 - y1) + (other->y2 - other->y1);
}
