// Whole-file reading with byte-order-mark decoding, CR LF piece writing, file tests, path cutting.
#include "text/file_text.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <random>
#include <system_error>
#include <utility>

#include "platform/platform.h"
#include "text/brush_error.h"

namespace brushwright {

namespace {

// Reading proceeds in pieces of this size when the file's size is not known beforehand.
constexpr std::size_t kReadChunkSize = 64 * 1024;
// ReadFileText takes any size a text can have; one more byte must still be countable.
constexpr std::size_t kAnySize =
    static_cast<std::size_t>(std::numeric_limits<std::ptrdiff_t>::max()) - 1;
// The input name that stands for standard input.
constexpr std::string_view kStandardInput = "-";
// Output files take many small appends per face; a large buffer turns them into few writes.
constexpr std::size_t kOutputBufferSize = 1024 * 1024;
// Written after every piece: output files have CR LF line ends on every platform.
constexpr std::string_view kLineEnd = "\r\n";
// Path components end at any of these, whether the path came from Windows or elsewhere.
constexpr std::string_view kPathSeparators = "\\/:";
// Characters no name from the data may hold: they would leave a folder, name a drive or a
// stream, or act as wildcards on some system, or Windows refuses them in file names.
constexpr std::string_view kUnsafeNameCharacters = "/\\:*?\"<>|";
// Control characters have no place in a file name.
constexpr char kFirstPrintable = ' ';
// Stands for a UTF-16 character that has no 8-bit code.
constexpr char kUnmappable = '?';

[[noreturn]] void ThrowFileError(std::string_view action, const std::string& path,
                                 const std::error_code& error) {
  throw BrushError("cannot " + std::string(action) + " '" + path + "': " + error.message());
}

[[noreturn]] void ThrowFileError(std::string_view action, const std::string& path, int error) {
  ThrowFileError(action, path, std::error_code(error, std::generic_category()));
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void ThrowTooLarge(const std::string& path, const std::string& size) {
  throw BrushError("'" + path + "' is too large to convert (" + size + ")");
}

// Makes room for `size` bytes, the first `used` of them kept. The new buffer has exactly that
// capacity, so that memory stays within the limit the size is bounded by.
void GrowTo(std::string& bytes, std::size_t used, std::size_t size) {
  if (size > bytes.capacity()) {
    std::string grown;
    grown.reserve(size);
    AdviseHugePages(grown.data(), grown.capacity());
    grown.append(bytes, 0, used);
    bytes.swap(grown);
  }
  bytes.resize(size);
}

// Everything the file (or standard input) gives, holding at most `largest_size` bytes and one: a
// regular file in one piece of its known size and one more byte to see its end, anything else in
// doubling pieces.
std::string ReadAllBytes(const std::string& path, bool standard_input, std::size_t largest_size) {
  std::error_code error;
  InputFile input(path, standard_input, error);
  if (error) ThrowFileError("read", path, error);
  std::size_t first_piece = kReadChunkSize;
  std::uint64_t size = 0;
  switch (input.Kind(size)) {
    case InputKind::Directory:
      ThrowFileError("read", path, EISDIR);
    case InputKind::RegularFile:
      if (size > largest_size) ThrowTooLarge(path, std::to_string(size) + " bytes");
      first_piece = static_cast<std::size_t>(size) + 1;
      break;
    case InputKind::Stream:
      break;
  }
  std::string bytes;
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) {
      if (used > largest_size) {
        ThrowTooLarge(path, "more than " + std::to_string(largest_size) +
                                " bytes, the most a run can convert");
      }
      const std::size_t wanted = used == 0 ? first_piece : used + std::max(used, kReadChunkSize);
      GrowTo(bytes, used, std::min(wanted, largest_size + 1));
    }
    const std::size_t got = input.Read(bytes.data() + used, bytes.size() - used, error);
    if (error) ThrowFileError("read", path, error);
    if (got == 0) break;
    used += got;
  }
  bytes.resize(used);
  return bytes;
}

// UTF-16 text to one byte per character: code points above 255 and surrogate pairs become one
// '?' each, and so does a lone surrogate or a trailing odd byte.
std::string DecodeUtf16(std::string_view bytes, bool big_endian) {
  std::string text;
  text.reserve(bytes.size() / 2 + 1);
  const auto unit_at = [&](std::size_t i) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return big_endian ? (first << 8) | second : (second << 8) | first;
  };
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const int unit = unit_at(i);
    const bool high_surrogate = unit >= 0xD800 && unit <= 0xDBFF;
    if (high_surrogate && i + 3 < bytes.size()) {
      const int next = unit_at(i + 2);
      if (next >= 0xDC00 && next <= 0xDFFF) i += 2;  // the pair is one character
    }
    text.push_back(unit <= 0xFF ? static_cast<char>(unit) : kUnmappable);
  }
  if (i < bytes.size()) text.push_back(kUnmappable);
  return text;
}

// Applies the byte-order mark, if any, to the raw bytes of a file.
std::string DecodeText(std::string bytes) {
  const auto starts_with = [&](std::string_view mark) {
    return std::string_view(bytes).starts_with(mark);
  };
  if (starts_with("\xEF\xBB\xBF")) return bytes.erase(0, 3);  // in place: no second copy
  if (starts_with("\xFF\xFE")) return DecodeUtf16(std::string_view(bytes).substr(2), false);
  if (starts_with("\xFE\xFF")) return DecodeUtf16(std::string_view(bytes).substr(2), true);
  return bytes;
}

std::FILE* OpenForWriting(const std::string& path, bool append) {
  std::error_code error;
  std::FILE* file = OpenFileForWriting(path, append, error);
  if (file == nullptr) ThrowFileError("write", path, error);
  return file;
}

void WriteBytes(std::FILE* file, const std::string& path, std::string_view bytes) {
  if (bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
    ThrowFileError("write", path, errno);
}

// Closing flushes the last buffered bytes, so its failure is a write failure.
void CloseChecked(std::FILE* file, const std::string& path) {
  if (std::fclose(file) != 0) ThrowFileError("write", path, errno);
}

// Writes `bytes` into a new file beside `path` and renames it over `path`, so that a reader
// finds the old file or the whole new one; the error of the step that failed (the new file
// removed), none when all went well.
std::error_code ReplaceWhole(const std::string& path, std::string_view bytes) {
  // A name no other writer picks: another thread or program may be replacing the same file.
  std::random_device random;
  const std::uint64_t tag = (std::uint64_t{random()} << 32) | random();
  std::array<char, 17> digits{};
  std::to_chars(digits.data(), digits.data() + 16, tag, 16);
  const std::string part = path + "." + digits.data() + ".part";
  std::error_code error;
  std::FILE* file = OpenFileForWriting(part, false, error);
  if (file == nullptr) return error;
  const bool written =
      bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int write_error = errno;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    error = std::error_code(!written ? write_error : errno, std::generic_category());
  } else {
    std::filesystem::rename(PathFromUtf8(part), PathFromUtf8(path), error);
  }
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(PathFromUtf8(part), ignored);
  }
  return error;
}

}  // namespace

std::string ReadFileText(const std::string& path) {
  return DecodeText(ReadAllBytes(path, false, kAnySize));
}

std::string ReadInputText(const std::string& path, std::size_t largest_size) {
  return TextOfBytes(ReadInputBytes(path, largest_size));
}

std::string ReadInputBytes(const std::string& path, std::size_t largest_size) {
  return ReadAllBytes(path, path == kStandardInput, largest_size);
}

std::string ReadFileBytes(const std::string& path) {
  return ReadAllBytes(path, false, kAnySize);
}

std::string TextOfBytes(std::string bytes) {
  return DecodeText(std::move(bytes));
}

void WriteFileText(const std::string& path, std::string_view text, bool append) {
  FileHandle file(OpenForWriting(path, append));
  WriteBytes(file.get(), path, text);
  WriteBytes(file.get(), path, kLineEnd);
  CloseChecked(file.release(), path);
}

void WriteFileBytes(const std::string& path, std::string_view bytes) {
  FileHandle file(OpenForWriting(path, false));
  WriteBytes(file.get(), path, bytes);
  CloseChecked(file.release(), path);
}

void ReplaceFileBytes(const std::string& path, std::string_view bytes) {
  if (const std::error_code error = ReplaceWhole(path, bytes)) ThrowFileError("write", path, error);
}

std::string CopyFileWhole(const std::string& from, const std::string& to) {
  std::string bytes = ReadFileBytes(from);
  if (const std::error_code error = ReplaceWhole(to, bytes)) {
    throw BrushError("cannot copy '" + from + "' to '" + to + "': " + error.message());
  }
  return bytes;
}

OutputFiles::~OutputFiles() {
  for (auto& [path, open] : open_) {
    if (open.file != nullptr) std::fclose(open.file);
  }
}

void OutputFiles::Write(const std::string& path, std::string_view text, bool append) {
  auto it = last_ != open_.end() && last_->first == path ? last_ : open_.find(path);
  last_ = open_.end();
  if (it != open_.end() && !append) {
    // Starting the file afresh: close what is open so that "wb" empties it. The buffer must
    // live until the close has flushed it.
    const OpenFile old = std::move(it->second);
    open_.erase(it);
    it = open_.end();
    CloseChecked(old.file, path);
  }
  if (it == open_.end()) {
    OpenFile open;
    open.file = OpenForWriting(path, append);
    // The stream fills its buffer before reading it: zeroing a megabyte first costs more than
    // converting a small level.
    open.buffer = std::make_unique_for_overwrite<char[]>(kOutputBufferSize);
    std::setvbuf(open.file, open.buffer.get(), _IOFBF, kOutputBufferSize);
    it = open_.emplace(path, std::move(open)).first;
  }
  last_ = it;
  WriteBytes(it->second.file, path, text);
  WriteBytes(it->second.file, path, kLineEnd);
}

void OutputFiles::Flush() {
  for (auto& [path, open] : open_) {
    if (std::fflush(open.file) != 0) ThrowFileError("write", path, errno);
  }
}

bool FileExists(const std::string& path) {
  return IsRegularFile(path);
}

std::string FileNameOfPath(std::string_view path) {
  const std::size_t separator = path.find_last_of(kPathSeparators);
  return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

std::string DirectoryOfPath(std::string_view path) {
  const std::size_t separator = path.find_last_of(kPathSeparators);
  return separator == std::string_view::npos ? std::string()
                                             : std::string(path.substr(0, separator + 1));
}

std::string StripExtension(std::string_view path) {
  const std::size_t separator = path.find_last_of(kPathSeparators);
  const std::size_t name_start = separator == std::string_view::npos ? 0 : separator + 1;
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < name_start) return std::string(path);
  return std::string(path.substr(0, dot));
}

bool IsSafeFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < kFirstPrintable) return false;
    if (kUnsafeNameCharacters.find(c) != std::string_view::npos) return false;
  }
  return true;
}

}  // namespace brushwright
