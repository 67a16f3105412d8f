// Reads where the editor puts a brush: location, pivot, rotation and two scales.
#include "t3d/brush_placement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <utility>

#include "t3d/text_position.h"
#include "t3d/value_readers.h"
#include "text/key_readers.h"
#include "text/number_text.h"

namespace brushwright {

namespace {

// Each number in a scale reads at most this many characters after its "=", as every other
// component of a T3D vector does.
constexpr std::size_t kComponentWidth = 10;
// The keys inside a "MainScale=" / "PostScale=" value.
constexpr std::string_view kScale = "Scale=";
constexpr std::string_view kSheerRate = "SheerRate=";
constexpr std::string_view kSheerAxis = "SheerAxis=";
// The sheer axis names as the editor writes them; any other name means no sheer.
constexpr std::array<std::pair<std::string_view, SheerAxis>, 6> kSheerNames = {{
    {"SHEER_XY", SheerAxis::kXY},
    {"SHEER_XZ", SheerAxis::kXZ},
    {"SHEER_YX", SheerAxis::kYX},
    {"SHEER_YZ", SheerAxis::kYZ},
    {"SHEER_ZX", SheerAxis::kZX},
    {"SHEER_ZY", SheerAxis::kZY},
}};

// NumberValue of at most kComponentWidth characters after the first `key` in `range`, or
// `fallback` when the range lacks the key.
double NumberAfter(std::string_view range, std::string_view key, double fallback) {
  const std::size_t found = range.find(key);
  if (found == std::string_view::npos) return fallback;
  return NumberValue(range.substr(found + key.size(), kComponentWidth));
}

bool IsNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

SheerAxis SheerAxisAfterKey(std::string_view value) {
  const std::size_t found = value.find(kSheerAxis);
  if (found == std::string_view::npos) return SheerAxis::kNone;
  std::string_view name = value.substr(found + kSheerAxis.size());
  std::size_t length = 0;
  while (length < name.size() && IsNameCharacter(name[length])) ++length;
  name = name.substr(0, length);
  for (const auto& [axis_name, axis] : kSheerNames) {
    if (name == axis_name) return axis;
  }
  return SheerAxis::kNone;
}

// The rest of the line after the first `key` that begins before the block's last character;
// false when there is none.
bool KeyValueOnLine(std::string_view block, std::string_view key, std::string_view& value) {
  const int end = TextLength(block);
  if (end <= 1) return false;
  const int found = FindInRange(block, key, 1, end - 1);
  if (found == 0) return false;
  value = block.substr(static_cast<std::size_t>(found - 1) + key.size());
  value = value.substr(0, value.find_first_of("\r\n"));
  return true;
}

}  // namespace

BrushScale ReadBrushScale(std::string_view block, std::string_view key) {
  BrushScale result;
  std::string_view value;
  if (!KeyValueOnLine(block, key, value)) return result;
  // "Scale=" only inside this value: "TempScale=" and "DrawScale=" carry one too.
  const std::size_t scale = value.find(kScale);
  if (scale != std::string_view::npos) {
    std::string_view components = value.substr(scale + kScale.size());
    components = components.substr(0, components.find(')'));
    result.Scale.X = NumberAfter(components, "X=", 1);
    result.Scale.Y = NumberAfter(components, "Y=", 1);
    result.Scale.Z = NumberAfter(components, "Z=", 1);
  }
  result.SheerRate = NumberAfter(value, kSheerRate, 0);
  result.Axis = SheerAxisAfterKey(value);
  return result;
}

BrushPlacement ReadBrushPlacement(std::string_view block) {
  const int end = TextLength(block);
  BrushPlacement placement;
  placement.Location = ReadVector(block, 1, end, "Location=", 0);
  placement.PrePivot = ReadVector(block, 1, end, "PrePivot=", 0);
  placement.Rotation = ReadRotator(block, 1, end, "Rotation=");
  placement.MainScale = ReadBrushScale(block, "MainScale=");
  placement.PostScale = ReadBrushScale(block, "PostScale=");
  placement.TempScale = ReadBrushScale(block, "TempScale=");
  return placement;
}

}  // namespace brushwright
