// The compose phase of a run: what the level shows besides the surfaces of its brushes (actors
// drawn by a static mesh, movers drawn by their brush) added to the run's one mesh.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "level/level.h"
#include "level/mesh.h"
#include "run/static_mesh_library.h"

namespace brushwright {

struct PlacedKinds {
  bool StaticMeshes = true;  // actors drawn by a static mesh, movers among them
  bool Movers = true;        // movers drawn by their brush, and movers drawn by a static mesh
  bool Terrain = true;       // terrains (which LeftOutOf counts; AddTerrains adds them)
  // Shapes stored once and placed by Mesh::Placements (the glTF writer); otherwise every placed
  // mesh is a group of its own in the level's space, named after its actor.
  bool Instanced = false;
};

struct PlacedCounts {
  std::int32_t MeshActors = 0;  // actors whose static mesh was placed
  std::int32_t Movers = 0;      // movers written, by brush or by static mesh
  std::int32_t Faces = 0;       // faces added
};

// Adds the kinds asked for after the mesh's groups, in the level's order: movers drawn by their
// brush (each a group where the level saved it, its keys as the group's motion; invisible
// polygons left out), then the actors drawn by a static mesh (placed at Location + R * S *
// (v - PrePivot), Skins(k) replacing section k's material, triangles kept facing out under a
// mirroring scale). Meshes the library cannot give are left out; it tells of them. A placement
// takes its actor's stored vertex light when it has one for each of the mesh's vertices.
PlacedCounts AddPlacedActors(const Level& level, const PlacedKinds& kinds,
                             StaticMeshLibrary& library, Mesh& mesh);

// What the run names as left out: the level's unconverted looks, and the kinds a run leaves out
// when it is told to (or when the output shows only brushes).
LeftOutClasses LeftOutOf(const Level& level, const PlacedKinds& kinds, bool placed);

}  // namespace brushwright
