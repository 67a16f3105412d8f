// Decodes texture images with wxImage, quietly, for the window and the command line alike.
#include "cli/image_file.h"

#include <mutex>

#include <wx/log.h>
#include <wx/string.h>

#include "text/brush_error.h"

namespace brushwright {

namespace {

// wxWidgets keeps one list of handlers; registering them twice logs a complaint per handler.
// The window may have registered them already (BMP alone is there from the start).
void RegisterImageHandlersOnce() {
  static std::once_flag registered;
  std::call_once(registered, [] {
    if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) wxInitAllImageHandlers();
  });
}

}  // namespace

wxImage DecodeImageFile(const std::string& path) {
  RegisterImageHandlersOnce();
  const wxString name(path.c_str(), *wxConvFileName);
  wxImage image;
  {
    // A failed load would otherwise pop up a log window or write to stderr; the caller reports.
    wxLogNull no_log;
    if (!name.empty() && image.LoadFile(name, wxBITMAP_TYPE_ANY) && image.IsOk()) return image;
  }
  throw BrushError("cannot decode image '" + path + "'");
}

Image ImageFromToolkit(const wxImage& picture) {
  Image image;
  image.Width = picture.GetWidth();
  image.Height = picture.GetHeight();
  const std::size_t pixels = static_cast<std::size_t>(image.Width) * image.Height;
  image.Rgba.resize(pixels * 4);
  const unsigned char* rgb = picture.GetData();
  const unsigned char* alpha = picture.HasAlpha() ? picture.GetAlpha() : nullptr;
  const bool masked = picture.HasMask();
  const unsigned char mask[3] = {picture.GetMaskRed(), picture.GetMaskGreen(),
                                 picture.GetMaskBlue()};
  for (std::size_t i = 0; i < pixels; ++i) {
    const unsigned char* from = rgb + i * 3;
    unsigned char* to = image.Rgba.data() + i * 4;
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
    to[3] = alpha != nullptr ? alpha[i] : 255;
    if (masked && from[0] == mask[0] && from[1] == mask[1] && from[2] == mask[2]) to[3] = 0;
    if (to[3] != 255) image.HasTransparency = true;
  }
  return image;
}

}  // namespace brushwright
