// The synthetic levels every benchmark reads: one per variant and size, made once per program.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "level_generator.h"

namespace brushwright {

// Faces of the 1x level; 8x (32,000) stays below the run's 16-bit face limit.
inline constexpr std::int32_t kFacesPerUnit = 4000;

// The level of `scale` x kFacesPerUnit faces, generated on first use and kept.
const std::string& BenchLevel(LevelVariant variant, std::int64_t scale);

// Registers the argument grid variant x {1, 8} under the names "variant" and "scale".
void VariantAndScaleArgs(benchmark::internal::Benchmark* bench);

}  // namespace brushwright
