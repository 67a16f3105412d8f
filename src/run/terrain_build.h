// The terrains of a run: their height maps, alpha maps and layer textures looked up in packages,
// their faces added to the mesh, their layers baked into one image each, which a texture source
// gives the textures phase.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "image/image.h"
#include "image/image_file.h"
#include "level/level.h"
#include "level/mesh.h"
#include "run/run_options.h"
#include "run/texture_source.h"

namespace brushwright {

// The baked terrain images by their texture names, written beside the output in the run's
// texture type when the textures phase asks for them.
class BakedTextureSource : public TextureSource {
 public:
  // `texture_format`: the options' texture type as a format.
  BakedTextureSource(const RunOptions& options, ImageFormat texture_format)
      : options_(options), texture_format_(texture_format) {}
  void Add(const std::string& name, Image image) { images_[name] = std::move(image); }
  std::optional<FoundTexture> Find(const std::string& name, bool masked) override;

 private:
  const RunOptions& options_;
  ImageFormat texture_format_;
  std::map<std::string, Image> images_;
};

// What adding the terrains did.
struct TerrainOutcome {
  std::int32_t Terrains = 0;  // terrains added to the mesh
  std::int32_t Faces = 0;     // their triangles
  // One line per terrain left out or drawn without some layer, naming the file and the actor.
  std::vector<std::string> Notices;
};

// Adds the level's terrains to `mesh` as groups of their own (after its other groups), each on
// a surface of texture "MyLevel.<actor name>" whose baked image goes to `baked`. Height maps,
// alpha maps and layer textures are looked up as textures are: in the input's own package (a
// map), else in the search folder's map of the input's base name, then in the search folder's
// packages. A terrain whose height map cannot be found or does not fit its bitmaps is left out
// with a notice. `first_face_number` numbers the terrains' surfaces on from the run's faces.
// Throws BrushError naming the file when a package found is broken.
TerrainOutcome AddTerrains(const Level& level, const RunOptions& options,
                           std::int32_t first_face_number, Mesh& mesh, BakedTextureSource& baked);

}  // namespace brushwright
