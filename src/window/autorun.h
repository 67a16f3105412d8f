// One unattended use of the window: choose the files, press Go, keep a picture of the result.
#pragma once

#include <string>

class wxWindow;

namespace brushwright {

class FormMain;

struct AutorunOptions {
  std::string Input;        // the T3D file, taken as the input browse command takes it
  std::string Output;       // the OBJ file; "" keeps the name proposed from the input
  std::string Screenshot;   // PNG file for a picture of the window after the run; "" for none
  std::string ViewPicture;  // PNG file for a picture of the 3-D view alone; "" for none
  int ViewStart = 0;        // the view's player start (1 the first); 0 for the overview
};

// Fills the names, presses Go and, after the run, saves the pictures; the view's picture goes
// with its camera on one line of stderr. Returns false, after one line on stderr naming the
// cause, when the run did not reach "Done", a picture failed or the start does not exist.
bool RunAutomatically(FormMain& form, const AutorunOptions& options);

// Saves what `window` shows on screen as a PNG file; false when it cannot be written.
bool SaveWindowPicture(wxWindow& window, const std::string& path);

}  // namespace brushwright
