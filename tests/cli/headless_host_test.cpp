// Tests of the command line's run host and its progress line.
#include "cli/headless_host.h"

#include "cli/command_line.h"
#include "image/image_file.h"
#include "support/test_files.h"
#include "text/brush_error.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace brushwright {
namespace {

// The names and switches a run of maps/room.t3d is told, in one line.
std::string Told(const RunOptions& o) {
  return o.InputFile + "|" + o.OutputFile + "|" + o.StartFace + "|" + o.TextureType + "|" +
         std::to_string(o.DoGeometry) + std::to_string(o.Report);
}

TEST(RunOptionsFor, NamesEachInputsOutputAndKeepsTheSwitches) {
  struct Row {
    const char* name;
    void (*change)(ConvertOptions&);
    std::string expected;
  };
  const Row rows[] = {
      {"defaults", [](ConvertOptions&) {}, "maps/room.t3d|maps/room.obj|1|BMP|10"},
      {"output file", [](ConvertOptions& o) { o.OutputFile = "x.obj"; },
       "maps/room.t3d|x.obj|1|BMP|10"},
      {"output dir", [](ConvertOptions& o) { o.OutputDir = "out"; },
       "maps/room.t3d|out/room.obj|1|BMP|10"},
      {"switches",
       [](ConvertOptions& o) {
         o.Run.StartFace = " 7x";
         o.Run.TextureType = "GIF";
         o.Run.DoGeometry = false;
         o.Run.Report = true;
       },
       "maps/room.t3d|maps/room.obj| 7x|GIF|01"},
  };
  for (const Row& row : rows) {
    ConvertOptions options;
    row.change(options);
    EXPECT_EQ(Told(RunOptionsFor(options, "maps/room.t3d")), row.expected) << row.name;
  }
}

TEST(HeadlessHost, ShowingAPictureRestartsTheOutline) {
  std::ostringstream messages;
  ProgressDisplay progress(messages, false, 80);
  HeadlessHost host(messages, progress);
  host.SetCurrentPosition(5, 6);
  host.ShowPicture(Image{});
  double x = -1;
  double y = -1;
  host.CurrentPosition(x, y);
  EXPECT_EQ(x + y, 0);
  EXPECT_EQ(messages.str(), "");
}

TEST(HeadlessHost, MessagesBecomeTitledLines) {
  struct Row {
    std::string text;
    std::string title;
    std::string expected;
  };
  const Row rows[] = {
      {"You need to make the following texture files available:\r\nWall.BMP\r\nRock.BMP\r\n",
       "Brushwright",
       "Brushwright: You need to make the following texture files available:\n"
       "Brushwright: Wall.BMP\nBrushwright: Rock.BMP\n"},
      {"Error: 13 - Permission denied", "Unexpected Error",
       "Unexpected Error: Error: 13 - Permission denied\n"},
      {"one\ntwo", "T", "T: one\nT: two\n"},
      {"", "Brushwright", "Brushwright:\n"},
  };
  for (const Row& row : rows) {
    std::ostringstream messages;
    ProgressDisplay progress(messages, false, 80);
    HeadlessHost host(messages, progress);
    host.ShowMessage(row.text, row.title, MessageKind::Notice);
    EXPECT_EQ(messages.str(), row.expected) << row.text;
  }
}

// An interval no test outlasts: only Start draws.
constexpr std::chrono::hours kNeverDue{1};

TEST(HeadlessHost, StagesAndFacesFeedTheProgressLine) {
  std::ostringstream terminal;
  ProgressDisplay progress(terminal, true, 80, std::chrono::milliseconds(0));
  HeadlessHost host(terminal, progress);
  progress.Start("room.t3d");
  host.ShowFace(10, 40);
  host.SetLabelProgress("converting vertices");
  host.ShowFace(20, 40);
  host.SetLabelProgress("ignoring face 20");
  host.SetLabelPos("Writing Report");
  host.Yield();
  // With no interval every change is drawn, each draw turning the spinner once.
  const char* const draws[] = {
      "| room.t3d [                    ] face 0/0",
      "/ room.t3d [#####               ] face 10/40",
      "- room.t3d [#####               ] face 10/40 converting vertices",
      "\\ room.t3d [##########          ] face 20/40 converting vertices",
      "| room.t3d [##########          ] face 20/40 ignoring face 20",
      "/ room.t3d [##########          ] face 20/40 ignoring face 20",
  };
  std::string expected;
  for (const char* draw : draws) expected += std::string("\r\x1b[K") + draw;
  EXPECT_EQ(terminal.str(), expected);
}

TEST(HeadlessHost, MessageClearsTheProgressLineFirst) {
  std::ostringstream terminal;
  ProgressDisplay progress(terminal, true, 80, kNeverDue);
  HeadlessHost host(terminal, progress);
  progress.Start("room.t3d");
  host.ShowFace(10, 40);
  host.Yield();
  host.ShowMessage("Wall.BMP", "Brushwright", MessageKind::Notice);
  EXPECT_EQ(terminal.str(),
            "\r\x1b[K| room.t3d [                    ] face 0/0\r\x1b[KBrushwright: Wall.BMP\n");
}

TEST(ProgressLineText, ShowsNameFaceOfTotalAndStage) {
  struct Row {
    std::int64_t face;
    std::int64_t total;
    const char* stage;
    std::size_t width;
    unsigned frame;
    const char* expected;
  };
  const Row rows[] = {
      {0, 40, "", 80, 0, "| room.t3d [                    ] face 0/40"},
      {10, 40, "getting poly", 80, 1, "/ room.t3d [#####               ] face 10/40 getting poly"},
      {40, 40, "Done", 80, 2, "- room.t3d [####################] face 40/40 Done"},
      {41, 40, "", 80, 3, "\\ room.t3d [####################] face 41/40"},
      {7, 0, "Reading file", 80, 4, "| room.t3d [                    ] face 7/0 Reading file"},
      // Cut to one column less than the terminal so the line never wraps.
      {1, 2, "adding texture", 30, 0, "| room.t3d [##########       "},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ProgressLineText("room.t3d", row.face, row.total, row.stage, row.width, row.frame),
              row.expected)
        << row.face << "/" << row.total << " " << row.stage;
  }
}

TEST(ProgressDisplay, DisabledWritesNothing) {
  std::ostringstream out;
  ProgressDisplay progress(out, false, 80);
  progress.Start("room.t3d");
  progress.SetFace(2, 3);
  progress.SetStage("getting poly");
  progress.Tick();
  progress.Clear();
  EXPECT_EQ(out.str(), "");
}

TEST(ProgressDisplay, ClearErasesTheLineOnce) {
  std::ostringstream out;
  ProgressDisplay progress(out, true, 80);
  progress.Clear();
  EXPECT_EQ(out.str(), "");
  progress.Start("a");
  progress.Clear();
  progress.Clear();
  EXPECT_EQ(out.str(), "\r\x1b[K| a [                    ] face 0/0\r\x1b[K");
}

}  // namespace
}  // namespace brushwright
