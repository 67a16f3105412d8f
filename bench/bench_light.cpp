// Light: shadow rays from every light-map texel of a real first-generation map to its lights
// (texels, lights and rays per second), building the tree the rays walk, lighting the map's
// whole built world from scratch, the run's light phase over the world of real T3D exports, and
// the baking of that light into its textures.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "light/mesh_light.h"
#include "light/stored_shadows.h"
#include "map/package_level.h"
#include "package/package_file.h"
#include "run/brush_choice.h"
#include "run/built_world_mesh.h"
#include "run/face_choice.h"
#include "run/level_input.h"
#include "run/level_light.h"
#include "run/light_bake.h"
#include "run/mesh_build.h"
#include "vecmath/coordinates.h"

namespace {

using namespace brushwright;

const std::string kTestMap = std::string(BRUSHWRIGHT_PACKAGES_DIR) + "/test_map.unr";

struct LitMap {
  Level Read;
  LevelLightMaps Maps;
};

// Read once for the program; null when the sample map is missing.
const LitMap* TestMap() {
  static const LitMap* map = []() -> const LitMap* {
    if (!std::filesystem::exists(kTestMap)) return nullptr;
    const PackageFile package = PackageFile::Open(kTestMap);
    return new LitMap{ReadPackageLevel(package, true), ReadPackageLightMaps(package)};
  }();
  return map;
}

void BM_ShadowRaysOfTestMap(benchmark::State& state) {
  const LitMap* map = TestMap();
  if (!map) {
    state.SkipWithError(("no " + kTestMap).c_str());
    return;
  }
  const ShadowCaster caster(BspTriangles(*map->Read.Bsp));
  ShadowAgreement agreement;
  for (auto _ : state) {
    agreement = CompareStoredShadows(*map->Read.Bsp, map->Maps, caster, 0.5);
    benchmark::DoNotOptimize(agreement);
  }
  std::int64_t texels = 0;
  for (const LightMapIndex& index : map->Maps.Indexes) {
    texels += std::int64_t{index.UClamp} * index.VClamp;
  }
  const std::set<std::int32_t> lights(map->Maps.Lights.begin(), map->Maps.Lights.end());
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["texels"] = static_cast<double>(texels);
  state.counters["lights"] = static_cast<double>(lights.size() - lights.count(0));
  state.counters["agree_pct"] = 100 * agreement.Share();
  state.counters["texels_per_s"] =
      benchmark::Counter(static_cast<double>(texels) * iterations, benchmark::Counter::kIsRate);
  state.counters["rays_per_s"] = benchmark::Counter(
      static_cast<double>(agreement.Rays) * iterations, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ShadowRaysOfTestMap)->Unit(benchmark::kMillisecond);

void BM_ShadowTreeOfTestMap(benchmark::State& state) {
  const LitMap* map = TestMap();
  if (!map) {
    state.SkipWithError(("no " + kTestMap).c_str());
    return;
  }
  for (auto _ : state) {
    const ShadowCaster caster(BspTriangles(*map->Read.Bsp));
    benchmark::DoNotOptimize(caster.TriangleCount());
  }
}
BENCHMARK(BM_ShadowTreeOfTestMap)->Unit(benchmark::kMicrosecond);

// The whole built world of test_map.unr lit from scratch by its lights, as a T3D export's
// world would be: a frame of 16-unit texels on every face, shadow rays through every face.
void BM_LightBuiltWorldOfTestMap(benchmark::State& state) {
  const LitMap* map = TestMap();
  if (!map) {
    state.SkipWithError(("no " + kTestMap).c_str());
    return;
  }
  const Mesh mesh =
      BuildBuiltWorldMesh(map->Read, *map->Read.Bsp, FaceChoice(RunOptions{}, 1), true).Faces;
  std::vector<LightSource> lights;
  for (const LightRecord& light : map->Read.Actors.Lights)
    lights.push_back(LightSourceOf(light, 1));
  MeshLight light;
  for (auto _ : state) {
    light = LightMesh(mesh, lights, MeshLightSettings{});
    benchmark::DoNotOptimize(light.Rays);
  }
  std::int64_t texels = 0;
  for (const FaceLight& face : light.Faces)
    texels += std::int64_t{face.Light.Width} * face.Light.Height;
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["faces"] = static_cast<double>(light.Faces.size());
  state.counters["texels"] = static_cast<double>(texels);
  state.counters["lights"] = static_cast<double>(lights.size());
  state.counters["pages"] = light.Atlas.Pages;
  state.counters["rays_per_s"] =
      benchmark::Counter(static_cast<double>(light.Rays) * iterations, benchmark::Counter::kIsRate);
  state.counters["texels_per_s"] =
      benchmark::Counter(static_cast<double>(texels) * iterations, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LightBuiltWorldOfTestMap)->Unit(benchmark::kMillisecond);

// A T3D export's level and the world its brushes build, as a run with --world makes them.
struct T3dWorld {
  Level Read;
  Mesh World;
};

const T3dWorld* CorpusWorld(const std::string& path) {
  if (!std::filesystem::exists(path)) return nullptr;
  RunOptions options;
  options.BuildWorld = true;
  auto* world = new T3dWorld{ReadLevelFile(path, std::size_t{1} << 30, false, false), {}};
  const BrushChoice choice =
      ChooseAndPlaceBrushes(std::move(world->Read.Brushes), world->Read.HasActors, options);
  world->World = BuildWorldMesh(choice, FaceChoice(options, 1), true).Faces;
  return world;
}

// The run's whole light phase over a T3D export's world (--world --light): every face's frame
// lit by the level's lights with shadow rays, packed onto pages. Counters: lights, faces,
// texels on the pages, rays, their rates, and the pages' memory (texels x 3 bytes), which the
// atlas bounds.
void LightCorpusWorld(benchmark::State& state, const std::string& name) {
  const std::string path = std::string(BRUSHWRIGHT_CORPUS_DIR) + "/" + name;
  static std::map<std::string, const T3dWorld*> worlds;
  if (!worlds.contains(path)) worlds[path] = CorpusWorld(path);
  const T3dWorld* world = worlds[path];
  if (!world) {
    state.SkipWithError(("no " + path).c_str());
    return;
  }
  LevelLight light;
  for (auto _ : state) {
    Mesh mesh = world->World;
    light = LightLevel(world->Read, mesh, {});
    benchmark::DoNotOptimize(mesh.LightPages.data());
  }
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["lights"] = light.Lights;
  state.counters["faces"] = light.Faces;
  state.counters["pages"] = light.Pages;
  state.counters["texels"] = static_cast<double>(light.Texels);
  state.counters["rays"] = static_cast<double>(light.Rays);
  state.counters["page_bytes"] = static_cast<double>(light.Texels * 3);
  state.counters["rays_per_s"] =
      benchmark::Counter(static_cast<double>(light.Rays) * iterations, benchmark::Counter::kIsRate);
  state.counters["texels_per_s"] = benchmark::Counter(
      static_cast<double>(light.Texels) * iterations, benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(LightCorpusWorld, test_map, std::string("test_map.t3d"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(LightCorpusWorld, DM_Amos, std::string("DM_Amos.t3d"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(LightCorpusWorld, map_ue2, std::string("map-ue2.t3d"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Textures for a baked world: a 256 x 256 picture for every texture of the world, and the
// corners' texture coordinates from them, as the textures phase gives them.
RunMaterials TexturedWorld(Mesh& mesh) {
  constexpr std::int16_t kSize = 256;
  RunMaterials materials;
  Image picture;
  picture.Width = kSize;
  picture.Height = kSize;
  for (int i = 0; i < kSize * kSize; ++i) {
    picture.Rgba.insert(picture.Rgba.end(), {static_cast<std::uint8_t>(i * 7),
                                             static_cast<std::uint8_t>(i / kSize), 90, 255});
  }
  Matrix4 matrix_in_force;
  for (MeshSurface& surface : mesh.Surfaces) {
    if (surface.Texture.empty()) continue;
    RegisterTexture(materials.Table, surface.Texture, kSize, kSize, surface.Flags);
    surface.Material = FindTexture(materials.Table, surface.Texture, surface.Flags);
    materials.Pictures[surface.Texture].Picture = picture;
  }
  for (MeshGroup& group : mesh.Groups) {
    for (MeshFace& face : group.Faces) {
      const MeshSurface& surface = mesh.Surfaces[static_cast<std::size_t>(face.Surface)];
      const TextureFrame frame =
          MakeTextureFrame(surface.Axes, kSize, kSize, surface.Number, matrix_in_force);
      for (MeshCorner& corner : face.Corners) {
        const TexturePoint point =
            TextureCoordinatesAt(frame, mesh.Positions[static_cast<std::size_t>(corner.Position)]);
        corner.U = point.U;
        corner.V = point.V;
      }
    }
  }
  return materials;
}

// The bake of a T3D export's lit world (--world --light bake) at the default 4 units a texel:
// every lit face's frame drawn from its texture and light onto pages, the pages handed over one
// at a time (not encoded here). Counters: baked texels and pages, texels per second, and the
// largest page's pixels in memory at once.
void BakeCorpusWorld(benchmark::State& state, const std::string& name) {
  const std::string path = std::string(BRUSHWRIGHT_CORPUS_DIR) + "/" + name;
  const T3dWorld* world = CorpusWorld(path);
  if (!world) {
    state.SkipWithError(("no " + path).c_str());
    return;
  }
  Mesh lit = world->World;
  LightLevel(world->Read, lit, {});
  const RunMaterials textures = TexturedWorld(lit);
  BakedLight baked;
  std::int64_t largest_page = 0;
  for (auto _ : state) {
    Mesh mesh = lit;
    baked = BakeLight(mesh, textures, LightBakeSettings{}, [&](const std::string&, Image page) {
      largest_page = std::max<std::int64_t>(largest_page, std::int64_t{page.Width} * page.Height);
      benchmark::DoNotOptimize(page.Rgba.data());
    });
  }
  state.counters["pages"] = baked.Pages;
  state.counters["texels"] = static_cast<double>(baked.Texels);
  state.counters["page_bytes"] = static_cast<double>(largest_page * 4);
  state.counters["texels_per_s"] = benchmark::Counter(
      static_cast<double>(baked.Texels) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(BakeCorpusWorld, test_map, std::string("test_map.t3d"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BakeCorpusWorld, DM_Amos, std::string("DM_Amos.t3d"))
    ->Unit(benchmark::kMillisecond);

}  // namespace
