// The whole of brushwright-convert short of initialising wxWidgets: parse, run every input,
// report, and choose the exit status.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace brushwright {

// Exit statuses of brushwright-convert.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitRunFailed = 1;
inline constexpr int kExitUsage = 2;

// Where the progress line may go: only a terminal gets one.
struct ConsoleInfo {
  bool ErrorIsTerminal = false;
  std::size_t Width = 80;
};

// Runs the program on the arguments after its name; help and version go to `out`; usage errors,
// message boxes, failures, the progress line and the per-input summary go to `err`.
int ConvertMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const ConsoleInfo& console);

}  // namespace brushwright
