// The world output's own pieces: brushes placed for the world builder, and its OBJ writer.
#include "run/world_output.h"


#include "run/texture_table.h"
#include "t3d/brush_placement.h"
#include "text/number_text.h"

namespace brushwright {

namespace {

void AppendIndex(std::string& text, std::int64_t index) {
  text += std::to_string(index);
}

}  // namespace

PlacedWorld PlaceWorld(Level& level) {
  PlacedWorld placed;
  for (BrushActor& actor : level.Brushes) {
    if (!actor.Taken) continue;
    WorldBrush& brush = placed.Brushes.emplace_back();
    brush.Operation =
        actor.Csg == CsgOperation::Subtract ? BrushOperation::Subtract : BrushOperation::Add;
    brush.PolyFlags = actor.PolyFlags;
    const BrushTransform transform = PlacementTransform(actor.Placement);
    for (PolygonRecord& polygon : actor.Polygons) {
      TransformPolygon(polygon, transform);
      brush.Polygons.push_back(WorldPolygon{polygon.Vertices, polygon.Flags | actor.PolyFlags});
      if (actor.Csg == CsgOperation::Subtract) ReversePolygon(polygon);
    }
    placed.Actors.push_back(&actor);
  }
  return placed;
}

void WorldObjWriter::WritePositions(const std::vector<Vector>& mirrored) {
  text_.clear();
  for (const Vector& position : mirrored) {
    const Vector p = state_.W3D ? MatTransform(state_.W3DMatrix, position) : position;
    text_ += "v  ";
    AppendObjNumber(text_, p.X, 0);
    text_ += ' ';
    AppendObjNumber(text_, p.Y, 0);
    text_ += ' ';
    AppendObjNumber(text_, p.Z, 0);
    text_ += kLineBreak;
  }
  out_.Write(path_, text_, true);
}

void WorldObjWriter::WriteGroup(const std::string& name) {
  out_.Write(path_, "g " + name, true);
}

void WorldObjWriter::WriteFace(const std::string& texture, std::int64_t flags,
                               const std::vector<std::int32_t>& positions,
                               const std::vector<FaceCorner>& corners, std::int32_t face_number) {
  text_.clear();
  for (const FaceCorner& corner : corners) {
    text_ += "vt  ";
    AppendObjNumber(text_, corner.Coordinates.U, face_number);
    text_ += ' ';
    AppendObjNumber(text_, corner.Coordinates.V, face_number);
    text_ += kLineBreak;
  }
  out_.Write(path_, text_, true);

  text_.clear();
  if (!texture.empty()) {
    text_ += "usemtl ";
    text_ += MaterialName(texture, flags);
    text_ += kLineBreak;
  }
  text_ += "f ";
  for (const std::int32_t position : positions) {
    text_ += ' ';
    AppendIndex(text_, std::int64_t{position} + 1);
    text_ += '/';
    AppendIndex(text_, next_coordinate_++);
  }
  text_ += kLineBreak;
  out_.Write(path_, text_, true);
}

}  // namespace brushwright
