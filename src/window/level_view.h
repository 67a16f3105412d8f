// The window's picture area: the texture preview while a run goes, the converted level in 3-D
// once it has ended, with buttons to step through the player starts and to switch back.
#pragma once

#include <wx/simplebook.h>

#include "run/run_result.h"

class wxButton;
class wxStaticText;

namespace brushwright {

class LevelCanvas;
class PictureSurface;

class LevelView : public wxSimplebook, public ResultSink {
 public:
  // The preview picture gets `picture_id` and the window name "PictureTexture".
  LevelView(wxWindow* parent, wxWindowID picture_id);

  PictureSurface& Picture() { return *picture_; }
  LevelCanvas& Canvas() { return *canvas_; }

  // Keeps the result and turns to the 3-D view of it.
  void TakeResult(RunResult result) override;
  // As a run starts: the texture preview, and no level until the run hands its result.
  void StartRun();
  // The texture preview, or the 3-D view when there is a result.
  void ShowTextures();
  void ShowLevel();
  bool ShowsLevel() const;

 private:
  void ShowStart(int step);
  void ShowWhere();

  PictureSurface* picture_ = nullptr;
  wxButton* to_level_ = nullptr;
  LevelCanvas* canvas_ = nullptr;
  wxStaticText* where_ = nullptr;
};

}  // namespace brushwright
