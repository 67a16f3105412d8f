// The actor report blocks: exact texts of each kind in OBJ and W3D mode, angles and overflows.
#include "run/actor_report.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

#include "level_text.h"
#include "text/brush_error.h"

namespace brushwright {
namespace {

using testing::Visible;

PlayerStartRecord StartAt(double x, double y, double z) {
  PlayerStartRecord start;
  start.Tag = "PlayerStart";
  start.Name = "PlayerStart0";
  start.Location = {x, y, z};
  return start;
}

TEST(RotatorReportText, DegreesWithTheReportsOffsets) {
  struct Row {
    Rotator rotator;
    const char* expected;
  };
  const Row rows[] = {
      {{0, 0, 0}, "90, 0, -90"},
      {{16368, 0, 0}, "180, 0, -90"},
      {{0, 16384, 0}, "90, 0, 0.0879765395894481"},
      {{0, 0, 16368}, "90, 90, -90"},
      {{-16368, 32736, -8184}, "0, -45, 90"},
  };
  for (const Row& row : rows) {
    const Rotator& r = row.rotator;
    EXPECT_EQ(RotatorReportText(r), row.expected) << r.Pitch << " " << r.Yaw << " " << r.Roll;
  }
}

TEST(VectorReportText, RotatedOnlyInW3DMode) {
  const Vector v{0, 100, 0};
  EXPECT_EQ(VectorReportText(false, v), "0, 100, 0");
  EXPECT_EQ(VectorReportText(true, v), "0, -1.83697019872103E-14, -100");
}

TEST(PlayerStartReportLines, BlockInBothModes) {
  struct Row {
    bool w3d;
    const char* expected;
  };
  const Row rows[] = {
      {false,
       "PlayerStart Tag: PlayerStart (Name: PlayerStart0) at 100, 200, 48\r\n"
       "Rotation: 90, 0, -90\r\n"},
      {true,
       "PlayerStart Tag: PlayerStart (Name: PlayerStart0) at 100, 48, -200\r\n"
       "Rotation: 90, 0, -90\r\n"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Visible(PlayerStartReportLines(row.w3d, StartAt(100, 200, 48))),
              Visible(row.expected))
        << "w3d " << row.w3d;
  }
}

TEST(TriggerReportLines, EightLinesWithTheRotatedLocation) {
  TriggerRecord trigger;
  trigger.Tag = "Gate";
  trigger.Name = "Trigger3";
  trigger.Location = {0, 100, 0};
  trigger.Message = "Open";
  trigger.bTriggerOnceOnly = true;
  trigger.RepeatTriggerTime = 0.5;
  trigger.Event = "GateOpens";
  EXPECT_EQ(Visible(TriggerReportLines(true, trigger)),
            Visible("Trigger Tag: Gate (Name: Trigger3) at 0, -1.83697019872103E-14, -100\r\n"
                    "Message: Open\r\n"
                    "TriggerOnce?: True\r\n"
                    "RepeatTriggerTime: 0.5\r\n"
                    "ReTriggerDelay: 0\r\n"
                    "CollisionRadius: 40\r\n"
                    "CollisionHeight: 40\r\n"
                    "Event: GateOpens\r\n"));
}

TEST(LightReportLines, LocationIsWrittenAsRead) {
  LightRecord light;
  light.Tag = "Lamp";
  light.Name = "Light7";
  light.Location = {0, 100, 0};
  light.Rotation = {16368, 0, 0};
  const std::string expected =
      "Omni Light Tag: Lamp (Name: Light7) at 0, 100, 0\r\n"
      "Rotation: 180, 0, -90\r\n"
      "Hue: 0, Sat:255, Val:64\r\n";
  EXPECT_EQ(Visible(LightReportLines(light)), Visible(expected));
}

TEST(LightReportLines, KindAndEmptyTag) {
  struct Row {
    std::int16_t kind;
    const char* first_line;
  };
  const Row rows[] = {
      {1, "Omni Light Tag:  (Name: Light0) at 1.5, -2, 3"},
      {2, "Spot Light Tag:  (Name: Light0) at 1.5, -2, 3"},
      {0, "Spot Light Tag:  (Name: Light0) at 1.5, -2, 3"},
  };
  for (const Row& row : rows) {
    LightRecord light;
    light.LightKind = row.kind;
    light.Name = "Light0";
    light.Location = {1.5, -2, 3};
    light.LightHue = 170;
    light.LightSaturation = 96;
    light.LightBrightness = 200;
    EXPECT_EQ(Visible(LightReportLines(light)),
              Visible(std::string(row.first_line) +
                      "\r\nRotation: 90, 0, -90\r\nHue: 170, Sat:96, Val:200\r\n"))
        << "kind " << row.kind;
  }
}

TEST(TeleporterReportLines, ElevenLines) {
  TeleporterRecord teleporter;
  teleporter.Tag = "Exit";
  teleporter.Name = "VisibleTeleporter1";
  teleporter.URL = "DM-Deck16#Entry";
  teleporter.Location = {10, 0, 20};
  teleporter.Rotation = {0, 16368, 0};
  teleporter.bChangesVelocity = true;
  teleporter.TargetVelocity = {0, 0, 300};
  teleporter.bReversesY = true;
  teleporter.FavoriteNumber = -3;
  teleporter.CollisionRadius = 18;
  teleporter.CollisionHeight = 40.5;
  EXPECT_EQ(Visible(TeleporterReportLines(true, teleporter)),
            Visible("Teleporter Tag: Exit (Name: VisibleTeleporter1) at 10, 20, "
                    "-3.67394039744206E-15\r\n"
                    "Rotation: 90, 0, 0\r\n"
                    "Dest URL: DM-Deck16#Entry\r\n"
                    "ChangesVelocity?: True\r\n"
                    "Target Velocity: 0, 300, -5.51091059616309E-14\r\n"
                    "Reverses X?: False\r\n"
                    "Reverses Y?: True\r\n"
                    "Reverses Z?: False\r\n"
                    "FavoriteNumber: -3\r\n"
                    "CollisionRadius: 18\r\n"
                    "CollisionHeight: 40.5\r\n"));
}

TEST(ReportLines, NonFiniteNumbersStopTheRunNamingTheActor) {
  const double inf = std::numeric_limits<double>::infinity();
  PlayerStartRecord far_start = StartAt(0, 0, 0);
  far_start.Rotation.Pitch = 1e308;  // times 90 overflows
  TriggerRecord trigger;
  trigger.Name = "Trigger9";
  trigger.CollisionRadius = inf;
  LightRecord light;
  light.Name = "Light4";
  light.Location.Z = -inf;
  TeleporterRecord teleporter;
  teleporter.Name = "Teleporter2";
  teleporter.TargetVelocity.X = std::numeric_limits<double>::quiet_NaN();

  struct Row {
    const char* name;
    std::function<std::string()> write;
  };
  const Row rows[] = {
      {"PlayerStart0", [&] { return PlayerStartReportLines(false, far_start); }},
      {"Trigger9", [&] { return TriggerReportLines(false, trigger); }},
      {"Light4", [&] { return LightReportLines(light); }},
      {"Teleporter2", [&] { return TeleporterReportLines(false, teleporter); }},
  };
  for (const Row& row : rows) {
    try {
      const std::string text = row.write();
      ADD_FAILURE() << row.name << ": wrote " << text;
    } catch (const BrushError& error) {
      EXPECT_NE(std::string(error.what()).find(row.name), std::string::npos)
          << row.name << ": " << error.what();
    }
  }
}

}  // namespace
}  // namespace brushwright
