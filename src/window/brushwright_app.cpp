// The Brushwright program: opens the main window. Hidden options drive one run unattended.
#include <climits>
#include <iostream>
#include <string_view>

#include <wx/app.h>
#include <wx/cmdline.h>

#include "window/autorun.h"
#include "window/form_main.h"

namespace brushwright {
namespace {

// Messages of an unattended run go to stderr, so that no modal box waits for a user.
class StderrSink : public MessageSink {
 public:
  void ShowMessage(std::string_view text, std::string_view title) override {
    std::cerr << title << ": " << text << "\n";
  }
};

class BrushwrightApp : public wxApp {
 public:
  bool OnInit() override {
    if (!wxApp::OnInit()) return false;
    FormOptions options;
    if (autorun_) options.Messages = std::make_shared<StderrSink>();
    auto* form = new FormMain(std::move(options));
    form->Show();
    if (autorun_) {
      CallAfter([this, form] {
        exit_code_ = RunAutomatically(*form, autorun_options_) ? 0 : 1;
        form->Close();
      });
    }
    return true;
  }

  int OnRun() override {
    const int code = wxApp::OnRun();
    return code != 0 ? code : exit_code_;
  }

  void OnInitCmdLine(wxCmdLineParser& parser) override {
    wxApp::OnInitCmdLine(parser);
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

  bool OnCmdLineParsed(wxCmdLineParser& parser) override {
    wxString value;
    if (parser.Found("autorun", &value)) {
      autorun_ = true;
      autorun_options_.Input = value.utf8_string();
    }
    if (parser.Found("output", &value)) autorun_options_.Output = value.utf8_string();
    if (parser.Found("screenshot", &value)) autorun_options_.Screenshot = value.utf8_string();
    if (parser.Found("view-picture", &value)) autorun_options_.ViewPicture = value.utf8_string();
    long start = 0;
    if (parser.Found("view-start", &start)) {
      if (start < 1 || start > INT_MAX) {
        std::cerr << "brushwright: --view-start takes a player start's number, 1 the first\n";
        return false;
      }
      autorun_options_.ViewStart = static_cast<int>(start);
    }
    return wxApp::OnCmdLineParsed(parser);
  }

 private:
  bool autorun_ = false;
  AutorunOptions autorun_options_;
  int exit_code_ = 0;
};

}  // namespace
}  // namespace brushwright

wxIMPLEMENT_APP(brushwright::BrushwrightApp);
