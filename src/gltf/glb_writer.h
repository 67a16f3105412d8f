// Writes a GlbScene as one glTF 2.0 binary file (.glb): +Y up, right-handed, metres.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "gltf/glb_scene.h"
#include "image/image.h"

namespace brushwright {

// Turns decoded pixels into the bytes of a PNG file (the image library's EncodePng).
using PngEncoder = std::function<std::string(const Image&)>;

// What went into a file, for the run's summary.
struct GlbCounts {
  std::int64_t Triangles = 0;
  std::int64_t Vertices = 0;      // position and texture coordinate pairs, over all primitives
  std::int64_t SkippedFaces = 0;  // faces of fewer than three corners: they have no area
};

// The bytes of the .glb file of `scene`, the same bytes for the same scene; `path` only names
// the file in errors. A node per group (a mesh with one primitive per material when the group
// has faces), a light node per light and an empty node per marker. Throws BrushError naming
// the file when a position or texture coordinate would be written non-finite or the file would
// pass the format's 4 GiB; the encoder's own errors pass through.
std::string GlbBytes(const std::string& path, const GlbScene& scene, const PngEncoder& encode_png,
                     GlbCounts& counts);

// Writes GlbBytes to `path`, creating or replacing the file. Throws BrushError naming the file.
GlbCounts WriteGlb(const std::string& path, const GlbScene& scene, const PngEncoder& encode_png);

}  // namespace brushwright
