// The glTF writer's scene of a run: its mesh, a material per texture and flags pair with the
// picture found, and the level's lights and markers.
#pragma once

#include "gltf/glb_scene.h"
#include "level/level.h"
#include "level/mesh.h"
#include "run/mesh_textures.h"

namespace brushwright {

// One material per table entry, in table order, with the picture found for its texture (a PNG
// file's own bytes, or decoded pixels); then "Untextured", plain, when some face has no
// texture (glTF's default material would show it as dark metal). `mesh` must outlive the scene.
GlbScene GlbSceneOf(const Mesh& mesh, const RunMaterials& materials, double scale);

// Lights as lights (when `lights` is set); player starts (those of the later games' start classes
// after the report's), teleporters and triggers as markers, starts and teleporters facing where
// the actor faces.
void AddGlbActors(const Level& level, bool lights, GlbScene& scene);
// The level's Sunlight actors as directional lights along their rotation.
void AddGlbSuns(const Level& level, GlbScene& scene);

}  // namespace brushwright
