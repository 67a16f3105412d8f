// Implements the command line's run host: stages and faces feed the progress line, pictures are
// not shown, message boxes become stderr lines.
#include "cli/headless_host.h"

namespace brushwright {

HeadlessHost::HeadlessHost(std::ostream& messages, ProgressDisplay& progress, bool quiet)
    : messages_(messages), progress_(progress), quiet_(quiet) {}

void HeadlessHost::ShowPicture(const Image& /*picture*/) {
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

void HeadlessHost::ShowMessage(std::string_view text, std::string_view title, MessageKind kind) {
  if (quiet_ && kind == MessageKind::Notice) return;
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
