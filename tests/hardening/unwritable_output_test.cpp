// Whole runs whose outputs cannot be written: a clear error naming the file, and the files
// written before it intact.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "hardening_run.h"
#include "support/test_images.h"

namespace {

namespace fs = std::filesystem;
using namespace brushwright::testing;

// A full file system: every write to it fails with "No space left on device".
constexpr char kFullDevice[] = "/dev/full";
// Small enough that a few thousand faces fill it, large enough for the directory itself.
constexpr char kSmallTmpfsOptions[] = "size=64k";

std::string TexturedLevel(int polygons) {
  BrushSpec brush = MakeBrush("Brush1");
  brush.polygons =
      std::vector<PolygonSpec>(static_cast<std::size_t>(polygons), PolygonSpec{"Rock"});
  return LevelText({BrushText(brush)});
}

// Unmounts the test's tmpfs on every way out of the test, so its folder can be removed.
class MountGuard {
 public:
  explicit MountGuard(std::string point) : point_(std::move(point)) {}
  MountGuard(const MountGuard&) = delete;
  MountGuard& operator=(const MountGuard&) = delete;
  ~MountGuard() { ::umount(point_.c_str()); }

 private:
  std::string point_;
};

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Converts a two-face level with the report on into `dir` after `prepare` has set the output
// folder up; the other outputs are compared with those of an unhindered run.
struct OutputRow {
  const char* name;
  std::string blocked;                // the output linked to the full device
  std::vector<std::string> complete;  // outputs written whole before the failure
};

TEST(UnwritableOutput, FullDeviceNamesTheFileAndKeepsEarlierFiles) {
  const std::string level = TexturedLevel(2) + "Begin Actor Class=Light Name=Light1\nEnd Actor\n";
  const auto report_on = [](FakeHost& host) { host.options.Report = true; };
  TempDir reference_dir("full-reference");
  const HardenedRun reference = RunOnBytes(reference_dir, level, report_on);
  ASSERT_EQ(reference.error, "");
  const std::vector<OutputRow> rows = {
      {"OBJ file", "level.obj", {}},
      {"material library", "level.mtl", {"level.obj"}},
      {"missing-texture list", "levelMissingTextures.txt", {"level.obj", "level.mtl"}},
      {"report", "level.txt", {"level.obj", "level.mtl", "levelMissingTextures.txt"}},
  };
  for (const OutputRow& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir("full");
    fs::create_symlink(kFullDevice, dir / row.blocked);
    const HardenedRun run = RunOnBytes(dir, level, report_on);
    EXPECT_TRUE(Contains(run.error, "'" + (dir / row.blocked) + "'")) << run.error;
    EXPECT_TRUE(Contains(run.error, "No space left on device")) << run.error;
    for (const std::string& name : row.complete) {
      EXPECT_EQ(Visible(RegularFileBytes(dir / name)),
                Visible(RegularFileBytes(reference_dir / name)))
          << name;
    }
  }
}

TEST(UnwritableOutput, MissingFolderOrFolderInTheWayNamesTheFile) {
  const std::string level = TexturedLevel(2);
  struct Row {
    const char* name;
    std::string output;  // relative to the test folder
    std::string folder;  // made before the run, "" for none
  };
  const std::vector<Row> rows = {
      {"missing output folder", "missing/level.obj", ""},
      {"a folder where the OBJ file goes", "level.obj", "level.obj"},
      {"a folder where the material library goes", "level.obj", "level.mtl"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir("unwritable");
    if (!row.folder.empty()) fs::create_directories(dir / row.folder);
    const std::string output = dir / row.output;
    const HardenedRun run =
        RunOnBytes(dir, level, [&](FakeHost& host) { host.options.OutputFile = output; });
    const std::string blocked = row.folder.empty() ? output : dir / row.folder;
    EXPECT_TRUE(Contains(run.error, "'" + blocked + "'")) << run.error;
    EXPECT_FALSE(fs::exists(dir / "missing"));
  }
}

// A read-only OBJ file: the error names it and its old bytes stay. Root writes through any
// permission, so there the case cannot be made.
TEST(UnwritableOutput, ReadOnlyOutputFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "running as root: permissions do not stop writing";
  TempDir dir("read-only");
  const std::string obj = dir / "level.obj";
  WriteBytes(obj, "old bytes");
  fs::permissions(obj, fs::perms::owner_read);
  const HardenedRun run = RunOnBytes(dir, TexturedLevel(2));
  EXPECT_TRUE(Contains(run.error, "'" + obj + "'")) << run.error;
  EXPECT_EQ(ReadBytes(obj), "old bytes");
}

// A small tmpfs filled by the OBJ file: the error names it, and a texture image that was in the
// folder before the run keeps its bytes. Mounting needs root; elsewhere the test is skipped.
TEST(UnwritableOutput, SmallFileSystemFillsUp) {
  TempDir dir("tmpfs");
  const std::string mount_point = dir / "small";
  fs::create_directories(mount_point);
  if (::mount("tmpfs", mount_point.c_str(), "tmpfs", 0, kSmallTmpfsOptions) != 0) {
    GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): " << std::strerror(errno);
  }
  const MountGuard unmount(mount_point);
  const std::string image = mount_point + "/Rock.BMP";
  WriteImage(image, 4, 4);
  const std::string image_bytes = ReadBytes(image);
  const std::string obj = mount_point + "/level.obj";
  const HardenedRun run =
      RunOnBytes(dir, TexturedLevel(2000), [&](FakeHost& host) { host.options.OutputFile = obj; });
  EXPECT_TRUE(Contains(run.error, "'" + obj + "'")) << run.error;
  EXPECT_TRUE(Contains(run.error, "No space left on device")) << run.error;
  EXPECT_EQ(ReadBytes(image), image_bytes);
}

}  // namespace
