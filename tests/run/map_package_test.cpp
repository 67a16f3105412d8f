// Whole runs on real map packages: a map converts as its T3D export does, its own build covers
// what the world built from its brushes covers, and a second-generation map's textures.
#include "run/conversion_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <string>

#include "fake_host.h"
#include "image/image_file.h"
#include "map/terrain_map.h"
#include "map/tiny_map.h"
#include "obj_text.h"
#include "run/summary_counts.h"
#include "support/test_files.h"
#include "support/test_inputs.h"

namespace brushwright::testing {
namespace {

const std::string kPackages = BRUSHWRIGHT_PACKAGES_DIR;
const std::string kTestMap = kPackages + "/test_map.unr";

#define SKIP_WITHOUT(file) \
  SKIP_IF_MISSING(std::filesystem::exists(file) ? "" : std::string("no ") + (file))

// One run's outputs: the OBJ file read back, the MTL and report texts and the summary's counts.
struct Outputs {
  ObjText obj;
  std::string mtl;
  std::string report;
  std::string counts;
  RunSummary summary;
};

Outputs ConvertFile(const std::string& input, const std::filesystem::path& folder,
                    RunOptions options) {
  FakeHost host;
  host.options = std::move(options);
  host.options.InputFile = input;
  host.options.OutputFile = (folder / "out.obj").string();
  host.options.Report = true;
  std::filesystem::create_directories(folder);
  Outputs out;
  out.summary = Convert(host);
  out.obj = ParseObj(ReadBytes(folder / "out.obj"));
  out.mtl = ReadBytes(folder / "out.mtl");
  out.report = ReadBytes(folder / "out.txt");
  out.counts = SummaryCounts(host.options, out.summary);
  return out;
}

// Texts equal word by word (commas and colons part words too), numbers within `tolerance`.
void ExpectSameWords(std::string a, std::string b, double tolerance) {
  for (std::string* text : {&a, &b})
    std::replace_if(
        text->begin(), text->end(), [](char c) { return c == ',' || c == ':'; }, ' ');
  std::istringstream words_a(a);
  std::istringstream words_b(b);
  std::string word_a;
  std::string word_b;
  while (words_a >> word_a) {
    ASSERT_TRUE(words_b >> word_b) << "ends before " << word_a;
    char* end = nullptr;
    const double number = std::strtod(word_a.c_str(), &end);
    if (end != word_a.c_str() && *end == '\0') {
      EXPECT_NEAR(number, std::stod(word_b), tolerance) << word_a << " / " << word_b;
    } else {
      EXPECT_EQ(word_a, word_b);
    }
  }
  EXPECT_FALSE(words_b >> word_b) << "goes on with " << word_b;
}

// The same groups, faces, materials and corners, positions within 0.01 units and texture
// coordinates within 1e-3 (the text holds six decimals).
void ExpectSameMesh(const ObjText& a, const ObjText& b) {
  EXPECT_EQ(a.groups, b.groups);
  ASSERT_EQ(a.faces.size(), b.faces.size());
  for (std::size_t f = 0; f < a.faces.size(); ++f) {
    const ObjFace& fa = a.faces[f];
    const ObjFace& fb = b.faces[f];
    SCOPED_TRACE("face " + std::to_string(f + 1));
    EXPECT_EQ(fa.group, fb.group);
    EXPECT_EQ(fa.material, fb.material);
    ASSERT_EQ(fa.positions.size(), fb.positions.size());
    for (std::size_t k = 0; k < fa.positions.size(); ++k) {
      const Vector& pa = a.positions[static_cast<std::size_t>(fa.positions[k])];
      const Vector& pb = b.positions[static_cast<std::size_t>(fb.positions[k])];
      EXPECT_LT(VecLength(VecSubtract(pa, pb)), 0.01);
      const auto& ta = a.coordinates[static_cast<std::size_t>(fa.coordinates[k])];
      const auto& tb = b.coordinates[static_cast<std::size_t>(fb.coordinates[k])];
      EXPECT_NEAR(ta.first, tb.first, 1e-3);
      EXPECT_NEAR(ta.second, tb.second, 1e-3);
    }
  }
}

// Each material's area, in square units.
std::map<std::string, double> AreaByMaterial(const ObjText& obj) {
  std::map<std::string, double> areas;
  for (const ObjFace& face : obj.faces) {
    Vector sum;
    const Vector& first = obj.positions[static_cast<std::size_t>(face.positions[0])];
    for (std::size_t i = 1; i + 1 < face.positions.size(); ++i) {
      sum = VecAdd(sum, VecCross(VecSubtract(obj.positions[face.positions[i]], first),
                                 VecSubtract(obj.positions[face.positions[i + 1]], first)));
    }
    areas[face.material] += VecLength(sum) / 2;
  }
  return areas;
}

TEST(MapPackage, ConvertsAsItsTextWithoutTheBrushAddedLater) {
  SKIP_WITHOUT(kTestMap);
  CORPUS_LEVELS_OR_SKIP(levels);
  // The text has Brush24, added after the map was saved: taken out, the two are one level.
  TempDir dir("map");
  std::string text = ReadBytes(std::string(BRUSHWRIGHT_CORPUS_DIR) + "/test_map.t3d");
  const std::size_t begin = text.find("Begin Actor Class=Brush Name=Brush24");
  ASSERT_NE(begin, std::string::npos);
  text.erase(begin, text.find("End Actor", begin) + 10 - begin);
  WriteBytes(dir / "test_map.t3d", text);
  for (const bool world : {false, true}) {
    SCOPED_TRACE(world ? "world" : "brushes");
    RunOptions options;
    options.BuildWorld = world;
    const Outputs from_text = ConvertFile(dir / "test_map.t3d", dir / "text", options);
    const Outputs from_map = ConvertFile(kTestMap, dir / "map", options);
    ExpectSameMesh(from_text.obj, from_map.obj);
    EXPECT_EQ(from_text.mtl, from_map.mtl);
    ExpectSameWords(from_text.report, from_map.report, 0.01);
    EXPECT_EQ(from_text.counts, from_map.counts);
    EXPECT_EQ(from_map.summary.FacesConverted, world ? 205 : 140);
  }
}

TEST(MapPackage, OwnBuildCoversWhatTheWorldOfItsBrushesCovers) {
  SKIP_WITHOUT(kTestMap);
  TempDir dir("built");
  RunOptions world;
  world.BuildWorld = true;
  RunOptions built;
  built.BuiltWorld = true;
  const Outputs csg = ConvertFile(kTestMap, dir / "world", world);
  const Outputs own = ConvertFile(kTestMap, dir / "built", built);
  EXPECT_EQ(own.counts,
            "faces 276, groups 40, materials 6, missing images 6, report blocks 9, surfaces 205");
  EXPECT_EQ(own.obj.groups, csg.obj.groups);
  // The editor built this map after its last change: each texture covers the same area.
  const auto csg_areas = AreaByMaterial(csg.obj);
  const auto own_areas = AreaByMaterial(own.obj);
  ASSERT_EQ(csg_areas.size(), own_areas.size());
  for (const auto& [material, area] : csg_areas) {
    EXPECT_NEAR(own_areas.at(material), area, 1e-6 * area) << material;
  }
}

TEST(MapPackage, SecondGenerationMapAndInputsWithoutABuild) {
  const std::string torpedo = kPackages + "/UWRM-Torpedo.ut2";
  SKIP_WITHOUT(torpedo);
  TempDir dir("ue2");
  const Outputs out = ConvertFile(torpedo, dir / "brushes", RunOptions{});
  EXPECT_EQ(out.counts, "faces 97, groups 17, materials 11, missing images 11, report blocks 69");
  // Textures are named by their path, as the second generation's export writes them.
  EXPECT_NE(out.mtl.find("newmtl Shiptech.Floors.flr02CSb0\r\n"), std::string::npos);

  FakeHost host;
  host.options.BuiltWorld = true;
  host.options.OutputFile = dir / "built.obj";
  const auto error = [&host](const std::string& input) {
    host.options.InputFile = input;
    try {
      Convert(host);
    } catch (const BrushError& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  // Its own build covers what the world built from its brushes covers, texture by texture
  // (within the little the two builds' cuts differ).
  EXPECT_EQ(error(torpedo), "");
  RunOptions world;
  world.BuildWorld = true;
  RunOptions built;
  built.BuiltWorld = true;
  const Outputs csg = ConvertFile(torpedo, dir / "world", world);
  const Outputs own = ConvertFile(torpedo, dir / "built", built);
  EXPECT_EQ(own.counts,
            "faces 190, groups 19, materials 17, missing images 16, report blocks 69, surfaces 97, "
            "static meshes 9 (2 read)");
  EXPECT_EQ(own.obj.groups, csg.obj.groups);
  const auto csg_areas = AreaByMaterial(csg.obj);
  const auto own_areas = AreaByMaterial(own.obj);
  ASSERT_EQ(csg_areas.size(), own_areas.size());
  for (const auto& [material, area] : csg_areas) {
    EXPECT_NEAR(own_areas.at(material), area, 1e-3 * area) << material;
  }
  WriteBytes(dir / "level.t3d", "Begin Map\r\nEnd Map\r\n");
  EXPECT_EQ(error(dir / "level.t3d"),
            "'" + dir / "level.t3d" +
                "' is T3D text, which holds no build of the level: convert the map package the "
                "editor saved (.unr) to write the level's own build");
}

TEST(MapPackage, OwnBuildOfAHandMadeMapAndTheBrushesLeftOut) {
  TempDir dir("tiny");
  const auto write = [&dir](const TinyMap& map) {
    const std::vector<std::uint8_t> bytes = map.Bytes();
    WriteBytes(dir / "Tiny.unr", std::string(bytes.begin(), bytes.end()));
  };
  FakeHost host;
  host.options.InputFile = dir / "Tiny.unr";
  host.options.OutputFile = dir / "Tiny.obj";
  host.options.BuiltWorld = true;
  write(TinyMap{});
  Convert(host);
  // One node on one surface of Brush1 (whose model names its group), its corners shared.
  EXPECT_EQ(Visible(ReadBytes(dir / "Tiny.obj")),
            Visible("#converted from Brushwright by Brushwright\r\nmtllib Tiny.mtl\r\n\r\n"
                    "v  0 0 0\r\nv  0 -64 0\r\nv  64 -64 0\r\nv  64 0 0\r\n\r\n"
                    "g Model1\r\nvt  0 1\r\nvt  0.25 1\r\nvt  0.25 0.75\r\nvt  0 0.75\r\n\r\n"
                    "usemtl Rock0\r\nf  1/1 4/2 3/3 2/4\r\n\r\n"));

  // Three surfaces, the second Invisible and the third Masked, their nodes' runs of the vertex
  // pool in the reverse order and the third's starting at another corner: the invisible one is
  // left out and counted, the masked one keeps its flag and its corners.
  TinyMap flagged;
  flagged.surface_flags = {0, 1, 2};
  write(flagged);
  const RunSummary summary = Convert(host);
  EXPECT_EQ(summary.InvisibleFaces, 1);
  EXPECT_EQ(summary.BuiltSurfaces, 2);
  EXPECT_EQ(Visible(ReadBytes(dir / "Tiny.obj")),
            Visible("#converted from Brushwright by Brushwright\r\nmtllib Tiny.mtl\r\n\r\n"
                    "v  0 0 0\r\nv  0 -64 0\r\nv  64 -64 0\r\nv  64 0 0\r\n\r\n"
                    "g Model1\r\nvt  0 1\r\nvt  0.25 1\r\nvt  0.25 0.75\r\nvt  0 0.75\r\n\r\n"
                    "usemtl Rock0\r\nf  1/1 4/2 3/3 2/4\r\n\r\n"
                    "vt  0.25 0.75\r\nvt  0 0.75\r\nvt  0 1\r\nvt  0.25 1\r\n\r\n"
                    "usemtl Rock2\r\nf  3/5 2/6 1/7 4/8\r\n\r\n"));

  TinyMap no_model;
  no_model.brush_has_model = false;
  write(no_model);
  host.log.clear();
  Convert(host);
  EXPECT_EQ(host.Entries("message:Brushes left out:"),
            std::vector<std::string>{"'" + dir / "Tiny.unr" +
                                     "': these brushes are left out:\r\nbrush 'Brush1': names no "
                                     "model"});
}

TEST(MapPackage, TerrainOfAHandMadeMapAndOfItsText) {
  TempDir dir("terrain");
  const auto write = [&dir](const TerrainMap& map) {
    const std::vector<std::uint8_t> bytes = map.Bytes();
    WriteBytes(dir / "maps/Hills.ut2", std::string(bytes.begin(), bytes.end()));
  };
  std::filesystem::create_directories(dir / "maps");
  write(TerrainMap{});
  FakeHost host;
  host.options.InputFile = dir / "maps/Hills.ut2";
  host.options.OutputFile = dir / "Hills.obj";
  host.options.BuildWorld = true;
  host.options.TextureType = "PNG";
  RunSummary summary = Convert(host);
  EXPECT_EQ(SummaryCounts(host.options, summary),
            "faces 10, groups 1, materials 1, missing images 0, report blocks 0, fragments 0");
  // Centred on the actor, heights about 32768 at Scale.Z / 256 units each, Y mirrored.
  const std::string obj = ReadBytes(dir / "Hills.obj");
  const std::size_t faces = obj.find("\r\ng TerrainInfo0\r\n");
  ASSERT_NE(faces, std::string::npos);
  EXPECT_EQ(Visible(obj.substr(0, faces)),
            Visible("#converted from Brushwright by Brushwright\r\nmtllib Hills.mtl\r\n\r\n"
                    "v  872 -1968 300\r\nv  936 -1968 428\r\nv  1000 -1968 556\r\n"
                    "v  1064 -1968 684\r\nv  872 -2000 812\r\nv  936 -2000 940\r\n"
                    "v  1000 -2000 1068\r\nv  1064 -2000 1196\r\nv  872 -2032 1324\r\n"
                    "v  936 -2032 1452\r\nv  1000 -2032 1580\r\nv  1064 -2032 -16084\r\n"));
  // The first quad's diagonal turned, the others not; quad (2, 1) hidden: 5 quads of 6.
  const ObjText parsed = ParseObj(obj);
  ASSERT_EQ(parsed.faces.size(), 10u);
  EXPECT_EQ(parsed.faces[0].positions, (std::vector<int>{0, 4, 1}));
  EXPECT_EQ(parsed.faces[2].positions, (std::vector<int>{1, 6, 2}));
  EXPECT_EQ(parsed.faces[8].positions, (std::vector<int>{5, 10, 6}));
  EXPECT_NE(ReadBytes(dir / "Hills.mtl").find("map_Kd MyLevel.TerrainInfo0.PNG\r\n"),
            std::string::npos);
  // The baked image: the red layer on the left, the blue one over it where its alpha map
  // shows it, on the right.
  const Image baked = DecodeImageFile(dir / "MyLevel.TerrainInfo0.PNG");
  ASSERT_EQ(baked.Width, 1023);
  ASSERT_EQ(baked.Height, 1024);
  const auto texel = [&baked](std::int32_t x, std::int32_t y) {
    const std::size_t at = (static_cast<std::size_t>(y) * baked.Width + x) * 4;
    return std::vector<int>(baked.Rgba.begin() + at, baked.Rgba.begin() + at + 4);
  };
  EXPECT_EQ(texel(10, 500), (std::vector<int>{255, 0, 0, 255}));
  EXPECT_EQ(texel(1010, 500), (std::vector<int>{0, 0, 255, 255}));

  // The text exported from the map finds its height map and layers in the search folder's map
  // of its own name, and makes the same terrain.
  WriteBytes(dir / "Hills.t3d",
             "Begin Map\r\nBegin Actor Class=TerrainInfo Name=TerrainInfo0\r\n"
             "    TerrainMap=Texture'MyLevel.Terrain.Heights'\r\n"
             "    TerrainScale=(X=64.000000,Y=32.000000,Z=128.000000)\r\n"
             "    Layers(0)=(Texture=Texture'MyLevel.Terrain.Red',UScale=8.000000,VScale=8.0)\r\n"
             "    Layers(1)=(Texture=Texture'MyLevel.Terrain.Blue',AlphaMap=Texture'MyLevel."
             "Terrain.BlueAlpha',UScale=8.000000,VScale=8.000000,TextureMatrix=(XPlane=(W=1)))\r\n"
             "    QuadVisibilityBitmap(0)=-65\r\n    EdgeTurnBitmap(0)=1\r\n"
             "    Location=(X=1000.000000,Y=2000.000000,Z=300.000000)\r\n"
             "End Actor\r\nEnd Map\r\n");
  FakeHost text_host;
  text_host.options = host.options;
  text_host.options.InputFile = dir / "Hills.t3d";
  text_host.options.OutputFile = dir / "text/Hills.obj";
  text_host.options.SearchCopy = true;
  text_host.options.SearchPath = dir / "maps";
  std::filesystem::create_directories(dir / "text");
  Convert(text_host);
  EXPECT_EQ(ReadBytes(dir / "text/Hills.obj"), obj);
  EXPECT_EQ(ReadBytes(dir / "text/MyLevel.TerrainInfo0.PNG"),
            ReadBytes(dir / "MyLevel.TerrainInfo0.PNG"));

  // A terrain without a usable height map is left out with a notice; the run goes on.
  TerrainMap rgba_heights;
  rgba_heights.height_map_format = 5;
  TerrainMap no_heights;
  no_heights.has_height_map = false;
  TerrainMap short_heights;
  short_heights.height_bytes_dropped = 4;
  const std::string file = "'" + dir / "maps/Hills.ut2" + "'";
  for (const auto& [map, notice] :
       {std::pair{rgba_heights, file + ", terrain 'TerrainInfo0' is left out: " + file +
                                    ", export 'Heights' (Texture) is in format 5, not a 16-bit "
                                    "or 8-bit height map\r\n"},
        std::pair{no_heights, file + ", terrain 'TerrainInfo0' is left out: it names no height "
                                     "map (TerrainMap)\r\n"},
        std::pair{short_heights, file + ", terrain 'TerrainInfo0' is left out: " + file +
                                     ", export 'Heights' (Texture): its 4 x 3 height map needs 24 "
                                     "bytes but holds 20\r\n"}}) {
    write(map);
    host.log.clear();
    summary = Convert(host);
    EXPECT_EQ(host.Entries("message:Brushwright:"), std::vector<std::string>{notice});
    EXPECT_EQ(summary.FacesConverted, 0);
  }
}

}  // namespace
}  // namespace brushwright::testing
