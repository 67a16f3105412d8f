// Builds the matrices that place a brush as the editor does, with its exact angle and sheer rules.
#include "vecmath/brush_transform.h"

#include <cmath>

namespace brushwright {

// The editor measures angles in 65536 units per turn.
constexpr double kUnitsPerTurn = 65536;
// It drops the two lowest bits of an angle, leaving 16384 steps per turn...
constexpr double kUnitsPerStep = 4;
constexpr int kStepsPerTurn = 16384;
// ...looked up as 4096 steps in each quarter turn.
constexpr int kStepsPerQuarter = 4096;

namespace {

// Every sum is taken strictly left to right: output numbers carry 15 digits, and another order
// of additions can change the last one.
double Dot3(double a0, double a1, double a2, double b0, double b1, double b2) {
  return (a0 * b0 + a1 * b1) + a2 * b2;
}

// Index of a coordinate in a vector and in a matrix row.
enum Coordinate { kX = 0, kY = 1, kZ = 2 };

// For each sheer axis SHEER_AB, the coordinate A that is read and the coordinate B that gains.
struct SheerEntry {
  SheerAxis axis;
  int from;
  int to;
};
constexpr SheerEntry kSheerEntries[] = {
    {SheerAxis::kXY, kX, kY}, {SheerAxis::kXZ, kX, kZ}, {SheerAxis::kYX, kY, kX},
    {SheerAxis::kYZ, kY, kZ}, {SheerAxis::kZX, kZ, kX}, {SheerAxis::kZY, kZ, kY},
};

Vector Row(const Matrix3& matrix, int i) {
  return Vector{matrix.m[i][0], matrix.m[i][1], matrix.m[i][2]};
}

void SetRow(Matrix3& matrix, int i, const Vector& v) {
  matrix.m[i][0] = v.X;
  matrix.m[i][1] = v.Y;
  matrix.m[i][2] = v.Z;
}

// The cofactor matrix of M divided by its determinant, which is inverse(M) transposed; the
// determinant is stored beside it. N stays all zero when M has no inverse.
void SetInverseTransposed(BrushTransform& transform) {
  const Matrix3& m = transform.M;
  Matrix3 cofactors;
  SetRow(cofactors, 0, VecCross(Row(m, 1), Row(m, 2)));
  SetRow(cofactors, 1, VecCross(Row(m, 2), Row(m, 0)));
  SetRow(cofactors, 2, VecCross(Row(m, 0), Row(m, 1)));
  const auto& c = cofactors.m;
  transform.Det = Dot3(m.m[0][0], m.m[0][1], m.m[0][2], c[0][0], c[0][1], c[0][2]);
  transform.N = Matrix3{};
  if (transform.Det == 0) return;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) transform.N.m[i][j] = c[i][j] / transform.Det;
  }
}

}  // namespace

Matrix3 Mat3Identity() {
  return Matrix3{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
}

Matrix3 Mat3Multiply(const Matrix3& a, const Matrix3& b) {
  Matrix3 r;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      r.m[i][j] = Dot3(a.m[i][0], a.m[i][1], a.m[i][2], b.m[0][j], b.m[1][j], b.m[2][j]);
    }
  }
  return r;
}

Vector Mat3Transform(const Matrix3& matrix, const Vector& v) {
  const auto& m = matrix.m;
  return Vector{Dot3(m[0][0], m[0][1], m[0][2], v.X, v.Y, v.Z),
                Dot3(m[1][0], m[1][1], m[1][2], v.X, v.Y, v.Z),
                Dot3(m[2][0], m[2][1], m[2][2], v.X, v.Y, v.Z)};
}

void AngleSinCos(double angle, double& sine, double& cosine) {
  // fmod is exact, so reducing to less than a turn first keeps floor(angle / 4) mod 16384 and
  // keeps huge angles inside int.
  const double reduced = std::isfinite(angle) ? std::fmod(angle, kUnitsPerTurn) : 0.0;
  int step = static_cast<int>(std::floor(reduced / kUnitsPerStep)) % kStepsPerTurn;
  if (step < 0) step += kStepsPerTurn;
  const int quarter = step / kStepsPerQuarter;
  const double pi = 4 * std::atan(1.0);
  const double x = (step % kStepsPerQuarter) * (pi / (kStepsPerQuarter * 2));
  const double s = std::sin(x);
  const double c = std::cos(x);
  switch (quarter) {
    case 0:
      sine = s, cosine = c;
      break;
    case 1:
      sine = c, cosine = -s;
      break;
    case 2:
      sine = -s, cosine = -c;
      break;
    default:
      sine = -c, cosine = s;
      break;
  }
}

double SnapSheerRate(double rate) {
  // The editor's own bands: large rates lose 0.15, a band around 0.6 is held at 0.5, and the
  // rest loses 0.05 down to a dead zone around 0.
  if (rate < -0.65) return rate + 0.15;
  if (rate > 0.65) return rate - 0.15;
  if (rate < -0.55) return -0.5;
  if (rate > 0.55) return 0.5;
  if (rate < -0.05) return rate + 0.05;
  if (rate > 0.05) return rate - 0.05;
  return 0;
}

Matrix3 ScaleMatrix(const BrushScale& scale) {
  Matrix3 axes;
  axes.m[0][0] = scale.Scale.X;
  axes.m[1][1] = scale.Scale.Y;
  axes.m[2][2] = scale.Scale.Z;
  Matrix3 sheer = Mat3Identity();
  for (const SheerEntry& entry : kSheerEntries) {
    if (entry.axis == scale.Axis) sheer.m[entry.to][entry.from] = SnapSheerRate(scale.SheerRate);
  }
  return Mat3Multiply(sheer, axes);
}

Matrix3 RotationMatrix(const Rotator& rotation) {
  double sp = 0, cp = 1, sy = 0, cy = 1, sr = 0, cr = 1;
  AngleSinCos(rotation.Pitch, sp, cp);
  AngleSinCos(rotation.Yaw, sy, cy);
  AngleSinCos(rotation.Roll, sr, cr);
  const Matrix3 rz{{{cy, -sy, 0}, {sy, cy, 0}, {0, 0, 1}}};
  const Matrix3 ry{{{cp, 0, -sp}, {0, 1, 0}, {sp, 0, cp}}};
  const Matrix3 rx{{{1, 0, 0}, {0, cr, sr}, {0, -sr, cr}}};
  return Mat3Multiply(Mat3Multiply(rz, ry), rx);
}

BrushTransform BuildBrushTransform(const Vector& location, const Vector& pre_pivot,
                                   const Rotator& rotation, const BrushScale& main_scale,
                                   const BrushScale& post_scale) {
  BrushTransform transform;
  transform.Location = location;
  transform.PrePivot = pre_pivot;
  transform.M = Mat3Multiply(Mat3Multiply(ScaleMatrix(post_scale), RotationMatrix(rotation)),
                             ScaleMatrix(main_scale));
  SetInverseTransposed(transform);
  return transform;
}

Vector TransformPoint(const BrushTransform& transform, const Vector& p) {
  return VecAdd(Mat3Transform(transform.M, VecSubtract(p, transform.PrePivot)), transform.Location);
}

Vector TransformDirection(const BrushTransform& transform, const Vector& d) {
  return Mat3Transform(transform.N, d);
}

}  // namespace brushwright
