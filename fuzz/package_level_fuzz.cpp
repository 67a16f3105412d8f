// Fuzz target: a map package's level read with and without its own build (and with it, the light
// the build stores), and the meshes the run builds from what it gives (the brushes placed, the
// build's surfaces, and its terrains over every height map the package holds), so that every index
// the reader hands on is used as the run uses it; and the first generation's light maps with every
// shadow bit they list.
#include <cstdint>
#include <vector>

#include "fuzz_target.h"
#include "light/stored_shadows.h"
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
      if (face.LightPage != kNoLightPage &&
          (face.LightPage < 0 ||
           static_cast<std::size_t>(face.LightPage) >= mesh.LightPages.size())) {
        __builtin_trap();
      }
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

// Every stored bit of every light map's lights, read as the light builder reads them.
void ReadLightMaps(const PackageFile& package) {
  const LevelLightMaps maps = ReadPackageLightMaps(package);
  std::uint32_t lit = 0;
  for (std::size_t i = 0; i < maps.Indexes.size(); ++i) {
    const LightMapIndex& index = maps.Indexes[i];
    for (std::int32_t light = 0; light < maps.LightCounts[i]; ++light) {
      for (std::int32_t v = 0; v < index.VClamp; ++v) {
        for (std::int32_t u = 0; u < index.UClamp; ++u) {
          lit += StoredBit(maps, index, light, u, v) ? 1 : 0;
        }
      }
    }
  }
  if (maps.LightActors.size() != maps.Lights.size() || lit > maps.Bits.size() * 8) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const PackageFile package =
        PackageFile::FromBytes("fuzz.unr", std::vector<std::uint8_t>(data, data + size));
    for (const bool with_bsp : {false, true}) {
      try {
        const Level level = ReadPackageLevel(package, with_bsp, with_bsp);
        BuildMeshes(level);
        BuildTerrains(package, level);
      } catch (const BrushError&) {
      }
    }
    try {
      ReadLightMaps(package);
    } catch (const BrushError&) {
    }
  } catch (const BrushError&) {
  }
  return 0;
}
