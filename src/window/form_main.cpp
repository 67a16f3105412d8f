// FormMain: builds the window's controls, connects its commands and serves a run as its host.
#include "window/form_main.h"

#include <algorithm>
#include <cassert>
#include <exception>
#include <initializer_list>
#include <utility>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>
#undef SearchPath  // as in form_main.h: the headers above may define it again

#include "image/image_file.h"
#include "run/option_rules.h"
#include "run/output_kinds.h"
#include "run/summary_counts.h"
#include "settings/ini_file.h"
#include "settings/window_settings.h"
#include "text/file_text.h"
#include "vecmath/vecmath.h"
#include "window/form_controls.h"
#include "window/level_view.h"
#include "window/picture_surface.h"
#include "window/toolkit_text.h"

namespace brushwright {

// ----------------------------------------------------------------------------
// constants
// ----------------------------------------------------------------------------

namespace {

// The window's caption, as users of the program know it.
constexpr const char* kCaption = "Brushwright - Quillmoor";
// The section of the settings file that holds the window's keys.
constexpr const char* kIniSection = "Brushwright";
// Title of the box that reports a failed run; the text is the error's own message.
constexpr const char* kErrorTitle = "Conversion failed";
// Longest texts the two run labels show, so that their width never clips one.
constexpr const char* kWidestProgress = "searching texture file";
constexpr const char* kWidestPos = "Writing Report";
// One frame at 60 Hz: the window stays responsive while most of the run's yields (one per
// face, tens of thousands per level) cost only a clock read.
constexpr auto kYieldInterval = std::chrono::milliseconds(16);
// Sleep per pass of a paused run's wait, so that waiting does not keep a processor busy.
constexpr unsigned long kPausedWaitMs = 10;
// Designed sizes in pixels at 96 DPI (twips / 15): name boxes 3855 twips wide, the start
// face box 855, the picture 4455 x 3615.
constexpr int kPathBoxWidth = 257;
constexpr int kStartBoxWidth = 57;
constexpr int kPictureWidth = 297;
constexpr int kPictureHeight = 241;
// Text lines the summary of a run is given: the counts of a world run take two at the
// window's designed width.
constexpr int kSummaryLines = 2;

// A texture type list: the image types' names, which are also the image files' extensions.
wxChoice* NewTypeList(wxWindow* parent, int id, const char* name) {
  wxArrayString types;
  for (const ImageType& type : ImageTypes()) types.Add(FromText(std::string(type.Name)));
  return new wxChoice(parent, id, wxDefaultPosition, wxDefaultSize, types, 0, wxDefaultValidator,
                      name);
}

// The output name's heading for a kind: "Output OBJ File".
std::string OutputHeading(const OutputKind& kind) {
  return "Output " + std::string(kind.Name) + " File";
}

}  // namespace

// Marks the window busy for the length of a run (Go disabled, Pause enabled) and returns it to
// idle when the run ends, whether it finished, gave up or failed.
class RunGuard {
 public:
  explicit RunGuard(FormMain& form) : form_(form) { form_.StartRun(); }
  ~RunGuard() { form_.EndRun(); }
  RunGuard(const RunGuard&) = delete;
  RunGuard& operator=(const RunGuard&) = delete;

 private:
  FormMain& form_;
};

// ============================================================================
// implementation
// ============================================================================

// ----------------------------------------------------------------------------
// the window
// ----------------------------------------------------------------------------

FormMain::FormMain(FormOptions options)
    : wxFrame(nullptr, wxID_ANY, kCaption), options_(std::move(options)) {
  if (!options_.Dialogs) options_.Dialogs = std::make_shared<StandardDialogs>(this);
  if (!options_.Messages) options_.Messages = std::make_shared<MessageBoxSink>(this);
  CreateControls();
  LayOutControls();

  Bind(wxEVT_CLOSE_WINDOW, &FormMain::Form_Unload, this);
  Bind(wxEVT_BUTTON, &FormMain::CommandGo_Click, this, ID_CommandGo);
  Bind(wxEVT_BUTTON, &FormMain::CommandPause_Click, this, ID_CommandPause);
  Bind(wxEVT_BUTTON, &FormMain::CommandBrowseInput_Click, this, ID_CommandBrowseInput);
  Bind(wxEVT_BUTTON, &FormMain::CommandBrowseOutput_Click, this, ID_CommandBrowseOutput);
  Bind(wxEVT_BUTTON, &FormMain::CommandBrowseSearchPath_Click, this, ID_CommandBrowseSearchPath);
  Bind(wxEVT_CHOICE, &FormMain::ListBMtypeOut_Scroll, this, ID_ListBMtypeOut);
  Bind(wxEVT_CHOICE, &FormMain::ListMaskedBMtypeOut_Scroll, this, ID_ListMaskedBMtypeOut);
  Bind(wxEVT_CHOICE, &FormMain::ListOutputType_Scroll, this, ID_ListOutputType);
  Bind(wxEVT_CHECKBOX, &FormMain::CheckBuildWorld_Click, this, ID_CheckBuildWorld);
  Bind(wxEVT_CHECKBOX, &FormMain::CheckBuiltWorld_Click, this, ID_CheckBuiltWorld);
  Bind(wxEVT_CHECKBOX, &FormMain::CheckBuildWorld_Click, this, ID_CheckWithMeshes);
  Bind(wxEVT_CHECKBOX, &FormMain::CheckBuildWorld_Click, this, ID_CheckLight);
  Bind(wxEVT_CHECKBOX, &FormMain::CheckReport_Click, this, ID_CheckReport);
  const auto use_input = [this](const std::string& path) { UseInputFile(path); };
  panel_->SetDropTarget(new InputFileDrop(use_input));
  picture_texture_->SetDropTarget(new InputFileDrop(use_input));

  Form_Load();
}

FormMain::~FormMain() {
  assert(!run_active_ && "a running window is destroyed only after its run");
}

// Creates the controls in keyboard order, with the captions and states of a new window.
void FormMain::CreateControls() {
  panel_ = new wxPanel(this);
  wxPanel* p = panel_;
  command_go_ = NewButton(p, ID_CommandGo, "Go", "CommandGo");
  label_progress_ = NewLabel(p, ID_LabelProgress, "(progress)", "LabelProgress",
                             wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
  label_pos_ =
      NewLabel(p, ID_LabelPos, "(position)", "LabelPos", wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
  label1_ = NewLabel(p, ID_Label1, "Input Level File (T3D or Map)", "Label1");
  text_in_file_name_ = NewTextBox(p, ID_TextInFileName, "", kPathBoxWidth, "TextInFileName");
  command_browse_input_ =
      NewButton(p, ID_CommandBrowseInput, "...", "CommandBrowseInput", wxBU_EXACTFIT);
  label2_ = NewLabel(p, ID_Label2, OutputHeading(OutputKinds().front()).c_str(), "Label2");
  text_out_file_name_ = NewTextBox(p, ID_TextOutFileName, "", kPathBoxWidth, "TextOutFileName");
  command_browse_output_ =
      NewButton(p, ID_CommandBrowseOutput, "...", "CommandBrowseOutput", wxBU_EXACTFIT);
  level_view_ = new LevelView(p, ID_PictureTexture);
  picture_texture_ = &level_view_->Picture();
  check_search_copy_ =
      NewCheckBox(p, ID_CheckSearchCopy, "Copy Textures to Output Path", true, "CheckSearchCopy");
  label_search_path_ = NewLabel(p, ID_LabelSearchPath, "Texture Search Folder", "LabelSearchPath");
  text_search_path_txt_ = NewTextBox(p, ID_TextSearchPathTxt, "d:\\data\\pics\\textures",
                                     kPathBoxWidth, "TextSearchPathTxt");
  command_browse_search_path_ =
      NewButton(p, ID_CommandBrowseSearchPath, "...", "CommandBrowseSearchPath", wxBU_EXACTFIT);
  check_do_geometry_ =
      NewCheckBox(p, ID_CheckDoGeometry, "Convert Geometry", true, "CheckDoGeometry");
  check_report_ = NewCheckBox(p, ID_CheckReport, "Create Report", false, "CheckReport");
  check_ignore_no_txt_ =
      NewCheckBox(p, ID_CheckIgnoreNoTxt, "Ignore No Tex.", false, "CheckIgnoreNoTxt");
  command_pause_ = NewButton(p, ID_CommandPause, "Pause", "CommandPause");
  command_pause_->Disable();
  label_start_at_poly_ = NewLabel(p, ID_LabelStartAtPoly, "Start at Face:", "LabelStartAtPoly");
  text_start_at_poly_ = NewTextBox(p, ID_TextStartAtPoly, "1", kStartBoxWidth, "TextStartAtPoly");
  text_start_at_poly_->SetToolTip("Number of the first face to convert");
  option_obj_ = new wxRadioButton(p, ID_OptionOBJ, "OBJ", wxDefaultPosition, wxDefaultSize,
                                  wxRB_GROUP, wxDefaultValidator, "OptionOBJ");
  option_w3d_ = new wxRadioButton(p, ID_OptionW3D, "W3D", wxDefaultPosition, wxDefaultSize, 0,
                                  wxDefaultValidator, "OptionW3D");
  option_obj_->SetValue(true);
  list_bm_type_out_ = NewTypeList(p, ID_ListBMtypeOut, "ListBMtypeOut");
  label4_ = NewLabel(p, ID_Label4, "Texture Type:", "Label4");
  label3_ = NewLabel(p, ID_Label3, "Coordinates:", "Label3");
  list_masked_bm_type_out_ = NewTypeList(p, ID_ListMaskedBMtypeOut, "ListMaskedBMtypeOut");
  label5_ = NewLabel(p, ID_Label5, "Masked Texture Type:", "Label5");
  check_build_brush_ =
      NewCheckBox(p, ID_CheckBuildBrush, "Just the 'Build Brush'", false, "CheckBuildBrush");
  check_ignore_def_txt_ =
      NewCheckBox(p, ID_CheckIgnoreDefTxt, "Ignore Def Tex.", false, "CheckIgnoreDefTxt");
  label_texture_name_ = NewLabel(p, ID_LabelTextureName, "<name>", "LabelTextureName",
                                 wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END);
  check_brush_transforms_ = NewCheckBox(p, ID_CheckBrushTransforms, "Apply Brush Transforms", true,
                                        "CheckBrushTransforms");
  check_subtract_brushes_ = NewCheckBox(p, ID_CheckSubtractBrushes, "Include Subtractive Brushes",
                                        false, "CheckSubtractBrushes");
  check_build_world_ =
      NewCheckBox(p, ID_CheckBuildWorld, "Build World (CSG)", false, "CheckBuildWorld");
  check_built_world_ =
      NewCheckBox(p, ID_CheckBuiltWorld, "Use the Level's Own Build", false, "CheckBuiltWorld");
  check_built_world_->SetToolTip("The surfaces the editor last built, read from a map package");
  check_static_meshes_ =
      NewCheckBox(p, ID_CheckStaticMeshes, "Static Meshes", true, "CheckStaticMeshes");
  check_static_meshes_->SetToolTip("Actors drawn by a static mesh, in the world");
  check_movers_ = NewCheckBox(p, ID_CheckMovers, "Movers", true, "CheckMovers");
  check_movers_->SetToolTip("Doors and lifts, in the world");
  check_terrain_ = NewCheckBox(p, ID_CheckTerrain, "Terrain", true, "CheckTerrain");
  check_terrain_->SetToolTip("Terrain, in the world");
  check_with_meshes_ =
      NewCheckBox(p, ID_CheckWithMeshes, "Add Them to the Brushes", false, "CheckWithMeshes");
  check_with_meshes_->SetToolTip("The brushes with the static meshes, movers and terrain ticked");
  check_light_ = NewCheckBox(p, ID_CheckLight, "Light as the Game", false, "CheckLight");
  check_light_->SetToolTip("The world carries the level's light and shadows");
  check_bake_light_ =
      NewCheckBox(p, ID_CheckBakeLight, "Bake into Textures", false, "CheckBakeLight");
  check_bake_light_->SetToolTip(
      "The light multiplied into new texture images, for viewers without light maps");
  label6_ = NewLabel(p, ID_Label6, "Output Type:", "Label6");
  wxArrayString output_types;
  for (const OutputKind& kind : OutputKinds()) output_types.Add(FromText(std::string(kind.Label)));
  list_output_type_ = new wxChoice(p, ID_ListOutputType, wxDefaultPosition, wxDefaultSize,
                                   output_types, 0, wxDefaultValidator, "ListOutputType");
  list_output_type_->SetSelection(0);
  label_summary_ = NewLabel(p, ID_LabelSummary, "", "LabelSummary");
  for (wxStaticText* label : {label_pos_, label_progress_, label_texture_name_}) {
    run_labels_.Add(label);
  }
}

// Places the controls in the rows of the designed window; sizes follow the font and DPI.
void FormMain::LayOutControls() {
  label_progress_->SetMinSize(wxSize(label_progress_->GetTextExtent(kWidestProgress).x, -1));
  label_pos_->SetMinSize(wxSize(label_pos_->GetTextExtent(kWidestPos).x, -1));
  picture_texture_->SetMinSize(FromDIP(wxSize(kPictureWidth, kPictureHeight)));
  label_summary_->SetMinSize(wxSize(-1, kSummaryLines * label_summary_->GetCharHeight()));

  auto* rows = new wxBoxSizer(wxVERTICAL);
  const wxSizerFlags row_flags = wxSizerFlags().Expand().Border(wxTOP, FromDIP(3));
  rows->Add(Row({{label1_, 0}}), row_flags);
  rows->Add(Row({{text_in_file_name_, 1}, {command_browse_input_, 0}}), row_flags);
  rows->Add(Row({{label2_, 1}, {label_start_at_poly_, 0}, {text_start_at_poly_, 0}}), row_flags);
  rows->Add(Row({{text_out_file_name_, 1}, {command_browse_output_, 0}}), row_flags);
  rows->Add(Row({{label_pos_, 1}, {command_go_, 0}, {command_pause_, 0}, {label_progress_, 1}}),
            row_flags);
  rows->Add(Row({{check_do_geometry_, 0},
                 {nullptr, 1},
                 {check_ignore_no_txt_, 0},
                 {nullptr, 1},
                 {check_ignore_def_txt_, 0}}),
            row_flags);
  rows->Add(Row({{check_search_copy_, 0}, {nullptr, 1}, {check_build_brush_, 0}}), row_flags);
  rows->Add(Row({{label4_, 0},
                 {list_bm_type_out_, 0},
                 {nullptr, 1},
                 {label5_, 0},
                 {list_masked_bm_type_out_, 0}}),
            row_flags);
  rows->Add(Row({{label_search_path_, 0}}), row_flags);
  rows->Add(Row({{text_search_path_txt_, 1}, {command_browse_search_path_, 0}}), row_flags);
  rows->Add(Row({{label6_, 0},
                 {list_output_type_, 0},
                 {nullptr, 1},
                 {label3_, 0},
                 {option_obj_, 0},
                 {option_w3d_, 0}}),
            row_flags);
  rows->Add(Row({{check_brush_transforms_, 0},
                 {nullptr, 1},
                 {check_subtract_brushes_, 0},
                 {nullptr, 1},
                 {check_build_world_, 0}}),
            row_flags);
  rows->Add(Row({{nullptr, 1}, {check_built_world_, 0}}), row_flags);
  rows->Add(Row({{check_static_meshes_, 0},
                 {check_movers_, 0},
                 {check_terrain_, 0},
                 {nullptr, 1},
                 {check_with_meshes_, 0}}),
            row_flags);
  rows->Add(Row({{check_light_, 0}, {nullptr, 1}, {check_bake_light_, 0}}), row_flags);
  rows->Add(Row({{label_texture_name_, 1}, {check_report_, 0}}), row_flags);
  rows->Add(level_view_, wxSizerFlags(1).Expand().Border(wxALL));
  rows->Add(label_summary_, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxBOTTOM));
  panel_->SetSizer(rows);

  auto* frame_sizer = new wxBoxSizer(wxVERTICAL);
  frame_sizer->Add(panel_, wxSizerFlags(1).Expand());
  SetSizerAndFit(frame_sizer);
  SetMinSize(GetSize());
}

// ----------------------------------------------------------------------------
// event handlers
// ----------------------------------------------------------------------------

void FormMain::Form_Load() {
  SetLabelPos("");
  SetLabelProgress("");
  paused_ = false;
  stop_requested_ = false;
  list_bm_type_out_->SetSelection(0);
  SetIniFile(options_.IniFileName, kIniSection);
  LoadSettings();
}

void FormMain::Form_Unload(wxCloseEvent& event) {
  stop_requested_ = true;
  SaveSettings();
  if (run_active_) {
    // The run still holds this window: it ends at its next yield, and CommandGo_Click
    // destroys the window once the run has returned.
    close_pending_ = true;
    if (event.CanVeto()) event.Veto();
    return;
  }
  Destroy();
}

void FormMain::CommandGo_Click(wxCommandEvent&) {
  if (run_active_) return;  // a click queued before Go was disabled must not start a 2nd run
  // The run is told the controls as they stand now; changes during the run count next time.
  // Greyed boxes count as what the ticked ones make of them: a run never sees them clash.
  const RunOptions run_options = WithoutInapplicableSwitches(OptionsFromControls());
  if (run_options.InputFile.empty()) return;
  SaveSettings();
  std::optional<std::string> failure;
  RunSummary summary;
  {
    RunGuard guard(*this);
    try {
      summary = RunConversion(run_options, *this, level_view_);
    } catch (const std::exception& error) {
      failure = error.what();  // the summary stays as it began: NotStarted, nothing counted
    }
  }
  last_outcome_ = summary.Outcome;
  last_error_ = failure.value_or("");
  if (close_pending_) {
    Destroy();
    return;
  }
  if (failure) {
    SetLabelProgress("Error");
    ShowMessage(*failure, kErrorTitle, MessageKind::Error);
  } else if (summary.Outcome == RunOutcome::Done) {
    // What the level shows that the run did not convert is named, as the command line does.
    ShowSummary(SummaryCounts(run_options, summary) +
                (summary.LeftOut.empty() ? "" : "; left out: " + summary.LeftOut));
  }
}

void FormMain::CommandPause_Click(wxCommandEvent&) {
  paused_ = !paused_;
  if (paused_) {
    command_pause_->SetLabel("Cont");
    SetLabelProgress("Paused..");
    run_labels_.ShowPending();  // the user's click shows at once, not at the run's next yield
  } else {
    command_pause_->SetLabel("Pause");
  }
}

void FormMain::CommandBrowseInput_Click(wxCommandEvent&) {
  if (auto chosen = options_.Dialogs->ChooseInputFile(InputName())) {
    UseInputFile(*chosen);
  } else {
    EnableGoWhenNamed();
  }
}

void FormMain::CommandBrowseOutput_Click(wxCommandEvent&) {
  if (auto chosen = options_.Dialogs->ChooseOutputFile(OutputName())) {
    UseOutputFile(*chosen);
  } else {
    EnableGoWhenNamed();
  }
}

void FormMain::CommandBrowseSearchPath_Click(wxCommandEvent&) {
  if (auto chosen = options_.Dialogs->ChooseDirectory(ToText(text_search_path_txt_->GetValue()))) {
    text_search_path_txt_->ChangeValue(FromText(*chosen));
  }
}

void FormMain::ListBMtypeOut_Scroll(wxCommandEvent&) {
  // The masked type follows the texture type.
  list_masked_bm_type_out_->SetSelection(list_bm_type_out_->GetSelection());
}

void FormMain::ListMaskedBMtypeOut_Scroll(wxCommandEvent&) {
  // The list has selected the chosen item itself; the texture type stays as it is.
}

void FormMain::ListOutputType_Scroll(wxCommandEvent&) {
  // The output name's extension and heading follow the chosen type.
  const std::string output = OutputName();
  if (!output.empty()) {
    text_out_file_name_->ChangeValue(
        FromText(StripExtension(output) + std::string(SelectedKind().Extension)));
  }
  ShowOutputType();
  EnableBrushChecks();  // whether the light can be chosen unbaked follows the type
}

void FormMain::CheckBuildWorld_Click(wxCommandEvent&) {
  EnableBrushChecks();
}

void FormMain::CheckBuiltWorld_Click(wxCommandEvent&) {
  EnableBrushChecks();
}

void FormMain::CheckReport_Click(wxCommandEvent&) {
  ShowOutputType();
}

// ----------------------------------------------------------------------------
// commands' helpers
// ----------------------------------------------------------------------------

void FormMain::UseInputFile(const std::string& path) {
  text_in_file_name_->ChangeValue(FromText(path));
  text_out_file_name_->ChangeValue(
      FromText(StripExtension(path) + std::string(SelectedKind().Extension)));
  EnableGoWhenNamed();
}

void FormMain::UseOutputFile(const std::string& path) {
  text_out_file_name_->ChangeValue(FromText(path));
  EnableGoWhenNamed();
}

std::string FormMain::InputName() const {
  return ToText(text_in_file_name_->GetValue());
}

std::string FormMain::OutputName() const {
  return ToText(text_out_file_name_->GetValue());
}

void FormMain::EnableGoWhenNamed() {
  // During a run Go stays disabled: it is what keeps a second run from starting.
  command_go_->Enable(!run_active_ && !InputName().empty() && !OutputName().empty());
}

// Building the world places every brush by its whole transform and carves with the subtractive
// ones itself: the two brush switches have no say then, nor when the level's own build is
// written, which also takes the place of building the world.
void FormMain::EnableBrushChecks() {
  const RunOptions options = OptionsFromControls();
  check_build_world_->Enable(SwitchApplies(options, RunSwitch::BuildWorld));
  check_brush_transforms_->Enable(SwitchApplies(options, RunSwitch::NoBrushTransforms));
  check_subtract_brushes_->Enable(SwitchApplies(options, RunSwitch::Subtractive));
  check_build_brush_->Enable(SwitchApplies(options, RunSwitch::BuildBrush));
  check_static_meshes_->Enable(SwitchApplies(options, RunSwitch::NoStaticMeshes));
  check_movers_->Enable(SwitchApplies(options, RunSwitch::NoMovers));
  check_terrain_->Enable(SwitchApplies(options, RunSwitch::NoTerrain));
  check_with_meshes_->Enable(SwitchApplies(options, RunSwitch::WithMeshes));
  const bool light_applies = SwitchApplies(options, RunSwitch::Light);
  check_light_->Enable(light_applies);
  // An output without light maps takes the light baked alone: there is nothing to choose.
  check_bake_light_->Enable(light_applies && options.Light != LightMode::None &&
                            SwitchApplies(options, RunSwitch::LightMaps));
}

// The output name's heading names the chosen type. The coordinates choice turns the OBJ file's
// positions and the report's vectors, never a glTF file's: it is greyed when neither is written.
void FormMain::ShowOutputType() {
  label2_->SetLabelText(FromText(OutputHeading(SelectedKind())));
  const bool coordinates_apply = SwitchApplies(OptionsFromControls(), RunSwitch::W3D);
  for (wxWindow* control : std::initializer_list<wxWindow*>{label3_, option_obj_, option_w3d_}) {
    control->Enable(coordinates_apply);
  }
}

// The counts of the run that just ended, wrapped to the window's width ("" clears them). More
// lines than the label has room for make the window taller, so that none is cut off.
void FormMain::ShowSummary(const std::string& text) {
  const int width = label_summary_->GetSize().x;  // the row's, before the text resizes the label
  label_summary_->SetLabelText(FromText(text));
  if (width > 0) label_summary_->Wrap(width);
  const int lines_height = kSummaryLines * label_summary_->GetCharHeight();
  label_summary_->SetMinSize(wxSize(-1, std::max(lines_height, label_summary_->GetBestSize().y)));
  const int needed = GetSizer()->GetMinSize().y;
  if (needed > GetClientSize().y) SetClientSize(GetClientSize().x, needed);
  panel_->Layout();
}

const OutputKind& FormMain::SelectedKind() const {
  const auto kinds = OutputKinds();
  const int selected = list_output_type_->GetSelection();
  return selected > 0 && static_cast<std::size_t>(selected) < kinds.size()
             ? kinds[static_cast<std::size_t>(selected)]
             : kinds.front();
}

void FormMain::StartRun() {
  run_active_ = true;
  paused_ = false;
  last_yield_ = {};
  command_go_->Disable();
  command_pause_->Enable();
  ShowSummary("");  // the counts shown are those of the last run, never of one still going
  level_view_->StartRun();
}

void FormMain::EndRun() {
  run_active_ = false;
  paused_ = false;
  command_go_->Enable();
  command_pause_->Disable();
  command_pause_->SetLabel("Pause");
  run_labels_.ShowPending();
  picture_texture_->FlushLines();
}

void FormMain::LoadSettings() {
  const WindowSettings values = ::brushwright::LoadSettings();
  text_in_file_name_->ChangeValue(FromText(values.Options.InputFile));
  text_out_file_name_->ChangeValue(FromText(values.Options.OutputFile));
  text_search_path_txt_->ChangeValue(FromText(values.Options.SearchPath));
  SelectByText(list_bm_type_out_, values.Options.TextureType);
  SelectByText(list_masked_bm_type_out_, values.ListMaskedBMtypeOut);
  for (const StoredCheckBox& box : StoredCheckBoxes()) {
    CheckBoxOf(box)->Set3StateValue(CheckStateOf(values.CheckState(box)));
  }
  check_bake_light_->SetValue(values.BakeLight);
  const auto kinds = OutputKinds();
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    if (kinds[i].Format == values.Options.Format)
      list_output_type_->SetSelection(static_cast<int>(i));
  }
  EnableBrushChecks();
  ShowOutputType();
}

void FormMain::SaveSettings() {
  // A settings file that cannot be written is passed over in silence: the window goes on and
  // the next start finds the old values.
  ::brushwright::SaveSettings(SettingsFromControls());
}

WindowSettings FormMain::SettingsFromControls() const {
  WindowSettings values;
  values.Options = OptionsFromControls();
  values.ListMaskedBMtypeOut = SelectedText(list_masked_bm_type_out_);
  for (const StoredCheckBox& box : StoredCheckBoxes()) {
    values.SetCheckState(box, static_cast<std::int16_t>(CheckBoxOf(box)->Get3StateValue()));
  }
  values.BakeLight = check_bake_light_->Get3StateValue() == wxCHK_CHECKED;
  return values;
}

RunOptions FormMain::OptionsFromControls() const {
  RunOptions values;
  values.InputFile = InputName();
  values.OutputFile = OutputName();
  values.StartFace = ToText(text_start_at_poly_->GetValue());
  values.SearchPath = ToText(text_search_path_txt_->GetValue());
  values.TextureType = SelectedText(list_bm_type_out_);
  values.W3D = option_w3d_->GetValue();
  values.Format = SelectedKind().Format;
  for (const StoredCheckBox& box : StoredCheckBoxes()) {
    box.Set(values, CheckBoxOf(box)->Get3StateValue() == wxCHK_CHECKED);
  }
  values.Light = LightModeOf(values.Light != LightMode::None,
                             check_bake_light_->Get3StateValue() == wxCHK_CHECKED);
  return values;
}

// Each stored check box is the control named by its settings key.
wxCheckBox* FormMain::CheckBoxOf(const StoredCheckBox& box) const {
  auto* control = wxDynamicCast(
      wxWindow::FindWindowByName(wxString::FromUTF8(box.Key.data(), box.Key.size()), panel_),
      wxCheckBox);
  assert(control != nullptr && "every stored check box has its control");
  return control;
}

// ----------------------------------------------------------------------------
// the run's host: labels, buttons, yield, preview and messages
// ----------------------------------------------------------------------------

// During a run a label's text reaches the screen at the next yield that hands events to the
// toolkit.
void FormMain::SetLabelProgress(std::string_view text) {
  run_labels_.Set(label_progress_, text, run_active_);
}

void FormMain::SetLabelPos(std::string_view text) {
  run_labels_.Set(label_pos_, text, run_active_);
}

void FormMain::SetLabelTextureName(std::string_view text) {
  run_labels_.Set(label_texture_name_, text, run_active_);
}

void FormMain::ShowFace(std::int32_t, std::int32_t) {
  // The window shows the face in hand in LabelPos already.
}

RunRequest FormMain::Request() const {
  if (stop_requested_) return RunRequest::Stop;
  return paused_ ? RunRequest::Pause : RunRequest::Continue;
}

RunRequest FormMain::Yield() {
  const auto now = std::chrono::steady_clock::now();
  if (!paused_ && now - last_yield_ < kYieldInterval) return Request();
  if (paused_) wxMilliSleep(kPausedWaitMs);
  last_yield_ = now;
  run_labels_.ShowPending();
  picture_texture_->FlushLines();
  wxTheApp->Yield(true);
  return Request();
}

void FormMain::ShowPicture(const Image& picture) {
  picture_texture_->ShowImage(picture);
}

void FormMain::SetCurrentPosition(double x, double y) {
  picture_texture_->SetCurrentPosition(x, y);
}

void FormMain::CurrentPosition(double& x, double& y) {
  picture_texture_->CurrentPosition(x, y);
}

void FormMain::DrawLine(int x1, int y1, int x2, int y2) {
  picture_texture_->DrawLine(x1, y1, x2, y2);
}

void FormMain::ShowMessage(std::string_view text, std::string_view title, MessageKind) {
  run_labels_.ShowPending();  // the window behind the box shows where the run stands
  options_.Messages->ShowMessage(text, title);
}

}  // namespace brushwright
