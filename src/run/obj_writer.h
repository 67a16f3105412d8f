// Writes a run's mesh as a Wavefront OBJ file: the OBJ axes, the W3D rotation and the exact
// number text of every line live here.
#pragma once

#include <cstdint>
#include <string>

#include "level/mesh.h"
#include "text/file_text.h"

namespace brushwright {

// "#converted from Brushwright by Brushwright", "mtllib " + the MTL file's name, each followed
// by the line break.
std::string ObjHeaderText(const std::string& mtl_path);

// Appends the number text of a value that goes into the OBJ file; absurd input can make it
// infinite or NaN, which no OBJ reader accepts, so the run stops there instead of writing it,
// naming the face (0: the shared positions of the world output).
void AppendObjNumber(std::string& text, double value, std::int32_t face_number);

// Writes the OBJ file: the header; the shared positions, when the mesh has them; then each
// group's "g" line (named groups only) and its faces, each as its own positions (when not
// shared), its texture coordinates, the "usemtl" line of its texture and flags (faces with a
// texture only) and its face line. Corners are written in the order 0, n-1, ..., 1, which keeps
// faces front-facing in the mirrored OBJ axes; positions are rotated into W3D coordinates when
// `w3d` is set. Every piece ends with an empty line. Throws BrushError naming the face when a
// number would be written non-finite or an index would pass 32 bits.
void WriteObj(OutputFiles& out, const std::string& path, const std::string& mtl_path,
              const Mesh& mesh, bool w3d);

}  // namespace brushwright
