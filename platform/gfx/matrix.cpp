#include "platform/gfx/matrix.h"

#include <cmath>

namespace gfx {

Matrix Identity() { return Scaling(1, 1, 1); }

Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix r{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                  a.m[i][3] * b.m[3][j];
  return r;
}

Matrix Translation(float x, float y, float z) {
  Matrix r = Identity();
  r.m[3][0] = x;
  r.m[3][1] = y;
  r.m[3][2] = z;
  return r;
}

Matrix Scaling(float x, float y, float z) {
  Matrix r{};
  r.m[0][0] = x;
  r.m[1][1] = y;
  r.m[2][2] = z;
  r.m[3][3] = 1;
  return r;
}

Matrix RotationZ(float angle) {
  Matrix r = Identity();
  const float c = std::cos(angle), s = std::sin(angle);
  r.m[0][0] = c;
  r.m[0][1] = s;
  r.m[1][0] = -s;
  r.m[1][1] = c;
  return r;
}

Matrix OrthoOffCenterLH(float left, float right, float bottom, float top, float zn, float zf) {
  Matrix r = Identity();
  r.m[0][0] = 2 / (right - left);
  r.m[1][1] = 2 / (top - bottom);
  r.m[2][2] = 1 / (zf - zn);
  r.m[3][0] = (left + right) / (left - right);
  r.m[3][1] = (top + bottom) / (bottom - top);
  r.m[3][2] = zn / (zn - zf);
  return r;
}

}  // namespace gfx
