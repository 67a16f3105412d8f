// Reads what a run writes with a real OBJ reader (tinyobjloader) and checks it against the input.
#include "run/conversion_run.h"

#include <gtest/gtest.h>
#include <tiny_obj_loader.h>

#include <cmath>
#include <string>
#include <vector>

#include "fake_host.h"
#include "level_text.h"
#include "support/test_inputs.h"

namespace {

using brushwright::RunConversion;
using brushwright::RunOutcome;
using namespace brushwright::testing;

struct Point {
  double x, y, z;
};

std::string Triple(const Point& p) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "%+013.6f,%+013.6f,%+013.6f", p.x, p.y, p.z);
  return buffer;
}

struct Face {
  std::string texture;
  std::vector<Point> corners;
};

struct Brush {
  std::string tag;
  Point location;
  std::vector<Face> faces;
};

std::vector<Brush> SampleBrushes() {
  return {
      {"Floor",
       {0, 0, -64},
       {{"Ground", {{0, 0, 0}, {256, 0, 0}, {256, 256, 0}, {0, 256, 0}}},
        {"Ground", {{0, 0, 0}, {0, 256, 0}, {-128, 128, 0}}}}},
      {"Pillar",
       {512, -256, 0},
       {{"Stone", {{0, 0, 0}, {0, 0, 128}, {32, 0, 128}, {32, 0, 0}}},
        {"", {{1, 2, 3}, {4, 5, 6}, {7, 8, 10}}},
        {"Metal", {{0, 0, 0}, {16, 16, 0}, {0, 32, 0}, {-16, 16, 0}, {-8, 0, 0}}}}},
      {"Roof", {-40.5, 17.25, 300}, {{"Stone", {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}}}},
  };
}

std::string SampleLevel(const std::vector<Brush>& brushes) {
  std::vector<std::string> actors;
  int n = 0;
  for (const Brush& brush : brushes) {
    BrushSpec actor = MakeBrush("Brush" + std::to_string(n++), "CSG_Add", brush.tag);
    actor.location = "(X=" + std::to_string(brush.location.x) +
                     ",Y=" + std::to_string(brush.location.y) +
                     ",Z=" + std::to_string(brush.location.z) + ")";
    actor.polygons.clear();
    for (const Face& face : brush.faces) {
      PolygonSpec polygon{face.texture};
      polygon.vertices.clear();
      for (const Point& p : face.corners) polygon.vertices.push_back(Triple(p));
      actor.polygons.push_back(polygon);
    }
    actors.push_back(BrushText(actor));
  }
  return LevelText(actors);
}

TEST(ObjReader, LoadsPositionsCoordinatesFacesAndMaterialsOfAMultiBrushLevel) {
  const std::vector<Brush> brushes = SampleBrushes();
  TempDir dir("tinyobj");
  FakeHost host;
  host.options.InputFile = dir / "level.t3d";
  host.options.OutputFile = dir / "level.obj";
  WriteBytes(host.options.InputFile, WithCrLf(SampleLevel(brushes)));
  ASSERT_EQ(Convert(host).Outcome, RunOutcome::Done);

  tinyobj::ObjReaderConfig config;
  config.triangulate = false;
  config.mtl_search_path = dir.path().string();
  tinyobj::ObjReader reader;
  ASSERT_TRUE(reader.ParseFromFile(host.options.OutputFile, config)) << reader.Error();
  const auto& attrib = reader.GetAttrib();
  const auto& shapes = reader.GetShapes();
  const auto& materials = reader.GetMaterials();

  std::vector<std::string> material_names;
  for (const auto& m : materials) material_names.push_back(m.name);
  EXPECT_EQ(material_names, (std::vector<std::string>{"Ground0", "Stone0", "Metal0"}));
  EXPECT_EQ(materials[0].diffuse_texname, "Ground.BMP");

  ASSERT_EQ(shapes.size(), brushes.size());
  std::size_t corner_total = 0;
  std::string current_material;
  for (std::size_t b = 0; b < brushes.size(); ++b) {
    SCOPED_TRACE(brushes[b].tag);
    const auto& mesh = shapes[b].mesh;
    EXPECT_EQ(shapes[b].name, brushes[b].tag);
    ASSERT_EQ(mesh.num_face_vertices.size(), brushes[b].faces.size());
    std::size_t index = 0;
    for (std::size_t f = 0; f < brushes[b].faces.size(); ++f) {
      const Face& face = brushes[b].faces[f];
      const std::size_t n = face.corners.size();
      ASSERT_EQ(mesh.num_face_vertices[f], n);
      const int material = mesh.material_ids[f];
      // A face without texture writes no "usemtl": OBJ readers carry the last one forward.
      if (!face.texture.empty()) current_material = face.texture + "0";
      EXPECT_EQ(material < 0 ? std::string() : materials[material].name, current_material);
      for (std::size_t k = 0; k < n; ++k) {
        // Corners run V0, Vn-1, ..., V1: the mirror (Y negated) keeps the faces facing out.
        const Point& p = face.corners[(n - k) % n];
        const tinyobj::index_t idx = mesh.indices[index++];
        EXPECT_EQ(idx.vertex_index, static_cast<int>(corner_total));
        EXPECT_EQ(idx.texcoord_index, static_cast<int>(corner_total));
        ++corner_total;
        const float* v = &attrib.vertices[3 * static_cast<std::size_t>(idx.vertex_index)];
        EXPECT_FLOAT_EQ(v[0], static_cast<float>(p.x + brushes[b].location.x));
        EXPECT_FLOAT_EQ(v[1], static_cast<float>(-(p.y + brushes[b].location.y)));
        EXPECT_FLOAT_EQ(v[2], static_cast<float>(p.z + brushes[b].location.z));
      }
    }
  }
  EXPECT_EQ(attrib.vertices.size(), 3 * corner_total);
  EXPECT_EQ(attrib.texcoords.size(), 2 * corner_total);
  // TextureU (1,0,0), TextureV (0,1,0) on a 256-texel texture: u = x / 256 after the mirror.
  EXPECT_FLOAT_EQ(attrib.texcoords[2], 0.0f);  // Floor V3 = (0, 256, 0) on its own origin
}

// Every real level in the corpus converts, with report, into files an OBJ reader loads.
TEST(ObjReader, LoadsEveryCorpusLevel) {
  CORPUS_LEVELS_OR_SKIP(levels);
  for (const std::filesystem::path& level : levels) {
    SCOPED_TRACE(level.filename().string());
    TempDir dir("corpus");
    FakeHost host;
    host.options.InputFile = level.string();
    host.options.OutputFile = dir / (level.stem().string() + ".obj");
    host.options.Report = true;
    const auto summary = Convert(host);
    ASSERT_EQ(summary.Outcome, RunOutcome::Done);
    tinyobj::ObjReaderConfig config;
    config.triangulate = false;
    config.mtl_search_path = dir.path().string();
    tinyobj::ObjReader reader;
    ASSERT_TRUE(reader.ParseFromFile(host.options.OutputFile, config)) << reader.Error();
    std::size_t faces = 0;
    for (const auto& shape : reader.GetShapes()) faces += shape.mesh.num_face_vertices.size();
    EXPECT_EQ(faces, static_cast<std::size_t>(summary.FacesConverted));
    EXPECT_TRUE(std::filesystem::exists(dir / (level.stem().string() + ".txt")));
  }
}

}  // namespace
