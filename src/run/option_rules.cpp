// Which switches of a run go together.
#include "run/option_rules.h"

namespace brushwright {

namespace {

// What a switch does that another set with it would contradict.
struct SwitchRule {
  RunSwitch First;
  RunSwitch Second;
  const char* Reason;
};
// In the order they are checked: the two ways of writing the world first.
constexpr SwitchRule kRules[] = {
    {RunSwitch::BuiltWorld, RunSwitch::BuildWorld,
     "writes the surfaces the editor built instead of building them"},
    {RunSwitch::BuildWorld, RunSwitch::NoBrushTransforms,
     "places every brush by its whole transform"},
    {RunSwitch::BuildWorld, RunSwitch::Subtractive,
     "builds subtractive brushes into the level's surfaces"},
    {RunSwitch::BuildWorld, RunSwitch::BuildBrush, "leaves the builder brush out"},
    {RunSwitch::BuiltWorld, RunSwitch::NoBrushTransforms,
     "writes the surfaces the editor built, not the brushes"},
    {RunSwitch::BuiltWorld, RunSwitch::Subtractive,
     "writes the surfaces the editor built, not the brushes"},
    {RunSwitch::BuiltWorld, RunSwitch::BuildBrush,
     "writes the surfaces the editor built, not the brushes"},
    {RunSwitch::Light, RunSwitch::BrushOutput, "lights the surfaces the level shows"},
    {RunSwitch::LightMaps, RunSwitch::NoLightMapOutput,
     "needs second texture coordinates, which OBJ files lack (--light bake carries the light "
     "there)"},
};

bool IsSet(const RunOptions& options, RunSwitch which) {
  switch (which) {
    case RunSwitch::BuildWorld:
      return options.BuildWorld;
    case RunSwitch::BuiltWorld:
      return options.BuiltWorld;
    case RunSwitch::NoBrushTransforms:
      return !options.BrushTransforms;
    case RunSwitch::Subtractive:
      return options.Subtractive;
    case RunSwitch::BuildBrush:
      return options.BuildBrush;
    case RunSwitch::W3D:
      return options.W3D;
    case RunSwitch::NoStaticMeshes:
      return !options.StaticMeshes;
    case RunSwitch::NoMovers:
      return !options.Movers;
    case RunSwitch::NoTerrain:
      return !options.Terrain;
    case RunSwitch::WithMeshes:
      return options.WithMeshes;
    case RunSwitch::Light:
      return options.Light != LightMode::None;
    case RunSwitch::BrushOutput:
      return !options.BuildWorld && !options.BuiltWorld;
    case RunSwitch::LightMaps:
      return options.Light == LightMode::Maps;
    case RunSwitch::NoLightMapOutput:
      return !OutputKindOf(options.Format).CarriesLightMaps;
  }
  return false;
}

}  // namespace

SwitchNames NamesOf(RunSwitch which) {
  switch (which) {
    case RunSwitch::BuildWorld:
      return {"Build World (CSG)", "--world"};
    case RunSwitch::BuiltWorld:
      return {"Use the Level's Own Build", "--built-world"};
    case RunSwitch::NoBrushTransforms:
      return {"clearing Apply Brush Transforms", "--no-brush-transforms"};
    case RunSwitch::Subtractive:
      return {"Include Subtractive Brushes", "--subtractive"};
    case RunSwitch::BuildBrush:
      return {"Just the Build Brush", "--build-brush"};
    case RunSwitch::W3D:
      return {"W3D", "--w3d"};
    case RunSwitch::NoStaticMeshes:
      return {"clearing Static Meshes", "--no-static-meshes"};
    case RunSwitch::NoMovers:
      return {"clearing Movers", "--no-movers"};
    case RunSwitch::NoTerrain:
      return {"clearing Terrain", "--no-terrain"};
    case RunSwitch::WithMeshes:
      return {"Add Them to the Brushes", "--with-meshes"};
    case RunSwitch::Light:
      return {"Light as the Game", "--light"};
    case RunSwitch::BrushOutput:
      return {"writing the brushes (neither Build World nor the Level's Own Build)",
              "writing the brushes (neither --world nor --built-world)"};
    case RunSwitch::LightMaps:
      return {"Light as the Game without Bake into Textures", "--light maps"};
    case RunSwitch::NoLightMapOutput:
      return {"the OBJ Output Type", "OBJ output (--format obj, the default)"};
  }
  return {"", ""};
}

bool SwitchApplies(const RunOptions& options, RunSwitch which) {
  switch (which) {
    case RunSwitch::NoBrushTransforms:
    case RunSwitch::Subtractive:
    case RunSwitch::BuildBrush:
      return !options.BuildWorld && !options.BuiltWorld;
    case RunSwitch::W3D:
      return OutputKindOf(options.Format).TakesCoordinates || options.Report;
    case RunSwitch::BuildWorld:
      return !options.BuiltWorld;
    case RunSwitch::BuiltWorld:
      return true;
    case RunSwitch::NoStaticMeshes:
    case RunSwitch::NoMovers:
    case RunSwitch::NoTerrain:
      return ShowsWholeLevel(options);
    case RunSwitch::WithMeshes:
      return !options.BuildWorld && !options.BuiltWorld;
    case RunSwitch::Light:
      return options.BuildWorld || options.BuiltWorld;
    case RunSwitch::LightMaps:
      return OutputKindOf(options.Format).CarriesLightMaps;
    case RunSwitch::BrushOutput:
    case RunSwitch::NoLightMapOutput:
      return true;
  }
  return true;
}

std::optional<OptionConflict> FindOptionConflict(const RunOptions& options) {
  for (const SwitchRule& rule : kRules) {
    if (IsSet(options, rule.First) && IsSet(options, rule.Second)) {
      return OptionConflict{rule.First, rule.Second, rule.Reason};
    }
  }
  return std::nullopt;
}

std::string ConflictMessage(const OptionConflict& conflict, bool flags) {
  const auto name = [flags](RunSwitch which) {
    const SwitchNames names = NamesOf(which);
    return std::string(flags ? names.Flag : names.Label);
  };
  return name(conflict.First) + " " + conflict.Reason + "; " + name(conflict.Second) +
         " cannot go with it";
}

bool BakeTexelUnitsAllowed(double units) {
  return units >= kFinestBakeTexelUnits && units <= kCoarsestBakeTexelUnits;
}

bool WritesPunctualLights(const RunOptions& options) {
  return options.Lights && (options.Light == LightMode::None || options.LightsWithLight);
}

RunOptions WithoutInapplicableSwitches(RunOptions options) {
  if (!SwitchApplies(options, RunSwitch::BuildWorld)) options.BuildWorld = false;
  if (!SwitchApplies(options, RunSwitch::NoBrushTransforms)) options.BrushTransforms = true;
  if (!SwitchApplies(options, RunSwitch::Subtractive)) options.Subtractive = false;
  if (!SwitchApplies(options, RunSwitch::BuildBrush)) options.BuildBrush = false;
  if (!SwitchApplies(options, RunSwitch::W3D)) options.W3D = false;
  if (!SwitchApplies(options, RunSwitch::WithMeshes)) options.WithMeshes = false;
  if (!SwitchApplies(options, RunSwitch::Light)) options.Light = LightMode::None;
  if (options.Light == LightMode::Maps && !SwitchApplies(options, RunSwitch::LightMaps)) {
    options.Light = LightMode::Bake;
  }
  return options;
}

}  // namespace brushwright
