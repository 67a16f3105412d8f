// The light of a whole mesh, by shadow rays through its own faces.
#include "light/mesh_light.h"

#include <algorithm>
#include <cmath>

namespace brushwright {

namespace {

struct FaceBounds {
  Vector Low;
  Vector High;
};

std::vector<Vector> FaceCorners(const Mesh& mesh, const MeshFace& face) {
  std::vector<Vector> corners;
  corners.reserve(face.Corners.size());
  for (const MeshCorner& corner : face.Corners) {
    corners.push_back(mesh.Positions[static_cast<std::size_t>(corner.Position)]);
  }
  return corners;
}

std::vector<Triangle> MeshTriangles(const Mesh& mesh) {
  std::vector<Triangle> triangles;
  for (const MeshGroup& group : mesh.Groups) {
    for (const MeshFace& face : group.Faces) {
      const std::vector<Vector> corners = FaceCorners(mesh, face);
      for (std::size_t i = 2; i < corners.size(); ++i) {
        triangles.push_back({corners[0], corners[i - 1], corners[i]});
      }
    }
  }
  return triangles;
}

// The side a face is seen from: (c1 - c0) x (c2 - c1) summed over its fan, so that a first
// corner on a straight run does not zero it.
Vector FaceNormal(const std::vector<Vector>& corners) {
  Vector sum;
  for (std::size_t i = 2; i < corners.size(); ++i) {
    sum = VecAdd(sum, VecCross(VecSubtract(corners[i - 1], corners[0]),
                               VecSubtract(corners[i], corners[i - 1])));
  }
  return VecNormalize(sum);
}

FaceBounds BoundsOf(const std::vector<Vector>& corners) {
  FaceBounds bounds{corners[0], corners[0]};
  for (const Vector& p : corners) {
    bounds.Low = {std::min(bounds.Low.X, p.X), std::min(bounds.Low.Y, p.Y),
                  std::min(bounds.Low.Z, p.Z)};
    bounds.High = {std::max(bounds.High.X, p.X), std::max(bounds.High.Y, p.Y),
                   std::max(bounds.High.Z, p.Z)};
  }
  return bounds;
}

bool Reaches(const LightSource& light, const FaceBounds& bounds) {
  if (light.Shape == LightShape::Sun) return true;
  const auto gap = [](double p, double low, double high) {
    return p < low ? low - p : p > high ? p - high : 0.0;
  };
  const double dx = gap(light.Location.X, bounds.Low.X, bounds.High.X);
  const double dy = gap(light.Location.Y, bounds.Low.Y, bounds.High.Y);
  const double dz = gap(light.Location.Z, bounds.Low.Z, bounds.High.Z);
  return std::sqrt(dx * dx + dy * dy + dz * dz) < light.Reach;
}

}  // namespace

MeshLight LightMesh(const Mesh& mesh, const std::vector<LightSource>& lights,
                    const MeshLightSettings& settings) {
  const ShadowCaster caster(MeshTriangles(mesh));
  MeshLight result;
  std::vector<FrameSize> sizes;
  for (std::size_t g = 0; g < mesh.Groups.size(); ++g) {
    const std::vector<MeshFace>& faces = mesh.Groups[g].Faces;
    for (std::size_t f = 0; f < faces.size(); ++f) {
      const std::vector<Vector> corners = FaceCorners(mesh, faces[f]);
      if (corners.size() < 3) continue;
      const TextureAxes& axes = mesh.Surfaces[static_cast<std::size_t>(faces[f].Surface)].Axes;
      FaceLight& face = result.Faces.emplace_back();
      face.Group = static_cast<std::int32_t>(g);
      face.Face = static_cast<std::int32_t>(f);
      face.Frame = FrameOfPolygon(corners, axes.Origin, axes.TextureU, axes.TextureV,
                                  settings.TexelUnits, settings.MostTexels);
      const TexelPlane plane{axes.Origin, axes.TextureU, axes.TextureV, FaceNormal(corners),
                             corners[0]};
      const FaceBounds bounds = BoundsOf(corners);
      std::vector<LightSource> near;
      for (const LightSource& light : lights) {
        if (Reaches(light, bounds)) near.push_back(light);
      }
      const TexelVisibility rays = RayVisibility(caster, near, plane.Normal, settings.SunDistance);
      std::int64_t& count = result.Rays;
      face.Light = FrameLight(
          plane, face.Frame, near, settings.Ambient,
          [&rays, &count](std::int32_t light, std::int32_t u, std::int32_t v, const Vector& texel) {
            ++count;
            return rays(light, u, v, texel);
          });
      sizes.push_back({face.Frame.UClamp, face.Frame.VClamp});
    }
  }
  result.Atlas = PackLightAtlas(sizes, settings.PageSize);
  return result;
}

}  // namespace brushwright
