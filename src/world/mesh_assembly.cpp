// Welds, merges and repairs the visible fragments into the output mesh.
#include "world/mesh_assembly.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <utility>

#include "world/point_welder.h"
#include "world/tolerance.h"

namespace brushwright {

// Edge-search cubes hold a few points of a room and an edge crosses a few of them; their faces
// (at odd multiples of half this) fall on half units, never on a level's whole-unit grid.
constexpr double kEdgeCube = 97;
// Normals of one polygon's pieces agree this closely unless the polygon was cut into triangles
// for not being flat; only pieces of one plane are merged.
constexpr double kSameDirection = 1 - 1e-9;

namespace {

using Ring = std::vector<std::int32_t>;

struct Face {
  std::int32_t brush = 0;
  std::int32_t polygon = 0;
  Vector normal;  // the direction the face is seen from
  Ring corners;
};

Ring WeldedRing(const VisibleFragment& fragment, PointWelder& welder) {
  Ring ring;
  for (const Vector& v : fragment.Piece.Vertices) {
    const std::int32_t index = welder.Weld(v);
    if (ring.empty() || ring.back() != index) ring.push_back(index);
  }
  while (ring.size() > 1 && ring.back() == ring.front()) ring.pop_back();
  if (fragment.Reversed) std::reverse(ring.begin(), ring.end());
  return ring;
}

const Vector& At(const std::vector<Vector>& points, std::int32_t index) {
  return points[static_cast<std::size_t>(index)];
}

// The signed distance by which corner b bulges out of the chord from a to c (positive: convex
// for a face seen from `normal`), and whether it turns back on itself.
bool IsStraightOrConvex(const Vector& a, const Vector& b, const Vector& c, const Vector& normal,
                        bool& straight) {
  const Vector in = VecSubtract(b, a), out = VecSubtract(c, b);
  const double chord = VecLength(VecSubtract(c, a));
  const double bulge = Dot(VecCross(in, out), normal);
  straight = std::fabs(bulge) <= kOnEdgeDistance * chord && Dot(in, out) > 0;
  return straight || bulge > kOnEdgeDistance * chord;
}

bool IsConvexRing(const Ring& ring, const std::vector<Vector>& points, const Vector& normal) {
  const std::size_t n = ring.size();
  for (std::size_t i = 0; i < n; ++i) {
    bool straight = false;
    if (!IsStraightOrConvex(At(points, ring[(i + n - 1) % n]), At(points, ring[i]),
                            At(points, ring[(i + 1) % n]), normal, straight))
      return false;
  }
  return true;
}

// The union of two faces sharing the edge a-b (a to b in `first`, b to a in `second`) when it is
// convex and has no repeated corner.
bool MergedAlong(const Ring& first, const Ring& second, std::size_t i, const Vector& normal,
                 const std::vector<Vector>& points, Ring& merged) {
  const std::size_t nf = first.size(), ns = second.size();
  const std::int32_t a = first[i], b = first[(i + 1) % nf];
  const auto at_b = std::find(second.begin(), second.end(), b);
  const std::size_t j = static_cast<std::size_t>(at_b - second.begin());
  if (at_b == second.end() || second[(j + 1) % ns] != a) return false;
  merged.clear();
  for (std::size_t k = 1; k <= nf; ++k) merged.push_back(first[(i + k) % nf]);  // b .. a
  for (std::size_t k = 2; k < ns; ++k)
    merged.push_back(second[(j + k) % ns]);  // after a .. before b
  Ring sorted = merged;
  std::sort(sorted.begin(), sorted.end());
  if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return false;
  return IsConvexRing(merged, points, normal);
}

std::uint64_t EdgeKey(std::int32_t from, std::int32_t to) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(from)) << 32) |
         static_cast<std::uint32_t>(to);
}

void ForEachEdge(const Ring& ring, const auto& call) {
  for (std::size_t i = 0; i < ring.size(); ++i) call(i, ring[i], ring[(i + 1) % ring.size()]);
}

// Merges the faces [begin, end) (pieces of one polygon) pairwise along shared edges, greedily
// in their order; merged-away faces lose their corners.
void MergeGroup(std::vector<Face>& faces, std::size_t begin, std::size_t end,
                const std::vector<Vector>& points) {
  std::unordered_map<std::uint64_t, std::size_t> owner;
  for (std::size_t f = begin; f < end; ++f)
    ForEachEdge(faces[f].corners,
                [&](std::size_t, std::int32_t a, std::int32_t b) { owner[EdgeKey(a, b)] = f; });
  Ring merged;
  for (std::size_t f = begin; f < end; ++f) {
    bool grew = true;
    while (grew && !faces[f].corners.empty()) {
      grew = false;
      for (std::size_t i = 0; i < faces[f].corners.size() && !grew; ++i) {
        const Ring& ring = faces[f].corners;
        const auto found = owner.find(EdgeKey(ring[(i + 1) % ring.size()], ring[i]));
        if (found == owner.end() || found->second == f) continue;
        Face& other = faces[found->second];
        if (other.corners.empty() || Dot(other.normal, faces[f].normal) < kSameDirection ||
            !MergedAlong(ring, other.corners, i, faces[f].normal, points, merged))
          continue;
        for (const Ring* old : {&faces[f].corners, &other.corners})
          ForEachEdge(*old, [&](std::size_t, std::int32_t a, std::int32_t b) {
            owner.erase(EdgeKey(a, b));
          });
        faces[f].corners = merged;
        other.corners.clear();
        ForEachEdge(merged,
                    [&](std::size_t, std::int32_t a, std::int32_t b) { owner[EdgeKey(a, b)] = f; });
        grew = true;
      }
    }
  }
}

// Drops corners that lie on the line through their neighbours (a merge leaves them where the
// pieces met); the T-junction repair puts back the ones a neighbour needs.
void DropStraightCorners(Ring& ring, const std::vector<Vector>& points, const Vector& normal) {
  for (std::size_t i = 0; ring.size() > 3 && i < ring.size();) {
    const std::size_t n = ring.size();
    bool straight = false;
    IsStraightOrConvex(At(points, ring[(i + n - 1) % n]), At(points, ring[i]),
                       At(points, ring[(i + 1) % n]), normal, straight);
    if (straight) {
      ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(i));
      if (i > 0) --i;
    } else {
      ++i;
    }
  }
}

// The two corners of a ring that lie farthest apart, and how far its farthest corner lies off the
// line through them.
struct Extent {
  std::int32_t from = -1, to = -1;
  double width = 0;
};

Extent ExtentOf(const Ring& ring, const std::vector<Vector>& points) {
  Extent extent;
  double longest = -1;
  for (std::size_t i = 0; i < ring.size(); ++i) {
    for (std::size_t j = i + 1; j < ring.size(); ++j) {
      const Vector d = VecSubtract(At(points, ring[j]), At(points, ring[i]));
      if (Dot(d, d) > longest) longest = Dot(d, d), extent.from = ring[i], extent.to = ring[j];
    }
  }
  if (!(longest > 0)) return extent;
  const Vector axis = VecSubtract(At(points, extent.to), At(points, extent.from));
  for (const std::int32_t c : ring) {
    const Vector off = VecCross(axis, VecSubtract(At(points, c), At(points, extent.from)));
    extent.width = std::max(extent.width, std::sqrt(Dot(off, off) / longest));
  }
  return extent;
}

// Whether a ring may be narrower than kSliverWidth. A polygon lies within its width on either
// side of the line through its farthest corners, so its area is at most twice its diameter (no
// more than half its perimeter) times its width: the area over the perimeter bounds the width
// from below. Saves the search for the farthest corners on almost every face.
bool MayBeNarrow(const Ring& ring, const std::vector<Vector>& points) {
  Vector twice_area;
  double perimeter = 0;
  ForEachEdge(ring, [&](std::size_t, std::int32_t a, std::int32_t b) {
    twice_area = VecAdd(twice_area, VecCross(At(points, a), At(points, b)));
    perimeter += VecLength(VecSubtract(At(points, b), At(points, a)));
  });
  return !(VecLength(twice_area) >= 2 * kSliverWidth * perimeter);
}

// Positions welded into others: each one's successor, ending at the one that stays.
class Aliases {
 public:
  explicit Aliases(std::size_t count) : next_(count) {
    for (std::size_t i = 0; i < count; ++i) next_[i] = static_cast<std::int32_t>(i);
  }
  std::int32_t Final(std::int32_t index) const {
    while (next_[static_cast<std::size_t>(index)] != index)
      index = next_[static_cast<std::size_t>(index)];
    return index;
  }
  // The later of the two becomes the earlier, as the welder keeps the earliest point.
  void Weld(std::int32_t a, std::int32_t b) {
    a = Final(a), b = Final(b);
    if (a != b) next_[static_cast<std::size_t>(std::max(a, b))] = std::min(a, b);
  }
  // The ring over the positions that stay, without repeats of one corner.
  Ring Welded(const Ring& ring) const {
    Ring welded;
    for (const std::int32_t c : ring) {
      const std::int32_t f = Final(c);
      if (welded.empty() || welded.back() != f) welded.push_back(f);
    }
    while (welded.size() > 1 && welded.back() == welded.front()) welded.pop_back();
    return welded;
  }

 private:
  std::vector<std::int32_t> next_;
};

// Welds away the edges shorter than kSliverWidth and the faces narrower than it, which the cuts
// and welds of a level leave where surfaces meet a hair apart. Positions that close together
// become one (the earliest); the corners of a face that is still that narrow move onto the line
// through its two farthest corners, so the face keeps no area and goes. Its neighbours share
// those positions, so they close up along that line (the T-junction repair puts the moved corners
// into the edges now through them). Positions move by about kSliverWidth at most.
void WeldSlivers(std::vector<Face>& faces, std::vector<Vector>& points) {
  Aliases aliases(points.size());
  // Positions of faces closer together than the sliver width become one, the earliest: between
  // them an edge, or a corner and an edge it would be put into, would be a sliver.
  std::vector<bool> used(points.size(), false);
  for (const Face& face : faces) {
    for (const std::int32_t c : face.corners) used[static_cast<std::size_t>(c)] = true;
  }
  PointWelder near(kSliverWidth,
                   static_cast<std::size_t>(std::count(used.begin(), used.end(), true)));
  std::vector<std::int32_t> first_of;  // the first position of each one `near` hands out
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (!used[i]) continue;
    const auto welded = static_cast<std::size_t>(near.Weld(points[i]));
    if (welded == first_of.size()) first_of.push_back(static_cast<std::int32_t>(i));
    aliases.Weld(first_of[welded], static_cast<std::int32_t>(i));
  }
  for (Face& face : faces) {
    if (face.corners.empty()) continue;
    Ring ring = aliases.Welded(face.corners);
    if (ring.size() < 3) {
      face.corners.clear();
      continue;
    }
    if (!MayBeNarrow(ring, points)) continue;
    const Extent extent = ExtentOf(ring, points);
    if (extent.width >= kSliverWidth) continue;
    face.corners.clear();
    const Vector from = At(points, extent.from);
    const Vector axis = VecSubtract(At(points, extent.to), from);
    for (const std::int32_t c : ring) {
      if (c == extent.from || c == extent.to) continue;
      const double t = Dot(VecSubtract(At(points, c), from), axis) / Dot(axis, axis);
      points[static_cast<std::size_t>(c)] = VecAdd(from, Scaled(axis, t));
    }
  }
  for (Face& face : faces) {
    if (face.corners.empty()) continue;
    face.corners = aliases.Welded(face.corners);
    if (face.corners.size() < 3) face.corners.clear();
  }
}

// Inserts into every edge the used positions that lie inside it.
void RepairTJunctions(std::vector<Face>& faces, const std::vector<Vector>& points) {
  // Only positions some face uses are candidates: `local` numbers them, `global` maps back.
  std::vector<std::int32_t> local(points.size(), -1), global;
  std::vector<Vector> used;
  for (const Face& face : faces) {
    for (const std::int32_t c : face.corners) {
      std::int32_t& number = local[static_cast<std::size_t>(c)];
      if (number >= 0) continue;
      number = static_cast<std::int32_t>(used.size());
      used.push_back(At(points, c));
      global.push_back(c);
    }
  }
  const PointGrid grid = EdgeGrid(used, kEdgeCube, kOnEdgeDistance);
  // Each edge is searched from its lower-numbered end, so the faces on both sides of it get the
  // very same corners.
  std::vector<std::int32_t> inner;
  for (Face& face : faces) {
    Ring repaired;
    ForEachEdge(face.corners, [&](std::size_t, std::int32_t a, std::int32_t b) {
      repaired.push_back(a);
      const std::int32_t low = std::min(a, b), high = std::max(a, b);
      CornersOnEdge(grid, used, local[static_cast<std::size_t>(low)],
                    local[static_cast<std::size_t>(high)], kOnEdgeDistance, inner);
      if (a != low) std::reverse(inner.begin(), inner.end());
      for (const std::int32_t c : inner) repaired.push_back(global[static_cast<std::size_t>(c)]);
    });
    face.corners = std::move(repaired);
  }
}

// Removes spikes, where a ring runs out to a corner and straight back along the same edge (the
// T-junction repair makes one where a corner of a face lies on the face's own next edge): they
// hold no area. A ring left with fewer than three corners is emptied.
void DropSpikes(Ring& ring) {
  for (std::size_t i = 0; ring.size() >= 3 && i < ring.size();) {
    const std::size_t n = ring.size();
    if (ring[(i + n - 1) % n] != ring[(i + 1) % n]) {
      ++i;
      continue;
    }
    // The tip and the repeated corner after it go; the one before the tip stays.
    const std::size_t after = (i + 1) % n;
    ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(std::max(i, after)));
    ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(std::min(i, after)));
    i = 0;
  }
  if (ring.size() < 3) ring.clear();
}

}  // namespace

void AssembleMesh(const std::vector<VisibleFragment>& fragments, WorldMesh& mesh) {
  PointWelder welder(kWeldDistance);
  std::vector<Face> faces;
  for (const VisibleFragment& fragment : fragments) {
    Ring ring = WeldedRing(fragment, welder);
    if (ring.size() < 3) continue;
    const Vector area = AreaVector(fragment.Piece.Vertices);
    const Vector normal = VecNormalize(fragment.Reversed ? Scaled(area, -1) : area);
    faces.push_back(Face{fragment.Brush, fragment.Piece.Polygon, normal, std::move(ring)});
  }
  std::vector<Vector> points = welder.Points();
  for (std::size_t begin = 0; begin < faces.size();) {
    std::size_t end = begin + 1;
    while (end < faces.size() && faces[end].brush == faces[begin].brush &&
           faces[end].polygon == faces[begin].polygon)
      ++end;
    if (end - begin > 1) MergeGroup(faces, begin, end, points);
    begin = end;
  }
  WeldSlivers(faces, points);
  for (Face& face : faces) {
    if (!face.corners.empty()) DropStraightCorners(face.corners, points, face.normal);
  }
  RepairTJunctions(faces, points);
  for (Face& face : faces) DropSpikes(face.corners);

  // Positions in order of first use.
  std::vector<std::int32_t> renumbered(points.size(), -1);
  for (Face& face : faces) {
    if (face.corners.size() < 3) continue;
    WorldFace& out = mesh.Faces.emplace_back();
    out.Brush = face.brush;
    out.Polygon = face.polygon;
    for (const std::int32_t c : face.corners) {
      std::int32_t& number = renumbered[static_cast<std::size_t>(c)];
      if (number < 0) {
        number = static_cast<std::int32_t>(mesh.Positions.size());
        mesh.Positions.push_back(points[static_cast<std::size_t>(c)]);
      }
      out.Corners.push_back(number);
    }
  }
}

}  // namespace brushwright
