// A T3D level read into plain values: its brush actors in text order, and the actors the report
// lists.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "t3d/actor_records.h"
#include "t3d/brush_placement.h"
#include "t3d/polygon_reader.h"

namespace brushwright {

// What a brush actor's "CsgOper=" says. A block naming both CSG_Add and CSG_Subtract is additive.
enum class CsgOperation {
  None,      // no "CsgOper=" at all: the builder brush
  Add,       // "CsgOper=CSG_Add"
  Subtract,  // "CsgOper=CSG_Subtract"
  Other,     // "CsgOper=" with any other value (CSG_Intersect, CSG_Deintersect)
};

struct BrushActor {
  CsgOperation Csg = CsgOperation::None;
  // The OBJ group: the tag, unless it is "", "Brush" or absent, else the name after
  // "Begin Brush Name="; none for a brush without that line or without "CsgOper=".
  std::optional<std::string> Group;
  std::int64_t PolyFlags = 0;  // "PolyFlags=" of the actor, 0 when absent
  // Where the editor puts the brush; the identity for a brush without "CsgOper=".
  BrushPlacement Placement;
  bool Taken = false;                   // chosen by the reader's caller: only these have polygons
  std::vector<PolygonRecord> Polygons;  // as read, in text order
};

// The actors of the report, each list in the order the report writes them.
struct ReportActors {
  std::vector<LightRecord> Lights;  // "Class=Light" actors, then "Class=Spotlight" ones
  std::vector<TriggerRecord> Triggers;
  std::vector<PlayerStartRecord> PlayerStarts;
  // "Class=Teleporter ", then "Class=FavoritesTeleporter ", then "Class=VisibleTeleporter "
  std::vector<TeleporterRecord> Teleporters;
};

struct Level {
  // The text has "Begin Actor" somewhere. A text without is one brush exported on its own: one
  // brush actor without CSG, group or placement, read over the whole text.
  bool HasActors = false;
  std::vector<BrushActor> Brushes;
};

// Decides, for each brush actor in text order, given its CSG operation, whether it is taken:
// only taken brush actors have their group, flags, placement and polygons read.
using BrushChoice = std::function<bool(const BrushActor&)>;

struct LevelReading {
  BrushChoice Take;          // null takes every brush actor
  bool TextureOnly = false;  // polygons keep only texture and flags: no geometry is read
};

// Reads the brush actors, each the block from "Begin Actor Class=Brush" (or "Class=Engine.Brush")
// to the first "End Actor" after it; a brush actor without any "End Actor" after it ends the
// walk. Polygons are read with one record reused from polygon to polygon of the taken brushes, so
// a polygon without "Texture=" keeps the flags of the taken polygon before it. After a taken
// brush the walk goes on past its "End Actor"; after one that is not taken, from its content
// start, so a brush actor lacking its own end is still seen.
Level ReadLevel(std::string_view text, const LevelReading& reading);

// Reads every light, trigger, player start and teleporter, class by class. A 16-bit value out of
// range throws BrushError naming its key.
ReportActors ReadReportActors(std::string_view text);

}  // namespace brushwright
