// Plots each face's outline in texture space over the texture image on the preview.
#include "run/preview_plot.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace brushwright {
namespace {

// Preview coordinates are kept well inside the 16-bit range that the line drawing accepts.
constexpr std::int32_t kPreviewLimit = 32000;

// A preview coordinate of any double, clamped before it becomes an integer so that absurd
// texture coordinates can never overflow: the preview is cosmetic and never stops a run.
int PreviewCoordinate(double value) {
  if (std::isnan(value)) return 0;
  const double limit = kPreviewLimit;
  return static_cast<int>(std::clamp(value, -limit, limit));
}

}  // namespace

std::int32_t LimitLong(std::int32_t value, std::int32_t limit) {
  // The most negative value has no 32-bit magnitude; it is clamped like any other.
  if (value == std::numeric_limits<std::int32_t>::min()) return -limit;
  if ((value < 0 ? -value : value) > limit) return value < 0 ? -limit : limit;
  return value;
}

void DrawALine(RunHost& host, int x1, int y1, int x2, int y2) {
  host.DrawLine(x1, y1, x2, y2);
}

void PlotUVPoint(RunHost& host, bool first, double u, double v, std::int16_t width,
                 std::int16_t height) {
  // Preview y runs downwards, texture v upwards.
  const double px = std::floor(width * u);
  const double py = std::floor(height - height * v);
  if (first) {
    host.SetCurrentPosition(PreviewCoordinate(px), PreviewCoordinate(py));
    return;
  }
  double x = 0;
  double y = 0;
  host.CurrentPosition(x, y);
  DrawALine(host, PreviewCoordinate(x), PreviewCoordinate(y), PreviewCoordinate(px),
            PreviewCoordinate(py));
}

}  // namespace brushwright
