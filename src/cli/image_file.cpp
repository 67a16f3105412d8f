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

}  // namespace brushwright
