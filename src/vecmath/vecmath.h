// Vectors, rotators, 4-by-4 matrices and the transforms applied to brush geometry.
#pragma once

#include <vector>

namespace brushwright {

struct Vector {
  double X = 0;
  double Y = 0;
  double Z = 0;
};

// Raw angle units of the T3D text (65536 per turn), unconverted.
struct Rotator {
  double Pitch = 0;
  double Yaw = 0;
  double Roll = 0;
};

// Element m[row][column]. A point is transformed as the row vector (x, y, z, 1) times the
// matrix, so row 3 holds a translation. Value-initialised: all zero.
struct Matrix4 {
  double m[4][4] = {};
};

using VertexList = std::vector<Vector>;

void MatIdentity(Matrix4& matrix);
void MatScale(Matrix4& matrix, double sx, double sy, double sz);
// Rotation about X by `angle` radians: (x, y cos a - z sin a, y sin a + z cos a).
void MatRotateX(Matrix4& matrix, double angle);
// Transforming by the result equals transforming by p, then by q.
Matrix4 MatMultiply(const Matrix4& p, const Matrix4& q);
Vector MatTransform(const Matrix4& matrix, const Vector& v);

Vector VecAdd(const Vector& p, const Vector& q);
Vector VecSubtract(const Vector& p, const Vector& q);
Vector VecCross(const Vector& p, const Vector& q);
// Inline, as shadow rays and light texels take these millions of times.
inline double VecDot(const Vector& p, const Vector& q) {
  return p.X * q.X + p.Y * q.Y + p.Z * q.Z;
}
inline Vector VecScale(const Vector& v, double factor) {
  return {v.X * factor, v.Y * factor, v.Z * factor};
}
double VecLength(const Vector& v);
// v divided by its length; the zero vector stays zero.
Vector VecNormalize(const Vector& v);
void VecTranslateAll(VertexList& vertices, const Vector& v);

// The rotation of 270 degrees about X applied to output coordinates in W3D mode, with the
// cosine and sine computed at run time (so the cosine is -1.8369701987210297e-16, not 0).
Matrix4 BuildW3DMatrix();

// A rotation a about Z and a reflection b that together lay a face with normal `normal` into
// the X-Y plane with its normal pointing to -Z (the normal (0, 0, 1) is left as it is).
void NormalToPlaneMatrices(const Vector& normal, Matrix4& a, Matrix4& b);
// Flattens u and v (their Z becomes 0) and sets c to the texture matrix they define; leaves c
// unchanged when the flattened u has no length.
void TextureAxesMatrix(Vector& u, Vector& v, Matrix4& c);

}  // namespace brushwright
