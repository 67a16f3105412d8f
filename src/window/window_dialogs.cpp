// The toolkit's file, directory and message dialogs behind the window's dialog interfaces.
#include "window/window_dialogs.h"

#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>

#include "window/toolkit_text.h"

namespace brushwright {

namespace {

// Filters of the two file choosers. The output's lists both output types; the one of the
// current name's extension is selected.
constexpr const char* kInputFilter = "Unreal Brush (*.t3d)|*.t3d";
constexpr const char* kOutputFilter = "OBJ (*.obj)|*.obj|glTF binary (*.glb)|*.glb";

// Shows a file dialog starting at `current` (its directory and name) and gives the chosen path.
std::optional<std::string> ChooseFile(wxWindow* parent, const std::string& current,
                                      const char* filter, long style) {
  const wxString start = FromText(current);
  wxString directory;
  wxString name;
  wxString extension;
  wxFileName::SplitPath(start, &directory, &name, &extension);
  if (!extension.empty()) name += "." + extension;
  wxFileDialog dialog(parent, wxFileSelectorPromptStr, directory, name, filter, style);
  dialog.SetFilterIndex(extension.Lower() == "glb" ? 1 : 0);
  if (dialog.ShowModal() == wxID_CANCEL) return std::nullopt;
  return ToText(dialog.GetPath());
}

}  // namespace

std::optional<std::string> StandardDialogs::ChooseInputFile(const std::string& current) {
  return ChooseFile(parent_, current, kInputFilter, wxFD_OPEN);
}

std::optional<std::string> StandardDialogs::ChooseOutputFile(const std::string& current) {
  return ChooseFile(parent_, current, kOutputFilter, wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
}

std::optional<std::string> StandardDialogs::ChooseDirectory(const std::string& current) {
  wxDirDialog dialog(parent_, wxDirSelectorPromptStr, FromText(current));
  if (dialog.ShowModal() == wxID_CANCEL) return std::nullopt;
  return ToText(dialog.GetPath());
}

void MessageBoxSink::ShowMessage(std::string_view text, std::string_view title) {
  wxMessageBox(FromText(text), FromText(title), wxOK, parent_);
}

}  // namespace brushwright
