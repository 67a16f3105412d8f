// brushwright-convert in-process: an input from a pipe, with the progress line of a terminal.
#include "cli/convert_main.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "level_text.h"
#include "mesh/mesh_writer.h"

namespace brushwright {
namespace {

TEST(ConvertMain, PipeOnATerminalIsReadOnceAndConverted) {
  const testing::TempDir dir("pipe");
  const std::string fifo = dir / "level.t3d";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  testing::BrushSpec brush;
  brush.polygons.assign(3, testing::PolygonSpec{"Rock"});
  const std::string level = testing::LevelText({testing::BrushText(brush)});
  std::atomic<bool> done = false;
  std::thread writer([&] {
    std::ofstream(fifo, std::ios::binary) << level;
    // A second reader of the pipe finds it empty instead of waiting for a writer forever.
    while (!done) {
      const int again = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
      if (again >= 0) ::close(again);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
  std::ostringstream out;
  std::ostringstream err;
  ConsoleInfo terminal;
  terminal.ErrorIsTerminal = true;
  const int status = ConvertMain({"-o", dir / "level.obj", fifo}, out, err, terminal);
  done = true;
  writer.join();
  EXPECT_EQ(status, kExitSuccess) << err.str();
  EXPECT_NE(err.str().find("level.t3d: faces 3, groups 1,"), std::string::npos) << err.str();
  EXPECT_NE(testing::ReadBytes(dir / "level.obj").find("f  7/7 8/8 9/9"), std::string::npos);
}

TEST(ConvertMain, ExtractsTexturesOfEachPackage) {
  const testing::TempDir dir("extract");
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(ConvertMain({"--extract-textures", "x.utx"}, out, err, {}), kExitUsage);
  EXPECT_EQ(err.str().find("brushwright-convert: --extract-textures writes into the folder "
                           "--output-dir names\n"),
            0u);
  err.str("");
  if (!std::filesystem::is_directory(BRUSHWRIGHT_PACKAGES_DIR)) {
    GTEST_SKIP() << "the sample packages are not in " BRUSHWRIGHT_PACKAGES_DIR;
  }
  testing::WriteBytes(dir / "Notes.utx", "text");
  const int status =
      ConvertMain({"--extract-textures", dir / "Notes.utx",
                   BRUSHWRIGHT_PACKAGES_DIR "/Checkers.utx", "--output-dir", dir / "out"},
                  out, err, {});
  EXPECT_EQ(status, kExitRunFailed);
  EXPECT_EQ(err.str(), "brushwright-convert: " + dir / "Notes.utx" + ": '" + dir / "Notes.utx" +
                           "': not an Unreal package (no package signature)\n"
                           "Checkers.utx: textures written 5, not written 0\n");
  EXPECT_TRUE(std::filesystem::is_regular_file(dir / "out/Checkers/checkers_base.png"));
}

// A broken mesh is named on its line and fails the package; the package's other meshes are
// written, by package and group.
TEST(ConvertMain, ExtractsStaticMeshesOfEachPackage) {
  const testing::TempDir dir("meshes");
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(ConvertMain({"--extract-meshes", "x.usx"}, out, err, {}), kExitUsage);
  EXPECT_EQ(err.str().find("brushwright-convert: --extract-meshes writes into the folder "
                           "--output-dir names\n"),
            0u);
  err.str("");
  testing::PackageWriter writer(128, 29);
  const std::int32_t group = writer.Export(writer.Import("Class", 0, "Package"), 0, "Wood", {});
  testing::AddStaticMesh(writer, 128, group, "Crate", testing::QuadMesh(0));
  testing::MeshContent broken = testing::QuadMesh(0);
  broken.Sections[0].Triangles = 3;
  testing::AddStaticMesh(writer, 128, 0, "Broken", broken);
  const std::vector<std::uint8_t> bytes = writer.Bytes();
  testing::WriteBytes(dir / "Props.usx", std::string(bytes.begin(), bytes.end()));
  const int status = ConvertMain(
      {"--extract-meshes", dir / "Props.usx", "--output-dir", dir / "out", "--format", "glb"}, out,
      err, {});
  EXPECT_EQ(status, kExitRunFailed);
  EXPECT_EQ(err.str(), "not written: '" + dir / "Props.usx" +
                           "', static mesh 'Broken': section 0's 3 triangles from index 0 run "
                           "past the 6 indices at byte 852\n"
                           "Props.usx: meshes written 1, not written 1, images missing 0\n");
  EXPECT_TRUE(std::filesystem::is_regular_file(dir / "out/Props/Wood/Crate.glb"));
}

}  // namespace
}  // namespace brushwright
