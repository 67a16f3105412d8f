// Tests of the static-mesh reader: the sample packages, older layouts and broken meshes.
#include "mesh/static_mesh.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "mesh/mesh_writer.h"
#include "support/test_inputs.h"
#include "text/brush_error.h"

namespace {

using namespace brushwright;
using brushwright::testing::AddStaticMesh;
using brushwright::testing::MeshContent;
using brushwright::testing::PackageWriter;
using brushwright::testing::QuadMesh;

const std::string kPackages = BRUSHWRIGHT_PACKAGES_DIR;

std::string Described(const StaticMesh& mesh) {
  std::string text = mesh.Package + "|" + mesh.Group + "|" + mesh.Name + " " +
                     std::to_string(mesh.Positions.size()) + " vertices, " +
                     std::to_string(mesh.Indices.size()) + " indices:";
  for (const StaticMeshSection& section : mesh.Sections) {
    text += " (" + std::to_string(section.FirstIndex) + " " +
            std::to_string(section.TriangleCount) + " " + section.Material + ")";
  }
  return text;
}

// Counts checked against an independent reading of the sample packages.
TEST(StaticMesh, ReadsTheSamplePackagesMeshes) {
  SKIP_WITHOUT_PACKAGES();
  const struct {
    const char* file;
    std::size_t meshes;
    std::int32_t export_index;
    const char* expected;
  } rows[] = {
      {"CommandAndConquerSM.usx", 27, 33,
       "CommandAndConquerSM|Buildings|HandOfNod 1172 vertices, 3054 indices: (0 1006 "
       "VMVehicles-TX.HoverTankGroup.HoverTankChassisFinalRED) (3018 12 "
       "AWGlobal.Shaders.OceanGlass) (0 0 ) (0 0 )"},
      {"CommandAndConquerSM.usx", 27, 46,
       "CommandAndConquerSM|Misc|Terminal 52 vertices, 102 indices: (0 32 "
       "VMVehicles-TX.HoverTankGroup.HoverTankChassisFinalRED) (96 2 "
       "CommandAndConquerTEX.TIberiumPT)"},
      {"JailCard.usx", 2, 1,
       "JailCard|JailCard|JailCard 24 vertices, 36 indices: (0 12 JailCard.JailCard.JailCard)"},
      {"JailCard.usx", 2, 2,
       "JailCard||JailCard 24 vertices, 36 indices: (0 12 JailCard.JailCard.JailCard)"},
      {"UWRM-Torpedo.ut2", 2, 306,
       "UWRM-Torpedo|Collision|Base 415 vertices, 1665 indices: (0 477 "
       "SG_Lost_Outpost.Deco.sg_monobase_diff) (1431 78 SG_Lost_Outpost.Deco.sg_monofloor_diff)"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    const PackageFile package = PackageFile::Open(kPackages + "/" + row.file);
    EXPECT_EQ(StaticMeshExports(package).size(), row.meshes);
    const StaticMesh mesh = ReadStaticMesh(package, row.export_index);
    EXPECT_EQ(Described(mesh), row.expected);
    EXPECT_EQ(mesh.UVs.size(), mesh.Positions.size());
    EXPECT_EQ(mesh.Normals.size(), mesh.Positions.size());
  }
}

// Every mesh of the samples reads; its triangles, stored clockwise seen from the front, turn
// their right-hand normal away from the stored vertex normals.
TEST(StaticMesh, TrianglesFaceAgainstTheirRightHandNormal) {
  SKIP_WITHOUT_PACKAGES();
  for (const char* file : {"CommandAndConquerSM.usx", "JailCard.usx", "UWRM-Torpedo.ut2"}) {
    SCOPED_TRACE(file);
    const PackageFile package = PackageFile::Open(kPackages + "/" + file);
    std::size_t against = 0;
    std::size_t triangles = 0;
    for (std::int32_t index : StaticMeshExports(package)) {
      const StaticMesh mesh = ReadStaticMesh(package, index);
      for (std::size_t t = 0; t + 2 < mesh.Indices.size(); t += 3) {
        const Vector& a = mesh.Positions[mesh.Indices[t]];
        const Vector& b = mesh.Positions[mesh.Indices[t + 1]];
        const Vector& c = mesh.Positions[mesh.Indices[t + 2]];
        const Vector u{b.X - a.X, b.Y - a.Y, b.Z - a.Z};
        const Vector v{c.X - a.X, c.Y - a.Y, c.Z - a.Z};
        const Vector right{u.Y * v.Z - u.Z * v.Y, u.Z * v.X - u.X * v.Z, u.X * v.Y - u.Y * v.X};
        Vector stored;
        for (int k = 0; k < 3; ++k) {
          const Vector& n = mesh.Normals[mesh.Indices[t + k]];
          stored = {stored.X + n.X, stored.Y + n.Y, stored.Z + n.Z};
        }
        const double dot = right.X * stored.X + right.Y * stored.Y + right.Z * stored.Z;
        if (dot < 0) ++against;
        ++triangles;
      }
    }
    EXPECT_GT(triangles, 0U);
    EXPECT_GT(static_cast<double>(against), 0.99 * static_cast<double>(triangles))
        << against << " of " << triangles;
  }
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const BrushError& error) {
    return error.what();
  }
  return "";
}

// A mesh of every layout the versions bring: tagged or raw material entries, box-tree or older
// collision data, stored collision switches; an empty section and one without material.
TEST(StaticMesh, ReadsTheLayoutsOfEveryVersion) {
  for (int version : {113, 117, 120, 125, 126, 129}) {
    SCOPED_TRACE(version);
    PackageWriter writer(version, 29);
    const std::int32_t texture =
        writer.Import("Texture", writer.Import("Package", 0, "Tex"), "Wall");
    MeshContent content = QuadMesh(texture);
    content.Positions.push_back({5, 5, 5});
    content.Normals.push_back({0, 0, 1});
    content.UVs.push_back({0.5F, 0.25F});
    content.Indices.insert(content.Indices.end(), {0, 4, 1});
    content.Sections.push_back({0, 65535, 65535, 0, texture});
    content.Sections.push_back({6, 0, 4, 1, 0});
    const std::int32_t group = writer.Export(writer.Import("Class", 0, "Package"), 0, "Props", {});
    AddStaticMesh(writer, version, group, "Crate", content);
    const PackageFile package = PackageFile::FromBytes("Crates.usx", writer.Bytes());
    ASSERT_EQ(StaticMeshExports(package), std::vector<std::int32_t>{1});
    const StaticMesh mesh = ReadStaticMesh(package, 1);
    EXPECT_EQ(Described(mesh),
              "Crates|Props|Crate 5 vertices, 9 indices: (0 2 Tex.Wall) (0 0 Tex.Wall) (6 1 )");
    EXPECT_EQ(mesh.Positions[4].Z, 5);
    EXPECT_EQ(mesh.UVs[4][0], 0.5F);
    EXPECT_EQ(mesh.UVs[4][1], 0.25F);
    EXPECT_EQ(mesh.Indices[7], 4U);
  }
}

// A strip's triangles become a list, every other one turned back to keep its winding and the
// degenerate ones that join strips dropped; a list section after it moves along.
TEST(StaticMesh, TurnsStripsIntoLists) {
  PackageWriter writer(128, 29);
  MeshContent content = QuadMesh(0);
  content.Indices = {0, 1, 3, 2, 2, 2, 0, 1, 2};
  content.Sections = {{0, 0, 3, 4, 0, true}, {6, 0, 3, 1, 0}};
  AddStaticMesh(writer, 128, 0, "Fan", content);
  const PackageFile package = PackageFile::FromBytes("Strips.usx", writer.Bytes());
  const StaticMesh mesh = ReadStaticMesh(package, 0);
  EXPECT_EQ(mesh.Indices, (std::vector<std::uint32_t>{0, 1, 3, 3, 1, 2, 0, 1, 2}));
  EXPECT_EQ(Described(mesh), "Strips||Fan 4 vertices, 9 indices: (0 2 ) (6 1 )");
}

// One clear message naming the file, the mesh and what is wrong, for each kind of damage.
TEST(StaticMesh, RefusesBrokenMeshes) {
  const struct {
    const char* name;
    std::function<void(MeshContent&)> damage;
    int version;
    const char* message;
  } rows[] = {
      {"index past the vertices", [](MeshContent& content) { content.Indices[4] = 9; }, 128,
       "'Broken.usx', static mesh 'Crate': index 9 past the 4 vertices at byte 395"},
      {"section past the indices", [](MeshContent& content) { content.Sections[0].FirstIndex = 3; },
       128,
       "'Broken.usx', static mesh 'Crate': section 0's 2 triangles from index 3 run past the 6 "
       "indices at byte 385"},
      {"skip offset past the end", [](MeshContent& content) { content.SkipOffset = 100000; }, 128,
       "'Broken.usx', static mesh 'Crate': source triangles' skip offset 100000 outside the "
       "mesh's bytes 457 to 531 at byte 457"},
      {"skip offset behind", [](MeshContent& content) { content.SkipOffset = 70; }, 120,
       "'Broken.usx', static mesh 'Crate': source triangles' skip offset 70 outside the "
       "mesh's bytes 522 to 596 at byte 522"},
      {"fewer UVs than vertices", [](MeshContent& content) { content.UVs.pop_back(); }, 128,
       "'Broken.usx', static mesh 'Crate': the first UV stream holds 3 coordinates for 4 "
       "vertices at byte 303"},
      {"more vertices than bytes", [](MeshContent& content) { content.VertexCount = 100000; }, 128,
       "'Broken.usx', static mesh 'Crate': vertices count 100000 does not fit in the 372 "
       "bytes left at byte 161"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    PackageWriter writer(row.version, 29);
    MeshContent content = QuadMesh(0);
    row.damage(content);
    content.Normals.resize(content.Positions.size(), {0, 0, 1});
    AddStaticMesh(writer, row.version, 0, "Crate", content);
    const PackageFile package = PackageFile::FromBytes("Broken.usx", writer.Bytes());
    EXPECT_EQ(ErrorOf([&] { ReadStaticMesh(package, 0); }), row.message);
  }
}

}  // namespace
