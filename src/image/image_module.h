// The plain C interface between the image library and the wxImage module it loads on first use.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

// Results of the module's entry points.
enum BrushwrightImageStatus {
  kBrushwrightImageOk = 0,
  kBrushwrightImageFailed = 1,     // the file does not decode, or the image does not encode
  kBrushwrightImageNoToolkit = 2,  // wxWidgets' base did not start
  kBrushwrightImageNoMemory = 3,   // the caller's storage or the module ran out of memory
};

// Storage the caller provides for a result of `size` bytes, which the module fills; nullptr
// when it cannot be had. Memory thus never changes hands between the two sides.
typedef unsigned char* (*BrushwrightImageStorage)(void* owner, std::size_t size);

// Decodes the `size` bytes of an image file (any type wxImage knows, told by its content) into
// width * height RGBA pixels, rows from the top, written to storage(owner, width * height * 4).
// A masked image's mask-coloured pixels get alpha 0, all others the file's alpha or 255. The
// caller reads the file, so that file names never pass through the toolkit's conversions.
typedef int (*BrushwrightImageDecode)(const unsigned char* bytes, std::size_t size,
                                      std::int32_t* width, std::int32_t* height,
                                      BrushwrightImageStorage storage, void* owner);

// Encodes width * height RGBA pixels as `format` (an ImageFormat value of image_file.h) into
// storage(owner, encoded size).
typedef int (*BrushwrightImageEncode)(const unsigned char* rgba, std::int32_t width,
                                      std::int32_t height, int format,
                                      BrushwrightImageStorage storage, void* owner);

}  // extern "C"

// Names under which the module exports the entry points above.
inline constexpr char kBrushwrightImageDecodeSymbol[] = "brushwright_image_decode";
inline constexpr char kBrushwrightImageEncodeSymbol[] = "brushwright_image_encode";
