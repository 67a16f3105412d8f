// The light of a whole mesh, by shadow rays through its own faces.
#include "light/mesh_light.h"

#include <algorithm>
#include <cmath>

#include "level/poly_flags.h"

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

// The light an unlit surface is drawn with: its texture as it is.
constexpr double kFullLight = 0.5;
// Surfaces that stop no light: never drawn, or of a brush that cuts nothing.
constexpr std::int64_t kPassesLight = kPolyFlagInvisible | kPolyFlagNotSolid;
// Below this, a surface's texture axes span no area across its plane.
constexpr double kFlatAxes = 1e-9;
// An unlit face's frame: two texels each way, as coarse as the face is wide, so that every
// point of the face lies within it.
constexpr std::int32_t kUnlitTexels = 2;

double Dot(const Vector& p, const Vector& q) {
  return p.X * q.X + p.Y * q.Y + p.Z * q.Z;
}

}  // namespace

std::vector<Triangle> MeshShadowTriangles(const Mesh& mesh, std::vector<Triangle> triangles) {
  for (const MeshGroup& group : mesh.Groups) {
    for (const MeshFace& face : group.Faces) {
      if ((mesh.Surfaces[static_cast<std::size_t>(face.Surface)].Flags & kPassesLight) != 0) {
        continue;
      }
      const std::vector<Vector> corners = FaceCorners(mesh, face);
      for (std::size_t i = 2; i < corners.size(); ++i) {
        triangles.push_back({corners[0], corners[i - 1], corners[i]});
      }
    }
  }
  return triangles;
}

namespace {

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

// The plane a face's frame is laid on: its surface's texture axes, unless its texture
// coordinates come from elsewhere or the axes span nothing across the plane; then unit axes of
// the face's own plane, from its first corner.
TexelPlane FramePlane(const MeshSurface& surface, const std::vector<Vector>& corners) {
  const Vector normal = FaceNormal(corners);
  const TextureAxes& axes = surface.Axes;
  const double across = std::fabs(Dot(VecCross(axes.TextureU, axes.TextureV), normal));
  if (!surface.SourceCoordinates && across > kFlatAxes) {
    return {axes.Origin, axes.TextureU, axes.TextureV, normal, corners[0]};
  }
  // The first axis level where the face stands upright, else along X.
  const Vector up = std::fabs(normal.Z) < 0.9 ? Vector{0, 0, 1} : Vector{1, 0, 0};
  const Vector u = VecNormalize(VecCross(up, normal));
  const Vector v = VecCross(normal, u);
  return {corners[0], u, v, normal, corners[0]};
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
  const ShadowCaster caster(MeshShadowTriangles(mesh, settings.OtherCasters));
  MeshLight result;
  std::vector<FrameSize> sizes;
  for (std::size_t g = 0; g < mesh.Groups.size(); ++g) {
    const std::vector<MeshFace>& faces = mesh.Groups[g].Faces;
    for (std::size_t f = 0; f < faces.size(); ++f) {
      if (faces[f].LightPage != kNoLightPage) continue;
      const std::vector<Vector> corners = FaceCorners(mesh, faces[f]);
      if (corners.size() < 3) continue;
      if (settings.BeforeFace) settings.BeforeFace();
      const MeshSurface& surface = mesh.Surfaces[static_cast<std::size_t>(faces[f].Surface)];
      FaceLight& face = result.Faces.emplace_back();
      face.Group = static_cast<std::int32_t>(g);
      face.Face = static_cast<std::int32_t>(f);
      face.Plane = FramePlane(surface, corners);
      const TexelPlane& plane = face.Plane;
      if ((surface.Flags & kPolyFlagUnlit) != 0) {
        face.Frame = FrameOfPolygon(corners, plane.Base, plane.TextureU, plane.TextureV,
                                    settings.TexelUnits, kUnlitTexels);
        face.Light = {face.Frame.UClamp, face.Frame.VClamp,
                      std::vector<LightColour>(static_cast<std::size_t>(face.Frame.UClamp) *
                                                   static_cast<std::size_t>(face.Frame.VClamp),
                                               {kFullLight, kFullLight, kFullLight})};
        sizes.push_back({face.Frame.UClamp, face.Frame.VClamp});
        continue;
      }
      face.Frame = FrameOfPolygon(corners, plane.Base, plane.TextureU, plane.TextureV,
                                  settings.TexelUnits, settings.MostTexels);
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
