// A terrain's height map texture read as heights.
#pragma once

#include <cstdint>

#include "level/terrain.h"
#include "package/package_file.h"

namespace brushwright {

// The heights of texture export `export_index`: its top mip's 16-bit grey values (G16), or its
// 8-bit ones (L8, P8 palette indexes) times 256. Another format, no pixels, or fewer than its size
// needs give a Problem. Throws BrushError naming the file, the texture and the byte offset when
// its properties or mip array are broken.
HeightSamples ReadHeightSamples(const PackageFile& package, std::int32_t export_index);

}  // namespace brushwright
