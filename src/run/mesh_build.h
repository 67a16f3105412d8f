// The build phase of a run: the one mesh of the taken brushes' faces, either the brushes
// themselves or the world they build by CSG.
#pragma once

#include <vector>

#include "level/mesh.h"
#include "run/brush_choice.h"
#include "run/built_mesh.h"
#include "run/face_choice.h"
#include "world/world_builder.h"

namespace brushwright {

// The brush output's faces are numbered in 16 bits: a run cannot count past this face.
inline constexpr std::int32_t kLastFaceNumber = 32767;

// Every face the choice writes, with positions of its own, numbered from 1 in the brushes'
// order (faces left out counted too). With `geometry` each brush with a group starts one and the
// faces are counted as converted; without, the faces are kept only for their textures.
BuiltMesh BuildBrushMesh(const BrushChoice& choice, const FaceChoice& faces, bool geometry);

// The world the brushes build: the visible pieces of every face the choice writes, sharing their
// positions (those of the pieces written, in order of first use). A brush's group starts with its
// first visible piece. Counts as BuildBrushMesh, and the pieces and broken brushes.
BuiltMesh BuildWorldMesh(const BrushChoice& choice, const FaceChoice& faces, bool geometry);

// The taken brushes as the world builder takes them: every polygon facing out of its brush, its
// flags joined with its brush's.
std::vector<WorldBrush> WorldBrushesOf(const BrushChoice& choice);

}  // namespace brushwright
