// The run's host on the command line: progress on a terminal line, message boxes as lines on
// stderr, and a preview surface that only tracks its position.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "cli/progress_display.h"
#include "run/run_host.h"

namespace brushwright {

class HeadlessHost : public RunHost {
 public:
  // `progress` must outlive the host; `messages` receives the message boxes, only the errors
  // when `quiet`.
  HeadlessHost(std::ostream& messages, ProgressDisplay& progress, bool quiet = false);

  void SetLabelProgress(std::string_view text) override { progress_.SetStage(text); }
  void SetLabelPos(std::string_view /*text*/) override {}
  void SetLabelTextureName(std::string_view /*text*/) override {}
  void ShowFace(std::int32_t number, std::int32_t total) override {
    progress_.SetFace(number, total);
  }

  // Nothing pauses or closes a command-line run.
  RunRequest Yield() override {
    progress_.Tick();
    return RunRequest::Continue;
  }

  void ShowPicture(const Image& picture) override;
  void SetCurrentPosition(double x, double y) override;
  void CurrentPosition(double& x, double& y) override;
  void DrawLine(int x1, int y1, int x2, int y2) override;

  // One "<title>: <line>" on the messages stream per line of the text.
  void ShowMessage(std::string_view text, std::string_view title, MessageKind kind) override;

 private:
  std::ostream& messages_;
  ProgressDisplay& progress_;
  bool quiet_;
  double x_ = 0;
  double y_ = 0;
};

}  // namespace brushwright
