// Writes a run's mesh as a Wavefront OBJ file.
#include "run/obj_writer.h"

#include <cmath>
#include <limits>

#include "run/texture_table.h"
#include "text/brush_error.h"
#include "text/number_text.h"
#include "vecmath/coordinates.h"

namespace brushwright {

namespace {

// OBJ indexes are read as 32-bit numbers by most readers.
constexpr std::int64_t kMaxIndex = std::numeric_limits<std::int32_t>::max();

std::string FaceLabel(std::int32_t face_number) {
  return face_number == 0 ? std::string("the positions") : "face " + NumberText(face_number);
}

class ObjWriter {
 public:
  ObjWriter(OutputFiles& out, const std::string& path, const Mesh& mesh, bool w3d)
      : out_(out), path_(path), mesh_(mesh), w3d_(w3d) {}

  void WriteAll() {
    if (mesh_.SharedPositions) {
      text_.clear();
      for (const Vector& position : mesh_.Positions) AppendPosition(position, 0);
      out_.Write(path_, text_, true);
    }
    for (const MeshGroup& group : mesh_.Groups) {
      if (group.Name) out_.Write(path_, "g " + *group.Name, true);
      for (const MeshFace& face : group.Faces) WriteFace(face);
    }
  }

 private:
  void AppendPosition(const Vector& point, std::int32_t face_number) {
    const Vector obj = UnrealToObj(point);
    const Vector p = w3d_ ? ObjToW3D(obj) : obj;
    text_ += "v  ";
    AppendObjNumber(text_, p.X, face_number);
    text_ += ' ';
    AppendObjNumber(text_, p.Y, face_number);
    text_ += ' ';
    AppendObjNumber(text_, p.Z, face_number);
    text_ += kLineBreak;
  }

  void WriteFace(const MeshFace& face) {
    const MeshSurface& surface = mesh_.Surfaces[static_cast<std::size_t>(face.Surface)];
    const std::int32_t number = surface.Number;
    const auto n = static_cast<std::int64_t>(face.Corners.size());
    // Every index of the face line and the next face's must stay 32-bit; checked first so that
    // no half face is written.
    if (next_coordinate_ + n > kMaxIndex ||
        (!mesh_.SharedPositions && next_position_ + n > kMaxIndex)) {
      throw BrushError("arithmetic overflow in " + FaceLabel(number) +
                       ": the OBJ vertex index passes " + NumberText(kMaxIndex));
    }

    if (!mesh_.SharedPositions) {
      text_.clear();
      ForEachCornerAsWritten(face.Corners.size(), [&](std::size_t i) {
        AppendPosition(mesh_.Positions[static_cast<std::size_t>(face.Corners[i].Position)], number);
      });
      out_.Write(path_, text_, true);
    }

    text_.clear();
    ForEachCornerAsWritten(face.Corners.size(), [&](std::size_t i) {
      text_ += "vt  ";
      AppendObjNumber(text_, face.Corners[i].U, number);
      text_ += ' ';
      AppendObjNumber(text_, face.Corners[i].V, number);
      text_ += kLineBreak;
    });
    out_.Write(path_, text_, true);

    // Material and face line: corner j names its position and texture coordinate.
    text_.clear();
    if (!surface.Texture.empty()) {
      text_ += "usemtl ";
      text_ += MaterialName(surface.Texture, surface.Flags);
      text_ += kLineBreak;
    }
    text_ += "f ";
    std::int64_t j = 0;
    ForEachCornerAsWritten(face.Corners.size(), [&](std::size_t i) {
      const std::int64_t position =
          mesh_.SharedPositions ? std::int64_t{face.Corners[i].Position} + 1 : next_position_ + j;
      text_ += ' ';
      AppendNumberText(text_, static_cast<std::int32_t>(position));
      text_ += '/';
      AppendNumberText(text_, static_cast<std::int32_t>(next_coordinate_ + j));
      ++j;
    });
    text_ += kLineBreak;
    out_.Write(path_, text_, true);
    next_coordinate_ += n;
    if (!mesh_.SharedPositions) next_position_ += n;
  }

  OutputFiles& out_;
  const std::string& path_;
  const Mesh& mesh_;
  bool w3d_;
  std::int64_t next_position_ = 1;    // OBJ index of the next "v" line of a face's own
  std::int64_t next_coordinate_ = 1;  // OBJ index of the next "vt" line
  std::string text_;                  // the lines in hand, reused so a face costs no allocation
};

}  // namespace

std::string ObjHeaderText(const std::string& mtl_path) {
  std::string text = "#converted from Brushwright by Brushwright";
  text += kLineBreak;
  text += "mtllib " + FileNameOfPath(mtl_path);
  text += kLineBreak;
  return text;
}

void AppendObjNumber(std::string& text, double value, std::int32_t face_number) {
  if (!std::isfinite(value)) {
    throw BrushError("arithmetic overflow in " + FaceLabel(face_number) +
                     ": a coordinate is not a finite number");
  }
  AppendNumberText(text, value);
}

void WriteObj(OutputFiles& out, const std::string& path, const std::string& mtl_path,
              const Mesh& mesh, bool w3d) {
  out.Write(path, ObjHeaderText(mtl_path), false);
  ObjWriter(out, path, mesh, w3d).WriteAll();
}

}  // namespace brushwright
