// 4x4 float matrices in the row-vector convention: a point p is transformed as p * M, and in
// Multiply(a, b) the left operand a applies first.
#pragma once

namespace gfx {

struct Matrix {
  float m[4][4];
};

Matrix Identity();
Matrix Multiply(const Matrix& a, const Matrix& b);
Matrix Translation(float x, float y, float z);
Matrix Scaling(float x, float y, float z);
// Rotation about the z axis by angle radians (x towards y).
Matrix RotationZ(float angle);
// Left-handed orthographic projection of the box left..right, bottom..top, near..far onto
// x, y in -1..1 and z in 0..1.
Matrix OrthoOffCenterLH(float left, float right, float bottom, float top, float zn, float zf);

}  // namespace gfx
