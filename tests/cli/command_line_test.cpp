// Tests of brushwright-convert's argument parsing and output path building.
#include "cli/command_line.h"

#include <cctype>
#include <map>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "run/output_kinds.h"

namespace brushwright {
namespace {

// Every field in one line, so a row states the whole expected result.
std::string Describe(const ConvertOptions& o) {
  std::string inputs;
  for (const auto& input : o.Inputs) inputs += (inputs.empty() ? "" : ",") + input;
  const RunOptions& r = o.Run;
  return "in=" + inputs + " out=" + o.OutputFile + " dir=" + o.OutputDir + " start=" + r.StartFace +
         " geo=" + std::to_string(r.DoGeometry) + " build=" + std::to_string(r.BuildBrush) +
         " notx=" + std::to_string(r.IgnoreNoTexture) +
         " deftx=" + std::to_string(r.IgnoreDefaultTexture) +
         " copy=" + std::to_string(r.SearchCopy) + ":" + r.SearchPath + " type=" + r.TextureType +
         " w3d=" + std::to_string(r.W3D) + " report=" + std::to_string(r.Report) +
         " quiet=" + std::to_string(o.Quiet);
}

// "usage: <message>", "info: <text>" or the options described.
std::string Outcome(const std::vector<std::string>& args) {
  const CommandLine parsed = ParseCommandLine(args);
  if (const auto* usage = std::get_if<UsageError>(&parsed)) return "usage: " + usage->Message;
  if (const auto* info = std::get_if<InfoText>(&parsed)) return "info: " + info->Text;
  return Describe(std::get<ConvertOptions>(parsed));
}

std::string Defaults(const std::string& inputs) {
  return "in=" + inputs +
         " out= dir= start=1 geo=1 build=0 notx=0 deftx=0 copy=0: type=BMP w3d=0 report=0 "
         "quiet=0";
}

TEST(ParseCommandLine, OptionsSetTheirControls) {
  struct Row {
    std::vector<std::string> args;
    std::string expected;
  };
  const Row rows[] = {
      {{"a.t3d"}, Defaults("a.t3d")},
      {{"a.t3d", "b.t3d"}, Defaults("a.t3d,b.t3d")},
      // Paths from the root, and Windows paths, are inputs on every system, never options.
      {{"/maps/a.t3d", "C:\\maps\\b.t3d"}, Defaults("/maps/a.t3d,C:\\maps\\b.t3d")},
      {{"-o", "x.obj", "a.t3d"},
       "in=a.t3d out=x.obj dir= start=1 geo=1 build=0 notx=0 deftx=0 copy=0: type=BMP w3d=0 "
       "report=0 quiet=0"},
      {{"a.t3d", "--output=x.obj"},
       "in=a.t3d out=x.obj dir= start=1 geo=1 build=0 notx=0 deftx=0 copy=0: type=BMP w3d=0 "
       "report=0 quiet=0"},
      {{"--output-dir", "out", "a.t3d", "b.t3d"},
       "in=a.t3d,b.t3d out= dir=out start=1 geo=1 build=0 notx=0 deftx=0 copy=0: type=BMP "
       "w3d=0 report=0 quiet=0"},
      // The start face stays text: the run reads its leading number.
      {{"--start-face", "12abc", "a.t3d"},
       "in=a.t3d out= dir= start=12abc geo=1 build=0 notx=0 deftx=0 copy=0: type=BMP w3d=0 "
       "report=0 quiet=0"},
      {{"--start-face", "-5", "a.t3d"},
       "in=a.t3d out= dir= start=-5 geo=1 build=0 notx=0 deftx=0 copy=0: type=BMP w3d=0 "
       "report=0 quiet=0"},
      {{"--no-geometry", "a.t3d"},
       "in=a.t3d out= dir= start=1 geo=0 build=0 notx=0 deftx=0 copy=0: type=BMP w3d=0 "
       "report=0 quiet=0"},
      {{"--build-brush", "--ignore-no-texture", "--ignore-default-texture", "a.t3d"},
       "in=a.t3d out= dir= start=1 geo=1 build=1 notx=1 deftx=1 copy=0: type=BMP w3d=0 "
       "report=0 quiet=0"},
      {{"--copy-textures", "/tex", "a.t3d"},
       "in=a.t3d out= dir= start=1 geo=1 build=0 notx=0 deftx=0 copy=1:/tex type=BMP w3d=0 "
       "report=0 quiet=0"},
      {{"--texture-type", "png", "a.t3d"},
       "in=a.t3d out= dir= start=1 geo=1 build=0 notx=0 deftx=0 copy=0: type=PNG w3d=0 "
       "report=0 quiet=0"},
      {{"--texture-type=Tif", "a.t3d"},
       "in=a.t3d out= dir= start=1 geo=1 build=0 notx=0 deftx=0 copy=0: type=TIF w3d=0 "
       "report=0 quiet=0"},
      {{"--w3d", "--report", "-q", "a.t3d"},
       "in=a.t3d out= dir= start=1 geo=1 build=0 notx=0 deftx=0 copy=0: type=BMP w3d=1 "
       "report=1 quiet=1"},
      {{"--quiet", "--", "-odd.t3d"},
       "in=-odd.t3d out= dir= start=1 geo=1 build=0 notx=0 deftx=0 copy=0: type=BMP w3d=0 "
       "report=0 quiet=1"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Outcome(row.args), row.expected) << testing::PrintToString(row.args);
  }
}

TEST(ParseCommandLine, BrushSwitchesDefaultToTransformsWithoutSubtraction) {
  struct Row {
    std::vector<std::string> args;
    bool transforms;
    bool subtractive;
  };
  const Row rows[] = {
      {{"a.t3d"}, true, false},
      {{"--no-brush-transforms", "a.t3d"}, false, false},
      {{"--subtractive", "a.t3d"}, true, true},
      {{"--subtractive", "--no-brush-transforms", "a.t3d"}, false, true},
  };
  for (const Row& row : rows) {
    const auto options = std::get<ConvertOptions>(ParseCommandLine(row.args));
    EXPECT_EQ(options.Run.BrushTransforms, row.transforms) << testing::PrintToString(row.args);
    EXPECT_EQ(options.Run.Subtractive, row.subtractive) << testing::PrintToString(row.args);
  }
}

TEST(ParseCommandLine, BadUsageNamesTheProblem) {
  struct Row {
    std::vector<std::string> args;
    std::string expected;
  };
  const Row rows[] = {
      {{}, "usage: INPUT is required"},
      {{"-q"}, "usage: INPUT is required"},
      {{"-o", "x.obj", "a.t3d", "b.t3d"},
       "usage: --output names one file but 2 inputs were given; use --output-dir"},
      {{"-o", "x.obj", "--output-dir", "d", "a.t3d"}, "usage: --output excludes --output-dir"},
      {{"--texture-type", "tga", "a.t3d"},
       "usage: --texture-type: 'tga' is not one of BMP, PCX, JPG, PNG, TIF, GIF"},
      {{"--texture-type"}, "usage: --texture-type: 1 required T missing"},
      {{"--frobnicate", "a.t3d"}, "usage: The following argument was not expected: --frobnicate"},
      {{"--output-dir", "", "a.t3d"}, "usage: --output-dir: the name is empty"},
      {{"-o", "", "a.t3d"}, "usage: --output: the name is empty"},
      {{""}, "usage: INPUT: the name is empty"},
      // Two inputs whose outputs would land on the same file.
      {{"--output-dir", "out", "a/room.t3d", "b/room.t3d"},
       "usage: a/room.t3d and b/room.t3d would both write out/room.obj"},
      {{"room.t3d", "room.t3d"}, "usage: room.t3d and room.t3d would both write room.obj"},
      // The world places every brush itself and carves with the subtractive ones.
      {{"--world", "--no-brush-transforms", "a.t3d"},
       "usage: --world places every brush by its whole transform; --no-brush-transforms cannot "
       "go with it"},
      {{"--world", "--subtractive", "a.t3d"},
       "usage: --world builds subtractive brushes into the level's surfaces; --subtractive "
       "cannot go with it"},
      {{"--built-world", "--world", "a.unr"},
       "usage: --built-world writes the surfaces the editor built instead of building them; "
       "--world cannot go with it"},
      {{"--built-world", "--build-brush", "a.unr"},
       "usage: --built-world writes the surfaces the editor built, not the brushes; "
       "--build-brush cannot go with it"},
      {{"--format", "fbx", "a.t3d"}, "usage: --format: 'fbx' is not one of obj, glb"},
      {{"--scale", "0", "a.t3d"}, "usage: --scale: '0' is not a number above 0"},
      {{"--format", "GLB", "--output-dir", "o", "a/x.t3d", "b/x.t3d"},
       "usage: a/x.t3d and b/x.t3d would both write o/x.glb"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Outcome(row.args), row.expected) << testing::PrintToString(row.args);
  }
}

// The word after --light is optional: only a light word is taken as its value, anything else is
// the next argument.
TEST(ParseCommandLine, LightTakesItsWordOnlyWhenOneFollows) {
  struct Row {
    std::vector<std::string> args;
    std::string expected;
  };
  const auto light = [](const std::vector<std::string>& args) {
    const CommandLine parsed = ParseCommandLine(args);
    if (const auto* usage = std::get_if<UsageError>(&parsed)) return "usage: " + usage->Message;
    const ConvertOptions& options = std::get<ConvertOptions>(parsed);
    std::string inputs;
    for (const auto& input : options.Inputs) inputs += (inputs.empty() ? "" : ",") + input;
    return "light=" + std::to_string(static_cast<int>(options.Run.Light)) +
           " units=" + std::to_string(options.Run.BakeTexelUnits) +
           " keep=" + std::to_string(options.Run.LightsWithLight) + " in=" + inputs;
  };
  const Row rows[] = {
      {{"--world", "a.t3d"}, "light=0 units=4.000000 keep=0 in=a.t3d"},
      {{"--world", "--format", "glb", "--light", "a.t3d"},
       "light=1 units=4.000000 keep=0 in=a.t3d"},
      {{"--world", "--format", "glb", "a.t3d", "--light"},
       "light=1 units=4.000000 keep=0 in=a.t3d"},
      {{"--world", "--format", "glb", "--light", "maps", "a.t3d"},
       "light=1 units=4.000000 keep=0 in=a.t3d"},
      {{"--built-world", "--light", "Bake", "a.unr"}, "light=2 units=4.000000 keep=0 in=a.unr"},
      {{"--world", "--light=bake", "--texel-units", "0.5", "--keep-lights", "a.t3d"},
       "light=2 units=0.500000 keep=1 in=a.t3d"},
      {{"--world", "--light", "bake.t3d", "--format=glb"},
       "light=1 units=4.000000 keep=0 in=bake.t3d"},
      {{"--world", "--format=glb", "--light", "--", "bake"},
       "light=1 units=4.000000 keep=0 in=bake"},
      // OBJ files have no second texture coordinates for light maps.
      {{"--world", "--light", "a.t3d"},
       "usage: --light maps needs second texture coordinates, which OBJ files lack (--light bake "
       "carries the light there); OBJ output (--format obj, the default) cannot go with it"},
      {{"--light", "a.t3d"},
       "usage: --light lights the surfaces the level shows; writing the brushes (neither --world "
       "nor --built-world) cannot go with it"},
      {{"--with-meshes", "--light", "a.t3d"},
       "usage: --light lights the surfaces the level shows; writing the brushes (neither --world "
       "nor --built-world) cannot go with it"},
      {{"--world", "--light=sun", "a.t3d"}, "usage: --light: 'sun' is not one of maps, bake"},
      {{"--world", "--texel-units", "0", "a.t3d"},
       "usage: --texel-units: '0' is not a number from 0.25 to 256"},
      {{"--world", "--texel-units", "1000", "a.t3d"},
       "usage: --texel-units: '1000' is not a number from 0.25 to 256"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(light(row.args), row.expected) << testing::PrintToString(row.args);
  }
}

TEST(ParseCommandLine, HelpAndVersionAreInformation) {
  EXPECT_EQ(Outcome({"--version"}), "info: brushwright-convert 0.1.0\n");
  EXPECT_EQ(Outcome({"-h"}), "info: " + UsageText());
  EXPECT_EQ(Outcome({"--help", "a.t3d"}), "info: " + UsageText());
}

TEST(UsageText, ListsOptionsTheParserTakesWithinEightyColumns) {
  // A value the parser takes for each placeholder the help names.
  const std::map<std::string, std::string> samples = {
      {"FILE", "x.obj"}, {"DIR", "out"}, {"N", "2"}, {"T", "png"},
      {"F", "glb"},      {"M", "0.5"},   {"U", "2"}};
  const std::string help = UsageText();
  std::istringstream lines(help);
  int listed = 0;
  for (std::string line; std::getline(lines, line);) {
    EXPECT_LT(line.size(), 80u) << line;
    if (line.rfind("  -", 0) != 0) continue;
    std::istringstream words(line);
    std::string names;
    std::string placeholder;
    words >> names >> placeholder;
    std::vector<std::string> args = {names.substr(names.rfind(',') + 1)};
    if (samples.count(placeholder) != 0) args.push_back(samples.at(placeholder));
    // Every run has somewhere to write; -o names it itself.
    if (args[0] != "--output" && args[0] != "--output-dir") {
      args.insert(args.end(), {"--output-dir", "out"});
    }
    // The level's light falls on the world alone.
    if (args[0] == "--light") args.insert(args.end(), {"--world", "--format", "glb"});
    args.push_back("a.t3d");
    EXPECT_EQ(Outcome(args).rfind("usage: ", 0), std::string::npos) << line;
    ++listed;
  }
  EXPECT_GE(listed, 20);
}

TEST(OutputPathFor, BuildsTheObjPathOfEachInput) {
  struct Row {
    std::string output_file;
    std::string output_dir;
    std::string input;
    std::string expected;
  };
  const Row rows[] = {
      {"", "", "maps/room.t3d", "maps/room.obj"},
      {"", "", "room", "room.obj"},
      {"", "", "my.maps/room", "my.maps/room.obj"},
      {"", "", "room.v2.t3d", "room.v2.obj"},
      {"x/y.obj", "", "maps/room.t3d", "x/y.obj"},
      {"", "out", "maps/room.t3d", "out/room.obj"},
      {"", "out/", "maps/room.t3d", "out/room.obj"},
      {"", "/tmp/o", "room.T3D", "/tmp/o/room.obj"},
      {"", "out", "C:\\maps\\room.t3d", "out/room.obj"},
  };
  for (const Row& row : rows) {
    ConvertOptions options;
    options.OutputFile = row.output_file;
    options.OutputDir = row.output_dir;
    EXPECT_EQ(OutputPathFor(options, row.input), row.expected)
        << row.output_file << " | " << row.output_dir << " | " << row.input;
  }
}

// --format takes its words from the output kinds: each word, in any letter case, picks its kind,
// whose extension names the output; the list of a refused word names every kind.
TEST(ParseCommandLine, FormatWordsAreTheOutputKinds) {
  std::string words;
  for (const OutputKind& kind : OutputKinds()) {
    std::string upper(kind.Word);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const CommandLine parsed = ParseCommandLine({"--format", upper, "maps/room.t3d"});
    ASSERT_TRUE(std::holds_alternative<ConvertOptions>(parsed)) << kind.Word;
    const ConvertOptions& options = std::get<ConvertOptions>(parsed);
    EXPECT_EQ(options.Run.Format, kind.Format) << kind.Word;
    EXPECT_EQ(OutputPathFor(options, "maps/room.t3d"), "maps/room" + std::string(kind.Extension));
    words += (words.empty() ? "" : ", ") + std::string(kind.Word);
  }
  EXPECT_EQ(Outcome({"--format", "fbx", "a.t3d"}), "usage: --format: 'fbx' is not one of " + words);
}

}  // namespace
}  // namespace brushwright
