// Tests of the static-mesh reader: the sample packages, older layouts and broken meshes.
#include "mesh/static_mesh.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_inputs.h"
#include "text/brush_error.h"

namespace {

using namespace brushwright;

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
    EXPECT_GT(static_cast<double>(against), 0.95 * static_cast<double>(triangles))
        << against << " of " << triangles;
  }
}

}  // namespace
