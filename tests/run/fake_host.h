// A recording stand-in for the window: a log of everything the run shows, draws and yields, for
// tests to compare, and the options of the run it hosts.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "image/image_file.h"
#include "run/conversion_run.h"
#include "run/run_host.h"
#include "text/brush_error.h"

namespace brushwright::testing {

class FakeHost : public RunHost {
 public:
  // What the hosted run is told; tests set it before RunConversion(host.options, host).
  RunOptions options;
  // What the next yields report; tests change them from on_yield (Pause pressed, window closed).
  bool paused = false;
  bool stop = false;

  // Called at every yield, after it is logged (a test may press Pause or close the window).
  std::function<void(FakeHost&)> on_yield;

  // Everything the run did, in order: "progress:<text>", "pos:<text>", "texture:<text>",
  // "yield", "show:<width>x<height>", "move:<x>,<y>", "line:<x1>,<y1>,<x2>,<y2>",
  // "message:<title>:<text>". Face counter calls go to `faces` ("<number>/<total>") instead.
  std::vector<std::string> log;
  std::vector<std::string> faces;

  void SetLabelProgress(std::string_view text) override { Record("progress:", text); }
  void SetLabelPos(std::string_view text) override { Record("pos:", text); }
  void SetLabelTextureName(std::string_view text) override { Record("texture:", text); }
  void ShowFace(std::int32_t number, std::int32_t total) override {
    faces.push_back(std::to_string(number) + "/" + std::to_string(total));
  }

  RunRequest Yield() override {
    log.push_back("yield");
    if (on_yield) on_yield(*this);
    if (stop) return RunRequest::Stop;
    return paused ? RunRequest::Pause : RunRequest::Continue;
  }

  void ShowPicture(const Image& picture) override {
    log.push_back("show:" + std::to_string(picture.Width) + "x" + std::to_string(picture.Height));
    x_ = y_ = 0;
  }
  void SetCurrentPosition(double x, double y) override {
    x_ = x;
    y_ = y;
    log.push_back("move:" + Number(x) + "," + Number(y));
  }
  void CurrentPosition(double& x, double& y) override {
    x = x_;
    y = y_;
  }
  void DrawLine(int x1, int y1, int x2, int y2) override {
    log.push_back("line:" + std::to_string(x1) + "," + std::to_string(y1) + "," +
                  std::to_string(x2) + "," + std::to_string(y2));
    x_ = x2;
    y_ = y2;
  }
  void ShowMessage(std::string_view text, std::string_view title, MessageKind) override {
    log.push_back("message:" + std::string(title) + ":" + std::string(text));
  }

  // The log entries that start with `prefix`, with the prefix removed.
  std::vector<std::string> Entries(std::string_view prefix) const {
    std::vector<std::string> out;
    for (const auto& entry : log) {
      if (entry.rfind(prefix, 0) == 0) out.push_back(entry.substr(prefix.size()));
    }
    return out;
  }

 private:
  void Record(std::string_view kind, std::string_view text) {
    log.push_back(std::string(kind) + std::string(text));
  }
  static std::string Number(double v) {
    return v == static_cast<long long>(v) ? std::to_string(static_cast<long long>(v))
                                          : std::to_string(v);
  }
  double x_ = 0;
  double y_ = 0;
};

// Runs a conversion with the host's options.
inline RunSummary Convert(FakeHost& host) {
  return RunConversion(host.options, host);
}

}  // namespace brushwright::testing
