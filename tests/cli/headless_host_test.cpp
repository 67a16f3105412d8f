// Tests of the command line's run host and its progress line.
#include "cli/headless_host.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

namespace brushwright {
namespace {

// Every control value the run can read, in one line.
std::string Controls(HeadlessHost& host) {
  return host.TextInFileName() + "|" + host.TextOutFileName() + "|" + host.TextStartAtPoly() + "|" +
         std::to_string(host.CheckDoGeometry()) + std::to_string(host.CheckBuildBrush()) +
         std::to_string(host.CheckIgnoreNoTxt()) + std::to_string(host.CheckIgnoreDefTxt()) +
         std::to_string(host.CheckSearchCopy()) + "|" + host.TextSearchPathTxt() + "|" +
         host.ListBMtypeOut() + "|" + std::to_string(host.OptionW3D()) +
         std::to_string(host.CheckReport());
}

TEST(HeadlessHost, ControlsFollowTheOptions) {
  struct Row {
    const char* name;
    void (*change)(ConvertOptions&);
    std::string expected;
  };
  const Row rows[] = {
      {"defaults", [](ConvertOptions&) {}, "maps/room.t3d|maps/room.obj|1|10000||BMP|00"},
      {"output file", [](ConvertOptions& o) { o.OutputFile = "x.obj"; },
       "maps/room.t3d|x.obj|1|10000||BMP|00"},
      {"output dir", [](ConvertOptions& o) { o.OutputDir = "out"; },
       "maps/room.t3d|out/room.obj|1|10000||BMP|00"},
      {"start face", [](ConvertOptions& o) { o.StartFace = " 7x"; },
       "maps/room.t3d|maps/room.obj| 7x|10000||BMP|00"},
      {"no geometry", [](ConvertOptions& o) { o.DoGeometry = false; },
       "maps/room.t3d|maps/room.obj|1|00000||BMP|00"},
      {"switches",
       [](ConvertOptions& o) { o.BuildBrush = o.IgnoreNoTexture = o.IgnoreDefaultTexture = true; },
       "maps/room.t3d|maps/room.obj|1|11110||BMP|00"},
      {"copy",
       [](ConvertOptions& o) {
         o.CopyTextures = true;
         o.SearchPath = "/tex";
       },
       "maps/room.t3d|maps/room.obj|1|10001|/tex|BMP|00"},
      {"type, w3d, report",
       [](ConvertOptions& o) {
         o.TextureType = "GIF";
         o.W3D = o.Report = true;
       },
       "maps/room.t3d|maps/room.obj|1|10000||GIF|11"},
  };
  for (const Row& row : rows) {
    ConvertOptions options;
    row.change(options);
    std::ostringstream messages;
    ProgressDisplay progress(messages, false, 80);
    HeadlessHost host(options, "maps/room.t3d", messages, progress);
    EXPECT_EQ(Controls(host), row.expected) << row.name;
  }
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
    ConvertOptions options;
    std::ostringstream messages;
    ProgressDisplay progress(messages, false, 80);
    HeadlessHost host(options, "a.t3d", messages, progress);
    host.ShowMessage(row.text, row.title);
    EXPECT_EQ(messages.str(), row.expected) << row.text;
  }
}

// An interval no test outlasts: only Start draws.
constexpr std::chrono::hours kNeverDue{1};

TEST(HeadlessHost, LabelsFeedTheProgressLine) {
  ConvertOptions options;
  std::ostringstream terminal;
  ProgressDisplay progress(terminal, true, 80, std::chrono::milliseconds(0));
  HeadlessHost host(options, "a.t3d", terminal, progress);
  progress.Start("room.t3d", 40);
  host.SetLabelPos("Face 10");
  host.SetLabelProgress("converting vertices");
  host.SetLabelProgress("ignoring face 20");
  host.SetLabelPos("Writing Report");
  host.Yield();
  // With no interval every change is drawn, each draw turning the spinner once.
  const char* const draws[] = {
      "| room.t3d [                    ] face 0/40",
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
  ConvertOptions options;
  std::ostringstream terminal;
  ProgressDisplay progress(terminal, true, 80, kNeverDue);
  HeadlessHost host(options, "a.t3d", terminal, progress);
  progress.Start("room.t3d", 40);
  host.SetLabelPos("Face 10");
  host.Yield();
  host.ShowMessage("Wall.BMP", "Brushwright");
  EXPECT_EQ(terminal.str(),
            "\r\x1b[K| room.t3d [                    ] face 0/40\r\x1b[KBrushwright: Wall.BMP\n");
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
  progress.Start("room.t3d", 3);
  progress.SetFace(2);
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
  progress.Start("a", 0);
  progress.Clear();
  progress.Clear();
  EXPECT_EQ(out.str(), "\r\x1b[K| a [                    ] face 0/0\r\x1b[K");
}

}  // namespace
}  // namespace brushwright
