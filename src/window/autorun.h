// One unattended use of the window: choose the files, press Go, keep a picture of the result.
#pragma once

#include <optional>
#include <string>

class wxCmdLineParser;
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

// What the program's command line asks for at start.
struct StartupRequest {
  // A level named on the command line (a file manager's "Open with"), made absolute: it becomes
  // the input, with the output named after it, as browsing for it does. "" for none.
  std::string InputFile;
  std::optional<AutorunOptions> Autorun;  // the hidden options of an unattended run
  std::string Error;  // why the command line cannot be followed; "" when it can
};

// Adds the optional file and the hidden options of an unattended run to the toolkit's parser.
void DescribeCommandLine(wxCmdLineParser& parser);
// The request of a command line that `parser` has parsed.
StartupRequest StartupRequestOf(const wxCmdLineParser& parser);

// Fills the names, presses Go and, after the run, saves the pictures; the view's picture goes
// with its camera on one line of stderr. Returns false, after one line on stderr naming the
// cause, when the run did not reach "Done", a picture failed or the start does not exist.
bool RunAutomatically(FormMain& form, const AutorunOptions& options);

// Saves what `window` shows on screen as a PNG file; false when it cannot be written.
bool SaveWindowPicture(wxWindow& window, const std::string& path);

}  // namespace brushwright
