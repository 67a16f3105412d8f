// Finds and loads the wxImage module on the first decode or encode, then calls it for each
// image; until then the program has loaded no part of the GUI toolkit.
#include "image/image_file.h"

#include <cassert>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "image/image_module.h"
#include "platform/platform.h"
#include "text/brush_error.h"
#include "text/file_text.h"
#include "text/key_readers.h"

namespace brushwright {

namespace fs = std::filesystem;

namespace {

// File name of the module, and its folder relative to an installed program's folder (both set
// by the build from the install layout).
constexpr char kModuleFile[] = BRUSHWRIGHT_IMAGE_MODULE;
constexpr char kInstalledModuleDir[] = BRUSHWRIGHT_IMAGE_MODULE_INSTALLED;
// The module's folder below the top of the build tree.
constexpr char kBuiltModuleDir[] = BRUSHWRIGHT_IMAGE_MODULE_BUILT;
// Programs in the build tree sit this many folders at most below its top (tests/image/...).
constexpr int kBuildTreeDepth = 3;
// Every PNG file starts with these bytes.
constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";
constexpr ImageType kImageTypes[] = {
    {"BMP", "bmp", "BMP", ImageFormat::Bmp},   {"PCX", "pcx", "PCX", ImageFormat::Pcx},
    {"JPG", "jpg", "JPEG", ImageFormat::Jpeg}, {"PNG", "png", "PNG", ImageFormat::Png},
    {"TIF", "tif", "TIFF", ImageFormat::Tiff}, {"GIF", "gif", "GIF", ImageFormat::Gif}};

struct Module {
  BrushwrightImageDecode decode = nullptr;
  BrushwrightImageEncode encode = nullptr;
  std::string problem;  // why the module is unusable; "" when it loaded
};

// Where the module may be: beside an installed program, or at its place in the build tree
// seen from a program anywhere in that tree.
std::vector<fs::path> ModuleCandidates(const fs::path& program_dir) {
  std::vector<fs::path> candidates{(program_dir / kInstalledModuleDir).lexically_normal()};
  fs::path top = program_dir;
  for (int up = 0; up <= kBuildTreeDepth; ++up, top = top.parent_path()) {
    candidates.push_back((top / kBuiltModuleDir).lexically_normal());
  }
  return candidates;
}

Module LoadModule() {
  Module module;
  std::error_code error;
  const fs::path program = ProgramFile(error);
  if (error) {
    module.problem = "cannot find the program's own folder: " + error.message();
    return module;
  }
  std::string looked_in;
  for (const fs::path& dir : ModuleCandidates(program.parent_path())) {
    const fs::path file = dir / kModuleFile;
    if (!fs::is_regular_file(file, error)) {
      looked_in += (looked_in.empty() ? "'" : ", '") + Utf8FromPath(dir) + "'";
      continue;
    }
    std::string problem;
    void* handle = LoadCodeModule(file, problem);
    if (handle == nullptr) {
      module.problem = "cannot load '" + Utf8FromPath(file) + "': " + problem;
      return module;
    }
    // The module stays loaded for the rest of the program: wxWidgets cannot be unloaded.
    module.decode = reinterpret_cast<BrushwrightImageDecode>(
        CodeModuleSymbol(handle, kBrushwrightImageDecodeSymbol));
    module.encode = reinterpret_cast<BrushwrightImageEncode>(
        CodeModuleSymbol(handle, kBrushwrightImageEncodeSymbol));
    if (module.decode == nullptr || module.encode == nullptr) {
      module.problem = "'" + Utf8FromPath(file) + "' is not Brushwright's image module";
    }
    return module;
  }
  module.problem = "the image module " + std::string(kModuleFile) + " is in none of " + looked_in;
  return module;
}

// The module, searched for and loaded by the first caller; a failure is kept, not retried.
const Module& LoadedModule() {
  static const Module module = LoadModule();
  return module;
}

// Storage callback that sizes a byte container; nullptr when memory runs out.
template <typename Bytes>
unsigned char* Resize(void* owner, std::size_t size) {
  try {
    auto& bytes = *static_cast<Bytes*>(owner);
    bytes.resize(size);
    return reinterpret_cast<unsigned char*>(bytes.data());
  } catch (const std::bad_alloc&) {
    return nullptr;
  } catch (const std::length_error&) {
    return nullptr;
  }
}

// What a failed entry point says, after the `context` naming the file or the image.
[[noreturn]] void ThrowImageError(const std::string& context, int status) {
  switch (status) {
    case kBrushwrightImageNoToolkit:
      throw BrushError(context + ": wxWidgets did not start");
    case kBrushwrightImageNoMemory:
      throw BrushError(context + ": out of memory");
    default:
      throw BrushError(context);
  }
}

bool AnyPixelTransparent(const std::vector<std::uint8_t>& rgba) {
  for (std::size_t i = 3; i < rgba.size(); i += 4) {
    if (rgba[i] != 255) return true;
  }
  return false;
}

}  // namespace

Image DecodeImageFile(const std::string& path) {
  return DecodeImage(ReadFileBytes(path), path);
}

Image DecodeImage(std::string_view bytes, const std::string& name) {
  const std::string context = "cannot decode image '" + name + "'";
  const Module& module = LoadedModule();
  if (!module.problem.empty()) throw BrushError(context + ": " + module.problem);
  Image image;
  const int status =
      module.decode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                    &image.Width, &image.Height, Resize<std::vector<std::uint8_t>>, &image.Rgba);
  if (status != kBrushwrightImageOk) ThrowImageError(context, status);
  image.HasTransparency = AnyPixelTransparent(image.Rgba);
  return image;
}

std::string EncodeImage(const Image& image, ImageFormat format) {
  assert(image.Width > 0 && image.Height > 0);
  assert(image.Rgba.size() == static_cast<std::size_t>(image.Width) * image.Height * 4);
  const std::string context = "cannot encode a " + std::to_string(image.Width) + " x " +
                              std::to_string(image.Height) + " image as " +
                              std::string(ImageTypeOf(format).FormatName);
  const Module& module = LoadedModule();
  if (!module.problem.empty()) throw BrushError(context + ": " + module.problem);
  std::string bytes;
  const int status = module.encode(image.Rgba.data(), image.Width, image.Height,
                                   static_cast<int>(format), Resize<std::string>, &bytes);
  if (status != kBrushwrightImageOk) ThrowImageError(context, status);
  return bytes;
}

bool IsPngFile(std::string_view bytes) {
  return bytes.starts_with(kPngSignature);
}

std::string EncodePng(const Image& image) {
  return EncodeImage(image, ImageFormat::Png);
}

std::span<const ImageType> ImageTypes() {
  return kImageTypes;
}

std::optional<ImageFormat> ImageFormatNamed(std::string_view name) {
  for (const ImageType& type : kImageTypes) {
    if (EqualsIgnoringCase(type.Name, name)) return type.Format;
  }
  return std::nullopt;
}

const ImageType& ImageTypeOf(ImageFormat format) {
  for (const ImageType& type : kImageTypes) {
    if (type.Format == format) return type;
  }
  return kImageTypes[0];
}

void StartImageModule() {
  const Module& module = LoadedModule();
  if (!module.problem.empty()) return;
  // Every entry point starts the toolkit before it looks at its bytes; none is no image.
  Image none;
  module.decode(nullptr, 0, &none.Width, &none.Height, Resize<std::vector<std::uint8_t>>,
                &none.Rgba);
}

}  // namespace brushwright
