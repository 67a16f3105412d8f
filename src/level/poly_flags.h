// The polygon flag bits the program reads, as the engines define them; a brush's PolyFlags use
// the same bits.
#pragma once

#include <cstdint>

namespace brushwright {

inline constexpr std::int64_t kPolyFlagInvisible = 1;         // never drawn, but it cuts and fills
inline constexpr std::int64_t kPolyFlagMasked = 2;            // palette index 0 / alpha cuts holes
inline constexpr std::int64_t kPolyFlagTranslucent = 4;       // blended over what lies behind
inline constexpr std::int64_t kPolyFlagNotSolid = 8;          // a brush that cuts nothing
inline constexpr std::int64_t kPolyFlagSemisolid = 32;        // a brush that fills but cuts nothing
inline constexpr std::int64_t kPolyFlagFakeBackdrop = 128;    // a window onto the sky, not lit
inline constexpr std::int64_t kPolyFlagTwoSided = 256;        // seen from both sides
inline constexpr std::int64_t kPolyFlagNoSmooth = 2048;       // texels drawn without filtering
inline constexpr std::int64_t kPolyFlagUnlit = 4194304;       // drawn at full brightness
inline constexpr std::int64_t kPolyFlagMirrored = 134217728;  // a mirror: written shiny

}  // namespace brushwright
