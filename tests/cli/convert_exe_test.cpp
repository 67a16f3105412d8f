// End-to-end runs of the built brushwright-convert executable on small T3D texts.
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/image_file.h"

namespace {

namespace fs = std::filesystem;
using brushwright::EncodeImage;
using brushwright::Image;
using brushwright::ImageFormat;

// One additive brush with one "Rock" polygon at location (100, 0, 0).
const std::vector<std::string> kRoomLines = {
    "Begin Map",
    "Begin Actor Class=Brush Name=Brush1",
    "    CsgOper=CSG_Add",
    "    Location=(X=100.000000)",
    "    Begin Brush Name=Model2",
    "       Begin PolyList",
    "          Begin Polygon Texture=Rock Flags=0",
    "             Origin   +00000.000000,+00000.000000,+00000.000000",
    "             Normal   +00000.000000,+00000.000000,+00001.000000",
    "             TextureU +00001.000000,+00000.000000,+00000.000000",
    "             TextureV +00000.000000,+00001.000000,+00000.000000",
    "             Vertex   +00000.000000,+00000.000000,+00000.000000",
    "             Vertex   +00064.000000,+00000.000000,+00000.000000",
    "             Vertex   +00064.000000,+00032.000000,+00000.000000",
    "          End Polygon",
    "       End PolyList",
    "    End Brush",
    "End Actor",
    "End Map",
};

// The OBJ file of kRoomLines written as room.obj with 256 by 256 for the missing image.
const char kRoomObj[] =
    "#converted from Brushwright by Brushwright\r\n"
    "mtllib room.mtl\r\n"
    "\r\n"
    "g Model2\r\n"
    "v  100 0 0\r\n"
    "v  164 -32 0\r\n"
    "v  164 0 0\r\n"
    "\r\n"
    "vt  0 1\r\n"
    "vt  0.25 0.875\r\n"
    "vt  0.25 1\r\n"
    "\r\n"
    "usemtl Rock0\r\n"
    "f  1/1 2/2 3/3\r\n"
    "\r\n";

const char kMissingRock[] =
    "Brushwright: You need to make the following texture files available:\n"
    "Brushwright: Rock.BMP\n";

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void WriteAll(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string CrLfText(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

// A fresh working directory for one test, named after it, holding room.t3d.
fs::path WorkDirectory() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const fs::path root =
      fs::temp_directory_path() / ("brushwright_cli_exe_" + std::string(info->name()));
  fs::remove_all(root);
  fs::create_directories(root / "work");
  WriteAll(root / "work" / "room.t3d", CrLfText(kRoomLines));
  return root / "work";
}

// Runs the program in `dir` without a display, its output captured beside `dir`.
Result RunConvert(const fs::path& dir, const std::string& args) {
  const fs::path out = dir.parent_path() / "stdout.txt";
  const fs::path err = dir.parent_path() / "stderr.txt";
  const std::string command = "cd '" + dir.string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY '" +
                              BRUSHWRIGHT_CONVERT_EXE + "' " + args + " >'" + out.string() +
                              "' 2>'" + err.string() + "'";
  const int raw = std::system(command.c_str());
  Result result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = ReadAll(out);
  result.err = ReadAll(err);
  return result;
}

// Writes a white width x height image of the given type.
void SaveImage(const fs::path& path, int width, int height, ImageFormat format) {
  Image image;
  image.Width = width;
  image.Height = height;
  image.Rgba.assign(static_cast<std::size_t>(width) * height * 4, 255);
  std::ofstream(path, std::ios::binary) << EncodeImage(image, format);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

TEST(ConvertExecutable, WritesObjAndMtlBesideTheInput) {
  const fs::path dir = WorkDirectory();
  const Result result = RunConvert(dir, "room.t3d");
  EXPECT_EQ(result.status, 0) << result.err;
  const std::vector<std::string> err = Lines(result.err);
  ASSERT_EQ(err.size(), 3u) << result.err;
  EXPECT_EQ(err[0] + "\n" + err[1] + "\n", kMissingRock);
  EXPECT_EQ(err[2].rfind("room.t3d: faces 1, groups 1, materials 1, missing images 1, "
                         "report blocks 0, ",
                         0),
            0u)
      << err[2];
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(ReadAll(dir / "room.obj"), kRoomObj);
  EXPECT_TRUE(fs::exists(dir / "room.mtl"));
  EXPECT_TRUE(fs::exists(dir / "roomMissingTextures.txt"));
  EXPECT_FALSE(fs::exists(dir / "room.txt"));
  EXPECT_FALSE(fs::exists(dir / "Brushwright.ini"));
}

TEST(ConvertExecutable, OutputOptionsPlaceTheFiles) {
  struct Row {
    const char* args;
    std::vector<const char*> created;  // relative to the working directory
  };
  const Row rows[] = {
      {"-q -o out/x.obj room.t3d", {"out/x.obj", "out/x.mtl"}},
      {"-q --output=y.obj room.t3d", {"y.obj", "y.mtl"}},
      {"-q --output-dir out room.t3d sub/hall.t3d",
       {"out/room.obj", "out/room.mtl", "out/hall.obj", "out/hall.mtl"}},
      {"-q --output-dir out/ sub/hall.t3d", {"out/hall.obj", "out/hall.mtl"}},
      {"-q --output-dir new/dir sub/hall.t3d", {"new/dir/hall.obj", "new/dir/hall.mtl"}},
      {"-q sub/hall.t3d", {"sub/hall.obj", "sub/hall.mtl"}},
      {"-q --no-geometry room.t3d", {"room.mtl"}},
      {"-q --report room.t3d", {"room.obj", "room.mtl", "room.txt"}},
  };
  for (const Row& row : rows) {
    const fs::path dir = WorkDirectory();
    fs::create_directories(dir / "out");
    WriteAll(dir / "sub" / "hall.t3d", CrLfText(kRoomLines));
    const Result result = RunConvert(dir, row.args);
    EXPECT_EQ(result.status, 0) << row.args << "\n" << result.err;
    EXPECT_EQ(result.out, "") << row.args;
    std::vector<std::string> expected(row.created.begin(), row.created.end());
    std::vector<std::string> made;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      const std::string name = fs::relative(entry.path(), dir).generic_string();
      const bool input = name == "room.t3d" || name == "sub/hall.t3d";
      const bool missing_list = name.find("MissingTextures.txt") != std::string::npos;
      if (entry.is_regular_file() && !input && !missing_list) made.push_back(name);
    }
    std::sort(expected.begin(), expected.end());
    std::sort(made.begin(), made.end());
    EXPECT_EQ(made, expected) << row.args;
  }
}

TEST(ConvertExecutable, StandardInputIsReadOnceAndQuietPrintsNoNotices) {
  const fs::path dir = WorkDirectory();
  // Through a pipe, as `zcat level.t3d.gz | brushwright-convert -o ... -` gives it.
  const Result result = RunConvert(dir, "-q -o piped.obj - < room.t3d");
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "") << "the missing image is listed in the file only";
  std::string obj = kRoomObj;
  obj.replace(obj.find("room.mtl"), 8, "piped.mtl");
  EXPECT_EQ(ReadAll(dir / "piped.obj"), obj);
  EXPECT_NE(ReadAll(dir / "pipedMissingTextures.txt").find("Rock.BMP"), std::string::npos);
}

TEST(ConvertExecutable, MissingInputFailsAndTheOtherIsConverted) {
  const fs::path dir = WorkDirectory();
  const Result result = RunConvert(dir, "absent.t3d room.t3d");
  EXPECT_EQ(result.status, 1);
  const std::vector<std::string> lines = Lines(result.err);
  ASSERT_EQ(lines.size(), 4u) << result.err;
  EXPECT_EQ(lines[3].rfind("room.t3d: faces 1, ", 0), 0u) << lines[3];
  EXPECT_EQ(lines[0].rfind("brushwright-convert: absent.t3d: ", 0), 0u) << lines[0];
  EXPECT_NE(lines[0].find("absent.t3d", 34), std::string::npos) << lines[0];
  EXPECT_EQ(lines[1] + "\n" + lines[2] + "\n", kMissingRock);
  EXPECT_EQ(ReadAll(dir / "room.obj"), kRoomObj);
  EXPECT_FALSE(fs::exists(dir / "absent.obj"));
}

TEST(ConvertExecutable, BadUsageExitsTwoWithTheUsage) {
  struct Row {
    const char* args;
    const char* first_line;
  };
  const Row rows[] = {
      {"", "brushwright-convert: INPUT is required"},
      {"--texture-type tga room.t3d",
       "brushwright-convert: --texture-type: 'tga' is not one of BMP, PCX, JPG, PNG, TIF, GIF"},
      {"-o x.obj room.t3d room.t3d",
       "brushwright-convert: --output names one file but 2 inputs were given; use --output-dir"},
      {"-o x.obj --output-dir out room.t3d", "brushwright-convert: --output excludes --output-dir"},
      {"--bogus room.t3d", "brushwright-convert: The following argument was not expected: --bogus"},
      {"- < room.t3d",
       "brushwright-convert: reading standard input (-) needs -o FILE to name the output"},
  };
  for (const Row& row : rows) {
    const fs::path dir = WorkDirectory();
    const Result result = RunConvert(dir, row.args);
    EXPECT_EQ(result.status, 2) << row.args;
    EXPECT_EQ(result.out, "") << row.args;
    const std::vector<std::string> lines = Lines(result.err);
    ASSERT_GE(lines.size(), 3u) << row.args;
    EXPECT_EQ(lines[0], row.first_line) << row.args;
    EXPECT_NE(result.err.find("Usage: brushwright-convert [OPTIONS] INPUT..."), std::string::npos)
        << row.args;
    EXPECT_FALSE(fs::exists(dir / "room.obj")) << row.args;
  }
}

TEST(ConvertExecutable, HelpAndVersionGoToStandardOutput) {
  const fs::path dir = WorkDirectory();
  Result result = RunConvert(dir, "--help");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(Lines(result.out).at(1), "Usage: brushwright-convert [OPTIONS] INPUT...");
  result = RunConvert(dir, "--version");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "brushwright-convert 0.1.0\n");
}

TEST(ConvertExecutable, TextureImagesAreDecodedWithoutDisplay) {
  const fs::path dir = WorkDirectory();
  SaveImage(dir / "Rock.PNG", 64, 32, ImageFormat::Png);
  const Result result = RunConvert(dir, "-q --texture-type png room.t3d");
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_NE(ReadAll(dir / "room.mtl").find("map_Kd Rock.PNG\r\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "roomMissingTextures.txt"));
}

TEST(ConvertExecutable, CopiesTexturesFromTheSearchTree) {
  const fs::path dir = WorkDirectory();
  fs::create_directories(dir / "textures" / "rocks");
  SaveImage(dir / "textures" / "rocks" / "rock.bmp", 16, 8, ImageFormat::Bmp);
  fs::create_directories(dir / "out");
  const Result result = RunConvert(dir, "-q --copy-textures textures -o out/room.obj room.t3d");
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(ReadAll(dir / "out" / "Rock.BMP"), ReadAll(dir / "textures" / "rocks" / "rock.bmp"));
}

TEST(ConvertExecutable, UndecodableImageFailsTheInput) {
  const fs::path dir = WorkDirectory();
  WriteAll(dir / "Rock.BMP", "not a bitmap");
  const Result result = RunConvert(dir, "room.t3d");
  EXPECT_EQ(result.status, 1);
  const std::vector<std::string> lines = Lines(result.err);
  ASSERT_EQ(lines.size(), 1u) << result.err;
  EXPECT_EQ(lines[0].rfind("brushwright-convert: room.t3d: cannot decode image '", 0), 0u)
      << lines[0];
  EXPECT_EQ(lines[0].substr(lines[0].size() - 9), "Rock.BMP'") << lines[0];
  EXPECT_EQ(result.out, "");
}

TEST(ConvertExecutable, NeverOverwritesItsInput) {
  const fs::path dir = WorkDirectory();
  fs::copy_file(dir / "room.t3d", dir / "level.obj");
  fs::copy_file(dir / "room.t3d", dir / "hall.mtl");
  const Result result = RunConvert(dir, "-q level.obj hall.mtl");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err,
            "brushwright-convert: level.obj: the OBJ file 'level.obj' would overwrite the input "
            "'level.obj'; choose another output file name\n"
            "brushwright-convert: hall.mtl: the material library 'hall.mtl' would overwrite the "
            "input 'hall.mtl'; choose another output file name\n");
  EXPECT_EQ(ReadAll(dir / "level.obj"), CrLfText(kRoomLines));
  EXPECT_EQ(ReadAll(dir / "hall.mtl"), CrLfText(kRoomLines));
}

TEST(ConvertExecutable, InputsThatHoldNoLevelFailAndWriteNothing) {
  struct Row {
    const char* name;
    std::string bytes;
    const char* args;
    const char* why;  // after "'NAME' holds no level: "
  };
  const std::string png_start("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
  const Row rows[] = {
      {"empty.ut2", "", "", "the file is empty"},
      {"empty.ut2", "", "--built-world --format glb", "the file is empty"},
      {"picture.unr", png_start, "",
       "it lacks the Unreal package signature every map file (.unr) begins with; it is damaged "
       "or not a map"},
      {"notes.UT2", "some notes\r\n", "",
       "it lacks the Unreal package signature every map file (.UT2) begins with; it is damaged "
       "or not a map"},
      {"notes.txt", "a note\r\n", "--report",
       "it is neither an Unreal package nor T3D text (no \"Begin Map\", \"Begin Actor\" or "
       "\"Begin Polygon\")"},
  };
  for (const Row& row : rows) {
    const fs::path dir = WorkDirectory();
    fs::remove(dir / "room.t3d");
    WriteAll(dir / row.name, row.bytes);
    const Result result = RunConvert(dir, std::string(row.args) + " " + row.name);
    EXPECT_EQ(result.status, 1) << row.name << " " << row.args;
    EXPECT_EQ(result.err, std::string("brushwright-convert: ") + row.name + ": '" + row.name +
                              "' holds no level: " + row.why + "\n")
        << row.args;
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
      files.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(files, std::vector<std::string>{row.name}) << row.name << " " << row.args;
  }
}

TEST(ConvertExecutable, MissingImagesCountsTheImagesTheNoticeNames) {
  // The room's polygon again, masked: one image missing for two materials.
  std::vector<std::string> lines = kRoomLines;
  const auto polygon = std::find(lines.begin(), lines.end(), "       End PolyList");
  std::vector<std::string> masked(polygon - 10, polygon);
  masked[0] = "          Begin Polygon Texture=Rock Flags=2";
  lines.insert(polygon, masked.begin(), masked.end());
  const fs::path dir = WorkDirectory();
  WriteAll(dir / "room.t3d", CrLfText(lines));
  const Result result = RunConvert(dir, "room.t3d");
  EXPECT_EQ(result.status, 0) << result.err;
  const std::vector<std::string> err = Lines(result.err);
  ASSERT_EQ(err.size(), 3u) << result.err;
  EXPECT_EQ(err[0] + "\n" + err[1] + "\n", kMissingRock);
  EXPECT_EQ(err[2].rfind("room.t3d: faces 2, groups 1, materials 2, missing images 1, ", 0), 0u)
      << err[2];
  EXPECT_EQ(
      ReadAll(dir / "roomMissingTextures.txt"),
      "You need to make the following texture files available:\r\nRock.BMP\r\nRock.BMP\r\n\r\n");
}

TEST(ConvertExecutable, JobsWriteWhatOneInputAtATimeWrites) {
  // Six levels of 300 brushes (enough for their glTF files to be written at the same time) share
  // the Wall image of the search folder, copied beside the shared output folder, and each misses
  // an image of its own; the glTF files embed the images.
  const auto write_rooms = [](const fs::path& dir) {
    fs::create_directories(dir / "textures");
    SaveImage(dir / "textures" / "wall.bmp", 16, 8, ImageFormat::Bmp);
    for (int k = 0; k < 6; ++k) {
      std::vector<std::string> lines = {"Begin Map"};
      for (int b = 0; b < 300; ++b) {
        std::vector<std::string> brush(kRoomLines.begin() + 1, kRoomLines.end() - 1);
        brush[0] = "Begin Actor Class=Brush Name=Brush" + std::to_string(b);
        brush[3] = "    Begin Brush Name=Model" + std::to_string(b);
        brush[5] = "          Begin Polygon Texture=" +
                   (b == 0 ? std::string("Wall") : "Rock" + std::to_string(k)) + " Flags=0";
        lines.insert(lines.end(), brush.begin(), brush.end());
      }
      lines.push_back("End Map");
      WriteAll(dir / ("room" + std::to_string(k) + ".t3d"), CrLfText(lines));
    }
  };
  const std::string args =
      "--format glb --copy-textures textures --output-dir out room0.t3d room1.t3d absent.t3d "
      "room2.t3d room3.t3d room4.t3d room5.t3d";
  const auto outputs = [](const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir / "out")) {
      files[entry.path().filename().string()] = ReadAll(entry.path());
    }
    return files;
  };
  // Run times differ from run to run.
  const auto timeless = [](const std::string& text) {
    return std::regex_replace(text, std::regex(R"([0-9.]+ s\n)"), "T s\n");
  };
  const fs::path alone = WorkDirectory() / "alone";
  write_rooms(alone);
  const Result one = RunConvert(alone, "--jobs 1 " + args);
  EXPECT_EQ(one.status, 1);
  EXPECT_EQ(Lines(one.err).size(), 19u) << one.err;  // 3 lines a room, 1 for the absent input
  for (int attempt = 0; attempt < 3; ++attempt) {
    const fs::path together = alone.parent_path() / ("together" + std::to_string(attempt));
    write_rooms(together);
    const Result six = RunConvert(together, "--jobs 6 " + args);
    EXPECT_EQ(six.status, 1);
    EXPECT_EQ(timeless(six.err), timeless(one.err));
    EXPECT_EQ(outputs(together), outputs(alone));
  }
}

}  // namespace
