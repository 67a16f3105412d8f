// The static meshes a level names, found in its own map and the search folder's packages and
// read once each, however many actors place them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "mesh/static_mesh.h"
#include "package/package_file.h"

namespace brushwright {

class StaticMeshLibrary {
 public:
  // `map_path`: the map package whose own meshes the level names as "MyLevel" ("" when there is
  // none); `folder`: the search folder, whose packages (any file with the package signature)
  // are looked through by their names ("" for none); `level_name`: without a map path, the
  // search folder's package of this name is the map ("" for none).
  StaticMeshLibrary(std::string map_path, std::string folder, std::string level_name);

  // The mesh a level names ("Package.Group.Name" or "Package.Name"; letter case aside), read on
  // the first call; nullptr when it is not found or cannot be read, which Notices then tells.
  const StaticMesh* Find(const std::string& reference);

  // One line per package not found, mesh not found and mesh that could not be read, with the
  // number of actors that named it.
  std::vector<std::string> Notices() const;
  std::int32_t MeshesRead() const { return meshes_read_; }

 private:
  struct Entry {
    const StaticMesh* Mesh = nullptr;
    std::string Problem;  // why it is missing, grouped into one notice per problem
  };
  // A package the library opened, with its meshes' folded group and name paths.
  struct OpenPackage {
    std::unique_ptr<PackageFile> File;  // null when it could not be opened
    std::string Problem;
    std::vector<std::pair<std::string, std::int32_t>> Meshes;  // "group.name" -> export
  };
  const OpenPackage& PackageNamed(const std::string& name);
  // The search folder's package of this folded name; "" when none.
  std::string PathInFolder(const std::string& folded);
  Entry Load(const std::string& reference);

  std::string map_path_;
  std::string folder_;
  std::string level_name_;
  bool folder_listed_ = false;
  std::map<std::string, std::string> package_paths_;  // folded package name -> path
  std::map<std::string, OpenPackage> packages_;       // by folded name
  std::map<std::string, Entry> entries_;              // by folded reference
  std::vector<std::unique_ptr<StaticMesh>> meshes_;
  std::map<std::string, std::int32_t> actors_by_problem_;
  std::vector<std::string> folder_notices_;
  std::int32_t meshes_read_ = 0;
};

}  // namespace brushwright
