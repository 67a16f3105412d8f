// Light baked into new images: every lit face of the world drawn as the game draws it (its
// texture times its light times two) onto atlas pages, shown unlit, for viewers that know no
// light maps.
#pragma once

#include <cstdint>
#include <string>

#include "image/image_file.h"
#include "level/mesh.h"
#include "run/mesh_textures.h"
#include "run/run_host.h"
#include "run/run_options.h"

namespace brushwright {

struct LightBakeSettings {
  double TexelUnits = 4;            // units one baked texel spans
  std::int32_t LargestPage = 4096;  // pages are square, at most this
  std::int32_t MostTexels = 1024;   // a face's widest and tallest frame; coarser texels beyond
  std::string PageName = "Light";   // page n's texture is PageName followed by n, from 1
};

struct BakedLight {
  RunMaterials Materials;
  std::int32_t Pages = 0;   // named PageName1 ... in Materials
  std::int64_t Texels = 0;  // baked, borders aside
};

// Bakes the faces of the mesh's groups that have a light page: each gets a frame of texels on
// the face's texture axes, packed onto pages (as small as holds them all, else of LargestPage),
// every texel DrawnChannel of the face's texture there (its own alpha kept on masked and
// translucent surfaces; a plain grey without a picture) and of the light page's light there,
// filtered between its texels. Baked faces move to surfaces of their page's material, flagged
// Unlit (masked, translucent and two-sided kept), with their corners' texture coordinates on the
// page; their light pages are dropped. Faces without a page and the shapes keep their materials,
// flagged Unlit, as the carried light is all the light there is. Returns the writers' materials:
// those still used, then the pages, whose pictures hold the pixels (Where and the file's bytes
// left for the caller). Needs the corners' texture coordinates (the textures phase made them).
BakedLight BakeLight(Mesh& mesh, RunMaterials materials, const LightBakeSettings& settings);

// The run's step: BakeLight at the options' texel size, the pages named after the output
// ("level_light1") and written beside it as images of the run's texture type, where the MTL
// file names them and the glTF file embeds them. Throws BrushError when a page cannot be encoded.
RunMaterials BakeRunLight(Mesh& mesh, RunMaterials materials, const RunOptions& options,
                          ImageFormat texture_format, RunHost& host);

}  // namespace brushwright
