// Whole-file reading, piecewise writing, existence tests and path cutting.
#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace brushwright {

// The whole file as one text, one character per byte. A UTF-16 (LE or BE) byte-order mark makes
// it decode the file to 8-bit characters (code points above 255 become '?'); a UTF-8
// byte-order mark is dropped. Throws BrushError naming the file when it cannot be read.
std::string ReadFileText(const std::string& path);

// Writes `text` and then CR LF. append false creates or empties the file; append true appends,
// creating the file when missing. Throws BrushError naming the file on any failure.
void WriteFileText(const std::string& path, std::string_view text, bool append);

// Creates or empties the file and writes `bytes` exactly, nothing added. Throws BrushError naming
// the file on any failure.
void WriteFileBytes(const std::string& path, std::string_view bytes);

// Keeps the output files of one run open across writes. The bytes on disk are those that the
// same sequence of WriteFileText calls would leave. Flush() pushes everything to disk and
// reports failures; the destructor closes quietly.
class OutputFiles {
 public:
  OutputFiles() = default;
  OutputFiles(const OutputFiles&) = delete;
  OutputFiles& operator=(const OutputFiles&) = delete;
  ~OutputFiles();

  void Write(const std::string& path, std::string_view text, bool append);
  void Flush();

 private:
  // One open file and the write buffer it was given, which must outlive the FILE.
  struct OpenFile {
    std::FILE* file = nullptr;
    std::unique_ptr<char[]> buffer;
  };
  std::map<std::string, OpenFile> open_;
  // The file written last: a run writes one file many times in a row, so the lookup is skipped.
  std::map<std::string, OpenFile>::iterator last_ = open_.end();
};

// True when `path` names an existing ordinary file; false for "", directories and anything
// that cannot be examined.
bool FileExists(const std::string& path);

// The part after the last "\", "/" or ":"; the whole path when it has none.
std::string FileNameOfPath(std::string_view path);
// The path up to and including the last "\", "/" or ":"; "" when it has none.
std::string DirectoryOfPath(std::string_view path);
// The path without the extension of its last component: only a dot after the last "\", "/" or
// ":" counts. "C:\my.maps\hall" stays whole; "a.b.c" gives "a.b"; ".t3d" gives "".
std::string StripExtension(std::string_view path);

}  // namespace brushwright
