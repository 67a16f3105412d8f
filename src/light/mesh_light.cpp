// The light of a whole mesh, by shadow rays through its own faces.
#include "light/mesh_light.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

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
// Coarsening the texels to keep the budget: at most this many times, each by at least this
// much (frames never shrink below a texel or two, so the budget may stay passed).
constexpr int kBudgetAttempts = 8;
constexpr double kLeastCoarsening = 1.1;
// How far inside its face a ray from off the face's edge starts, in units.
constexpr double kEdgeInset = 1;
// Unlit faces and the sky's backdrop are drawn at full brightness; no light reaches them.
bool DrawnUnlit(const MeshSurface& surface) {
  return (surface.Flags & (kPolyFlagUnlit | kPolyFlagFakeBackdrop)) != 0;
}

// An unlit face's frame: two texels each way, as coarse as the face is wide, so that every
// point of the face lies within it.
constexpr std::int32_t kUnlitTexels = 2;

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
  const double across = std::fabs(VecDot(VecCross(axes.TextureU, axes.TextureV), normal));
  if (!surface.SourceCoordinates && across > kFlatAxes) {
    return {axes.Origin, axes.TextureU, axes.TextureV, normal, corners[0]};
  }
  // U level across an upright face, or for a face lying near flat across X; V up the face.
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

// Where a texel's ray leaves from: its point when that lies on the face, else (the frame covers
// the face's bounds, so texels at its edges reach past it) the face's nearest point, a little
// inside, so that the ray does not start behind a neighbouring wall and leave the edge dark.
Vector RayStart(const std::vector<Vector>& corners, const Vector& normal, const Vector& centre,
                const Vector& point) {
  bool inside = true;
  Vector nearest = point;
  double nearest_distance = std::numeric_limits<double>::max();
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const Vector& a = corners[i];
    const Vector& b = corners[(i + 1) % corners.size()];
    const Vector edge = VecSubtract(b, a);
    if (VecDot(VecCross(edge, VecSubtract(point, a)), normal) < 0) inside = false;
    const double length = VecDot(edge, edge);
    const double along =
        length > 0 ? std::clamp(VecDot(VecSubtract(point, a), edge) / length, 0.0, 1.0) : 0.0;
    const Vector on_edge = VecAdd(a, {edge.X * along, edge.Y * along, edge.Z * along});
    const double distance = VecLength(VecSubtract(point, on_edge));
    if (distance < nearest_distance) {
      nearest_distance = distance;
      nearest = on_edge;
    }
  }
  if (inside) return point;
  const Vector to_centre = VecSubtract(centre, nearest);
  const double inset = std::min(kEdgeInset, VecLength(to_centre) / 2);
  const Vector step = VecNormalize(to_centre);
  return VecAdd(nearest, {step.X * inset, step.Y * inset, step.Z * inset});
}

// Lights face `face` (its frame laid) by the lights that reach it; returns the rays cast.
std::int64_t LightFace(const Mesh& mesh, const std::vector<LightSource>& lights,
                       const MeshLightSettings& settings, const ShadowCaster& caster,
                       FaceLight& face) {
  const MeshFace& source =
      mesh.Groups[static_cast<std::size_t>(face.Group)].Faces[static_cast<std::size_t>(face.Face)];
  const std::vector<Vector> corners = FaceCorners(mesh, source);
  const FaceBounds bounds = BoundsOf(corners);
  std::vector<LightSource> near;
  for (const LightSource& light : lights) {
    if (Reaches(light, bounds)) near.push_back(light);
  }
  Vector centre;
  for (const Vector& corner : corners) centre = VecAdd(centre, corner);
  const double share = 1.0 / static_cast<double>(corners.size());
  centre = {centre.X * share, centre.Y * share, centre.Z * share};
  const TexelVisibility rays = RayVisibility(caster, near, face.Plane.Normal, settings.SunDistance);
  std::int64_t count = 0;
  face.Light =
      FrameLight(face.Plane, face.Frame, near, settings.Ambient,
                 [&](std::int32_t light, std::int32_t u, std::int32_t v, const Vector& texel) {
                   ++count;
                   return rays(light, u, v, RayStart(corners, face.Plane.Normal, centre, texel));
                 });
  return count;
}

const MeshSurface& SurfaceOf(const Mesh& mesh, const FaceLight& face) {
  const MeshFace& source =
      mesh.Groups[static_cast<std::size_t>(face.Group)].Faces[static_cast<std::size_t>(face.Face)];
  return mesh.Surfaces[static_cast<std::size_t>(source.Surface)];
}

// Helpers beside the calling thread: one per further core, within reason.
unsigned HelperThreads() {
  constexpr unsigned kMostHelpers = 15;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores > 1 ? std::min(cores - 1, kMostHelpers) : 0;
}

}  // namespace

void ShareAmongCores(std::size_t count, const std::function<void()>& before,
                     const std::function<void(std::size_t)>& work) {
  std::atomic<std::size_t> next{0};
  std::atomic<bool> stop{false};
  const auto take = [&](bool calls_back) {
    for (std::size_t i = next++; i < count && !stop; i = next++) {
      if (calls_back && before) before();
      work(i);
    }
  };
  std::vector<std::thread> helpers;
  const std::size_t helper_count =
      count > 1 ? std::min<std::size_t>(HelperThreads(), count - 1) : 0;
  for (std::size_t n = 0; n < helper_count; ++n) helpers.emplace_back(take, false);
  try {
    take(true);
  } catch (...) {
    stop = true;
    for (std::thread& helper : helpers) helper.join();
    throw;
  }
  for (std::thread& helper : helpers) helper.join();
}

MeshLight LightMesh(const Mesh& mesh, const std::vector<LightSource>& lights,
                    const MeshLightSettings& settings) {
  const ShadowCaster caster(MeshShadowTriangles(mesh, settings.OtherCasters));
  MeshLight result;
  std::vector<FrameSize> sizes;
  std::vector<std::size_t> to_light;  // faces lit by rays, by their index in result.Faces
  std::vector<std::vector<Vector>> corners_of;
  for (std::size_t g = 0; g < mesh.Groups.size(); ++g) {
    const std::vector<MeshFace>& faces = mesh.Groups[g].Faces;
    for (std::size_t f = 0; f < faces.size(); ++f) {
      if (faces[f].LightPage != kNoLightPage) continue;
      std::vector<Vector> corners = FaceCorners(mesh, faces[f]);
      if (corners.size() < 3) continue;
      const MeshSurface& surface = mesh.Surfaces[static_cast<std::size_t>(faces[f].Surface)];
      FaceLight& face = result.Faces.emplace_back();
      face.Group = static_cast<std::int32_t>(g);
      face.Face = static_cast<std::int32_t>(f);
      face.Plane = FramePlane(surface, corners);
      corners_of.push_back(std::move(corners));
    }
  }
  // The frames at the settings' texels, then, while they pass the budget, at texels coarser by
  // the square root of how far they pass it (an area shrinks by the square).
  result.TexelUnits = settings.TexelUnits;
  for (int attempt = 0;; ++attempt) {
    std::int64_t texels = 0;
    for (std::size_t i = 0; i < result.Faces.size(); ++i) {
      FaceLight& face = result.Faces[i];
      const TexelPlane& plane = face.Plane;
      const MeshSurface& surface = SurfaceOf(mesh, face);
      const bool unlit = DrawnUnlit(surface);
      face.Frame = FrameOfPolygon(corners_of[i], plane.Base, plane.TextureU, plane.TextureV,
                                  result.TexelUnits, unlit ? kUnlitTexels : settings.MostTexels);
      texels += (std::int64_t{face.Frame.UClamp} + 2) * (std::int64_t{face.Frame.VClamp} + 2);
    }
    if (texels <= settings.TexelBudget || attempt >= kBudgetAttempts) break;
    result.TexelUnits *= std::max(
        kLeastCoarsening,
        std::sqrt(static_cast<double>(texels) / static_cast<double>(settings.TexelBudget)));
  }
  for (std::size_t i = 0; i < result.Faces.size(); ++i) {
    FaceLight& face = result.Faces[i];
    const MeshSurface& surface = SurfaceOf(mesh, face);
    if (DrawnUnlit(surface)) {
      face.Light = {face.Frame.UClamp, face.Frame.VClamp,
                    std::vector<LightColour>(static_cast<std::size_t>(face.Frame.UClamp) *
                                                 static_cast<std::size_t>(face.Frame.VClamp),
                                             {kFullLight, kFullLight, kFullLight})};
    } else {
      to_light.push_back(i);
    }
    sizes.push_back({face.Frame.UClamp, face.Frame.VClamp});
  }
  // Packed first: a frame too large for a page fails before any ray is cast.
  result.Atlas = PackLightAtlas(sizes, settings.PageSize);

  // The faces are lit apart from each other, on every core.
  std::vector<std::int64_t> rays(to_light.size(), 0);
  ShareAmongCores(to_light.size(), settings.BeforeFace, [&](std::size_t i) {
    rays[i] = LightFace(mesh, lights, settings, caster, result.Faces[to_light[i]]);
  });
  for (const std::int64_t count : rays) result.Rays += count;
  return result;
}

}  // namespace brushwright
