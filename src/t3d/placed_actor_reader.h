// Reads the actors of a T3D text that show something besides brushes: actors drawn by a static
// mesh, movers, the sun, and the classes no run converts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "level/level.h"

namespace brushwright {

// An actor block of the text: its class (without "Engine.") and name, and its content, the
// 1-based positions from just after its "Begin Actor" line to just before its "End Actor".
struct ActorBlock {
  std::string Class;
  std::string Name;
  int Start = 0;
  int End = 0;
};

// Every "Begin Actor" ... "End Actor" block at the actors' level, in text order. A block
// without its "End Actor" ends the list.
std::vector<ActorBlock> FindActorBlocks(std::string_view text);

// Adds what the block shows to the level: a static-mesh actor (a StaticMeshActor or any actor
// whose DrawType is DT_StaticMesh, with "StaticMesh=" set), a Sunlight, or a count in LeftOut.
// Returns true for a mover drawn by its brush, which the caller reads as a brush; `keys` then
// holds its path.
bool ReadPlacedActor(std::string_view text, const ActorBlock& block, Level& level, MoverKeys& keys);

}  // namespace brushwright
