// brushwright-convert: converts T3D files and map packages from the command line; see --help.
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/convert_main.h"

namespace {

// The terminal's columns when stderr is one, so the progress line never wraps.
brushwright::ConsoleInfo QueryConsole() {
  brushwright::ConsoleInfo console;
  console.ErrorIsTerminal = isatty(STDERR_FILENO) != 0;
  winsize size{};
  if (console.ErrorIsTerminal && ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
    console.Width = size.ws_col;
  }
  return console;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return brushwright::ConvertMain(args, std::cout, std::cerr, QueryConsole());
}
