// The toolkit's file, directory and message dialogs behind the window's dialog interfaces.
#include "window/window_dialogs.h"

#include <algorithm>
#include <vector>

#include <wx/dirdlg.h>
#include <wx/display.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/listbox.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "run/output_kinds.h"
#include "text/key_readers.h"
#include "window/toolkit_text.h"

namespace brushwright {

namespace {

// Filters of the two file choosers. The input's offers T3D files and map packages together and
// apart (games name their maps .unr, .ut2, .dx, .un2, .run, .sac, ...; any file with the package
// signature is read as one). The output's lists the output kinds (OutputFilter); the one of the
// current name's extension is selected.
constexpr const char* kInputFilter =
    "Unreal levels (*.t3d;*.unr;*.ut2;*.dx;*.un2;*.run;*.sac)|"
    "*.t3d;*.T3D;*.unr;*.UNR;*.ut2;*.UT2;*.dx;*.DX;*.un2;*.UN2;*.run;*.RUN;*.sac;*.SAC|"
    "Unreal Brush (*.t3d)|*.t3d;*.T3D|"
    "Map packages (*.unr;*.ut2;*.dx;*.un2;*.run;*.sac)|"
    "*.unr;*.UNR;*.ut2;*.UT2;*.dx;*.DX;*.un2;*.UN2;*.run;*.RUN;*.sac;*.SAC|"
    "All files (*)|*";

// Names a list dialog shows without scrolling when the screen has room: enough to take in at
// a glance, few enough that the dialog stays small.
constexpr int kVisibleNames = 16;
// Height in DIP left free of the screen for the window manager's title bar and frame.
constexpr int kScreenMargin = 48;

// The message's lines without their line ends; empty lines are left out.
std::vector<std::string> MessageLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) lines.emplace_back(line);
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return lines;
}

// "OBJ (*.obj)|*.obj|glTF binary (*.glb)|*.glb": a filter per output kind, in the table's order.
wxString OutputFilter() {
  wxString filter;
  for (const OutputKind& kind : OutputKinds()) {
    const wxString pattern = "*" + FromText(std::string(kind.Extension));
    if (!filter.empty()) filter += "|";
    filter += FromText(std::string(kind.FileType)) + " (" + pattern + ")|" + pattern;
  }
  return filter;
}

// The output kind's filter for a name with `extension` (without its dot); the first for others.
int OutputFilterIndex(const wxString& extension) {
  const auto kinds = OutputKinds();
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    if (EqualsIgnoringCase(kinds[i].Extension.substr(1), ToText(extension))) {
      return static_cast<int>(i);
    }
  }
  return 0;
}

// Shows a file dialog starting at `current` (its directory and name) and gives the chosen path;
// `output` selects the filter of the output kind that the name's extension names.
std::optional<std::string> ChooseFile(wxWindow* parent, const std::string& current,
                                      const wxString& filter, long style, bool output) {
  const wxString start = FromText(current);
  wxString directory;
  wxString name;
  wxString extension;
  wxFileName::SplitPath(start, &directory, &name, &extension);
  if (!extension.empty()) name += "." + extension;
  wxFileDialog dialog(parent, wxFileSelectorPromptStr, directory, name, filter, style);
  dialog.SetFilterIndex(output ? OutputFilterIndex(extension) : 0);
  if (dialog.ShowModal() == wxID_CANCEL) return std::nullopt;
  return ToText(dialog.GetPath());
}

}  // namespace

std::optional<std::string> StandardDialogs::ChooseInputFile(const std::string& current) {
  return ChooseFile(parent_, current, kInputFilter, wxFD_OPEN, false);
}

std::optional<std::string> StandardDialogs::ChooseOutputFile(const std::string& current) {
  return ChooseFile(parent_, current, OutputFilter(), wxFD_SAVE | wxFD_OVERWRITE_PROMPT, true);
}

std::optional<std::string> StandardDialogs::ChooseDirectory(const std::string& current) {
  wxDirDialog dialog(parent_, wxDirSelectorPromptStr, FromText(current));
  if (dialog.ShowModal() == wxID_CANCEL) return std::nullopt;
  return ToText(dialog.GetPath());
}

void MessageBoxSink::ShowMessage(std::string_view text, std::string_view title) {
  // A message box grows with its text: a long list of names would push OK off the screen.
  if (MessageLines(text).size() > 1) {
    NameListDialog dialog(parent_, text, title);
    dialog.ShowModal();
    return;
  }
  wxMessageBox(FromText(text), FromText(title), wxOK, parent_);
}

NameListDialog::NameListDialog(wxWindow* parent, std::string_view text, std::string_view title,
                               wxRect screen)
    : wxDialog(parent, wxID_ANY, FromText(title), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
  const std::vector<std::string> lines = MessageLines(text);
  wxArrayString names;
  for (std::size_t i = 1; i < lines.size(); ++i) names.Add(FromText(lines[i]));
  auto* heading = new wxStaticText(this, wxID_ANY, lines.empty() ? wxString() : FromText(lines[0]),
                                   wxDefaultPosition, wxDefaultSize, 0, "LabelHeading");
  auto* list = new wxListBox(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, names, wxLB_SINGLE,
                             wxDefaultValidator, "ListNames");
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(heading, wxSizerFlags().Border(wxALL));
  sizer->Add(list, wxSizerFlags(1).Expand().Border(wxLEFT | wxRIGHT));
  sizer->Add(CreateSeparatedButtonSizer(wxOK), wxSizerFlags().Expand().Border(wxALL));

  // Fitted with a list of one row first, the dialog shows what the rest of it takes; the list
  // then gets the rows that the screen has room for.
  if (screen.IsEmpty()) screen = wxDisplay(this).GetClientArea();
  const int row = list->GetCharHeight() + FromDIP(8);
  list->SetMinSize(wxSize(-1, row));
  SetSizerAndFit(sizer);
  const int room = screen.height - FromDIP(kScreenMargin) - (GetSize().y - row);
  const int wanted = std::min(static_cast<int>(names.size()), kVisibleNames);
  list->SetMinSize(wxSize(-1, std::clamp(room / row, 1, std::max(wanted, 1)) * row));
  Fit();
  SetSize(std::min(GetSize().x, screen.width), -1);
  CentreOnParent();
}

}  // namespace brushwright
