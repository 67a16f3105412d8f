// The property values of a placed actor read as the level's T3D export would write them: numbers
// with six decimals, names and strings quoted, objects as Class'Package.Name', structs of either
// engine generation.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "package/package_object.h"
#include "vecmath/brush_transform.h"
#include "vecmath/vecmath.h"

namespace brushwright {

// The package name a level's export writes for the objects the map itself holds.
inline constexpr std::string_view kMapPackageName = "MyLevel";

// Packages up to version 69 are the engine's first generation (Unreal, Unreal Tournament); their
// T3D export names a polygon's texture by its own name, later ones by its path.
constexpr bool IsFirstGeneration(int version) {
  return version <= 69;
}

// A stored float as the T3D export writes it, with six decimals, and read back.
double ExportedNumber(float value);

// The reference as a level's export writes it: the map's own objects as "MyLevel.Group.Name",
// others as "Package.Group.Name". "" for the null reference.
std::string ReferencePath(const PackageFile& package, std::int32_t ref);
// A polygon's texture reference as the export of the package's generation writes it: the
// texture's own name in the first generation, its path later. "" for the null reference.
std::string TextureReference(const PackageFile& package, std::int32_t ref);

// Readers of one property of `object` by its name. Each gives its fallback when the object has
// no such property or one of another type (as the engine passes over a changed property), and
// throws BrushError naming the file, the object and the byte offset when the value is broken.
// A byte, int or float property as a number (floats with six decimals).
std::optional<double> NumberProperty(const PackageObject& object, std::string_view name);
bool BoolProperty(const PackageObject& object, std::string_view name, bool fallback);
// A name property as the export writes it, in quotes; "" when absent or None.
std::string QuotedNameProperty(const PackageObject& object, std::string_view name);
// A name property's bare name; "" when absent or None.
std::string NameProperty(const PackageObject& object, std::string_view name);
// A string property (a dynamic or a fixed-length one) in quotes; "" when absent.
std::string QuotedStringProperty(const PackageObject& object, std::string_view name);
// An object property as Class'Package.Name'; "" when absent or None.
std::string ObjectProperty(const PackageObject& object, std::string_view name);
// A byte property of the render style enumeration by its name (STY_Translucent); "" when absent.
std::string StyleProperty(const PackageObject& object, std::string_view name);
// Vector and Rotator structs (stored as their raw fields in every version), element
// `array_index` of a static array; 0 (a vector: `fallback`) when absent.
Vector VectorProperty(const PackageObject& object, std::string_view name,
                      std::int32_t array_index = 0, double fallback = 0);
Rotator RotatorProperty(const PackageObject& object, std::string_view name,
                        std::int32_t array_index = 0);
// A brush's Scale struct (raw fields, or nested properties from version 118 on); scale 1 without
// sheer when absent, its missing fields at those values.
BrushScale ScaleProperty(const PackageObject& object, std::string_view name);
// The Region's text as the export writes it: (Zone=Class'MyLevel.Name',iLeaf=n,ZoneNumber=n),
// fields at 0 left out; "" when absent.
std::string RegionProperty(const PackageObject& object);

}  // namespace brushwright
