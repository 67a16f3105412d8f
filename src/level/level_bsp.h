// The surfaces of a level as the editor last built them: its BSP's points, vectors, nodes,
// surfaces and vertex pool, as plain values indexed the way the level stores them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "level/actors.h"
#include "level/mesh.h"
#include "level/placed_actors.h"
#include "vecmath/vecmath.h"

namespace brushwright {

// No brush: a surface whose brush the level no longer lists.
inline constexpr std::int32_t kNoBrush = -1;

// No light map: a surface the light builder left without one (unlit, invisible, a portal).
inline constexpr std::int32_t kNoLightMap = -1;

// One built surface: the texture and its frame shared by every node that lies on it.
struct BspSurface {
  std::string Texture;      // the texture reference as the level's brushes write it; "" for none
  std::int64_t Flags = 0;   // the surface's polygon flags, as PolygonRecord::Flags holds them
  std::int32_t Base = 0;    // index into LevelBsp::Points: the texture's base point
  std::int32_t Normal = 0;  // indexes into LevelBsp::Vectors
  std::int32_t TextureU = 0;
  std::int32_t TextureV = 0;
  Vector Pan;  // X the U pan, Y the V pan, Z 0
  // The brush actor whose polygon made the surface: an index into Level::Brushes, or kNoBrush.
  std::int32_t Brush = kNoBrush;
};

// Where a corner of a node lies on its light-map page, as MeshCorner::LightS and LightT say.
struct LightCoordinate {
  float S = 0;
  float T = 0;
};

// One node's polygon: `VertexCount` entries of the vertex pool from `FirstVertex` on, in the
// winding of the brush polygons.
struct BspNode {
  std::int32_t Surface = 0;  // index into LevelBsp::Surfaces
  std::int32_t FirstVertex = 0;
  std::int32_t VertexCount = 0;
  // A second-generation build's light, when it was read: the node's page (an index into
  // LevelBsp::LightPages, or kNoLightPage), where each of its corners lies on it (VertexCount
  // entries, none without a page) and its light map (an index into LevelBsp::LightMaps, or
  // kNoLightMap).
  std::int32_t LightPage = kNoLightPage;
  std::vector<LightCoordinate> LightCorners;
  std::int32_t LightMap = kNoLightMap;
};

// One light map of a second-generation build: a frame of SizeX x SizeY texels at (OffsetX,
// OffsetY) on a page; the texel under a level point P lies at
// (OffsetX + P . ToX + BaseX, OffsetY + P . ToY + BaseY) on the page, in texels from its top left.
struct BuiltLightMap {
  std::int32_t Page = 0;  // index into LevelBsp::LightPages
  std::int32_t OffsetX = 0;
  std::int32_t OffsetY = 0;
  std::int32_t SizeX = 0;
  std::int32_t SizeY = 0;
  Vector ToX;
  Vector ToY;
  double BaseX = 0;
  double BaseY = 0;
};

// A built level. Every index a node leads to (its surface, its run of the vertex pool, the points
// and vectors these name) lies inside its array; entries no node uses may hold anything, as the
// editor leaves stale ones behind.
struct LevelBsp {
  std::vector<Vector> Points;   // positions, in the level's space
  std::vector<Vector> Vectors;  // normals and texture axes
  std::vector<BspNode> Nodes;   // in the level's node order
  std::vector<BspSurface> Surfaces;
  std::vector<std::int32_t> Vertices;  // the vertex pool: indexes into Points
  // The light a second-generation build stores, when it was read: its pages, decoded, and its
  // light maps' frames on them (the nodes say which they use).
  std::vector<LightPage> LightPages;
  std::vector<BuiltLightMap> LightMaps;
};

// One surface's light map in a first-generation build: a frame of UClamp x VClamp texels on the
// surface's texture axes, and the shadow bits of each light that reaches it.
struct LightMapIndex {
  // Where the first light's shadow bits begin in LevelLightMaps::Bits; each listed light has
  // RowBytes() x VClamp bytes, rows one after another, the lowest bit the first texel.
  std::int32_t DataOffset = 0;
  // Texel (u, v) lies where (P - base) . TextureU = Pan.X + u x UScale and
  // (P - base) . TextureV = Pan.Y + v x VScale.
  Vector Pan;
  std::int32_t UClamp = 0;
  std::int32_t VClamp = 0;
  double UScale = 0;
  double VScale = 0;
  // The first of this surface's lights in LevelLightMaps::Lights; the list ends at a null entry.
  std::int32_t iLightActors = -1;

  std::int64_t RowBytes() const { return (std::int64_t{UClamp} + 7) >> 3; }
  std::int64_t LightBytes() const { return RowBytes() * VClamp; }
};

// The light maps of a first-generation build, every offset and index checked against the arrays
// it points into.
struct LevelLightMaps {
  std::vector<LightMapIndex> Indexes;
  std::vector<std::uint8_t> Bits;
  // Per entry of LevelBsp::Surfaces: its index into Indexes, or kNoLightMap.
  std::vector<std::int32_t> SurfaceMaps;
  // The build's light list: each entry the object reference of a light actor, 0 ending a
  // surface's list.
  std::vector<std::int32_t> Lights;
  // Per entry of Lights: the light actor's record; a default record for a null entry.
  std::vector<LightRecord> LightActors;
  // How many lights each index lists (those before its list's null entry).
  std::vector<std::int32_t> LightCounts;
  // Per entry of LevelBsp::Surfaces: the zone it is seen from (that of its first polygon), which
  // may lie outside ZoneActors (a zone with no actor of its own).
  std::vector<std::int32_t> SurfaceZones;
  // The object reference of each zone's actor, 0 for none.
  std::vector<std::int32_t> ZoneActors;
  // Per entry of ZoneActors: its zone actor; the LevelInfo for a zone without an actor.
  std::vector<ZoneLightRecord> Zones;
  // The level's LevelInfo: its ambient light, and the brightness every light shines by.
  ZoneLightRecord LevelInfo;
};

}  // namespace brushwright
