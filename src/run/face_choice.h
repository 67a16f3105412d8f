// Which faces of the taken brushes a run writes: the ignore switches, the start face and the
// invisible flag, counted for the summary.
#pragma once

#include <cstdint>

#include "level/level.h"
#include "run/built_mesh.h"
#include "run/run_options.h"

namespace brushwright {

// Why a face is not written: by the ignore switches, the start face or its invisible flag.
enum class IgnoreReason { None, Texture, BeforeStart, Invisible };

class FaceChoice {
 public:
  // `start_face` is the options' start face as a number.
  FaceChoice(const RunOptions& options, std::int32_t start_face)
      : options_(options), start_face_(start_face) {}

  // Why face `face_number`, with `flags` (its own, with its brush's for the world), is left out.
  IgnoreReason WhyIgnored(const PolygonRecord& polygon, std::int64_t flags,
                          std::int32_t face_number) const;
  IgnoreReason WhyIgnored(const std::string& texture, std::int64_t flags,
                          std::int32_t face_number) const;
  // Whether the face is written; a face left out is counted by its reason.
  bool Takes(const PolygonRecord& polygon, std::int64_t flags, std::int32_t face_number,
             BuildCounts& counts) const;
  // The same for a face known by its texture reference alone (a surface of the level's build).
  bool Takes(const std::string& texture, std::int64_t flags, std::int32_t face_number,
             BuildCounts& counts) const;

 private:
  const RunOptions& options_;
  std::int32_t start_face_;
};

}  // namespace brushwright
