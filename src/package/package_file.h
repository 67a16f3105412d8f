// An Unreal package (.utx, .u, .unr, .ut2 ...): its header and tables, and an object's bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brushwright {

// The first four bytes of every package, little-endian; a package is known by them, never by
// its file name.
inline constexpr std::uint32_t kPackageMagic = 0x9E2A83C1;

// Packages before version 68 list their ancestors' GUIDs (the heritage table); from 68 on the
// header carries the package's GUID and its generations table instead.
constexpr bool HasGenerationsTable(int version) {
  return version >= 68;
}
// Before version 64 a name is zero-terminated text; from 64 on its length (terminator counted)
// comes first as a compact index.
constexpr bool HasLengthPrefixedNames(int version) {
  return version >= 64;
}

// An object reference as the tables and properties store it: 0 is none, n > 0 is export n - 1,
// n < 0 is import -n - 1.
constexpr bool IsExportRef(std::int32_t ref) {
  return ref > 0;
}
constexpr bool IsImportRef(std::int32_t ref) {
  return ref < 0;
}
constexpr std::int32_t ExportIndexOf(std::int32_t ref) {
  return ref - 1;
}
constexpr std::int32_t ImportIndexOf(std::int32_t ref) {
  return -ref - 1;
}
constexpr std::int32_t ExportRef(std::int32_t export_index) {
  return export_index + 1;
}

// An object-flags bit: the object carries the state of its script (a state frame) before its
// properties, as placed actors do.
inline constexpr std::uint32_t kObjectHasStack = 0x02000000;

struct PackageHeader {
  std::uint16_t Version = 0;
  std::uint16_t Licensee = 0;  // the game's own variant of the format; 0 for the engine's own
  std::uint32_t Flags = 0;
  std::int32_t NameCount = 0;
  std::int32_t NameOffset = 0;
  std::int32_t ExportCount = 0;
  std::int32_t ExportOffset = 0;
  std::int32_t ImportCount = 0;
  std::int32_t ImportOffset = 0;
  std::int32_t HeritageCount = 0;  // before version 68
  std::int32_t HeritageOffset = 0;
  std::int32_t GenerationCount = 0;  // from version 68 on
};

// An object of another package that this one uses (a class, a texture of the game's packages).
struct PackageImport {
  std::int32_t ClassPackage = 0;  // name index: the package of the object's class
  std::int32_t ClassName = 0;     // name index
  std::int32_t Outer = 0;         // object reference: the package or group holding the object
  std::int32_t ObjectName = 0;    // name index
};

// An object stored in this package.
struct PackageExport {
  std::int32_t Class = 0;       // object reference; 0 for a class object itself
  std::int32_t Super = 0;       // object reference: a class's parent class
  std::int32_t Outer = 0;       // object reference: the group holding the object; 0 at the top
  std::int32_t ObjectName = 0;  // name index
  std::uint32_t Flags = 0;
  std::int64_t SerialSize = 0;    // bytes of the object's data; 0 when it has none
  std::int64_t SerialOffset = 0;  // file offset of the object's data
};

// Where a package's bytes come from: a file read piece by piece, or bytes held in memory.
class PackageBytes {
 public:
  virtual ~PackageBytes() = default;
  virtual std::int64_t Size() const = 0;
  // `count` bytes from `offset`, which the caller has checked lie within Size(). Throws
  // BrushError naming the file when they cannot be read.
  virtual std::vector<std::uint8_t> Read(std::int64_t offset, std::int64_t count) const = 0;
};

// A package's header and tables, read whole when the package is opened; the objects' data stay
// in the file until ReadObjectBytes asks for one. Copies share the source. Every name index and
// object reference in the tables is checked when the package is opened, so the accessors below
// take them as given.
class PackageFile {
 public:
  // Reads header and tables of the file at `path`. Throws BrushError naming the file when it
  // cannot be read, is no package (its first four bytes are not kPackageMagic) or its tables are
  // broken (the message names the table and the byte offset).
  static PackageFile Open(const std::string& path);
  // The same over bytes in memory; `path` names them in messages and gives the package's name.
  static PackageFile FromBytes(const std::string& path, std::vector<std::uint8_t> bytes);

  const std::string& Path() const { return path_; }
  // The package's own name: the file name without its extension ("Checkers" of
  // "Textures/Checkers.utx"), as levels name the package.
  const std::string& Name() const { return name_; }
  const PackageHeader& Header() const { return header_; }
  int Version() const { return header_.Version; }
  int Licensee() const { return header_.Licensee; }
  std::int64_t FileSize() const { return bytes_->Size(); }

  const std::vector<std::string>& Names() const { return names_; }
  const std::vector<PackageImport>& Imports() const { return imports_; }
  const std::vector<PackageExport>& Exports() const { return exports_; }

  bool IsNameIndex(std::int64_t index) const {
    return index >= 0 && index < static_cast<std::int64_t>(names_.size());
  }
  // True for 0 and for references to an export or import of this package.
  bool IsObjectRef(std::int64_t ref) const;

  // The object's own name; "None" for the null reference.
  const std::string& ObjectName(std::int32_t ref) const;
  // The name of the object's class: an import's class name, the name an export's class reference
  // resolves to, "Class" for a class object; "None" for the null reference.
  const std::string& ClassName(std::int32_t ref) const;
  // The names of the packages and groups that hold the object, outermost first. An export's
  // list starts below the package itself (its groups only); an import's starts with the package
  // it comes from.
  std::vector<std::string> OuterNames(std::int32_t ref) const;
  // "Package.Group.Name": an export's path starts with Name(), an import's with its package.
  std::string ObjectPath(std::int32_t ref) const;
  // True when the object's class, or a parent class of it defined in this package, is named
  // `class_name` (letter case aside). Parent classes defined in other packages are not known.
  bool IsA(std::int32_t ref, std::string_view class_name) const;
  // The object's class and the parent classes this package defines, nearest first.
  std::vector<std::string> ClassChain(std::int32_t ref) const;

  // "export 'checkers_base' (Texture)": how messages name an export.
  std::string ExportLabel(std::int32_t export_index) const;
  // The export's data as stored in the file. Throws BrushError naming the file and the export
  // when its offset and size do not lie within the file or it cannot be read.
  std::vector<std::uint8_t> ReadObjectBytes(std::int32_t export_index) const;

 private:
  PackageFile(std::string path, std::shared_ptr<const PackageBytes> bytes);
  void ReadHeader();
  void ReadNames();
  void ReadImports();
  void ReadExports();
  void CheckReferences() const;

  std::string path_;
  std::string name_;
  std::shared_ptr<const PackageBytes> bytes_;
  PackageHeader header_;
  std::vector<std::string> names_;
  std::vector<PackageImport> imports_;
  std::vector<PackageExport> exports_;
};

// True when `bytes` begin with kPackageMagic.
bool HasPackageMagic(std::span<const std::uint8_t> bytes);
// True when the file at `path` begins with kPackageMagic; false when it cannot be read.
bool IsPackageFile(const std::string& path);

}  // namespace brushwright
