// Splits a closed brush into convex cells: one cell when convex, else a solid-leaf BSP tree.
#include "world/convex_cells.h"
#include "world/tolerance.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace brushwright {

// Two unit normals this close in direction describe one plane: they come from corners written
// with six decimals, which agree to about 1e-12.
constexpr double kSameDirection = 1 - 1e-9;
// Splitters tried per tree node: enough to find a good one, few enough to keep large brushes
// quadratic at worst.
constexpr std::size_t kSplitterCandidates = 16;
// A split costs more than an uneven tree: pieces multiply the classifier's work.
constexpr std::size_t kSplitWeight = 8;
// A brush whose tree exceeds this many pieces per face (plus a floor for small brushes) is
// not a shape an editor makes; it is handled as broken rather than built slowly.
constexpr std::size_t kMostPiecesPerFace = 64;
constexpr std::size_t kFewestPiecesAllowed = 4096;

namespace {

void AddPlane(std::vector<Plane>& planes, const Plane& plane) {
  for (const Plane& known : planes) {
    if (Dot(known.Normal, plane.Normal) > kSameDirection &&
        std::fabs(known.Distance - plane.Distance) <= kSameOffset)
      return;
  }
  planes.push_back(plane);
}

bool IsConvexBrush(const std::vector<Fragment>& faces, const std::vector<Plane>& planes) {
  for (const Plane& plane : planes) {
    for (const Fragment& face : faces) {
      const SideOfPlane side = PolygonSide(plane, face.Vertices);
      if (side == SideOfPlane::Front || side == SideOfPlane::Spanning) return false;
    }
  }
  return true;
}

// The fragment whose plane splits fewest others and divides most evenly; the first of equals.
std::size_t ChooseSplitter(const std::vector<Fragment>& faces, const std::vector<Plane>& planes) {
  const std::size_t step =
      faces.size() > kSplitterCandidates ? faces.size() / kSplitterCandidates : 1;
  std::size_t best = 0, best_score = SIZE_MAX;
  for (std::size_t c = 0; c < faces.size(); c += step) {
    const Plane& plane = planes[static_cast<std::size_t>(faces[c].Polygon)];
    std::size_t front = 0, back = 0, split = 0;
    for (const Fragment& face : faces) {
      const SideOfPlane side = PolygonSide(plane, face.Vertices);
      front += side == SideOfPlane::Front ? 1 : 0;
      back += side == SideOfPlane::Back ? 1 : 0;
      split += side == SideOfPlane::Spanning ? 1 : 0;
    }
    const std::size_t score = split * kSplitWeight + (front > back ? front - back : back - front);
    if (score < best_score) {
      best = c;
      best_score = score;
    }
  }
  return best;
}

// A node of the tree under construction: faces still to place (Polygon = index of the face's
// plane) and the planes of the node's region so far.
struct Node {
  std::vector<Fragment> faces;
  std::vector<Plane> region;
};

// Sorts the faces but the chosen splitter to the front and back of it, splitting those that
// span it, and drops those on it; returns how many faces were split. The splitter is placed
// even if rounding puts it off its own plane: every node places a face, so the tree ends.
std::size_t Partition(const std::vector<Fragment>& faces, std::size_t chosen, const Plane& splitter,
                      std::vector<Fragment>& front, std::vector<Fragment>& back) {
  std::size_t split = 0;
  Fragment front_piece, back_piece;
  for (std::size_t f = 0; f < faces.size(); ++f) {
    if (f == chosen) continue;
    switch (SplitFragment(faces[f], splitter, front_piece, back_piece)) {
      case SideOfPlane::Front:
        front.push_back(faces[f]);
        break;
      case SideOfPlane::Back:
        back.push_back(faces[f]);
        break;
      case SideOfPlane::On:
        break;
      case SideOfPlane::Spanning:
        front.push_back(std::move(front_piece));
        back.push_back(std::move(back_piece));
        ++split;
        break;
    }
  }
  return split;
}

}  // namespace

bool ConvexCells(const std::vector<Fragment>& faces, const std::vector<Plane>& planes,
                 std::vector<ConvexCell>& cells) {
  cells.clear();
  if (IsConvexBrush(faces, planes)) {
    ConvexCell& cell = cells.emplace_back();
    for (const Plane& plane : planes) AddPlane(cell.Planes, plane);
    return true;
  }
  std::vector<Node> work(1);
  for (std::size_t f = 0; f < faces.size(); ++f)
    work[0].faces.push_back(Fragment{static_cast<std::int32_t>(f), faces[f].Vertices});
  const std::size_t most_pieces = kMostPiecesPerFace * faces.size() + kFewestPiecesAllowed;
  std::size_t pieces = faces.size();
  while (!work.empty()) {
    Node node = std::move(work.back());
    work.pop_back();
    const std::size_t chosen = ChooseSplitter(node.faces, planes);
    const Plane splitter = planes[static_cast<std::size_t>(node.faces[chosen].Polygon)];
    Node front{{}, node.region};
    Node back{{}, node.region};
    pieces += Partition(node.faces, chosen, splitter, front.faces, back.faces);
    if (pieces > most_pieces) return false;
    // Behind the last face on a path lies the brush's inside; in front of it, the outside.
    AddPlane(front.region, Flipped(splitter));
    AddPlane(back.region, splitter);
    if (!front.faces.empty()) work.push_back(std::move(front));
    if (back.faces.empty()) {
      cells.push_back(ConvexCell{std::move(back.region)});
    } else {
      work.push_back(std::move(back));
    }
  }
  return true;
}

void KeepWithin(const Box& box, std::vector<ConvexCell>& cells) {
  for (ConvexCell& cell : cells) {
    for (const Plane& side : {Plane{{1, 0, 0}, box.Max.X}, Plane{{-1, 0, 0}, -box.Min.X},
                              Plane{{0, 1, 0}, box.Max.Y}, Plane{{0, -1, 0}, -box.Min.Y},
                              Plane{{0, 0, 1}, box.Max.Z}, Plane{{0, 0, -1}, -box.Min.Z}})
      AddPlane(cell.Planes, side);
  }
}

}  // namespace brushwright
