// One object of a package read from its bytes: state frame, tagged properties, and the class's
// own data after them.
#include "package/package_object.h"

#include "text/key_readers.h"

namespace brushwright {

// The name that ends a list of tagged properties.
constexpr std::string_view kEndOfProperties = "None";
// The first word of a Tribes: Vengeance object header: 3 before two version numbers, 4 before
// one.
constexpr std::int32_t kVengeanceTwoVersions = 3;
constexpr std::int32_t kVengeanceOneVersion = 4;
// A tag's info byte: type in the low four bits, size code in the next three, and the array flag
// (a bool's value) on top.
constexpr std::uint8_t kTypeBits = 0x0F;
constexpr std::uint8_t kArrayFlag = 0x80;
// Array indexes: one byte below 128; two bytes with the top bits 10; four bytes with 11.
constexpr std::uint8_t kTwoByteIndex = 0x80;
constexpr std::uint8_t kFourByteIndex = 0xC0;

namespace {

// The value size a tag's size code stands for, reading the stored size for codes 5 to 7.
std::int64_t ValueSize(ByteCursor& cursor, int size_code) {
  switch (size_code) {
    case 0:
      return 1;
    case 1:
      return 2;
    case 2:
      return 4;
    case 3:
      return 12;
    case 4:
      return 16;
    case 5:
      return cursor.U8();
    case 6:
      return cursor.U16();
    default:
      return cursor.I32();
  }
}

std::int32_t ArrayIndex(ByteCursor& cursor) {
  const std::uint8_t first = cursor.U8();
  if ((first & kTwoByteIndex) == 0) return first;
  if ((first & kFourByteIndex) == kTwoByteIndex) return ((first & 0x7F) << 8) | cursor.U8();
  std::int32_t index = first & 0x3F;
  for (int i = 0; i < 3; ++i) index = (index << 8) | cursor.U8();
  return index;
}

StateFrame ReadStateFrame(ByteCursor& cursor) {
  StateFrame frame;
  frame.Node = cursor.CompactIndex();
  frame.StateNode = cursor.CompactIndex();
  frame.ProbeMask = cursor.I64();
  frame.LatentAction = cursor.I32();
  if (frame.Node != 0) frame.Offset = cursor.CompactIndex();
  return frame;
}

}  // namespace

std::int32_t ReadVengeanceHeader(ByteCursor& cursor) {
  const std::int32_t kind = cursor.I32();
  if (kind == kVengeanceTwoVersions) {
    cursor.I32();
    return cursor.I32();
  }
  if (kind == kVengeanceOneVersion) return cursor.I32();
  if (cursor.Ok()) cursor.Fail("unknown object header " + std::to_string(kind));
  return 0;
}

PackageObject::PackageObject(const PackageFile& package, std::int32_t export_index)
    : package_(&package),
      export_index_(export_index),
      file_offset_(package.Exports()[static_cast<std::size_t>(export_index)].SerialOffset),
      bytes_(package.ReadObjectBytes(export_index)) {}

PackageObject PackageObject::Read(const PackageFile& package, std::int32_t export_index) {
  PackageObject object(package, export_index);
  ByteCursor cursor(object.bytes_, object.file_offset_, package.Path(), object.Label());
  const PackageExport& entry = package.Exports()[static_cast<std::size_t>(export_index)];
  if (HasVengeanceObjectHeader(package.Version(), package.Licensee())) {
    ReadVengeanceHeader(cursor);
  }
  if (entry.Flags & kObjectHasStack) object.frame_ = ReadStateFrame(cursor);
  // A class object stores its script and defaults in a layout of its own, without tags first.
  if (entry.Class != 0) object.properties_ = object.ReadTags(cursor);
  cursor.Check();
  object.data_offset_ = cursor.FileOffset() - object.file_offset_;
  return object;
}

std::vector<PropertyTag> PackageObject::ReadTags(ByteCursor& cursor) const {
  std::vector<PropertyTag> tags;
  // Every tag takes at least two bytes, so the loop ends at the end of the bytes.
  while (cursor.Ok()) {
    PropertyTag tag;
    tag.Name = cursor.CompactIndex();
    if (!cursor.Ok()) break;
    if (!package_->IsNameIndex(tag.Name)) {
      cursor.Fail("property name index " + std::to_string(tag.Name) + " outside the " +
                  std::to_string(package_->Names().size()) + " names");
      break;
    }
    if (EqualsIgnoringCase(package_->Names()[tag.Name], kEndOfProperties)) break;
    const std::uint8_t info = cursor.U8();
    const int type = info & kTypeBits;
    if (type == 0 && cursor.Ok()) {
      cursor.Fail("property '" + package_->Names()[tag.Name] + "' of type 0");
      break;
    }
    tag.Type = static_cast<PropertyType>(type);
    if (tag.Type == PropertyType::Struct) {
      tag.StructName = cursor.CompactIndex();
      if (!package_->IsNameIndex(tag.StructName) && cursor.Ok()) {
        cursor.Fail("struct name index " + std::to_string(tag.StructName) + " outside the names");
      }
    }
    const std::int64_t size = ValueSize(cursor, (info >> 4) & 0x07);
    const bool flag = (info & kArrayFlag) != 0;
    if (tag.Type == PropertyType::Bool) {
      tag.BoolValue = flag;
    } else if (flag) {
      tag.ArrayIndex = ArrayIndex(cursor);
    }
    tag.ValueOffset = cursor.FileOffset() - file_offset_;
    cursor.Skip(size);
    tag.ValueSize = static_cast<std::int32_t>(size);
    if (cursor.Ok()) tags.push_back(tag);
  }
  return tags;
}

const PropertyTag* PackageObject::FindIn(std::span<const PropertyTag> tags, std::string_view name,
                                         std::int32_t array_index) const {
  for (const PropertyTag& tag : tags) {
    if (tag.ArrayIndex == array_index && EqualsIgnoringCase(package_->Names()[tag.Name], name)) {
      return &tag;
    }
  }
  return nullptr;
}

std::vector<PropertyTag> PackageObject::StructFields(const PropertyTag& tag) const {
  ByteCursor cursor = ValueCursor(tag);
  std::vector<PropertyTag> fields = ReadTags(cursor);
  cursor.Check();
  return fields;
}

ByteCursor PackageObject::ValueCursor(const PropertyTag& tag) const {
  const std::span<const std::uint8_t> value(bytes_.data() + tag.ValueOffset,
                                            static_cast<std::size_t>(tag.ValueSize));
  return ByteCursor(value, file_offset_ + tag.ValueOffset, package_->Path(),
                    Label() + " property '" + package_->Names()[tag.Name] + "'");
}

ByteCursor PackageObject::DataCursor() const {
  const std::span<const std::uint8_t> data(bytes_.data() + data_offset_,
                                           bytes_.size() - static_cast<std::size_t>(data_offset_));
  return ByteCursor(data, file_offset_ + data_offset_, package_->Path(), Label());
}

std::optional<std::int32_t> PackageObject::IntValue(const PropertyTag* tag) const {
  if (!tag) return std::nullopt;
  ByteCursor cursor = ValueCursor(*tag);
  std::optional<std::int32_t> value;
  if (tag->Type == PropertyType::Byte) value = cursor.U8();
  if (tag->Type == PropertyType::Int) value = cursor.I32();
  cursor.Check();
  return value;
}

std::optional<float> PackageObject::FloatValue(const PropertyTag* tag) const {
  if (!tag || tag->Type != PropertyType::Float) return std::nullopt;
  ByteCursor cursor = ValueCursor(*tag);
  const float value = cursor.F32();
  cursor.Check();
  return value;
}

bool PackageObject::BoolValue(const PropertyTag* tag) const {
  return tag && tag->Type == PropertyType::Bool && tag->BoolValue;
}

std::optional<std::string> PackageObject::NameValue(const PropertyTag* tag) const {
  if (!tag || tag->Type != PropertyType::Name) return std::nullopt;
  ByteCursor cursor = ValueCursor(*tag);
  const std::int32_t index = cursor.CompactIndex();
  if (cursor.Ok() && !package_->IsNameIndex(index)) {
    cursor.Fail("name index " + std::to_string(index) + " outside the names");
  }
  cursor.Check();
  return package_->Names()[index];
}

std::int32_t PackageObject::CheckedRef(ByteCursor& cursor) const {
  const std::int32_t ref = cursor.CompactIndex();
  if (cursor.Ok() && !package_->IsObjectRef(ref)) {
    cursor.Fail("object reference " + std::to_string(ref) + " outside the tables");
  }
  return cursor.Ok() ? ref : 0;
}

std::int32_t PackageObject::ObjectValue(const PropertyTag* tag) const {
  if (!tag || (tag->Type != PropertyType::Object && tag->Type != PropertyType::Class)) return 0;
  ByteCursor cursor = ValueCursor(*tag);
  const std::int32_t ref = CheckedRef(cursor);
  cursor.Check();
  return ref;
}

std::vector<std::int32_t> PackageObject::ObjectArrayValue(const PropertyTag* tag) const {
  std::vector<std::int32_t> refs;
  if (!tag || tag->Type != PropertyType::Array) return refs;
  ByteCursor cursor = ValueCursor(*tag);
  // Each reference takes at least one byte.
  const std::int32_t count = cursor.Count(cursor.CompactIndex(), 1, "array");
  refs.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count && cursor.Ok(); ++i) refs.push_back(CheckedRef(cursor));
  cursor.Check();
  return refs;
}

}  // namespace brushwright
