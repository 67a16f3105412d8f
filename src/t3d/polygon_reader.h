// Reads one "Begin Polygon" .. "End Polygon" block of a brush into a record.
#pragma once

#include <cstdint>
#include <string_view>

#include "level/level.h"

namespace brushwright {

// The flags value of a "Flags=" or "PolyFlags=" number: its magnitude rounded half to even;
// huge magnitudes and infinity saturate at INT64_MAX, NaN gives 0.
std::int64_t FlagsFromNumber(double value);

// Reads the next polygon at or after `pos` into `record` (which the caller keeps and reuses:
// a polygon without "Texture=" keeps the previous Flags and is marked FlagsOfPrevious). With
// texture_only, only Texture and Flags change and `pos` moves to just after "End Polygon"'s first
// character. Returns false, `pos` unmoved, when no "Vertex" or no "End Polygon" follows: the
// caller's loop then ends.
bool ReadPolygon(std::string_view text, int& pos, PolygonRecord& record, bool texture_only);
// Reads the "Vertex" lines before the next "End Polygon" into `vertices` and moves `pos`
// just past "End Polygon". Used by ReadPolygon.
bool ReadPolygonVertices(std::string_view text, int& pos, VertexList& vertices);

}  // namespace brushwright
