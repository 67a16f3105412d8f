// Writes the MTL material library and the list of missing texture images.
#pragma once

#include <string>

#include "run/run_host.h"
#include "run/texture_table.h"
#include "text/file_text.h"

namespace brushwright {

// One material per table entry; images missing beside the MTL file are shown in a message box
// titled "Brushwright" and listed in <output without extension>MissingTextures.txt.
// Does nothing for a table in its empty state. Returns the number of missing images.
int WriteMaterialLibrary(RunHost& host, OutputFiles& out, const std::string& mtl_path,
                         const TextureTable& table);

}  // namespace brushwright
