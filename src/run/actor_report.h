// Text blocks of the actor report: lights, triggers, player starts and teleporters.
#pragma once

#include <string>

#include "run/run_host.h"
#include "t3d/actor_records.h"

namespace brushwright {

// "x, y, z", rotated by the W3D matrix when the W3D option is chosen (read at every call).
std::string VectorReportText(RunHost& host, const Vector& v);
// "a, b, c" in degrees (16368 units per 90 degrees) with the report's offsets.
std::string RotatorReportText(const Rotator& r);

// Each line of a block ends with the window's line break, so that the file writer's own CR LF
// leaves an empty line after the block. Throw BrushError naming the actor when a number would
// be non-finite.
std::string LightReportLines(RunHost& host, const LightRecord& light);
std::string TriggerReportLines(RunHost& host, const TriggerRecord& trigger);
std::string PlayerStartReportLines(RunHost& host, const PlayerStartRecord& start);
std::string TeleporterReportLines(RunHost& host, const TeleporterRecord& teleporter);

}  // namespace brushwright
