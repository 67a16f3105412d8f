// The 3-D view's camera: its starting points, moves and turns, all in glTF space.
#include "window/view_camera.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "text/number_text.h"
#include "vecmath/brush_transform.h"
#include "vecmath/coordinates.h"

namespace brushwright {

namespace {

// A player's eyes stand this many Unreal units above a player start, which marks the middle of
// the player's collision cylinder (the usual eye height of the games' players).
constexpr double kEyeHeight = 27;
// The overview looks down on the level from this direction (x, y, z toward the camera): from
// above, in front and to the right, as a 3-D editor's perspective view starts.
constexpr double kOverviewDirection[3] = {0.6, 0.55, 0.8};
// Room around the box in the overview, so that no corner touches the picture's edge.
constexpr double kOverviewMargin = 1.05;
// The view never turns quite to straight up or down, where "up" would lose its meaning.
constexpr double kMostPitch = 89 * std::numbers::pi / 180;
// Depth buffers of 24 bits keep surfaces apart over a range of about this ratio.
constexpr double kDepthRatio = 20000;
// Nearest a surface may come to the eye before it is cut away, in metres.
constexpr double kNearest = 0.01;

Vector Normalised(const Vector& v) {
  const double length = VecLength(v);
  return length > 0 ? VecScale(v, 1 / length) : Vector{0, 0, -1};
}

Vector CornerOf(const ViewBounds& bounds, int corner) {
  return {(corner & 1) ? bounds.Max.X : bounds.Min.X, (corner & 2) ? bounds.Max.Y : bounds.Min.Y,
          (corner & 4) ? bounds.Max.Z : bounds.Min.Z};
}

}  // namespace

void ViewBounds::Add(const Vector& point) {
  if (Empty) {
    Min = Max = point;
    Empty = false;
    return;
  }
  Min = {std::min(Min.X, point.X), std::min(Min.Y, point.Y), std::min(Min.Z, point.Z)};
  Max = {std::max(Max.X, point.X), std::max(Max.Y, point.Y), std::max(Max.Z, point.Z)};
}

Vector GltfPoint(const Vector& level_point, double scale) {
  const std::array<double, 3> p = UnrealToGltf(level_point, scale);
  return {p[0], p[1], p[2]};
}

ViewCamera OverviewCamera(const ViewBounds& bounds, double aspect) {
  ViewCamera camera;
  if (bounds.Empty) {
    camera.Position = {0, 0, 1};
    return camera;
  }
  camera.Target = VecScale(VecAdd(bounds.Min, bounds.Max), 0.5);
  const Vector back =
      Normalised({kOverviewDirection[0], kOverviewDirection[1], kOverviewDirection[2]});
  const Vector right = Normalised(VecCross(camera.Up, back));
  const Vector up = VecCross(back, right);
  const double tan_vertical = std::tan(camera.FovDegrees * std::numbers::pi / 360);
  const double tan_horizontal = tan_vertical * std::max(aspect, 0.01);
  // Far enough back that every corner of the box lies inside both fields of view.
  double distance = kNearest;
  for (int corner = 0; corner < 8; ++corner) {
    const Vector offset = VecSubtract(CornerOf(bounds, corner), camera.Target);
    const double toward = VecDot(offset, back);
    distance = std::max({distance, toward + std::abs(VecDot(offset, right)) / tan_horizontal,
                         toward + std::abs(VecDot(offset, up)) / tan_vertical});
  }
  camera.Position = VecAdd(camera.Target, VecScale(back, kOverviewMargin * distance));
  return camera;
}

ViewCamera StartCamera(const ResultStart& start, double scale) {
  // The player looks along the start's +X as its rotation turns it; a player never rolls.
  const Matrix3 r = RotationMatrix(start.Rotation);
  const Vector level_forward{r.m[0][0], r.m[1][0], r.m[2][0]};
  const Vector eye{start.Location.X, start.Location.Y, start.Location.Z + kEyeHeight};
  ViewCamera camera;
  camera.Position = GltfPoint(eye, scale);
  // Directions map as points do, without the scale.
  const Vector forward = Normalised(GltfPoint(level_forward, 1));
  camera.Target = VecAdd(camera.Position, forward);
  return camera;
}

void MoveCamera(ViewCamera& camera, double forward, double right, double up) {
  const Vector ahead = Normalised(VecSubtract(camera.Target, camera.Position));
  const Vector side = Normalised(VecCross(ahead, camera.Up));
  const Vector step =
      VecAdd(VecAdd(VecScale(ahead, forward), VecScale(side, right)), VecScale(camera.Up, up));
  camera.Position = VecAdd(camera.Position, step);
  camera.Target = VecAdd(camera.Target, step);
}

void TurnCamera(ViewCamera& camera, double yaw, double pitch) {
  const Vector ahead = Normalised(VecSubtract(camera.Target, camera.Position));
  // Heading about +Y (counter-clockwise seen from above) and elevation above the horizon.
  const double heading = std::atan2(-ahead.X, -ahead.Z) - yaw;
  const double elevation =
      std::clamp(std::asin(std::clamp(ahead.Y, -1.0, 1.0)) + pitch, -kMostPitch, kMostPitch);
  const Vector turned{-std::sin(heading) * std::cos(elevation), std::sin(elevation),
                      -std::cos(heading) * std::cos(elevation)};
  camera.Target = VecAdd(camera.Position, turned);
  camera.Up = {0, 1, 0};
}

DepthRange DepthRangeOf(const ViewCamera& camera, const ViewBounds& bounds) {
  DepthRange range;
  if (bounds.Empty) return {kNearest, 1};
  const Vector ahead = Normalised(VecSubtract(camera.Target, camera.Position));
  // Each corner's distance along the view gives the box's extent in depth.
  double nearest = INFINITY;
  double farthest = 0;
  for (int corner = 0; corner < 8; ++corner) {
    const double along = VecDot(VecSubtract(CornerOf(bounds, corner), camera.Position), ahead);
    nearest = std::min(nearest, along);
    farthest = std::max(farthest, along);
  }
  range.Far = std::max(farthest * 1.01, 2 * kNearest);
  range.Near = std::max({nearest * 0.99, range.Far / kDepthRatio, kNearest});
  range.Near = std::min(range.Near, range.Far / 2);
  return range;
}

std::string CameraLine(const ViewCamera& camera) {
  const auto three = [](const Vector& v) {
    return NumberText(v.X) + " " + NumberText(v.Y) + " " + NumberText(v.Z);
  };
  return "camera position " + three(camera.Position) + " target " + three(camera.Target) + " up " +
         three(camera.Up) + " fov " + NumberText(camera.FovDegrees);
}

}  // namespace brushwright
