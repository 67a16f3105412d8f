// Light-map atlases: frames of texels packed onto square pages, and the frame that covers a
// polygon when the level stores none (a T3D export, the CSG world).
#pragma once

#include <cstdint>
#include <vector>

#include "level/level_bsp.h"
#include "vecmath/vecmath.h"

namespace brushwright {

// Where a frame lies: its page and its first texel's column and row there.
struct AtlasPlace {
  std::int32_t Page = 0;
  std::int32_t X = 0;
  std::int32_t Y = 0;
};

struct FrameSize {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
};

// Texels of border PackLightAtlas leaves on every side of a frame.
inline constexpr std::int32_t kAtlasBorder = 1;

struct LightAtlas {
  std::int32_t PageSize = 0;
  std::int32_t Pages = 0;
  std::vector<AtlasPlace> Places;  // one per frame, in the frames' order
};

// Packs the frames onto pages of `page_size` square in rows, tallest first, each frame with a
// texel of border on every side so that filtering never mixes two frames. Throws BrushError
// naming the frame when one (with its border) is larger than a page.
LightAtlas PackLightAtlas(const std::vector<FrameSize>& frames, std::int32_t page_size);

// A frame covering `corners` (a polygon on its plane) at one texel per `texel_units` units along
// the texture axes `texture_u` and `texture_v` from `base`, its frame coordinates whole texels
// from the nearest corner; no light listed. A frame that would be wider or taller than
// `most_texels` gets coarser texels instead.
LightMapIndex FrameOfPolygon(const std::vector<Vector>& corners, const Vector& base,
                             const Vector& texture_u, const Vector& texture_v, double texel_units,
                             std::int32_t most_texels);

// Where a point of the frame's surface lies on its atlas page, 0 to 1 across: its frame
// coordinate ((P - base) . TextureU - Pan.X) / UScale, whose texel u spans u to u + 1, offset to
// the frame's place.
void AtlasCoordinate(const LightMapIndex& frame, const AtlasPlace& place, std::int32_t page_size,
                     const Vector& point, const Vector& base, const Vector& texture_u,
                     const Vector& texture_v, double& s, double& t);

}  // namespace brushwright
