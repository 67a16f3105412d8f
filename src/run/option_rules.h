// Which switches of a run go together: one set of rules that the command line (a usage error),
// the window (greyed boxes) and the run (an error) all follow.
#pragma once

#include <optional>
#include <string>

#include "run/run_options.h"

namespace brushwright {

// The switches the rules speak of.
enum class RunSwitch {
  BuildWorld,         // "Build World (CSG)", --world
  BuiltWorld,         // "Use the Level's Own Build", --built-world
  NoBrushTransforms,  // "Apply Brush Transforms" cleared, --no-brush-transforms
  Subtractive,        // "Include Subtractive Brushes", --subtractive
  BuildBrush,         // "Just the Build Brush", --build-brush
  W3D,                // "W3D" coordinates, --w3d
  NoStaticMeshes,     // "Static Meshes" cleared, --no-static-meshes
  NoMovers,           // "Movers" cleared, --no-movers
  NoTerrain,          // "Terrain" cleared, --no-terrain
  WithMeshes,         // "Add Them to the Brushes", --with-meshes
  Light,              // "Light as the Game", --light
  LightMaps,          // "Light as the Game" without "Bake into Textures", --light maps
  // Writing the brushes themselves: neither "Build World (CSG)" nor "Use the Level's Own Build".
  BrushOutput,
  // An output kind that carries no light maps (OBJ).
  NoLightMapOutput,
};

// How each front end names a switch.
struct SwitchNames {
  const char* Label;  // the window's
  const char* Flag;   // the command line's
};
SwitchNames NamesOf(RunSwitch which);

// Whether the switch can change anything under the other options: the window greys the boxes
// of those that cannot. The brush switches do nothing while the world is built (it places every
// brush by its whole transform and takes additive and subtractive brushes alike) or the level's
// own build is written (no brush is written then), and building the world does nothing in the
// latter case; W3D does nothing when neither an OBJ file nor a report is written. The kinds
// besides the world's surfaces (static meshes, movers, terrain) count where the output shows
// them: in the world outputs, or in the brush output with WithMeshes, which the world outputs
// do not need. Light is carried by the world outputs alone: the brushes overlap and close every
// doorway, so light computed on them would fall on faces the player never sees. An output that
// carries no light maps (OBJ) takes the light baked alone: choosing to bake does not apply there,
// and the window hands such a run the baked light.
bool SwitchApplies(const RunOptions& options, RunSwitch which);

// Two switches set that cannot go together, and why.
struct OptionConflict {
  RunSwitch First;
  RunSwitch Second;
  std::string Reason;  // what the first does that the second contradicts
};
// The first conflict among the options, none when they go together.
std::optional<OptionConflict> FindOptionConflict(const RunOptions& options);
// "<first> <reason>; <second> cannot go with it", naming the switches by `flags` (the command
// line's) or by their labels.
std::string ConflictMessage(const OptionConflict& conflict, bool flags);

// Units one texel of the baked images spans, as --texel-units accepts them: finer texels than
// a quarter unit would make atlases of billions of texels for a level, coarser than 256 units
// one colour for a whole texture.
inline constexpr double kFinestBakeTexelUnits = 0.25;
inline constexpr double kCoarsestBakeTexelUnits = 256;
// Whether `units` lies within those bounds (false for anything that is not a number).
bool BakeTexelUnitsAllowed(double units);

// Whether the glTF output writes the level's lights as punctual lights: asked for, and either no
// light is carried or the user keeps them beside it (the carried light already holds what they
// shed, so a viewer would light the level twice).
bool WritesPunctualLights(const RunOptions& options);

// The options with every switch that does not apply at its neutral value (the brush switches
// off, transforms on), as the window hands its boxes to a run.
RunOptions WithoutInapplicableSwitches(RunOptions options);

}  // namespace brushwright
