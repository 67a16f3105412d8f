// Fuzz target: every static mesh of a package read, and what the reader gives checked to be
// whole: every index names a vertex, every section lies within the indices.
#include <cstdint>
#include <vector>

#include "fuzz_target.h"
#include "mesh/static_mesh.h"
#include "package/package_file.h"
#include "text/brush_error.h"

namespace {

using namespace brushwright;

void CheckMesh(const StaticMesh& mesh) {
  const std::size_t vertices = mesh.Positions.size();
  if (mesh.Normals.size() != vertices || mesh.UVs.size() != vertices) __builtin_trap();
  for (std::uint32_t index : mesh.Indices) {
    if (index >= vertices) __builtin_trap();
  }
  for (const StaticMeshSection& section : mesh.Sections) {
    if (section.TriangleCount == 0) continue;
    if (section.FirstIndex < 0 || section.TriangleCount < 0 ||
        static_cast<std::size_t>(section.FirstIndex) +
                3 * std::size_t{static_cast<std::uint32_t>(section.TriangleCount)} >
            mesh.Indices.size()) {
      __builtin_trap();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const PackageFile package =
        PackageFile::FromBytes("fuzz.usx", std::vector<std::uint8_t>(data, data + size));
    for (std::int32_t index : StaticMeshExports(package)) {
      try {
        CheckMesh(ReadStaticMesh(package, index));
      } catch (const BrushError&) {
      }
    }
  } catch (const BrushError&) {
  }
  return 0;
}
