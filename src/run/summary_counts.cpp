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
    passed_over = std::to_string(summary.BrokenBrushes) +
                  (summary.BrokenBrushes == 1 ? " brush was" : " brushes were") + " not closed";
  }
  if (summary.OtherOperations > 0) {
    passed_over += (passed_over.empty() ? "" : ", ") +
                   BrushesWere(summary.OtherOperations, "CSG_Intersect or CSG_Deintersect") +
                   " ignored";
  }
  if (!passed_over.empty()) counts += " (" + passed_over + ")";
  return counts;
}

// Where images came from besides image files of the run's type, when anywhere:
// ", images converted 2, textures from packages 12 (3 through materials)".
std::string TextureCounts(const RunSummary& summary) {
  std::string counts;
  if (summary.TexturesConverted > 0) {
    counts += ", " + Count("images converted", summary.TexturesConverted);
  }
  if (summary.TexturesFromPackages > 0) {
    counts += ", " + Count("textures from packages", summary.TexturesFromPackages);
    if (summary.MaterialsFollowed > 0) {
      counts += " (" + std::to_string(summary.MaterialsFollowed) + " through materials)";
    }
  }
  return counts;
}

// ", surfaces 12" for the level's own build.
std::string BuiltCounts(const RunOptions& options, const RunSummary& summary) {
  return options.BuiltWorld ? ", " + Count("surfaces", summary.BuiltSurfaces) : "";
}

// ", static meshes 70 (2 read), movers 3" when the output shows any.
std::string PlacedCounts(const RunSummary& summary) {
  std::string counts;
  if (summary.PlacedMeshes > 0) {
    counts += ", " + Count("static meshes", summary.PlacedMeshes) + " (" +
              std::to_string(summary.MeshesRead) + " read)";
  }
  if (summary.Movers > 0) counts += ", " + Count("movers", summary.Movers);
  return counts;
}

// ", light pages 2 (524288 texels, 1203300 rays)" when the output carries the level's light.
std::string LightCounts(const RunOptions& options, const RunSummary& summary) {
  if (options.Light == LightMode::None) return "";
  return ", " + Count("light pages", summary.LightPages) + " (" +
         std::to_string(summary.LightTexels) + " texels, " + std::to_string(summary.LightRays) +
         " rays)";
}

}  // namespace

std::string BrushesWere(std::int32_t n, std::string_view kind) {
  return std::to_string(n) + " " + std::string(kind) + (n == 1 ? " brush was" : " brushes were");
}

std::string SummaryCounts(const RunOptions& options, const RunSummary& summary) {
  return Count("faces", summary.FacesConverted) + ", " + Count("groups", summary.Groups) + ", " +
         Count("materials", summary.Materials) + ", " +
         Count("missing images", summary.MissingTextures) + TextureCounts(summary) + ", " +
         Count("report blocks", summary.ReportBlocks) + WorldCounts(options, summary) +
         BuiltCounts(options, summary) + PlacedCounts(summary) + LightCounts(options, summary);
}

}  // namespace brushwright
