// Static meshes: every mesh of a package of 27 read from its file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "mesh/static_mesh.h"
#include "package/package_file.h"

namespace {

const std::string kPackages = BRUSHWRIGHT_PACKAGES_DIR;

// The package opened once, then each of its meshes read (its object's bytes from the file,
// checked and turned into positions, normals, UVs, indices and sections), as a map's conversion
// reads every mesh it places once. Target: under 10 ms for the 27 meshes (15,300 vertices,
// 2.2 MB of mesh data); about 4 ms, most of it the file's reads.
void BM_ReadEveryStaticMesh(benchmark::State& state) {
  const std::string path = kPackages + "/CommandAndConquerSM.usx";
  if (!std::filesystem::is_regular_file(path)) {
    state.SkipWithError(("the sample package is not in " + kPackages).c_str());
    return;
  }
  std::size_t vertices = 0;
  std::size_t meshes = 0;
  for (auto _ : state) {
    const brushwright::PackageFile package = brushwright::PackageFile::Open(path);
    vertices = 0;
    meshes = 0;
    for (const std::int32_t index : brushwright::StaticMeshExports(package)) {
      const brushwright::StaticMesh mesh = brushwright::ReadStaticMesh(package, index);
      vertices += mesh.Positions.size();
      ++meshes;
      benchmark::DoNotOptimize(mesh);
    }
  }
  state.counters["meshes"] = static_cast<double>(meshes);
  state.counters["vertices"] = static_cast<double>(vertices);
}
BENCHMARK(BM_ReadEveryStaticMesh)->Unit(benchmark::kMillisecond);

}  // namespace
