// Shadow rays: whether anything of a triangle set lies between two points, through a
// bounding-volume tree over the triangles.
#pragma once

#include <cstdint>
#include <vector>

#include "vecmath/vecmath.h"

namespace brushwright {

struct Triangle {
  Vector A;
  Vector B;
  Vector C;
};

class ShadowCaster {
 public:
  // Builds the tree; triangles without area are left out (they shade nothing).
  explicit ShadowCaster(std::vector<Triangle> triangles);

  // Whether a triangle crosses the segment from `from` to `to`, its two ends (within a
  // thousandth of the segment) excepted, so that a ray leaving a surface does not meet the
  // surface itself. Either side of a triangle blocks.
  bool Blocked(const Vector& from, const Vector& to) const;
  // The same, trying triangle `hint` first (none when negative) and leaving in it the triangle
  // that blocked, if any: neighbouring rays toward one light mostly meet the same triangle.
  bool Blocked(const Vector& from, const Vector& to, std::int32_t& hint) const;

  std::size_t TriangleCount() const { return triangles_.size(); }

 private:
  struct Bounds {
    Vector Low;
    Vector High;
  };
  // A leaf holds Count triangles from triangles_[First]; an inner node (Count 0) has its
  // children at nodes_[First] and nodes_[First + 1].
  struct Node {
    Bounds Box;
    std::int32_t First = 0;
    std::int32_t Count = 0;
  };
  void Split(std::size_t node, std::vector<Vector>& centres, int depth);

  std::vector<Triangle> triangles_;
  std::vector<Node> nodes_;
};

}  // namespace brushwright
