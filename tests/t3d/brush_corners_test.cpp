// Corner test: do brushes meet their neighbours once placed as the editor places them?
#include "t3d/brush_placement.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "marked_text.h"
#include "support/test_inputs.h"
#include "t3d/polygon_reader.h"
#include "t3d/value_readers.h"
#include "text/file_text.h"
#include "text/key_readers.h"
#include "text/number_text.h"

namespace brushwright {
namespace {

// Corners are snapped to a grid of a hundredth of a unit: the editor writes six decimals, so
// corners that meet agree far more closely, and ones that miss are apart by whole units.
constexpr double kCornersPerUnit = 100;
// Placing the corpus by its transforms must at least double the share of meeting corners.
constexpr double kRequiredGain = 2;

using GridPoint = std::array<long long, 3>;
using CornerSet = std::set<GridPoint>;

GridPoint Snapped(const Vector& v) {
  return GridPoint{std::llround(v.X * kCornersPerUnit), std::llround(v.Y * kCornersPerUnit),
                   std::llround(v.Z * kCornersPerUnit)};
}

// The distinct corners of each brush actor with a "CsgOper=" line, placed by its location
// alone or by its whole transform.
std::vector<CornerSet> PlacedBrushCorners(const std::string& text, bool whole_transform) {
  std::vector<CornerSet> brushes;
  int start = 0, end = 0;
  for (int pos = 1; FindBlock(text, pos, "Begin Actor Class=Brush", "End Actor", start, end);
       pos = end + 1) {
    if (!KeyInRange(text, "CsgOper=", start, end - 1)) continue;
    const BrushPlacement placement = ReadBrushPlacement(BlockOf(text, start, end));
    const BrushTransform transform = PlacementTransform(placement);
    CornerSet& corners = brushes.emplace_back();
    PolygonRecord polygon;
    for (int p = start; ReadPolygon(text, p, polygon, false) && p < end;) {
      if (whole_transform) {
        TransformPolygon(polygon, transform);
      } else {
        VecTranslateAll(polygon.Vertices, placement.Location);
      }
      for (const Vector& v : polygon.Vertices) corners.insert(Snapped(v));
    }
  }
  return brushes;
}

// How many of all brush corners are also a corner of another brush.
struct CornerCount {
  std::size_t shared = 0;
  std::size_t total = 0;
  void Add(const CornerCount& other) {
    shared += other.shared;
    total += other.total;
  }
  double Share() const {
    return total == 0 ? 0 : static_cast<double>(shared) / static_cast<double>(total);
  }
};

CornerCount SharedCorners(const std::vector<CornerSet>& brushes) {
  std::map<GridPoint, int> brushes_at;
  CornerCount count;
  for (const CornerSet& corners : brushes) {
    count.total += corners.size();
    for (const GridPoint& corner : corners) ++brushes_at[corner];
  }
  for (const CornerSet& corners : brushes) {
    for (const GridPoint& corner : corners) count.shared += brushes_at[corner] > 1 ? 1 : 0;
  }
  return count;
}

std::string Percent(const CornerCount& count) {
  return NumberText(std::round(count.Share() * 1000) / 10) + " %";
}

// Levels whose brushes are mostly neither turned, scaled nor pivoted meet about as well either
// way (no level may meet worse); over the whole corpus the transforms must make far more
// corners meet.
TEST(BrushCorners, TransformsMakeCorpusBrushesMeet) {
  CORPUS_LEVELS_OR_SKIP(levels);
  CornerCount all_located;
  CornerCount all_placed;
  for (const std::filesystem::path& level : levels) {
    SCOPED_TRACE(level.filename().string());
    const std::string text = ReadFileText(level.string());
    const CornerCount located = SharedCorners(PlacedBrushCorners(text, false));
    const CornerCount placed = SharedCorners(PlacedBrushCorners(text, true));
    const std::string name = level.stem().string();
    RecordProperty(name + "_location_only", Percent(located));
    RecordProperty(name + "_transformed", Percent(placed));
    std::cout << name << ": corners meeting another brush: location only " << Percent(located)
              << ", transformed " << Percent(placed) << "\n";
    EXPECT_GE(placed.shared, located.shared);
    all_located.Add(located);
    all_placed.Add(placed);
  }
  std::cout << "corpus: location only " << Percent(all_located) << ", transformed "
            << Percent(all_placed) << "\n";
  EXPECT_GE(all_placed.Share(), kRequiredGain * all_located.Share());
}

}  // namespace
}  // namespace brushwright
