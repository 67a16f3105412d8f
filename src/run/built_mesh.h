// What the build phase of a run returns: the one mesh every writer takes, and its counts.
#pragma once

#include <cstdint>

#include "level/mesh.h"

namespace brushwright {

// What building counted, for the run's summary and its progress.
struct BuildCounts {
  std::int32_t FacesToRead = 0;   // polygons of the taken brushes (or surfaces of the build)
  std::int32_t PolygonsRead = 0;  // of them, read before the build ended
  std::int32_t FacesConverted = 0;
  std::int32_t Groups = 0;
  std::int32_t BrushActors = 0;
  std::int32_t BrushesTaken = 0;
  std::int32_t SubtractiveSkipped = 0;
  std::int32_t BuilderSkipped = 0;
  std::int32_t OtherOperations = 0;
  std::int32_t InvisibleFaces = 0;
  std::int32_t BeforeStartFace = 0;
  std::int32_t TextureSkipped = 0;
  std::int32_t Fragments = 0;
  std::int32_t BrokenBrushes = 0;
  std::int32_t BuiltSurfaces = 0;
};

struct BuiltMesh {
  Mesh Faces;
  BuildCounts Counts;
  // The brush output has more faces than can be numbered: the mesh holds those up to the last.
  bool FaceLimitPassed = false;
};

}  // namespace brushwright
