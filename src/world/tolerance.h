// The world builder's one tolerance, and every distance derived from it.
#pragma once

namespace brushwright {

// A point this close to a plane lies on it: levels are built on a grid of whole units and
// written with six decimals, so real contacts agree far closer and real gaps are far wider.
inline constexpr double kWorldTolerance = 0.01;

// A point this close to a plane lies on it.
inline constexpr double kOnPlaneDistance = kWorldTolerance;
// Planes this close in offset are one plane.
inline constexpr double kSameOffset = kWorldTolerance;
// Corners closer than this are one corner, and positions one position: the classification
// cannot tell them apart either.
inline constexpr double kSameCornerDistance = kWorldTolerance;
inline constexpr double kWeldDistance = kWorldTolerance;
// A polygon or brush thinner than this has no inside the tolerance can see.
inline constexpr double kThinnest = kWorldTolerance;
// A corner this close to the line through its neighbours is straight, and a position this close
// to an edge lies on it.
inline constexpr double kOnEdgeDistance = kWorldTolerance;
// A face narrower than this is no more than the error of its corners: each lies within a
// tolerance of its planes and moves by up to a tolerance when welded, so two corners erring away
// from each other, on both sides of a face, make one this wide out of nothing.
inline constexpr double kSliverWidth = 2 * (kOnPlaneDistance + kWeldDistance);
// Where a band of a nearly parallel fragment ends is a cut, not a contact: corners closer to it
// than this (rounding, far below the tolerance) count as on it, so no sliver is cut off.
inline constexpr double kBandEdgeDistance = kWorldTolerance * 1e-4;

}  // namespace brushwright
