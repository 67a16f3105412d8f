// The counts a finished run reports, as the command line's summary line and the window show them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "run/conversion_run.h"
#include "run/run_options.h"

namespace brushwright {

// "faces 12, groups 2, materials 3, missing images 1, report blocks 0"; images converted from
// another type and textures found in packages follow the missing images when there are any
// (", images converted 2, textures from packages 12 (3 through materials)"); a world run adds
// ", fragments 120" and, when it passed brushes over, which in brackets:
// "fragments 120 (1 brush was not closed)"; a run of the level's own build adds
// ", surfaces 40".
std::string SummaryCounts(const RunOptions& options, const RunSummary& summary);

// "1 subtractive brush was" / "14 subtractive brushes were", for `kind` "subtractive".
std::string BrushesWere(std::int32_t n, std::string_view kind);

}  // namespace brushwright
