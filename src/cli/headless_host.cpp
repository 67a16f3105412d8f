// Implements the command line's run host: labels feed the progress line, pictures are decoded
// only for their size, message boxes become stderr lines.
#include "cli/headless_host.h"

#include <cstdint>
#include <utility>

#include <wx/image.h>

#include "cli/image_file.h"
#include "text/number_text.h"

namespace brushwright {

namespace {

// The labels that carry the number of the face in hand.
constexpr std::string_view kFaceLabel = "Face ";
constexpr std::string_view kIgnoringLabel = "ignoring face ";

// The face number after `prefix` in `text`, or -1 when the text does not start with it.
std::int64_t FaceNumberAfter(std::string_view text, std::string_view prefix) {
  if (text.substr(0, prefix.size()) != prefix) return -1;
  return static_cast<std::int64_t>(NumberValue(text.substr(prefix.size())));
}

}  // namespace

HeadlessHost::HeadlessHost(const ConvertOptions& options, std::string input, std::ostream& messages,
                           ProgressDisplay& progress)
    : options_(options),
      input_(std::move(input)),
      output_(OutputPathFor(options, input_)),
      messages_(messages),
      progress_(progress) {}

void HeadlessHost::SetLabelProgress(std::string_view text) {
  if (!progress_.Enabled()) return;  // no terminal: the run's many labels cost nothing
  if (const std::int64_t face = FaceNumberAfter(text, kIgnoringLabel); face >= 0) {
    progress_.SetFace(face);
  }
  progress_.SetStage(text);
}

void HeadlessHost::SetLabelPos(std::string_view text) {
  if (!progress_.Enabled()) return;
  if (const std::int64_t face = FaceNumberAfter(text, kFaceLabel); face >= 0) {
    progress_.SetFace(face);
  }
}

void HeadlessHost::LoadPicture(const std::string& path, double& width, double& height) {
  const wxImage image = DecodeImageFile(path);
  width = image.GetWidth();
  height = image.GetHeight();
  // A new picture starts without lines, drawn from its top left corner.
  x_ = 0;
  y_ = 0;
}

void HeadlessHost::SetCurrentPosition(double x, double y) {
  x_ = x;
  y_ = y;
}

void HeadlessHost::CurrentPosition(double& x, double& y) {
  x = x_;
  y = y_;
}

void HeadlessHost::DrawLine(int /*x1*/, int /*y1*/, int x2, int y2) {
  x_ = x2;
  y_ = y2;
}

void HeadlessHost::ShowMessage(std::string_view text, std::string_view title) {
  progress_.Clear();
  bool any_line = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) {
      messages_ << title << ": " << text.substr(start, end - start) << "\n";
      any_line = true;
    }
    start = end + 1;
  }
  // A box without text still tells the user something happened.
  if (!any_line) messages_ << title << ":\n";
  messages_.flush();
}

}  // namespace brushwright
