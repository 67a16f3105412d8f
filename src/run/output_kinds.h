// The kinds of file a run writes a level to, as one table: every front end and the run take
// their lists and their choices from it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace brushwright {

struct Level;
struct Mesh;
struct RunMaterials;
struct RunOptions;
class OutputFiles;
class RunHost;

// The rows of the table, in its order (the order of the window's list and of --format's words).
enum class OutputFormat {
  Obj,  // Wavefront OBJ with its MTL material library
  Glb,  // one glTF 2.0 binary file with the texture images inside
};

// What a kind's writers are handed in the write phase: the built mesh with its materials and
// pictures, the level it was built from, and where to write.
struct OutputJob {
  const RunOptions& Options;
  const Mesh& Geometry;
  const RunMaterials& Materials;
  const Level& Source;
  OutputFiles& Out;
  RunHost& Host;
};

struct OutputKind {
  OutputFormat Format;
  std::string_view Name;       // in headings and messages: "Output OBJ File", "the OBJ file"
  std::string_view Extension;  // of the output file, with its dot
  std::string_view Word;       // --format's value, lower case
  std::string_view Label;      // the window's Output Type item, also the settings file's value
  std::string_view FileType;   // the file dialog's filter name
  // The texture images are written beside the output file (where the OBJ's MTL names them, and
  // where a later run finds them again).
  bool PicturesBeside;
  // Its positions follow the coordinates choice (OBJ or W3D axes).
  bool TakesCoordinates;
  // When the brush output passes its face limit, the faces before it are written and the run
  // stops after the geometry; otherwise it stops before writing anything.
  bool WritesUpToFaceLimit;
  // Placed meshes go in once each and are placed by the mesh's placements (instances), rather
  // than copied into the level's space for every actor.
  bool PlacesInstances;
  // The level's light goes in as light-map pages on a second set of texture coordinates (and
  // colours per vertex of placed meshes); without, only light baked into the textures.
  bool CarriesLightMaps;
  // Extension of the material library written beside the output; "" for none.
  std::string_view MaterialLibrary;
  // Writes the geometry file; returns the triangles written (0 when the kind does not count
  // them).
  std::int64_t (*WriteGeometry)(const OutputJob& job);
  // Writes what goes beside the geometry for the materials (the library, the list of missing
  // images); returns the number of missing images.
  int (*WriteMaterials)(const OutputJob& job);
};

// Every kind, in the table's order.
std::span<const OutputKind> OutputKinds();
// The row of a format.
const OutputKind& OutputKindOf(OutputFormat format);
// The kind whose word is `word` (letter case aside), or whose label is `label` exactly; none when
// no kind has it.
std::optional<OutputFormat> OutputFormatOfWord(std::string_view word);
std::optional<OutputFormat> OutputFormatOfLabel(std::string_view label);

}  // namespace brushwright
