// Writing a large untextured level as .glb against writing the same faces as OBJ text.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "gltf/glb_writer.h"
#include "text/file_text.h"
#include "text/number_text.h"

namespace brushwright {
namespace {

// Materials of the level: a few textures and flags, as a real level has.
constexpr int kMaterials = 8;

// `boxes` brushes of six quads each, in `materials` materials (real levels: one to three), placed
// along a spiral with fractional coordinates (as the brush transforms leave them); every face has
// its own four positions, as the OBJ output has.
GlbScene BoxLevel(int boxes, int materials) {
  GlbScene scene;
  for (int m = 0; m < kMaterials; ++m) {
    scene.Materials.push_back({"Texture" + std::to_string(m) + "0", 0, std::nullopt, ""});
  }
  const double corner[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                               {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
  const int quads[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                           {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
  const double uv[4][2] = {{0.125, 0.25}, {1.375, 0.25}, {1.375, 2.5}, {0.125, 2.5}};
  for (int b = 0; b < boxes; ++b) {
    const double x = 37.3 * b * std::cos(b * 0.01);
    const double y = 37.3 * b * std::sin(b * 0.01);
    const double size = 64.7 + b % 97;
    GlbGroup& group = scene.Groups.emplace_back();
    group.Name = "Brush" + std::to_string(b);
    for (int f = 0; f < 6; ++f) {
      GlbFace& face = group.Faces.emplace_back();
      face.Material = (b + f * materials / 6) % kMaterials;
      for (int k = 0; k < 4; ++k) {
        const double* c = corner[quads[f][k]];
        face.Corners.push_back(
            {static_cast<std::int32_t>(scene.Positions.size()), uv[k][0] + b * 0.001, uv[k][1]});
        scene.Positions.push_back({x + c[0] * size, -(y + c[1] * size), c[2] * size * 0.51});
      }
    }
  }
  return scene;
}

// The OBJ output's lines for the same faces: positions, texture coordinates, material, face.
void WriteObjStandIn(const std::string& path, const GlbScene& scene) {
  std::string text = "#converted from Brushwright by Brushwright\r\nmtllib level.mtl\r\n\r\n";
  std::int32_t base = 1;
  for (const GlbGroup& group : scene.Groups) {
    text += "g " + group.Name + "\r\n";
    for (const GlbFace& face : group.Faces) {
      for (const GlbCorner& corner : face.Corners) {
        const Vector& p = scene.Positions[static_cast<std::size_t>(corner.Position)];
        text += "v ";
        for (double value : {p.X, p.Y, p.Z}) {
          text += ' ';
          AppendNumberText(text, value);
        }
        text += "\r\n";
      }
      text += "\r\n";
      for (const GlbCorner& corner : face.Corners) {
        text += "vt  ";
        AppendNumberText(text, corner.U);
        text += ' ';
        AppendNumberText(text, corner.V);
        text += "\r\n";
      }
      text += "\r\nusemtl " + scene.Materials[static_cast<std::size_t>(face.Material)].Name;
      text += "\r\nf ";
      for (std::size_t k = 0; k < face.Corners.size(); ++k, ++base) {
        text += ' ';
        AppendNumberText(text, base);
        text += '/';
        AppendNumberText(text, base);
      }
      text += "\r\n\r\n";
    }
  }
  WriteFileText(path, text, false);
}

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
  const GlbScene scene =
      BoxLevel(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const std::string path = OutputPath("level.obj");
  for (auto _ : state) WriteObjStandIn(path, scene);
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
  std::filesystem::remove(path);
}
BENCHMARK(BM_WriteObj)->Apply(LevelSizes);

void BM_WriteGlb(benchmark::State& state) {
  const GlbScene scene =
      BoxLevel(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const std::string path = OutputPath("level.glb");
  const PngEncoder no_images = [](const Image&) { return std::string(); };
  for (auto _ : state) WriteGlb(path, scene, no_images);
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
  std::filesystem::remove(path);
}
BENCHMARK(BM_WriteGlb)->Apply(LevelSizes);

}  // namespace
}  // namespace brushwright
