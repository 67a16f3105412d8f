// What a conversion run needs from the window around it: control values, labels, the yield,
// the preview surface and message boxes. The window, the command line and the tests implement it.
#pragma once

#include <string>
#include <string_view>

#include "vecmath/vecmath.h"

namespace brushwright {

// Members of the window that live longer than a run and that the run reads or sets.
struct FormMembers {
  bool Running = false;        // True while a run may proceed; the Pause command inverts it
  bool StopRequested = false;  // set when the window closes; the run gives up at its next yield
  std::string LineBreak = "\r\n";
  Matrix4 W3DMatrix = BuildW3DMatrix();
};

class RunHost {
 public:
  virtual ~RunHost() = default;

  // Control values, each read at its own point of use (the user may change them while the run
  // yields). Check boxes give their state: 0 unchecked, 1 checked, 2 grayed; only 1 counts.
  virtual std::string TextInFileName() = 0;
  virtual std::string TextOutFileName() = 0;
  virtual std::string TextStartAtPoly() = 0;
  virtual int CheckDoGeometry() = 0;
  virtual int CheckBuildBrush() = 0;
  virtual int CheckIgnoreNoTxt() = 0;
  virtual int CheckIgnoreDefTxt() = 0;
  virtual int CheckSearchCopy() = 0;
  virtual std::string TextSearchPathTxt() = 0;
  virtual std::string ListBMtypeOut() = 0;  // "BMP", "PCX", "JPG", "PNG", "TIF" or "GIF"
  virtual bool OptionW3D() = 0;
  virtual int CheckReport() = 0;
  // Place brushes as the editor does (pivot, scale, sheer, rotation, location), not by their
  // location alone; and take subtractive brushes too, turned to face the space they carve.
  virtual int CheckBrushTransforms() = 0;
  virtual int CheckSubtractBrushes() = 0;

  // Stores the current controls in the settings file (the command line keeps none).
  virtual void SaveSettings() = 0;

  // Labels and buttons.
  virtual void SetLabelProgress(std::string_view text) = 0;
  virtual void SetLabelPos(std::string_view text) = 0;
  virtual void SetLabelTextureName(std::string_view text) = 0;
  virtual void SetGoEnabled(bool enabled) = 0;
  virtual void SetPauseEnabled(bool enabled) = 0;

  // Lets the window process its pending events (repaints, Pause, closing).
  virtual void Yield() = 0;

  // Preview surface, in pixels of the loaded image, y downwards.
  // Replaces the picture by the image at `path` and gives its pixel size; throws BrushError
  // naming the file when it exists but cannot be decoded.
  virtual void LoadPicture(const std::string& path, double& width, double& height) = 0;
  virtual void SetCurrentPosition(double x, double y) = 0;
  virtual void CurrentPosition(double& x, double& y) = 0;
  // A line from (x1, y1) to (x2, y2); the current position becomes (x2, y2).
  virtual void DrawLine(int x1, int y1, int x2, int y2) = 0;

  // A modal message box with an OK button; returns when the user has closed it.
  virtual void ShowMessage(std::string_view text, std::string_view title) = 0;

  virtual FormMembers& Form() = 0;
};

// A check box value counts as checked only when it is exactly 1.
inline bool IsChecked(int state) { return state == 1; }

}  // namespace brushwright
