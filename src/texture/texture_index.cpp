// An index of the textures and materials of many packages, looked up as levels name them.
#include "texture/texture_index.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "package/package_object.h"
#include "platform/platform.h"
#include "search/file_search.h"
#include "text/brush_error.h"
#include "text/key_readers.h"

namespace brushwright {

namespace fs = std::filesystem;

// Materials show materials; real chains are two or three long, and a longer one is a loop the
// visited list missed or a broken package.
constexpr int kLongestMaterialChain = 16;
// The strength of a match in the package a reference names.
constexpr int kInNamedPackage = 3;
// The name every editor gives the package of the level being edited.
constexpr std::string_view kLevelPackage = "MyLevel";

namespace {

std::string Folded(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

// Paths by their ASCII-folded text, ties by their bytes, so the order is the same whatever
// order the file system lists folders in.
bool PathComesBefore(const std::string& a, const std::string& b) {
  const std::string folded_a = Folded(a);
  const std::string folded_b = Folded(b);
  return folded_a != folded_b ? folded_a < folded_b : a < b;
}

// "Texture'Pack.Group.Name'" and "Pack.Group.Name" both as {"Pack", "Group", "Name"}.
std::vector<std::string> SplitReference(std::string_view reference) {
  const std::size_t quote = reference.find('\'');
  if (quote != std::string_view::npos) {
    reference.remove_prefix(quote + 1);
    reference = reference.substr(0, reference.find('\''));
  }
  std::vector<std::string> parts;
  while (!reference.empty()) {
    const std::size_t dot = reference.find('.');
    const std::string_view part = reference.substr(0, dot);
    if (!part.empty()) parts.emplace_back(part);
    if (dot == std::string_view::npos) break;
    reference.remove_prefix(dot + 1);
  }
  return parts;
}

bool SameNames(const std::vector<std::string>& a, std::size_t a_from,
               const std::vector<std::string>& b, std::size_t b_from, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (!EqualsIgnoringCase(a[a_from + i], b[b_from + i])) return false;
  }
  return true;
}

std::string Identity(const std::string& path) {
  std::error_code error;
  const fs::path canonical = fs::weakly_canonical(PathFromUtf8(path), error);
  return error ? path : Utf8FromPath(canonical);
}

DecodedTexture NotDecodable(std::string problem, bool through_material) {
  DecodedTexture result;
  result.Problem = std::move(problem);
  result.ThroughMaterial = through_material;
  return result;
}

}  // namespace

std::vector<std::string> PackageFilesBelow(const std::string& folder,
                                           const PackageNotice& on_notice) {
  std::vector<std::string> paths = FilesInTree(folder, IsPackageFile, on_notice);
  std::sort(paths.begin(), paths.end(), PathComesBefore);
  return paths;
}

void TextureIndex::AddFolder(const std::string& folder, const PackageNotice& on_notice) {
  for (const std::string& path : PackageFilesBelow(folder, on_notice)) {
    if (identities_.count(Identity(path))) continue;
    try {
      Add(PackageFile::Open(path), false);
    } catch (const BrushError& error) {
      if (on_notice) on_notice(error.what());
    }
  }
}

void TextureIndex::AddPackageFile(const std::string& path) {
  if (identities_.count(Identity(path))) return;
  Add(PackageFile::Open(path), true);
}

void TextureIndex::Add(PackageFile file, bool single_file) {
  identities_.insert(Identity(file.Path()));
  IndexedPackage package{std::move(file), false, single_file, packages_.size()};
  const PackageFile& tables = package.File;
  for (std::size_t i = 0; i < tables.Exports().size(); ++i) {
    const std::int32_t ref = ExportRef(static_cast<std::int32_t>(i));
    if (EqualsIgnoringCase(tables.ClassName(ref), "Level")) package.IsMap = true;
    if (IsTextureClass(tables, ref) || IsMaterialClass(tables, ref)) {
      objects_[Folded(tables.ObjectName(ref))].push_back(
          {packages_.size(), static_cast<std::int32_t>(i)});
    }
  }
  packages_.push_back(std::move(package));
}

bool TextureIndex::ComesBefore(std::size_t a, std::size_t b) const {
  const IndexedPackage& first = packages_[a];
  const IndexedPackage& second = packages_[b];
  if (first.SingleFile != second.SingleFile) return first.SingleFile;
  if (first.SingleFile) return first.Sequence < second.Sequence;
  return PathComesBefore(first.File.Path(), second.File.Path());
}

int TextureIndex::Strength(const TextureLocation& candidate,
                           const std::vector<std::string>& parts) const {
  const IndexedPackage& package = packages_[candidate.Package];
  const std::int32_t ref = ExportRef(candidate.Export);
  std::vector<std::string> path = package.File.OuterNames(ref);
  if (parts.size() >= 2 && (EqualsIgnoringCase(parts.front(), package.File.Name()) ||
                            (package.IsMap && EqualsIgnoringCase(parts.front(), kLevelPackage)))) {
    const std::size_t groups = parts.size() - 2;
    return path.size() == groups && SameNames(path, 0, parts, 1, groups) ? 4 : 3;
  }
  path.insert(path.begin(), package.File.Name());
  path.push_back(package.File.ObjectName(ref));
  const auto ends_with = [&](std::size_t count) {
    return path.size() >= count &&
           SameNames(path, path.size() - count, parts, parts.size() - count, count);
  };
  if (ends_with(parts.size())) return 2;
  return ends_with(parts.size() - 1) ? 1 : 0;
}

std::optional<std::pair<TextureLocation, int>> TextureIndex::Best(
    const std::vector<std::string>& parts, const PackageNotice& on_notice) const {
  if (parts.empty()) return std::nullopt;
  const auto found = objects_.find(Folded(parts.back()));
  if (found == objects_.end()) return std::nullopt;
  std::vector<TextureLocation> candidates = found->second;
  std::stable_sort(candidates.begin(), candidates.end(),
                   [&](const TextureLocation& a, const TextureLocation& b) {
                     return a.Package != b.Package && ComesBefore(a.Package, b.Package);
                   });
  int best_strength = -1;
  std::vector<TextureLocation> best;
  for (const TextureLocation& candidate : candidates) {
    const int strength = Strength(candidate, parts);
    if (strength > best_strength) {
      best_strength = strength;
      best.clear();
    }
    if (strength == best_strength) best.push_back(candidate);
  }
  if (best.size() > 1 && on_notice) {
    const auto where = [&](const TextureLocation& location) {
      const PackageFile& file = packages_[location.Package].File;
      return file.ObjectPath(ExportRef(location.Export)) + " of '" + file.Path() + "'";
    };
    std::string line = "'";
    for (const std::string& part : parts) line += (line.size() > 1 ? "." : "") + part;
    line += "' is in " + std::to_string(best.size()) + " places; using " + where(best.front()) +
            ", not " + where(best[1]);
    if (best.size() > 2) line += " and others";
    on_notice(line);
  }
  return std::make_pair(best.front(), best_strength);
}

std::optional<TextureLocation> TextureIndex::Find(std::string_view reference,
                                                  const PackageNotice& on_notice) const {
  const auto best = Best(SplitReference(reference), on_notice);
  if (!best) return std::nullopt;
  return best->first;
}

DecodedTexture TextureIndex::Decode(const TextureLocation& location, bool masked) const {
  TextureLocation at = location;
  std::vector<TextureLocation> visited = {at};
  bool through_material = false;
  for (int step = 0; step < kLongestMaterialChain; ++step) {
    const PackageFile& package = packages_[at.Package].File;
    const std::int32_t ref = ExportRef(at.Export);
    const std::string label =
        package.ObjectPath(ref) + " (" + package.ClassName(ref) + ") in '" + package.Path() + "'";
    std::int32_t next = 0;
    try {
      if (IsTextureClass(package, ref)) {
        DecodedTexture texture = DecodeTextureExport(package, at.Export, masked);
        texture.ThroughMaterial = through_material;
        return texture;
      }
      if (!IsMaterialClass(package, ref)) {
        return NotDecodable(label + ": neither texture nor material", through_material);
      }
      next = MaterialColourSource(PackageObject::Read(package, at.Export));
    } catch (const BrushError& error) {
      return NotDecodable(error.what(), through_material);
    }
    if (next == 0) return NotDecodable(label + ": shows no texture", through_material);
    through_material = true;
    if (IsExportRef(next)) {
      at = {at.Package, ExportIndexOf(next)};
    } else {
      // Another package's object: only that package will do.
      const auto found = Best(SplitReference(package.ObjectPath(next)), nullptr);
      if (!found || found->second < kInNamedPackage) {
        return NotDecodable(
            label + ": shows " + package.ObjectPath(next) + ", which no indexed package holds",
            true);
      }
      at = found->first;
    }
    const bool seen = std::any_of(visited.begin(), visited.end(), [&](const TextureLocation& v) {
      return v.Package == at.Package && v.Export == at.Export;
    });
    if (seen) return NotDecodable(label + ": its materials form a loop", true);
    visited.push_back(at);
  }
  return NotDecodable(packages_[location.Package].File.ObjectPath(ExportRef(location.Export)) +
                          ": materials nested deeper than " + std::to_string(kLongestMaterialChain),
                      true);
}

}  // namespace brushwright
