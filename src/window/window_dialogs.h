// The window's file choosers and message boxes, behind interfaces that tests replace.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <wx/dialog.h>

namespace brushwright {

// The three browse commands ask one of these for a path; nothing means the user cancelled.
class WindowDialogs {
 public:
  virtual ~WindowDialogs() = default;
  // A T3D file to read; `current` is the name the dialog starts from.
  virtual std::optional<std::string> ChooseInputFile(const std::string& current) = 0;
  // An OBJ or glTF file to write, new or existing (replacing one is confirmed by the dialog).
  virtual std::optional<std::string> ChooseOutputFile(const std::string& current) = 0;
  // A directory to search for texture images.
  virtual std::optional<std::string> ChooseDirectory(const std::string& current) = 0;
};

// Where the window's message boxes go.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // Shows `text` under `title` and returns when the user has acknowledged it.
  virtual void ShowMessage(std::string_view text, std::string_view title) = 0;
};

// The toolkit's own modal dialogs, shown over `parent`.
class StandardDialogs : public WindowDialogs {
 public:
  explicit StandardDialogs(wxWindow* parent) : parent_(parent) {}
  std::optional<std::string> ChooseInputFile(const std::string& current) override;
  std::optional<std::string> ChooseOutputFile(const std::string& current) override;
  std::optional<std::string> ChooseDirectory(const std::string& current) override;

 private:
  wxWindow* parent_;
};

// Modal message boxes with an OK button over `parent`; a message of several lines is shown in
// a NameListDialog.
class MessageBoxSink : public MessageSink {
 public:
  explicit MessageBoxSink(wxWindow* parent) : parent_(parent) {}
  void ShowMessage(std::string_view text, std::string_view title) override;

 private:
  wxWindow* parent_;
};

// A message whose first line heads a list of names, one per later line (the images a run did
// not find): the heading, the names in a scrolling list, and OK. However long the list, the
// dialog fits in `screen`, by default the client area of the display that shows it.
class NameListDialog : public wxDialog {
 public:
  NameListDialog(wxWindow* parent, std::string_view text, std::string_view title,
                 wxRect screen = wxRect());
};

}  // namespace brushwright
