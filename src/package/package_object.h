// One object of a package read from its bytes: state frame, tagged properties, and the class's
// own data after them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "package/byte_cursor.h"
#include "package/package_file.h"

namespace brushwright {

// From version 118 on a struct property's value is the struct's own tagged properties, ended by
// "None" (a brush's MainScale: Scale, SheerRate, SheerAxis); before, its fields' raw bytes. A
// few plain structs (Vector, Rotator, Color) stay raw bytes in every version.
constexpr bool HasNestedStructTags(int version) {
  return version >= 118;
}

// Tribes: Vengeance and SWAT 4 (versions 129 and 130, licensees 23 to 27) begin the data of an
// object with a small version header of their own from licensee 25 on.
constexpr bool IsVengeancePackage(int version, int licensee) {
  return (version == 129 || version == 130) && licensee >= 23 && licensee <= 27;
}
constexpr bool HasVengeanceObjectHeader(int version, int licensee) {
  return IsVengeancePackage(version, licensee) && licensee >= 25;
}

// Reads the Tribes: Vengeance version header at the cursor: a kind word, then one or two version
// numbers. Gives the last version number; an unknown kind is a failure of the cursor.
std::int32_t ReadVengeanceHeader(ByteCursor& cursor);

// The type in a property tag's low four bits.
enum class PropertyType : std::uint8_t {
  Byte = 1,
  Int = 2,
  Bool = 3,
  Float = 4,
  Object = 5,
  Name = 6,
  String = 7,  // a fixed-length string in the first generation, a delegate in the second
  Class = 8,
  Array = 9,
  Struct = 10,
  Vector = 11,
  Rotator = 12,
  Str = 13,
  Map = 14,
  FixedArray = 15,
};

// One tagged property. Its value is ValueSize bytes at ValueOffset of the object's data (a bool
// keeps its value in the tag and has none).
struct PropertyTag {
  std::int32_t Name = 0;  // name index
  PropertyType Type = PropertyType::Byte;
  std::int32_t StructName = 0;  // name index; struct properties only
  std::int32_t ArrayIndex = 0;
  bool BoolValue = false;
  std::int64_t ValueOffset = 0;
  std::int32_t ValueSize = 0;
};

// The script state an object with kObjectHasStack carries before its properties.
struct StateFrame {
  std::int32_t Node = 0;       // object reference
  std::int32_t StateNode = 0;  // object reference
  std::int64_t ProbeMask = 0;
  std::int32_t LatentAction = 0;
  std::int32_t Offset = -1;  // stored only when Node is set
};

// An export's data, read and split into its parts. Keeps a pointer to its package, which must
// outlive it.
class PackageObject {
 public:
  // Reads the export's bytes and its leading parts. Throws BrushError naming the file, the
  // export and the byte offset when they are broken.
  static PackageObject Read(const PackageFile& package, std::int32_t export_index);

  const PackageFile& Package() const { return *package_; }
  std::int32_t ExportIndex() const { return export_index_; }
  std::int32_t Ref() const { return ExportRef(export_index_); }
  // How messages name the object: "export 'checkers_base' (Texture)".
  std::string Label() const { return package_->ExportLabel(export_index_); }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  // The file offset of the object's first byte.
  std::int64_t FileOffset() const { return file_offset_; }
  const std::optional<StateFrame>& Frame() const { return frame_; }
  const std::vector<PropertyTag>& Properties() const { return properties_; }

  // The tag of the property `name` (letter case aside) with that array index; nullptr when the
  // object has none. FindIn looks in another list of tags, such as StructFields gives.
  const PropertyTag* Find(std::string_view name, std::int32_t array_index = 0) const {
    return FindIn(properties_, name, array_index);
  }
  const PropertyTag* FindIn(std::span<const PropertyTag> tags, std::string_view name,
                            std::int32_t array_index = 0) const;
  // The tagged properties inside a struct property's value, for packages whose structs are
  // stored so (HasNestedStructTags). Throws BrushError when they are broken.
  std::vector<PropertyTag> StructFields(const PropertyTag& tag) const;

  // Values. A null tag gives the empty value; so does a tag of another type, as the engine
  // passes over a property whose type has changed. A value too short for its type throws.
  std::optional<std::int32_t> IntValue(const PropertyTag* tag) const;  // byte or int
  std::optional<float> FloatValue(const PropertyTag* tag) const;
  bool BoolValue(const PropertyTag* tag) const;
  std::optional<std::string> NameValue(const PropertyTag* tag) const;
  // An object property's reference, checked against the tables; 0 when absent.
  std::int32_t ObjectValue(const PropertyTag* tag) const;
  // The references of an array property of objects, each checked against the tables.
  std::vector<std::int32_t> ObjectArrayValue(const PropertyTag* tag) const;

  // Reads tagged properties from `cursor`, which runs over this object's bytes, up to "None";
  // the cursor carries any failure.
  std::vector<PropertyTag> ReadTags(ByteCursor& cursor) const;

  // A cursor over one property's value.
  ByteCursor ValueCursor(const PropertyTag& tag) const;
  // A cursor over the class's own data: from the end of the properties to the object's end.
  ByteCursor DataCursor() const;

 private:
  PackageObject(const PackageFile& package, std::int32_t export_index);
  std::int32_t CheckedRef(ByteCursor& cursor) const;

  const PackageFile* package_;
  std::int32_t export_index_;
  std::int64_t file_offset_;
  std::vector<std::uint8_t> bytes_;
  std::optional<StateFrame> frame_;
  std::vector<PropertyTag> properties_;
  std::int64_t data_offset_ = 0;  // where the class's own data begins in bytes_
};

}  // namespace brushwright
