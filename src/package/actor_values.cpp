// Property values of a placed actor read as the level's T3D export writes them.
#include "package/actor_values.h"

#include <array>
#include <charconv>
#include <cmath>

namespace brushwright {

namespace {

// The export writes floats with "%f": six decimals.
constexpr int kExportedDecimals = 6;
// Render styles by their stored number; the second generation added the names from STY_Alpha.
constexpr std::array<std::string_view, 10> kStyleNames = {
    "STY_None",  "STY_Normal",   "STY_Masked",      "STY_Translucent", "STY_Modulated",
    "STY_Alpha", "STY_Additive", "STY_Subtractive", "STY_Particle",    "STY_AlphaZ"};
// The last sheer axis the engine numbers (SHEER_ZY); a larger stored number means no sheer.
constexpr int kLastSheerAxis = static_cast<int>(SheerAxis::kZY);

// The tag of struct property `name`; `plain` is the type of its own that older packages may
// give the struct (Vector, Rotator).
const PropertyTag* StructTag(const PackageObject& object, std::string_view name,
                             PropertyType plain = PropertyType::Struct,
                             std::int32_t array_index = 0) {
  const PropertyTag* tag = object.Find(name, array_index);
  return tag && (tag->Type == PropertyType::Struct || tag->Type == plain) ? tag : nullptr;
}

// A compact object reference inside a value, checked against the package's tables.
std::int32_t CheckedReference(const PackageFile& package, ByteCursor& cursor) {
  const std::int32_t ref = cursor.CompactIndex();
  if (cursor.Ok() && !package.IsObjectRef(ref)) {
    cursor.Fail("object reference " + std::to_string(ref) + " outside the tables");
  }
  return cursor.Ok() ? ref : 0;
}

Vector ReadVector(ByteCursor& cursor) {
  Vector v;
  v.X = ExportedNumber(cursor.F32());
  v.Y = ExportedNumber(cursor.F32());
  v.Z = ExportedNumber(cursor.F32());
  return v;
}

SheerAxis SheerAxisOf(int stored) {
  return stored >= 0 && stored <= kLastSheerAxis ? static_cast<SheerAxis>(stored)
                                                 : SheerAxis::kNone;
}

// A dynamic string: its length (terminator counted; negative for two-byte characters) and text.
std::string ReadDynamicString(ByteCursor& cursor) {
  const std::int32_t length = cursor.CompactIndex();
  std::string text;
  if (length >= 0) {
    const auto bytes = cursor.Bytes(cursor.Count(length, 1, "string length"));
    text.assign(bytes.begin(), bytes.end());
  } else {
    const std::int32_t units = cursor.Count(-static_cast<std::int64_t>(length), 2, "string length");
    for (std::int32_t i = 0; i < units && cursor.Ok(); ++i) {
      const std::uint16_t unit = cursor.U16();
      // Kept as UTF-8; surrogate halves each become one replacement character.
      const std::uint32_t c = unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit;
      if (c < 0x80) {
        text.push_back(static_cast<char>(c));
      } else if (c < 0x800) {
        text.push_back(static_cast<char>(0xC0 | (c >> 6)));
        text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
      } else {
        text.push_back(static_cast<char>(0xE0 | (c >> 12)));
        text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
      }
    }
  }
  text.resize(std::min(text.size(), text.find('\0')));
  return text;
}

// "Class'Package.Name'" for a reference; "" for none.
std::string ObjectText(const PackageFile& package, std::int32_t ref) {
  if (ref == 0) return "";
  return package.ClassName(ref) + "'" + ReferencePath(package, ref) + "'";
}

}  // namespace

// 10^6 and 2^53, for the six decimals as exact arithmetic.
constexpr double kExportedScale = 1e6;
constexpr double kExactIntegerBound = 9007199254740992.0;

double ExportedNumber(float value) {
  const double exact = value;
  if (!std::isfinite(exact)) return exact;
  // A float times 10^6 is exact in a double (24 bits of mantissa and 14 of 5^6), so rounding it
  // to an integer, ties to even as the text's rounding does, gives the six decimals; that integer
  // over 10^6 is then the double the text reads back. Larger magnitudes take the text's way.
  const double scaled = exact * kExportedScale;
  if (std::fabs(scaled) < kExactIntegerBound) return std::nearbyint(scaled) / kExportedScale;
  // 39 digits before the point at most for a float, a sign, the point and six decimals.
  char text[64];
  const auto written =
      std::to_chars(text, text + sizeof text, exact, std::chars_format::fixed, kExportedDecimals);
  double rounded = exact;
  std::from_chars(text, written.ptr, rounded);
  return rounded;
}

std::string ReferencePath(const PackageFile& package, std::int32_t ref) {
  if (ref == 0) return "";
  if (IsImportRef(ref)) return package.ObjectPath(ref);
  std::string path(kMapPackageName);
  for (const std::string& outer : package.OuterNames(ref)) path += "." + outer;
  return path + "." + package.ObjectName(ref);
}

std::string TextureReference(const PackageFile& package, std::int32_t ref) {
  if (ref == 0) return "";
  return IsFirstGeneration(package.Version()) ? package.ObjectName(ref)
                                              : ReferencePath(package, ref);
}

std::optional<double> NumberProperty(const PackageObject& object, std::string_view name) {
  const PropertyTag* tag = object.Find(name);
  if (!tag) return std::nullopt;
  if (tag->Type == PropertyType::Float) {
    return ExportedNumber(*object.FloatValue(tag));
  }
  if (const auto value = object.IntValue(tag)) return *value;
  return std::nullopt;
}

bool BoolProperty(const PackageObject& object, std::string_view name, bool fallback) {
  const PropertyTag* tag = object.Find(name);
  return tag && tag->Type == PropertyType::Bool ? tag->BoolValue : fallback;
}

std::string NameProperty(const PackageObject& object, std::string_view name) {
  const std::optional<std::string> value = object.NameValue(object.Find(name));
  return value && *value != "None" ? *value : "";
}

std::string QuotedNameProperty(const PackageObject& object, std::string_view name) {
  const std::string value = NameProperty(object, name);
  return value.empty() ? value : "\"" + value + "\"";
}

std::string QuotedStringProperty(const PackageObject& object, std::string_view name) {
  const PropertyTag* tag = object.Find(name);
  // In the second generation type 7 is a delegate, not a string.
  const bool fixed =
      tag && tag->Type == PropertyType::String && IsFirstGeneration(object.Package().Version());
  if (!tag || (tag->Type != PropertyType::Str && !fixed)) return "";
  ByteCursor cursor = object.ValueCursor(*tag);
  std::string text;
  if (fixed) {
    const auto bytes = cursor.Bytes(tag->ValueSize);
    text.assign(bytes.begin(), bytes.end());
    text.resize(std::min(text.size(), text.find('\0')));
  } else {
    text = ReadDynamicString(cursor);
  }
  cursor.Check();
  return "\"" + text + "\"";
}

std::string ObjectProperty(const PackageObject& object, std::string_view name) {
  return ObjectText(object.Package(), object.ObjectValue(object.Find(name)));
}

std::string StyleProperty(const PackageObject& object, std::string_view name) {
  const PropertyTag* tag = object.Find(name);
  if (!tag || tag->Type != PropertyType::Byte) return "";
  const std::int32_t style = *object.IntValue(tag);
  return style < static_cast<std::int32_t>(kStyleNames.size())
             ? std::string(kStyleNames[static_cast<std::size_t>(style)])
             : std::to_string(style);
}

Vector VectorProperty(const PackageObject& object, std::string_view name, std::int32_t array_index,
                      double fallback) {
  const PropertyTag* tag = StructTag(object, name, PropertyType::Vector, array_index);
  if (!tag) return Vector{fallback, fallback, fallback};
  ByteCursor cursor = object.ValueCursor(*tag);
  const Vector v = ReadVector(cursor);
  cursor.Check();
  return v;
}

Rotator RotatorProperty(const PackageObject& object, std::string_view name,
                        std::int32_t array_index) {
  const PropertyTag* tag = StructTag(object, name, PropertyType::Rotator, array_index);
  if (!tag) return Rotator{};
  ByteCursor cursor = object.ValueCursor(*tag);
  Rotator r;
  r.Pitch = cursor.I32();
  r.Yaw = cursor.I32();
  r.Roll = cursor.I32();
  cursor.Check();
  return r;
}

BrushScale ScaleProperty(const PackageObject& object, std::string_view name) {
  BrushScale scale;
  const PropertyTag* tag = StructTag(object, name);
  if (!tag) return scale;
  if (HasNestedStructTags(object.Package().Version())) {
    const std::vector<PropertyTag> fields = object.StructFields(*tag);
    if (const PropertyTag* field = object.FindIn(fields, "Scale")) {
      ByteCursor cursor = object.ValueCursor(*field);
      scale.Scale = ReadVector(cursor);
      cursor.Check();
    }
    if (const auto rate = object.FloatValue(object.FindIn(fields, "SheerRate"))) {
      scale.SheerRate = ExportedNumber(*rate);
    }
    if (const auto axis = object.IntValue(object.FindIn(fields, "SheerAxis"))) {
      scale.Axis = SheerAxisOf(*axis);
    }
    return scale;
  }
  ByteCursor cursor = object.ValueCursor(*tag);
  scale.Scale = ReadVector(cursor);
  scale.SheerRate = ExportedNumber(cursor.F32());
  scale.Axis = SheerAxisOf(cursor.U8());
  cursor.Check();
  return scale;
}

std::string RegionProperty(const PackageObject& object) {
  const PropertyTag* tag = StructTag(object, "Region");
  if (!tag) return "";
  const PackageFile& package = object.Package();
  std::int32_t zone = 0;
  std::int32_t leaf = 0;
  std::int32_t zone_number = 0;
  if (HasNestedStructTags(package.Version())) {
    const std::vector<PropertyTag> fields = object.StructFields(*tag);
    zone = object.ObjectValue(object.FindIn(fields, "Zone"));
    leaf = object.IntValue(object.FindIn(fields, "iLeaf")).value_or(0);
    zone_number = object.IntValue(object.FindIn(fields, "ZoneNumber")).value_or(0);
  } else {
    ByteCursor cursor = object.ValueCursor(*tag);
    zone = CheckedReference(package, cursor);
    leaf = cursor.I32();
    zone_number = cursor.U8();
    cursor.Check();
  }
  std::string text;
  const auto add = [&text](const std::string& field) { text += (text.empty() ? "" : ",") + field; };
  if (zone != 0) add("Zone=" + ObjectText(package, zone));
  if (leaf != 0) add("iLeaf=" + std::to_string(leaf));
  if (zone_number != 0) add("ZoneNumber=" + std::to_string(zone_number));
  return "(" + text + ")";
}

}  // namespace brushwright
