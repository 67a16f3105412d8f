// The first engine generation's light rules.
#include "light/light_rules.h"

#include <algorithm>
#include <cmath>

namespace brushwright {

namespace {

// A hue byte's third of the wheel: the engine splits 0..255 at 85 and 170.
constexpr double kHueThird = 85;
// Units of a light's reach per step of LightRadius.
constexpr double kReachPerRadius = 25;
// A cone's half-angle: its sine is LightCone / 256 below 1.
constexpr double kConeSteps = 256;
constexpr double kRotatorTurn = 65536;
constexpr double kPi = 3.14159265358979323846;

}  // namespace

LightColour operator+(const LightColour& a, const LightColour& b) {
  return {a.R + b.R, a.G + b.G, a.B + b.B};
}

LightColour operator*(const LightColour& colour, double factor) {
  return {colour.R * factor, colour.G * factor, colour.B * factor};
}

LightColour HsvColour(double hue, double saturation) {
  LightColour pure;
  if (hue < kHueThird + 1) {
    pure = {(kHueThird - hue) / kHueThird, hue / kHueThird, 0};
  } else if (hue < 2 * kHueThird + 1) {
    pure = {0, (2 * kHueThird - hue) / kHueThird, (hue - kHueThird) / kHueThird};
  } else {
    pure = {(hue - 2 * kHueThird) / kHueThird, 0, (255 - hue) / (kHueThird - 1)};
  }
  const double white = std::clamp(saturation, 0.0, 255.0) / 255;
  const auto mix = [white](double channel) {
    return std::clamp(channel, 0.0, 1.0) + white * (1 - std::clamp(channel, 0.0, 1.0));
  };
  return {mix(pure.R), mix(pure.G), mix(pure.B)};
}

LightColour LightColourOf(double hue, double saturation, double brightness,
                          double level_brightness) {
  return HsvColour(hue, saturation) * (brightness / 255 * level_brightness);
}

double LightReach(double light_radius) {
  return kReachPerRadius * (light_radius + 1);
}

double Falloff(double distance, double reach) {
  if (reach <= 0 || distance >= reach) return 0;
  const double s = distance / reach;
  return 2 * s * s * s - 3 * s * s + 1;
}

double Incidence(const Vector& normal, const Vector& to_light) {
  return std::max(0.0, normal.X * to_light.X + normal.Y * to_light.Y + normal.Z * to_light.Z);
}

double SpotCone(const Vector& direction, const Vector& to_texel, double light_cone) {
  const double edge = 1 - std::clamp(light_cone, 0.0, kConeSteps) / kConeSteps;
  const double along =
      direction.X * to_texel.X + direction.Y * to_texel.Y + direction.Z * to_texel.Z;
  if (along <= edge || edge >= 1) return 0;
  const double share = (along - edge) / (1 - edge);
  return share * share;
}

Vector LightDirection(const Rotator& rotation) {
  const double pitch = rotation.Pitch * 2 * kPi / kRotatorTurn;
  const double yaw = rotation.Yaw * 2 * kPi / kRotatorTurn;
  return {std::cos(pitch) * std::cos(yaw), std::cos(pitch) * std::sin(yaw), std::sin(pitch)};
}

double SunIncidence(const Vector& normal, const Vector& direction) {
  return Incidence(normal, Vector{-direction.X, -direction.Y, -direction.Z});
}

LightColour ZoneAmbient(double brightness, double hue, double saturation) {
  return HsvColour(hue, saturation) * (brightness / 255);
}

std::uint8_t DrawnChannel(std::uint8_t texture, double light) {
  const double drawn = std::round(texture * std::max(0.0, light) * 2);
  return static_cast<std::uint8_t>(std::min(drawn, 255.0));
}

}  // namespace brushwright
