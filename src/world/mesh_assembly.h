// Turns the visible fragments into the output mesh: welded, merged, without T-junctions.
#pragma once

#include <vector>

#include "world/face_classifier.h"
#include "world/world_builder.h"

namespace brushwright {

// Fills mesh.Positions and mesh.Faces from the fragments (in their order): corners welded into
// shared positions, fragments of one polygon merged where their union stays convex, edges shorter
// and faces narrower than kSliverWidth welded away, straight corners dropped, and every position
// that lies inside an edge of a face inserted there, so neighbouring faces meet edge to edge.
// Positions are numbered in order of first use.
void AssembleMesh(const std::vector<VisibleFragment>& fragments, WorldMesh& mesh);

}  // namespace brushwright
