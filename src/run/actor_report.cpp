// Text blocks of the actor report: lights, triggers, player starts and teleporters.
#include "run/actor_report.h"

#include <cmath>
#include <initializer_list>

#include "text/brush_error.h"
#include "text/file_text.h"
#include "text/number_text.h"

namespace brushwright {
namespace {

// Rotator units per 90 degrees as the report has always converted them (not 16384).
constexpr double kUnitsPerQuarterTurn = 16368;
constexpr double kQuarterTurnDegrees = 90;

// The number text of a report value; absurd input can make it infinite or NaN, which the run
// refuses to write. `actor` names the actor in the error ("" outside a block).
std::string ReportNumber(double value, std::string_view actor) {
  if (!std::isfinite(value)) {
    std::string where =
        actor.empty() ? "the report" : "the report of actor '" + std::string(actor) + "'";
    throw BrushError("arithmetic overflow in " + where + ": a number is not finite");
  }
  return NumberText(value);
}

std::string TripleText(double a, double b, double c, std::string_view actor) {
  return ReportNumber(a, actor) + ", " + ReportNumber(b, actor) + ", " + ReportNumber(c, actor);
}

std::string VectorText(bool w3d, Vector v, std::string_view actor) {
  // The same rotation as the geometry's in W3D mode, built once.
  static const Matrix4 w3d_matrix = BuildW3DMatrix();
  if (w3d) v = MatTransform(w3d_matrix, v);
  return TripleText(v.X, v.Y, v.Z, actor);
}

double Degrees(double units) {
  return (units * kQuarterTurnDegrees) / kUnitsPerQuarterTurn;
}

std::string RotatorText(const Rotator& r, std::string_view actor) {
  return TripleText(Degrees(r.Pitch) + kQuarterTurnDegrees, Degrees(r.Roll),
                    Degrees(r.Yaw) - kQuarterTurnDegrees, actor);
}

// "<kind> Tag: <tag> (Name: <name>) at " - the start of every block's first line.
std::string Heading(std::string_view kind, const ActorHeader& actor) {
  return std::string(kind) + " Tag: " + actor.Tag + " (Name: " + actor.Name + ") at ";
}

// Every line of a block ends with the line break; the file writer's own CR LF then leaves an
// empty line after the block.
std::string BlockText(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += kLineBreak;
  }
  return text;
}

}  // namespace

std::string VectorReportText(bool w3d, const Vector& v) {
  return VectorText(w3d, v, "");
}

std::string RotatorReportText(const Rotator& r) {
  return RotatorText(r, "");
}

std::string LightReportLines(const LightRecord& light) {
  const std::string& name = light.Name;
  // A light's location is written as read: it is not rotated in W3D mode.
  const Vector& at = light.Location;
  return BlockText({Heading(light.LightKind == 1 ? "Omni Light" : "Spot Light", light) +
                        TripleText(at.X, at.Y, at.Z, name),
                    "Rotation: " + RotatorText(light.Rotation, name),
                    "Hue: " + ReportNumber(light.LightHue, name) +
                        ", Sat:" + ReportNumber(light.LightSaturation, name) +
                        ", Val:" + ReportNumber(light.LightBrightness, name)});
}

std::string TriggerReportLines(bool w3d, const TriggerRecord& trigger) {
  const std::string& name = trigger.Name;
  return BlockText({Heading("Trigger", trigger) + VectorText(w3d, trigger.Location, name),
                    "Message: " + trigger.Message,
                    "TriggerOnce?: " + NumberText(trigger.bTriggerOnceOnly),
                    "RepeatTriggerTime: " + ReportNumber(trigger.RepeatTriggerTime, name),
                    "ReTriggerDelay: " + ReportNumber(trigger.ReTriggerDelay, name),
                    "CollisionRadius: " + ReportNumber(trigger.CollisionRadius, name),
                    "CollisionHeight: " + ReportNumber(trigger.CollisionHeight, name),
                    "Event: " + trigger.Event});
}

std::string PlayerStartReportLines(bool w3d, const PlayerStartRecord& start) {
  const std::string& name = start.Name;
  return BlockText({Heading("PlayerStart", start) + VectorText(w3d, start.Location, name),
                    "Rotation: " + RotatorText(start.Rotation, name)});
}

std::string TeleporterReportLines(bool w3d, const TeleporterRecord& teleporter) {
  const TeleporterRecord& t = teleporter;
  const std::string& name = t.Name;
  return BlockText({Heading("Teleporter", t) + VectorText(w3d, t.Location, name),
                    "Rotation: " + RotatorText(t.Rotation, name), "Dest URL: " + t.URL,
                    "ChangesVelocity?: " + NumberText(t.bChangesVelocity),
                    "Target Velocity: " + VectorText(w3d, t.TargetVelocity, name),
                    "Reverses X?: " + NumberText(t.bReversesX),
                    "Reverses Y?: " + NumberText(t.bReversesY),
                    "Reverses Z?: " + NumberText(t.bReversesZ),
                    "FavoriteNumber: " + NumberText(t.FavoriteNumber),
                    "CollisionRadius: " + ReportNumber(t.CollisionRadius, name),
                    "CollisionHeight: " + ReportNumber(t.CollisionHeight, name)});
}

}  // namespace brushwright
