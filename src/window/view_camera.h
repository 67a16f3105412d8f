// The 3-D view's camera in the written glTF file's space (Y up, right-handed, metres): where it
// starts (the whole level from outside, or a player's eyes), how it moves and turns, and the line
// that tells it to any other renderer.
#pragma once

#include <string>

#include "run/run_result.h"
#include "vecmath/vecmath.h"

namespace brushwright {

// The box around everything drawn; empty until a point is added.
struct ViewBounds {
  Vector Min;
  Vector Max;
  bool Empty = true;
  void Add(const Vector& point);
};

struct ViewCamera {
  Vector Position;
  Vector Target;           // a point straight ahead
  Vector Up{0, 1, 0};      // the picture's up
  double FovDegrees = 60;  // vertical field of view
};

// The nearest and farthest distance along the view at which the box can lie, for the depth
// buffer; both positive, Near well below Far.
struct DepthRange {
  double Near = 0;
  double Far = 0;
};

// A point of the level's space in the glTF file's.
Vector GltfPoint(const Vector& level_point, double scale);

// The whole box in view from outside, above and to one side, for a picture `aspect` times as
// wide as high.
ViewCamera OverviewCamera(const ViewBounds& bounds, double aspect);
// At a player's eyes on `start`, looking where the player looks.
ViewCamera StartCamera(const ResultStart& start, double scale);

// Moves the camera (and what it looks at) by metres along its view, to its right and up.
void MoveCamera(ViewCamera& camera, double forward, double right, double up);
// Turns the view by radians: `yaw` to the right about the vertical, `pitch` upwards, stopping
// short of straight up and down.
void TurnCamera(ViewCamera& camera, double yaw, double pitch);

DepthRange DepthRangeOf(const ViewCamera& camera, const ViewBounds& bounds);

// "camera position X Y Z target X Y Z up X Y Z fov DEGREES".
std::string CameraLine(const ViewCamera& camera);

}  // namespace brushwright
