// Writes the report file: the level's lights, triggers, player starts and teleporters.
#include "run/report_writer.h"

#include "run/actor_report.h"

namespace brushwright {

int WriteReport(OutputFiles& out, const std::string& path, const ReportActors& actors, bool w3d,
                const std::function<void()>& after_block) {
  out.Write(path, "Lights, Movers, Sounds" + std::string(kLineBreak), false);
  int blocks = 0;
  const auto write = [&](const std::string& block) {
    out.Write(path, block, true);
    ++blocks;
    after_block();
  };
  for (const LightRecord& light : actors.Lights) write(LightReportLines(light));
  for (const TriggerRecord& trigger : actors.Triggers) write(TriggerReportLines(w3d, trigger));
  for (const PlayerStartRecord& start : actors.PlayerStarts) {
    write(PlayerStartReportLines(w3d, start));
  }
  for (const TeleporterRecord& teleporter : actors.Teleporters) {
    write(TeleporterReportLines(w3d, teleporter));
  }
  return blocks;
}

}  // namespace brushwright
