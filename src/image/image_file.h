// Decoding and encoding texture images (BMP, PCX, JPEG, PNG, TIFF, GIF) without linking the GUI
// toolkit: wxImage does the work inside a module that is loaded on the first call.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "image/image.h"

namespace brushwright {

// The file types a picture can be encoded as; the values cross into the module as they are.
enum class ImageFormat { Bmp = 0, Pcx = 1, Jpeg = 2, Png = 3, Tiff = 4, Gif = 5 };

// One type a texture image file may have: how options and file names spell it, the extension an
// extracted texture's file gets, and the name messages give its format.
struct ImageType {
  std::string_view Name;        // "BMP": the texture type of a run, also its files' extension
  std::string_view Extension;   // "bmp": extracted textures' files
  std::string_view FormatName;  // "BMP", "JPEG", "TIFF": in messages
  ImageFormat Format;
};

// The six types, in the order of the window's lists, of the command line's choices, and in
// which an image of another type than a run's is looked for: BMP, PCX, JPG, PNG, TIF, GIF.
std::span<const ImageType> ImageTypes();
// The type named `name` (letter case aside); none for a name that is none of them.
std::optional<ImageFormat> ImageFormatNamed(std::string_view name);
// The row of a format.
const ImageType& ImageTypeOf(ImageFormat format);

// The decoded image at `path`, whatever its extension says: the content decides the type.
// Rgba is filled; HasTransparency tells whether any pixel came out less than opaque (the
// file's alpha, or its mask colour, whose pixels get alpha 0). Throws BrushError naming the
// file when it cannot be decoded, and when the decoding module cannot be found or loaded.
Image DecodeImageFile(const std::string& path);
// DecodeImageFile of a file's bytes already read; `name` names it in errors.
Image DecodeImage(std::string_view bytes, const std::string& name);

// The bytes of a file of the given type holding `image`, whose Rgba must be complete. Alpha is
// kept by PNG and TIFF; GIF keeps pixels under half opacity as its transparent colour; BMP, PCX
// and JPEG drop it. Throws BrushError when the image cannot be encoded or the module is missing.
std::string EncodeImage(const Image& image, ImageFormat format);

// Whether `bytes` are a PNG file's (they start with its signature).
bool IsPngFile(std::string_view bytes);

// EncodeImage as PNG: RGBA, alpha kept.
std::string EncodePng(const Image& image);

// Loads the module and starts the toolkit in it now, on the calling thread. The toolkit starts
// on the thread of the first decode or encode and is ended at exit on the main thread, which
// fails when they differ: a program that decodes on other threads calls this on its main thread
// before starting them. A module that cannot be loaded is left for the first decode to report.
void StartImageModule();

}  // namespace brushwright
