// Fuzz target: a map package's level read with and without its own build, and the meshes the run
// builds from what it gives (the brushes placed, the build's surfaces, and its terrains over every
// height map the package holds), so that every index the reader hands on is used as the run uses
// it.
#include <cstdint>
#include <vector>

#include "fuzz_target.h"
#include "map/package_level.h"
#include "package/package_file.h"
#include "run/brush_choice.h"
#include "run/built_world_mesh.h"
#include "run/mesh_build.h"
#include "terrain/terrain_mesh.h"
#include "text/brush_error.h"
#include "texture/height_map.h"
#include "texture/package_texture.h"

namespace {

using namespace brushwright;

void CheckCorners(const Mesh& mesh) {
  for (const MeshGroup& group : mesh.Groups) {
    for (const MeshFace& face : group.Faces) {
      for (const MeshCorner& corner : face.Corners) {
        if (corner.Position < 0 ||
            static_cast<std::size_t>(corner.Position) >= mesh.Positions.size()) {
          __builtin_trap();
        }
      }
    }
  }
}

// Each terrain over each texture of the package that reads as a height map.
void BuildTerrains(const PackageFile& package, const Level& level) {
  if (level.Terrains.empty()) return;
  for (std::size_t i = 0; i < package.Exports().size(); ++i) {
    const auto index = static_cast<std::int32_t>(i);
    if (!IsTextureClass(package, ExportRef(index))) continue;
    HeightSamples heights;
    try {
      heights = ReadHeightSamples(package, index);
    } catch (const BrushError&) {
      continue;
    }
    if (!heights.Problem.empty()) continue;
    for (const LevelTerrain& terrain : level.Terrains) {
      if (!TerrainProblem(terrain, heights).empty()) continue;
      for (const bool shared : {false, true}) {
        Mesh mesh;
        mesh.SharedPositions = shared;
        AddTerrainFaces(terrain, heights, "Baked", 1, 16, 16, mesh);
        CheckCorners(mesh);
      }
    }
  }
}

void BuildMeshes(const Level& level) {
  RunOptions options;
  options.Subtractive = true;
  const FaceChoice faces(options, 1);
  BuildBrushMesh(ChooseAndPlaceBrushes(level.Brushes, level.HasActors, options), faces, true);
  if (!level.Bsp) return;
  CheckCorners(BuildBuiltWorldMesh(level, *level.Bsp, faces, true).Faces);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const PackageFile package =
        PackageFile::FromBytes("fuzz.unr", std::vector<std::uint8_t>(data, data + size));
    for (const bool with_bsp : {false, true}) {
      try {
        const Level level = ReadPackageLevel(package, with_bsp);
        BuildMeshes(level);
        BuildTerrains(package, level);
      } catch (const BrushError&) {
      }
    }
  } catch (const BrushError&) {
  }
  return 0;
}
