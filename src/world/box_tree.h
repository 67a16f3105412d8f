// A bounding-volume tree over boxes, so a face or an edge meets only the brushes or points near it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "world/plane_split.h"

namespace brushwright {

class BoxTree {
 public:
  // Deeper than any tree of up to 2^60 boxes built by median splits.
  static constexpr std::size_t kMostDepth = 64;

  explicit BoxTree(const std::vector<Box>& boxes);

  // The indices of the boxes that meet `box` (within the plane tolerance), in increasing order.
  void Meeting(const Box& box, std::vector<std::int32_t>& found) const;

  const Box& BoxOf(std::int32_t index) const { return boxes_[static_cast<std::size_t>(index)]; }

  // Calls visit(index) for every box in a subtree whose bounds pass `enter(bounds)`; the order
  // is the tree's, so callers sort what they keep.
  template <typename Enter, typename Visit>
  void Walk(const Enter& enter, const Visit& visit) const {
    if (nodes_.empty()) return;
    // Median splits keep the depth at the logarithm of the count: a fixed stack suffices.
    std::array<std::int32_t, 2 * kMostDepth> stack;
    std::size_t size = 0;
    stack[size++] = 0;
    while (size > 0) {
      const Node& node = nodes_[static_cast<std::size_t>(stack[--size])];
      if (!enter(node.Bounds)) continue;
      if (node.Count > 0) {
        for (std::int32_t i = 0; i < node.Count; ++i)
          visit(items_[static_cast<std::size_t>(node.First + i)]);
      } else {
        stack[size++] = node.First;
        stack[size++] = node.First + 1;
      }
    }
  }

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
