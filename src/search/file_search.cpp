// Depth-first search of a directory tree for a texture file, names compared without letter case.
#include "search/file_search.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "text/key_readers.h"

namespace brushwright {

namespace fs = std::filesystem;

// Appended after a directory text that does not already end in a separator.
constexpr char kSeparator = static_cast<char>(fs::path::preferred_separator);

namespace {

// One directory's entries as the search needs them, each list in the order of the search.
struct DirectoryListing {
  std::vector<std::string> subdirectories;
  std::vector<std::string> matching_files;  // regular files named like the wanted file
};

// ASCII folding, locale-free: texture names are plain ASCII and the result must not depend
// on the user's locale.
char FoldUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Names by their upper-case folding, ties by their bytes, so the order of the walk is the same
// whatever order the file system lists a directory in.
bool ComesBefore(const std::string& a, const std::string& b) {
  const auto byte_less = [](char x, char y) {
    return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  };
  const auto folded_less = [&](char x, char y) { return byte_less(FoldUpper(x), FoldUpper(y)); };
  if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), folded_less)) {
    return true;
  }
  if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), folded_less)) {
    return false;
  }
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), byte_less);
}

std::string ErrorText(const std::error_code& error) {
  return "Error: " + std::to_string(error.value()) + " - " + error.message();
}

// A dangling link or an entry removed since it was listed is simply no file and no directory.
bool IsGoneEntry(const std::error_code& error) {
  return error == std::errc::no_such_file_or_directory ||
         error == std::errc::too_many_symbolic_link_levels;
}

// Entries whose attributes cannot be read and whose names end in ".sys" are passed over
// silently, as the Windows page and hibernation files that cannot be examined.
bool IsSilentlySkipped(const std::string& name) {
  return name.size() >= 4 && name.compare(name.size() - 4, 4, ".sys") == 0;
}

// What one directory entry is to the search.
enum class EntryKind { Other, Directory, File, Unreadable };

// Links to directories are not descended into (a link back up the tree would make the walk
// endless); links to files count as the files they name, and only `examine_file` entries are
// followed to learn that. An entry that cannot be examined sets `error` (Unreadable when only
// its link's target failed); entries gone since the listing and ".sys" entries are Other.
EntryKind ClassifyEntry(const fs::directory_entry& entry, const std::string& name,
                        bool examine_file, std::error_code& error) {
  const auto failed = [&](std::error_code failure, EntryKind kind) {
    if (IsGoneEntry(failure) || IsSilentlySkipped(name)) return EntryKind::Other;
    error = failure;
    return kind;
  };
  std::error_code failure;
  const fs::file_status own_status = entry.symlink_status(failure);
  if (failure) return failed(failure, EntryKind::Other);
  if (fs::is_directory(own_status)) return EntryKind::Directory;
  if (!examine_file) return EntryKind::Other;
  const fs::file_status target_status = entry.status(failure);
  if (failure) return failed(failure, EntryKind::Unreadable);
  return fs::is_regular_file(target_status) ? EntryKind::File : EntryKind::Other;
}

// Adds one entry to a listing for `file_name`; any failure to examine it fails the directory.
std::error_code AddEntry(const fs::directory_entry& entry, const std::string& file_name,
                         DirectoryListing& listing) {
  const std::string name = Utf8FromPath(entry.path().filename());
  std::error_code error;
  switch (ClassifyEntry(entry, name, EqualsIgnoringCase(name, file_name), error)) {
    case EntryKind::Directory:
      listing.subdirectories.push_back(name);
      break;
    case EntryKind::File:
      listing.matching_files.push_back(name);
      break;
    default:
      break;
  }
  return error;
}

// Lists a directory completely before anything else is done with it. On any failure the
// directory is reported and passed over as a whole: nullopt.
std::optional<DirectoryListing> ListDirectory(const std::string& directory,
                                              const std::string& file_name,
                                              const SearchErrorHandler& on_error) {
  DirectoryListing listing;
  std::error_code error;
  fs::directory_iterator it(PathFromUtf8(directory), error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    error = AddEntry(*it, file_name, listing);
    if (error) break;
  }
  if (error) {
    if (on_error) on_error(ErrorText(error));
    return std::nullopt;
  }
  std::sort(listing.subdirectories.begin(), listing.subdirectories.end(), ComesBefore);
  std::sort(listing.matching_files.begin(), listing.matching_files.end(), ComesBefore);
  return listing;
}

// The exact spelling when it is on disk, otherwise the first case variant in search order.
const std::string& ChooseMatch(const std::vector<std::string>& matches,
                               const std::string& file_name) {
  const auto exact = std::find(matches.begin(), matches.end(), file_name);
  return exact != matches.end() ? *exact : matches.front();
}

std::string WithSeparator(const std::string& directory) {
  const char last = directory.back();
  return (last == '/' || last == '\\') ? directory : directory + kSeparator;
}

// The key of a name in the index: folded as EqualsIgnoringCase folds.
std::string FoldLower(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

// One directory's entries as the index needs them: every regular file, not only one name.
struct WholeListing {
  std::vector<std::string> subdirectories;
  std::vector<std::pair<std::string, bool>> files;  // name, unreadable
  std::error_code first_unreadable;
};

// ListDirectory for every name at once; an entry that cannot be examined fails the directory
// unless only its link's target failed.
std::optional<WholeListing> ListWholeDirectory(const std::string& directory,
                                               const SearchErrorHandler& on_error) {
  WholeListing listing;
  std::error_code error;
  fs::directory_iterator it(PathFromUtf8(directory), error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    const std::string name = Utf8FromPath(it->path().filename());
    const EntryKind kind = ClassifyEntry(*it, name, true, error);
    if (kind == EntryKind::Directory) listing.subdirectories.push_back(name);
    if (kind == EntryKind::File || kind == EntryKind::Unreadable) {
      listing.files.emplace_back(name, kind == EntryKind::Unreadable);
    }
    if (kind == EntryKind::Unreadable) {
      if (!listing.first_unreadable) listing.first_unreadable = error;
      error.clear();
    }
    if (error) break;
  }
  if (error) {
    if (on_error) on_error(ErrorText(error));
    return std::nullopt;
  }
  if (listing.first_unreadable && on_error) on_error(ErrorText(listing.first_unreadable));
  std::sort(listing.subdirectories.begin(), listing.subdirectories.end(), ComesBefore);
  std::sort(listing.files.begin(), listing.files.end(),
            [](const auto& a, const auto& b) { return ComesBefore(a.first, b.first); });
  return listing;
}

// FilesInTree's walk below one folder.
void CollectFiles(const fs::path& folder, const std::function<bool(const std::string&)>& wanted,
                  std::vector<std::string>& found, const SearchErrorHandler& on_error) {
  std::error_code error;
  fs::directory_iterator entries(folder, error);
  for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
    const fs::directory_entry& entry = *entries;
    std::error_code kind_error;
    if (entry.is_directory(kind_error) && !entry.is_symlink(kind_error)) {
      CollectFiles(entry.path(), wanted, found, on_error);
    } else if (entry.is_regular_file(kind_error) && wanted(Utf8FromPath(entry.path()))) {
      found.push_back(Utf8FromPath(entry.path()));
    }
  }
  if (error && on_error) {
    on_error("cannot read folder '" + Utf8FromPath(folder) + "': " + error.message());
  }
}

}  // namespace

std::string FindFileInTree(const std::string& directory, const std::string& file_name,
                           const SearchErrorHandler& on_error) {
  // An empty search path means no search: a user who left it empty does not want a walk of
  // the whole disk.
  if (directory.empty() || file_name.empty()) return "";

  // Depth-first pre-order with an explicit stack, so deep trees cannot exhaust the call stack.
  // Subdirectories are pushed last-first so that the first in order is searched first.
  std::vector<std::string> pending{WithSeparator(directory)};
  while (!pending.empty()) {
    const std::string current = std::move(pending.back());
    pending.pop_back();
    const std::optional<DirectoryListing> listing = ListDirectory(current, file_name, on_error);
    if (!listing) continue;
    if (!listing->matching_files.empty()) {
      return current + ChooseMatch(listing->matching_files, file_name);
    }
    for (auto it = listing->subdirectories.rbegin(); it != listing->subdirectories.rend(); ++it) {
      pending.push_back(current + *it + kSeparator);
    }
  }
  return "";
}

FileTreeIndex FileTreeIndex::Build(const std::string& directory,
                                   const SearchErrorHandler& on_error) {
  FileTreeIndex index;
  if (directory.empty()) return index;

  // FindFileInTree's walk, numbering the directories it lists in the order it lists them.
  constexpr std::size_t kNoParent = static_cast<std::size_t>(-1);
  std::vector<std::pair<std::string, std::size_t>> pending{{WithSeparator(directory), kNoParent}};
  std::vector<std::size_t> parents;
  while (!pending.empty()) {
    auto [current, parent] = std::move(pending.back());
    pending.pop_back();
    std::optional<WholeListing> listing = ListWholeDirectory(current, on_error);
    if (!listing) continue;
    const std::size_t number = index.directories_.size();
    for (auto& [name, unreadable] : listing->files) {
      index.files_[FoldLower(name)].push_back(File{number, std::move(name), unreadable});
    }
    for (auto it = listing->subdirectories.rbegin(); it != listing->subdirectories.rend(); ++it) {
      pending.emplace_back(current + *it + kSeparator, number);
    }
    index.directories_.push_back(Directory{std::move(current), number + 1});
    parents.push_back(parent);
  }

  // In pre-order a directory's subtree is the run of numbers after it; each ends where the
  // last of its descendants' ends.
  for (std::size_t number = parents.size(); number-- > 0;) {
    if (parents[number] == kNoParent) continue;
    std::size_t& end = index.directories_[parents[number]].subtree_end;
    end = std::max(end, index.directories_[number].subtree_end);
  }
  return index;
}

std::string FileTreeIndex::Find(std::string_view file_name) const {
  const auto found = files_.find(FoldLower(file_name));
  if (file_name.empty() || found == files_.end()) return "";
  const std::vector<File>& files = found->second;
  std::size_t first = 0;
  while (first < files.size()) {
    // The files of one directory: [first, last).
    const std::size_t directory = files[first].directory;
    std::size_t last = first;
    bool unreadable = false;
    while (last < files.size() && files[last].directory == directory) {
      unreadable = unreadable || files[last].unreadable;
      ++last;
    }
    if (unreadable) {
      // FindFileInTree passes over this directory and all below it for this name.
      const std::size_t end = directories_[directory].subtree_end;
      while (last < files.size() && files[last].directory < end) ++last;
      first = last;
      continue;
    }
    // The exact spelling when it is there, otherwise the first in search order.
    const auto begin = files.begin() + static_cast<std::ptrdiff_t>(first);
    const auto end = files.begin() + static_cast<std::ptrdiff_t>(last);
    const auto exact = std::find_if(begin, end, [&](const File& f) { return f.name == file_name; });
    return directories_[directory].path + (exact != end ? exact : begin)->name;
  }
  return "";
}

std::vector<std::string> FilesInTree(const std::string& folder,
                                     const std::function<bool(const std::string&)>& wanted,
                                     const SearchErrorHandler& on_error) {
  std::vector<std::string> found;
  CollectFiles(PathFromUtf8(folder), wanted, found, on_error);
  return found;
}

}  // namespace brushwright
