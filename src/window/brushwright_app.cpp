// The Brushwright program: opens the main window, with the level named on the command line as
// its input. Hidden options drive one run unattended.
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
    if (request_.Autorun) options.Messages = std::make_shared<StderrSink>();
    auto* form = new FormMain(std::move(options));
    if (!request_.InputFile.empty()) form->UseInputFile(request_.InputFile);
    form->Show();
    if (request_.Autorun) {
      CallAfter([this, form] {
        exit_code_ = RunAutomatically(*form, *request_.Autorun) ? 0 : 1;
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
    DescribeCommandLine(parser);
  }

  bool OnCmdLineParsed(wxCmdLineParser& parser) override {
    request_ = StartupRequestOf(parser);
    if (!request_.Error.empty()) {
      std::cerr << "brushwright: " << request_.Error << "\n";
      return false;
    }
    return wxApp::OnCmdLineParsed(parser);
  }

 private:
  StartupRequest request_;
  int exit_code_ = 0;
};

}  // namespace
}  // namespace brushwright

wxIMPLEMENT_APP(brushwright::BrushwrightApp);
