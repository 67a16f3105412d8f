// The window's file choosers and message boxes, behind interfaces that tests replace.
#pragma once

#include <optional>
#include <string>
#include <string_view>

class wxWindow;

namespace brushwright {

// The three browse commands ask one of these for a path; nothing means the user cancelled.
class WindowDialogs {
 public:
  virtual ~WindowDialogs() = default;
  // A T3D file to read; `current` is the name the dialog starts from.
  virtual std::optional<std::string> ChooseInputFile(const std::string& current) = 0;
  // An OBJ file to write, new or existing (replacing one is confirmed by the dialog).
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

// Modal message boxes with an OK button over `parent`.
class MessageBoxSink : public MessageSink {
 public:
  explicit MessageBoxSink(wxWindow* parent) : parent_(parent) {}
  void ShowMessage(std::string_view text, std::string_view title) override;

 private:
  wxWindow* parent_;
};

}  // namespace brushwright
