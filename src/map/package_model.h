// The models of a map package: the polygon list of a brush's model, and the BSP of the level's
// own model as the editor last built it.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "level/level.h"
#include "package/package_file.h"

namespace brushwright {

// Up to version 61 a model keeps its BSP in five objects of its own (Vectors, Points, BspNodes,
// BspSurfs, Verts) and names them; from 62 on the arrays are stored in the model itself.
constexpr bool HasSeparateBspObjects(int version) {
  return version <= 61;
}
// Before version 62 a bounding sphere is its centre alone; from 62 on its radius follows.
constexpr bool HasSphereRadius(int version) {
  return version >= 62;
}
// The second generation (after version 69) builds its BSP for its renderer: a node adds its
// bounding sphere after its render bound and ends with its render section, the section's first
// vertex and its light map; a surface gives up its light map and pan for its plane and light-map
// scale after its actor; a zone's properties take 20 bytes after its actor; render sections and
// light maps follow the model's links.
constexpr bool HasNodeSphereAndSection(int version) {
  return version > 69;
}
constexpr bool HasSurfacePlane(int version) {
  return version > 69;
}
// The bytes of a zone's properties after its zone actor: two 64-bit masks, then the time it was
// last drawn before version 63, and 20 bytes in all in the second generation.
constexpr std::int64_t ZonePropertyBytes(int version) {
  if (version > 69) return 20;
  return version < 63 ? 20 : 16;
}
// Polygons carry their texture pan before version 78; later ones move their base instead.
constexpr bool HasPolygonPan(int version) {
  return version < 78;
}
// From version 106 on a polygon ends with its light map's scale.
constexpr bool HasPolygonLightMapScale(int version) {
  return version >= 106;
}
// From version 116 on a second-generation level's model stores its build's light after its Polys
// reference: bounds, leaf hulls, leaves and lights, two flags, render sections (whose vertices
// carry position, texture and light-map coordinates and normal), light maps (frames on pages)
// and the light-map pages themselves (DXT pictures with a half-size mip).
constexpr bool HasStoredLightPages(int version) {
  return version >= 116;
}

// Where a model's polygons are: its Polys object, or why they cannot be reached.
struct ModelPolys {
  std::int32_t Polys = 0;  // object reference; 0 when the model names none
  std::string Problem;     // "" when Polys was read; else why the model is passed over
};

// The Polys reference of model export `model_index`. A model whose BSP is stored in a layout
// this reader does not know (a second-generation brush model that was built) gives a Problem
// instead. Throws BrushError naming the file, the model and the byte offset when its bytes are
// broken.
ModelPolys ReadModelPolys(const PackageFile& package, std::int32_t model_index);

// The polygons of Polys export `polys_index` as the T3D export of its generation writes them
// (numbers with six decimals, texture references, flags as a magnitude). Throws BrushError
// naming the file, the object and the byte offset when they are broken.
std::vector<PolygonRecord> ReadPolys(const PackageFile& package, std::int32_t polys_index);

// The BSP of the level's model export `model_index` (a package of either generation): every index
// checked against the arrays it points into. `brush_of_actor` turns a surface's brush actor
// reference into its index in Level::Brushes; other actors give kNoBrush. Throws BrushError
// naming the file, the object and what is broken.
LevelBsp ReadLevelBsp(const PackageFile& package, std::int32_t model_index,
                      const std::unordered_map<std::int32_t, std::int32_t>& brush_of_actor);

// The light the level's model export `model_index` stores (a second-generation package that
// HasStoredLightPages): its pages decoded into `bsp`, read from the same model by ReadLevelBsp,
// and on each node its page, its corners' place on it and its light map. A node's corners take
// the light-map coordinates of its render section's vertices, as the engine draws it. Every count,
// index and size is checked against what it points into; `bsp` is left as it was when something
// is broken. Throws BrushError naming the file, the model and the byte offset or what is broken.
void ReadBuiltLight(const PackageFile& package, std::int32_t model_index, LevelBsp& bsp);

// The light maps of the level's model export `model_index` (a first-generation package from
// version 62 on): every light map's frame, light list and shadow bits, and every surface's light
// map, checked against the arrays they point into. Throws BrushError naming the file, the object
// and what is broken.
LevelLightMaps ReadLevelLightMaps(const PackageFile& package, std::int32_t model_index);

}  // namespace brushwright
