// The OBJ writer with the textures phase before it: bytes of whole faces, texture coordinates,
// the preview outline and overflows.
#include "run/obj_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "fake_host.h"
#include "level_text.h"
#include "run/brush_choice.h"
#include "run/face_choice.h"
#include "run/mesh_build.h"
#include "run/mesh_textures.h"
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

// Stands in for the texture files: every texture it knows has a picture of its given size.
class SizedTextures : public TextureSource {
 public:
  explicit SizedTextures(std::map<std::string, std::pair<int, int>> sizes)
      : sizes_(std::move(sizes)) {}
  std::optional<FoundTexture> Find(const std::string& name, bool) override {
    const auto it = sizes_.find(name);
    if (it == sizes_.end()) return std::nullopt;
    FoundTexture found;
    found.Where = name;
    found.Picture.Width = it->second.first;
    found.Picture.Height = it->second.second;
    return found;
  }

 private:
  std::map<std::string, std::pair<int, int>> sizes_;
};

// The OBJ bytes, after the header, of the faces converted in order as one brush, every texture
// with a picture of width x height.
std::string ConvertAll(FakeHost& host, std::vector<PolygonRecord> faces, int width, int height,
                       bool w3d = false) {
  BrushChoice choice;
  choice.Brushes.emplace_back().Polygons = std::move(faces);
  RunOptions options;
  Mesh mesh = BuildBrushMesh(choice, FaceChoice(options, 1), true).Faces;
  TextureSources sources;
  sources.push_back(std::make_unique<SizedTextures>(std::map<std::string, std::pair<int, int>>{
      {"Rock", {width, height}}, {"Brick", {width, height}}}));
  FindTextures(mesh, sources, host, TexturePhase{});
  TempDir dir;
  const std::string obj_path = (dir / "room.obj");
  {
    OutputFiles out;
    WriteObj(out, obj_path, dir / "room.mtl", mesh, w3d);
    out.Flush();
  }
  return ReadBytes(obj_path).substr(ObjHeaderText("room.mtl").size() + 2);
}

// The error a one-face brush numbered `face_number` stops with; "" when none.
std::string ErrorOf(const PolygonRecord& face, std::int32_t face_number) {
  TempDir dir;
  FakeHost host;
  std::vector<PolygonRecord> faces(static_cast<std::size_t>(face_number - 1),
                                   FlatFace("Rock", {{0, 0, 0}}));
  faces.push_back(face);
  try {
    ConvertAll(host, faces, 256, 256);
  } catch (const BrushError& error) {
    return error.what();
  }
  return "";
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

TEST(WriteObj, FirstFaceOfTheFileIsWrittenMirroredAndReversed) {
  FakeHost host;
  const std::string obj =
      ConvertAll(host, {FlatFace("Rock", {{0, 0, 0}, {64, 0, 0}, {64, 32, 0}})}, 256, 256);
  EXPECT_EQ(Visible(obj), Visible("v  0 0 0\r\n"
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
  EXPECT_EQ(host.Entries("line:"), (std::vector<std::string>{"0,0,64,32", "64,32,64,0"}));
  EXPECT_EQ(host.Entries("move:"), (std::vector<std::string>{"0,0"}));
}

TEST(WriteObj, PanIsAddedInWholeTexelsWithTheDividendsSign) {
  FakeHost host;
  PolygonRecord face = FlatFace("Rock", {{0, 0, 0}, {64, 0, 0}, {64, 32, 0}});
  face.Pan = {-10, 300, 0};
  const std::string obj = ConvertAll(host, {face}, 256, 128);
  EXPECT_EQ(Visible(obj), Visible("v  0 0 0\r\n"
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

TEST(WriteObj, WallTexelsRunAlongItsOwnAxes) {
  FakeHost host;
  PolygonRecord wall;
  wall.Texture = "Brick";
  wall.Flags = 32768;
  wall.Normal = {1, 0, 0};
  wall.TextureU = {0, 1, 0};
  wall.TextureV = {0, 0, -1};
  wall.Vertices = {{0, 10, -20}};
  const std::string obj = ConvertAll(host, {wall}, 256, 256);
  EXPECT_EQ(Visible(obj), Visible("v  0 -10 -20\r\n"
                                  "\r\n"
                                  "vt  0.0390625 0.921875\r\n"
                                  "\r\n"
                                  "usemtl Brick32768\r\n"
                                  "f  1/1\r\n"
                                  "\r\n"));
}

TEST(WriteObj, FollowingFacesContinueTheIndexesAndUntexturedOnesSelectNoMaterial) {
  FakeHost host;
  const std::string obj =
      ConvertAll(host,
                 {FlatFace("", {{0, 0, 0}, {64, 0, 0}, {64, 64, 0}, {0, 64, 0}}),
                  FlatFace("Rock", {{0, 0, 8}, {64, 0, 8}, {64, 64, 8}})},
                 0, 0);
  EXPECT_EQ(Visible(obj), Visible("v  0 0 0\r\n"
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
}

TEST(WriteObj, W3DRotatesPositionsButNotTextureCoordinates) {
  FakeHost host;
  const std::string obj = ConvertAll(host, {FlatFace("Rock", {{1, 0, 3}})}, 256, 256, true);
  EXPECT_EQ(Visible(obj), Visible("v  1 3 -5.51091059616309E-16\r\n"
                                  "\r\n"
                                  "vt  0.00390625 1\r\n"
                                  "\r\n"
                                  "usemtl Rock0\r\n"
                                  "f  1/1\r\n"
                                  "\r\n"));
}

TEST(WriteObj, FlatTextureAxisReusesThePreviousMatrix) {
  // Without any earlier matrix every vertex gets the pan-only coordinates.
  FakeHost host;
  PolygonRecord face = FlatFace("Rock", {{10, 20, 0}, {30, 40, 0}});
  face.TextureU = {0, 0, 1};
  face.Pan = {64, 0, 0};
  const std::string alone = ConvertAll(host, {face}, 256, 256);
  EXPECT_NE(alone.find("\r\nvt  0.25 1\r\nvt  0.25 1\r\n"), std::string::npos) << Visible(alone);

  // After a face with a matrix, that matrix (here the identity) carries over.
  FakeHost after;
  PolygonRecord first = FlatFace("Rock", {{0, 0, 0}});
  face.Pan = {0, 0, 0};
  const std::string both = ConvertAll(after, {first, face}, 256, 256);
  EXPECT_NE(both.find("\r\nvt  0.0390625 0.921875\r\nvt  0.1171875 0.84375\r\n"), std::string::npos)
      << Visible(both);
}

TEST(WriteObj, NonFiniteNumbersAndHugePansStopTheRunNamingTheFace) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Row {
    const char* name;
    PolygonRecord face;
  };
  PolygonRecord infinite_vertex = FlatFace("Rock", {{inf, 0, 0}});
  PolygonRecord overflowing_texels = FlatFace("Rock", {{1e308, 0, 0}});
  overflowing_texels.TextureU = {1e10, 0, 0};
  PolygonRecord huge_pan = FlatFace("Rock", {{0, 0, 0}});
  huge_pan.Pan = {3e9, 0, 0};
  const Row rows[] = {{"infinite vertex", infinite_vertex},
                      {"overflowing texels", overflowing_texels},
                      {"pan outside 32 bits", huge_pan}};
  for (const Row& row : rows) {
    const std::string error = ErrorOf(row.face, 12);
    EXPECT_NE(error.find("face 12"), std::string::npos) << row.name << ": " << error;
  }
}

}  // namespace
}  // namespace brushwright
