// The run's host on the command line: fixed control values, progress on a terminal line,
// message boxes as lines on stderr, and a preview surface that only tracks its position.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "cli/command_line.h"
#include "cli/progress_display.h"
#include "run/run_host.h"

namespace brushwright {

class HeadlessHost : public RunHost {
 public:
  // `options` and `progress` must outlive the host; `messages` receives the message boxes.
  HeadlessHost(const ConvertOptions& options, std::string input, std::ostream& messages,
               ProgressDisplay& progress);

  std::string TextInFileName() override { return input_; }
  std::string TextOutFileName() override { return output_; }
  std::string TextStartAtPoly() override { return options_.StartFace; }
  int CheckDoGeometry() override { return Check(options_.DoGeometry); }
  int CheckBuildBrush() override { return Check(options_.BuildBrush); }
  int CheckIgnoreNoTxt() override { return Check(options_.IgnoreNoTexture); }
  int CheckIgnoreDefTxt() override { return Check(options_.IgnoreDefaultTexture); }
  int CheckSearchCopy() override { return Check(options_.CopyTextures); }
  std::string TextSearchPathTxt() override { return options_.SearchPath; }
  std::string ListBMtypeOut() override { return options_.TextureType; }
  bool OptionW3D() override { return options_.W3D; }
  int CheckReport() override { return Check(options_.Report); }
  int CheckBrushTransforms() override { return Check(options_.BrushTransforms); }
  int CheckSubtractBrushes() override { return Check(options_.Subtractive); }

  // The command line keeps no settings file.
  void SaveSettings() override {}

  void SetLabelProgress(std::string_view text) override;
  void SetLabelPos(std::string_view text) override;
  void SetLabelTextureName(std::string_view /*text*/) override {}
  void SetGoEnabled(bool /*enabled*/) override {}
  void SetPauseEnabled(bool /*enabled*/) override {}

  void Yield() override { progress_.Tick(); }

  void LoadPicture(const std::string& path, double& width, double& height) override;
  void SetCurrentPosition(double x, double y) override;
  void CurrentPosition(double& x, double& y) override;
  void DrawLine(int x1, int y1, int x2, int y2) override;

  // One "<title>: <line>" on the messages stream per line of the text.
  void ShowMessage(std::string_view text, std::string_view title) override;

  FormMembers& Form() override { return form_; }

 private:
  static int Check(bool on) { return on ? 1 : 0; }

  const ConvertOptions& options_;
  std::string input_;
  std::string output_;
  std::ostream& messages_;
  ProgressDisplay& progress_;
  FormMembers form_;
  double x_ = 0;
  double y_ = 0;
};

}  // namespace brushwright
