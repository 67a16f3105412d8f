// What a finished run hands out beside its files: the mesh as written, its materials with their
// decoded pictures, and the level's player starts, for a front end that shows the level.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/image.h"
#include "level/mesh.h"
#include "vecmath/vecmath.h"

namespace brushwright {

// One material of the run, in the order of the run's material numbers (MeshSurface::Material).
struct ResultMaterial {
  std::string Name;              // the material's name in the output files ("Wall0")
  std::int64_t Flags = 0;        // the polygon flags of its faces
  std::optional<Image> Picture;  // the texture's decoded picture; none when it was not found
};

// Where a player enters the level, in the level's space.
struct ResultStart {
  Vector Location;
  Rotator Rotation;
};

struct RunResult {
  Mesh Geometry;  // the mesh the writers were given, texture coordinates included
  std::vector<ResultMaterial> Materials;
  std::vector<ResultStart> PlayerStarts;  // in the order of the glTF file's markers
  double Scale = 0;                       // metres per Unreal unit, as the glTF output has it
};

// Takes what a run made once its files are written. A front end that shows the result gives
// one to the run; the run hands it over only when it reaches "Done" having built a mesh.
class ResultSink {
 public:
  virtual ~ResultSink() = default;
  virtual void TakeResult(RunResult result) = 0;
};

}  // namespace brushwright
