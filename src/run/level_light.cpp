// The run's light phase: light-map pages for the mesh's faces, light per vertex for placements.
#include "run/level_light.h"

#include <algorithm>
#include <cmath>

#include "light/light_atlas.h"
#include "light/light_rules.h"
#include "light/mesh_light.h"
#include "light/shadow_rays.h"

namespace brushwright {

namespace {

// How far off its surface a vertex's ray starts, in units, clear of the surface itself.
constexpr double kRayLift = 1;

// The level's brightness, which every light's colour is times: the LevelInfo's.
double LevelBrightness(const Level& level) {
  for (const ZoneLightRecord& zone : level.Zones) {
    if (IsLevelInfoClass(zone.Class)) return zone.Brightness;
  }
  return 1;
}

// Where a placement puts a point of its shape in the level.
Vector Placed(const MeshPlacement& placement, const Vector& p) {
  const Vector scaled{p.X * placement.Scale.X, p.Y * placement.Scale.Y, p.Z * placement.Scale.Z};
  return VecAdd(Mat3Transform(placement.Pose.Rotation, scaled), placement.Pose.Translation);
}

// Each placement's shape as the level holds it: its positions placed.
std::vector<std::vector<Vector>> PlacedPositions(const Mesh& mesh) {
  std::vector<std::vector<Vector>> placed;
  placed.reserve(mesh.Placements.size());
  for (const MeshPlacement& placement : mesh.Placements) {
    std::vector<Vector>& points = placed.emplace_back();
    const MeshShape& shape = mesh.Shapes[static_cast<std::size_t>(placement.Shape)];
    points.reserve(shape.Positions.size());
    for (const Vector& p : shape.Positions) points.push_back(Placed(placement, p));
  }
  return placed;
}

// The placed shapes' faces as triangles, which cast shadows on the world and on each other.
std::vector<Triangle> PlacedTriangles(const Mesh& mesh,
                                      const std::vector<std::vector<Vector>>& placed) {
  std::vector<Triangle> triangles;
  for (std::size_t n = 0; n < mesh.Placements.size(); ++n) {
    const MeshShape& shape = mesh.Shapes[static_cast<std::size_t>(mesh.Placements[n].Shape)];
    for (const MeshFace& face : shape.Faces) {
      for (std::size_t i = 2; i < face.Corners.size(); ++i) {
        const auto at = [&](std::size_t c) {
          return placed[n][static_cast<std::size_t>(face.Corners[c].Position)];
        };
        triangles.push_back({at(0), at(i - 1), at(i)});
      }
    }
  }
  return triangles;
}

// The frames' light laid onto pages trimmed to what they hold, each frame's border a copy of
// its edge so that filtering at the edge stays on the face's own light.
std::vector<LightPage> LightPagesOf(const MeshLight& light) {
  const LightAtlas& atlas = light.Atlas;
  std::vector<LightPage> pages(static_cast<std::size_t>(atlas.Pages));
  for (std::size_t i = 0; i < light.Faces.size(); ++i) {
    const AtlasPlace& place = atlas.Places[i];
    LightPage& page = pages[static_cast<std::size_t>(place.Page)];
    page.Width = std::max(page.Width, place.X + light.Faces[i].Light.Width + kAtlasBorder);
    page.Height = std::max(page.Height, place.Y + light.Faces[i].Light.Height + kAtlasBorder);
  }
  for (LightPage& page : pages) {
    page.Texels.resize(static_cast<std::size_t>(page.Width) *
                       static_cast<std::size_t>(page.Height));
  }
  for (std::size_t i = 0; i < light.Faces.size(); ++i) {
    const AtlasPlace& place = atlas.Places[i];
    PlaceFrameLight(light.Faces[i].Light, place, pages[static_cast<std::size_t>(place.Page)]);
  }
  return pages;
}

// Each lit face's page and its corners' places on it.
void PlaceCorners(const MeshLight& light, const std::vector<LightPage>& pages,
                  std::int32_t first_page, Mesh& mesh) {
  for (std::size_t i = 0; i < light.Faces.size(); ++i) {
    const FaceLight& lit = light.Faces[i];
    const AtlasPlace& place = light.Atlas.Places[i];
    const LightPage& page = pages[static_cast<std::size_t>(place.Page)];
    MeshFace& face =
        mesh.Groups[static_cast<std::size_t>(lit.Group)].Faces[static_cast<std::size_t>(lit.Face)];
    face.LightPage = first_page + place.Page;
    for (MeshCorner& corner : face.Corners) {
      const Vector offset =
          VecSubtract(mesh.Positions[static_cast<std::size_t>(corner.Position)], lit.Plane.Base);
      const double u = (VecDot(offset, lit.Plane.TextureU) - lit.Frame.Pan.X) / lit.Frame.UScale;
      const double v = (VecDot(offset, lit.Plane.TextureV) - lit.Frame.Pan.Y) / lit.Frame.VScale;
      corner.LightS = static_cast<float>((place.X + u) / page.Width);
      corner.LightT = static_cast<float>((place.Y + v) / page.Height);
    }
  }
}

// The normal at each position of a placed shape: the sum of its faces' area-weighted normals
// there, as the level holds them (a mirroring placement keeps its faces facing out).
std::vector<Vector> VertexNormals(const MeshShape& shape, const MeshPlacement& placement,
                                  const std::vector<Vector>& points) {
  const bool mirrored = placement.Scale.X * placement.Scale.Y * placement.Scale.Z < 0;
  std::vector<Vector> normals(points.size());
  for (const MeshFace& face : shape.Faces) {
    Vector sum;
    const auto at = [&](std::size_t c) {
      return points[static_cast<std::size_t>(face.Corners[c].Position)];
    };
    for (std::size_t i = 2; i < face.Corners.size(); ++i) {
      sum = VecAdd(sum, VecCross(VecSubtract(at(i - 1), at(0)), VecSubtract(at(i), at(i - 1))));
    }
    if (mirrored) sum = VecScale(sum, -1);
    for (const MeshCorner& corner : face.Corners) {
      Vector& normal = normals[static_cast<std::size_t>(corner.Position)];
      normal = VecAdd(normal, sum);
    }
  }
  for (Vector& normal : normals) normal = VecNormalize(normal);
  return normals;
}

// One placement's light at each position of its shape.
std::vector<LightTexel> VertexLightOf(const MeshShape& shape, const MeshPlacement& placement,
                                      const std::vector<Vector>& points,
                                      const std::vector<LightSource>& lights,
                                      const LightColour& ambient, const ShadowCaster& caster,
                                      double sun_distance, std::int64_t& rays) {
  const std::vector<Vector> normals = VertexNormals(shape, placement, points);
  std::vector<LightTexel> light;
  light.reserve(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    LightColour sum = ambient;
    const Vector from = VecAdd(points[i], VecScale(normals[i], kRayLift));
    for (const LightSource& source : lights) {
      const double share = LightShare(source, points[i], normals[i]);
      if (share <= 0) continue;
      const Vector to = source.Shape == LightShape::Sun
                            ? VecAdd(from, VecScale(source.Direction, -sun_distance))
                            : source.Location;
      ++rays;
      if (!caster.Blocked(from, to)) sum = sum + source.Colour * share;
    }
    light.push_back(LightTexelOf(sum));
  }
  return light;
}

}  // namespace

std::vector<LightSource> LevelLightSources(const Level& level) {
  const double brightness = LevelBrightness(level);
  std::vector<LightSource> lights;
  for (const LightRecord& record : level.Actors.Lights) {
    lights.push_back(LightSourceOf(record, brightness));
  }
  for (const SunlightRecord& sun : level.Suns) {
    LightSource& source = lights.emplace_back();
    source.Location = sun.Location;
    source.Direction = LightDirection(sun.Rotation);
    source.Colour =
        LightColourOf(sun.LightHue, sun.LightSaturation, sun.LightBrightness, brightness);
    source.Shape = LightShape::Sun;
  }
  return lights;
}

LightColour LevelAmbient(const Level& level) {
  const ZoneLightRecord* chosen = nullptr;
  for (const ZoneLightRecord& zone : level.Zones) {
    if (zone.AmbientBrightness <= 0) continue;
    if (IsLevelInfoClass(zone.Class)) {
      chosen = &zone;
      break;
    }
    if (chosen == nullptr) chosen = &zone;
  }
  if (chosen == nullptr) return {};
  return ZoneAmbient(chosen->AmbientBrightness, chosen->AmbientHue, chosen->AmbientSaturation);
}

LevelLight LightLevel(const Level& level, Mesh& mesh, const std::function<void()>& before_face) {
  LevelLight outcome;
  const std::vector<LightSource> lights = LevelLightSources(level);
  outcome.Lights = static_cast<std::int32_t>(lights.size());
  const std::vector<std::vector<Vector>> placed = PlacedPositions(mesh);
  MeshLightSettings settings;
  settings.Ambient = LevelAmbient(level);
  settings.OtherCasters = PlacedTriangles(mesh, placed);
  settings.BeforeFace = before_face;
  const MeshLight light = LightMesh(mesh, lights, settings);
  outcome.Faces = static_cast<std::int32_t>(light.Faces.size());
  outcome.Rays = light.Rays;
  const std::vector<LightPage> pages = LightPagesOf(light);
  const auto first_page = static_cast<std::int32_t>(mesh.LightPages.size());
  PlaceCorners(light, pages, first_page, mesh);
  for (const LightPage& page : pages) {
    outcome.Texels += static_cast<std::int64_t>(page.Texels.size());
    mesh.LightPages.push_back(page);
  }
  outcome.Pages = static_cast<std::int32_t>(pages.size());

  // The placements the level stores no light for, lit per vertex through the same triangles as
  // the faces.
  std::vector<std::size_t> unlit;
  for (std::size_t n = 0; n < mesh.Placements.size(); ++n) {
    if (mesh.Placements[n].VertexLight.empty()) unlit.push_back(n);
  }
  if (unlit.empty()) return outcome;
  const ShadowCaster caster(MeshShadowTriangles(mesh, settings.OtherCasters));
  std::vector<std::int64_t> rays(unlit.size(), 0);
  ShareAmongCores(unlit.size(), before_face, [&](std::size_t i) {
    MeshPlacement& placement = mesh.Placements[unlit[i]];
    const MeshShape& shape = mesh.Shapes[static_cast<std::size_t>(placement.Shape)];
    placement.VertexLight = VertexLightOf(shape, placement, placed[unlit[i]], lights,
                                          settings.Ambient, caster, settings.SunDistance, rays[i]);
  });
  for (const std::int64_t count : rays) outcome.Rays += count;
  outcome.Placements = static_cast<std::int32_t>(unlit.size());
  return outcome;
}

}  // namespace brushwright
