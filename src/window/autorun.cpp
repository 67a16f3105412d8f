// One unattended use of the window, for pictures of it and for trying a build by hand.
#include "window/autorun.h"

#include <chrono>
#include <climits>
#include <iostream>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/cmdline.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/filename.h>
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

void DescribeCommandLine(wxCmdLineParser& parser) {
  parser.AddParam("level file to open", wxCMD_LINE_VAL_STRING, wxCMD_LINE_PARAM_OPTIONAL);
  parser.AddOption("", "autorun", "convert INPUT unattended", wxCMD_LINE_VAL_STRING,
                   wxCMD_LINE_HIDDEN);
  parser.AddOption("", "output", "OBJ file of the unattended run", wxCMD_LINE_VAL_STRING,
                   wxCMD_LINE_HIDDEN);
  parser.AddOption("", "screenshot", "PNG picture of the window after the run",
                   wxCMD_LINE_VAL_STRING, wxCMD_LINE_HIDDEN);
  parser.AddOption("", "view-picture", "PNG picture of the 3-D view after the run",
                   wxCMD_LINE_VAL_STRING, wxCMD_LINE_HIDDEN);
  parser.AddOption("", "view-start", "player start N (1 the first) of the view's picture",
                   wxCMD_LINE_VAL_NUMBER, wxCMD_LINE_HIDDEN);
}

StartupRequest StartupRequestOf(const wxCmdLineParser& parser) {
  StartupRequest request;
  if (parser.GetParamCount() > 0) {
    // The window keeps the name in its settings: a name relative to where it was started would
    // point elsewhere next time.
    wxFileName file(parser.GetParam(0));
    file.MakeAbsolute();
    request.InputFile = file.GetFullPath().utf8_string();
  }
  wxString value;
  if (parser.Found("autorun", &value)) {
    AutorunOptions& autorun = request.Autorun.emplace();
    autorun.Input = value.utf8_string();
    if (parser.Found("output", &value)) autorun.Output = value.utf8_string();
    if (parser.Found("screenshot", &value)) autorun.Screenshot = value.utf8_string();
    if (parser.Found("view-picture", &value)) autorun.ViewPicture = value.utf8_string();
    long start = 0;
    if (parser.Found("view-start", &start)) {
      if (start < 1 || start > INT_MAX) {
        request.Error = "--view-start takes a player start's number, 1 the first";
      } else {
        autorun.ViewStart = static_cast<int>(start);
      }
    }
  }
  return request;
}

bool RunAutomatically(FormMain& form, const AutorunOptions& options) {
  // Nobody points at the window: the pointer goes to its corner, where no control shows a tooltip
  // that would cover the pictures taken of it.
  form.WarpPointer(0, 0);
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
