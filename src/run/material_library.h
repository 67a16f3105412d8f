// Writes the MTL material library and the list of missing texture images.
#pragma once

#include <string>

#include "run/run_host.h"
#include "run/run_options.h"
#include "run/texture_table.h"
#include "text/file_text.h"

namespace brushwright {

// Writes the MTL file beside the output: one material per table entry, naming its image of the
// options' texture type; images missing beside the MTL file are shown in a message box titled
// "Brushwright" and listed in the missing-texture list. Does nothing for a table in its empty
// state. Returns the number of missing images.
int WriteMaterialLibrary(RunHost& host, OutputFiles& out, const RunOptions& options,
                         const TextureTable& table);

}  // namespace brushwright
