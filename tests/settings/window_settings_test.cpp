// Tests of loading and saving the window's stored inputs through a real settings file.
#include "settings/window_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "settings/ini_file.h"
#include "temp_files.h"

namespace brushwright {
namespace {

namespace fs = std::filesystem;

// A settings file in a fresh temporary folder, chosen for every later call.
class TempIni {
 public:
  TempIni() { SetIniFile(path().string(), "Brushwright"); }
  fs::path path() const { return dir_.path() / "Brushwright.ini"; }
  void Write(const std::string& bytes) const { WriteBytes(path(), bytes); }
  std::string Read() const { return ReadBytes(path()); }

 private:
  TempDir dir_;
};

// Sets the stored state of the check box with settings key `key`.
void SetCheck(WindowSettings& settings, std::string_view key, std::int16_t state) {
  for (const StoredCheckBox& box : StoredCheckBoxes()) {
    if (box.Key == key) settings.SetCheckState(box, state);
  }
}

// The settings of a new window: empty texts, each box in its default state.
WindowSettings NewWindowSettings() {
  WindowSettings settings;
  settings.Options.TextureType = "";
  for (const StoredCheckBox& box : StoredCheckBoxes()) settings.SetCheckState(box, box.Default);
  return settings;
}

WindowSettings SampleSettings() {
  WindowSettings settings = NewWindowSettings();
  settings.Options.InputFile = "C:\\maps\\Dig.t3d";
  settings.Options.OutputFile = "C:\\out\\Dig.obj";
  settings.Options.SearchPath = "d:\\data\\pics\\textures";
  settings.Options.TextureType = "PCX";
  settings.ListMaskedBMtypeOut = "BMP";
  SetCheck(settings, "CheckReport", kChecked);
  SetCheck(settings, "CheckBuildBrush", kGrayed);
  SetCheck(settings, "CheckDoGeometry", kChecked);
  SetCheck(settings, "CheckIgnoreDefTxt", kChecked);
  return settings;
}

// Every stored value in one line, so a failure shows the whole difference.
std::string Describe(const WindowSettings& s) {
  std::string text = s.Options.InputFile + "|" + s.Options.OutputFile + "|" + s.Options.SearchPath +
                     "|" + s.Options.TextureType + "|" + s.ListMaskedBMtypeOut;
  for (const StoredCheckBox& box : StoredCheckBoxes()) {
    text += " " + std::string(box.Key) + "=" + std::to_string(s.CheckState(box));
  }
  return text;
}

void ExpectSameSettings(const WindowSettings& actual, const WindowSettings& expected) {
  EXPECT_EQ(Describe(actual), Describe(expected));
}

TEST(LoadSettings, FirstStartWithoutFileGivesEmptyTextsAndClearedBoxes) {
  TempIni ini;
  ExpectSameSettings(LoadSettings(), NewWindowSettings());
  EXPECT_FALSE(fs::exists(ini.path())) << "loading never creates the file";
}

TEST(SaveSettings, FirstSaveOnNewFileWritesKeysInOrder) {
  TempIni ini;
  WindowSettings settings = SampleSettings();
  settings.ListMaskedBMtypeOut = "";  // no item selected
  SaveSettings(settings);
  EXPECT_EQ(Visible(ini.Read()), Visible("[Brushwright]\r\n"
                                         "InFile=C:\\maps\\Dig.t3d\r\n"
                                         "OutFile=C:\\out\\Dig.obj\r\n"
                                         "TextSearchPathTxt=d:\\data\\pics\\textures\r\n"
                                         "ListBMtypeOut=PCX\r\n"
                                         "ListMaskedBMtypeOut=\r\n"
                                         "CheckBuildBrush=2\r\n"
                                         "CheckReport=1\r\n"
                                         "CheckDoGeometry=1\r\n"
                                         "CheckIgnoreNoTxt=0\r\n"
                                         "CheckIgnoreDefTxt=1\r\n"
                                         "CheckSearchCopy=0\r\n"
                                         "CheckBrushTransforms=1\r\n"
                                         "CheckSubtractBrushes=0\r\n"
                                         "CheckBuildWorld=0\r\n"
                                         "ListOutputType=OBJ\r\n"
                                         "CheckBuiltWorld=0\r\n"
                                         "CheckStaticMeshes=1\r\n"
                                         "CheckMovers=1\r\n"
                                         "CheckTerrain=1\r\n"
                                         "CheckWithMeshes=0\r\n"
                                         "CheckLight=0\r\n"
                                         "CheckBakeLight=0\r\n"));
}

// The light is on only with its box ticked; the bake box is kept either way and makes the light
// baked when both are ticked.
TEST(SaveSettings, LightAndItsBakingLoadBackAsTheRunsLight) {
  struct Row {
    LightMode light;
    bool bake;
    const char* stored;
    LightMode loaded;
  };
  const Row rows[] = {
      {LightMode::None, false, "CheckLight=0\r\nCheckBakeLight=0\r\n", LightMode::None},
      {LightMode::None, true, "CheckLight=0\r\nCheckBakeLight=1\r\n", LightMode::None},
      {LightMode::Maps, false, "CheckLight=1\r\nCheckBakeLight=0\r\n", LightMode::Maps},
      {LightMode::Bake, true, "CheckLight=1\r\nCheckBakeLight=1\r\n", LightMode::Bake},
  };
  for (const Row& row : rows) {
    TempIni ini;
    WindowSettings settings = NewWindowSettings();
    settings.Options.Light = row.light;
    settings.BakeLight = row.bake;
    SaveSettings(settings);
    EXPECT_NE(ini.Read().find(std::string("CheckWithMeshes=0\r\n") + row.stored), std::string::npos)
        << Visible(ini.Read());
    const WindowSettings loaded = LoadSettings();
    EXPECT_EQ(loaded.Options.Light, row.loaded) << row.stored;
    EXPECT_EQ(loaded.BakeLight, row.bake) << row.stored;
  }
}

TEST(SaveSettings, SecondSaveReplacesValuesInPlace) {
  TempIni ini;
  SaveSettings(SampleSettings());
  std::string first = ini.Read();
  WindowSettings changed = SampleSettings();
  changed.Options.InputFile = "C:\\maps\\Other.t3d";
  SetCheck(changed, "CheckSearchCopy", kChecked);
  SaveSettings(changed);
  std::string expected = first;
  expected.replace(expected.find("Dig.t3d"), 7, "Other.t3d");
  expected.replace(expected.find("CheckSearchCopy=0"), 17, "CheckSearchCopy=1");
  EXPECT_EQ(Visible(ini.Read()), Visible(expected));
  ExpectSameSettings(LoadSettings(), changed);
}

TEST(SaveSettings, TextWithBlanksAtItsEndsLoadsBackWithoutThem) {
  TempIni ini;
  WindowSettings settings = NewWindowSettings();
  settings.Options.InputFile = "  C:\\maps\\Dig.t3d  ";
  SaveSettings(settings);
  EXPECT_NE(ini.Read().find("InFile=  C:\\maps\\Dig.t3d  \r\n"), std::string::npos)
      << "stored with its blanks";
  EXPECT_EQ(LoadSettings().Options.InputFile, "C:\\maps\\Dig.t3d");
}

TEST(LoadSettings, HandEditedFileInOtherLetterCase) {
  TempIni ini;
  ini.Write(
      "[BRUSHWRIGHT]\n"
      "infile = \"C:\\maps\\Dig.t3d\"\n"
      "OUTFILE='C:\\out\\Dig.obj'\n"
      "listbmtypeout=PCX\n"
      "checkreport=1.7\n"
      "CHECKBUILDBRUSH=-0.5\n"
      "CheckDoGeometry=abc\n"
      "CheckIgnoreNoTxt=\n"
      "CheckSearchCopy=70000\n");
  // Only 1 checks a box; other numbers leave it unchecked.
  WindowSettings expected = NewWindowSettings();
  expected.Options.InputFile = "C:\\maps\\Dig.t3d";
  expected.Options.OutputFile = "C:\\out\\Dig.obj";
  expected.Options.TextureType = "PCX";
  SetCheck(expected, "CheckReport", kChecked);
  SetCheck(expected, "CheckDoGeometry", kUnchecked);
  ExpectSameSettings(LoadSettings(), expected);
}

TEST(SaveSettings, OtherSectionsAndKeysStayByteIdentical) {
  TempIni ini;
  const std::string before = "; written by hand\r\n[Window]\r\nLeft=10\r\nTop=20\r\n\r\n";
  const std::string after = "\r\n[Recent]\r\nFile1=a.t3d\r\n; end\r\n";
  // A key the window does not know (yet) stays in its place.
  ini.Write(before + "[Brushwright]\r\nInFile=old.t3d\r\nLastFace=12\r\n" + after);
  WindowSettings settings = NewWindowSettings();
  settings.Options.InputFile = "new.t3d";
  SaveSettings(settings);
  EXPECT_EQ(Visible(ini.Read()), Visible(before +
                                         "[Brushwright]\r\n"
                                         "InFile=new.t3d\r\n"
                                         "LastFace=12\r\n"
                                         "OutFile=\r\n"
                                         "TextSearchPathTxt=\r\n"
                                         "ListBMtypeOut=\r\n"
                                         "ListMaskedBMtypeOut=\r\n"
                                         "CheckBuildBrush=0\r\n"
                                         "CheckReport=0\r\n"
                                         "CheckDoGeometry=1\r\n"
                                         "CheckIgnoreNoTxt=0\r\n"
                                         "CheckIgnoreDefTxt=0\r\n"
                                         "CheckSearchCopy=0\r\n"
                                         "CheckBrushTransforms=1\r\n"
                                         "CheckSubtractBrushes=0\r\n"
                                         "CheckBuildWorld=0\r\n"
                                         "ListOutputType=OBJ\r\n"
                                         "CheckBuiltWorld=0\r\n"
                                         "CheckStaticMeshes=1\r\n"
                                         "CheckMovers=1\r\n"
                                         "CheckTerrain=1\r\n"
                                         "CheckWithMeshes=0\r\n"
                                         "CheckLight=0\r\n"
                                         "CheckBakeLight=0\r\n" +
                                         after));
}

TEST(LoadSettings, BrushTransformsAreOnUnlessTheFileSaysOtherwise) {
  struct Row {
    const char* file;
    std::int16_t transforms;
    std::int16_t subtract;
  };
  const Row rows[] = {
      {"", 1, 0},
      {"[Brushwright]\r\nInFile=a.t3d\r\n", 1, 0},
      {"[Brushwright]\r\nCheckBrushTransforms=0\r\nCheckSubtractBrushes=1\r\n", 0, 1},
      {"[Brushwright]\r\ncheckbrushtransforms=2\r\n", 2, 0},
  };
  for (const Row& row : rows) {
    TempIni ini;
    if (*row.file != '\0') ini.Write(row.file);
    const std::string stored = Describe(LoadSettings());
    EXPECT_NE(stored.find("CheckBrushTransforms=" + std::to_string(row.transforms)),
              std::string::npos)
        << row.file;
    EXPECT_NE(stored.find("CheckSubtractBrushes=" + std::to_string(row.subtract)),
              std::string::npos)
        << row.file;
  }
}

TEST(LoadSettings, ConvertGeometryIsTickedUnlessTheFileClearsIt) {
  const std::pair<const char*, bool> rows[] = {
      {"", true},
      {"[Brushwright]\r\nInFile=a.t3d\r\n", true},
      {"[Brushwright]\r\nCheckDoGeometry=0\r\n", false},
  };
  for (const auto& [file, geometry] : rows) {
    TempIni ini;
    if (*file != '\0') ini.Write(file);
    EXPECT_EQ(LoadSettings().Options.DoGeometry, geometry) << file;
  }
}

}  // namespace
}  // namespace brushwright
