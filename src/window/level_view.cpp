// The picture area: a book of two pages, the texture preview and the 3-D view with its buttons.
#include "window/level_view.h"

#include <utility>

#include <wx/button.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "text/number_text.h"
#include "window/level_canvas.h"
#include "window/picture_surface.h"
#include "window/toolkit_text.h"

namespace brushwright {

namespace {

enum Page { kTexturesPage = 0, kLevelPage = 1 };

wxButton* NewButton(wxWindow* parent, const char* caption, const char* name, const char* tip) {
  auto* button = new wxButton(parent, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize,
                              wxBU_EXACTFIT, wxDefaultValidator, name);
  button->SetToolTip(tip);
  return button;
}

wxSizer* ButtonRow(std::initializer_list<wxWindow*> cells) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  for (wxWindow* window : cells) {
    row->Add(window, wxSizerFlags(window->IsKindOf(wxCLASSINFO(wxStaticText)) ? 1 : 0)
                         .CenterVertical()
                         .Border(wxRIGHT));
  }
  return row;
}

}  // namespace

LevelView::LevelView(wxWindow* parent, wxWindowID picture_id)
    : wxSimplebook(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, "PictureBook") {
  // The texture preview, with the way back to the level once there is one.
  auto* textures = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                               "TexturesPage");
  picture_ = new PictureSurface(textures, picture_id, "PictureTexture");
  to_level_ =
      NewButton(textures, "3-D View", "CommandShowLevel", "Show the level the last run converted");
  to_level_->Disable();
  auto* texture_rows = new wxBoxSizer(wxVERTICAL);
  texture_rows->Add(picture_, wxSizerFlags(1).Expand());
  texture_rows->Add(ButtonRow({to_level_}), wxSizerFlags().Border(wxTOP, FromDIP(2)));
  textures->SetSizer(texture_rows);

  // The level in 3-D and its buttons.
  auto* level =
      new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL, "LevelPage");
  canvas_ = new LevelCanvas(level, wxID_ANY, "LevelCanvas");
  canvas_->SetToolTip(
      "W A S D and the arrow keys move, E and Q up and down; drag with the right button to look "
      "around; the wheel changes the speed");
  auto* to_textures = NewButton(level, "Textures", "CommandShowTextures",
                                "Show the texture preview of the last run");
  auto* previous = NewButton(level, "<", "CommandPreviousStart", "The previous player start");
  auto* next = NewButton(level, ">", "CommandNextStart", "The next player start");
  auto* overview = NewButton(level, "Overview", "CommandOverview", "The whole level from outside");
  where_ = new wxStaticText(level, wxID_ANY, "", wxDefaultPosition, wxDefaultSize,
                            wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END, "LabelViewpoint");
  auto* level_rows = new wxBoxSizer(wxVERTICAL);
  level_rows->Add(canvas_, wxSizerFlags(1).Expand());
  level_rows->Add(ButtonRow({to_textures, previous, next, overview, where_}),
                  wxSizerFlags().Expand().Border(wxTOP, FromDIP(2)));
  level->SetSizer(level_rows);

  AddPage(textures, "Textures");
  AddPage(level, "Level");

  to_level_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ShowLevel(); });
  to_textures->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ShowTextures(); });
  previous->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ShowStart(-1); });
  next->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ShowStart(+1); });
  overview->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { canvas_->ShowOverview(); });
  // The keys and the mouse move the camera away from a start: the label follows at idle time.
  where_->Bind(wxEVT_UPDATE_UI, [this](wxUpdateUIEvent&) { ShowWhere(); });
  for (wxButton* button : {previous, next}) {
    button->Bind(wxEVT_UPDATE_UI,
                 [this](wxUpdateUIEvent& event) { event.Enable(canvas_->PlayerStartCount() > 0); });
  }
}

void LevelView::TakeResult(RunResult result) {
  // The page first, so that the overview frames the level for the canvas's own shape.
  ChangeSelection(kLevelPage);
  canvas_->ShowResult(std::move(result));
  to_level_->Enable();
  ShowLevel();
}

void LevelView::StartRun() {
  ShowTextures();
  canvas_->ForgetResult();
  to_level_->Disable();
}

void LevelView::ShowTextures() {
  ChangeSelection(kTexturesPage);
}

void LevelView::ShowLevel() {
  if (!canvas_->HasResult()) return;
  ChangeSelection(kLevelPage);
  canvas_->SetFocus();
}

bool LevelView::ShowsLevel() const {
  return GetSelection() == kLevelPage;
}

// One start on, or back, from the start shown; from the overview or a moved camera the first
// or the last.
void LevelView::ShowStart(int step) {
  const int count = canvas_->PlayerStartCount();
  if (count == 0) return;
  const int shown = canvas_->ShownStart();
  const int index =
      shown < 0 ? (step > 0 ? 0 : count - 1) : ((shown + step) % count + count) % count;
  canvas_->ShowPlayerStart(index);
  canvas_->SetFocus();
}

void LevelView::ShowWhere() {
  const int count = canvas_->PlayerStartCount();
  const int shown = canvas_->ShownStart();
  std::string text = shown >= 0
                         ? "Player start " + NumberText(shown + 1) + " of " + NumberText(count)
                     : count == 0 ? "No player start"
                                  : NumberText(count) + " player starts";
  const wxString label = FromText(text);
  if (where_->GetLabelText() != label) where_->SetLabelText(label);
}

}  // namespace brushwright
