// brushwright-convert: converts T3D files and map packages from the command line; see --help.
#include <iostream>
#include <string>
#include <vector>

#include "cli/convert_main.h"
#include "platform/platform.h"

namespace {

// The terminal's columns when stderr is one, so the progress line never wraps.
brushwright::ConsoleInfo QueryConsole() {
  const brushwright::TerminalInfo terminal = brushwright::StandardErrorTerminal();
  brushwright::ConsoleInfo console;
  console.ErrorIsTerminal = terminal.IsTerminal;
  if (terminal.Columns > 0) console.Width = terminal.Columns;
  return console;
}

}  // namespace

int main(int argc, char** argv) {
  brushwright::KeepFreedMemory();
  brushwright::PrepareConsoleOutput();
  const std::vector<std::string> args = brushwright::CommandLineArguments(argc, argv);
  return brushwright::ConvertMain(args, std::cout, std::cerr, QueryConsole());
}
