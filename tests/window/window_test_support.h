// Helpers of the window tests: scripted dialogs, a message log, an opened window, clicks and
// a temporary directory with a small textured level in it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/image.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

#include "support/test_files.h"
#include "window/form_main.h"
#include "window/toolkit_text.h"
#include "window/window_dialogs.h"

namespace brushwright::testing {

// Answers each browse command with a fixed path, or cancels when none is set.
class ScriptedDialogs : public WindowDialogs {
 public:
  std::optional<std::string> input;
  std::optional<std::string> output;
  std::optional<std::string> directory;
  std::vector<std::string> started_from;  // the `current` text each dialog was opened with

  std::optional<std::string> ChooseInputFile(const std::string& current) override {
    started_from.push_back(current);
    return input;
  }
  std::optional<std::string> ChooseOutputFile(const std::string& current) override {
    started_from.push_back(current);
    return output;
  }
  std::optional<std::string> ChooseDirectory(const std::string& current) override {
    started_from.push_back(current);
    return directory;
  }
};

// Keeps every message as "title: text".
class RecordingSink : public MessageSink {
 public:
  std::vector<std::string> messages;
  void ShowMessage(std::string_view text, std::string_view title) override {
    messages.push_back(std::string(title) + ": " + std::string(text));
  }
};

// The file's bytes; "<missing>" when it does not exist.
inline std::string FileBytes(const std::string& path) {
  return std::filesystem::exists(path) ? ReadBytes(path) : "<missing>";
}

// A FormMain with scripted dialogs, recorded messages and its own settings file; destroyed at
// the end of the test unless the test closed it.
class TestWindow {
 public:
  explicit TestWindow(const std::string& ini_path) {
    FormOptions options;
    options.IniFileName = ini_path;
    options.Dialogs = dialogs;
    options.Messages = messages;
    form_ = new FormMain(options);
    form_->Show();
  }
  ~TestWindow() {
    if (form_) form_->Destroy();
    DeleteClosedWindows();
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  FormMain& operator*() const { return *form_; }
  FormMain* operator->() const { return form_.get(); }
  bool Gone() const { return !form_; }

  template <class Control>
  Control* Find(const char* name) const {
    return dynamic_cast<Control*>(wxWindow::FindWindowByName(name, form_.get()));
  }
  wxTextCtrl* Text(const char* name) const { return Find<wxTextCtrl>(name); }
  wxCheckBox* Check(const char* name) const { return Find<wxCheckBox>(name); }
  wxChoice* List(const char* name) const { return Find<wxChoice>(name); }
  wxButton* Button(const char* name) const { return Find<wxButton>(name); }
  wxStaticText* Label(const char* name) const { return Find<wxStaticText>(name); }

  // Presses the button as a click does: its event goes up to the window's handler.
  void Click(const char* name) const {
    wxButton* button = Button(name);
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
  }
  // Ticks or clears the check box, as the user's click does.
  void Tick(const char* name, bool checked) const {
    wxCheckBox* box = Check(name);
    box->SetValue(checked);
    wxCommandEvent click(wxEVT_CHECKBOX, box->GetId());
    click.SetInt(checked ? 1 : 0);
    click.SetEventObject(box);
    box->ProcessWindowEvent(click);
  }
  // Picks the list's item with `text`, as the user does.
  void Choose(const char* name, const char* text) const {
    wxChoice* list = List(name);
    const int index = list->FindString(text, true);
    list->SetSelection(index);
    wxCommandEvent pick(wxEVT_CHOICE, list->GetId());
    pick.SetInt(index);
    pick.SetString(text);
    pick.SetEventObject(list);
    list->ProcessWindowEvent(pick);
  }

  // Deletes windows whose deletion the toolkit put off (Destroy waits for idle time).
  static void DeleteClosedWindows() {
    if (wxTheApp) wxTheApp->ProcessIdle();
  }

  std::shared_ptr<ScriptedDialogs> dialogs = std::make_shared<ScriptedDialogs>();
  std::shared_ptr<RecordingSink> messages = std::make_shared<RecordingSink>();

 private:
  wxWeakRef<FormMain> form_;
};

// What a user sees of a control, in one line: a label's caption, a box's text, a button's
// caption and whether it can be used, a check box's or option's state, a list's selection.
inline std::string Shown(wxWindow* control) {
  if (control == nullptr) return "<no such control>";
  std::string shown;
  if (auto* label = dynamic_cast<wxStaticText*>(control)) {
    shown = "'" + ToText(label->GetLabel()) + "'";
  } else if (auto* text = dynamic_cast<wxTextCtrl*>(control)) {
    shown = "[" + ToText(text->GetValue()) + "]";
  } else if (auto* button = dynamic_cast<wxButton*>(control)) {
    shown = "<" + ToText(button->GetLabel()) + ">";
  } else if (auto* check = dynamic_cast<wxCheckBox*>(control)) {
    const char* states[] = {"[ ] ", "[x] ", "[-] "};
    shown = states[check->Get3StateValue()] + ToText(check->GetLabel());
  } else if (auto* option = dynamic_cast<wxRadioButton*>(control)) {
    shown = (option->GetValue() ? "(o) " : "( ) ") + ToText(option->GetLabel());
  } else if (auto* list = dynamic_cast<wxChoice*>(control)) {
    for (unsigned i = 0; i < list->GetCount(); ++i) {
      shown += (static_cast<int>(i) == list->GetSelection() ? "*" : "") +
               ToText(list->GetString(i)) + (i + 1 < list->GetCount() ? " " : "");
    }
  }
  return shown + (control->IsEnabled() ? "" : " (disabled)");
}

// A brush level of three textured faces and one light; the first face is the Rock square of a
// 64 x 32 texture.
inline constexpr std::string_view kHallLevel =
    "Begin Map\r\n"
    "Begin Actor Class=Light Name=Light0\r\n"
    "    LightBrightness=200\r\n"
    "    Location=(X=10.000000,Y=20.000000,Z=30.000000)\r\n"
    "End Actor\r\n"
    "Begin Actor Class=Brush Name=Brush1\r\n"
    "    CsgOper=CSG_Add\r\n"
    "    Location=(X=100.000000)\r\n"
    "    Begin Brush Name=Model2\r\n"
    "       Begin PolyList\r\n"
    "          Begin Polygon Texture=Rock Flags=0\r\n"
    "             Origin   +00000.000000,+00000.000000,+00000.000000\r\n"
    "             Normal   +00000.000000,+00000.000000,+00001.000000\r\n"
    "             TextureU +00001.000000,+00000.000000,+00000.000000\r\n"
    "             TextureV +00000.000000,+00001.000000,+00000.000000\r\n"
    "             Vertex   +00000.000000,+00000.000000,+00000.000000\r\n"
    "             Vertex   +00064.000000,+00000.000000,+00000.000000\r\n"
    "             Vertex   +00064.000000,+00032.000000,+00000.000000\r\n"
    "             Vertex   +00000.000000,+00032.000000,+00000.000000\r\n"
    "          End Polygon\r\n"
    "          Begin Polygon Texture=Rock Flags=0\r\n"
    "             Origin   +00000.000000,+00000.000000,+00016.000000\r\n"
    "             Normal   +00000.000000,+00000.000000,+00001.000000\r\n"
    "             TextureU +00001.000000,+00000.000000,+00000.000000\r\n"
    "             TextureV +00000.000000,+00001.000000,+00000.000000\r\n"
    "             Vertex   +00000.000000,+00000.000000,+00016.000000\r\n"
    "             Vertex   +00032.000000,+00000.000000,+00016.000000\r\n"
    "             Vertex   +00032.000000,+00016.000000,+00016.000000\r\n"
    "          End Polygon\r\n"
    "          Begin Polygon Texture=Moss Flags=0\r\n"
    "             Origin   +00000.000000,+00000.000000,+00000.000000\r\n"
    "             Normal   +00000.000000,+00001.000000,+00000.000000\r\n"
    "             TextureU +00001.000000,+00000.000000,+00000.000000\r\n"
    "             TextureV +00000.000000,+00000.000000,+00001.000000\r\n"
    "             Vertex   +00000.000000,+00000.000000,+00000.000000\r\n"
    "             Vertex   +00000.000000,+00000.000000,+00064.000000\r\n"
    "             Vertex   +00064.000000,+00000.000000,+00064.000000\r\n"
    "          End Polygon\r\n"
    "       End PolyList\r\n"
    "    End Brush\r\n"
    "End Actor\r\n"
    "End Map\r\n";

// Writes a width x height PNG of one light colour.
inline void WritePng(const std::string& path, int width, int height) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) wxImage::AddHandler(new wxPNGHandler);
  wxImage image(width, height);
  image.SetRGB(wxRect(0, 0, width, height), 230, 220, 200);
  image.SaveFile(path, wxBITMAP_TYPE_PNG);
}

}  // namespace brushwright::testing
