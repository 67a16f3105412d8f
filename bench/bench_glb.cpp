// Writing a large untextured level as .glb against writing the same faces as OBJ text, both with
// the run's own writers.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "gltf/glb_writer.h"
#include "run/obj_writer.h"
#include "text/file_text.h"

namespace brushwright {
namespace {

// Materials of the level: a few textures and flags, as a real level has.
constexpr int kMaterials = 8;

// A level of `boxes` brushes of six quads each, in `materials` materials (real levels: one to
// three), placed along a spiral with fractional coordinates (as the brush transforms leave them);
// every face has its own four positions, as the brush output has.
struct BoxLevel {
  BoxLevel(int boxes, int materials) {
    for (int m = 0; m < kMaterials; ++m) {
      scene.Materials.push_back({"Texture" + std::to_string(m) + "0", 0, std::nullopt, ""});
      MeshSurface& surface = mesh.Surfaces.emplace_back();
      surface.Texture = "Texture" + std::to_string(m);
      surface.Material = m;
    }
    const double corner[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                 {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    const int quads[6][4] = {{0, 1, 2, 3}, {4, 7, 6, 5}, {0, 4, 5, 1},
                             {1, 5, 6, 2}, {2, 6, 7, 3}, {3, 7, 4, 0}};
    const double uv[4][2] = {{0.125, 0.25}, {1.375, 0.25}, {1.375, 2.5}, {0.125, 2.5}};
    for (int b = 0; b < boxes; ++b) {
      const double x = 37.3 * b * std::cos(b * 0.01);
      const double y = 37.3 * b * std::sin(b * 0.01);
      const double size = 64.7 + b % 97;
      MeshGroup& group = mesh.Groups.emplace_back();
      group.Name = "Brush" + std::to_string(b);
      for (int f = 0; f < 6; ++f) {
        MeshFace& face = group.Faces.emplace_back();
        face.Surface = (b + f * materials / 6) % kMaterials;
        for (int k = 0; k < 4; ++k) {
          const double* c = corner[quads[f][k]];
          face.Corners.push_back(
              {static_cast<std::int32_t>(mesh.Positions.size()), uv[k][0] + b * 0.001, uv[k][1]});
          mesh.Positions.push_back({x + c[0] * size, y + c[1] * size, c[2] * size * 0.51});
        }
      }
    }
    scene.Geometry = &mesh;
  }
  BoxLevel(const BoxLevel&) = delete;
  BoxLevel& operator=(const BoxLevel&) = delete;

  Mesh mesh;
  GlbScene scene;
};

// Boxes and materials per box: a small and a large level, and the large one at its worst.
void LevelSizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->ArgNames({"boxes", "materials"})->Args({2000, 2})->Args({20000, 2})->Args({20000, 6});
  benchmark->Unit(benchmark::kMillisecond);
}

std::string OutputPath(const char* name) {
  return (std::filesystem::temp_directory_path() /
          ("brushwright-bench-" + std::to_string(::getpid()) + "-" + name))
      .string();
}

void BM_WriteObj(benchmark::State& state) {
  const BoxLevel level(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const std::string path = OutputPath("level.obj");
  for (auto _ : state) {
    OutputFiles out;
    WriteObj(out, path, "level.mtl", level.mesh, false);
    out.Flush();
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
  std::filesystem::remove(path);
}
BENCHMARK(BM_WriteObj)->Apply(LevelSizes);

void BM_WriteGlb(benchmark::State& state) {
  const BoxLevel level(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const std::string path = OutputPath("level.glb");
  const PngEncoder no_images = [](const Image&) { return std::string(); };
  for (auto _ : state) WriteGlb(path, level.scene, no_images);
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
  std::filesystem::remove(path);
}
BENCHMARK(BM_WriteGlb)->Apply(LevelSizes);

}  // namespace
}  // namespace brushwright
