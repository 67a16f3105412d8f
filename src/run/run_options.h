// Everything a conversion run is told, as one plain value filled before the run starts.
#pragma once

#include <string>

#include "run/output_kinds.h"
#include "text/file_text.h"
#include "vecmath/coordinates.h"

namespace brushwright {

// How a world output carries the level's light as the game drew it.
enum class LightMode {
  None,  // no light: the surfaces show their textures as they are
  // Light-map pages on a second set of texture coordinates (and light per vertex of placed
  // meshes), for viewers that combine them with the textures.
  Maps,
  // Each surface's texture multiplied by its light into new images, drawn unlit: for viewers
  // that know no light maps.
  Bake,
};

// The command line fills it from its arguments, the window from its controls when Go is pressed
// and the settings file keeps the window's part of it. A run never reads anything else: a
// control changed during a run takes effect at the next run.
struct RunOptions {
  std::string InputFile;   // the T3D text or map package
  std::string OutputFile;  // the OBJ file; the MTL file, lists and report go beside it
  // Number of the first face converted, as typed: its leading number counts (an empty or
  // non-numeric text gives 0, which ignores nothing).
  std::string StartFace = "1";
  bool DoGeometry = true;             // write the OBJ file (off: materials and report only)
  bool BuildBrush = false;            // take only brush actors without "CsgOper=", the builder
  bool IgnoreNoTexture = false;       // skip faces without a texture
  bool IgnoreDefaultTexture = false;  // skip faces whose texture is "DefaultTexture"
  bool SearchCopy = false;            // fetch images missing beside the output from SearchPath
  std::string SearchPath;             // root of the texture search tree
  std::string TextureType = "BMP";    // image file extension: BMP, PCX, JPG, PNG, TIF or GIF
  bool W3D = false;                   // W3D instead of OBJ coordinates
  bool Report = false;                // write the actor report beside the output
  // Place brushes as the editor does (pivot, scale, sheer, rotation, location), not by their
  // location alone.
  bool BrushTransforms = true;
  bool Subtractive = false;  // take subtractive brushes too, turned to face what they carve
  // Write the surfaces the editor's CSG makes of the brushes (the level as the player sees it)
  // instead of the brushes themselves; brushes are then always placed by their whole transform.
  bool BuildWorld = false;
  // Write the surfaces the editor last built, as a map package stores them, instead of the brushes
  // or a world built from them.
  bool BuiltWorld = false;
  // What the world outputs show besides the world's surfaces, each of which can be left out;
  // the brush output shows them only with WithMeshes.
  bool StaticMeshes = true;                 // actors drawn by a static mesh
  bool Movers = true;                       // movers, drawn by their brush or by a static mesh
  bool Terrain = true;                      // terrain
  bool WithMeshes = false;                  // the brush output takes the kinds above too
  OutputFormat Format = OutputFormat::Obj;  // a row of the output kinds' table
  double Scale = kMetresPerUnrealUnit;      // glTF metres per Unreal unit
  bool Actors = true;                       // glTF: lights, player starts, teleporters and triggers
  bool Lights = true;                       // glTF: the lights among the actors
  LightMode Light = LightMode::None;        // world outputs: the level's light
  // With Light: keep the lights among the actors, although the carried light already holds
  // what they shed (a viewer would light the level twice).
  bool LightsWithLight = false;
  double BakeTexelUnits = 4;  // LightMode::Bake: units one texel of the baked images spans
};

// The files a run writes beside its output file, named after it without its extension.
// Whether the run's output shows what the level holds besides its brushes' surfaces: the world
// outputs do, the brush output when asked to.
inline bool ShowsWholeLevel(const RunOptions& options) {
  return options.BuildWorld || options.BuiltWorld || options.WithMeshes;
}

inline std::string MtlPath(const RunOptions& options) {
  return StripExtension(options.OutputFile) + ".mtl";
}
inline std::string MissingListPath(const RunOptions& options) {
  return StripExtension(options.OutputFile) + "MissingTextures.txt";
}
inline std::string ReportPath(const RunOptions& options) {
  return StripExtension(options.OutputFile) + ".txt";
}

}  // namespace brushwright
