// Writes the MTL material library and the list of missing texture images.
#pragma once

#include <string>

#include "run/run_host.h"
#include "run/run_options.h"
#include "run/texture_table.h"
#include "text/file_text.h"

namespace brushwright {

// Writes the MTL file beside the output: one material per table entry, naming its image of the
// options' texture type. Does nothing for a table in its empty state.
void WriteMtlFile(OutputFiles& out, const RunOptions& options, const TextureTable& table);

// Writes the MTL file beside the output: one material per table entry, naming its image of the
// options' texture type; then the missing images as WriteMissingTextureList does. Does nothing
// for a table in its empty state. Returns the number of missing images.
int WriteMaterialLibrary(RunHost& host, OutputFiles& out, const RunOptions& options,
                         const TextureTable& table);

// Shows the images of the table's textures that are missing beside the output in a message box
// titled "Brushwright" and lists them in the missing-texture list. Returns the number of images the
// message names (a texture missing with two sets of flags is one image).
int WriteMissingTextureList(RunHost& host, OutputFiles& out, const RunOptions& options,
                            const TextureTable& table);

}  // namespace brushwright
