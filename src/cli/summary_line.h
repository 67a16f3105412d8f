// The line brushwright-convert prints after each input: what it converted, and why nothing.
#pragma once

#include <string>

#include "cli/command_line.h"
#include "run/conversion_run.h"

namespace brushwright {

// "room.t3d: faces 12, groups 2, materials 3, missing images 1, report blocks 0, 0.02 s";
// when no face was converted, "; no face converted: " and the reason follow.
std::string SummaryLine(const ConvertOptions& options, const std::string& input,
                        const RunSummary& summary, double seconds);

// Why a run converted no face, in words that name the option that would change it; "" when
// faces were converted or geometry was not asked for.
std::string NothingConvertedReason(const ConvertOptions& options, const RunSummary& summary);

}  // namespace brushwright
