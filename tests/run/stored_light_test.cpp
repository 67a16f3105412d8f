// Tests of the light a map stores, carried into the built world's mesh.
#include "run/built_world_mesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "light/light_rules.h"
#include "light/stored_shadows.h"
#include "map/package_level.h"
#include "run/level_input.h"
#include "run/placed_actors.h"
#include "run/run_options.h"
#include "run/static_mesh_library.h"
#include "support/test_inputs.h"
#include "text/file_text.h"

namespace brushwright::testing {
namespace {

const std::string kTorpedo = std::string(BRUSHWRIGHT_PACKAGES_DIR) + "/UWRM-Torpedo.ut2";
const std::string kTestMap = std::string(BRUSHWRIGHT_PACKAGES_DIR) + "/test_map.unr";
constexpr std::size_t kLargestInput = std::size_t{1} << 30;

#define SKIP_WITHOUT(file) \
  SKIP_IF_MISSING(std::filesystem::exists(file) ? "" : std::string("no ") + (file))

// A polygon's corners as the key that finds its node again.
using CornerKey = std::vector<double>;

CornerKey KeyOf(const std::vector<Vector>& corners) {
  CornerKey key;
  for (const Vector& p : corners) key.insert(key.end(), {p.X, p.Y, p.Z});
  return key;
}

// Where the light map the build made for a node puts point P on its page, in texels from the
// page's top left: its frame's own level-to-texel mapping, not the render vertices' coordinates.
double Along(const Vector& p, const Vector& axis) {
  return p.X * axis.X + p.Y * axis.Y + p.Z * axis.Z;
}
double FrameX(const BuiltLightMap& frame, const Vector& p) {
  return frame.OffsetX + Along(p, frame.ToX) + frame.BaseX;
}
double FrameY(const BuiltLightMap& frame, const Vector& p) {
  return frame.OffsetY + Along(p, frame.ToY) + frame.BaseY;
}

// Near a texel's edge the two ways may round to either neighbour.
bool NearTexelEdge(double x) {
  return std::abs(x - std::round(x)) < 1e-3;
}

TEST(StoredLight, BuiltWorldFacesReachTheTexelTheirLightMapPlacesThere) {
  SKIP_WITHOUT(kTorpedo);
  const Level level = ReadLevelFile(kTorpedo, kLargestInput, true, true);
  ASSERT_TRUE(level.Bsp.has_value());
  for (const std::string& line : level.PassedOver) {
    EXPECT_EQ(line.find("stored light"), std::string::npos) << line;
  }
  const LevelBsp& bsp = *level.Bsp;
  RunOptions options;
  options.BuiltWorld = true;
  const BuiltMesh built = BuildBuiltWorldMesh(level, bsp, FaceChoice(options, 0), true);
  const Mesh& mesh = built.Faces;
  ASSERT_EQ(mesh.LightPages.size(), 7u);
  for (const LightPage& page : mesh.LightPages) {
    ASSERT_EQ(page.Width, 512);
    ASSERT_EQ(page.Height, 512);
    ASSERT_EQ(page.Texels.size(), 512u * 512u);
  }

  std::map<CornerKey, const BspNode*> node_of;
  for (const BspNode& node : bsp.Nodes) {
    std::vector<Vector> corners;
    for (std::int32_t k = 0; k < node.VertexCount; ++k) {
      corners.push_back(bsp.Points[static_cast<std::size_t>(
          bsp.Vertices[static_cast<std::size_t>(node.FirstVertex + k)])]);
    }
    node_of[KeyOf(corners)] = &node;
  }
  // Points inside each fan triangle of a face, as weights of its three corners.
  const double weights[][3] = {
      {1.0 / 3, 1.0 / 3, 1.0 / 3}, {0.8, 0.1, 0.1}, {0.1, 0.8, 0.1}, {0.1, 0.1, 0.8}};
  int lit_faces = 0;
  int points = 0;
  int same_texel = 0;
  for (const MeshGroup& group : mesh.Groups) {
    for (const MeshFace& face : group.Faces) {
      std::vector<Vector> corners;
      for (const MeshCorner& corner : face.Corners) {
        corners.push_back(mesh.Positions[static_cast<std::size_t>(corner.Position)]);
      }
      const auto found = node_of.find(KeyOf(corners));
      ASSERT_NE(found, node_of.end());
      const BspNode& node = *found->second;
      if (face.LightPage == kNoLightPage) {
        EXPECT_EQ(node.LightMap, kNoLightMap);
        continue;
      }
      ++lit_faces;
      ASSERT_GE(node.LightMap, 0);
      const BuiltLightMap& frame = bsp.LightMaps[static_cast<std::size_t>(node.LightMap)];
      ASSERT_EQ(frame.Page, face.LightPage);
      const LightPage& page = mesh.LightPages[static_cast<std::size_t>(face.LightPage)];
      for (std::size_t k = 1; k + 1 < face.Corners.size(); ++k) {
        const MeshCorner* fan[3] = {&face.Corners[0], &face.Corners[k], &face.Corners[k + 1]};
        for (const auto& w : weights) {
          Vector p;
          double s = 0;
          double t = 0;
          for (int j = 0; j < 3; ++j) {
            const Vector& corner = mesh.Positions[static_cast<std::size_t>(fan[j]->Position)];
            p = VecAdd(p, Vector{corner.X * w[j], corner.Y * w[j], corner.Z * w[j]});
            s += fan[j]->LightS * w[j];
            t += fan[j]->LightT * w[j];
          }
          const double frame_x = FrameX(frame, p);
          const double frame_y = FrameY(frame, p);
          SCOPED_TRACE(::testing::Message() << "face on surface " << face.Surface << " at " << p.X
                                            << " " << p.Y << " " << p.Z);
          // The texel stays inside the node's own frame on the page.
          EXPECT_GE(frame_x, frame.OffsetX);
          EXPECT_LE(frame_x, frame.OffsetX + frame.SizeX);
          EXPECT_GE(frame_y, frame.OffsetY);
          EXPECT_LE(frame_y, frame.OffsetY + frame.SizeY);
          const auto x = static_cast<std::int32_t>(std::floor(s * page.Width));
          const auto y = static_cast<std::int32_t>(std::floor(t * page.Height));
          ++points;
          if (NearTexelEdge(frame_x) || NearTexelEdge(frame_y)) continue;
          const auto frame_texel = static_cast<std::int32_t>(std::floor(frame_y)) * page.Width +
                                   static_cast<std::int32_t>(std::floor(frame_x));
          const LightTexel& reached = page.Texels[static_cast<std::size_t>(y * page.Width + x)];
          const LightTexel& placed = page.Texels[static_cast<std::size_t>(frame_texel)];
          EXPECT_EQ(y * page.Width + x, frame_texel);
          EXPECT_EQ(reached.R, placed.R);
          EXPECT_EQ(reached.G, placed.G);
          EXPECT_EQ(reached.B, placed.B);
          ++same_texel;
        }
      }
    }
  }
  EXPECT_GT(lit_faces, 100);
  EXPECT_GT(same_texel, points * 9 / 10);
}

TEST(StoredLight, BrokenStoredLightIsNamedAndTheLevelStillReads) {
  SKIP_WITHOUT(kTorpedo);
  const std::string file = ReadFileBytes(kTorpedo);
  std::vector<std::uint8_t> bytes(file.begin(), file.end());
  // The first light-map page's format (DXT3) and its sides of 512: made 66048 wide.
  const std::vector<std::uint8_t> sides = {7, 0, 2, 0, 0, 0, 2, 0, 0};
  const auto at = std::search(bytes.begin(), bytes.end(), sides.begin(), sides.end());
  ASSERT_NE(at, bytes.end());
  at[3] = 1;
  const Level level = ReadPackageLevel(PackageFile::FromBytes("Torpedo.ut2", bytes), true, true);
  ASSERT_TRUE(level.Bsp.has_value());
  EXPECT_TRUE(level.Bsp->LightPages.empty());
  EXPECT_EQ(level.Bsp->Nodes[0].LightPage, kNoLightPage);
  ASSERT_FALSE(level.PassedOver.empty());
  EXPECT_EQ(level.PassedOver.back(),
            "the build's stored light: 'Torpedo.ut2', export 'Model1' (Model): the light-map page "
            "at byte 1592309 is 66048 x 512 texels");
}

TEST(StoredLight, PlacedMeshesTakeTheirInstancesColoursWhenTheyFitTheMesh) {
  SKIP_WITHOUT(kTorpedo);
  Level level = ReadLevelFile(kTorpedo, kLargestInput, false, true);
  ASSERT_EQ(level.MeshActors.size(), 70u);
  ASSERT_EQ(level.MeshActors[0].Name, "StaticMeshActor0");
  const std::vector<LightTexel>& stored = level.MeshActors[0].VertexLight;
  // Its instance's first colours, red, green, blue and alpha: 28 27 23 FF, 21 1F 1C FF.
  ASSERT_EQ(stored.size(), 415u);
  EXPECT_EQ((std::vector<int>{stored[0].R, stored[0].G, stored[0].B, stored[1].R, stored[1].G,
                              stored[1].B}),
            (std::vector<int>{0x28, 0x27, 0x23, 0x21, 0x1F, 0x1C}));
  for (const StaticMeshActorRecord& actor : level.MeshActors) {
    EXPECT_FALSE(actor.VertexLight.empty()) << actor.Name;
  }
  EXPECT_TRUE(
      ReadLevelFile(kTorpedo, kLargestInput, false, false).MeshActors[0].VertexLight.empty());

  // An actor whose colours do not fit its mesh's vertices gets none.
  level.MeshActors[13].VertexLight.pop_back();
  StaticMeshLibrary library(kTorpedo, "", "");
  PlacedKinds kinds;
  kinds.Instanced = true;
  Mesh mesh;
  AddPlacedActors(level, kinds, library, mesh);
  std::map<std::string, const MeshPlacement*> placed;
  for (const MeshPlacement& placement : mesh.Placements) placed[placement.Name] = &placement;
  ASSERT_EQ(placed.size(), 9u);
  EXPECT_EQ(placed["StaticMeshActor0"]->VertexLight.size(), 415u);
  EXPECT_EQ(placed["StaticMeshActor0"]->VertexLight[1].G, 0x1F);
  EXPECT_EQ(placed["StaticMeshActor12"]->VertexLight.size(), 2676u);
  EXPECT_TRUE(placed[level.MeshActors[13].Name]->VertexLight.empty());
}

// Whether every light frame `map` lists leaves texel (u, v) and its eight neighbours dark.
bool DarkAround(const LevelLightMaps& maps, std::int32_t map, std::int32_t u, std::int32_t v) {
  const LightMapIndex& index = maps.Indexes[static_cast<std::size_t>(map)];
  for (std::int32_t light = 0; light < maps.LightCounts[static_cast<std::size_t>(map)]; ++light) {
    for (std::int32_t dv = -1; dv <= 1; ++dv) {
      for (std::int32_t du = -1; du <= 1; ++du) {
        const std::int32_t bit_u = std::clamp(u + du, 0, index.UClamp - 1);
        const std::int32_t bit_v = std::clamp(v + dv, 0, index.VClamp - 1);
        if (StoredBit(maps, index, light, bit_u, bit_v)) return false;
      }
    }
  }
  return true;
}

TEST(StoredLight, FirstGenerationTexelsEveryLightLeavesDarkHoldTheAmbientAlone) {
  SKIP_WITHOUT(kTestMap);
  const Level level = ReadLevelFile(kTestMap, kLargestInput, true, true);
  ASSERT_TRUE(level.Bsp.has_value());
  ASSERT_TRUE(level.LightMaps.has_value());
  const LevelBsp& bsp = *level.Bsp;
  const LevelLightMaps& maps = *level.LightMaps;
  // Its LevelInfo stores no ambient light: the class's defaults, no brightness and white.
  EXPECT_EQ(maps.LevelInfo.AmbientBrightness, 0);
  EXPECT_EQ(maps.LevelInfo.AmbientSaturation, 255);
  EXPECT_EQ(maps.LevelInfo.Brightness, 1);
  RunOptions options;
  options.BuiltWorld = true;
  const Mesh mesh = BuildBuiltWorldMesh(level, bsp, FaceChoice(options, 0), true).Faces;
  ASSERT_FALSE(mesh.LightPages.empty());
  EXPECT_EQ(mesh.LightPages[0].Width, 1024);

  std::map<CornerKey, const BspNode*> node_of;
  for (const BspNode& node : bsp.Nodes) {
    std::vector<Vector> corners;
    for (std::int32_t k = 0; k < node.VertexCount; ++k) {
      corners.push_back(bsp.Points[static_cast<std::size_t>(
          bsp.Vertices[static_cast<std::size_t>(node.FirstVertex + k)])]);
    }
    node_of[KeyOf(corners)] = &node;
  }
  int dark = 0;
  int brighter = 0;
  for (const MeshGroup& group : mesh.Groups) {
    for (const MeshFace& face : group.Faces) {
      if (face.LightPage == kNoLightPage) continue;
      std::vector<Vector> corners;
      for (const MeshCorner& corner : face.Corners) {
        corners.push_back(mesh.Positions[static_cast<std::size_t>(corner.Position)]);
      }
      const auto found = node_of.find(KeyOf(corners));
      ASSERT_NE(found, node_of.end());
      const std::int32_t s = found->second->Surface;
      const std::int32_t map = maps.SurfaceMaps[static_cast<std::size_t>(s)];
      ASSERT_NE(map, kNoLightMap);
      const LightMapIndex& index = maps.Indexes[static_cast<std::size_t>(map)];
      const std::int32_t zone = maps.SurfaceZones[static_cast<std::size_t>(s)];
      const ZoneLightRecord& record = static_cast<std::size_t>(zone) < maps.Zones.size()
                                          ? maps.Zones[static_cast<std::size_t>(zone)]
                                          : maps.LevelInfo;
      const LightColour ambient =
          ZoneAmbient(record.AmbientBrightness, record.AmbientHue, record.AmbientSaturation);
      const LightPage& page = mesh.LightPages[static_cast<std::size_t>(face.LightPage)];
      // Where a texel's centre lies, and its place on the page by the corners' coordinates,
      // carried across the face's plane by the first three corners.
      const TexelPlane plane =
          SurfacePlane(bsp, bsp.Surfaces[static_cast<std::size_t>(s)], corners[0]);
      // The fan triangle farthest from a straight line carries the coordinates.
      std::size_t k = 1;
      double det = 0, d11 = 0, d12 = 0, d22 = 0;
      for (std::size_t j = 1; j + 1 < corners.size(); ++j) {
        const Vector a = VecSubtract(corners[j], corners[0]);
        const Vector b = VecSubtract(corners[j + 1], corners[0]);
        const double this_det = Along(a, a) * Along(b, b) - Along(a, b) * Along(a, b);
        if (this_det > det) {
          k = j;
          det = this_det;
          d11 = Along(a, a);
          d12 = Along(a, b);
          d22 = Along(b, b);
        }
      }
      const Vector e1 = VecSubtract(corners[k], corners[0]);
      const Vector e2 = VecSubtract(corners[k + 1], corners[0]);
      const MeshCorner* c[3] = {&face.Corners[0], &face.Corners[k], &face.Corners[k + 1]};
      for (std::int32_t v = 0; v < index.VClamp; ++v) {
        for (std::int32_t u = 0; u < index.UClamp; ++u) {
          const std::optional<Vector> p = LightMapTexelPoint(plane, index, u + 0.5, v + 0.5);
          ASSERT_TRUE(p.has_value());
          const Vector r = VecSubtract(*p, corners[0]);
          const double b1 = (d22 * Along(r, e1) - d12 * Along(r, e2)) / det;
          const double b2 = (d11 * Along(r, e2) - d12 * Along(r, e1)) / det;
          const double light_s = c[0]->LightS + b1 * (c[1]->LightS - c[0]->LightS) +
                                 b2 * (c[2]->LightS - c[0]->LightS);
          const double light_t = c[0]->LightT + b1 * (c[1]->LightT - c[0]->LightT) +
                                 b2 * (c[2]->LightT - c[0]->LightT);
          const auto x = static_cast<std::int32_t>(std::floor(light_s * page.Width));
          const auto y = static_cast<std::int32_t>(std::floor(light_t * page.Height));
          ASSERT_TRUE(x >= 0 && x < page.Width && y >= 0 && y < page.Height);
          const LightTexel& texel = page.Texels[static_cast<std::size_t>(y * page.Width + x)];
          const auto byte = [](double light) {
            return static_cast<int>(std::clamp(std::round(light * 255), 0.0, 255.0));
          };
          if (DarkAround(maps, map, u, v)) {
            ++dark;
            EXPECT_EQ((std::vector<int>{texel.R, texel.G, texel.B}),
                      (std::vector<int>{byte(ambient.R), byte(ambient.G), byte(ambient.B)}))
                << "texel " << u << ", " << v << " of surface " << s;
          } else if (texel.R + texel.G + texel.B >
                     byte(ambient.R) + byte(ambient.G) + byte(ambient.B)) {
            ++brighter;
          }
        }
      }
    }
  }
  EXPECT_GT(dark, 100);
  EXPECT_GT(brighter, 1000);
}

}  // namespace
}  // namespace brushwright::testing
