// Fuzz target: a map package's level read with and without its own build, and the meshes the run
// builds from what it gives (the brushes placed, and the build's surfaces), so that every index
// the reader hands on is used as the run uses it.
#include <cstdint>
#include <vector>

#include "fuzz_target.h"
#include "map/package_level.h"
#include "package/package_file.h"
#include "run/brush_choice.h"
#include "run/built_world_mesh.h"
#include "run/mesh_build.h"
#include "text/brush_error.h"

namespace {

using namespace brushwright;

void BuildMeshes(const Level& level) {
  RunOptions options;
  options.Subtractive = true;
  const FaceChoice faces(options, 1);
  BuildBrushMesh(ChooseAndPlaceBrushes(level.Brushes, level.HasActors, options), faces, true);
  if (!level.Bsp) return;
  const Mesh built = BuildBuiltWorldMesh(level, *level.Bsp, faces, true).Faces;
  for (const MeshGroup& group : built.Groups) {
    for (const MeshFace& face : group.Faces) {
      for (const MeshCorner& corner : face.Corners) {
        if (corner.Position < 0 ||
            static_cast<std::size_t>(corner.Position) >= built.Positions.size()) {
          __builtin_trap();
        }
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const PackageFile package =
        PackageFile::FromBytes("fuzz.unr", std::vector<std::uint8_t>(data, data + size));
    for (const bool with_bsp : {false, true}) {
      try {
        BuildMeshes(ReadPackageLevel(package, with_bsp));
      } catch (const BrushError&) {
      }
    }
  } catch (const BrushError&) {
  }
  return 0;
}
