// The small makers and readers of the main window's controls, and its file drop target.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

#include <wx/checkbox.h>
#include <wx/dnd.h>

class wxButton;
class wxChoice;
class wxSizer;
class wxStaticText;
class wxTextCtrl;
class wxWindow;

namespace brushwright {

// Hands a dropped .t3d file or map package (known by its signature) to `use`.
class InputFileDrop : public wxFileDropTarget {
 public:
  explicit InputFileDrop(std::function<void(const std::string&)> use) : use_(std::move(use)) {}
  bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override;

 private:
  std::function<void(const std::string&)> use_;
};

// A stored check state: 1 checked, 2 grey, anything else cleared.
wxCheckBoxState CheckStateOf(std::int16_t value);
std::string SelectedText(const wxChoice* list);
// Selects the item with `text`; an unknown text leaves the selection as it is.
void SelectByText(wxChoice* list, const std::string& text);

wxCheckBox* NewCheckBox(wxWindow* parent, int id, const char* caption, bool checked,
                        const char* name);
wxStaticText* NewLabel(wxWindow* parent, int id, const char* caption, const char* name,
                       long style = 0);
wxButton* NewButton(wxWindow* parent, int id, const char* caption, const char* name,
                    long style = 0);
// A text box `width` pixels wide at 96 DPI.
wxTextCtrl* NewTextBox(wxWindow* parent, int id, const char* text, int width, const char* name);

// One row of the window; a window with proportion 1 takes the row's spare width, and a null
// window stands for a stretchable gap.
wxSizer* Row(std::initializer_list<std::pair<wxWindow*, int>> cells);

}  // namespace brushwright
