// Vector and matrix arithmetic for brush geometry, texture axes and the W3D output rotation.
#include "vecmath/vecmath.h"

#include <algorithm>
#include <cmath>

namespace brushwright {

// The W3D output frame is the editor frame turned by 270 degrees about X.
constexpr double kW3DAngleDegrees = 270;

namespace {

// Every sum below is taken strictly left to right: output numbers carry 15 digits, and a
// different order of additions can change the last one.
double Dot4(double a0, double a1, double a2, double a3, double b0, double b1, double b2,
            double b3) {
  return ((a0 * b0 + a1 * b1) + a2 * b2) + a3 * b3;
}

bool IsFinite(const Vector& v) {
  return std::isfinite(v.X) && std::isfinite(v.Y) && std::isfinite(v.Z);
}

// Length of (x, y, 0) as VecLength computes it; falls back to hypot only where squaring
// overflows or underflows, so ordinary normals keep the plain formula's last digit.
double HorizontalLength(double x, double y) {
  const double r = VecLength(Vector{x, y, 0});
  if (std::isfinite(r) && (r > 0 || (x == 0 && y == 0))) return r;
  return std::hypot(x, y);
}

// Step 5 of laying a face flat: the turn about Z that brings the horizontal part of the normal
// onto -Y.
void BuildPlaneRotation(const Vector& normal, double r, Matrix4& a) {
  if (normal.X == 0) {
    if (normal.Y > 0) {
      a.m[0][0] = -1;
      a.m[1][1] = -1;
    }
  } else {
    a.m[0][0] = -normal.Y / r;
    a.m[0][1] = -normal.X / r;
    a.m[1][0] = normal.X / r;
    a.m[1][1] = -normal.Y / r;
  }
  a.m[2][2] = 1;
}

// Step 6: the reflection that tips the turned normal onto -Z. A |Nz| above 1 has no real
// sine, so the square root's argument is clamped at 0 rather than giving NaN.
void BuildPlaneReflection(double nz, Matrix4& b) {
  const double t = std::sqrt(std::max(0.0, 1 - nz * nz));
  b.m[0][0] = 1;
  b.m[1][1] = nz;
  b.m[1][2] = t;
  b.m[2][1] = t;
  b.m[2][2] = -nz;
}

}  // namespace

void MatIdentity(Matrix4& matrix) {
  matrix = Matrix4{};
  for (int i = 0; i < 4; ++i) matrix.m[i][i] = 1;
}

void MatScale(Matrix4& matrix, double sx, double sy, double sz) {
  MatIdentity(matrix);
  matrix.m[0][0] = sx;
  matrix.m[1][1] = sy;
  matrix.m[2][2] = sz;
}

void MatRotateX(Matrix4& matrix, double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  MatIdentity(matrix);
  matrix.m[1][1] = c;
  matrix.m[1][2] = s;
  matrix.m[2][1] = -s;
  matrix.m[2][2] = c;
}

Matrix4 MatMultiply(const Matrix4& p, const Matrix4& q) {
  Matrix4 r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      r.m[i][j] = Dot4(p.m[i][0], p.m[i][1], p.m[i][2], p.m[i][3], q.m[0][j], q.m[1][j], q.m[2][j],
                       q.m[3][j]);
    }
  }
  return r;
}

Vector MatTransform(const Matrix4& matrix, const Vector& v) {
  const auto& m = matrix.m;
  return Vector{Dot4(v.X, v.Y, v.Z, 1, m[0][0], m[1][0], m[2][0], m[3][0]),
                Dot4(v.X, v.Y, v.Z, 1, m[0][1], m[1][1], m[2][1], m[3][1]),
                Dot4(v.X, v.Y, v.Z, 1, m[0][2], m[1][2], m[2][2], m[3][2])};
}

Vector VecAdd(const Vector& p, const Vector& q) {
  return Vector{p.X + q.X, p.Y + q.Y, p.Z + q.Z};
}

Vector VecSubtract(const Vector& p, const Vector& q) {
  return Vector{p.X - q.X, p.Y - q.Y, p.Z - q.Z};
}

Vector VecCross(const Vector& p, const Vector& q) {
  return Vector{p.Y * q.Z - p.Z * q.Y, p.Z * q.X - p.X * q.Z, p.X * q.Y - p.Y * q.X};
}

double VecLength(const Vector& v) {
  return std::sqrt((v.X * v.X + v.Y * v.Y) + v.Z * v.Z);
}

Vector VecNormalize(const Vector& v) {
  const double length = VecLength(v);
  if (length == 0) return Vector{};
  return Vector{v.X / length, v.Y / length, v.Z / length};
}

void VecTranslateAll(VertexList& vertices, const Vector& v) {
  for (Vector& vertex : vertices) vertex = VecAdd(vertex, v);
}

Matrix4 BuildW3DMatrix() {
  // Computed at run time, not taken as an exact 3/2 pi: the cosine's tiny non-zero value
  // reaches the output files.
  const double angle = 4 * std::atan(1.0) * kW3DAngleDegrees / 180;
  Matrix4 matrix;
  MatRotateX(matrix, angle);
  return matrix;
}

void NormalToPlaneMatrices(const Vector& normal, Matrix4& a, Matrix4& b) {
  MatIdentity(a);
  MatIdentity(b);
  // A zero normal, or one read as infinite or NaN, has no plane: both stay identities.
  if (!IsFinite(normal) || !(VecLength(normal) > 0)) return;

  // Straight up or straight down: the plane is already horizontal.
  if (normal.X == 0 && normal.Y == 0) {
    if (normal.Z == 1) return;
    if (normal.Z == -1) {
      b.m[0][0] = 0;
      b.m[0][1] = 1;
      b.m[1][0] = 1;
      b.m[1][1] = 0;
      return;
    }
  }
  BuildPlaneRotation(normal, HorizontalLength(normal.X, normal.Y), a);
  BuildPlaneReflection(normal.Z, b);
}

void TextureAxesMatrix(Vector& u, Vector& v, Matrix4& c) {
  // Texture coordinates come from the X and Y of the flattened face only.
  u.Z = 0;
  v.Z = 0;
  const double lu = VecLength(u);
  const double lv = VecLength(v);
  const double cross_z = VecCross(u, v).Z;
  const double s = cross_z > 0 ? -1.0 : (cross_z < 0 ? 1.0 : 0.0);

  // No direction to turn U onto +X; axes too large to measure are treated alike rather than
  // filling the texture coordinates with infinities.
  if (!(lu > 0) || !std::isfinite(lu) || !std::isfinite(lv)) return;

  Matrix4 scale;
  MatScale(scale, lu, s * lv, 1);
  const Vector unit_u = VecNormalize(u);
  Matrix4 turn;
  MatIdentity(turn);
  turn.m[0][0] = unit_u.X;
  turn.m[0][1] = -unit_u.Y;
  turn.m[1][0] = unit_u.Y;
  turn.m[1][1] = unit_u.X;
  c = MatMultiply(scale, turn);
}

}  // namespace brushwright
