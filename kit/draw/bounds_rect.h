/// @file
/// An axis-aligned rectangle that grows point by point, used for sprite and particle bounds.
#pragma once

#include "engine/tvk_export.h"

/// A bounding box in screen pixels; empty until the first point is added.
struct TVK_API BoundsRect {
  float x1 = 0;       ///< left edge
  float y1 = 0;       ///< top edge
  float x2 = 0;       ///< right edge
  float y2 = 0;       ///< bottom edge
  bool empty = true;  ///< true when no point has been added since Clear

  /// Marks the rectangle empty; the coordinates stay until the next Extend.
  void Clear() { empty = true; }
  /// Grows the rectangle to include the point; the first point after Clear sets all edges.
  void Extend(float x, float y);
  /// Left and top edges are inside, right and bottom edges outside.
  bool Contains(float x, float y) const;
  /// True when the interiors intersect; rectangles that only share an edge do not overlap.
  bool Overlaps(const BoundsRect* other) const;
};
