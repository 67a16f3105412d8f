// Turns one accepted brush polygon into OBJ positions, texture coordinates and a face line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "run/run_host.h"
#include "t3d/polygon_reader.h"
#include "text/file_text.h"
#include "vecmath/vecmath.h"

namespace brushwright {

// Kept from face to face during one run.
struct FaceConverterState {
  std::int32_t VertexBase = 1;  // OBJ index of the next face's first position and vt
  Matrix4 TextureMatrix;        // last matrix TextureAxesMatrix produced; all zero at first
  Matrix4 MirrorMatrix;         // MatScale(1, -1, 1), set by the run at its start
  bool W3D = false;             // positions are rotated by W3DMatrix
  Matrix4 W3DMatrix = BuildW3DMatrix();
  std::string Scratch;  // text of the lines in hand, reused so a face costs no allocation
};

// How the texture of one polygon lies on its plane in OBJ (mirrored) space: everything the
// texture coordinates of any point of the polygon are computed from.
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

// A point's texture coordinates, as a "vt" line writes them.
struct TexturePoint {
  double U = 0;
  double V = 0;
};

// One corner of a face in OBJ space: its mirrored position and texture coordinates.
struct FaceCorner {
  Vector Position;
  TexturePoint Coordinates;
};

// Appends the number text of a value that goes into the OBJ file; absurd input can make it
// infinite or NaN, which no OBJ reader accepts, so the run stops there instead of writing it,
// naming the face (0: the shared positions of the world output).
void AppendObjNumber(std::string& text, double value, std::int32_t face_number);

// Mirrors the origin, normal and texture axes of a placed polygon into OBJ space, in place.
void MirrorPolygonFrame(PolygonRecord& polygon, const Matrix4& mirror);
// The texture frame of a polygon whose origin, normal and texture axes are mirrored. When the
// polygon's U axis flattens to nothing the texture matrix of the face before (state's) stays in
// force; otherwise the polygon's own replaces it in `state`. Throws BrushError naming the face
// when a pan does not fit in 32 bits.
TextureFrame MirroredTextureFrame(const PolygonRecord& mirrored, std::int16_t width,
                                  std::int16_t height, std::int32_t face_number,
                                  FaceConverterState& state);
// The texture coordinates of a mirrored point, given relative to the frame's origin.
TexturePoint TextureCoordinates(const TextureFrame& frame, const Vector& relative);
// The corners of a face whose placed (T3D) vertices are `points`, in the order its OBJ face line
// lists them (0, n-1, ..., 1, which turns the mirrored winding front-facing again), plotting
// its outline on the preview. Positions are mirrored only, never rotated into W3D.
std::vector<FaceCorner> FaceCorners(RunHost& host, const TextureFrame& frame,
                                    const VertexList& points, const Matrix4& mirror);

// "#converted from Brushwright by Brushwright", "mtllib " + the MTL file's name, each followed
// by the line break; the run writes it with append false.
std::string ObjHeaderText(const std::string& mtl_path);

// Mirrors the polygon (in place), appends its positions, texture coordinates, material and face
// lines to the OBJ file, plots its outline on the preview and advances VertexBase.
// Throws BrushError naming `face_number` when a number would be written non-finite or
// VertexBase leaves the 32-bit range.
void ConvertFace(RunHost& host, OutputFiles& out, const std::string& obj_path,
                 PolygonRecord& polygon, std::int16_t width, std::int16_t height,
                 std::int32_t face_number, FaceConverterState& state);

}  // namespace brushwright
