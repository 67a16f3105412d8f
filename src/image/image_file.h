// Decoding and encoding texture images (BMP, PCX, JPEG, PNG, TIFF, GIF) without linking the GUI
// toolkit: wxImage does the work inside a module that is loaded on the first call.
#pragma once

#include <string>
#include <string_view>

#include "image/image.h"

namespace brushwright {

// The file types a picture can be encoded as; the values cross into the module as they are.
enum class ImageFormat { Bmp = 0, Pcx = 1, Jpeg = 2, Png = 3, Tiff = 4, Gif = 5 };

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
