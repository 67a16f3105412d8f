// Depth-first search of a directory tree for a file, by name without regard to letter case.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

namespace brushwright {

// Receives the text of a failure met during the search ("Error: 13 - Permission denied"); the
// caller shows it (the window in a box titled "Unexpected Error", the command line on stderr).
using SearchErrorHandler = std::function<void(const std::string& message)>;

// One entry of a folder as the tree walk lists it.
struct TreeEntry {
  std::filesystem::directory_entry entry;
  std::string name;    // as on disk
  std::size_t listed;  // its place in the system's listing of the folder, from 0
  bool is_folder;      // a folder itself, not a link to one: the walk goes into it
  // Examining the entry itself failed; is_folder then holds the kind the listing gave, if any.
  std::error_code unreadable;
};

// One folder the tree walk met, with what it could list of it.
struct TreeFolder {
  std::filesystem::path path;  // as opened
  std::string text;            // the path as the walk spells it
  std::size_t depth = 0;       // 0 for the top, 1 for its subfolders, and so on
  // In the walk's order: names by their upper-case folding, ties by their bytes, whatever order
  // the system lists them in.
  std::vector<TreeEntry> entries;
  std::error_code failure;    // the listing failed: entries holds what came before it
  std::size_t failed_at = 0;  // the place in the listing where it failed
};

// What the walk does after a folder.
enum class TreeStep {
  Enter,     // walk its subfolders next, first in order first
  PassOver,  // walk nothing below it
  Stop,      // end the walk
};

// How the walk spells and opens the folders below the top.
enum class FolderSpelling {
  Separated,  // the parent's text, the name, a separator ("top/sub/"); give the top with one
  Joined,     // the system's joining of the parent's path and the name ("top/sub")
};

// Walks the folder tree below `top` depth first, a folder before its subfolders, each folder
// listed completely and handed to `visit` before anything below it. A folder that cannot be
// listed is handed over too, with its failure. Links to folders are not followed, so that a
// loop of links cannot hold the walk; an explicit stack keeps deep trees off the call stack.
void WalkTree(const std::string& top, FolderSpelling spelling,
              const std::function<TreeStep(const TreeFolder&)>& visit);

// Full path of the first file named `file_name` (any letter case, the exact spelling first) met
// in a depth-first pre-order walk of `directory`: a directory's own files before its
// subdirectories, subdirectories in the order of their names folded to upper case. The path is
// the directory text with a separator, then the name as it is on disk. "" when none is found.
// Symbolic links to directories are not followed. A directory that cannot be read is reported
// through `on_error` and passed over.
std::string FindFileInTree(const std::string& directory, const std::string& file_name,
                           const SearchErrorHandler& on_error);

// Every regular file below `folder`, at any depth, whose path `wanted` takes, in the walk's
// order (WalkTree: a folder's files and subfolders by their folded names). A folder that
// cannot be listed is told through `on_error` ("cannot read folder 'F': why") and passed over;
// links to folders are not followed, so that a loop of links cannot hold the walk.
std::vector<std::string> FilesInTree(const std::string& folder,
                                     const std::function<bool(const std::string&)>& wanted,
                                     const SearchErrorHandler& on_error);

// Every file below a folder, gathered by one walk, so that a run finds all its textures without
// walking the tree again for each: Find gives what FindFileInTree gives on the tree as walked.
class FileTreeIndex {
 public:
  // Walks `directory` once, in FindFileInTree's order. Each directory that cannot be read is
  // reported through `on_error` and passed over with everything below it. A file that cannot
  // be examined is reported (once per directory) and keeps its name from being found in that
  // directory and below, as FindFileInTree passes over the directory when it looks for that
  // name. An empty directory text indexes nothing.
  static FileTreeIndex Build(const std::string& directory, const SearchErrorHandler& on_error);

  // The path FindFileInTree(directory, file_name) gives; "" when none.
  std::string Find(std::string_view file_name) const;

 private:
  struct Directory {
    std::string path;         // as FindFileInTree spells it, with a separator at the end
    std::size_t subtree_end;  // directories [own number, subtree_end) are this one and below
  };
  struct File {
    std::size_t directory;  // number of its directory in walk order
    std::string name;       // as on disk
    bool unreadable;        // a link whose target could not be examined
  };
  std::vector<Directory> directories_;  // in walk order
  // By name folded to lower case: the files of that name in walk order, each directory's own
  // in search order.
  std::unordered_map<std::string, std::vector<File>> files_;
};

}  // namespace brushwright
