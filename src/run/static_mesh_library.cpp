// Static meshes found by the names levels give them, each read once.
#include "run/static_mesh_library.h"

#include <utility>

#include "text/brush_error.h"
#include "text/file_text.h"
#include "texture/texture_index.h"

namespace brushwright {

namespace {

// The name every editor gives the package of the level being edited.
constexpr std::string_view kLevelPackage = "mylevel";

std::string Folded(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

std::string Quoted(const std::string& text) {
  return "'" + text + "'";
}

// "group.name" of a mesh as the library compares it; "name" at the top level.
std::string FoldedPath(const std::string& group, const std::string& name) {
  return Folded(group.empty() ? name : group + "." + name);
}

}  // namespace

StaticMeshLibrary::StaticMeshLibrary(std::string map_path, std::string folder,
                                     std::string level_name)
    : map_path_(std::move(map_path)),
      folder_(std::move(folder)),
      level_name_(std::move(level_name)) {}

std::string StaticMeshLibrary::PathInFolder(const std::string& folded) {
  if (!folder_listed_ && !folder_.empty()) {
    folder_listed_ = true;
    const auto notice = [this](const std::string& line) { folder_notices_.push_back(line); };
    // The first package of a name in the index's order answers to it.
    for (const std::string& found : PackageFilesBelow(folder_, notice)) {
      package_paths_.emplace(Folded(StripExtension(FileNameOfPath(found))), found);
    }
  }
  const auto found = package_paths_.find(folded);
  return found != package_paths_.end() ? found->second : "";
}

const StaticMeshLibrary::OpenPackage& StaticMeshLibrary::PackageNamed(const std::string& name) {
  const std::string folded = Folded(name);
  if (const auto known = packages_.find(folded); known != packages_.end()) return known->second;
  OpenPackage& package = packages_[folded];
  std::string path;
  if (folded == kLevelPackage) {
    path =
        !map_path_.empty() || level_name_.empty() ? map_path_ : PathInFolder(Folded(level_name_));
    if (path.empty()) {
      package.Problem = level_name_.empty()
                            ? "the level's own meshes (MyLevel) are in no map package"
                            : "the map " + Quoted(level_name_) + " that holds the level's own " +
                                  "meshes (MyLevel) is not in the search folder" +
                                  (folder_.empty() ? " (none was given)" : " " + Quoted(folder_));
    }
  } else {
    path = PathInFolder(folded);
    if (path.empty()) {
      package.Problem = "package " + Quoted(name) + " is not " +
                        (folder_.empty() ? std::string("found (no search folder was given)")
                                         : "in the search folder " + Quoted(folder_));
    }
  }
  if (path.empty()) return package;
  try {
    package.File = std::make_unique<PackageFile>(PackageFile::Open(path));
  } catch (const BrushError& error) {
    package.Problem = error.what();
    return package;
  }
  for (const std::int32_t index : StaticMeshExports(*package.File)) {
    const std::int32_t ref = ExportRef(index);
    std::string group;
    for (const std::string& outer : package.File->OuterNames(ref)) {
      group += (group.empty() ? "" : ".") + outer;
    }
    package.Meshes.emplace_back(FoldedPath(group, package.File->ObjectName(ref)), index);
  }
  return package;
}

StaticMeshLibrary::Entry StaticMeshLibrary::Load(const std::string& reference) {
  const std::size_t first_dot = reference.find('.');
  if (first_dot == std::string::npos) {
    return {nullptr, "static mesh " + Quoted(reference) + " names no package"};
  }
  const OpenPackage& package = PackageNamed(reference.substr(0, first_dot));
  if (!package.File) return {nullptr, package.Problem};
  const std::string wanted = Folded(reference.substr(first_dot + 1));
  const std::string wanted_name = wanted.substr(wanted.rfind('.') + 1);
  // The path as written; else the one mesh of that name wherever its group is.
  std::optional<std::int32_t> found;
  std::int32_t by_name = 0;
  std::int32_t by_name_count = 0;
  for (const auto& [path, index] : package.Meshes) {
    if (path == wanted) {
      found = index;
      break;
    }
    if (path == wanted_name || path.ends_with("." + wanted_name)) {
      by_name = index;
      ++by_name_count;
    }
  }
  if (!found && by_name_count == 1) found = by_name;
  if (!found) {
    return {nullptr,
            "static mesh " + Quoted(reference) + " is not in " + Quoted(package.File->Path())};
  }
  try {
    meshes_.push_back(std::make_unique<StaticMesh>(ReadStaticMesh(*package.File, *found)));
  } catch (const BrushError& error) {
    return {nullptr, error.what()};
  }
  ++meshes_read_;
  return {meshes_.back().get(), ""};
}

const StaticMesh* StaticMeshLibrary::Find(const std::string& reference) {
  const std::string key = Folded(reference);
  auto known = entries_.find(key);
  if (known == entries_.end()) known = entries_.emplace(key, Load(reference)).first;
  if (!known->second.Mesh) ++actors_by_problem_[known->second.Problem];
  return known->second.Mesh;
}

std::vector<std::string> StaticMeshLibrary::Notices() const {
  std::vector<std::string> notices = folder_notices_;
  for (const auto& [problem, actors] : actors_by_problem_) {
    notices.push_back(problem + ": " + std::to_string(actors) +
                      (actors == 1 ? " actor" : " actors") + " left without its static mesh");
  }
  return notices;
}

}  // namespace brushwright
