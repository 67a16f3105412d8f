// A one-line progress bar on a terminal: input name, face in hand of the total, and stage.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace brushwright {

// The line shown for one state, at most `width` - 1 characters so that it never wraps.
// `frame` turns the spinner in front, so a line redrawn during long work visibly moves.
std::string ProgressLineText(std::string_view name, std::int64_t face, std::int64_t total,
                             std::string_view stage, std::size_t width, unsigned frame);

class ProgressDisplay {
 public:
  // Ten redraws a second look live without slowing a run that yields after every face.
  static constexpr std::chrono::milliseconds kDefaultRedrawInterval{100};

  // A disabled display ignores every call (quiet, or the output is not a terminal).
  // Changes are drawn at most once per `redraw_interval`.
  ProgressDisplay(std::ostream& out, bool enabled, std::size_t width,
                  std::chrono::milliseconds redraw_interval = kDefaultRedrawInterval);
  ProgressDisplay(const ProgressDisplay&) = delete;
  ProgressDisplay& operator=(const ProgressDisplay&) = delete;

  bool Enabled() const { return enabled_; }
  // Begins the line of a new input and draws it at once; its face total comes with the faces.
  void Start(std::string name);
  void SetStage(std::string_view stage);
  // The face in hand, of `total` faces.
  void SetFace(std::int64_t face, std::int64_t total);
  // Redraws when the last drawing is old enough; cheap to call often.
  void Tick();
  // Erases the line, before other text goes to the same stream and at the end of an input.
  void Clear();

 private:
  void Draw();

  std::ostream& out_;
  bool enabled_;
  std::size_t width_;
  std::chrono::milliseconds redraw_interval_;
  std::string name_;
  std::string stage_;
  std::int64_t face_ = 0;
  std::int64_t total_ = 0;
  unsigned frame_ = 0;
  bool shown_ = false;
  std::chrono::steady_clock::time_point last_draw_{};
};

}  // namespace brushwright
