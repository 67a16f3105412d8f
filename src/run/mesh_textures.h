// The textures phase of a run: each surface's texture looked up and registered as a material,
// and every corner's texture coordinates, with the preview showing each picture as it is met.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "level/mesh.h"
#include "run/run_host.h"
#include "run/texture_source.h"
#include "run/texture_table.h"

namespace brushwright {

// One material per texture and flags pair, in the order they are first met (the order of the
// MTL file), and the pictures found for their textures.
struct RunMaterials {
  TextureTable Table = EmptyTextureTable();
  std::map<std::string, FoundTexture> Pictures;  // by texture name
};

struct TexturePhase {
  bool Coordinates = true;  // give the corners texture coordinates (the mesh is written)
  // Called before each surface that has faces, in order (the run shows its progress and
  // yields there).
  std::function<void(const MeshSurface&)> BeforeSurface;
};

// Walks the surfaces that have faces in order. A texture and flags pair met for the first time
// gets its texture looked up through the sources (the first that has it), once per texture: the
// picture is shown on the preview and its size registered with the pair; a texture no source has
// keeps 256 x 256. Every surface gets its material; with Coordinates, each corner its texture
// coordinates, from the size of the surface's texture (a surface without one keeps the size of
// the one before, as the OBJ output has always had it), plotting each face's outline on the
// preview. Throws BrushError when an image is larger than 32767 texels or a source fails.
RunMaterials FindTextures(Mesh& mesh, TextureSources& sources, RunHost& host,
                          const TexturePhase& phase);

}  // namespace brushwright
