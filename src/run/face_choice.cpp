// Which faces of the taken brushes a run writes.
#include "run/face_choice.h"

#include "level/poly_flags.h"

namespace brushwright {

namespace {

// The texture the editor gives a face nobody textured.
constexpr char kDefaultTexture[] = "DefaultTexture";

}  // namespace

IgnoreReason FaceChoice::WhyIgnored(const PolygonRecord& polygon, std::int64_t flags,
                                    std::int32_t face_number) const {
  return WhyIgnored(polygon.Texture, flags, face_number);
}

IgnoreReason FaceChoice::WhyIgnored(const std::string& texture, std::int64_t flags,
                                    std::int32_t face_number) const {
  if ((texture == kDefaultTexture && options_.IgnoreDefaultTexture) ||
      (texture.empty() && options_.IgnoreNoTexture)) {
    return IgnoreReason::Texture;
  }
  if (face_number < start_face_) return IgnoreReason::BeforeStart;
  // Invisible faces are never written.
  if ((flags & kPolyFlagInvisible) != 0) return IgnoreReason::Invisible;
  return IgnoreReason::None;
}

bool FaceChoice::Takes(const PolygonRecord& polygon, std::int64_t flags, std::int32_t face_number,
                       BuildCounts& counts) const {
  return Takes(polygon.Texture, flags, face_number, counts);
}

bool FaceChoice::Takes(const std::string& texture, std::int64_t flags, std::int32_t face_number,
                       BuildCounts& counts) const {
  switch (WhyIgnored(texture, flags, face_number)) {
    case IgnoreReason::None:
      return true;
    case IgnoreReason::Texture:
      ++counts.TextureSkipped;
      break;
    case IgnoreReason::BeforeStart:
      ++counts.BeforeStartFace;
      break;
    case IgnoreReason::Invisible:
      ++counts.InvisibleFaces;
      break;
  }
  return false;
}

}  // namespace brushwright
