// Text blocks of the actor report: lights, triggers, player starts and teleporters.
#pragma once

#include <string>

#include "level/actors.h"

namespace brushwright {

// "x, y, z", rotated by the W3D matrix when `w3d` is set, as the geometry is.
std::string VectorReportText(bool w3d, const Vector& v);
// "a, b, c" in degrees (16368 units per 90 degrees) with the report's offsets.
std::string RotatorReportText(const Rotator& r);

// Each line of a block ends with the window's line break, so that the file writer's own CR LF
// leaves an empty line after the block. Throw BrushError naming the actor when a number would
// be non-finite.
// A light's location is written as read, in both coordinate systems.
std::string LightReportLines(const LightRecord& light);
std::string TriggerReportLines(bool w3d, const TriggerRecord& trigger);
std::string PlayerStartReportLines(bool w3d, const PlayerStartRecord& start);
std::string TeleporterReportLines(bool w3d, const TeleporterRecord& teleporter);

}  // namespace brushwright
