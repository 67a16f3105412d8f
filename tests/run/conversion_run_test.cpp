// Whole conversion runs through the recording host: output bytes, labels, pause and give-up.
#include "run/conversion_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_host.h"
#include "level_text.h"
#include "text/brush_error.h"

namespace {

using brushwright::BrushError;
using brushwright::RunConversion;
using brushwright::RunOutcome;
using brushwright::RunSummary;
using namespace brushwright::testing;

// A host set up to convert `dir`/room.t3d holding `level` into `dir`/room.obj.
FakeHost HostFor(const TempDir& dir, const std::string& level) {
  FakeHost host;
  host.options.InputFile = dir / "room.t3d";
  host.options.OutputFile = dir / "room.obj";
  WriteBytes(host.options.InputFile, level);
  return host;
}

std::string RoomLevel() {
  BrushSpec brush;
  brush.location = "(X=100.000000)";
  return LevelText({BrushText(brush)});
}

TEST(ConversionRun, WorkedExampleWritesObjMtlAndMissingList) {
  TempDir dir("worked");
  FakeHost host = HostFor(dir, WithCrLf(RoomLevel()));
  const RunSummary summary = Convert(host);
  EXPECT_EQ(summary.Outcome, RunOutcome::Done);

  const std::string obj =
      "#converted from Brushwright by Brushwright\r\nmtllib room.mtl\r\n\r\n"
      "g Model2\r\n"
      "v  100 0 0\r\nv  164 -32 0\r\nv  164 0 0\r\n\r\n"
      "vt  0 1\r\nvt  0.25 0.875\r\nvt  0.25 1\r\n\r\n"
      "usemtl Rock0\r\nf  1/1 2/2 3/3\r\n\r\n";
  EXPECT_EQ(Visible(ReadBytes(dir / "room.obj")), Visible(obj));
  const std::string mtl =
      "#  Wavefront material file\r\n# Converted by Brushwright\r\n\r\n"
      "newmtl Rock0\r\nKa 1 1 1\r\nNs 8\r\nillum 2\r\nmap_Kd Rock.BMP\r\n\r\n";
  EXPECT_EQ(Visible(ReadBytes(dir / "room.mtl")), Visible(mtl));
  const std::string missing =
      "You need to make the following texture files available:\r\nRock.BMP\r\n";
  EXPECT_EQ(ReadBytes(dir / "roomMissingTextures.txt"), missing + "\r\n");
  EXPECT_EQ(host.Entries("message:"), std::vector<std::string>{"Brushwright:" + missing});

  const std::vector<std::string> progress = {
      "Reading file",       "getting poly", "getting poly", "adding texture",
      "processing texture", "saving verts", "Done"};
  EXPECT_EQ(host.Entries("progress:"), progress);
  EXPECT_EQ(host.Entries("pos:"), (std::vector<std::string>{"", "Face 1", ""}));
  EXPECT_EQ(host.faces, std::vector<std::string>{"1/1"});
  EXPECT_EQ(summary.FacesConverted, 1);
  EXPECT_EQ(summary.Groups, 1);
  EXPECT_EQ(summary.Materials, 1);
  EXPECT_EQ(summary.MissingTextures, 1);
}

TEST(ConversionRun, IdentityPlacementWritesTheSameBytesWithTransformsOnOrOff) {
  TempDir on_dir("transforms-on");
  TempDir off_dir("transforms-off");
  FakeHost on = HostFor(on_dir, RoomLevel());
  FakeHost off = HostFor(off_dir, RoomLevel());
  off.options.BrushTransforms = false;
  Convert(on);
  Convert(off);
  EXPECT_EQ(ReadBytes(on_dir / "room.obj"), ReadBytes(off_dir / "room.obj"));
  EXPECT_NE(ReadBytes(on_dir / "room.obj").find("v  100 0 0\r\nv  164 -32 0\r\n"),
            std::string::npos);
}

TEST(ConversionRun, BrushTransformRotatesAroundThePivotUnlessSwitchedOff) {
  BrushSpec brush;
  brush.location = "(X=100.000000)";
  std::string block = BrushText(brush);
  block.insert(block.find("End Actor"), "   Rotation=(Yaw=16384)\n");
  struct Row {
    int transforms;
    std::string positions;
  };
  const Row rows[] = {
      {1, "v  100 0 0\r\nv  68 -64 0\r\nv  100 -64 0\r\n"},
      {0, "v  100 0 0\r\nv  164 -32 0\r\nv  164 0 0\r\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.transforms);
    TempDir dir("rotated");
    FakeHost host = HostFor(dir, LevelText({block}));
    host.options.BrushTransforms = row.transforms;
    Convert(host);
    EXPECT_NE(ReadBytes(dir / "room.obj").find("g Model2\r\n" + row.positions), std::string::npos)
        << Visible(ReadBytes(dir / "room.obj"));
  }
}

TEST(ConversionRun, SubtractiveBrushesAreTakenOnRequestFacingInwards) {
  BrushSpec sub = MakeBrush("Sub", "CSG_Subtract", "Carve");
  const std::string level = LevelText({BrushText(sub)});
  struct Row {
    int subtract;
    int build_brush;
    int faces;
  };
  for (const Row& row : {Row{0, 0, 0}, Row{1, 0, 1}, Row{1, 1, 0}}) {
    SCOPED_TRACE(std::to_string(row.subtract) + "/" + std::to_string(row.build_brush));
    TempDir dir("carve");
    FakeHost host = HostFor(dir, level);
    host.options.Subtractive = row.subtract;
    host.options.BuildBrush = row.build_brush;
    const RunSummary summary = Convert(host);
    EXPECT_EQ(summary.FacesConverted, row.faces);
    EXPECT_EQ(summary.SubtractiveSkipped, row.subtract == 0 ? 1 : 0);
    if (row.faces == 1) {
      // Vertex order reversed: V2, V1, V0, written from its first corner backwards.
      EXPECT_NE(
          ReadBytes(dir / "room.obj").find("g Carve\r\nv  64 -32 0\r\nv  0 0 0\r\nv  64 0 0\r\n"),
          std::string::npos)
          << Visible(ReadBytes(dir / "room.obj"));
    }
  }
}

TEST(ConversionRun, LfAndCrLfInputsGiveIdenticalOutputs) {
  BrushSpec wall;
  wall.tag = "Wall1";
  wall.location = "(X=-16.5,Y=8,Z=3)";
  wall.polygons = {PolygonSpec{"Rock"}, PolygonSpec{"Brick", 4}, PolygonSpec{}};
  const std::string level = LevelText({BrushText(wall), BrushText(BrushSpec{})});
  TempDir lf_dir("lf");
  TempDir crlf_dir("crlf");
  FakeHost lf = HostFor(lf_dir, level);
  FakeHost crlf = HostFor(crlf_dir, WithCrLf(level));
  lf.options.Report = crlf.options.Report = true;
  Convert(lf);
  Convert(crlf);
  for (const char* name : {"room.obj", "room.mtl", "room.txt", "roomMissingTextures.txt"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(ReadBytes(lf_dir / name).empty());
    EXPECT_EQ(ReadBytes(lf_dir / name), ReadBytes(crlf_dir / name));
  }
}

TEST(ConversionRun, EmptyInputNameDoesNothing) {
  FakeHost host;
  EXPECT_EQ(Convert(host).Outcome, RunOutcome::NotStarted);
  EXPECT_TRUE(host.log.empty());
}

TEST(ConversionRun, TextWithoutActorsIsOneBrushWithoutGroupOrLocation) {
  TempDir dir("bare");
  std::string brush = "Begin PolyList\n" + PolygonText(PolygonSpec{"Rock"}) +
                      PolygonText(PolygonSpec{"Rock"}) + "End PolyList\n";
  FakeHost host = HostFor(dir, brush);
  host.options.Report = true;
  const RunSummary summary = Convert(host);
  EXPECT_EQ(summary.FacesConverted, 2);
  const std::string obj = ReadBytes(dir / "room.obj");
  EXPECT_EQ(obj.find("\ng "), std::string::npos);
  EXPECT_NE(obj.find("v  64 -32 0\r\n"), std::string::npos);  // no location added
  EXPECT_NE(obj.find("f  4/4 5/5 6/6\r\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "room.txt"));
}

TEST(ConversionRun, OnlyNonBrushActorsWriteNoMaterialsButTheReport) {
  for (const bool w3d : {false, true}) {
    TempDir dir("actors");
    FakeHost host = HostFor(dir, LevelText({"Begin Actor Class=PlayerStart Name=PlayerStart0\n"
                                            "   Location=(X=100,Y=200,Z=48)\nEnd Actor\n"}));
    host.options.Report = true;
    host.options.W3D = w3d;
    Convert(host);
    EXPECT_FALSE(std::filesystem::exists(dir / "room.mtl"));
    EXPECT_EQ(
        ReadBytes(dir / "room.txt"),
        std::string("Lights, Movers, Sounds\r\n\r\nPlayerStart Tag:  (Name: PlayerStart0) at ") +
            (w3d ? "100, 48, -200" : "100, 200, 48") + "\r\nRotation: 90, 0, -90\r\n\r\n");
  }
}

TEST(ConversionRun, SwitchesSelectAdditiveBrushesOrOnlyTheBuilderBrush) {
  BrushSpec add = MakeBrush("Add", "CSG_Add", "AddTag");
  BrushSpec sub = MakeBrush("Sub", "CSG_Subtract", "SubTag");
  BrushSpec builder = MakeBrush("Builder", "", "BuildTag");
  builder.location = "(X=5000)";  // a brush without CSG never moves its faces by its location
  const std::string level = LevelText({BrushText(builder), BrushText(add), BrushText(sub)});
  struct Row {
    int build_brush;
    std::string groups;
    int faces;
    int subtractive_skipped;
  };
  for (const Row& row : {Row{0, "g AddTag\r\n", 1, 1}, Row{1, "", 1, 0}}) {
    SCOPED_TRACE(row.build_brush);
    TempDir dir("select");
    FakeHost host = HostFor(dir, level);
    host.options.BuildBrush = row.build_brush;
    const RunSummary summary = Convert(host);
    EXPECT_EQ(summary.FacesConverted, row.faces);
    EXPECT_EQ(summary.SubtractiveSkipped, row.subtractive_skipped);
    const std::string obj = ReadBytes(dir / "room.obj");
    const bool has_group = obj.find("\r\ng ") != std::string::npos;
    EXPECT_EQ(has_group, !row.groups.empty());
    if (has_group) {
      EXPECT_NE(obj.find(row.groups), std::string::npos);
    }
    EXPECT_EQ(obj.find("5064"), std::string::npos);
  }
}

// The names after `key` ("usemtl ", "newmtl ") at the start of each line of `text`, in order.
std::vector<std::string> NamesAfter(const std::string& text, const std::string& key) {
  std::vector<std::string> names;
  for (std::size_t at = text.find("\n" + key); at != std::string::npos;
       at = text.find("\n" + key, at + 1)) {
    const std::size_t start = at + 1 + key.size();
    names.push_back(text.substr(start, text.find('\r', start) - start));
  }
  return names;
}

TEST(ConversionRun, EveryMaterialTheObjNamesIsInTheLibrary) {
  BrushSpec first;
  first.polygons = {PolygonSpec{"Rock"}, PolygonSpec{"Rock", 4}, PolygonSpec{"Rock"},
                    PolygonSpec{"Moss", 2048}};
  BrushSpec second = MakeBrush("Brush2");
  second.polygons = {PolygonSpec{"Rock", 4}, PolygonSpec{"Moss"}};
  TempDir dir("materials");
  FakeHost host = HostFor(dir, LevelText({BrushText(first), BrushText(second)}));
  Convert(host);
  std::vector<std::string> used = NamesAfter(ReadBytes(dir / "room.obj"), "usemtl ");
  std::sort(used.begin(), used.end());
  used.erase(std::unique(used.begin(), used.end()), used.end());
  std::vector<std::string> declared = NamesAfter(ReadBytes(dir / "room.mtl"), "newmtl ");
  EXPECT_EQ(declared, (std::vector<std::string>{"Rock0", "Rock4", "Moss2048", "Moss0"}));
  std::sort(declared.begin(), declared.end());
  EXPECT_EQ(used, declared);
}

TEST(ConversionRun, BlockNamingBothOperationsIsAdditive) {
  const std::string level =
      LevelText({BrushText(MakeBrush("Both", "CSG_Subtract\n   CsgOper=CSG_Add", "Both"))});
  for (const bool subtractive : {false, true}) {
    SCOPED_TRACE(subtractive);
    TempDir dir("both");
    FakeHost host = HostFor(dir, level);
    host.options.Subtractive = subtractive;
    const RunSummary summary = Convert(host);
    EXPECT_EQ(summary.SubtractiveSkipped, 0);
    // Taken, and facing out as an additive brush does.
    EXPECT_NE(ReadBytes(dir / "room.obj").find("g Both\r\nv  0 0 0\r\nv  64 -32 0\r\n"),
              std::string::npos)
        << Visible(ReadBytes(dir / "room.obj"));
  }
}

TEST(ConversionRun, GroupNameIsTheTagUnlessItIsTheDefault) {
  struct Row {
    std::string tag;
    std::string group_line;
  };
  const Row rows[] = {
      {"Wall1", "g Wall1\r\n"}, {"Brush", "g Model2\r\n"},     {"", "g Model2\r\n"},
      {"brush", "g brush\r\n"}, {"\"Brush\"", "g Model2\r\n"}, {"\"Wall2\"", "g Wall2\r\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.tag);
    TempDir dir("group");
    BrushSpec brush;
    brush.tag = row.tag;
    FakeHost host = HostFor(dir, LevelText({BrushText(brush)}));
    Convert(host);
    EXPECT_NE(ReadBytes(dir / "room.obj").find("\r\n\r\n" + row.group_line), std::string::npos);
  }
}

TEST(ConversionRun, StartFaceAndInvisibleFlagsIgnoreFacesButCountThem) {
  BrushSpec first;
  first.polygons = {PolygonSpec{"A"}, PolygonSpec{"B", 1}, PolygonSpec{"C"}};
  BrushSpec second = MakeBrush("Brush2");
  second.polygons = {PolygonSpec{"D"}, PolygonSpec{"E", 3}, PolygonSpec{"F"}};
  const std::string level = LevelText({BrushText(first), BrushText(second)});
  struct Row {
    std::string start;
    std::int32_t before_start;
    std::int32_t invisible;
    std::string materials;  // usemtl lines in order
  };
  const Row rows[] = {
      {"1", 0, 2, "A0C0D0F0"},   {"4", 3, 1, "D0F0"},   {"", 0, 2, "A0C0D0F0"},
      {"abc", 0, 2, "A0C0D0F0"}, {"3.5", 3, 1, "D0F0"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.start);
    TempDir dir("start");
    FakeHost host = HostFor(dir, level);
    host.options.StartFace = row.start;
    const RunSummary summary = Convert(host);
    EXPECT_EQ(summary.BeforeStartFace, row.before_start);
    EXPECT_EQ(summary.InvisibleFaces, row.invisible);
    std::string materials;
    const std::string obj = ReadBytes(dir / "room.obj");
    for (std::size_t at = obj.find("usemtl "); at != std::string::npos;
         at = obj.find("usemtl ", at + 1)) {
      materials += obj.substr(at + 7, obj.find('\r', at) - at - 7);
    }
    EXPECT_EQ(materials, row.materials);
  }
}

TEST(ConversionRun, PolygonWithoutTextureKeepsTheFlagsReadBeforeIt) {
  // The record is reused from brush to brush: the untextured face inherits the invisible flag.
  BrushSpec first;
  first.polygons = {PolygonSpec{"Rock"}, PolygonSpec{"Glass", 1}};
  BrushSpec second = MakeBrush("Brush2");
  second.polygons = {PolygonSpec{""}, PolygonSpec{"Rock"}};
  TempDir dir("reuse");
  FakeHost host = HostFor(dir, LevelText({BrushText(first), BrushText(second)}));
  const RunSummary summary = Convert(host);
  EXPECT_EQ(summary.InvisibleFaces, 2);
  EXPECT_EQ(summary.FacesConverted, 2);
}

TEST(ConversionRun, IgnoreSwitchesSkipUntexturedAndDefaultTexturedFaces) {
  BrushSpec brush;
  brush.polygons = {PolygonSpec{""}, PolygonSpec{"DefaultTexture"}, PolygonSpec{"Rock"}};
  struct Row {
    int no_txt, def_txt, faces;
  };
  for (const Row& row : {Row{0, 0, 3}, Row{1, 0, 2}, Row{0, 1, 2}, Row{1, 1, 1}}) {
    SCOPED_TRACE(std::to_string(row.no_txt) + "/" + std::to_string(row.def_txt));
    TempDir dir("ignore");
    FakeHost host = HostFor(dir, LevelText({BrushText(brush)}));
    host.options.IgnoreNoTexture = row.no_txt;
    host.options.IgnoreDefaultTexture = row.def_txt;
    EXPECT_EQ(Convert(host).FacesConverted, row.faces);
  }
}

TEST(ConversionRun, UntexturedFacesBeforeAnyTextureGetCoordinatesOfOne) {
  BrushSpec brush;
  brush.polygons = {PolygonSpec{""}, PolygonSpec{"Rock"}};
  TempDir dir("untextured");
  FakeHost host = HostFor(dir, LevelText({BrushText(brush)}));
  Convert(host);
  const std::string obj = ReadBytes(dir / "room.obj");
  EXPECT_NE(obj.find("vt  1 1\r\nvt  1 1\r\nvt  1 1\r\n\r\nf  1/1 2/2 3/3\r\n"), std::string::npos);
}

TEST(ConversionRun, BrushWithoutPolygonsDoesNotTakeTheNextActorsPolygons) {
  BrushSpec empty = MakeBrush("Empty");
  empty.polygons = {};
  BrushSpec sub = MakeBrush("Sub", "CSG_Subtract");
  BrushSpec add = MakeBrush("Add", "CSG_Add", "AddTag");
  TempDir dir("empty");
  FakeHost host = HostFor(dir, LevelText({BrushText(empty), BrushText(sub), BrushText(add)}));
  const RunSummary summary = Convert(host);
  EXPECT_EQ(summary.PolygonsRead, 1);
  EXPECT_EQ(summary.FacesConverted, 1);
  EXPECT_EQ(host.Entries("pos:Face "), std::vector<std::string>{"1"});
}

TEST(ConversionRun, WithoutGeometryNoObjIsWrittenButMaterialsAreListed) {
  TempDir dir("nogeo");
  FakeHost host = HostFor(dir, RoomLevel());
  host.options.DoGeometry = false;
  WriteBytes(dir / "room.obj", "keep me");
  const RunSummary summary = Convert(host);
  EXPECT_EQ(summary.FacesConverted, 0);
  EXPECT_EQ(ReadBytes(dir / "room.obj"), "keep me");
  EXPECT_NE(ReadBytes(dir / "room.mtl").find("newmtl Rock0\r\n"), std::string::npos);
}

std::string ReportLevel() {
  auto actor = [](const std::string& cls, const std::string& name) {
    return "Begin Actor Class=" + cls + " Name=" + name + "\n   Location=(X=1)\nEnd Actor\n";
  };
  return LevelText({actor("Teleporter", "T1"), actor("Spotlight", "S1"), actor("Light", "L1"),
                    actor("PlayerStart", "P1"), actor("Trigger", "G1"), actor("Light", "L2"),
                    actor("VisibleTeleporter", "V1"), actor("FavoritesTeleporter", "F1")});
}

TEST(ConversionRun, ReportListsActorsClassByClassInTextOrder) {
  TempDir dir("report");
  FakeHost host = HostFor(dir, ReportLevel());
  host.options.Report = true;
  const RunSummary summary = Convert(host);
  EXPECT_EQ(summary.ReportBlocks, 8);
  const std::string report = ReadBytes(dir / "room.txt");
  std::vector<std::string> names;
  for (std::size_t at = report.find("(Name: "); at != std::string::npos;
       at = report.find("(Name: ", at + 1)) {
    names.push_back(report.substr(at + 7, 2));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"L1", "L2", "S1", "G1", "P1", "T1", "F1", "V1"}));
  EXPECT_EQ(
      report.rfind("Lights, Movers, Sounds\r\n\r\nOmni Light Tag:  (Name: L1) at 1, 0, 0\r\n", 0),
      0u);
  EXPECT_EQ(host.Entries("pos:").back(), "");
  EXPECT_NE(std::find(host.log.begin(), host.log.end(), "pos:Writing Report"), host.log.end());
}

TEST(ConversionRun, PackageQualifiedClassNamesReadLikeTheShortOnes) {
  // A level as later editors write it: every class name carries its package.
  BrushSpec brush;
  brush.tag = "\"Floor\"";
  std::string engine_brush = BrushText(brush);
  engine_brush.replace(engine_brush.find("Class=Brush"), 11, "Class=Engine.Brush");
  const std::string level = LevelText(
      {engine_brush, "Begin Actor Class=Engine.Light Name=Light0\n   Location=(X=1)\nEnd Actor\n",
       "Begin Actor Class=Light Name=Light1\n   Location=(X=2)\nEnd Actor\n",
       "Begin Actor Class=Engine.Spotlight Name=Spot0\n   Location=(X=3)\nEnd Actor\n",
       "Begin Actor Class=Engine.PlayerStart Name=Start0\n   Location=(X=4)\nEnd Actor\n",
       "Begin Actor Class=Engine.Light Name=Light2\n   Location=(X=5)\nEnd Actor\n"});
  TempDir dir("engine");
  FakeHost host = HostFor(dir, level);
  host.options.Report = true;
  const RunSummary summary = Convert(host);
  EXPECT_EQ(summary.FacesConverted, 1);
  EXPECT_NE(ReadBytes(dir / "room.obj").find("g Floor\r\nv  0 0 0\r\n"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir / "room.txt"),
            "Lights, Movers, Sounds\r\n\r\n"
            "Omni Light Tag:  (Name: Light0) at 1, 0, 0\r\nRotation: 90, 0, -90\r\n"
            "Hue: 0, Sat:255, Val:64\r\n\r\n"
            "Omni Light Tag:  (Name: Light1) at 2, 0, 0\r\nRotation: 90, 0, -90\r\n"
            "Hue: 0, Sat:255, Val:64\r\n\r\n"
            "Omni Light Tag:  (Name: Light2) at 5, 0, 0\r\nRotation: 90, 0, -90\r\n"
            "Hue: 0, Sat:255, Val:64\r\n\r\n"
            "Spot Light Tag:  (Name: Spot0) at 3, 0, 0\r\nRotation: 90, 0, -90\r\n"
            "Hue: 0, Sat:255, Val:64\r\n\r\n"
            "PlayerStart Tag:  (Name: Start0) at 4, 0, 0\r\nRotation: 90, 0, -90\r\n\r\n");
}

TEST(ConversionRun, BrushActorsOfBothSpellingsConvertInTextOrder) {
  BrushSpec first = MakeBrush("A", "CSG_Add", "First");
  BrushSpec second = MakeBrush("B", "CSG_Add", "Second");
  BrushSpec third = MakeBrush("C", "CSG_Add", "Third");
  std::string middle = BrushText(second);
  middle.replace(middle.find("Class=Brush"), 11, "Class=Engine.Brush");
  TempDir dir("mixed");
  FakeHost host = HostFor(dir, LevelText({BrushText(first), middle, BrushText(third)}));
  EXPECT_EQ(Convert(host).Groups, 3);
  const std::string obj = ReadBytes(dir / "room.obj");
  EXPECT_LT(obj.find("g First"), obj.find("g Second"));
  EXPECT_LT(obj.find("g Second"), obj.find("g Third"));
}

TEST(ConversionRun, BrushActorsWithoutTheirOwnEndStopWhereTheNextBegins) {
  // A block lacking its own "End Actor" ends where the next actor begins: no brush swallows
  // the next one's polygons or hides it.
  std::string level;
  for (int i = 0; i < 20000; ++i) level += "Begin Actor Class=Brush Name=B\n";
  level += "CsgOper=CSG_Add\nBegin Brush Name=Inner\n" + PolygonText(PolygonSpec{"Rock"}) +
           "End Brush\nEnd Actor\n";
  TempDir dir("nested");
  FakeHost host = HostFor(dir, level);
  RunSummary summary = Convert(host);
  EXPECT_EQ(summary.Outcome, RunOutcome::Done);
  EXPECT_EQ(summary.BrushActors, 20000);
  EXPECT_EQ(summary.BuilderSkipped, 19999);  // the last one alone names its operation
  EXPECT_EQ(summary.FacesConverted, 1);
  level.replace(level.find("CsgOper=CSG_Add"), 15, "NoOperation=1");
  WriteBytes(host.options.InputFile, level);
  summary = Convert(host);
  EXPECT_EQ(summary.BrushActors, 20000);
  EXPECT_EQ(summary.BuilderSkipped, 20000);
  EXPECT_EQ(summary.FacesConverted, 0);
}

// A level of `count` one-textured-brush faces.
std::string FacesLevel(int count) {
  BrushSpec brush;
  brush.polygons.assign(static_cast<std::size_t>(count), PolygonSpec{"Rock"});
  return LevelText({BrushText(brush)});
}

TEST(ConversionRun, PauseWaitsBetweenFacesAndContinueResumes) {
  TempDir dir("pause");
  FakeHost host = HostFor(dir, FacesLevel(3));
  int yields = 0;
  host.on_yield = [&](FakeHost& h) {
    ++yields;
    if (yields == 4) h.paused = true;   // Pause pressed after face 1
    if (yields == 7) h.paused = false;  // Cont pressed during the wait
  };
  EXPECT_EQ(Convert(host).Outcome, RunOutcome::Done);
  const auto progress = host.Entries("progress:");
  const auto paused = std::find(progress.begin(), progress.end(), "Paused");
  ASSERT_NE(paused, progress.end());
  // Face 1 is finished before the pause shows; face 2 is handled after the wait.
  const auto log_paused = std::find(host.log.begin(), host.log.end(), "progress:Paused");
  EXPECT_EQ(std::count(host.log.begin(), log_paused, "pos:Face 1"), 1);
  EXPECT_EQ(std::count(host.log.begin(), log_paused, "pos:Face 2"), 0);
  EXPECT_EQ(std::count(log_paused, host.log.end(), "yield"), 3 + 1);  // wait, then face 3
  EXPECT_EQ(Convert(host).FacesConverted, 3);
}

TEST(ConversionRun, ClosingTheWindowGivesUpBeforeWritingHalfAMesh) {
  struct Row {
    const char* name;
    bool pause_first;
  };
  for (const Row& row : {Row{"paused", true}, Row{"running", false}}) {
    SCOPED_TRACE(row.name);
    TempDir dir("giveup");
    FakeHost host = HostFor(dir, FacesLevel(4));
    int yields = 0;
    host.on_yield = [&](FakeHost& h) {
      if (++yields != 4) return;  // after face 2
      if (row.pause_first) h.paused = true;
      h.stop = true;
    };
    const RunSummary summary = Convert(host);
    EXPECT_EQ(summary.Outcome, RunOutcome::GivenUp);
    EXPECT_FALSE(std::filesystem::exists(dir / "room.obj"));
    EXPECT_FALSE(std::filesystem::exists(dir / "room.mtl"));
    EXPECT_TRUE(host.Entries("progress:Done").empty());
  }
}

TEST(ConversionRun, ErrorsNameTheFileAndLeaveTheHostIdle) {
  TempDir dir("errors");
  FakeHost missing;
  missing.options.InputFile = dir / "nowhere.t3d";
  missing.options.OutputFile = dir / "nowhere.obj";
  try {
    Convert(missing);
    FAIL() << "a missing input must fail";
  } catch (const BrushError& error) {
    EXPECT_NE(std::string(error.what()).find("nowhere.t3d"), std::string::npos) << error.what();
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "nowhere.obj"));

  FakeHost into_missing_dir = HostFor(dir, RoomLevel());
  into_missing_dir.options.OutputFile = dir / "no/such/dir/room.obj";
  EXPECT_THROW(Convert(into_missing_dir), BrushError);
}

TEST(ConversionRun, NeverWritesOverItsInput) {
  TempDir dir("self");
  const std::string level = ReportLevel();
  FakeHost host = HostFor(dir, level);
  host.options.InputFile = dir / "map.txt";
  WriteBytes(host.options.InputFile, level);
  host.options.OutputFile = dir / "map.obj";
  host.options.Report = true;
  try {
    Convert(host);
    FAIL() << "the report would overwrite the input";
  } catch (const BrushError& error) {
    EXPECT_NE(std::string(error.what()).find("map.txt"), std::string::npos) << error.what();
  }
  EXPECT_EQ(ReadBytes(dir / "map.txt"), level);
  EXPECT_FALSE(std::filesystem::exists(dir / "map.obj"));
}

TEST(ConversionRun, StopsAfterFace32767WithTheFacesBeforeOnDisk) {
  TempDir dir("limit");
  std::string polygons;
  const std::string one = "Begin Polygon Texture=T\nVertex 1,2,3\nEnd Polygon\n";
  for (int i = 0; i < 32768; ++i) polygons += one;
  FakeHost host = HostFor(dir, polygons);
  try {
    Convert(host);
    FAIL() << "face 32768 must overflow";
  } catch (const BrushError& error) {
    EXPECT_NE(std::string(error.what()).find("32767"), std::string::npos) << error.what();
  }
  const std::string obj = ReadBytes(dir / "room.obj");
  EXPECT_NE(obj.find("f  32767/32767\r\n\r\n"), std::string::npos);
  EXPECT_EQ(obj.find("f  32768/"), std::string::npos);
  // The last face that can be numbered is a face like any other.
  polygons.resize(polygons.size() - one.size());
  WriteBytes(host.options.InputFile, polygons);
  EXPECT_EQ(Convert(host).FacesConverted, 32767);
}

}  // namespace
