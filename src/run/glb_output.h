// Gathers a run's faces, materials and actors into the glTF scene, then writes the .glb file.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gltf/glb_writer.h"
#include "run/face_converter.h"
#include "run/texture_files.h"
#include "run/texture_table.h"
#include "t3d/level_model.h"

namespace brushwright {

class GlbOutput {
 public:
  explicit GlbOutput(double scale);

  // Starts the node of the next brush's group.
  void BeginGroup(const std::string& name);
  // A face with positions of its own (the brush output), its corners as FaceCorners gives them.
  void AddFace(std::int32_t material, const std::vector<FaceCorner>& corners);
  // The positions the faces of the world output share, mirrored into OBJ space.
  void SetSharedPositions(std::vector<Vector> positions);
  // A face of the world output: `positions` index the shared positions, corner by corner.
  void AddSharedFace(std::int32_t material, const std::vector<std::int32_t>& positions,
                     const std::vector<FaceCorner>& corners);
  // Keeps the image found for a texture: a PNG file's own bytes, any other image decoded (one
  // whose pixels the host left out gives a plain colour).
  void AddPicture(const std::string& texture, LoadedPicture picture);
  // One material per table entry, in table order, with the picture kept for its texture; then
  // "Untextured", plain, for faces without a texture when there are any (glTF's default
  // material would show them as dark metal).
  void SetMaterials(const TextureTable& table);
  // Lights as lights, player starts, teleporters and triggers as empty nodes.
  void AddActors(const ReportActors& actors);
  // Writes the file; throws BrushError naming it.
  GlbCounts Write(const std::string& path) const;

 private:
  GlbGroup& CurrentGroup();

  GlbScene scene_;
  // The pictures of the textures found, by texture name: PNG bytes or decoded pixels.
  std::map<std::string, std::pair<std::string, std::optional<Image>>> pictures_;
};

}  // namespace brushwright
