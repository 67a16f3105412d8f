// Tests of FormMain as the host of real conversion runs: output, pause, closing, failures.
#include "window/form_main.h"

#include <gtest/gtest.h>
#include <wx/app.h>

#include "../run/fake_host.h"
#include "support/test_inputs.h"
#include "window/autorun.h"
#include "window/picture_surface.h"
#include "window_test_support.h"
#include "wx_test_environment.h"

namespace brushwright::testing {
namespace {

// A level, its Rock texture beside the output, and a window set to convert it with a report.
struct HallRun {
  TempDir dir;
  std::string in_file = dir / "maps/hall.t3d";
  std::string out_file = dir / "window/hall.obj";
  TestWindow window{dir / "Brushwright.ini"};

  HallRun() {
    WriteBytes(in_file, kHallLevel);
    WritePng(dir / "window/Rock.PNG", 64, 32);
    window->UseInputFile(in_file);
    window->UseOutputFile(out_file);
    window.Choose("ListBMtypeOut", "PNG");  // Convert Geometry is ticked on a first start
    window.Check("CheckReport")->SetValue(true);
  }
  std::string Idle() const {
    return Shown(window.Button("CommandGo")) + " " + Shown(window.Button("CommandPause")) +
           (window->Running() ? " running" : " idle");
  }
};

TEST(FormMainRun, WritesWhatAnotherHostWrites) {
  REQUIRE_TOOLKIT();
  HallRun run;
  run.window.Click("CommandGo");
  ASSERT_EQ(run.window->LastRunOutcome(), RunOutcome::Done) << run.window->LastRunError();
  EXPECT_EQ(Shown(run.window.Label("LabelProgress")), "'Done'");
  EXPECT_EQ(Shown(run.window.Label("LabelPos")), "''");
  EXPECT_EQ(Shown(run.window.Label("LabelTextureName")), "'Rock'");
  EXPECT_EQ(run.Idle(), "<Go> <Pause> (disabled) idle");
  wxString summary = run.window.Label("LabelSummary")->GetLabel();
  summary.Replace("\n", " ");  // wrapped to the window's width
  EXPECT_EQ(summary, "faces 3, groups 1, materials 2, missing images 1, report blocks 1");
  // The finished run's picture stays: the Rock texture, with the outlines drawn over it.
  const wxBitmap& picture = run.window->Picture().Picture();
  EXPECT_EQ(picture.GetWidth(), 64);
  EXPECT_EQ(picture.GetHeight(), 32);

  FakeHost reference;
  const std::string reference_out = run.dir / "reference/hall.obj";
  WritePng(run.dir / "reference/Rock.PNG", 64, 32);
  reference.options.InputFile = run.in_file;
  reference.options.OutputFile = reference_out;
  reference.options.TextureType = "PNG";
  reference.options.Report = true;
  Convert(reference);

  // Moss has no image: both runs list it and tell the user once.
  EXPECT_EQ(run.window.messages->messages.size(), reference.Entries("message:").size());
  for (const char* suffix : {".obj", ".mtl", ".txt", "MissingTextures.txt"}) {
    const std::string mine = FileBytes(run.dir / "window/hall" + suffix);
    EXPECT_NE(mine, "<missing>") << suffix;
    EXPECT_EQ(mine, FileBytes(run.dir / "reference/hall" + suffix)) << suffix;
  }
}

TEST(FormMainRun, PauseThenContinue) {
  REQUIRE_TOOLKIT();
  HallRun run;
  std::vector<std::string> seen;
  // Both clicks arrive while the run yields, as a user's clicks do.
  wxTheApp->CallAfter([&] {
    run.window.Click("CommandPause");
    seen.push_back(run.Idle() + " " + Shown(run.window.Label("LabelProgress")));
    wxTheApp->CallAfter([&] {
      run.window.Click("CommandPause");
      seen.push_back(run.Idle());
    });
  });
  run.window.Click("CommandGo");
  EXPECT_EQ(seen, (std::vector<std::string>{"<Go> (disabled) <Cont> idle 'Paused..'",
                                            "<Go> (disabled) <Pause> running"}));
  EXPECT_EQ(run.window->LastRunOutcome(), RunOutcome::Done);
  EXPECT_EQ(run.Idle(), "<Go> <Pause> (disabled) idle");
}

TEST(FormMainRun, RunKeepsTheSwitchesOfGoAndGrayedBoxesCountAsOff) {
  REQUIRE_TOOLKIT();
  HallRun run;
  run.window.Check("CheckReport")->Set3StateValue(wxCHK_UNDETERMINED);
  // "Convert Geometry" unticked while the run yields: it counts from the next run on.
  wxTheApp->CallAfter([&] { run.window.Check("CheckDoGeometry")->SetValue(false); });
  run.window.Click("CommandGo");
  ASSERT_EQ(run.window->LastRunOutcome(), RunOutcome::Done) << run.window->LastRunError();
  EXPECT_EQ(FileBytes(run.dir / "window/hall.txt"), "<missing>");
  const std::string obj = FileBytes(run.out_file);
  EXPECT_EQ(obj.rfind("#converted from Brushwright by Brushwright\r\n", 0), 0u) << obj;
  EXPECT_NE(obj.find("f  1/1 2/2 3/3 4/4\r\n"), std::string::npos) << obj;

  std::filesystem::remove(run.out_file);
  run.window.Click("CommandGo");
  EXPECT_EQ(FileBytes(run.out_file), "<missing>");
  EXPECT_NE(FileBytes(run.dir / "window/hall.mtl"), "<missing>");

  // Brush switches ticked and then greyed by "Build World (CSG)" do not clash with it.
  run.window.Check("CheckDoGeometry")->SetValue(true);
  run.window.Tick("CheckSubtractBrushes", true);
  run.window.Tick("CheckBuildBrush", true);
  run.window.Tick("CheckBuildWorld", true);
  run.window.Click("CommandGo");
  ASSERT_EQ(run.window->LastRunOutcome(), RunOutcome::Done) << run.window->LastRunError();
  EXPECT_EQ(FileBytes(run.out_file).rfind("#converted from Brushwright", 0), 0u);
}

TEST(FormMainRun, ClosingEndsTheRunAndTheWindow) {
  REQUIRE_TOOLKIT();
  struct Row {
    const char* when;
    bool pause_first;
  } rows[] = {{"while paused", true}, {"while running", false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.when);
    HallRun run;
    wxTheApp->CallAfter([&] {
      if (row.pause_first) run.window.Click("CommandPause");
      wxTheApp->CallAfter([&] { run.window->Close(); });
    });
    run.window.Click("CommandGo");
    TestWindow::DeleteClosedWindows();
    EXPECT_TRUE(run.window.Gone());
    // The run gave up before its first face: no face, no material library, no report.
    const std::string obj = FileBytes(run.out_file);
    EXPECT_EQ(obj.find("usemtl"), std::string::npos) << obj;
    EXPECT_EQ(FileBytes(run.dir / "window/hall.mtl"), "<missing>");
    EXPECT_EQ(FileBytes(run.dir / "window/hall.txt"), "<missing>");
    // Closing saved the settings.
    EXPECT_NE(FileBytes(run.dir / "Brushwright.ini").find("InFile=" + run.in_file),
              std::string::npos);
  }
}

TEST(FormMainRun, FailedRunIsReportedAndLeavesTheWindowIdle) {
  REQUIRE_TOOLKIT();
  HallRun run;
  const std::string missing = run.dir / "maps/none.t3d";
  run.window->UseInputFile(missing);
  run.window.Click("CommandGo");
  ASSERT_EQ(run.window.messages->messages.size(), 1u);
  EXPECT_NE(run.window.messages->messages.front().find(missing), std::string::npos)
      << run.window.messages->messages.front();
  EXPECT_EQ(run.window->LastRunOutcome(), RunOutcome::NotStarted);
  EXPECT_EQ(run.Idle(), "<Go> <Pause> (disabled) idle");
  EXPECT_EQ(Shown(run.window.Label("LabelProgress")), "'Error'");

  // The window takes the next run as if nothing had happened.
  run.window->UseInputFile(run.in_file);
  run.window->UseOutputFile(run.out_file);
  run.window.Click("CommandGo");
  EXPECT_EQ(run.window->LastRunOutcome(), RunOutcome::Done);
  EXPECT_EQ(run.window.messages->messages.size(), 2u);  // the second says that Moss is missing
}

TEST(FormMainRun, GoWithoutInputDoesNothing) {
  REQUIRE_TOOLKIT();
  HallRun run;
  run.window->UseInputFile("");
  const std::string before = run.Idle();
  run.window.Click("CommandGo");
  EXPECT_EQ(Shown(run.window.Label("LabelProgress")), "''");
  EXPECT_EQ(FileBytes(run.dir / "Brushwright.ini"), "<missing>");  // not even saved
  EXPECT_TRUE(run.window.messages->messages.empty());
  EXPECT_EQ(run.Idle(), before);
}

TEST(FormMainRun, CorpusLevelsGiveWhatAnotherHostGives) {
  REQUIRE_TOOLKIT();
  for (const char* level : {"test_map.t3d", "xiii_cubes.t3d"}) {
    SCOPED_TRACE(level);
    const std::string in_file = std::string(BRUSHWRIGHT_CORPUS_DIR) + "/" + level;
    SKIP_IF_MISSING(FileBytes(in_file) == "<missing>" ? "no corpus level " + in_file : "");
    TempDir dir;
    TestWindow window(dir / "Brushwright.ini");
    window->UseInputFile(in_file);
    window->UseOutputFile(dir / "window/level.obj");
    window.Check("CheckDoGeometry")->SetValue(true);
    window.Check("CheckReport")->SetValue(true);
    std::filesystem::create_directories(std::filesystem::path(dir / "window"));
    window.Click("CommandGo");
    ASSERT_EQ(window->LastRunOutcome(), RunOutcome::Done) << window->LastRunError();

    FakeHost reference;
    std::filesystem::create_directories(std::filesystem::path(dir / "reference"));
    reference.options.InputFile = in_file;
    reference.options.OutputFile = dir / "reference/level.obj";
    reference.options.Report = true;
    Convert(reference);
    for (const char* suffix : {".obj", ".mtl", ".txt", "MissingTextures.txt"}) {
      EXPECT_EQ(FileBytes(dir / "window/level" + suffix),
                FileBytes(dir / "reference/level" + suffix))
          << suffix;
    }
  }
}

TEST(FormMainRun, UnattendedRunLeavesAPictureOfTheWindow) {
  REQUIRE_TOOLKIT();
  HallRun run;
  AutorunOptions options;
  options.Input = run.in_file;
  options.Output = run.dir / "window/auto.obj";
  options.Screenshot = run.dir / "window.png";
  EXPECT_TRUE(RunAutomatically(*run.window, options));
  EXPECT_NE(FileBytes(run.dir / "window/auto.obj"), "<missing>");
  wxImage picture;
  ASSERT_TRUE(picture.LoadFile(options.Screenshot, wxBITMAP_TYPE_PNG));
  EXPECT_EQ(picture.GetSize(), run.window->GetClientSize());

  options.Input = run.dir / "maps/none.t3d";
  EXPECT_FALSE(RunAutomatically(*run.window, options));
}

}  // namespace
}  // namespace brushwright::testing
