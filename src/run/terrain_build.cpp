// Finds each terrain's height map and layers in packages, builds its faces and bakes its image.
#include "run/terrain_build.h"

#include <deque>
#include <set>
#include <utility>

#include "image/image_file.h"
#include "platform/platform.h"
#include "run/texture_files.h"
#include "terrain/terrain_bake.h"
#include "terrain/terrain_mesh.h"
#include "text/file_text.h"
#include "text/key_readers.h"
#include "texture/height_map.h"
#include "texture/package_texture.h"
#include "texture/texture_index.h"

namespace brushwright {

namespace {

// The package the baked image's texture name puts it in: the map's own objects.
constexpr std::string_view kBakedPackage = "MyLevel.";
// The name a terrain without one of its own takes, numbered.
constexpr std::string_view kTerrainClass = "TerrainInfo";

// The packages a T3D text's terrains come from: the search folder's map of the text's base name
// first, as the map it was exported from, then every package of the folder.
void AddSearchPackages(const RunOptions& options, const Level& level, TextureIndex& index,
                       const PackageNotice& notice) {
  if (!options.SearchCopy || options.SearchPath.empty()) return;
  if (!level.FromPackage) {
    const std::string stem = Utf8FromPath(PathFromUtf8(options.InputFile).stem());
    // A folder that cannot be listed is named once, by the index's own walk below.
    const auto quiet = [](const std::string&) {};
    for (const std::string& path : PackageFilesBelow(options.SearchPath, quiet)) {
      if (EqualsIgnoringCase(Utf8FromPath(PathFromUtf8(path).stem()), stem)) {
        index.AddPackageFile(path);
        break;
      }
    }
  }
  index.AddFolder(options.SearchPath, notice);
}

// A reference as messages name it: in quotes, unless it carries its own (Texture'Pack.Name').
std::string Named(const std::string& reference) {
  return reference.find('\'') != std::string::npos ? reference : "'" + reference + "'";
}

// The picture of a layer's texture or alpha map; none, with a notice, when it cannot be had.
std::optional<Image> FindPicture(const TextureIndex& index, const std::string& reference,
                                 const std::string& about, std::string_view unsearched,
                                 std::vector<std::string>& notices) {
  const auto notice = [&notices](const std::string& line) { notices.push_back(line); };
  const std::optional<TextureLocation> location = index.Find(reference, notice);
  if (!location) {
    notices.push_back(about + ": " + Named(reference) + " is in none of the packages searched" +
                      std::string(unsearched));
    return std::nullopt;
  }
  DecodedTexture decoded = index.Decode(*location, false);
  if (decoded.Status != TextureStatus::Decoded) {
    notices.push_back(about + ": " + decoded.Problem);
    return std::nullopt;
  }
  return std::move(decoded.Picture);
}

// The terrain's heights, or a Problem saying why there are none.
HeightSamples FindHeights(const TextureIndex& index, const LevelTerrain& terrain,
                          std::string_view unsearched, std::vector<std::string>& notices) {
  HeightSamples heights;
  if (terrain.HeightMap.empty()) {
    heights.Problem = "it names no height map (TerrainMap)";
    return heights;
  }
  const auto notice = [&notices](const std::string& line) { notices.push_back(line); };
  const std::optional<TextureLocation> location = index.Find(terrain.HeightMap, notice);
  if (!location) {
    heights.Problem = "its height map " + Named(terrain.HeightMap) +
                      " is in none of the packages searched" + std::string(unsearched);
    return heights;
  }
  return ReadHeightSamples(index.PackageAt(location->Package), location->Export);
}

// The layers' pictures baked into the terrain's image.
Image BakeLayers(const TextureIndex& index, const LevelTerrain& terrain,
                 const HeightSamples& heights, const std::string& about,
                 std::string_view unsearched, std::vector<std::string>& notices) {
  std::deque<Image> pictures;  // stays in place while the layers point into it
  std::vector<BakeLayer> layers;
  for (const TerrainLayer& layer : terrain.Layers) {
    std::optional<Image> texture = FindPicture(index, layer.Texture, about, unsearched, notices);
    if (!texture) continue;
    const Image* alpha_map = nullptr;
    if (!layer.AlphaMap.empty()) {
      // A layer whose alpha map is missing would cover the whole terrain: it is left out.
      std::optional<Image> alpha = FindPicture(index, layer.AlphaMap, about, unsearched, notices);
      if (!alpha) continue;
      alpha_map = &pictures.emplace_back(std::move(*alpha));
    }
    layers.push_back(BakeLayer{&pictures.emplace_back(std::move(*texture)), alpha_map, layer.UScale,
                               layer.VScale});
  }
  return BakeTerrainLayers(terrain, heights.Width, heights.Height, layers);
}

}  // namespace

std::optional<FoundTexture> BakedTextureSource::Find(const std::string& name, bool) {
  const auto image = images_.find(name);
  if (image == images_.end() || !IsSafeFileName(name)) return std::nullopt;
  FoundTexture found;
  found.Where = TexturePathFile(options_.OutputFile, name, options_.TextureType);
  found.FileBytes = EncodeImage(image->second, texture_format_);
  found.Picture = image->second;
  if (IsPngFile(found.FileBytes)) found.PngBytes = found.FileBytes;
  return found;
}

TerrainOutcome AddTerrains(const Level& level, const RunOptions& options,
                           std::int32_t first_face_number, Mesh& mesh, BakedTextureSource& baked) {
  TerrainOutcome outcome;
  if (level.Terrains.empty()) return outcome;
  TextureIndex index;
  const auto notice = [&outcome](const std::string& line) { outcome.Notices.push_back(line); };
  if (level.FromPackage) index.AddPackageFile(options.InputFile);
  AddSearchPackages(options, level, index, notice);

  std::int32_t face_number = first_face_number;
  // Without a search folder only the map itself was searched: the notices say so.
  const std::string_view unsearched =
      options.SearchCopy && !options.SearchPath.empty() ? "" : " (no search folder was given)";
  std::set<std::string> names;
  for (LevelTerrain terrain : level.Terrains) {
    // Each terrain's group and image need a name of their own: a text may leave it out.
    if (terrain.Name.empty() || names.contains(terrain.Name)) {
      terrain.Name = std::string(kTerrainClass) + std::to_string(names.size());
    }
    names.insert(terrain.Name);
    const std::string about = "'" + options.InputFile + "', terrain '" + terrain.Name + "'";
    HeightSamples heights = FindHeights(index, terrain, unsearched, outcome.Notices);
    if (heights.Problem.empty()) heights.Problem = TerrainProblem(terrain, heights);
    if (!heights.Problem.empty()) {
      outcome.Notices.push_back(about + " is left out: " + heights.Problem);
      continue;
    }
    const std::string texture = std::string(kBakedPackage) + terrain.Name;
    Image image = BakeLayers(index, terrain, heights, about, unsearched, outcome.Notices);
    outcome.Faces +=
        AddTerrainFaces(terrain, heights, texture, face_number++, image.Width, image.Height, mesh);
    baked.Add(texture, std::move(image));
    ++outcome.Terrains;
  }
  return outcome;
}

}  // namespace brushwright
