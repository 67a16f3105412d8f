// A level as plain values, whichever reader filled it: its brushes in the level's order with
// their polygons, the actors of the report, and what the reader passed over.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "level/actors.h"
#include "level/level_bsp.h"
#include "level/placed_actors.h"
#include "level/terrain.h"
#include "vecmath/brush_transform.h"
#include "vecmath/vecmath.h"

namespace brushwright {

// What a brush does to the world. A T3D block naming both CSG_Add and CSG_Subtract is additive.
enum class CsgOperation {
  None,      // no operation at all: the builder brush
  Add,       // CSG_Add
  Subtract,  // CSG_Subtract
  Other,     // any other operation (CSG_Intersect, CSG_Deintersect)
};

// One polygon of a brush, in the brush's own space as the level stores it.
struct PolygonRecord {
  std::string Texture;     // the texture reference as the level writes it; "" for none
  std::int64_t Flags = 0;  // the polygon flags (magnitude of the T3D "Flags=")
  Vector Origin;           // the texture's base point
  Vector Normal;
  Vector Pan;  // X the U pan, Y the V pan, Z 0
  Vector TextureU;
  Vector TextureV;
  VertexList Vertices;  // never empty after a geometry read: (0, 0, 0) when no vertex was given
  std::string Item;     // the polygon's item name ("Wall", "Floor"); "" when none
  // The T3D text gave this polygon no texture and so no flags of its own: it keeps the flags of
  // the polygon before it among those the run takes (the reader gives those read before it).
  bool FlagsOfPrevious = false;
};

// Where the editor puts a brush's polygons. The default is the identity placement: location,
// pivot and rotation 0, scales 1 without sheer.
struct BrushPlacement {
  Vector Location;
  Vector PrePivot;
  Rotator Rotation;
  BrushScale MainScale;
  BrushScale PostScale;
  // The editor's scale of the last drag; kept as read, it never moves a polygon.
  BrushScale TempScale;
};

struct LevelBrush {
  std::string Class = "Brush";  // the actor's class, without its package
  std::string Name;             // the actor's name; "" when the level does not say
  CsgOperation Csg = CsgOperation::None;
  std::string Tag;                       // without quotes; "" when absent
  std::optional<std::string> ModelName;  // the brush model's name, when the level names one
  std::int64_t PolyFlags = 0;            // the brush's own flags, 0 when absent
  BrushPlacement Placement;
  std::vector<PolygonRecord> Polygons;  // in the level's order
  // A T3D brush actor that begins inside the block of the one before it, which lacks its own
  // "End Actor": that block's polygons include this brush's, so a run that takes the brush
  // before does not take this one.
  bool InsidePrevious = false;
};

// A mover drawn by its brush: the brush where the map saved it, and the path it moves along.
struct LevelMover {
  LevelBrush Brush;
  MoverKeys Keys;
};

struct Level {
  // The level was read from an Unreal package (a map), whose own textures a run can use.
  bool FromPackage = false;
  // The level has actors. A T3D text without any is one brush exported on its own: one brush
  // without operation, group or placement, always taken, and no report.
  bool HasActors = false;
  std::vector<LevelBrush> Brushes;
  ReportActors Actors;
  // Player starts of classes the report does not list (later games' start classes), shown as
  // markers in the glTF output.
  std::vector<PlayerStartRecord> OtherStarts;
  // The level's terrains (TerrainInfo actors), in the level's order.
  std::vector<LevelTerrain> Terrains;
  // What the reader could not read and passed over, one line each naming it.
  std::vector<std::string> PassedOver;
  // Actors drawn by a static mesh, movers drawn by their brush and the sun, in the level's order.
  std::vector<StaticMeshActorRecord> MeshActors;
  std::vector<LevelMover> Movers;
  std::vector<SunlightRecord> Suns;
  // The LevelInfo and the zones, with their ambient light, in the level's order.
  std::vector<ZoneLightRecord> Zones;
  // Actors that show something and that no reader converts, by class.
  LeftOutClasses LeftOut;
  // The surfaces the editor last built, when the reader was asked for them and the level has
  // them (a built map package).
  std::optional<LevelBsp> Bsp;
  // The light maps of a first-generation build (shadow bits, the lights they list, the zones'
  // ambient light), when the reader was asked for the build's light.
  std::optional<LevelLightMaps> LightMaps;
};

// The brush's group in the output: its tag unless that is "" or "Brush", else its model's name;
// none for a brush without an operation or without a model name.
std::optional<std::string> BrushGroup(const LevelBrush& brush);

BrushTransform PlacementTransform(const BrushPlacement& placement);

// Places one polygon: its vertices and origin by M (p - PrePivot) + Location; its normal by N
// and normalised, its texture axes by N unnormalised, so every texel stays on its corner. A
// mirroring transform (determinant below 0) reverses the vertex list and keeps the normal's
// direction; a flattening one (determinant 0) leaves normal and texture axes as read. Texture,
// flags and pan are unchanged.
void TransformPolygon(PolygonRecord& polygon, const BrushTransform& transform);
// Turns a carving brush's polygon to face into the space it carves: vertex order reversed and
// normal negated.
void ReversePolygon(PolygonRecord& polygon);

}  // namespace brushwright
