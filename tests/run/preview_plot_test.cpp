// The preview plot: segments per face, pixel placement, and clamping of far coordinates.
#include "run/preview_plot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "fake_host.h"

namespace brushwright {
namespace {

using testing::FakeHost;
using Lines = std::vector<std::string>;

struct UV {
  double u;
  double v;
};

// Plots one face as the face converter does: the first vertex sets the position, each further
// vertex draws a segment. Returns the "move:" and "line:" entries of the log.
Lines PlotFace(FakeHost& host, const std::vector<UV>& points, std::int16_t width,
               std::int16_t height) {
  bool first = true;
  for (const UV& p : points) {
    PlotUVPoint(host, first, p.u, p.v, width, height);
    first = false;
  }
  Lines drawn;
  for (const auto& entry : host.log) {
    if (entry.rfind("move:", 0) == 0 || entry.rfind("line:", 0) == 0) drawn.push_back(entry);
  }
  return drawn;
}

TEST(LimitLong, ClampsMagnitudeToLimit) {
  struct Row {
    std::int32_t value;
    std::int32_t expected;
  };
  const Row rows[] = {
      {40000, 32000},
      {-40000, -32000},
      {32000, 32000},
      {-32000, -32000},
      {32001, 32000},
      {-32001, -32000},
      {-5, -5},
      {0, 0},
      {std::numeric_limits<std::int32_t>::max(), 32000},
      {std::numeric_limits<std::int32_t>::min(), -32000},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(LimitLong(row.value, 32000), row.expected) << row.value;
  }
}

TEST(PlotUVPoint, TriangleLeavesTheLastEdgeOpen) {
  FakeHost host;
  // Visit order of the face converter: vertex 0, then 2, then 1.
  const Lines drawn = PlotFace(host, {{0, 0}, {0, 1}, {1, 0}}, 64, 64);
  EXPECT_EQ(drawn, (Lines{"move:0,64", "line:0,64,0,0", "line:0,0,64,64"}));
}

TEST(PlotUVPoint, RoundsPixelsDownward) {
  struct Row {
    double u;
    double v;
    const char* expected;
  };
  const Row rows[] = {
      {0.999, 1, "move:63,0"},
      {-0.5, 1, "move:-32,0"},
      {0, 0.999, "move:0,0"},  // 64 - 63.936 = 0.064
      {0, 1.5, "move:0,-32"},
  };
  for (const Row& row : rows) {
    FakeHost host;
    EXPECT_EQ(PlotFace(host, {{row.u, row.v}}, 64, 64), Lines{row.expected})
        << row.u << " " << row.v;
  }
}

TEST(PlotUVPoint, FarCoordinatesAreClampedAndTheNextSegmentStartsThere) {
  FakeHost host;
  // 100 x 500 = 50000 pixels to the right.
  const Lines drawn = PlotFace(host, {{0, 1}, {500, 1}, {0, 1}}, 100, 100);
  EXPECT_EQ(drawn, (Lines{"move:0,0", "line:0,0,32000,0", "line:32000,0,0,0"}));
}

TEST(PlotUVPoint, AbsurdCoordinatesNeverStopThePlot) {
  const double inf = std::numeric_limits<double>::infinity();
  FakeHost host;
  const Lines drawn =
      PlotFace(host, {{1e300, -1e300}, {-1e300, 1e300}, {inf, -inf}, {std::nan(""), 0}}, 256, 256);
  EXPECT_EQ(drawn, (Lines{"move:32000,32000", "line:32000,32000,-32000,-32000",
                          "line:-32000,-32000,32000,32000", "line:32000,32000,0,256"}));
}

TEST(PlotUVPoint, OneVertexDrawsNothingTwoVerticesOneSegment) {
  FakeHost one;
  EXPECT_EQ(PlotFace(one, {{0.5, 0.5}}, 64, 64), Lines{"move:32,32"});
  FakeHost two;
  EXPECT_EQ(PlotFace(two, {{0.5, 0.5}, {0.25, 0.75}}, 64, 64),
            (Lines{"move:32,32", "line:32,32,16,16"}));
}

}  // namespace
}  // namespace brushwright
