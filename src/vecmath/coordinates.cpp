// The writers' coordinate systems and the texture coordinates of a face.
#include "vecmath/coordinates.h"

#include <cmath>
#include <string>
#include <string_view>

#include "text/number_text.h"

namespace brushwright {

namespace {

// Pans below this size always round into 32 bits, so their error text is never needed.
constexpr double kPanBound = 2147483647.0;

const Matrix4& MirrorMatrix() {
  static const Matrix4 mirror = [] {
    Matrix4 m;
    MatScale(m, 1, -1, 1);
    return m;
  }();
  return mirror;
}

const Matrix4& W3DMatrix() {
  static const Matrix4 w3d = BuildW3DMatrix();
  return w3d;
}

// The pan in whole texels; the error text naming the face is only built for a pan that may not
// fit, as building it costs a string per face.
std::int64_t RoundPan(double pan, std::string_view axis, std::int32_t face_number) {
  if (std::fabs(pan) < kPanBound) return RoundToInt32(pan, axis);
  return RoundToInt32(pan, "the " + std::string(axis) + " pan of face " + NumberText(face_number));
}

// One texture coordinate: the pan in whole texels plus the texel offset, over the image size;
// a zero size gives 1 instead of a division by zero.
double TextureCoordinate(std::int64_t pan, double offset, std::int16_t size, bool flip) {
  if (size == 0) return 1;
  const std::int64_t panned = pan % size;  // keeps the pan's sign: -10 mod 256 is -10
  const std::int64_t base = flip ? size - panned : panned;
  return (static_cast<double>(base) + offset) / size;
}

}  // namespace

Vector UnrealToObj(const Vector& point) {
  return MatTransform(MirrorMatrix(), point);
}

Vector ObjToW3D(const Vector& point) {
  return MatTransform(W3DMatrix(), point);
}

std::array<double, 3> UnrealToGltf(const Vector& point, double scale) {
  return {point.X * scale, point.Z * scale, point.Y * scale};
}

TextureFrame MakeTextureFrame(const TextureAxes& axes, std::int16_t width, std::int16_t height,
                              std::int32_t face_number, Matrix4& matrix_in_force) {
  // The frame is worked out in OBJ space, where the texture's U runs right and V up.
  TextureFrame frame;
  NormalToPlaneMatrices(UnrealToObj(axes.Normal), frame.A, frame.B);
  Vector u_axis = MatTransform(frame.B, MatTransform(frame.A, UnrealToObj(axes.TextureU)));
  Vector v_axis = MatTransform(frame.B, MatTransform(frame.A, UnrealToObj(axes.TextureV)));
  TextureAxesMatrix(u_axis, v_axis, matrix_in_force);
  frame.Texture = matrix_in_force;
  frame.Origin = UnrealToObj(axes.Origin);
  frame.PanU = RoundPan(axes.Pan.X, "U", face_number);
  frame.PanV = RoundPan(axes.Pan.Y, "V", face_number);
  frame.Width = width;
  frame.Height = height;
  return frame;
}

TexturePoint TextureCoordinatesAt(const TextureFrame& frame, const Vector& point) {
  const Vector relative = VecSubtract(UnrealToObj(point), frame.Origin);
  const Vector q =
      MatTransform(frame.Texture, MatTransform(frame.B, MatTransform(frame.A, relative)));
  return {TextureCoordinate(frame.PanU, q.X, frame.Width, false),
          TextureCoordinate(frame.PanV, q.Y, frame.Height, true)};
}

}  // namespace brushwright
