// Writes the static meshes of a package each as its own file (OBJ with its MTL, or glTF binary),
// in folders by package and group, with the textures their materials lead to.
#pragma once

#include <string>
#include <vector>

#include "level/mesh.h"
#include "mesh/static_mesh.h"
#include "run/run_options.h"

namespace brushwright {

// What extracting a package's meshes did, for the summary and the lines before it.
struct MeshExtractionSummary {
  int Written = 0;
  // A line for each mesh not written: its name and why (broken, or a name that cannot be a
  // file name).
  std::vector<std::string> NotWritten;
  // What the texture search had to tell, and the images no source had; one line each, once.
  std::vector<std::string> Notices;
  int MissingTextures = 0;  // distinct images missing beside the written meshes
};

// The static mesh as the writers take it: its positions as they are, one surface per section
// (its material as the texture), a face per triangle with the mesh's own texture coordinates
// (V turned to count upwards) and its corners turned to face the front as a level's faces do;
// all in one group named after the mesh.
Mesh MeshOfStaticMesh(const StaticMesh& mesh);

// Writes every static mesh of the package at `options.InputFile` as
// OUTPUT/Package/Group/Name.obj (.glb with `options.Format`), one folder level per group, the
// folders made as needed. Textures are looked up as a run looks them up (image files beside the
// mesh or in the search folder, then the package itself and, with SearchCopy, the search
// folder's packages) and written beside each mesh as images of options.TextureType. A mesh that
// cannot be read or written is listed as not written and the others go on. Throws BrushError
// naming the file when the package cannot be opened or a folder cannot be made.
MeshExtractionSummary ExtractMeshes(const RunOptions& options, const std::string& output_dir);

}  // namespace brushwright
