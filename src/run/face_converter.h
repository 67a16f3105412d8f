// Turns one accepted brush polygon into OBJ positions, texture coordinates and a face line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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
