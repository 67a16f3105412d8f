// The plain scene value that a run fills for the glTF binary writer: geometry, materials, actors.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/image.h"
#include "level/mesh.h"
#include "vecmath/coordinates.h"
#include "vecmath/vecmath.h"

namespace brushwright {

// Marks the absence of a material.
inline constexpr std::int32_t kNoGlbMaterial = -1;

// One texture and polygon-flags pair, as one MTL material.
struct GlbMaterial {
  std::string Name;        // the material name of the MTL: texture name followed by the flags
  std::int64_t Flags = 0;  // the polygon flags of the pair
  // The found texture image: decoded pixels, or the bytes of a PNG file embedded unchanged (they
  // win when both are given). Neither: the material gets a plain colour.
  std::optional<Image> Picture;
  std::string PngBytes;
};

// A light actor with the raw values of its T3D text, in Unreal space.
struct GlbLight {
  std::string Name;
  bool Spot = false;  // class Spotlight
  Vector Location;
  Rotator Rotation;
  double Hue = 0;           // LightHue, 0-255 around the colour wheel
  double Saturation = 255;  // LightSaturation, 255 = white, 0 = full colour
  double Brightness = 64;   // LightBrightness, 0-255
  double Radius = 64;       // LightRadius; the world radius is 25 x (Radius + 1) units
  double Cone = 128;        // LightCone, 0-255
  // A Sunlight: light from far away along its rotation, of one strength everywhere (Radius and
  // Cone do not count).
  bool Directional = false;
};

// A player start, teleporter or trigger: an empty node at its location, in Unreal space,
// turned where the actor faces when it has a facing (a camera placed on a player start then
// looks where the player looks).
struct GlbMarker {
  std::string Name;
  Vector Location;
  std::optional<Rotator> Facing;
};

struct GlbScene {
  // The faces, by group; none for a file of materials and actors only. A surface's material
  // indexes Materials.
  const Mesh* Geometry = nullptr;
  std::vector<GlbMaterial> Materials;
  // The material of faces whose surface has none; kNoGlbMaterial when no face lacks one.
  std::int32_t UntexturedMaterial = kNoGlbMaterial;
  std::vector<GlbLight> Lights;
  std::vector<GlbMarker> Markers;
  double Scale = kMetresPerUnrealUnit;  // metres per unit; positive
};

}  // namespace brushwright
