// Light baked into new images: every lit face of the world drawn as the game draws it (its
// texture times its light times two) onto atlas pages, shown unlit, for viewers that know no
// light maps.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "image/image_file.h"
#include "level/mesh.h"
#include "run/mesh_textures.h"
#include "run/run_host.h"
#include "run/run_options.h"

namespace brushwright {

struct LightBakeSettings {
  double TexelUnits = 4;            // units one baked texel spans
  std::int32_t LargestPage = 4096;  // pages are at most this square
  std::int32_t MostTexels = 1024;   // a face's widest and tallest frame; coarser texels beyond
  // All frames together, borders included: four of the largest pages (whose pixels take 64 MiB
  // each). Coarser texels beyond.
  std::int64_t TexelBudget = std::int64_t{4} * 4096 * 4096;
  std::string PageName = "Light";  // page n's texture is PageName followed by n, from 1
};

struct BakedLight {
  RunMaterials Materials;
  std::int32_t Pages = 0;   // named PageName1, PageName2, ...
  std::int64_t Texels = 0;  // baked, borders aside
  double TexelUnits = 0;    // as baked: the settings', or coarser to keep the budget
};

// Takes each page as it is drawn: its name and pixels.
using PageSink = std::function<void(const std::string& name, Image page)>;

// Bakes the faces of the mesh's groups that have a light page, but those of Unlit surfaces
// (drawn at full brightness, their textures as they are): each gets a frame of texels on
// the face's texture axes (coarser texels when all frames would pass TexelBudget), packed onto
// pages (as small as holds them all, else of LargestPage, the last as small as holds its rest),
// every texel DrawnChannel of the face's texture there (its own alpha kept on masked and
// translucent surfaces; a plain grey without a picture) and of the light page's light there,
// filtered between its texels. The pages are drawn one at a time and handed to `take_page`.
// Baked faces move to surfaces of their page's material, flagged Unlit (masked, translucent and
// two-sided kept), with their corners' texture coordinates on the page; no face points at a
// light page afterwards (Mesh::LightPages stays, for the run's counts). Faces without a page and
// the shapes keep their materials, flagged Unlit, as the carried light is all the light there is.
// Gives the writers' table (the materials still used, then the pages') with the pictures of the
// materials kept; the pages' pictures are the sink's. Needs the corners' texture coordinates (the
// textures phase made them).
BakedLight BakeLight(Mesh& mesh, RunMaterials materials, const LightBakeSettings& settings,
                     const PageSink& take_page);

// The run's step: BakeLight at the options' texel size, the pages named after the output
// ("level_light1") and written beside it as images of the run's texture type, where the MTL
// file names them, and embedded as PNG by the glTF output. A page's pixels are kept only with
// `keep_pictures` (a front end shows the result); else its encoded files alone, so that one
// page's pixels are in memory at a time. A coarser texel than asked for is told as a notice.
// Throws BrushError when a page cannot be encoded.
RunMaterials BakeRunLight(Mesh& mesh, RunMaterials materials, const RunOptions& options,
                          ImageFormat texture_format, RunHost& host, bool keep_pictures);

}  // namespace brushwright
