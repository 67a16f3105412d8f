// A recording stand-in for the window: fixed control values, and a log of everything the run
// shows, draws and yields, for tests to compare.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "run/run_host.h"
#include "text/brush_error.h"

namespace brushwright::testing {

class FakeHost : public RunHost {
 public:
  // Control values; tests change them freely, also from on_yield.
  std::string in_file;
  std::string out_file;
  std::string start_at_poly = "1";
  int do_geometry = 1;
  int build_brush = 0;
  int ignore_no_txt = 0;
  int ignore_def_txt = 0;
  int search_copy = 0;
  std::string search_path;
  std::string bm_type = "BMP";
  bool w3d = false;
  int report = 0;
  int brush_transforms = 1;
  int subtract_brushes = 0;

  // Decodable images by path, with their pixel size; any other existing file fails to decode.
  std::map<std::string, std::pair<double, double>> images;
  // Called at every yield, after it is logged (a test may press Pause or close the window).
  std::function<void(FakeHost&)> on_yield;

  // Everything the run did, in order: "progress:<text>", "pos:<text>", "texture:<text>",
  // "go:0|1", "pause:0|1", "yield", "save", "load:<path>", "move:<x>,<y>",
  // "line:<x1>,<y1>,<x2>,<y2>", "message:<title>:<text>".
  std::vector<std::string> log;
  FormMembers form;

  std::string TextInFileName() override { return in_file; }
  std::string TextOutFileName() override { return out_file; }
  std::string TextStartAtPoly() override { return start_at_poly; }
  int CheckDoGeometry() override { return do_geometry; }
  int CheckBuildBrush() override { return build_brush; }
  int CheckIgnoreNoTxt() override { return ignore_no_txt; }
  int CheckIgnoreDefTxt() override { return ignore_def_txt; }
  int CheckSearchCopy() override { return search_copy; }
  std::string TextSearchPathTxt() override { return search_path; }
  std::string ListBMtypeOut() override { return bm_type; }
  bool OptionW3D() override { return w3d; }
  int CheckReport() override { return report; }
  int CheckBrushTransforms() override { return brush_transforms; }
  int CheckSubtractBrushes() override { return subtract_brushes; }

  void SaveSettings() override { log.push_back("save"); }
  void SetLabelProgress(std::string_view text) override { Record("progress:", text); }
  void SetLabelPos(std::string_view text) override { Record("pos:", text); }
  void SetLabelTextureName(std::string_view text) override { Record("texture:", text); }
  void SetGoEnabled(bool enabled) override { log.push_back(enabled ? "go:1" : "go:0"); }
  void SetPauseEnabled(bool enabled) override { log.push_back(enabled ? "pause:1" : "pause:0"); }

  void Yield() override {
    log.push_back("yield");
    if (on_yield) on_yield(*this);
  }

  void LoadPicture(const std::string& path, double& width, double& height) override {
    log.push_back("load:" + path);
    auto it = images.find(path);
    if (it == images.end()) throw BrushError("cannot decode image '" + path + "'");
    width = it->second.first;
    height = it->second.second;
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
  void ShowMessage(std::string_view text, std::string_view title) override {
    log.push_back("message:" + std::string(title) + ":" + std::string(text));
  }
  FormMembers& Form() override { return form; }

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

}  // namespace brushwright::testing
