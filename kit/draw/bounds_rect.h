// An axis-aligned rectangle that grows point by point, used for sprite and particle bounds.
#pragma once

struct BoundsRect {
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // left, top, right, bottom
  bool empty = true;

  // Marks the rectangle empty; the coordinates stay until the next Extend.
  void Clear() { empty = true; }
  void Extend(float x, float y);
  // Left and top edges are inside, right and bottom edges outside.
  bool Contains(float x, float y) const;
  // True when the interiors intersect; rectangles that only share an edge do not overlap.
  bool Overlaps(const BoundsRect* other) const;
};
