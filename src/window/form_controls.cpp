// The main window's control makers, readers and drop target.
#include "window/form_controls.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/filename.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "package/package_file.h"
#include "window/toolkit_text.h"

namespace brushwright {

bool InputFileDrop::OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) {
  for (const wxString& file : files) {
    if (wxFileName(file).GetExt().Lower() == "t3d" || IsPackageFile(ToText(file))) {
      use_(ToText(file));
      return true;
    }
  }
  return false;
}

wxCheckBoxState CheckStateOf(std::int16_t value) {
  // Values other than 0, 1 and 2 only come from a hand-edited file; they clear the box.
  if (value == 1) return wxCHK_CHECKED;
  if (value == 2) return wxCHK_UNDETERMINED;
  return wxCHK_UNCHECKED;
}

std::string SelectedText(const wxChoice* list) {
  const int index = list->GetSelection();
  return index == wxNOT_FOUND ? std::string() : ToText(list->GetString(index));
}

void SelectByText(wxChoice* list, const std::string& text) {
  const int index = list->FindString(FromText(text), true);
  if (index != wxNOT_FOUND) list->SetSelection(index);
}

wxCheckBox* NewCheckBox(wxWindow* parent, int id, const char* caption, bool checked,
                        const char* name) {
  auto* box = new wxCheckBox(parent, id, caption, wxDefaultPosition, wxDefaultSize, wxCHK_3STATE,
                             wxDefaultValidator, name);
  box->SetValue(checked);
  return box;
}

wxStaticText* NewLabel(wxWindow* parent, int id, const char* caption, const char* name,
                       long style) {
  return new wxStaticText(parent, id, caption, wxDefaultPosition, wxDefaultSize, style, name);
}

wxButton* NewButton(wxWindow* parent, int id, const char* caption, const char* name, long style) {
  return new wxButton(parent, id, caption, wxDefaultPosition, wxDefaultSize, style,
                      wxDefaultValidator, name);
}

wxTextCtrl* NewTextBox(wxWindow* parent, int id, const char* text, int width, const char* name) {
  return new wxTextCtrl(parent, id, text, wxDefaultPosition, parent->FromDIP(wxSize(width, -1)), 0,
                        wxDefaultValidator, name);
}

wxSizer* Row(std::initializer_list<std::pair<wxWindow*, int>> cells) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  for (const auto& [window, proportion] : cells) {
    if (window == nullptr) {
      row->AddStretchSpacer();
    } else {
      row->Add(window, wxSizerFlags(proportion).CenterVertical().Border(wxLEFT | wxRIGHT));
    }
  }
  return row;
}

}  // namespace brushwright
