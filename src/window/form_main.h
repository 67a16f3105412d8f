// FormMain: the program's one window, its commands, and the host it gives a conversion run.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <wx/frame.h>
// Windows' headers, which the toolkit's bring in there, make SearchPath a macro for their
// SearchPathW; here it is RunOptions' member.
#undef SearchPath

#include "run/conversion_run.h"
#include "run/run_host.h"
#include "run/run_options.h"
#include "window/run_labels.h"
#include "window/window_dialogs.h"

class wxButton;
class wxCheckBox;
class wxChoice;
class wxPanel;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

namespace brushwright {

class LevelView;
class PictureSurface;
struct StoredCheckBox;
struct WindowSettings;

// What a FormMain is opened with; the defaults are those of the real program.
struct FormOptions {
  // Settings file; a bare name lives in the user's configuration folder.
  std::string IniFileName = "Brushwright.ini";
  std::shared_ptr<WindowDialogs> Dialogs;  // null: the toolkit's file dialogs
  std::shared_ptr<MessageSink> Messages;   // null: modal message boxes
};

// Every control's identifier; each control also carries its own name as its window name.
enum FormControlId {
  ID_Label1 = wxID_HIGHEST + 1,
  ID_TextInFileName,
  ID_CommandBrowseInput,
  ID_Label2,
  ID_TextStartAtPoly,
  ID_TextOutFileName,
  ID_CommandBrowseOutput,
  ID_LabelPos,
  ID_CommandGo,
  ID_CommandPause,
  ID_LabelProgress,
  ID_CheckDoGeometry,
  ID_CheckIgnoreNoTxt,
  ID_CheckIgnoreDefTxt,
  ID_CheckBuildBrush,
  ID_CheckSearchCopy,
  ID_Label4,
  ID_ListBMtypeOut,
  ID_Label5,
  ID_ListMaskedBMtypeOut,
  ID_TextSearchPathTxt,
  ID_CommandBrowseSearchPath,
  ID_Label3,
  ID_OptionOBJ,
  ID_OptionW3D,
  ID_LabelTextureName,
  ID_CheckReport,
  ID_CheckBrushTransforms,
  ID_CheckSubtractBrushes,
  ID_PictureTexture,
  ID_CheckBuildWorld,
  ID_CheckBuiltWorld,
  ID_CheckStaticMeshes,
  ID_CheckMovers,
  ID_CheckTerrain,
  ID_CheckWithMeshes,
  ID_CheckLight,
  ID_CheckBakeLight,
  ID_Label6,
  ID_ListOutputType,
  ID_LabelStartAtPoly,
  ID_LabelSearchPath,
  ID_LabelSummary,
};

class FormMain : public wxFrame, public RunHost {
 public:
  // Builds the controls and opens the window's state (Form_Load); the caller shows it.
  explicit FormMain(FormOptions options = {});
  ~FormMain() override;

  // Event handlers.
  void Form_Load();
  void Form_Unload(wxCloseEvent& event);
  void CommandGo_Click(wxCommandEvent& event);
  void CommandPause_Click(wxCommandEvent& event);
  void CommandBrowseInput_Click(wxCommandEvent& event);
  void CommandBrowseOutput_Click(wxCommandEvent& event);
  void CommandBrowseSearchPath_Click(wxCommandEvent& event);
  void ListBMtypeOut_Scroll(wxCommandEvent& event);
  void ListMaskedBMtypeOut_Scroll(wxCommandEvent& event);
  void ListOutputType_Scroll(wxCommandEvent& event);
  void CheckBuildWorld_Click(wxCommandEvent& event);
  void CheckBuiltWorld_Click(wxCommandEvent& event);
  void CheckReport_Click(wxCommandEvent& event);

  // Takes `path` as the input file, as choosing it with the input browse command does.
  void UseInputFile(const std::string& path);
  // Takes `path` as the output file, as choosing it with the output browse command does.
  void UseOutputFile(const std::string& path);
  // How the last run ended; NotStarted also after a failure, whose text LastRunError gives.
  RunOutcome LastRunOutcome() const { return last_outcome_; }
  const std::string& LastRunError() const { return last_error_; }
  bool RunActive() const { return run_active_; }
  // True while a run may proceed: it is active and not paused.
  bool Running() const { return run_active_ && !paused_; }
  bool StopRequested() const { return stop_requested_; }
  PictureSurface& Picture() { return *picture_texture_; }
  LevelView& View() { return *level_view_; }

  // What a run started now would be told: the controls as they stand; only a checked box
  // (not a grayed one) turns its option on.
  RunOptions OptionsFromControls() const;
  // Stores the controls in the settings file.
  void SaveSettings();

  // RunHost: labels, yields, the preview and messages.
  void SetLabelProgress(std::string_view text) override;
  void SetLabelPos(std::string_view text) override;
  void SetLabelTextureName(std::string_view text) override;
  void ShowFace(std::int32_t number, std::int32_t total) override;
  RunRequest Yield() override;
  void ShowPicture(const Image& picture) override;
  void SetCurrentPosition(double x, double y) override;
  void CurrentPosition(double& x, double& y) override;
  void DrawLine(int x1, int y1, int x2, int y2) override;
  void ShowMessage(std::string_view text, std::string_view title, MessageKind kind) override;

 private:
  friend class RunGuard;

  void CreateControls();
  void LayOutControls();
  void LoadSettings();
  WindowSettings SettingsFromControls() const;
  wxCheckBox* CheckBoxOf(const StoredCheckBox& box) const;
  std::string InputName() const;
  std::string OutputName() const;
  void EnableGoWhenNamed();
  void EnableBrushChecks();
  void ShowOutputType();
  void ShowSummary(const std::string& text);
  const OutputKind& SelectedKind() const;
  void StartRun();
  void EndRun();
  RunRequest Request() const;

  FormOptions options_;
  // The run's state has this one owner: Go, Pause and the flags below change only here.
  bool run_active_ = false;
  bool paused_ = false;          // Pause pressed during the run; Cont clears it
  bool stop_requested_ = false;  // the window is closing: a run gives up at its next yield
  bool close_pending_ = false;
  RunOutcome last_outcome_ = RunOutcome::NotStarted;
  std::string last_error_;
  std::chrono::steady_clock::time_point last_yield_{};
  RunLabels run_labels_;  // the labels a run changes several times per face

  wxPanel* panel_ = nullptr;
  wxStaticText* label1_ = nullptr;
  wxTextCtrl* text_in_file_name_ = nullptr;
  wxButton* command_browse_input_ = nullptr;
  wxStaticText* label2_ = nullptr;
  wxStaticText* label_start_at_poly_ = nullptr;
  wxTextCtrl* text_start_at_poly_ = nullptr;
  wxTextCtrl* text_out_file_name_ = nullptr;
  wxButton* command_browse_output_ = nullptr;
  wxStaticText* label_pos_ = nullptr;
  wxButton* command_go_ = nullptr;
  wxButton* command_pause_ = nullptr;
  wxStaticText* label_progress_ = nullptr;
  wxCheckBox* check_do_geometry_ = nullptr;
  wxCheckBox* check_ignore_no_txt_ = nullptr;
  wxCheckBox* check_ignore_def_txt_ = nullptr;
  wxCheckBox* check_build_brush_ = nullptr;
  wxCheckBox* check_search_copy_ = nullptr;
  wxStaticText* label4_ = nullptr;
  wxChoice* list_bm_type_out_ = nullptr;
  wxStaticText* label5_ = nullptr;
  wxChoice* list_masked_bm_type_out_ = nullptr;
  wxStaticText* label_search_path_ = nullptr;
  wxTextCtrl* text_search_path_txt_ = nullptr;
  wxButton* command_browse_search_path_ = nullptr;
  wxStaticText* label3_ = nullptr;
  wxRadioButton* option_obj_ = nullptr;
  wxRadioButton* option_w3d_ = nullptr;
  wxStaticText* label_texture_name_ = nullptr;
  wxCheckBox* check_report_ = nullptr;
  wxCheckBox* check_brush_transforms_ = nullptr;
  wxCheckBox* check_subtract_brushes_ = nullptr;
  wxCheckBox* check_build_world_ = nullptr;
  wxCheckBox* check_built_world_ = nullptr;
  // What the world outputs show besides the world's surfaces, and the brush output on request.
  wxCheckBox* check_static_meshes_ = nullptr;
  wxCheckBox* check_movers_ = nullptr;
  wxCheckBox* check_terrain_ = nullptr;
  wxCheckBox* check_with_meshes_ = nullptr;
  wxCheckBox* check_light_ = nullptr;
  wxCheckBox* check_bake_light_ = nullptr;
  wxStaticText* label6_ = nullptr;
  wxChoice* list_output_type_ = nullptr;
  LevelView* level_view_ = nullptr;
  PictureSurface* picture_texture_ = nullptr;  // the preview page of level_view_
  wxStaticText* label_summary_ = nullptr;
};

}  // namespace brushwright
