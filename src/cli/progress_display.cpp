// Draws the progress line of brushwright-convert, rate-limited so that it costs the run nothing.
#include "cli/progress_display.h"

#include <algorithm>
#include <array>
#include <utility>

namespace brushwright {

namespace {

// Cells of the bar; leaves room for the name, the counts and the stage on an 80-column line.
constexpr std::int64_t kBarCells = 20;
// Spinner frames, one step per redraw.
constexpr std::array<char, 4> kSpinner = {'|', '/', '-', '\\'};
// Carriage return, then erase to the end of the line (ANSI EL).
constexpr std::string_view kClearLine = "\r\x1b[K";

std::string Bar(std::int64_t face, std::int64_t total) {
  const std::int64_t filled =
      total > 0 ? std::clamp<std::int64_t>(face * kBarCells / total, 0, kBarCells) : 0;
  // Appended piece by piece: GCC 12 warns (-Wrestrict) on the chain of string temporaries.
  std::string bar = "[";
  bar.append(static_cast<std::size_t>(filled), '#');
  bar.append(static_cast<std::size_t>(kBarCells - filled), ' ');
  bar += ']';
  return bar;
}

}  // namespace

std::string ProgressLineText(std::string_view name, std::int64_t face, std::int64_t total,
                             std::string_view stage, std::size_t width, unsigned frame) {
  std::string line(1, kSpinner[frame % kSpinner.size()]);
  line += " ";
  line += name;
  line += ' ';
  line += Bar(face, total);
  line += " face ";
  line += std::to_string(face);
  line += '/';
  line += std::to_string(total);
  if (!stage.empty()) {
    line += " ";
    line += stage;
  }
  if (width > 0 && line.size() >= width) line.resize(width - 1);
  return line;
}

ProgressDisplay::ProgressDisplay(std::ostream& out, bool enabled, std::size_t width,
                                 std::chrono::milliseconds redraw_interval)
    : out_(out), enabled_(enabled), width_(width), redraw_interval_(redraw_interval) {}

void ProgressDisplay::Start(std::string name) {
  if (!enabled_) return;
  name_ = std::move(name);
  stage_.clear();
  face_ = 0;
  total_ = 0;
  Draw();
}

void ProgressDisplay::SetStage(std::string_view stage) {
  if (!enabled_) return;
  stage_ = stage;
  Tick();
}

void ProgressDisplay::SetFace(std::int64_t face, std::int64_t total) {
  if (!enabled_) return;
  face_ = face;
  total_ = total;
  Tick();
}

void ProgressDisplay::Tick() {
  if (!enabled_) return;
  if (std::chrono::steady_clock::now() - last_draw_ >= redraw_interval_) Draw();
}

void ProgressDisplay::Clear() {
  if (!enabled_ || !shown_) return;
  out_ << kClearLine << std::flush;
  shown_ = false;
}

void ProgressDisplay::Draw() {
  out_ << kClearLine << ProgressLineText(name_, face_, total_, stage_, width_, frame_++)
       << std::flush;
  shown_ = true;
  last_draw_ = std::chrono::steady_clock::now();
}

}  // namespace brushwright
