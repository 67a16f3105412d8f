// One unattended use of the window: choose the files, press Go, keep a picture of the result.
#pragma once

#include <optional>
#include <string>

class wxCmdLineParser;
class wxWindow;

namespace brushwright {

class FormMain;

struct AutorunOptions {
  std::string Input;       // the T3D file, taken as the input browse command takes it
  std::string Output;      // the OBJ file; "" keeps the name proposed from the input
  std::string Screenshot;  // PNG file for a picture of the window after the run; "" for none
};

// What the program's command line asks for at start.
struct StartupRequest {
  // A level named on the command line (a file manager's "Open with"), made absolute: it becomes
  // the input, with the output named after it, as browsing for it does. "" for none.
  std::string InputFile;
  std::optional<AutorunOptions> Autorun;  // the hidden options of an unattended run
};

// Adds the optional file and the hidden options of an unattended run to the toolkit's parser.
void DescribeCommandLine(wxCmdLineParser& parser);
// The request of a command line that `parser` has parsed.
StartupRequest StartupRequestOf(const wxCmdLineParser& parser);

// Fills the names, presses Go and, after the run, saves the picture. Returns false, after one
// line on stderr naming the cause, when the run did not reach "Done" or the picture failed.
bool RunAutomatically(FormMain& form, const AutorunOptions& options);

// Saves what `window` shows on screen as a PNG file; false when it cannot be written.
bool SaveWindowPicture(wxWindow& window, const std::string& path);

}  // namespace brushwright
