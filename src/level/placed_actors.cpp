// The looks a run leaves out, named by class.
#include "level/placed_actors.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>
#include <utility>

namespace brushwright {

namespace {

// Parts of class names whose actors draw particles, projected textures or water: the game shows
// them, no run converts them. (Terrains are read as such; a run that leaves them out counts them.)
constexpr std::array<std::string_view, 4> kUnconvertedLooks = {"emitter", "projector",
                                                               "fluidsurface", "decal"};

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lowered;
}

// Mover classes end in this.
constexpr std::string_view kMoverSuffix = "mover";
// Zone classes end in one of these.
constexpr std::array<std::string_view, 2> kZoneSuffixes = {"zoneinfo", "zone"};
constexpr std::string_view kLevelInfoClass = "levelinfo";

}  // namespace

bool IsMoverClass(std::string_view class_name) {
  const std::string lowered = Lowered(class_name);
  return lowered.ends_with(kMoverSuffix);
}

bool IsZoneClass(std::string_view class_name) {
  const std::string lowered = Lowered(class_name);
  return lowered == kLevelInfoClass ||
         std::any_of(kZoneSuffixes.begin(), kZoneSuffixes.end(),
                     [&](std::string_view suffix) { return lowered.ends_with(suffix); });
}

bool IsLevelInfoClass(std::string_view class_name) {
  return Lowered(class_name) == kLevelInfoClass;
}

bool ShowsUnconvertedLooks(const std::string& class_name) {
  const std::string lowered = Lowered(class_name);
  return std::any_of(
      kUnconvertedLooks.begin(), kUnconvertedLooks.end(),
      [&](std::string_view part) { return lowered.find(part) != std::string::npos; });
}

std::string LeftOutText(const LeftOutClasses& classes) {
  std::vector<std::pair<std::string, std::int32_t>> sorted(classes.begin(), classes.end());
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  std::string text;
  for (const auto& [name, count] : sorted) {
    if (!text.empty()) text += ", ";
    text += std::to_string(count) + " " + name;
  }
  return text;
}

}  // namespace brushwright
