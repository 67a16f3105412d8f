// The face converter: OBJ bytes of whole faces, texture coordinates, preview and overflows.
#include "run/face_converter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "fake_host.h"
#include "level_text.h"
#include "text/brush_error.h"

namespace brushwright {
namespace {

using testing::FakeHost;
using testing::ReadBytes;
using testing::TempDir;
using testing::Visible;

// A face lying in the X-Y plane with the texture axes along X and Y, as most floors are.
PolygonRecord FlatFace(const std::string& texture, VertexList vertices) {
  PolygonRecord polygon;
  polygon.Texture = texture;
  polygon.Normal = {0, 0, 1};
  polygon.TextureU = {1, 0, 0};
  polygon.TextureV = {0, 1, 0};
  polygon.Vertices = std::move(vertices);
  return polygon;
}

FaceConverterState FreshState() {
  FaceConverterState state;
  MatScale(state.MirrorMatrix, 1, -1, 1);
  return state;
}

// Converts the faces in order, all with the same image size, into a fresh OBJ file (without
// header) and returns its bytes.
struct Converted {
  std::string obj;
  FaceConverterState state;
};
Converted ConvertAll(FakeHost& host, std::vector<PolygonRecord> faces, std::int16_t width,
                     std::int16_t height, bool w3d = false) {
  TempDir dir;
  const std::string obj_path = (dir / "room.obj");
  Converted result{"", FreshState()};
  result.state.W3D = w3d;
  {
    OutputFiles out;
    std::int32_t face_number = 1;
    for (PolygonRecord& face : faces) {
      ConvertFace(host, out, obj_path, face, width, height, face_number++, result.state);
    }
    out.Flush();
  }
  result.obj = ReadBytes(obj_path);
  return result;
}

TEST(ObjHeaderText, NamesTheMaterialFileWithoutItsDirectory) {
  struct Row {
    const char* mtl_path;
    const char* expected;
  };
  const Row rows[] = {
      {"C:\\out\\hall.mtl", "#converted from Brushwright by Brushwright\r\nmtllib hall.mtl\r\n"},
      {"/tmp/out/room.mtl", "#converted from Brushwright by Brushwright\r\nmtllib room.mtl\r\n"},
      {"room.mtl", "#converted from Brushwright by Brushwright\r\nmtllib room.mtl\r\n"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Visible(ObjHeaderText(row.mtl_path)), Visible(row.expected)) << row.mtl_path;
  }
}

TEST(ConvertFace, FirstFaceOfTheFileIsWrittenMirroredAndReversed) {
  FakeHost host;
  const Converted result =
      ConvertAll(host, {FlatFace("Rock", {{0, 0, 0}, {64, 0, 0}, {64, 32, 0}})}, 256, 256);
  EXPECT_EQ(Visible(result.obj), Visible("v  0 0 0\r\n"
                                         "v  64 -32 0\r\n"
                                         "v  64 0 0\r\n"
                                         "\r\n"
                                         "vt  0 1\r\n"
                                         "vt  0.25 0.875\r\n"
                                         "vt  0.25 1\r\n"
                                         "\r\n"
                                         "usemtl Rock0\r\n"
                                         "f  1/1 2/2 3/3\r\n"
                                         "\r\n"));
  EXPECT_EQ(result.state.VertexBase, 4);
  EXPECT_EQ(host.Entries("progress:"),
            (std::vector<std::string>{"converting vertices", "processing texture", "saving verts",
                                      "adding faces"}));
  EXPECT_EQ(host.Entries("line:"), (std::vector<std::string>{"0,0,64,32", "64,32,64,0"}));
  EXPECT_EQ(host.Entries("move:"), (std::vector<std::string>{"0,0"}));
}

TEST(ConvertFace, PanIsAddedInWholeTexelsWithTheDividendsSign) {
  FakeHost host;
  PolygonRecord face = FlatFace("Rock", {{0, 0, 0}, {64, 0, 0}, {64, 32, 0}});
  face.Pan = {-10, 300, 0};
  const Converted result = ConvertAll(host, {face}, 256, 128);
  EXPECT_EQ(Visible(result.obj), Visible("v  0 0 0\r\n"
                                         "v  64 -32 0\r\n"
                                         "v  64 0 0\r\n"
                                         "\r\n"
                                         "vt  -0.0390625 0.65625\r\n"
                                         "vt  0.2109375 0.40625\r\n"
                                         "vt  0.2109375 0.65625\r\n"
                                         "\r\n"
                                         "usemtl Rock0\r\n"
                                         "f  1/1 2/2 3/3\r\n"
                                         "\r\n"));
}

TEST(ConvertFace, WallTexelsRunAlongItsOwnAxes) {
  FakeHost host;
  PolygonRecord wall;
  wall.Texture = "Brick";
  wall.Flags = 32768;
  wall.Normal = {1, 0, 0};
  wall.TextureU = {0, 1, 0};
  wall.TextureV = {0, 0, -1};
  wall.Vertices = {{0, 10, -20}};
  const Converted result = ConvertAll(host, {wall}, 256, 256);
  EXPECT_EQ(Visible(result.obj), Visible("v  0 -10 -20\r\n"
                                         "\r\n"
                                         "vt  0.0390625 0.921875\r\n"
                                         "\r\n"
                                         "usemtl Brick32768\r\n"
                                         "f  1/1\r\n"
                                         "\r\n"));
}

TEST(ConvertFace, FollowingFacesContinueTheIndexesAndUntexturedOnesSelectNoMaterial) {
  FakeHost host;
  const Converted result =
      ConvertAll(host,
                 {FlatFace("", {{0, 0, 0}, {64, 0, 0}, {64, 64, 0}, {0, 64, 0}}),
                  FlatFace("Rock", {{0, 0, 8}, {64, 0, 8}, {64, 64, 8}})},
                 0, 0);
  EXPECT_EQ(Visible(result.obj), Visible("v  0 0 0\r\n"
                                         "v  0 -64 0\r\n"
                                         "v  64 -64 0\r\n"
                                         "v  64 0 0\r\n"
                                         "\r\n"
                                         "vt  1 1\r\n"
                                         "vt  1 1\r\n"
                                         "vt  1 1\r\n"
                                         "vt  1 1\r\n"
                                         "\r\n"
                                         "f  1/1 2/2 3/3 4/4\r\n"
                                         "\r\n"
                                         "v  0 0 8\r\n"
                                         "v  64 -64 8\r\n"
                                         "v  64 0 8\r\n"
                                         "\r\n"
                                         "vt  1 1\r\n"
                                         "vt  1 1\r\n"
                                         "vt  1 1\r\n"
                                         "\r\n"
                                         "usemtl Rock0\r\n"
                                         "f  5/5 6/6 7/7\r\n"
                                         "\r\n"));
  EXPECT_EQ(result.state.VertexBase, 8);
}

TEST(ConvertFace, W3DRotatesPositionsButNotTextureCoordinates) {
  FakeHost host;
  const Converted result = ConvertAll(host, {FlatFace("Rock", {{1, 0, 3}})}, 256, 256, true);
  EXPECT_EQ(Visible(result.obj), Visible("v  1 3 -5.51091059616309E-16\r\n"
                                         "\r\n"
                                         "vt  0.00390625 1\r\n"
                                         "\r\n"
                                         "usemtl Rock0\r\n"
                                         "f  1/1\r\n"
                                         "\r\n"));
}

TEST(ConvertFace, FlatTextureAxisReusesThePreviousMatrix) {
  // Without any earlier matrix every vertex gets the pan-only coordinates.
  FakeHost host;
  PolygonRecord face = FlatFace("Rock", {{10, 20, 0}, {30, 40, 0}});
  face.TextureU = {0, 0, 1};
  face.Pan = {64, 0, 0};
  const Converted alone = ConvertAll(host, {face}, 256, 256);
  EXPECT_NE(alone.obj.find("\r\nvt  0.25 1\r\nvt  0.25 1\r\n"), std::string::npos)
      << Visible(alone.obj);

  // After a face with a matrix, that matrix (here the identity) carries over.
  FakeHost after;
  PolygonRecord first = FlatFace("Rock", {{0, 0, 0}});
  face.Pan = {0, 0, 0};
  const Converted both = ConvertAll(after, {first, face}, 256, 256);
  EXPECT_NE(both.obj.find("\r\nvt  0.0390625 0.921875\r\nvt  0.1171875 0.84375\r\n"),
            std::string::npos)
      << Visible(both.obj);
}

TEST(ConvertFace, NonFiniteNumbersStopTheRunNamingTheFace) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Row {
    const char* name;
    PolygonRecord face;
  };
  PolygonRecord infinite_vertex = FlatFace("Rock", {{inf, 0, 0}});
  PolygonRecord overflowing_texels = FlatFace("Rock", {{1e308, 0, 0}});
  overflowing_texels.TextureU = {1e10, 0, 0};
  const Row rows[] = {{"infinite vertex", infinite_vertex},
                      {"overflowing texels", overflowing_texels}};
  for (const Row& row : rows) {
    TempDir dir;
    FakeHost host;
    FaceConverterState state = FreshState();
    PolygonRecord face = row.face;
    try {
      OutputFiles out;
      ConvertFace(host, out, (dir / "room.obj"), face, 256, 256, 12, state);
      ADD_FAILURE() << row.name << ": no error";
    } catch (const BrushError& error) {
      EXPECT_NE(std::string(error.what()).find("face 12"), std::string::npos)
          << row.name << ": " << error.what();
    }
    const std::string obj = ReadBytes((dir / "room.obj"));
    EXPECT_EQ(obj.find("inf"), std::string::npos) << row.name << ": " << Visible(obj);
    EXPECT_EQ(obj.find("nan"), std::string::npos) << row.name << ": " << Visible(obj);
  }
}

TEST(ConvertFace, PanOutsideThe32BitRangeIsAnOverflow) {
  TempDir dir;
  FakeHost host;
  FaceConverterState state = FreshState();
  PolygonRecord face = FlatFace("Rock", {{0, 0, 0}});
  face.Pan = {3e9, 0, 0};
  OutputFiles out;
  try {
    ConvertFace(host, out, (dir / "room.obj"), face, 256, 256, 3, state);
    ADD_FAILURE() << "no error";
  } catch (const BrushError& error) {
    EXPECT_NE(std::string(error.what()).find("face 3"), std::string::npos) << error.what();
  }
}

TEST(ConvertFace, VertexIndexesStayInThe32BitRange) {
  const std::int32_t max = std::numeric_limits<std::int32_t>::max();
  TempDir dir;
  FakeHost host;
  const std::string obj_path = (dir / "room.obj");

  FaceConverterState last_fit = FreshState();
  last_fit.VertexBase = max - 3;
  {
    OutputFiles out;
    PolygonRecord face = FlatFace("", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}});
    ConvertFace(host, out, obj_path, face, 256, 256, 1, last_fit);
    out.Flush();
  }
  EXPECT_EQ(last_fit.VertexBase, max);
  const std::string obj = ReadBytes(obj_path);
  EXPECT_NE(obj.find("\r\nf  2147483644/2147483644 2147483645/2147483645 "
                     "2147483646/2147483646\r\n"),
            std::string::npos)
      << Visible(obj);

  FaceConverterState too_far = FreshState();
  too_far.VertexBase = max - 2;
  OutputFiles out;
  PolygonRecord face = FlatFace("", {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}});
  try {
    ConvertFace(host, out, (dir / "next.obj"), face, 256, 256, 9, too_far);
    ADD_FAILURE() << "no error";
  } catch (const BrushError& error) {
    EXPECT_NE(std::string(error.what()).find("face 9"), std::string::npos) << error.what();
  }
  EXPECT_EQ(too_far.VertexBase, max - 2);
}

}  // namespace
}  // namespace brushwright
