// One unattended use of the window, for pictures of it and for trying a build by hand.
#include "window/autorun.h"

#include <chrono>
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

}  // namespace

void DescribeCommandLine(wxCmdLineParser& parser) {
  parser.AddParam("level file to open", wxCMD_LINE_VAL_STRING, wxCMD_LINE_PARAM_OPTIONAL);
  parser.AddOption("", "autorun", "convert INPUT unattended", wxCMD_LINE_VAL_STRING,
                   wxCMD_LINE_HIDDEN);
  parser.AddOption("", "output", "OBJ file of the unattended run", wxCMD_LINE_VAL_STRING,
                   wxCMD_LINE_HIDDEN);
  parser.AddOption("", "screenshot", "PNG picture of the window after the run",
                   wxCMD_LINE_VAL_STRING, wxCMD_LINE_HIDDEN);
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
  }
  return request;
}

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
  if (options.Screenshot.empty()) return true;
  LetWindowSettle();
  if (!SaveWindowPicture(form, options.Screenshot)) {
    std::cerr << "brushwright: cannot write '" << options.Screenshot << "'\n";
    return false;
  }
  return true;
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
