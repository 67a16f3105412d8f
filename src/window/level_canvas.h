// The 3-D view's drawing surface: the mesh a run wrote, textured with its pictures, drawn with
// OpenGL from a camera that the keys and the mouse move as in 3-D editors.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <wx/glcanvas.h>
#include <wx/image.h>
#include <wx/timer.h>

#include "run/run_result.h"
#include "window/view_camera.h"

namespace brushwright {

struct ViewScene;

class LevelCanvas : public wxGLCanvas {
 public:
  LevelCanvas(wxWindow* parent, wxWindowID id, const wxString& name);
  ~LevelCanvas() override;

  // Takes the result to show, and shows it from its first player start or from outside.
  void ShowResult(RunResult result);
  // Lets go of the result shown (the canvas draws its background alone).
  void ForgetResult();
  bool HasResult() const;
  int PlayerStartCount() const;
  // From player start `index` (0 for the first), or the whole level from outside.
  void ShowPlayerStart(int index);
  void ShowOverview();
  // The start shown (-1 for none: the overview or a camera moved by the user).
  int ShownStart() const { return shown_start_; }

  const ViewCamera& Camera() const { return camera_; }
  void SetCamera(const ViewCamera& camera);
  // Draws the view as it stands and gives the picture drawn, at the canvas's size; an empty
  // image when OpenGL cannot draw here.
  wxImage RenderPicture();
  // The distance in metres from the eye to the surface in the middle of the picture, as last
  // drawn; none when the middle shows background.
  std::optional<double> DistanceAhead();

 private:
  // Frees the scene's buffers and textures on the graphics card, when they were put there.
  void ReleaseScene();
  void OnPaint(wxPaintEvent& event);
  void OnKey(wxKeyEvent& event);
  void OnMouse(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);
  void OnTick(wxTimerEvent& event);
  bool MakeCurrent();
  void Draw();
  double Aspect() const;

  std::unique_ptr<wxGLContext> context_;
  std::unique_ptr<ViewScene> scene_;
  ViewCamera camera_;
  int shown_start_ = -1;
  double speed_ = 0;  // metres per second of the keys' moves
  // Keys held for moving: forward, back, left, right, up, down.
  bool held_[6] = {};
  wxPoint drag_from_;
  bool dragging_ = false;
  wxTimer ticker_;
  std::int64_t last_tick_ms_ = 0;
};

}  // namespace brushwright
