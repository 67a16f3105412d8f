// An index of the textures and materials of many packages, looked up as levels name them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "package/package_file.h"
#include "texture/package_texture.h"

namespace brushwright {

// Receives one line for the user: a package that cannot be read and is passed over, a name
// found in several packages and which one is used. The window and the command line show it
// their own way.
using PackageNotice = std::function<void(const std::string& line)>;

// Every package file below `folder` (each file whose first four bytes are the package
// signature, at any depth), in the index's order of packages: paths compared without regard to
// ASCII letter case, ties by their bytes. A folder that cannot be listed is named through
// `on_notice` and passed over.
std::vector<std::string> PackageFilesBelow(const std::string& folder,
                                           const PackageNotice& on_notice);

// Where an indexed texture or material is: a package of the index and one of its exports.
struct TextureLocation {
  std::size_t Package = 0;
  std::int32_t Export = 0;
};

// The textures and materials of a set of packages, read from their tables only; pictures are
// decoded when asked for.
//
// Order of packages, which decides between objects of the same name: the single files added
// with AddPackageFile first, in the order they were added; then the packages found by AddFolder,
// in the order of their paths compared without regard to ASCII letter case (ties by their
// bytes), whichever folder they came from.
class TextureIndex {
 public:
  // Adds every package below `folder`, at any depth: each file whose first four bytes are the
  // package signature, whatever its name. A package that cannot be read, and a folder that
  // cannot be listed, is named in one line through `on_notice` and passed over; the others
  // still count. A file already in the index is not added again.
  void AddFolder(const std::string& folder, const PackageNotice& on_notice);
  // Adds one package (the level's own map package). Throws BrushError naming the file when it
  // cannot be read. A file already in the index is not added again.
  void AddPackageFile(const std::string& path);

  // The texture or material a level names: "Name", "Package.Name", "Package.Group.Name", or any
  // of them wrapped as Class'...' (Texture'Package.Group.Name'). Names compare without regard to
  // ASCII letter case. A reference with a package is looked up in that package first (a map
  // package also answers to MyLevel), its groups deciding between objects of the same name
  // there; then anywhere by its name, objects whose path ends with the groups and name written
  // first. Between equals the order of packages decides, and `on_notice` is told which was
  // taken. nullopt when no package holds the name.
  std::optional<TextureLocation> Find(std::string_view reference,
                                      const PackageNotice& on_notice) const;

  // The picture of the texture at `location`, following materials to the texture that gives
  // their colour (across packages of the index; at most 16 steps, never round a loop), with
  // ThroughMaterial set when one was followed. Never throws for a texture's own trouble: a
  // broken texture, one made at run time, one not decodable, a material that shows no texture
  // or one outside the index come back with that status and a line naming it.
  DecodedTexture Decode(const TextureLocation& location, bool masked) const;

  std::size_t PackageCount() const { return packages_.size(); }
  const PackageFile& PackageAt(std::size_t index) const { return packages_[index].File; }

 private:
  struct IndexedPackage {
    PackageFile File;
    bool IsMap = false;        // holds a level, so it answers to MyLevel too
    bool SingleFile = false;   // added with AddPackageFile
    std::size_t Sequence = 0;  // the order it was added in
  };

  // Adds the package and its textures and materials.
  void Add(PackageFile file, bool single_file);
  // True when package `a` comes before package `b` in the order of packages.
  bool ComesBefore(std::size_t a, std::size_t b) const;
  // How well an object matches a reference split at its dots: 4 in the named package and
  // groups, 3 in the named package, 2 when its path ends with the whole reference, 1 when it
  // ends with the reference's groups and name, 0 by name alone.
  int Strength(const TextureLocation& candidate, const std::vector<std::string>& parts) const;
  // The best of the objects named like the reference's last part, with the strength of the match.
  std::optional<std::pair<TextureLocation, int>> Best(const std::vector<std::string>& parts,
                                                      const PackageNotice& on_notice) const;

  std::vector<IndexedPackage> packages_;
  std::set<std::string> identities_;  // the indexed files, as their canonical paths
  // Textures and materials by their names folded to lower case, in the order of packages.
  std::unordered_map<std::string, std::vector<TextureLocation>> objects_;
};

}  // namespace brushwright
