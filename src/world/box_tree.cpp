// Builds the bounding-volume tree by median splits and answers box queries.
#include "world/box_tree.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <tuple>

namespace brushwright {

// Leaves hold this many boxes at most: testing a few boxes is cheaper than another level.
constexpr std::size_t kLeafSize = 4;
// Deeper than any tree of up to 2^60 boxes built by median splits.
constexpr std::size_t kMostDepth = 64;

namespace {

double Centre(const Box& box, int axis) {
  if (axis == 0) return box.Min.X + box.Max.X;
  if (axis == 1) return box.Min.Y + box.Max.Y;
  return box.Min.Z + box.Max.Z;
}

// The axis along which the centres of the boxes items[begin, end) spread most.
int WidestAxis(const std::vector<Box>& boxes, const std::vector<std::int32_t>& items,
               std::size_t begin, std::size_t end) {
  double low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
  for (int axis = 0; axis < 3; ++axis) {
    for (std::size_t i = begin; i < end; ++i) {
      const double c = Centre(boxes[static_cast<std::size_t>(items[i])], axis);
      low[axis] = i == begin ? c : std::min(low[axis], c);
      high[axis] = i == begin ? c : std::max(high[axis], c);
    }
  }
  int widest = 0;
  for (int axis = 1; axis < 3; ++axis) {
    if (high[axis] - low[axis] > high[widest] - low[widest]) widest = axis;
  }
  return widest;
}

}  // namespace

BoxTree::BoxTree(const std::vector<Box>& boxes) : boxes_(boxes) {
  if (boxes.empty()) return;
  items_.resize(boxes.size());
  std::iota(items_.begin(), items_.end(), 0);
  struct Range {
    std::size_t node, begin, end;
  };
  nodes_.emplace_back();
  std::vector<Range> work{{0, 0, boxes.size()}};
  while (!work.empty()) {
    const Range range = work.back();
    work.pop_back();
    Box bounds = boxes[static_cast<std::size_t>(items_[range.begin])];
    for (std::size_t i = range.begin; i < range.end; ++i)
      Enclose(bounds, boxes[static_cast<std::size_t>(items_[i])]);
    nodes_[range.node].Bounds = bounds;
    if (range.end - range.begin <= kLeafSize) {
      nodes_[range.node].First = static_cast<std::int32_t>(range.begin);
      nodes_[range.node].Count = static_cast<std::int32_t>(range.end - range.begin);
      continue;
    }
    // Median split; ties broken by index so every run builds the same tree.
    const int axis = WidestAxis(boxes, items_, range.begin, range.end);
    const std::size_t middle = range.begin + (range.end - range.begin) / 2;
    const auto before = [&](std::int32_t a, std::int32_t b) {
      return std::make_tuple(Centre(boxes[static_cast<std::size_t>(a)], axis), a) <
             std::make_tuple(Centre(boxes[static_cast<std::size_t>(b)], axis), b);
    };
    std::nth_element(items_.begin() + static_cast<std::ptrdiff_t>(range.begin),
                     items_.begin() + static_cast<std::ptrdiff_t>(middle),
                     items_.begin() + static_cast<std::ptrdiff_t>(range.end), before);
    const std::size_t children = nodes_.size();
    nodes_[range.node].First = static_cast<std::int32_t>(children);
    nodes_.emplace_back();
    nodes_.emplace_back();
    work.push_back({children, range.begin, middle});
    work.push_back({children + 1, middle, range.end});
  }
}

void BoxTree::Meeting(const Box& box, std::vector<std::int32_t>& found) const {
  found.clear();
  if (nodes_.empty()) return;
  // Median splits keep the depth at the logarithm of the count: a fixed stack suffices.
  std::array<std::int32_t, 2 * kMostDepth> stack;
  std::size_t size = 0;
  stack[size++] = 0;
  while (size > 0) {
    const Node& node = nodes_[static_cast<std::size_t>(stack[--size])];
    if (!BoxesMeet(node.Bounds, box)) continue;
    if (node.Count == 0) {
      stack[size++] = node.First;
      stack[size++] = node.First + 1;
      continue;
    }
    for (std::int32_t i = 0; i < node.Count; ++i) {
      const std::int32_t item = items_[static_cast<std::size_t>(node.First + i)];
      if (BoxesMeet(boxes_[static_cast<std::size_t>(item)], box)) found.push_back(item);
    }
  }
  std::sort(found.begin(), found.end());
}

}  // namespace brushwright
