// The first engine generation's light rules as plain functions: a light's colour and reach, what
// it adds to a texel, the zone's ambient light and how a surface is drawn under its light.
#pragma once

#include <cstdint>

#include "vecmath/vecmath.h"

namespace brushwright {

// Light in 0..1 per channel (more where lights add up); 0.5 leaves a texture as it is.
struct LightColour {
  double R = 0;
  double G = 0;
  double B = 0;
};

LightColour operator+(const LightColour& a, const LightColour& b);
LightColour operator*(const LightColour& colour, double factor);

// The engine's hue and saturation bytes as a colour of full brightness: the hue in thirds
// around the wheel (0 red, 85 green, 170 blue), the saturation mixing toward white (255 is
// white, 0 the pure hue).
LightColour HsvColour(double hue, double saturation);

// A light's colour: its hue and saturation at LightBrightness / 255, times the level's
// brightness.
LightColour LightColourOf(double hue, double saturation, double brightness,
                          double level_brightness);

// How far a light reaches, in units: 25 x (LightRadius + 1).
double LightReach(double light_radius);

// What is left of a light at `distance` from it: 2S^3 - 3S^2 + 1 with S = distance / reach,
// 1 at the light and 0 at and beyond its reach.
double Falloff(double distance, double reach);

// The cosine of the angle at which light travelling along `to_light` (unit, from the texel
// toward the light) meets a surface of unit `normal`; 0 from behind.
double Incidence(const Vector& normal, const Vector& to_light);

// A spot light's share at a texel: 1 along its unit `direction`, falling to 0 at the edge of its
// cone, whose half-angle's cosine is 1 - LightCone / 256; the fall is squared, as the cone's edge
// is soft. `to_texel` is unit, from the light toward the texel.
double SpotCone(const Vector& direction, const Vector& to_texel, double light_cone);

// The unit direction a light points in, from its rotation (65536 units per turn).
Vector LightDirection(const Rotator& rotation);

// What sunlight adds to a surface of unit `normal`: it comes from far away along the unit
// `direction` the sun points in, without falloff.
double SunIncidence(const Vector& normal, const Vector& direction);

// The zone's ambient light, added to every texel: its AmbientHue and AmbientSaturation at
// AmbientBrightness / 255.
LightColour ZoneAmbient(double brightness, double hue, double saturation);

// One channel of a drawn texel: texture x light x 2, in gamma space, clamped to 0..255.
std::uint8_t DrawnChannel(std::uint8_t texture, double light);

}  // namespace brushwright
