// One unattended use of the window, for pictures of it and for trying a build by hand.
#include "window/autorun.h"

#include <chrono>
#include <iostream>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/utils.h>

#include "window/form_main.h"
#include "window/level_canvas.h"
#include "window/level_view.h"
#include "window/view_camera.h"

namespace brushwright {

namespace {

// Time given to the toolkit after the run so that every control has painted its final state.
constexpr auto kSettleTime = std::chrono::milliseconds(500);
// Pause between passes of event processing while the window settles.
constexpr unsigned long kSettleStepMs = 20;

void PressButton(wxWindow& form, int id) {
  wxWindow* button = form.FindWindow(id);
  wxCommandEvent click(wxEVT_BUTTON, id);
  click.SetEventObject(button);
  button->ProcessWindowEvent(click);
}

void LetWindowSettle() {
  const auto end = std::chrono::steady_clock::now() + kSettleTime;
  while (std::chrono::steady_clock::now() < end) {
    wxTheApp->Yield(true);
    wxMilliSleep(kSettleStepMs);
  }
}

// The 3-D view alone from the camera asked for, and that camera on stderr.
bool SaveViewPicture(FormMain& form, const AutorunOptions& options) {
  LevelView& view = form.View();
  LevelCanvas& canvas = view.Canvas();
  if (!canvas.HasResult()) {
    std::cerr << "brushwright: the run of '" << options.Input << "' built nothing to view\n";
    return false;
  }
  view.ShowLevel();
  LetWindowSettle();
  if (options.ViewStart == 0) {
    canvas.ShowOverview();
  } else if (options.ViewStart > canvas.PlayerStartCount()) {
    std::cerr << "brushwright: '" << options.Input << "' has " << canvas.PlayerStartCount()
              << " player starts, not " << options.ViewStart << "\n";
    return false;
  } else {
    canvas.ShowPlayerStart(options.ViewStart - 1);
  }
  const wxImage picture = canvas.RenderPicture();
  if (!picture.IsOk()) {
    std::cerr << "brushwright: OpenGL cannot draw the 3-D view here\n";
    return false;
  }
  if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) wxImage::AddHandler(new wxPNGHandler);
  if (!picture.SaveFile(wxString::FromUTF8(options.ViewPicture), wxBITMAP_TYPE_PNG)) {
    std::cerr << "brushwright: cannot write '" << options.ViewPicture << "'\n";
    return false;
  }
  std::cerr << CameraLine(canvas.Camera()) << std::endl;
  return true;
}

}  // namespace

bool RunAutomatically(FormMain& form, const AutorunOptions& options) {
  form.UseInputFile(options.Input);
  if (!options.Output.empty()) form.UseOutputFile(options.Output);
  LetWindowSettle();
  PressButton(form, ID_CommandGo);
  if (form.LastRunOutcome() != RunOutcome::Done) {
    const std::string& error = form.LastRunError();
    std::cerr << "brushwright: the run of '" << options.Input << "' did not finish"
              << (error.empty() ? std::string() : ": " + error) << "\n";
    return false;
  }
  if (!options.Screenshot.empty()) {
    LetWindowSettle();
    if (!SaveWindowPicture(form, options.Screenshot)) {
      std::cerr << "brushwright: cannot write '" << options.Screenshot << "'\n";
      return false;
    }
  }
  return options.ViewPicture.empty() || SaveViewPicture(form, options);
}

bool SaveWindowPicture(wxWindow& window, const std::string& path) {
  const wxPoint origin = window.ClientToScreen(wxPoint(0, 0));
  const wxSize size = window.GetClientSize();
  wxBitmap picture(size);
  wxMemoryDC memory(picture);
  wxScreenDC screen;
  memory.Blit(0, 0, size.x, size.y, &screen, origin.x, origin.y);
  memory.SelectObject(wxNullBitmap);
  if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) wxImage::AddHandler(new wxPNGHandler);
  return picture.ConvertToImage().SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
}

}  // namespace brushwright
