// The editor's placement of a brush: scale with sheer, rotation, and the matrices that apply them.
#pragma once

#include "vecmath/vecmath.h"

namespace brushwright {

// Element m[row][column]; a vector is a column, transformed as M times (x, y, z).
// Value-initialised: all zero.
struct Matrix3 {
  double m[3][3] = {};
};

// SHEER_AB: coordinate B gains the snapped rate times coordinate A.
enum class SheerAxis { kNone, kXY, kXZ, kYX, kYZ, kZX, kZY };

// One of a brush's two scales ("MainScale=", "PostScale=") as written in the T3D text.
struct BrushScale {
  Vector Scale{1, 1, 1};
  double SheerRate = 0;
  SheerAxis Axis = SheerAxis::kNone;
};

// The whole placement of one brush: p' = M (p - PrePivot) + Location for points, N d for
// normals and texture axes, with N the inverse of M transposed. The default is the identity.
struct BrushTransform {
  Matrix3 M{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  Matrix3 N{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  double Det = 1;
  Vector PrePivot;
  Vector Location;
};

Matrix3 Mat3Identity();
// Every entry is (a0 b0 + a1 b1) + a2 b2, zero terms included.
Matrix3 Mat3Multiply(const Matrix3& a, const Matrix3& b);
Vector Mat3Transform(const Matrix3& matrix, const Vector& v);

// Sine and cosine of an angle in 65536 units per turn, as the editor evaluates them: the angle
// is rounded down to a multiple of 4 units and looked up in quarter turns, so right angles give
// exact 0 and 1. A non-finite angle counts as 0.
void AngleSinCos(double angle, double& sine, double& cosine);
// The sheer factor the editor applies for a written "SheerRate=".
double SnapSheerRate(double rate);
// H times diag(Scale): the axis scale first, then the sheer.
Matrix3 ScaleMatrix(const BrushScale& scale);
// Rz(+Yaw) times Ry(-Pitch) times Rx(-Roll): +Yaw turns +X toward +Y, +Pitch turns +X toward +Z,
// +Roll turns +Y toward -Z.
Matrix3 RotationMatrix(const Rotator& rotation);

// M = S_post R S_main, its determinant and N = inverse(M) transposed (all zero when the
// determinant is 0).
BrushTransform BuildBrushTransform(const Vector& location, const Vector& pre_pivot,
                                   const Rotator& rotation, const BrushScale& main_scale,
                                   const BrushScale& post_scale);
// M (p - PrePivot) + Location.
Vector TransformPoint(const BrushTransform& transform, const Vector& p);
// N d, not normalised.
Vector TransformDirection(const BrushTransform& transform, const Vector& d);

}  // namespace brushwright
