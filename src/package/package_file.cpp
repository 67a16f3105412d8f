// An Unreal package (.utx, .u, .unr, .ut2 ...): its header and tables, and an object's bytes.
#include "package/package_file.h"

#include <algorithm>
#include <cassert>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "package/byte_cursor.h"
#include "text/brush_error.h"
#include "text/file_text.h"
#include "text/key_readers.h"

namespace brushwright {

// The fixed part of the header: magic, versions, flags and six table counts and offsets (36
// bytes), then either the heritage count and offset or a GUID and the generation count.
constexpr std::int64_t kHeaderBytes = 56;
// The fewest bytes a table entry can take: a name is a one-byte length (or terminator) and its
// 4-byte flags; an import three one-byte compact indexes and a 4-byte reference; an export four
// compact indexes, a 4-byte reference and 4-byte flags; a generation two 4-byte counts; a
// heritage entry one 16-byte GUID.
constexpr std::int64_t kLeastNameBytes = 5;
constexpr std::int64_t kLeastImportBytes = 7;
constexpr std::int64_t kLeastExportBytes = 12;
constexpr std::int64_t kGenerationBytes = 8;
constexpr std::int64_t kGuidBytes = 16;
// A first guess of a table entry's size, so that opening a package reads about its tables and
// no more; a table that turns out longer is read again over a larger window.
constexpr std::int64_t kGuessedNameBytes = 24;
constexpr std::int64_t kGuessedImportBytes = 12;
constexpr std::int64_t kGuessedExportBytes = 24;
// Class hierarchies are a handful of classes deep; a longer chain of parents is a loop.
constexpr int kDeepestClassChain = 64;

namespace {

class FileBytes final : public PackageBytes {
 public:
  FileBytes(std::string path, std::int64_t size) : path_(std::move(path)), size_(size) {}
  std::int64_t Size() const override { return size_; }
  std::vector<std::uint8_t> Read(std::int64_t offset, std::int64_t count) const override {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    // Opened for each read, so that an index of hundreds of packages holds no file open.
    std::ifstream in(std::filesystem::path(path_), std::ios::binary);
    if (in) in.seekg(offset);
    if (in && count > 0) in.read(reinterpret_cast<char*>(bytes.data()), count);
    if (!in) {
      throw BrushError("cannot read " + std::to_string(count) + " bytes at byte " +
                       std::to_string(offset) + " of '" + path_ +
                       "': the file cannot be read or has become shorter");
    }
    return bytes;
  }

 private:
  std::string path_;
  std::int64_t size_;
};

class MemoryBytes final : public PackageBytes {
 public:
  explicit MemoryBytes(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
  std::vector<std::uint8_t> Read(std::int64_t offset, std::int64_t count) const override {
    const auto first = bytes_.begin() + static_cast<std::ptrdiff_t>(offset);
    return {first, first + static_cast<std::ptrdiff_t>(count)};
  }

 private:
  std::vector<std::uint8_t> bytes_;
};

[[noreturn]] void ThrowBroken(const std::string& path, const std::string& what) {
  throw BrushError("'" + path + "': " + what);
}

// Checks that `count` entries of at least `least_bytes` each can start at `offset` in a file of
// `file_size` bytes, before anything is read or reserved for them. An empty table may say any
// offset: nothing is read there.
void CheckTablePlace(const std::string& path, std::string_view table, std::int64_t count,
                     std::int64_t offset, std::int64_t least_bytes, std::int64_t file_size) {
  if (count == 0) return;
  if (count < 0 || offset < 0 || offset > file_size || count > (file_size - offset) / least_bytes) {
    ThrowBroken(path, std::string(table) + " of " + std::to_string(count) + " entries at byte " +
                          std::to_string(offset) + " does not fit in the file's " +
                          std::to_string(file_size) + " bytes");
  }
}

// Runs `parse` over the bytes of the table of `count` entries at `offset`, first over a window of
// about `guessed_bytes` and, while the table runs past the window, over larger ones up to the
// end of the file. `parse` starts its output afresh on each call. Throws the cursor's failure.
template <typename Parse>
void ReadTable(const PackageBytes& bytes, const std::string& path, std::string_view table,
               std::int64_t count, std::int64_t offset, std::int64_t guessed_bytes, Parse parse) {
  if (count == 0) return;  // its offset was not checked
  const std::int64_t to_end = bytes.Size() - offset;
  std::int64_t window = std::min(to_end, guessed_bytes);
  for (;;) {
    const std::vector<std::uint8_t> data = bytes.Read(offset, window);
    ByteCursor cursor(data, offset, path, std::string(table));
    parse(cursor);
    if (cursor.Ok() || window == to_end) {
      cursor.Check();
      return;
    }
    window = std::min(to_end, window * 4);
  }
}

}  // namespace

PackageFile::PackageFile(std::string path, std::shared_ptr<const PackageBytes> bytes)
    : path_(std::move(path)),
      name_(StripExtension(FileNameOfPath(path_))),
      bytes_(std::move(bytes)) {
  ReadHeader();
  ReadNames();
  ReadImports();
  ReadExports();
  CheckReferences();
}

PackageFile PackageFile::Open(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(std::filesystem::path(path), error);
  if (error) ThrowBroken(path, "cannot read the package: " + error.message());
  return PackageFile(path, std::make_shared<FileBytes>(path, static_cast<std::int64_t>(size)));
}

PackageFile PackageFile::FromBytes(const std::string& path, std::vector<std::uint8_t> bytes) {
  return PackageFile(path, std::make_shared<MemoryBytes>(std::move(bytes)));
}

void PackageFile::ReadHeader() {
  const std::int64_t size = bytes_->Size();
  const std::vector<std::uint8_t> data = bytes_->Read(0, std::min(size, kHeaderBytes));
  if (!HasPackageMagic(data)) ThrowBroken(path_, "not an Unreal package (no package signature)");
  ByteCursor cursor(data, 0, path_, "header");
  cursor.Skip(4);
  header_.Version = cursor.U16();
  header_.Licensee = cursor.U16();
  header_.Flags = cursor.U32();
  header_.NameCount = cursor.I32();
  header_.NameOffset = cursor.I32();
  header_.ExportCount = cursor.I32();
  header_.ExportOffset = cursor.I32();
  header_.ImportCount = cursor.I32();
  header_.ImportOffset = cursor.I32();
  if (HasGenerationsTable(header_.Version)) {
    cursor.Skip(kGuidBytes);
    header_.GenerationCount = cursor.I32();
  } else {
    header_.HeritageCount = cursor.I32();
    header_.HeritageOffset = cursor.I32();
  }
  cursor.Check();
  // The generations follow the header; the heritage GUIDs lie where the header says. Neither is
  // needed to read the objects, but a count that cannot fit marks a broken header.
  if (HasGenerationsTable(header_.Version)) {
    CheckTablePlace(path_, "generations table", header_.GenerationCount, cursor.FileOffset(),
                    kGenerationBytes, size);
  } else {
    CheckTablePlace(path_, "heritage table", header_.HeritageCount, header_.HeritageOffset,
                    kGuidBytes, size);
  }
}

void PackageFile::ReadNames() {
  CheckTablePlace(path_, "name table", header_.NameCount, header_.NameOffset, kLeastNameBytes,
                  bytes_->Size());
  const bool length_prefixed = HasLengthPrefixedNames(header_.Version);
  ReadTable(*bytes_, path_, "name table", header_.NameCount, header_.NameOffset,
            header_.NameCount * kGuessedNameBytes + 256, [&](ByteCursor& cursor) {
              names_.clear();
              names_.reserve(static_cast<std::size_t>(header_.NameCount));
              for (std::int32_t i = 0; i < header_.NameCount && cursor.Ok(); ++i) {
                std::string name;
                if (length_prefixed) {
                  const std::int32_t length = cursor.Count(cursor.CompactIndex(), 1, "name length");
                  const std::span<const std::uint8_t> text = cursor.Bytes(length);
                  name.assign(text.begin(), text.end());
                } else {
                  for (std::uint8_t c = cursor.U8(); c != 0 && cursor.Ok(); c = cursor.U8()) {
                    name.push_back(static_cast<char>(c));
                  }
                }
                // The stored terminator (and any padding after it) is no part of the name.
                name.resize(std::min(name.size(), name.find('\0')));
                cursor.U32();  // the name's object flags
                names_.push_back(std::move(name));
              }
            });
}

void PackageFile::ReadImports() {
  CheckTablePlace(path_, "import table", header_.ImportCount, header_.ImportOffset,
                  kLeastImportBytes, bytes_->Size());
  ReadTable(*bytes_, path_, "import table", header_.ImportCount, header_.ImportOffset,
            header_.ImportCount * kGuessedImportBytes + 64, [&](ByteCursor& cursor) {
              imports_.clear();
              imports_.reserve(static_cast<std::size_t>(header_.ImportCount));
              for (std::int32_t i = 0; i < header_.ImportCount && cursor.Ok(); ++i) {
                PackageImport entry;
                entry.ClassPackage = cursor.CompactIndex();
                entry.ClassName = cursor.CompactIndex();
                entry.Outer = cursor.I32();
                entry.ObjectName = cursor.CompactIndex();
                imports_.push_back(entry);
              }
            });
}

void PackageFile::ReadExports() {
  CheckTablePlace(path_, "export table", header_.ExportCount, header_.ExportOffset,
                  kLeastExportBytes, bytes_->Size());
  ReadTable(*bytes_, path_, "export table", header_.ExportCount, header_.ExportOffset,
            header_.ExportCount * kGuessedExportBytes + 64, [&](ByteCursor& cursor) {
              exports_.clear();
              exports_.reserve(static_cast<std::size_t>(header_.ExportCount));
              for (std::int32_t i = 0; i < header_.ExportCount && cursor.Ok(); ++i) {
                PackageExport entry;
                entry.Class = cursor.CompactIndex();
                entry.Super = cursor.CompactIndex();
                entry.Outer = cursor.I32();
                entry.ObjectName = cursor.CompactIndex();
                entry.Flags = cursor.U32();
                entry.SerialSize = cursor.CompactIndex();
                // An object without data has no offset either.
                if (entry.SerialSize > 0) entry.SerialOffset = cursor.CompactIndex();
                exports_.push_back(entry);
              }
            });
}

bool PackageFile::IsObjectRef(std::int64_t ref) const {
  if (ref > 0) return ref <= static_cast<std::int64_t>(exports_.size());
  if (ref < 0) return -ref <= static_cast<std::int64_t>(imports_.size());
  return true;
}

// Every name index and reference of the tables in range, and no chain of outers that loops, so
// that the accessors can follow them without checks.
void PackageFile::CheckReferences() const {
  const auto check_name = [&](std::string_view table, std::size_t entry, std::int32_t index) {
    if (!IsNameIndex(index)) {
      ThrowBroken(path_, std::string(table) + " entry " + std::to_string(entry) + ": name index " +
                             std::to_string(index) + " outside the " +
                             std::to_string(names_.size()) + " names");
    }
  };
  const auto check_ref = [&](std::string_view table, std::size_t entry, std::int32_t ref) {
    if (!IsObjectRef(ref)) {
      ThrowBroken(path_, std::string(table) + " entry " + std::to_string(entry) +
                             ": object reference " + std::to_string(ref) + " outside the tables");
    }
  };
  for (std::size_t i = 0; i < imports_.size(); ++i) {
    check_name("import table", i, imports_[i].ClassPackage);
    check_name("import table", i, imports_[i].ClassName);
    check_name("import table", i, imports_[i].ObjectName);
    check_ref("import table", i, imports_[i].Outer);
  }
  for (std::size_t i = 0; i < exports_.size(); ++i) {
    check_name("export table", i, exports_[i].ObjectName);
    check_ref("export table", i, exports_[i].Class);
    check_ref("export table", i, exports_[i].Super);
    check_ref("export table", i, exports_[i].Outer);
  }

  // Outer chains, each object visited once: 0 not yet, 1 on the chain being walked, 2 known to
  // end at the top.
  const std::size_t count = imports_.size() + exports_.size();
  std::vector<std::uint8_t> state(count + 1, 0);
  const auto slot = [&](std::int32_t ref) {
    return IsExportRef(ref) ? static_cast<std::size_t>(ref)
                            : exports_.size() + static_cast<std::size_t>(-ref);
  };
  const auto outer = [&](std::int32_t ref) {
    return IsExportRef(ref) ? exports_[ExportIndexOf(ref)].Outer
                            : imports_[ImportIndexOf(ref)].Outer;
  };
  std::vector<std::int32_t> chain;
  for (std::int64_t first = -static_cast<std::int64_t>(imports_.size());
       first <= static_cast<std::int64_t>(exports_.size()); ++first) {
    chain.clear();
    for (auto ref = static_cast<std::int32_t>(first); ref != 0 && state[slot(ref)] != 2;
         ref = outer(ref)) {
      if (state[slot(ref)] == 1) {
        ThrowBroken(path_, "the outer objects of '" + ObjectName(ref) + "' form a loop");
      }
      state[slot(ref)] = 1;
      chain.push_back(ref);
    }
    for (const std::int32_t ref : chain) state[slot(ref)] = 2;
  }
}

const std::string& PackageFile::ObjectName(std::int32_t ref) const {
  static const std::string kNone = "None";
  if (IsExportRef(ref)) return names_[exports_[ExportIndexOf(ref)].ObjectName];
  if (IsImportRef(ref)) return names_[imports_[ImportIndexOf(ref)].ObjectName];
  return kNone;
}

const std::string& PackageFile::ClassName(std::int32_t ref) const {
  static const std::string kClass = "Class";
  if (IsImportRef(ref)) return names_[imports_[ImportIndexOf(ref)].ClassName];
  if (IsExportRef(ref)) {
    const std::int32_t class_ref = exports_[ExportIndexOf(ref)].Class;
    return class_ref == 0 ? kClass : ObjectName(class_ref);
  }
  return ObjectName(0);
}

std::vector<std::string> PackageFile::OuterNames(std::int32_t ref) const {
  std::vector<std::string> names;
  if (ref == 0) return names;
  for (std::int32_t outer = IsExportRef(ref) ? exports_[ExportIndexOf(ref)].Outer
                                             : imports_[ImportIndexOf(ref)].Outer;
       outer != 0; outer = IsExportRef(outer) ? exports_[ExportIndexOf(outer)].Outer
                                              : imports_[ImportIndexOf(outer)].Outer) {
    names.push_back(ObjectName(outer));
  }
  std::reverse(names.begin(), names.end());
  return names;
}

std::string PackageFile::ObjectPath(std::int32_t ref) const {
  std::string path = IsExportRef(ref) ? name_ + "." : std::string();
  for (const std::string& outer : OuterNames(ref)) path += outer + ".";
  return path + ObjectName(ref);
}

std::vector<std::string> PackageFile::ClassChain(std::int32_t ref) const {
  std::vector<std::string> chain;
  if (ref == 0) return chain;
  chain.push_back(ClassName(ref));
  if (!IsExportRef(ref)) return chain;
  // A class defined in this package names its parent in its Super field.
  std::int32_t parent = exports_[ExportIndexOf(ref)].Class;
  parent = IsExportRef(parent) ? exports_[ExportIndexOf(parent)].Super : 0;
  for (int depth = 0; parent != 0 && depth < kDeepestClassChain; ++depth) {
    chain.push_back(ObjectName(parent));
    parent = IsExportRef(parent) ? exports_[ExportIndexOf(parent)].Super : 0;
  }
  return chain;
}

bool PackageFile::IsA(std::int32_t ref, std::string_view class_name) const {
  const std::vector<std::string> chain = ClassChain(ref);
  return std::any_of(chain.begin(), chain.end(),
                     [&](const std::string& name) { return EqualsIgnoringCase(name, class_name); });
}

std::string PackageFile::ExportLabel(std::int32_t export_index) const {
  const std::int32_t ref = ExportRef(export_index);
  return "export '" + ObjectName(ref) + "' (" + ClassName(ref) + ")";
}

std::vector<std::uint8_t> PackageFile::ReadObjectBytes(std::int32_t export_index) const {
  assert(export_index >= 0 && export_index < static_cast<std::int32_t>(exports_.size()));
  const PackageExport& entry = exports_[static_cast<std::size_t>(export_index)];
  if (entry.SerialSize == 0) return {};
  if (entry.SerialSize < 0 || entry.SerialOffset < 0 || entry.SerialOffset > FileSize() ||
      entry.SerialSize > FileSize() - entry.SerialOffset) {
    ThrowBroken(path_, ExportLabel(export_index) + ": its " + std::to_string(entry.SerialSize) +
                           " bytes at byte " + std::to_string(entry.SerialOffset) +
                           " lie outside the file's " + std::to_string(FileSize()) + " bytes");
  }
  return bytes_->Read(entry.SerialOffset, entry.SerialSize);
}

bool HasPackageMagic(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 4 &&
         (static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
          (static_cast<std::uint32_t>(bytes[2]) << 16) |
          (static_cast<std::uint32_t>(bytes[3]) << 24)) == kPackageMagic;
}

bool IsPackageFile(const std::string& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  std::uint8_t first[4] = {};
  if (!in.read(reinterpret_cast<char*>(first), sizeof first)) return false;
  return HasPackageMagic(first);
}

}  // namespace brushwright
