// Fuzz target: a package's tables, every object's leading parts and properties, and the
// textures and materials among them decoded or followed, as the index and extraction use them.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_target.h"
#include "package/package_file.h"
#include "package/package_object.h"
#include "text/brush_error.h"
#include "texture/package_texture.h"

namespace {

using namespace brushwright;

// Every accessor of a property, including the nested tags of structs.
void ReadValues(const PackageObject& object) {
  for (const PropertyTag& tag : object.Properties()) {
    try {
      object.IntValue(&tag);
      object.FloatValue(&tag);
      object.NameValue(&tag);
      object.ObjectValue(&tag);
      object.ObjectArrayValue(&tag);
      if (tag.Type == PropertyType::Struct) object.StructFields(tag);
    } catch (const BrushError&) {
    }
  }
}

void ReadObject(const PackageFile& package, std::int32_t index) {
  const std::int32_t ref = ExportRef(index);
  package.ObjectPath(ref);
  package.ClassChain(ref);
  try {
    const PackageObject object = PackageObject::Read(package, index);
    ReadValues(object);
    if (IsTextureClass(package, ref)) {
      const DecodedTexture texture = DecodeTextureExport(package, index, index % 2 == 0);
      if (texture.Status == TextureStatus::Decoded &&
          texture.Picture.Rgba.size() !=
              static_cast<std::size_t>(texture.Picture.Width) * texture.Picture.Height * 4) {
        __builtin_trap();
      }
    } else if (IsMaterialClass(package, ref)) {
      const std::int32_t source = MaterialColourSource(object);
      if (!package.IsObjectRef(source)) __builtin_trap();
    }
  } catch (const BrushError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const PackageFile package =
        PackageFile::FromBytes("fuzz.utx", std::vector<std::uint8_t>(data, data + size));
    for (std::size_t i = 0; i < package.Imports().size(); ++i) {
      package.ObjectPath(-static_cast<std::int32_t>(i) - 1);
    }
    for (std::size_t i = 0; i < package.Exports().size(); ++i) {
      ReadObject(package, static_cast<std::int32_t>(i));
    }
  } catch (const BrushError&) {
  }
  return 0;
}
