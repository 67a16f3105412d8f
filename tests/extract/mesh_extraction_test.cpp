// Extracting a package's static meshes: files by package and group, broken meshes listed while
// the others are written, the OBJ text and the glTF file's faces and validity.
#include "extract/mesh_extraction.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mesh/mesh_writer.h"
#include "support/gltf_files.h"
#include "support/test_files.h"

namespace brushwright::testing {
namespace {

// Props.usx: a crate in the group Wood, another of the same name at the top, and a broken mesh
// whose index names a vertex it does not have.
std::string WritePropsPackage(const TempDir& dir) {
  PackageWriter writer(128, 29);
  const std::int32_t wall = writer.Import("Texture", writer.Import("Package", 0, "Tex"), "Wall");
  const std::int32_t wood = writer.Export(writer.Import("Class", 0, "Package"), 0, "Wood", {});
  AddStaticMesh(writer, 128, wood, "Crate", QuadMesh(wall));
  AddStaticMesh(writer, 128, 0, "Crate", QuadMesh(0));
  MeshContent broken = QuadMesh(wall);
  broken.Indices[4] = 9;
  AddStaticMesh(writer, 128, 0, "Broken", broken);
  const std::vector<std::uint8_t> bytes = writer.Bytes();
  const std::string path = dir / "Props.usx";
  WriteBytes(path, std::string(bytes.begin(), bytes.end()));
  return path;
}

TEST(MeshExtraction, WritesEachMeshInFoldersByPackageAndGroup) {
  const TempDir dir("meshes");
  RunOptions options;
  options.InputFile = WritePropsPackage(dir);
  options.TextureType = "PNG";
  const MeshExtractionSummary summary = ExtractMeshes(options, dir / "out");
  EXPECT_EQ(summary.Written, 2);
  EXPECT_EQ(summary.NotWritten,
            std::vector<std::string>{"'" + options.InputFile +
                                     "', static mesh 'Broken': index 9 past the 4 vertices at "
                                     "byte 1329"});
  EXPECT_EQ(summary.Notices, std::vector<std::string>{"missing image: Tex.Wall.PNG"});
  // Mirrored in Y, the clockwise triangles (0 1 2) and (0 2 3) are written as stored and face
  // up; V counts upwards.
  EXPECT_EQ(
      Visible(ReadBytes(dir / "out/Props/Wood/Crate.obj")),
      Visible("#converted from Brushwright by Brushwright\r\nmtllib Crate.mtl\r\n\r\n"
              "v  0 0 0\r\nv  0 -10 0\r\nv  10 -10 0\r\nv  10 0 0\r\n\r\n"
              "g Crate\r\n"
              "vt  0 1\r\nvt  0 0\r\nvt  1 0\r\n\r\nusemtl Tex.Wall0\r\nf  1/1 2/2 3/3\r\n\r\n"
              "vt  0 1\r\nvt  1 0\r\nvt  1 1\r\n\r\nusemtl Tex.Wall0\r\nf  1/4 3/5 4/6\r\n\r\n"));
  EXPECT_NE(ReadBytes(dir / "out/Props/Wood/Crate.mtl").find("map_Kd Tex.Wall.PNG"),
            std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(dir / "out/Props/Crate.obj"));
  EXPECT_FALSE(std::filesystem::exists(dir / "out/Props/Broken.obj"));
}

// JailCard.usx: two meshes of one name, one in a group; their material is a texture of the
// package itself, written beside each.
TEST(MeshExtraction, WritesTheSampleMeshesWithTheirPackagesTexture) {
  SKIP_WITHOUT_PACKAGES();
  const TempDir dir("meshes");
  RunOptions options;
  options.InputFile = BRUSHWRIGHT_PACKAGES_DIR "/JailCard.usx";
  options.TextureType = "PNG";
  const MeshExtractionSummary summary = ExtractMeshes(options, dir / "out");
  EXPECT_EQ(summary.Written, 2);
  EXPECT_EQ(summary.Notices, std::vector<std::string>{});
  for (const char* folder : {"out/JailCard", "out/JailCard/JailCard"}) {
    SCOPED_TRACE(folder);
    const std::string base = dir / folder;
    EXPECT_TRUE(std::filesystem::is_regular_file(base + "/JailCard.obj"));
    EXPECT_TRUE(std::filesystem::is_regular_file(base + "/JailCard.JailCard.JailCard.PNG"));
  }
}

TEST(MeshExtraction, GltfFacesUpAndPassesTheValidator) {
  const TempDir dir("meshes");
  RunOptions options;
  options.InputFile = WritePropsPackage(dir);
  options.Format = OutputFormat::Glb;
  EXPECT_EQ(ExtractMeshes(options, dir / "out").Written, 2);
  const std::string file = dir / "out/Props/Wood/Crate.glb";
  const tinygltf::Model model = ReadBack(file);
  ASSERT_EQ(model.meshes.size(), 1U);
  const tinygltf::Primitive& primitive = model.meshes[0].primitives[0];
  const std::vector<double> p = Values(model, primitive.attributes.at("POSITION"));
  const std::vector<double> indices = Values(model, primitive.indices);
  ASSERT_EQ(indices.size(), 6U);
  for (std::size_t t = 0; t < indices.size(); t += 3) {
    const auto at = [&](std::size_t k, int axis) {
      return p[3 * static_cast<std::size_t>(indices[t + k]) + static_cast<std::size_t>(axis)];
    };
    // The counter-clockwise normal's Y: the quad faces up (glTF's Y is the level's Z).
    const double ux = at(1, 0) - at(0, 0), uz = at(1, 2) - at(0, 2);
    const double vx = at(2, 0) - at(0, 0), vz = at(2, 2) - at(0, 2);
    EXPECT_GT(uz * vx - ux * vz, 0) << "triangle " << t / 3;
  }
  SKIP_IF_MISSING(ValidatorMissing());
  EXPECT_EQ(ValidatorComplaints(file), "");
}

}  // namespace
}  // namespace brushwright::testing
