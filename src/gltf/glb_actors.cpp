// Actors of the .glb file: lights as KHR_lights_punctual lights, markers as empty nodes.
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "gltf/glb_build.h"
#include "text/brush_error.h"
#include "vecmath/brush_transform.h"
#include "vecmath/coordinates.h"

namespace brushwright {

namespace {

// Light properties are bytes in the engine: values outside 0..255 are clamped.
constexpr double kByteMax = 255;
// Hue runs once around the colour wheel in 256 steps (255 is just short of red again).
constexpr double kHueSteps = 256;
// Red, yellow, green, cyan, blue, magenta and red again: the wheel's sixths.
constexpr double kWheel[7][3] = {{1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 1, 1},
                                 {0, 0, 1}, {1, 0, 1}, {1, 0, 0}};
// The engine lights a sphere of 25 x (LightRadius + 1) units.
constexpr double kUnitsPerRadiusStep = 25;
// The cosine of a spot cone's edge angle is 1 - LightCone / 256, as in the engine.
constexpr double kConeSteps = 256;
// A cone narrower than one step would close completely; glTF needs an outer angle above 0.
constexpr double kMinCone = 1;
// Intensity in candela puts a white surface that faces a lone light at half its range at
// LightBrightness / 255 of full white (irradiance I / d^2, Lambertian radiance E / pi)...
constexpr double kReferenceRangeFraction = 0.5;
// ...shared by the lights that reach a lit surface: levels place their lights with overlapping
// ranges, on average 3 to 9.3 of them reaching each lit surface of the sample levels, and a
// surface lit by all of them at full strength burns to white.
constexpr double kOverlappingLights = 8;
// The illuminance of a Sunlight at full brightness, in lux: a viewer shows a white surface
// facing it at about full white without exposure settings.
constexpr double kSunLux = 3;
constexpr char kLightsExtension[] = "KHR_lights_punctual";

double ClampByte(double value) {
  return std::isfinite(value) ? std::clamp(value, 0.0, kByteMax) : 0;
}

// Full colour from the hue, between the two primaries or secondaries around it, mixed toward
// white by the saturation, which the engine counts the other way round: 0 is full colour.
std::vector<double> LightColour(double hue, double saturation) {
  const double h = ClampByte(hue) / kHueSteps * 6;
  const auto sector = static_cast<std::size_t>(h);  // 0..5: 255 / 256 of a turn stays below 6
  const double f = h - static_cast<double>(sector);
  const double white = ClampByte(saturation) / kByteMax;
  std::vector<double> colour;
  for (std::size_t c = 0; c < 3; ++c) {
    const double full = kWheel[sector][c] + f * (kWheel[sector + 1][c] - kWheel[sector][c]);
    colour.push_back(full + white * (1 - full));
  }
  return colour;
}

// glTF's (x, y, z, w) quaternion of a rotation matrix (columns: the images of the axes).
std::vector<double> Quaternion(const double m[3][3]) {
  double q[4];  // x, y, z, w
  const double trace = m[0][0] + m[1][1] + m[2][2];
  if (trace > 0) {
    const double s = std::sqrt(trace + 1) * 2;
    q[3] = s / 4;
    q[0] = (m[2][1] - m[1][2]) / s;
    q[1] = (m[0][2] - m[2][0]) / s;
    q[2] = (m[1][0] - m[0][1]) / s;
  } else {
    // The largest diagonal element keeps the square root away from zero.
    int i = 0;
    if (m[1][1] > m[i][i]) i = 1;
    if (m[2][2] > m[i][i]) i = 2;
    const int j = (i + 1) % 3;
    const int k = (i + 2) % 3;
    const double s = std::sqrt(m[i][i] - m[j][j] - m[k][k] + 1) * 2;
    q[i] = s / 4;
    q[j] = (m[j][i] + m[i][j]) / s;
    q[k] = (m[k][i] + m[i][k]) / s;
    q[3] = (m[k][j] - m[j][k]) / s;
  }
  // Of the two quaternions of a rotation always the one with w >= 0; +0 turns -0 into 0.
  const double sign = q[3] < 0 ? -1 : 1;
  const double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
  std::vector<double> unit;
  for (double component : q) unit.push_back(sign * component / length + 0.0);
  return unit;
}

// The node rotation that turns a node's -Z (where a glTF spot light shines and a camera looks)
// where the rotator turns the Unreal actor's +X, with the actor's up (+Z) kept as the node's
// +Y. Unreal directions map to glTF as (x, y, z) -> (x, z, y).
std::vector<double> FacingRotation(const Rotator& rotation) {
  const Matrix3 r = RotationMatrix(rotation);
  const double forward[3] = {r.m[0][0], r.m[2][0], r.m[1][0]};
  const double up[3] = {r.m[0][2], r.m[2][2], r.m[1][2]};
  double m[3][3];
  for (int row = 0; row < 3; ++row) {
    m[row][1] = up[row];
    m[row][2] = -forward[row];
  }
  // +X = +Y cross +Z, so the frame stays right-handed.
  m[0][0] = m[1][1] * m[2][2] - m[2][1] * m[1][2];
  m[1][0] = m[2][1] * m[0][2] - m[0][1] * m[2][2];
  m[2][0] = m[0][1] * m[1][2] - m[1][1] * m[0][2];
  return Quaternion(m);
}

tinygltf::Light LightOf(const GlbLight& source, double scale) {
  tinygltf::Light light;
  light.name = GltfName(source.Name);
  if (source.Directional) {
    // Sunlight in lux: full brightness as bright daylight on a surface facing the sun.
    light.type = "directional";
    light.color = LightColour(source.Hue, source.Saturation);
    light.intensity = ClampByte(source.Brightness) / kByteMax * kSunLux;
    return light;
  }
  light.type = source.Spot ? "spot" : "point";
  light.color = LightColour(source.Hue, source.Saturation);
  light.range = kUnitsPerRadiusStep * (ClampByte(source.Radius) + 1) * scale;
  const double reference = light.range * kReferenceRangeFraction;
  light.intensity = ClampByte(source.Brightness) / kByteMax * std::numbers::pi * reference *
                    reference / kOverlappingLights;
  if (source.Spot) {
    const double cone = std::clamp(ClampByte(source.Cone), kMinCone, kByteMax);
    light.spot.innerConeAngle = 0;  // the engine's light fades from the axis to the edge
    light.spot.outerConeAngle = std::acos(1 - cone / kConeSteps);
  }
  return light;
}

}  // namespace

std::vector<double> GltfRotationOf(const Matrix3& rotation) {
  // The level's (x, y, z) is glTF's (x, z, y): the same swap on both sides of the matrix.
  constexpr int kAxis[3] = {0, 2, 1};
  double m[3][3];
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column)
      m[row][column] = rotation.m[kAxis[row]][kAxis[column]];
  }
  return Quaternion(m);
}

void AddActorNodes(const std::string& path, const GlbScene& scene, tinygltf::Model& model) {
  const auto add_node = [&](const std::string& name, const Vector& location) -> tinygltf::Node& {
    tinygltf::Node& node = model.nodes.emplace_back();
    node.name = GltfName(name);
    const std::array<double, 3> translation = UnrealToGltf(location, scene.Scale);
    node.translation.assign(translation.begin(), translation.end());
    if (!std::all_of(node.translation.begin(), node.translation.end(),
                     [](double d) { return std::isfinite(d); })) {
      throw BrushError("cannot write '" + path + "': actor '" + name +
                       "' has a location out of range");
    }
    return node;
  };
  for (const GlbLight& light : scene.Lights) {
    tinygltf::Node& node = add_node(light.Name, light.Location);
    if (light.Spot || light.Directional) node.rotation = FacingRotation(light.Rotation);
    tinygltf::Value::Object reference;
    reference["light"] = tinygltf::Value(static_cast<int>(model.lights.size()));
    node.extensions[kLightsExtension] = tinygltf::Value(std::move(reference));
    model.lights.push_back(LightOf(light, scene.Scale));
  }
  for (const GlbMarker& marker : scene.Markers) {
    tinygltf::Node& node = add_node(marker.Name, marker.Location);
    if (marker.Facing) node.rotation = FacingRotation(*marker.Facing);
  }
}

}  // namespace brushwright
