// Tests of FormMain's controls, browse commands, type lists, dropped files, settings and dialogs.
#include "window/form_main.h"

#include <gtest/gtest.h>
#include <wx/cmdline.h>
#include <wx/dnd.h>
#include <wx/filename.h>
#include <wx/listbox.h>
#include <wx/log.h>
#include <wx/panel.h>

#include "run/option_rules.h"
#include "vecmath/vecmath.h"
#include "window/autorun.h"
#include "window_test_support.h"
#include "wx_test_environment.h"

namespace brushwright::testing {
namespace {

const char* const kAllTypes = "BMP PCX JPG PNG TIF GIF";

TEST(FormMain, OpensWithItsCaptionsAndStates) {
  REQUIRE_TOOLKIT();
  TempDir dir;
  TestWindow window(dir / "Brushwright.ini");  // no settings file yet: a first start
  EXPECT_EQ(ToText(window->GetTitle()), "Brushwright - Quillmoor");

  // A first start empties the texts and clears the check boxes that the layout set, all but
  // Convert Geometry: without it Go would write no mesh.
  struct Row {
    const char* name;
    std::string shown;
  } rows[] = {
      {"Label1", "'Input Level File (T3D or Map)'"},
      {"TextInFileName", "[]"},
      {"CommandBrowseInput", "<...>"},
      {"Label2", "'Output OBJ File'"},
      {"LabelStartAtPoly", "'Start at Face:'"},
      {"TextStartAtPoly", "[1]"},
      {"TextOutFileName", "[]"},
      {"CommandBrowseOutput", "<...>"},
      {"LabelPos", "''"},
      {"CommandGo", "<Go>"},
      {"CommandPause", "<Pause> (disabled)"},
      {"LabelProgress", "''"},
      {"CheckDoGeometry", "[x] Convert Geometry"},
      {"CheckIgnoreNoTxt", "[ ] Ignore No Tex."},
      {"CheckIgnoreDefTxt", "[ ] Ignore Def Tex."},
      {"CheckBuildBrush", "[ ] Just the 'Build Brush'"},
      {"CheckSearchCopy", "[ ] Copy Textures to Output Path"},
      {"Label4", "'Texture Type:'"},
      {"ListBMtypeOut", "*BMP PCX JPG PNG TIF GIF"},
      {"Label5", "'Masked Texture Type:'"},
      {"ListMaskedBMtypeOut", kAllTypes},
      {"LabelSearchPath", "'Texture Search Folder'"},
      {"TextSearchPathTxt", "[]"},
      {"CommandBrowseSearchPath", "<...>"},
      {"Label3", "'Coordinates:'"},
      {"OptionOBJ", "(o) OBJ"},
      {"OptionW3D", "( ) W3D"},
      {"LabelTextureName", "'<name>'"},
      {"CheckReport", "[ ] Create Report"},
      {"PictureTexture", ""},
      {"LabelSummary", "''"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Shown(window.Find<wxWindow>(row.name)), row.shown) << row.name;
  }

  EXPECT_FALSE(window->Running());
  EXPECT_FALSE(window->StopRequested());
}

TEST(FormMain, KeyboardOrderFollowsTheDesign) {
  REQUIRE_TOOLKIT();
  TempDir dir;
  TestWindow window(dir / "Brushwright.ini");
  const std::string expected =
      "CommandGo LabelProgress LabelPos Label1 TextInFileName CommandBrowseInput Label2 "
      "TextOutFileName CommandBrowseOutput PictureBook CheckSearchCopy LabelSearchPath "
      "TextSearchPathTxt CommandBrowseSearchPath CheckDoGeometry CheckReport CheckIgnoreNoTxt "
      "CommandPause LabelStartAtPoly TextStartAtPoly OptionOBJ OptionW3D ListBMtypeOut Label4 "
      "Label3 ListMaskedBMtypeOut Label5 CheckBuildBrush CheckIgnoreDefTxt LabelTextureName "
      "CheckBrushTransforms CheckSubtractBrushes CheckBuildWorld CheckBuiltWorld "
      "CheckStaticMeshes CheckMovers CheckTerrain CheckWithMeshes CheckLight CheckBakeLight Label6 "
      "ListOutputType "
      "LabelSummary";
  std::string order;
  for (wxWindow* child : window.Find<wxWindow>("CommandGo")->GetParent()->GetChildren()) {
    order += (order.empty() ? "" : " ") + ToText(child->GetName());
  }
  EXPECT_EQ(order, expected);
}

TEST(FormMain, BrowseCommandsFillTheNamesAndEnableGo) {
  REQUIRE_TOOLKIT();
  struct Row {
    const char* command;
    std::optional<std::string> chosen;  // nothing: the user cancels
    std::string in_before, out_before;
    std::string in_after, out_after;
    bool go_after;
  } rows[] = {
      {"CommandBrowseInput", "x/hall.t3d", "", "", "x/hall.t3d", "x/hall.obj", true},
      {"CommandBrowseInput", "x/hall.t3d", "a.t3d", "kept.obj", "x/hall.t3d", "x/hall.obj", true},
      // Only a dot in the file's own name starts an extension.
      {"CommandBrowseInput", "x/my.maps/hall", "", "", "x/my.maps/hall", "x/my.maps/hall.obj",
       true},
      {"CommandBrowseInput", std::nullopt, "a.t3d", "", "a.t3d", "", false},
      {"CommandBrowseInput", std::nullopt, "a.t3d", "a.obj", "a.t3d", "a.obj", true},
      {"CommandBrowseOutput", "y/new.obj", "a.t3d", "", "a.t3d", "y/new.obj", true},
      {"CommandBrowseOutput", "y/new.obj", "", "", "", "y/new.obj", false},
      {"CommandBrowseOutput", std::nullopt, "", "b.obj", "", "b.obj", false},
      {"CommandBrowseOutput", std::nullopt, "a.t3d", "b.obj", "a.t3d", "b.obj", true},
  };
  TempDir dir;
  TestWindow window(dir / "Brushwright.ini");
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.command) + " " + row.chosen.value_or("<cancel>") + " from [" +
                 row.in_before + "] [" + row.out_before + "]");
    window.Text("TextInFileName")->ChangeValue(row.in_before);
    window.Text("TextOutFileName")->ChangeValue(row.out_before);
    window.Button("CommandGo")->Enable(!row.go_after);  // so that the command must change it
    window.dialogs->input = window.dialogs->output = row.chosen;
    window.dialogs->started_from.clear();
    window.Click(row.command);
    EXPECT_EQ(Shown(window.Text("TextInFileName")), "[" + row.in_after + "]");
    EXPECT_EQ(Shown(window.Text("TextOutFileName")), "[" + row.out_after + "]");
    EXPECT_EQ(window.Button("CommandGo")->IsEnabled(), row.go_after);
    const std::string& current =
        std::string(row.command) == "CommandBrowseInput" ? row.in_before : row.out_before;
    EXPECT_EQ(window.dialogs->started_from, std::vector<std::string>{current});
  }
}

TEST(FormMain, SearchPathBrowseTakesADirectory) {
  REQUIRE_TOOLKIT();
  TempDir dir;
  TestWindow window(dir / "Brushwright.ini");
  window.Text("TextSearchPathTxt")->ChangeValue("/old/textures");
  window.dialogs->directory = "/data/textures";
  window.Click("CommandBrowseSearchPath");
  EXPECT_EQ(Shown(window.Text("TextSearchPathTxt")), "[/data/textures]");

  window.dialogs->directory.reset();
  window.Click("CommandBrowseSearchPath");
  EXPECT_EQ(Shown(window.Text("TextSearchPathTxt")), "[/data/textures]");
  EXPECT_EQ(window.dialogs->started_from,
            (std::vector<std::string>{"/old/textures", "/data/textures"}));
}

TEST(FormMain, MaskedTypeFollowsTheTextureType) {
  REQUIRE_TOOLKIT();
  TempDir dir;
  TestWindow window(dir / "Brushwright.ini");
  window.Choose("ListBMtypeOut", "PNG");
  EXPECT_EQ(Shown(window.List("ListBMtypeOut")), "BMP PCX JPG *PNG TIF GIF");
  EXPECT_EQ(Shown(window.List("ListMaskedBMtypeOut")), "BMP PCX JPG *PNG TIF GIF");
  window.Choose("ListMaskedBMtypeOut", "GIF");
  EXPECT_EQ(Shown(window.List("ListBMtypeOut")), "BMP PCX JPG *PNG TIF GIF");
  EXPECT_EQ(Shown(window.List("ListMaskedBMtypeOut")), "BMP PCX JPG PNG TIF *GIF");
  EXPECT_EQ(window->OptionsFromControls().TextureType, "PNG");
}

TEST(FormMain, BuildWorldAndOutputTypeSteerTheOtherControls) {
  REQUIRE_TOOLKIT();
  TempDir dir;
  const std::string ini = dir / "Brushwright.ini";
  {
    TestWindow window(ini);
    window->UseInputFile("/maps/hall.t3d");
    window.Choose("ListOutputType", "glTF (binary)");
    EXPECT_EQ(Shown(window.Text("TextOutFileName")), "[/maps/hall.glb]");
    EXPECT_EQ(Shown(window.Label("Label2")), "'Output glTF File'");
    // The coordinates shape the OBJ file and the report only.
    EXPECT_EQ(Shown(window.Find<wxWindow>("OptionW3D")), "( ) W3D (disabled)");
    window.Tick("CheckReport", true);
    EXPECT_EQ(Shown(window.Find<wxWindow>("OptionW3D")), "( ) W3D");
    window.Tick("CheckReport", false);
    window->UseInputFile("/maps/deck.t3d");
    EXPECT_EQ(Shown(window.Text("TextOutFileName")), "[/maps/deck.glb]");
    window.Tick("CheckBuildWorld", true);
    EXPECT_FALSE(window.Check("CheckBrushTransforms")->IsEnabled());
    EXPECT_FALSE(window.Check("CheckSubtractBrushes")->IsEnabled());
    EXPECT_FALSE(window.Check("CheckBuildBrush")->IsEnabled());
    EXPECT_TRUE(window->OptionsFromControls().BuildWorld);
    EXPECT_EQ(window->OptionsFromControls().Format, OutputFormat::Glb);
    window->Close();
    TestWindow::DeleteClosedWindows();
  }
  EXPECT_NE(FileBytes(ini).find("CheckBuildWorld=1\r\nListOutputType=glTF (binary)\r\n"),
            std::string::npos)
      << FileBytes(ini);
  TestWindow reopened(ini);
  EXPECT_EQ(Shown(reopened.List("ListOutputType")), "OBJ *glTF (binary)");
  EXPECT_EQ(Shown(reopened.Label("Label3")), "'Coordinates:' (disabled)");
  EXPECT_FALSE(reopened.Check("CheckSubtractBrushes")->IsEnabled());
  reopened.Tick("CheckBuildWorld", false);
  EXPECT_TRUE(reopened.Check("CheckBrushTransforms")->IsEnabled());
  reopened.Choose("ListOutputType", "OBJ");
  EXPECT_EQ(Shown(reopened.Text("TextOutFileName")), "[/maps/deck.obj]");
  EXPECT_EQ(Shown(reopened.Label("Label2")) + Shown(reopened.Find<wxWindow>("OptionOBJ")),
            "'Output OBJ File'(o) OBJ");
}

TEST(FormMain, OwnBuildBoxGreysTheWorldAndBrushBoxesAndIsStoredLast) {
  REQUIRE_TOOLKIT();
  TempDir dir;
  const std::string ini = dir / "Brushwright.ini";
  {
    TestWindow window(ini);
    window.Tick("CheckBuiltWorld", true);
    for (const char* box :
         {"CheckBuildWorld", "CheckBrushTransforms", "CheckSubtractBrushes", "CheckBuildBrush"}) {
      EXPECT_FALSE(window.Check(box)->IsEnabled()) << box;
    }
    EXPECT_TRUE(window->OptionsFromControls().BuiltWorld);
    window->Close();
    TestWindow::DeleteClosedWindows();
  }
  EXPECT_NE(FileBytes(ini).find("ListOutputType=OBJ\r\nCheckBuiltWorld=1\r\n"), std::string::npos)
      << FileBytes(ini);
  TestWindow reopened(ini);
  EXPECT_FALSE(reopened.Check("CheckBuildWorld")->IsEnabled());
}

// The light falls on a world output alone, and baking it needs it on; both boxes come back as
// they were left.
TEST(FormMain, LightBoxesNeedTheWorldAndComeBackAsLeft) {
  REQUIRE_TOOLKIT();
  TempDir dir;
  const std::string ini = dir / "Brushwright.ini";
  {
    TestWindow window(ini);
    EXPECT_FALSE(window.Check("CheckLight")->IsEnabled());
    window.Tick("CheckBuildWorld", true);
    EXPECT_TRUE(window.Check("CheckLight")->IsEnabled());
    EXPECT_FALSE(window.Check("CheckBakeLight")->IsEnabled());
    window.Tick("CheckLight", true);
    // OBJ files carry the light baked alone: the run is given it baked.
    EXPECT_FALSE(window.Check("CheckBakeLight")->IsEnabled());
    EXPECT_EQ(WithoutInapplicableSwitches(window->OptionsFromControls()).Light, LightMode::Bake);
    window.Choose("ListOutputType", "glTF (binary)");
    EXPECT_TRUE(window.Check("CheckBakeLight")->IsEnabled());
    EXPECT_EQ(window->OptionsFromControls().Light, LightMode::Maps);
    window.Tick("CheckBakeLight", true);
    EXPECT_EQ(window->OptionsFromControls().Light, LightMode::Bake);
    window.Tick("CheckBuildWorld", false);
    EXPECT_FALSE(window.Check("CheckLight")->IsEnabled());
    EXPECT_FALSE(window.Check("CheckBakeLight")->IsEnabled());
    window->Close();
    TestWindow::DeleteClosedWindows();
  }
  EXPECT_NE(FileBytes(ini).find("CheckLight=1\r\nCheckBakeLight=1\r\n"), std::string::npos)
      << FileBytes(ini);
  TestWindow reopened(ini);
  EXPECT_FALSE(reopened.Check("CheckLight")->IsEnabled());
  reopened.Tick("CheckBuiltWorld", true);
  EXPECT_EQ(reopened->OptionsFromControls().Light, LightMode::Bake);
}

TEST(FormMain, DroppedT3dFileBecomesTheInput) {
  REQUIRE_TOOLKIT();
  TempDir dir;
  TestWindow window(dir / "Brushwright.ini");
  auto* drop = dynamic_cast<wxFileDropTarget*>(
      window.Find<wxWindow>("CommandGo")->GetParent()->GetDropTarget());
  ASSERT_NE(drop, nullptr);

  wxArrayString no_level;
  no_level.Add("/maps/readme.txt");
  EXPECT_FALSE(drop->OnDropFiles(0, 0, no_level));
  EXPECT_EQ(Shown(window.Text("TextInFileName")), "[]");

  wxArrayString files;
  files.Add("/maps/readme.txt");
  files.Add("/maps/Hall.T3D");
  EXPECT_TRUE(drop->OnDropFiles(0, 0, files));
  EXPECT_EQ(Shown(window.Text("TextInFileName")), "[/maps/Hall.T3D]");
  EXPECT_EQ(Shown(window.Text("TextOutFileName")), "[/maps/Hall.obj]");
  EXPECT_TRUE(window.Button("CommandGo")->IsEnabled());
  // A map package is known by its signature, whatever its name.
  WriteBytes(dir / "Deck.map", std::string("\xC1\x83\x2A\x9E", 4));
  wxArrayString map;
  map.Add(dir / "Deck.map");
  EXPECT_TRUE(drop->OnDropFiles(0, 0, map));
  EXPECT_EQ(Shown(window.Text("TextInFileName")), "[" + dir / "Deck.map" + "]");
}

TEST(FormMain, FileNamedOnTheCommandLineBecomesTheInput) {
  REQUIRE_TOOLKIT();
  struct Row {
    std::vector<const char*> args;  // after the program's name
    bool parsed;                    // whether wxCmdLineParser::Parse accepts them
    std::string input;              // the request's input file
  };
  const std::string here = wxFileName::GetCwd().utf8_string();
  const Row rows[] = {
      {{"/maps/DM-Deck16][.unr"}, true, "/maps/DM-Deck16][.unr"},
      {{"maps/Hall.t3d"}, true, here + "/maps/Hall.t3d"},
      {{}, true, ""},
      {{"--autorun", "/maps/Hall.t3d", "--output", "/out/Hall.obj"}, true, ""},
      {{"/maps/a.unr", "/maps/b.unr"}, false, ""},
  };
  for (const Row& row : rows) {
    std::vector<char*> argv = {const_cast<char*>("brushwright")};
    for (const char* arg : row.args) argv.push_back(const_cast<char*>(arg));
    wxCmdLineParser parser(static_cast<int>(argv.size()), argv.data());
    DescribeCommandLine(parser);
    wxLogNull quiet;  // the parser's complaint about the second file
    ASSERT_EQ(parser.Parse(false) == 0, row.parsed) << ::testing::PrintToString(row.args);
    if (!row.parsed) continue;
    const StartupRequest request = StartupRequestOf(parser);
    EXPECT_EQ(request.InputFile, row.input);
    EXPECT_EQ(request.Autorun.has_value(), row.args.size() > 1);
  }
  TempDir dir;
  TestWindow window(dir / "Brushwright.ini");
  window->UseInputFile("/maps/DM-Deck16][.unr");
  EXPECT_EQ(Shown(window.Text("TextOutFileName")), "[/maps/DM-Deck16][.obj]");
  EXPECT_TRUE(window.Button("CommandGo")->IsEnabled());
}

TEST(FormMain, SettingsComeBackAtTheNextStart) {
  REQUIRE_TOOLKIT();
  TempDir dir;
  const std::string ini = dir / "Brushwright.ini";
  const char* const controls[] = {"TextInFileName",    "TextOutFileName",     "TextSearchPathTxt",
                                  "ListBMtypeOut",     "ListMaskedBMtypeOut", "CheckReport",
                                  "CheckBuildBrush",   "CheckDoGeometry",     "CheckIgnoreNoTxt",
                                  "CheckIgnoreDefTxt", "CheckSearchCopy"};
  std::vector<std::string> before;
  {
    TestWindow window(ini);
    window.Text("TextInFileName")->ChangeValue("/maps/hall.t3d");
    window.Text("TextOutFileName")->ChangeValue("/out/hall.obj");
    window.Text("TextSearchPathTxt")->ChangeValue("/data/textures");
    window.Choose("ListBMtypeOut", "TIF");
    window.Choose("ListMaskedBMtypeOut", "PCX");
    window.Check("CheckReport")->SetValue(true);
    window.Check("CheckDoGeometry")->SetValue(true);
    window.Check("CheckIgnoreDefTxt")->Set3StateValue(wxCHK_UNDETERMINED);
    window.Check("CheckSearchCopy")->SetValue(true);
    for (const char* name : controls) before.push_back(Shown(window.Find<wxWindow>(name)));
    window->Close();
    TestWindow::DeleteClosedWindows();
    EXPECT_TRUE(window.Gone());
  }
  EXPECT_NE(FileBytes(ini).find("ListMaskedBMtypeOut=PCX"), std::string::npos) << FileBytes(ini);

  TestWindow reopened(ini);
  for (std::size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(Shown(reopened.Find<wxWindow>(controls[i])), before[i]) << controls[i];
  }
}

TEST(FormMain, OddStoredValuesStillOpenTheWindow) {
  REQUIRE_TOOLKIT();
  TempDir dir;
  const std::string ini = dir / "Brushwright.ini";
  WriteBytes(ini,
             "[Brushwright]\r\nListBMtypeOut=XYZ\r\nListMaskedBMtypeOut=GIF\r\n"
             "CheckReport=7\r\nCheckDoGeometry=1.7\r\nCheckSearchCopy=abc\r\n");
  TestWindow window(ini);
  EXPECT_EQ(Shown(window.List("ListBMtypeOut")), "*BMP PCX JPG PNG TIF GIF");
  EXPECT_EQ(Shown(window.List("ListMaskedBMtypeOut")), "BMP PCX JPG PNG TIF *GIF");
  EXPECT_EQ(Shown(window.Check("CheckReport")), "[ ] Create Report");
  EXPECT_EQ(Shown(window.Check("CheckDoGeometry")), "[x] Convert Geometry");
  EXPECT_EQ(Shown(window.Check("CheckSearchCopy")), "[ ] Copy Textures to Output Path");
}

TEST(NameListDialog, LongListScrollsInADialogThatFitsTheScreen) {
  REQUIRE_TOOLKIT();
  std::string text = "You need to make the following texture files available:\r\n";
  for (int i = 0; i < 300; ++i) text += "Wall" + std::to_string(i) + ".BMP\r\n";
  for (const int screen_height : {1024, 400, 200}) {
    SCOPED_TRACE(screen_height);
    NameListDialog dialog(nullptr, text, "Brushwright", wxRect(0, 0, 1280, screen_height));
    EXPECT_LE(dialog.GetSize().y, screen_height);
    EXPECT_EQ(Shown(dialog.FindWindow("LabelHeading")),
              "'You need to make the following texture files available:'");
    auto* list = dynamic_cast<wxListBox*>(dialog.FindWindow("ListNames"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetCount(), 300u);
    EXPECT_EQ(list->GetString(299), "Wall299.BMP");
    EXPECT_NE(dialog.FindWindow(wxID_OK), nullptr);
  }
}

}  // namespace
}  // namespace brushwright::testing
