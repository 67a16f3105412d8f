// Words the counts of a finished run, shared by the command line's summary line and the window.
#include "run/summary_counts.h"

namespace brushwright {

namespace {

std::string Count(const char* what, std::int32_t n) {
  return what + std::string(" ") + std::to_string(n);
}

// ", fragments 120" and, when any, what the world builder passed over.
std::string WorldCounts(const RunOptions& options, const RunSummary& summary) {
  if (!options.BuildWorld) return "";
  std::string counts = ", " + Count("fragments", summary.Fragments);
  std::string passed_over;
  if (summary.BrokenBrushes > 0) {
    passed_over = BrushesWere(summary.BrokenBrushes, "broken") + " handled as sheets";
  }
  if (summary.OtherOperations > 0) {
    passed_over += (passed_over.empty() ? "" : ", ") +
                   BrushesWere(summary.OtherOperations, "CSG_Intersect or CSG_Deintersect") +
                   " ignored";
  }
  if (!passed_over.empty()) counts += " (" + passed_over + ")";
  return counts;
}

// ", surfaces 12" for the level's own build.
std::string BuiltCounts(const RunOptions& options, const RunSummary& summary) {
  return options.BuiltWorld ? ", " + Count("surfaces", summary.BuiltSurfaces) : "";
}

}  // namespace

std::string BrushesWere(std::int32_t n, std::string_view kind) {
  return std::to_string(n) + " " + std::string(kind) + (n == 1 ? " brush was" : " brushes were");
}

std::string SummaryCounts(const RunOptions& options, const RunSummary& summary) {
  return Count("faces", summary.FacesConverted) + ", " + Count("groups", summary.Groups) + ", " +
         Count("materials", summary.Materials) + ", " +
         Count("missing images", summary.MissingTextures) + ", " +
         Count("report blocks", summary.ReportBlocks) + WorldCounts(options, summary) +
         BuiltCounts(options, summary);
}

}  // namespace brushwright
