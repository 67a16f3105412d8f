// The world output's own pieces: the level's brushes placed for the world builder, and the OBJ
// writer of the faces it builds, whose positions are shared.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "run/face_converter.h"
#include "t3d/level_model.h"
#include "text/file_text.h"
#include "world/world_builder.h"

namespace brushwright {

// The taken brush actors of a level placed by their whole transform: once as the world builder
// takes them (every face out of its brush), and in the actors themselves as the face writers
// take them (subtractive polygons turned to face the space they carve, as the brush output turns
// them), so that a fragment gets the texture coordinates its source polygon gets there.
struct PlacedWorld {
  std::vector<WorldBrush> Brushes;
  std::vector<BrushActor*> Actors;  // in the same order
};
PlacedWorld PlaceWorld(Level& level);

// Writes the world to the OBJ file: every shared position once, then per face its texture
// coordinates, its material and a face line naming position and coordinate of each corner.
class WorldObjWriter {
 public:
  WorldObjWriter(OutputFiles& out, std::string path, const FaceConverterState& state)
      : out_(out), path_(std::move(path)), state_(state) {}

  // The positions, mirrored into OBJ space (and rotated in W3D mode by the state's matrix).
  void WritePositions(const std::vector<Vector>& mirrored);
  void WriteGroup(const std::string& name);
  // One face: `positions` are 0-based indexes of the written positions, corner by corner.
  // Throws BrushError naming `face_number` when a number is not finite.
  void WriteFace(const std::string& texture, std::int64_t flags,
                 const std::vector<std::int32_t>& positions, const std::vector<FaceCorner>& corners,
                 std::int32_t face_number);

 private:
  OutputFiles& out_;
  std::string path_;
  const FaceConverterState& state_;
  std::int64_t next_coordinate_ = 1;  // OBJ index of the next "vt" line
  std::string text_;
};

}  // namespace brushwright
