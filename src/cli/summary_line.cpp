// Builds the per-input summary line of brushwright-convert, with the reason when nothing converted.
#include "cli/summary_line.h"

#include <cstdio>
#include <string>

#include "run/summary_counts.h"

namespace brushwright {

namespace {

std::string FacesReason(const ConvertOptions& options, const RunSummary& summary) {
  const std::int32_t read = summary.PolygonsRead;
  if (summary.InvisibleFaces == read) {
    return "all " + std::to_string(read) + " faces of the taken brushes are invisible";
  }
  if (summary.BeforeStartFace > 0 && summary.TextureSkipped == 0 &&
      summary.BeforeStartFace + summary.InvisibleFaces == read) {
    return "--start-face " + options.Run.StartFace + " lies past the last face (" +
           std::to_string(read) + ")";
  }
  return "every face was skipped by --ignore-no-texture, --ignore-default-texture, "
         "--start-face or its invisible flag";
}

std::string BrushReason(const ConvertOptions& options, const RunSummary& summary) {
  if (options.Run.BuildWorld) return "no additive or subtractive brush";
  if (options.Run.BuildBrush) return "no builder brush (a brush without CsgOper=) in the level";
  std::string reason = "no additive brush";
  if (summary.SubtractiveSkipped > 0) {
    reason += "; " + BrushesWere(summary.SubtractiveSkipped, "subtractive") +
              " skipped: --subtractive takes them";
  }
  if (summary.BuilderSkipped > 0) {
    reason += "; " + BrushesWere(summary.BuilderSkipped, "builder") +
              " skipped: --build-brush takes it alone";
  }
  return reason;
}

}  // namespace

std::string NothingConvertedReason(const ConvertOptions& options, const RunSummary& summary) {
  // Placed meshes and movers are written even when no surface of the world is.
  if (!options.Run.DoGeometry || summary.FacesConverted > 0 || summary.PlacedMeshes > 0 ||
      summary.Movers > 0) {
    return "";
  }
  if (options.Run.BuiltWorld) {
    if (summary.PolygonsRead == 0) return "the level's build has no surface with a polygon";
    return FacesReason(options, summary);
  }
  if (summary.BrushActors == 0 && summary.BrushesTaken == 0) return "the level has no brush actors";
  if (summary.BrushesTaken == 0) return BrushReason(options, summary);
  if (summary.PolygonsRead == 0) return "the taken brushes have no polygons";
  const std::int32_t skipped =
      summary.InvisibleFaces + summary.BeforeStartFace + summary.TextureSkipped;
  if (options.Run.BuildWorld && skipped < summary.PolygonsRead) {
    return "no surface lies between solid and empty space";
  }
  return FacesReason(options, summary);
}

std::string SummaryLine(const ConvertOptions& options, const std::string& input,
                        const RunSummary& summary, double seconds) {
  char time[32];
  std::snprintf(time, sizeof time, "%.2f s", seconds);
  std::string line = input + ": " + SummaryCounts(options.Run, summary) + ", " + time;
  const std::string reason = NothingConvertedReason(options, summary);
  if (!reason.empty()) line += "; no face converted: " + reason;
  if (!summary.LeftOut.empty()) line += "; left out: " + summary.LeftOut;
  return line;
}

}  // namespace brushwright
