// Depth-first search of a directory tree for a texture file, names compared without letter case.
#include "search/file_search.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

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

// Adds one entry to the listing. Links to directories are not descended into (a link back up
// the tree would make the walk endless); links to files count as the files they name.
std::error_code ClassifyEntry(const fs::directory_entry& entry, const std::string& file_name,
                              DirectoryListing& listing) {
  const std::string name = entry.path().filename().string();
  std::error_code error;
  const fs::file_status own_status = entry.symlink_status(error);
  if (error) return IsGoneEntry(error) || IsSilentlySkipped(name) ? std::error_code{} : error;
  if (fs::is_directory(own_status)) {
    listing.subdirectories.push_back(name);
    return {};
  }
  if (!EqualsIgnoringCase(name, file_name)) return {};
  const fs::file_status target_status = entry.status(error);
  if (error) return IsGoneEntry(error) || IsSilentlySkipped(name) ? std::error_code{} : error;
  if (fs::is_regular_file(target_status)) listing.matching_files.push_back(name);
  return {};
}

// Lists a directory completely before anything else is done with it. On any failure the
// directory is reported and passed over as a whole: nullopt.
std::optional<DirectoryListing> ListDirectory(const std::string& directory,
                                              const std::string& file_name,
                                              const SearchErrorHandler& on_error) {
  DirectoryListing listing;
  std::error_code error;
  fs::directory_iterator it(fs::path(directory), error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    error = ClassifyEntry(*it, file_name, listing);
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

}  // namespace brushwright
