// The build phase for the level's own build: the surfaces the editor last built, as the one mesh
// every writer takes.
#pragma once

#include "level/level.h"
#include "level/mesh.h"
#include "run/built_mesh.h"
#include "run/face_choice.h"

namespace brushwright {

// The polygons of `bsp`'s nodes on the surfaces the face choice writes (an invisible surface
// never), sharing the build's positions (those used, in order of first use). Surfaces are
// numbered from 1 as faces: first those of no listed brush, in a group without a name, then
// brush by brush in the level's order, each brush's in the build's order, a brush's group
// starting with its first surface written; a surface's polygons follow in node order. Counts the
// surfaces as polygons read, the polygons written as faces and the surfaces written. When the
// build carries its stored light, the mesh takes its pages and each face its node's page and
// corners' places on it.
BuiltMesh BuildBuiltWorldMesh(const Level& level, const LevelBsp& bsp, const FaceChoice& faces,
                              bool geometry);

}  // namespace brushwright
