// Reads a height map texture's top mip as 16-bit heights.
#include "texture/height_map.h"

#include <optional>
#include <string>

#include "package/package_object.h"
#include "texture/package_texture.h"
#include "texture/texture_pixels.h"

namespace brushwright {

HeightSamples ReadHeightSamples(const PackageFile& package, std::int32_t export_index) {
  HeightSamples heights;
  const std::string label = "'" + package.Path() + "', " + package.ExportLabel(export_index);
  if (!IsTextureClass(package, ExportRef(export_index))) {
    heights.Problem = label + " is not a texture";
    return heights;
  }
  const PackageObject object = PackageObject::Read(package, export_index);
  const TextureObject texture = ReadTextureObject(object);
  const std::optional<PixelFormat> format = PixelFormatOf(package.Version(), texture.FormatNumber);
  const bool wide = format == PixelFormat::G16;
  if (!wide && format != PixelFormat::L8 && format != PixelFormat::P8) {
    heights.Problem = label + " is in format " + std::to_string(texture.FormatNumber) +
                      ", not a 16-bit or 8-bit height map";
    return heights;
  }
  if (texture.Mips.empty() || texture.Mips[0].Width <= 0 || texture.Mips[0].Height <= 0) {
    heights.Problem = label + " holds no pixels";
    return heights;
  }
  const TextureMip& top = texture.Mips[0];
  const std::int64_t needed = PixelBytes(*format, top.Width, top.Height);
  if (needed > top.DataSize) {
    heights.Problem = label + ": its " + std::to_string(top.Width) + " x " +
                      std::to_string(top.Height) + " height map needs " + std::to_string(needed) +
                      " bytes but holds " + std::to_string(top.DataSize);
    return heights;
  }
  heights.Width = top.Width;
  heights.Height = top.Height;
  heights.Values.resize(static_cast<std::size_t>(top.Width) * static_cast<std::size_t>(top.Height));
  const std::uint8_t* data = object.Bytes().data() + top.DataOffset;
  for (std::size_t i = 0; i < heights.Values.size(); ++i) {
    heights.Values[i] = wide ? static_cast<std::uint16_t>(data[2 * i] | (data[2 * i + 1] << 8))
                             : static_cast<std::uint16_t>(data[i] << 8);
  }
  return heights;
}

}  // namespace brushwright
