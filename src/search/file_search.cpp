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

// How a folder's file entry fares when its target is examined: a regular file, something
// else, or a failure.
enum class FileKind { Other, File, Unreadable };

// Links to files count as the files they name. A target gone since the listing and ".sys"
// entries are no files; any other failure sets `error`.
FileKind ExamineFile(const TreeEntry& entry, std::error_code& error) {
  std::error_code failure;
  const fs::file_status target_status = entry.entry.status(failure);
  if (failure) {
    if (IsGoneEntry(failure) || IsSilentlySkipped(entry.name)) return FileKind::Other;
    error = failure;
    return FileKind::Unreadable;
  }
  return fs::is_regular_file(target_status) ? FileKind::File : FileKind::Other;
}

// An entry the searches pass over silently: one gone since the listing, or a ".sys" one.
bool IsPassedOver(const TreeEntry& entry) {
  return entry.unreadable && (IsGoneEntry(entry.unreadable) || IsSilentlySkipped(entry.name));
}

// The failure that ends a folder for the searches: the first in the system's listing of an
// entry whose kind could not be learned, or of the listing itself. `place` is where it fell.
std::error_code FirstFailure(const TreeFolder& folder, std::size_t& place) {
  std::error_code first = folder.failure;
  place = folder.failure ? folder.failed_at : static_cast<std::size_t>(-1);
  for (const TreeEntry& entry : folder.entries) {
    if (entry.unreadable && !IsPassedOver(entry) && entry.listed < place) {
      first = entry.unreadable;
      place = entry.listed;
    }
  }
  return first;
}

// Lists one folder completely, in the walk's order.
TreeFolder ListFolder(fs::path path, std::string text, std::size_t depth) {
  TreeFolder folder;
  folder.path = std::move(path);
  folder.text = std::move(text);
  folder.depth = depth;
  std::error_code error;
  fs::directory_iterator it(folder.path, error);
  std::size_t listed = 0;
  for (; !error && it != fs::directory_iterator(); it.increment(error), ++listed) {
    TreeEntry entry{*it, Utf8FromPath(it->path().filename()), listed, false, {}};
    std::error_code failure;
    const fs::file_status own_status = entry.entry.symlink_status(failure);
    if (failure) {
      // The kind the listing itself gave, when it gave one (a folder whose entries cannot be
      // examined still names their kinds on most systems).
      std::error_code kind_error;
      entry.is_folder = it->is_directory(kind_error) && !it->is_symlink(kind_error);
      entry.unreadable = failure;
    } else {
      entry.is_folder = fs::is_directory(own_status);
    }
    folder.entries.push_back(std::move(entry));
  }
  if (error) {
    folder.failure = error;
    folder.failed_at = listed;
  }
  // Sorted through their numbers, so that the entries themselves move once.
  std::vector<std::size_t> order(folder.entries.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return ComesBefore(folder.entries[a].name, folder.entries[b].name);
  });
  std::vector<TreeEntry> sorted;
  sorted.reserve(order.size());
  for (const std::size_t i : order) sorted.push_back(std::move(folder.entries[i]));
  folder.entries = std::move(sorted);
  return folder;
}

}  // namespace

void WalkTree(const std::string& top, FolderSpelling spelling,
              const std::function<TreeStep(const TreeFolder&)>& visit) {
  // Subfolders are pushed last-first so that the first in order is walked first.
  struct Pending {
    fs::path path;
    std::string text;
    std::size_t depth;
  };
  std::vector<Pending> pending;
  const fs::path top_path = PathFromUtf8(top);
  pending.push_back(
      {top_path, spelling == FolderSpelling::Joined ? Utf8FromPath(top_path) : top, 0});
  while (!pending.empty()) {
    Pending next = std::move(pending.back());
    pending.pop_back();
    const TreeFolder folder = ListFolder(std::move(next.path), std::move(next.text), next.depth);
    const TreeStep step = visit(folder);
    if (step == TreeStep::Stop) return;
    if (step == TreeStep::PassOver) continue;
    for (auto it = folder.entries.rbegin(); it != folder.entries.rend(); ++it) {
      if (!it->is_folder) continue;
      if (spelling == FolderSpelling::Joined) {
        pending.push_back({it->entry.path(), Utf8FromPath(it->entry.path()), folder.depth + 1});
      } else {
        std::string child = folder.text + it->name + kSeparator;
        fs::path child_path = PathFromUtf8(child);
        pending.push_back({std::move(child_path), std::move(child), folder.depth + 1});
      }
    }
  }
}

std::string FindFileInTree(const std::string& directory, const std::string& file_name,
                           const SearchErrorHandler& on_error) {
  // An empty search path means no search: a user who left it empty does not want a walk of
  // the whole disk.
  if (directory.empty() || file_name.empty()) return "";

  std::string found;
  WalkTree(WithSeparator(directory), FolderSpelling::Separated, [&](const TreeFolder& folder) {
    // A folder is searched as a whole: the first failure in its listing, counting a file of the
    // wanted name whose target cannot be examined, passes over it and all below it.
    std::size_t place = 0;
    std::error_code failure = FirstFailure(folder, place);
    std::vector<std::string> matches;
    for (const TreeEntry& entry : folder.entries) {
      if (entry.unreadable || entry.is_folder || !EqualsIgnoringCase(entry.name, file_name)) {
        continue;
      }
      std::error_code error;
      const FileKind kind = ExamineFile(entry, error);
      if (kind == FileKind::Unreadable && entry.listed < place) {
        failure = error;
        place = entry.listed;
      }
      if (kind == FileKind::File) matches.push_back(entry.name);
    }
    if (failure) {
      if (on_error) on_error(ErrorText(failure));
      return TreeStep::PassOver;
    }
    if (matches.empty()) return TreeStep::Enter;
    found = folder.text + ChooseMatch(matches, file_name);
    return TreeStep::Stop;
  });
  return found;
}

FileTreeIndex FileTreeIndex::Build(const std::string& directory,
                                   const SearchErrorHandler& on_error) {
  FileTreeIndex index;
  if (directory.empty()) return index;

  // FindFileInTree's walk, numbering the folders it lists in the order it lists them.
  constexpr std::size_t kNoParent = static_cast<std::size_t>(-1);
  std::vector<std::size_t> parents;
  std::vector<std::size_t> open;  // the numbers of the folders from the top down to the last
  WalkTree(WithSeparator(directory), FolderSpelling::Separated, [&](const TreeFolder& folder) {
    // Each file whose target cannot be examined is kept, marked, and the first such failure
    // told; any other failure passes over the folder.
    std::size_t place = 0;
    const std::error_code failure = FirstFailure(folder, place);
    if (failure) {
      if (on_error) on_error(ErrorText(failure));
      return TreeStep::PassOver;
    }
    const std::size_t number = index.directories_.size();
    std::error_code first_unreadable;
    std::size_t first_place = static_cast<std::size_t>(-1);
    for (const TreeEntry& entry : folder.entries) {
      if (entry.unreadable || entry.is_folder) continue;
      std::error_code error;
      const FileKind kind = ExamineFile(entry, error);
      if (kind == FileKind::Other) continue;
      if (kind == FileKind::Unreadable && entry.listed < first_place) {
        first_unreadable = error;
        first_place = entry.listed;
      }
      index.files_[FoldLower(entry.name)].push_back(
          File{number, entry.name, kind == FileKind::Unreadable});
    }
    if (first_unreadable && on_error) on_error(ErrorText(first_unreadable));
    // Its parent is the last folder listed one level up (a folder passed over has no children).
    open.resize(folder.depth);
    parents.push_back(open.empty() ? kNoParent : open.back());
    open.push_back(number);
    index.directories_.push_back(Directory{folder.text, number + 1});
    return TreeStep::Enter;
  });

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
  WalkTree(folder, FolderSpelling::Joined, [&](const TreeFolder& listed) {
    for (const TreeEntry& entry : listed.entries) {
      std::error_code kind_error;
      if (entry.is_folder || !entry.entry.is_regular_file(kind_error)) {
        continue;
      }
      std::string path = Utf8FromPath(entry.entry.path());
      if (wanted(path)) found.push_back(std::move(path));
    }
    if (listed.failure && on_error) {
      on_error("cannot read folder '" + listed.text + "': " + listed.failure.message());
    }
    return TreeStep::Enter;
  });
  return found;
}

}  // namespace brushwright
