// The world builder: the surfaces the editor's CSG makes of a level's brushes, as one welded mesh.
#pragma once

#include <cstdint>
#include <vector>

#include "level/poly_flags.h"
#include "vecmath/vecmath.h"

namespace brushwright {

enum class BrushOperation { Add, Subtract };

struct WorldPolygon {
  // World coordinates; (v1 - v0) x (v2 - v1) points out of the brush, for additive and
  // subtractive brushes alike.
  VertexList Vertices;
  std::int64_t Flags = 0;  // the polygon's Flags OR its brush's PolyFlags
};

struct WorldBrush {
  BrushOperation Operation = BrushOperation::Add;
  std::int64_t PolyFlags = 0;  // the brush's own
  std::vector<WorldPolygon> Polygons;
};

struct WorldFace {
  std::int32_t Brush = 0;    // index into the input brushes
  std::int32_t Polygon = 0;  // index into that brush's polygons
  // Indices into WorldMesh::Positions; (c1 - c0) x (c2 - c1) points to the empty side the face
  // is seen from.
  std::vector<std::int32_t> Corners;
};

struct WorldMesh {
  std::vector<Vector> Positions;  // welded: each distinct position once
  std::vector<WorldFace> Faces;   // by brush, then polygon, then fragment
  // Solid brushes that are not closed, whatever is made of them: an open one still carves or
  // fills the space its faces enclose; one without volume (or too intricate) is a sheet.
  std::int32_t BrokenBrushes = 0;
  std::int32_t DroppedPolygons = 0;  // polygons without area or with unusable coordinates
};

// Builds the visible surfaces of the brushes in the order given (the order of the level's
// text). Additive and subtractive brushes without the NotSolid and Semisolid bits carve and
// fill the world, which starts solid; Semisolid additive brushes are added after all of them
// and cut nothing, but where one's face lies flush on an earlier brush's face, seen from the
// same side, only the semisolid face shows; NotSolid brushes and brushes without volume cut
// nothing and show where they lie in empty space. An open solid brush takes the space its faces'
// planes enclose within its bounds. Subtractive brushes count as solid whatever their bits, as
// the editor strips them. Invisible polygons take part and are returned like any other. Never
// throws on odd geometry: such polygons are dropped and such brushes handled as sheets, both
// counted.
WorldMesh BuildWorld(const std::vector<WorldBrush>& brushes);

}  // namespace brushwright
