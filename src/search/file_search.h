// Depth-first search of a directory tree for a file, by name without regard to letter case.
#pragma once

#include <functional>
#include <string>

namespace brushwright {

// Receives the text of a failure met during the search ("Error: 13 - Permission denied"); the
// caller shows it (the window in a box titled "Unexpected Error", the command line on stderr).
using SearchErrorHandler = std::function<void(const std::string& message)>;

// Full path of the first file named `file_name` (any letter case, the exact spelling first) met
// in a depth-first pre-order walk of `directory`: a directory's own files before its
// subdirectories, subdirectories in the order of their names folded to upper case. The path is
// the directory text with a separator, then the name as it is on disk. "" when none is found.
// Symbolic links to directories are not followed. A directory that cannot be read is reported
// through `on_error` and passed over.
std::string FindFileInTree(const std::string& directory, const std::string& file_name,
                           const SearchErrorHandler& on_error);

}  // namespace brushwright
