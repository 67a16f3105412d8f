// Reads a T3D text into the plain level: its brush actors in text order with their polygons,
// and the actors the report lists.
#pragma once

#include <string_view>

#include "level/level.h"

namespace brushwright {

// Reads the whole level. Brush actors are the blocks from "Begin Actor Class=Brush" (or
// "Class=Engine.Brush") to their "End Actor"; a block lacking its own ends where the next actor
// begins, and a brush actor without any "End Actor" after it ends the walk. Polygons are read
// with one record reused from polygon to polygon, so a polygon without "Texture=" keeps the
// flags read before it (and is marked FlagsOfPrevious). A text without any "Begin Actor" is one
// brush read over the whole text. Report actors are read class by class (see ReadReportActors).
// Throws BrushError when a 16-bit value of a report actor is out of range, naming its key.
Level ReadT3dLevel(std::string_view text);

// Every light, spotlight, trigger, player start and teleporter, class by class, each read into
// one record reused from actor to actor of its kind.
ReportActors ReadReportActors(std::string_view text);

}  // namespace brushwright
