// Builds a terrain's faces from its height map and bitmaps.
#include "terrain/terrain_mesh.h"

#include <array>
#include <cmath>

namespace brushwright {

namespace {

// The height map's middle value, the actor's own height; and the step of Scale.Z it stands for.
constexpr double kHeightMiddle = 32768;
constexpr double kHeightUnits = 256;
constexpr std::int64_t kBitsPerWord = 32;

// The bit of quad (x, y), as both bitmaps number it.
bool QuadBit(const std::vector<std::uint32_t>& words, std::int64_t bit) {
  return (words[static_cast<std::size_t>(bit / kBitsPerWord)] >> (bit % kBitsPerWord)) & 1u;
}

// The words a bitmap needs to hold a bit for every quad: the last quad's bit included.
std::int64_t NeededWords(const HeightSamples& heights) {
  const std::int64_t last_bit =
      (heights.Width - 2) + std::int64_t{heights.Height - 2} * heights.Width;
  return last_bit / kBitsPerWord + 1;
}

std::string BitmapProblem(const std::vector<std::uint32_t>& words, std::string_view name,
                          const HeightSamples& heights) {
  if (words.empty()) return "";
  const std::int64_t needed = NeededWords(heights);
  if (static_cast<std::int64_t>(words.size()) >= needed) return "";
  return "its " + std::string(name) + " holds " + std::to_string(words.size()) + " words; its " +
         std::to_string(heights.Width) + " x " + std::to_string(heights.Height) +
         " height map needs " + std::to_string(needed);
}

Vector VertexPosition(const LevelTerrain& terrain, const HeightSamples& heights, std::int32_t x,
                      std::int32_t y) {
  const double h = heights.Values[static_cast<std::size_t>(x + std::int64_t{y} * heights.Width)];
  return Vector{terrain.Location.X + (x - heights.Width / 2) * terrain.Scale.X,
                terrain.Location.Y + (y - heights.Height / 2) * terrain.Scale.Y,
                terrain.Location.Z + (h - kHeightMiddle) * terrain.Scale.Z / kHeightUnits};
}

}  // namespace

std::string TerrainProblem(const LevelTerrain& terrain, const HeightSamples& heights) {
  if (heights.Width < 2 || heights.Height < 2) {
    return "its height map is " + std::to_string(heights.Width) + " x " +
           std::to_string(heights.Height) + " samples, too few for one quad";
  }
  if (heights.Values.size() !=
      static_cast<std::size_t>(std::int64_t{heights.Width} * heights.Height)) {
    return "its height map holds " + std::to_string(heights.Values.size()) + " samples, not " +
           std::to_string(heights.Width) + " x " + std::to_string(heights.Height);
  }
  if (terrain.Scale.X == 0 || terrain.Scale.Y == 0) {
    return "its TerrainScale is 0 along X or Y";
  }
  for (const double value : {terrain.Scale.X, terrain.Scale.Y, terrain.Scale.Z, terrain.Location.X,
                             terrain.Location.Y, terrain.Location.Z}) {
    if (!std::isfinite(value)) return "its TerrainScale or Location is not a finite number";
  }
  if (std::string problem = BitmapProblem(terrain.QuadVisibility, "QuadVisibilityBitmap", heights);
      !problem.empty()) {
    return problem;
  }
  return BitmapProblem(terrain.EdgeTurn, "EdgeTurnBitmap", heights);
}

std::int32_t AddTerrainFaces(const LevelTerrain& terrain, const HeightSamples& heights,
                             const std::string& texture, std::int32_t face_number,
                             std::int32_t image_width, std::int32_t image_height, Mesh& mesh) {
  const std::int32_t width = heights.Width;
  const std::int32_t height = heights.Height;

  // The surface: its texture's U along X and V along Y, one image over the vertices' extent.
  MeshSurface surface;
  surface.Texture = texture;
  surface.Number = face_number;
  surface.Axes.Origin = VertexPosition(terrain, heights, 0, 0);
  surface.Axes.Normal = Vector{0, 0, 1};
  surface.Axes.TextureU = Vector{image_width / ((width - 1) * terrain.Scale.X), 0, 0};
  surface.Axes.TextureV = Vector{0, image_height / ((height - 1) * terrain.Scale.Y), 0};
  mesh.Surfaces.push_back(surface);
  const auto surface_index = static_cast<std::int32_t>(mesh.Surfaces.size() - 1);
  MeshGroup& group = mesh.Groups.emplace_back(MeshGroup{terrain.Name, {}, {}});

  // Shared positions: every vertex once, row by row, before its faces use it.
  const auto first = static_cast<std::int32_t>(mesh.Positions.size());
  if (mesh.SharedPositions) {
    for (std::int32_t y = 0; y < height; ++y) {
      for (std::int32_t x = 0; x < width; ++x) {
        mesh.Positions.push_back(VertexPosition(terrain, heights, x, y));
      }
    }
  }
  const auto corner = [&](std::int32_t x, std::int32_t y) {
    if (mesh.SharedPositions) return MeshCorner{first + x + y * width};
    mesh.Positions.push_back(VertexPosition(terrain, heights, x, y));
    return MeshCorner{static_cast<std::int32_t>(mesh.Positions.size() - 1)};
  };
  const auto triangle = [&](std::array<std::array<std::int32_t, 2>, 3> at) {
    MeshFace& face = group.Faces.emplace_back();
    face.Surface = surface_index;
    for (const auto& [x, y] : at) face.Corners.push_back(corner(x, y));
  };

  // Two triangles per shown quad, turning up (+Z): the diagonal from (x, y) to (x + 1, y + 1),
  // or the other one where the edge is turned.
  std::int32_t faces = 0;
  for (std::int32_t y = 0; y + 1 < height; ++y) {
    for (std::int32_t x = 0; x + 1 < width; ++x) {
      const std::int64_t bit = x + std::int64_t{y} * width;
      if (!terrain.QuadVisibility.empty() && !QuadBit(terrain.QuadVisibility, bit)) continue;
      if (!terrain.EdgeTurn.empty() && QuadBit(terrain.EdgeTurn, bit)) {
        triangle({{{x, y}, {x + 1, y}, {x, y + 1}}});
        triangle({{{x + 1, y}, {x + 1, y + 1}, {x, y + 1}}});
      } else {
        triangle({{{x, y}, {x + 1, y}, {x + 1, y + 1}}});
        triangle({{{x, y}, {x + 1, y + 1}, {x, y + 1}}});
      }
      faces += 2;
    }
  }
  return faces;
}

}  // namespace brushwright
