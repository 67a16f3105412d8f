// A terrain's texture layers baked into one image that covers the terrain once.
#pragma once

#include <cstdint>
#include <vector>

#include "image/image.h"
#include "level/terrain.h"

namespace brushwright {

// One layer to bake: its texture's picture, tiled one texel per UScale x VScale world units,
// shown as much as its alpha map's alpha says (no alpha map: everywhere).
struct BakeLayer {
  const Image* Texture = nullptr;   // not null, with pixels
  const Image* AlphaMap = nullptr;  // null for none
  double UScale = 1;
  double VScale = 1;
};

// The size of the baked image of a terrain of width x height vertices: at least 2 x 2 texels per
// quad, more for small terrains, at most 4096 on a side.
std::int32_t BakedSize(std::int32_t vertices);

// Bakes the layers, each over those before it, into an image of BakedSize(width) x
// BakedSize(height) texels whose row r, column c shows the terrain at vertex coordinates
// ((c + 0.5) / image width * (width - 1), (r + 0.5) / image height * (height - 1)). Where no
// layer shows, the image is mid grey.
Image BakeTerrainLayers(const LevelTerrain& terrain, std::int32_t width, std::int32_t height,
                        const std::vector<BakeLayer>& layers);

}  // namespace brushwright
