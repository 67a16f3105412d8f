// Readers on the broken texts the fuzzers found: each case once crashed, hung or broke a
// reader's promise.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "t3d/polygon_reader.h"

namespace {

using brushwright::PolygonRecord;
using brushwright::ReadPolygon;

// A triple short of a number reads on into the next line; when that swallows the polygon's
// only "Vertex" key and no vertex follows, the read fails and the position stays put.
TEST(ReaderRegression, FailedPolygonReadLeavesThePositionAlone) {
  struct Row {
    const char* name;
    std::string text;
  };
  const std::vector<Row> rows = {
      {"origin short of a number",
       "Begin Polygon Texture=Rock Flags=0\n   Origin   +00000.000000,+00000.000000\n"
       "   Vertex   +00064.000000,+00032.000000,+00000.000000\nEnd Polygon\n"},
      {"normal short of two numbers",
       "Begin Polygon\r\n   Normal   +00001.000000\r\n   Vertex   1,2,3\r\nEnd Polygon\r\n"},
  };
  for (const Row& row : rows) {
    for (const bool texture_only : {false, true}) {
      SCOPED_TRACE(std::string(row.name) + (texture_only ? ", texture only" : ""));
      PolygonRecord record;
      int pos = 1;
      const bool read = ReadPolygon(row.text, pos, record, texture_only);
      if (read) {
        EXPECT_GT(pos, 1);
      } else {
        EXPECT_EQ(pos, 1);
      }
      // The caller's loop ends: a second read from where the first left never succeeds.
      if (read) {
        EXPECT_FALSE(ReadPolygon(row.text, pos, record, texture_only));
      }
    }
  }
}

}  // namespace
