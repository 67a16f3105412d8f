// Classifies each face against the brushes near it, later brushes first, then earlier ones.
//
// For a face of solid brush i with outward normal n, a piece is visible exactly when (1) no
// later solid brush holds it (its closed region: a later face on the same plane takes the
// surface over, whichever way it faces) and (2) the point just in front of it, after the
// brushes before i, is empty for an additive brush and solid for a subtractive one. Sheets
// need (1) and empty space on both sides before them; semisolid faces need the point in front
// empty after all solid brushes. The earlier brushes are asked from the latest back: the first
// whose cells hold the point in front decides it; none leaves it solid. Where a face of a later
// semisolid brush lies flush on a face and is seen from the same side, only the later face is
// written, as (1) does for solid brushes; semisolid brushes count as later than all solid ones.
#include "world/face_classifier.h"

#include <cmath>
#include <utility>

namespace brushwright {

// Planes closer in direction than this (about half a degree) are one surface turned by
// rounding: over a face of a few hundred units, such a turn leaves bands of whole units within
// the plane tolerance.
constexpr double kNearlyParallel = 0.99995;

namespace {

// What a fragment is tested for: its face's normal and, when it asks about the point just off
// its face, the direction of that point (none: whether the closed cell holds it).
struct Question {
  Vector Normal;
  const Vector* Probe = nullptr;
};

// Splits `fragment` by the convex cell: appends the parts outside it to `outside` and returns
// whether a part lies inside (given in `inside`). A fragment on one of the cell's planes is
// inside that plane for the closed cell, else when the probe points behind the plane. A face
// nearly parallel to a plane is on it wherever it lies within the tolerance, which for a long
// face turned by rounding is a wide band, not a line: it is cut where that band ends. A fragment
// the cell does not hold is appended whole, never in pieces.
bool ClipByCell(const Fragment& fragment, const ConvexCell& cell, const Question& question,
                std::vector<Fragment>& outside, Fragment& inside) {
  const std::size_t mark = outside.size();
  const Fragment* rest = &fragment;
  Fragment front, back, kept;
  for (const Plane& plane : cell.Planes) {
    const bool on_inside = question.Probe == nullptr || Dot(*question.Probe, plane.Normal) < 0;
    const bool parallel = std::fabs(Dot(question.Normal, plane.Normal)) > kNearlyParallel;
    const SideOfPlane side = parallel ? SplitAtBandEdge(*rest, plane, on_inside, front, back)
                                      : SplitFragment(*rest, plane, front, back);
    if (side == SideOfPlane::Front || (side == SideOfPlane::On && !on_inside)) {
      outside.resize(mark);
      outside.push_back(fragment);
      return false;
    }
    if (side == SideOfPlane::Spanning) {
      outside.push_back(std::move(front));
      kept = std::move(back);
      rest = &kept;
    }
  }
  inside = *rest;
  return true;
}

// Splits every fragment by the union of the cells, which lie within `bounds`: the parts outside
// stay in `fragments`, the parts inside are handed to inside(fragment).
template <typename Inside>
void SplitByCells(const std::vector<ConvexCell>& cells, const Box& bounds, const Question& question,
                  std::vector<Fragment>& fragments, const Inside& inside) {
  std::vector<Fragment> outside;
  Fragment held;
  for (const ConvexCell& cell : cells) {
    outside.clear();
    for (const Fragment& fragment : fragments) {
      if (!BoxesMeet(BoundsOf(fragment.Vertices), bounds)) {
        outside.push_back(fragment);
      } else if (ClipByCell(fragment, cell, question, outside, held)) {
        inside(std::move(held));
      }
    }
    std::swap(fragments, outside);
    if (fragments.empty()) return;
  }
}

template <typename Inside>
void SplitByBrush(const PreparedBrush& brush, const Question& question,
                  std::vector<Fragment>& fragments, const Inside& inside) {
  SplitByCells(brush.Cells, brush.Bounds, question, fragments, inside);
}

// The prism standing on a convex face: the points whose foot on the face's plane lies in it.
ConvexCell Outline(const Fragment& face, const Vector& normal) {
  ConvexCell outline;
  const VertexList& v = face.Vertices;
  for (std::size_t i = 0; i < v.size(); ++i) {
    // The face winds counter-clockwise about its normal: edge x normal points out of it.
    const Vector out = VecCross(VecSubtract(v[(i + 1) % v.size()], v[i]), normal);
    const double length = VecLength(out);
    if (length > 0)
      outline.Planes.push_back(Plane{Scaled(out, 1 / length), Dot(out, v[i]) / length});
  }
  return outline;
}

std::vector<Box> BoundsOfBrushes(const std::vector<PreparedBrush>& brushes,
                                 const std::vector<std::int32_t>& indices) {
  std::vector<Box> boxes;
  for (const std::int32_t index : indices)
    boxes.push_back(brushes[static_cast<std::size_t>(index)].Bounds);
  return boxes;
}

std::vector<std::int32_t> BrushesWithRole(const std::vector<PreparedBrush>& brushes, BrushRole role,
                                          BrushRole other_role) {
  std::vector<std::int32_t> found;
  for (std::size_t i = 0; i < brushes.size(); ++i) {
    if (brushes[i].Role == role || brushes[i].Role == other_role)
      found.push_back(static_cast<std::int32_t>(i));
  }
  return found;
}

}  // namespace

FaceClassifier::FaceClassifier(const std::vector<PreparedBrush>& brushes)
    : brushes_(brushes),
      solid_(BrushesWithRole(brushes, BrushRole::Add, BrushRole::Subtract)),
      tree_(BoundsOfBrushes(brushes, solid_)),
      semisolid_(BrushesWithRole(brushes, BrushRole::Semisolid, BrushRole::Semisolid)),
      semisolid_tree_(BoundsOfBrushes(brushes, semisolid_)) {}

void FaceClassifier::RemoveInsideLater(std::int32_t brush, const Vector& normal,
                                       std::vector<Fragment>& fragments) const {
  for (const std::int32_t later : near_) {
    if (later <= brush) continue;
    SplitByBrush(brushes_[static_cast<std::size_t>(later)], Question{normal}, fragments,
                 [](Fragment&&) {});
    if (fragments.empty()) return;
  }
}

void FaceClassifier::RemoveFlushSemisolid(std::int32_t brush, std::size_t face,
                                          std::vector<Fragment>& fragments) {
  const PreparedBrush& prepared = brushes_[static_cast<std::size_t>(brush)];
  const Plane& plane = prepared.Planes[face];
  // The faces of a subtractive brush are seen from behind their plane.
  const Vector seen_from =
      prepared.Role == BrushRole::Subtract ? Scaled(plane.Normal, -1) : plane.Normal;
  semisolid_tree_.Meeting(BoundsOf(prepared.Faces[face].Vertices), near_semisolid_);
  for (const std::int32_t index : near_semisolid_) {
    const std::int32_t later = semisolid_[static_cast<std::size_t>(index)];
    if (prepared.Role == BrushRole::Semisolid && later <= brush) continue;
    const PreparedBrush& other = brushes_[static_cast<std::size_t>(later)];
    for (std::size_t g = 0; g < other.Faces.size() && !fragments.empty(); ++g) {
      const Fragment& cover = other.Faces[g];
      if (Dot(other.Planes[g].Normal, seen_from) < kNearlyParallel ||
          PolygonSide(plane, cover.Vertices) != SideOfPlane::On)
        continue;
      SplitByCells({Outline(cover, other.Planes[g].Normal)}, BoundsOf(cover.Vertices),
                   Question{plane.Normal}, fragments, [](Fragment&&) {});
    }
  }
}

void FaceClassifier::KeepWhere(const std::vector<std::int32_t>& deciders, const Vector& probe,
                               State wanted, std::vector<Fragment>& fragments) const {
  std::vector<Fragment> undecided;
  std::swap(undecided, fragments);
  for (auto it = deciders.rbegin(); it != deciders.rend() && !undecided.empty(); ++it) {
    const PreparedBrush& decider = brushes_[static_cast<std::size_t>(*it)];
    const State state = decider.Role == BrushRole::Add ? State::Solid : State::Empty;
    SplitByBrush(decider, Question{probe, &probe}, undecided, [&](Fragment&& held) {
      if (state == wanted) fragments.push_back(std::move(held));
    });
  }
  // The world starts solid.
  if (wanted == State::Solid) {
    for (Fragment& fragment : undecided) fragments.push_back(std::move(fragment));
  }
}

void FaceClassifier::AddVisibleFragments(std::int32_t brush,
                                         std::vector<VisibleFragment>& visible) {
  const PreparedBrush& prepared = brushes_[static_cast<std::size_t>(brush)];
  std::vector<std::int32_t> earlier;
  std::vector<Fragment> fragments;
  for (std::size_t f = 0; f < prepared.Faces.size(); ++f) {
    const Fragment& face = prepared.Faces[f];
    const Vector& normal = prepared.Planes[f].Normal;
    tree_.Meeting(BoundsOf(face.Vertices), near_);
    for (std::int32_t& index : near_) index = solid_[static_cast<std::size_t>(index)];
    earlier.clear();
    for (const std::int32_t index : near_) {
      if (index < brush) earlier.push_back(index);
    }
    fragments.assign(1, face);
    switch (prepared.Role) {
      case BrushRole::Add:
        RemoveInsideLater(brush, normal, fragments);
        KeepWhere(earlier, normal, State::Empty, fragments);
        break;
      case BrushRole::Subtract:
        RemoveInsideLater(brush, normal, fragments);
        KeepWhere(earlier, normal, State::Solid, fragments);
        break;
      case BrushRole::Sheet:
        RemoveInsideLater(brush, normal, fragments);
        KeepWhere(earlier, normal, State::Empty, fragments);
        KeepWhere(earlier, Scaled(normal, -1), State::Empty, fragments);
        break;
      case BrushRole::Semisolid:
        KeepWhere(near_, normal, State::Empty, fragments);
        break;
    }
    if (prepared.Role != BrushRole::Sheet && !semisolid_.empty() && !fragments.empty())
      RemoveFlushSemisolid(brush, f, fragments);
    for (Fragment& fragment : fragments)
      visible.push_back(
          VisibleFragment{brush, prepared.Role == BrushRole::Subtract, std::move(fragment)});
  }
}

}  // namespace brushwright
