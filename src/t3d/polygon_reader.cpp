// Reads the texture, flags, texture axes and vertices of one brush polygon from a T3D text.
#include "t3d/polygon_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "t3d/text_position.h"
#include "t3d/value_readers.h"
#include "text/key_readers.h"
#include "text/number_text.h"

namespace brushwright {

namespace {

// The keys that frame a polygon block and its vertex lines; their lengths set the positions
// just past them.
constexpr std::string_view kBeginPolygon = "Begin Polygon";
constexpr std::string_view kEndPolygon = "End Polygon";
constexpr std::string_view kVertex = "Vertex";
constexpr std::string_view kPan = "Pan";
// 2^63 as a double: the first magnitude an int64 cannot hold, so larger flags saturate.
constexpr double kInt64Bound = 9223372036854775808.0;

// Texture and Flags from the polygon's own "Begin Polygon" line (or from `pos` when no such
// line starts before the polygon end), so a brush's "PolyFlags=" is never taken for them.
void ReadTextureAndFlags(std::string_view text, int pos, int polygon_end, PolygonRecord& record) {
  int from = pos;
  if (polygon_end > 1) {
    const int begin = FindInRange(text, kBeginPolygon, pos, polygon_end - 1);
    if (begin != 0) from = begin;
  }
  if (polygon_end == 0 || !KeyInRange(text, "Texture=", from, polygon_end)) {
    record.Texture.clear();  // Flags keep the previous polygon's value
    record.FlagsOfPrevious = true;
    return;
  }
  record.FlagsOfPrevious = false;
  record.Texture = ReadKeyValue(text, "Texture=", from, polygon_end);
  record.Flags = FlagsFromNumber(NumberValue(ReadKeyValue(text, "Flags=", from, polygon_end)));
}

// The number of the word after `component_key` when that key begins after "Pan" and before the
// polygon end; 0 otherwise. `word_end` is left where the word ended.
double PanComponent(std::string_view text, int after_pan, int polygon_end,
                    std::string_view component_key, int& word_end) {
  const int found = FindInRange(text, component_key, after_pan, polygon_end - 1);
  if (found == 0) return 0;
  word_end = found + TextLength(component_key);
  return NumberValue(GetNextWord(text, word_end));
}

// Pan from a "Pan U=.. V=.." line that begins before the polygon end; (0, 0, 0) and `pos`
// unmoved otherwise. `pos` then lies where the "V=" word ended.
Vector ReadPan(std::string_view text, int& pos, int polygon_end) {
  Vector pan;
  if (polygon_end <= 1) return pan;
  const int found = FindInRange(text, kPan, pos, polygon_end - 1);
  if (found == 0) return pan;
  const int after_pan = found + TextLength(kPan);
  int u_end = 0;
  int v_end = 0;
  pan.X = PanComponent(text, after_pan, polygon_end, "U=", u_end);
  pan.Y = PanComponent(text, after_pan, polygon_end, "V=", v_end);
  if (v_end != 0) pos = v_end;
  return pan;
}

// Whether any "Vertex" begins at or after `from`. The polygon's own lines are searched first;
// only a polygon without a vertex of its own makes the search go on past its end.
bool VertexFollows(std::string_view text, int from, int polygon_end) {
  if (polygon_end > 1 && FindInRange(text, kVertex, from, polygon_end - 1) != 0) return true;
  return FindFrom(text, kVertex, std::max(from, polygon_end)) != 0;
}

}  // namespace

std::int64_t FlagsFromNumber(double value) {
  const double magnitude = std::fabs(value);
  if (std::isnan(magnitude)) return 0;
  if (!(magnitude < kInt64Bound)) return std::numeric_limits<std::int64_t>::max();
  double rounded = std::round(magnitude);
  if (rounded - magnitude == 0.5) rounded -= std::fmod(rounded, 2.0);  // tie: to the even one
  if (!(rounded < kInt64Bound)) return std::numeric_limits<std::int64_t>::max();
  return static_cast<std::int64_t>(rounded);
}

bool ReadPolygon(std::string_view text, int& pos, PolygonRecord& record, bool texture_only) {
  const int start = AtLeastOne(pos);
  const int polygon_end = FindFrom(text, kEndPolygon, start);
  ReadTextureAndFlags(text, start, polygon_end, record);
  // Without a "Vertex" or an "End Polygon" ahead there is no polygon left; stopping here also
  // keeps the caller's loop from ever going back to the start of the text.
  if (polygon_end == 0 || !VertexFollows(text, start, polygon_end)) return false;
  const int after_end = polygon_end + TextLength(kEndPolygon);
  if (texture_only) {
    pos = polygon_end + 1;
    return true;
  }
  // The triple keys are read in the editor's line order and only within this polygon: a
  // polygon lacking one gets (0, 0, 0) rather than another polygon's values, and the search
  // never runs past its own block.
  const std::string_view own = text.substr(0, static_cast<std::size_t>(polygon_end - 1));
  int read_pos = start;
  record.Origin = ReadCommaVector(own, read_pos, "Origin");
  record.Normal = ReadCommaVector(own, read_pos, "Normal");
  record.Pan = ReadPan(text, read_pos, polygon_end);
  record.TextureU = ReadCommaVector(own, read_pos, "TextureU");
  record.TextureV = ReadCommaVector(own, read_pos, "TextureV");
  // A triple that lacks a number reads on into the next line and may swallow the polygon's
  // last "Vertex" key; the read then fails and, as promised, leaves `pos` where it was.
  if (!ReadPolygonVertices(text, read_pos, record.Vertices)) return false;
  pos = after_end;
  return true;
}

bool ReadPolygonVertices(std::string_view text, int& pos, VertexList& vertices) {
  vertices.assign(1, Vector{});
  pos = AtLeastOne(pos);
  // Found once: a "Vertex" belongs to the polygon when it begins before this end.
  const int end = FindFrom(text, kEndPolygon, pos);
  if (end == 0) return false;
  if (!VertexFollows(text, pos, end)) return false;
  int vertex = FindInRange(text, kVertex, pos, end - 1);
  std::size_t count = 0;
  while (vertex != 0 && vertex < end) {
    pos = vertex + TextLength(kVertex);
    const Vector point = ReadTriple(text, pos);
    if (count == 0) {
      vertices[0] = point;
    } else {
      vertices.push_back(point);
    }
    ++count;
    vertex = pos < end ? FindInRange(text, kVertex, pos, end - 1) : 0;
  }
  pos = end + TextLength(kEndPolygon);
  return true;
}

}  // namespace brushwright
