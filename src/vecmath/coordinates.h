// The coordinate systems the writers use and the texture coordinates of a face: the level's own
// space (Unreal: Z up, left-handed), OBJ space (its mirror), W3D and glTF axes. Pure math: no
// text, no files.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "vecmath/vecmath.h"

namespace brushwright {

// Metres per Unreal unit: the common reading of the engine's scale, a unit as three quarters of
// an inch (1.905 cm).
inline constexpr double kMetresPerUnrealUnit = 0.01905;

// OBJ space is the level's mirrored in Y, so that OBJ readers see the level as the editor does;
// a face's corners must then be given in the other order to stay front-facing.
Vector UnrealToObj(const Vector& point);
// W3D coordinates are OBJ space turned 270 degrees about X (the W3D matrix).
Vector ObjToW3D(const Vector& point);
// glTF space: Y up, right-handed, in metres: (x, y, z) becomes (x, z, y) times `scale`. It, too,
// mirrors the level, so a face's corners are given in the other order.
std::array<double, 3> UnrealToGltf(const Vector& point, double scale);

// Visits the corners of an n-gon in the order the writers give them, 0, n-1, n-2, ..., 1: every
// writer's axes mirror the level's, and this order keeps the faces front-facing in them. The
// first corner visited is corner 0.
template <typename Visit>
void ForEachCornerAsWritten(std::size_t n, Visit visit) {
  for (std::size_t k = n; k-- > 0;) visit((k + 1) % n);
}

// How the texture lies on a polygon, in the level's space.
struct TextureAxes {
  Vector Origin;  // the texture's base point
  Vector Normal;
  Vector TextureU;
  Vector TextureV;
  Vector Pan;  // X the U pan, Y the V pan, in texels
};

// Everything the texture coordinates of any point of one polygon are computed from, in OBJ
// space.
struct TextureFrame {
  Matrix4 A;  // with B, lays the plane into X-Y with its normal to -Z
  Matrix4 B;
  Matrix4 Texture;        // the texture matrix in force for the polygon
  Vector Origin;          // the mirrored origin
  std::int64_t PanU = 0;  // the pan in whole texels
  std::int64_t PanV = 0;
  std::int16_t Width = 0;  // the image size the coordinates are divided by
  std::int16_t Height = 0;
};

// A point's texture coordinates, U to the right, V upwards.
struct TexturePoint {
  double U = 0;
  double V = 0;
};

// The frame of a polygon with these axes and an image of width x height texels.
// `matrix_in_force` is the texture matrix the polygon before left: a polygon whose U axis
// flattens to nothing on its plane keeps it, any other puts its own there. Throws BrushError
// naming face `face_number` when a pan does not fit in 32 bits.
TextureFrame MakeTextureFrame(const TextureAxes& axes, std::int16_t width, std::int16_t height,
                              std::int32_t face_number, Matrix4& matrix_in_force);
// The texture coordinates of a point of the polygon (level space). A zero image size gives
// coordinate 1 on that axis.
TexturePoint TextureCoordinatesAt(const TextureFrame& frame, const Vector& point);

}  // namespace brushwright
