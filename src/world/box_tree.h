// A bounding-volume tree over the brushes' boxes, so a face meets only the brushes near it.
#pragma once

#include <cstdint>
#include <vector>

#include "world/plane_split.h"

namespace brushwright {

class BoxTree {
 public:
  explicit BoxTree(const std::vector<Box>& boxes);

  // The indices of the boxes that meet `box` (within the plane tolerance), in increasing order.
  void Meeting(const Box& box, std::vector<std::int32_t>& found) const;

 private:
  // A leaf holds Count items from items_[First]; an inner node (Count 0) has its two children
  // at nodes_[First] and nodes_[First + 1].
  struct Node {
    Box Bounds;
    std::int32_t First = 0;
    std::int32_t Count = 0;
  };
  std::vector<Box> boxes_;
  std::vector<Node> nodes_;
  std::vector<std::int32_t> items_;
};

}  // namespace brushwright
