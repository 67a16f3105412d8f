// Writes the report file: the level's lights, triggers, player starts and teleporters.
#pragma once

#include <functional>
#include <string>

#include "level/actors.h"
#include "text/file_text.h"

namespace brushwright {

// Writes "Lights, Movers, Sounds" and an empty line, then one block per actor in the order of
// `actors`, calling `after_block` after each (the run yields there). Vectors other than a
// light's location are rotated into W3D coordinates when `w3d` is set. Returns the number of
// blocks. Throws BrushError when the file cannot be written or a number is not finite.
int WriteReport(OutputFiles& out, const std::string& path, const ReportActors& actors, bool w3d,
                const std::function<void()>& after_block);

}  // namespace brushwright
