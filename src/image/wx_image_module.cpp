// The module that decodes and encodes images with wxImage; the image library loads it on first
// use, so that only programs that read or write a picture load the toolkit's libraries.
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <type_traits>
#include <vector>

#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/palette.h>
#include <wx/quantize.h>

#include "image/image_module.h"

namespace {

// wxImage's type for each ImageFormat value.
constexpr wxBitmapType kFormatTypes[] = {wxBITMAP_TYPE_BMP, wxBITMAP_TYPE_PCX, wxBITMAP_TYPE_JPEG,
                                         wxBITMAP_TYPE_PNG, wxBITMAP_TYPE_TIF, wxBITMAP_TYPE_GIF};
constexpr int kFormatCount = static_cast<int>(sizeof(kFormatTypes) / sizeof(kFormatTypes[0]));
// A GIF lists at most this many colours, the transparent one among them.
constexpr int kGifColours = 256;
// Encoded JPEG textures keep as much detail as the format can.
constexpr int kJpegQuality = 100;
// wxImage keeps one list of handlers and one base for the whole program: one caller at a time.
std::mutex module_mutex;

// wxWidgets' base for a program without its own wxApp (no display is opened), ended at exit
// as wxInitializer would end it. A program with a wxApp (the window) has the base up already:
// starting it again would initialise that app a second time.
class ToolkitBase {
 public:
  ToolkitBase() : owned_(wxTheApp == nullptr), ok_(!owned_ || wxInitialize()) {}
  ToolkitBase(const ToolkitBase&) = delete;
  ToolkitBase& operator=(const ToolkitBase&) = delete;
  ~ToolkitBase() {
    if (owned_ && ok_) wxUninitialize();
  }
  bool ok() const { return ok_; }

 private:
  bool owned_;
  bool ok_;
};

// Starts the base and the image handlers once. Adding a handler twice (the window may have
// added some) is refused by wxImage with a log message, which is kept quiet.
bool Started() {
  static const ToolkitBase base;
  static const bool handlers = [] {
    if (!base.ok()) return false;
    wxLogNull quiet;
    wxInitAllImageHandlers();
    return true;
  }();
  return handlers;
}

// RGBA out of wxImage's separate RGB and alpha planes; mask-coloured pixels become clear.
void CopyPixels(const wxImage& image, unsigned char* rgba) {
  const std::size_t count = static_cast<std::size_t>(image.GetWidth()) * image.GetHeight();
  const unsigned char* rgb = image.GetData();
  const unsigned char* alpha = image.HasAlpha() ? image.GetAlpha() : nullptr;
  const bool masked = image.HasMask();
  const unsigned char mask[3] = {image.GetMaskRed(), image.GetMaskGreen(), image.GetMaskBlue()};
  for (std::size_t i = 0; i < count; ++i, rgb += 3, rgba += 4) {
    std::memcpy(rgba, rgb, 3);
    rgba[3] = alpha != nullptr ? alpha[i] : 255;
    if (masked && std::memcmp(rgb, mask, 3) == 0) rgba[3] = 0;
  }
}

// A wxImage holding RGBA pixels; the alpha plane only where some pixel is not opaque.
wxImage ImageOf(const unsigned char* rgba, int width, int height) {
  wxImage image(width, height, false);
  const std::size_t count = static_cast<std::size_t>(width) * height;
  unsigned char* rgb = image.GetData();
  bool opaque = true;
  for (std::size_t i = 0; i < count; ++i) {
    std::memcpy(rgb + 3 * i, rgba + 4 * i, 3);
    opaque = opaque && rgba[4 * i + 3] == 255;
  }
  if (!opaque) {
    image.SetAlpha();
    unsigned char* alpha = image.GetAlpha();
    for (std::size_t i = 0; i < count; ++i) alpha[i] = rgba[4 * i + 3];
  }
  return image;
}

// GIF needs a palette: more colours than fit are reduced first (one kept free for the mask),
// then clear pixels take the mask colour, then every colour left is listed.
bool PrepareGif(wxImage& image) {
  const int pixels = image.GetWidth() * image.GetHeight();
  if (image.CountColours(kGifColours - 1) > kGifColours - 1) {
    wxImage reduced;
    if (!wxQuantize::Quantize(image, reduced, kGifColours - 1, nullptr,
                              wxQUANTIZE_FILL_DESTINATION_IMAGE)) {
      return false;
    }
    if (image.HasAlpha()) {
      reduced.SetAlpha();
      std::memcpy(reduced.GetAlpha(), image.GetAlpha(), static_cast<std::size_t>(pixels));
    }
    image = reduced;
  }
  if (image.HasAlpha()) image.ConvertAlphaToMask();
  wxImageHistogram histogram;
  const unsigned long count = image.ComputeHistogram(histogram);
  std::vector<unsigned char> red(count), green(count), blue(count);
  for (const auto& [key, entry] : histogram) {
    red[entry.index] = static_cast<unsigned char>(key >> 16);
    green[entry.index] = static_cast<unsigned char>(key >> 8);
    blue[entry.index] = static_cast<unsigned char>(key);
  }
  image.SetPalette(wxPalette(static_cast<int>(count), red.data(), green.data(), blue.data()));
  return true;
}

int Decode(const unsigned char* bytes, std::size_t byte_count, std::int32_t* width,
           std::int32_t* height, BrushwrightImageStorage storage, void* owner) {
  wxMemoryInputStream stream(bytes, byte_count);
  wxImage image;
  {
    // A failed load would otherwise log to stderr or a window; the caller reports it.
    wxLogNull quiet;
    if (byte_count == 0 || !image.LoadFile(stream, wxBITMAP_TYPE_ANY) || !image.IsOk()) {
      return kBrushwrightImageFailed;
    }
  }
  const std::size_t size = static_cast<std::size_t>(image.GetWidth()) * image.GetHeight() * 4;
  unsigned char* rgba = storage(owner, size);
  if (rgba == nullptr) return kBrushwrightImageNoMemory;
  CopyPixels(image, rgba);
  *width = image.GetWidth();
  *height = image.GetHeight();
  return kBrushwrightImageOk;
}

int Encode(const unsigned char* rgba, std::int32_t width, std::int32_t height, int format,
           BrushwrightImageStorage storage, void* owner) {
  if (format < 0 || format >= kFormatCount || width <= 0 || height <= 0) {
    return kBrushwrightImageFailed;
  }
  const wxBitmapType type = kFormatTypes[format];
  wxImage image = ImageOf(rgba, width, height);
  if (type == wxBITMAP_TYPE_GIF && !PrepareGif(image)) return kBrushwrightImageFailed;
  if (type == wxBITMAP_TYPE_JPEG) image.SetOption(wxIMAGE_OPTION_QUALITY, kJpegQuality);
  wxMemoryOutputStream stream;
  {
    wxLogNull quiet;
    if (!image.SaveFile(stream, type)) return kBrushwrightImageFailed;
  }
  const std::size_t size = static_cast<std::size_t>(stream.GetSize());
  unsigned char* bytes = storage(owner, size);
  if (bytes == nullptr) return kBrushwrightImageNoMemory;
  stream.CopyTo(bytes, size);
  return kBrushwrightImageOk;
}

// Runs one entry point's body under the lock, with wxWidgets started; no exception leaves.
template <typename Body>
int Guarded(Body body) {
  try {
    const std::lock_guard<std::mutex> lock(module_mutex);
    if (!Started()) return kBrushwrightImageNoToolkit;
    return body();
  } catch (const std::bad_alloc&) {
    return kBrushwrightImageNoMemory;
  } catch (...) {
    return kBrushwrightImageFailed;
  }
}

}  // namespace

extern "C" {

// BRUSHWRIGHT_IMAGE_EXPORT, set by the build, marks what the module exports on each system.
BRUSHWRIGHT_IMAGE_EXPORT int brushwright_image_decode(const unsigned char* bytes, std::size_t size,
                                                      std::int32_t* width, std::int32_t* height,
                                                      BrushwrightImageStorage storage,
                                                      void* owner) {
  return Guarded([&] { return Decode(bytes, size, width, height, storage, owner); });
}

BRUSHWRIGHT_IMAGE_EXPORT int brushwright_image_encode(const unsigned char* rgba, std::int32_t width,
                                                      std::int32_t height, int format,
                                                      BrushwrightImageStorage storage,
                                                      void* owner) {
  return Guarded([&] { return Encode(rgba, width, height, format, storage, owner); });
}

}  // extern "C"

// The loader calls these through the pointer types it shares with this file.
static_assert(std::is_same_v<decltype(&brushwright_image_decode), BrushwrightImageDecode>);
static_assert(std::is_same_v<decltype(&brushwright_image_encode), BrushwrightImageEncode>);
