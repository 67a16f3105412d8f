// Plots each face's outline in texture space over the texture image on the preview.
#pragma once

#include <cstdint>

#include "run/run_host.h"

namespace brushwright {

// -limit or limit when the magnitude of value exceeds limit, else value.
std::int32_t LimitLong(std::int32_t value, std::int32_t limit);
void DrawALine(RunHost& host, int x1, int y1, int x2, int y2);
// Places the vertex with texture coordinates (u, v) on a width x height image: the first vertex
// of a face sets the current position, every other one draws a segment to it.
void PlotUVPoint(RunHost& host, bool first, double u, double v, std::int16_t width,
                 std::int16_t height);

}  // namespace brushwright
