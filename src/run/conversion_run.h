// The Go command: one conversion of a level into OBJ and MTL or glTF files, and a report.
#pragma once

#include "run/run_host.h"
#include "run/run_options.h"
#include "run/run_result.h"
#include "run/run_summary.h"

namespace brushwright {

// Runs a conversion from its first label to "Done" as `options` say, showing its progress
// through `host`: read the level, choose and place its brushes, build the mesh (the brushes or
// the world), find the textures, write, report. Errors (unreadable input, unwritable output,
// options that cannot go together, overflow, undecodable image) throw BrushError; whatever was
// written stays on disk. A run that reaches "Done" with a mesh built hands its result to
// `results` when one is given.
RunSummary RunConversion(const RunOptions& options, RunHost& host, ResultSink* results = nullptr);

}  // namespace brushwright
