// Whole-file reading, piecewise writing, existence tests and path cutting.
#pragma once

#include <cstddef>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace brushwright {

// Ends every line of every file the program writes, whatever the platform.
inline constexpr std::string_view kLineBreak = "\r\n";

// The whole file as one text, one character per byte. A UTF-16 (LE or BE) byte-order mark makes
// it decode the file to 8-bit characters (code points above 255 become '?'); a UTF-8
// byte-order mark is dropped. Throws BrushError naming the file when it cannot be read.
std::string ReadFileText(const std::string& path);

// A run's input as ReadFileText gives it, from a regular file, a pipe, a FIFO or a character
// device, read once; "-" is standard input (a file of that name is "./-"). Reading stops as soon
// as more than `largest_size` bytes have come, so an endless input never holds more than that
// (and one byte) in memory: BrushError "'<path>' is too large to convert (more than <largest_size>
// bytes, the most a run can convert)". A regular file known to be larger fails before any read:
// "'<path>' is too large to convert (<its size> bytes)". Other failures as ReadFileText.
std::string ReadInputText(const std::string& path, std::size_t largest_size);

// ReadInputText without the text decoding: the input's bytes exactly as they are.
std::string ReadInputBytes(const std::string& path, std::size_t largest_size);
// The whole file's bytes exactly as they are. Throws BrushError naming the file when it cannot
// be read.
std::string ReadFileBytes(const std::string& path);
// A file's bytes as ReadFileText gives them: a byte-order mark decides their encoding.
std::string TextOfBytes(std::string bytes);

// Writes `text` and then CR LF. append false creates or empties the file; append true appends,
// creating the file when missing. Throws BrushError naming the file on any failure.
void WriteFileText(const std::string& path, std::string_view text, bool append);

// Creates or empties the file and writes `bytes` exactly, nothing added. Throws BrushError naming
// the file on any failure.
void WriteFileBytes(const std::string& path, std::string_view bytes);
// WriteFileBytes through a new file beside it, renamed over `path` at the end, so that a reader
// finds the old file or the whole new one, never a part: for files that several runs at once
// may write and read (texture images beside a shared output folder).
void ReplaceFileBytes(const std::string& path, std::string_view bytes);
// Copies the file `from` to `to` as ReplaceFileBytes writes, and gives its bytes. Throws
// BrushError naming `from` when it cannot be read, and both files when the copy cannot be made.
std::string CopyFileWhole(const std::string& from, const std::string& to);

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

// Whether a name taken from the data (a texture's, a package's or group's) may become one
// component of a path the program writes or reads: false for names that could leave the folder,
// name a drive or a stream, act as wildcards, or that Windows refuses anywhere: names holding
// "/", "\", ":", "*", "?", '"', "<", ">", "|" or a character below 32, "." and "..", and the
// empty name. The same rule on every system, so that a level converts alike everywhere.
bool IsSafeFileName(std::string_view name);

}  // namespace brushwright
