// The options of brushwright-convert and the pure turn of its arguments into them.
#pragma once

#include <cstddef>
#include <string>
#include <variant>
#include <vector>

#include "run/run_options.h"

namespace brushwright {

// What one invocation asks for; every input is converted with the same values.
struct ConvertOptions {
  std::vector<std::string> Inputs;
  std::string OutputFile;  // -o; "" when not given
  std::string OutputDir;   // --output-dir; "" when not given
  // The run's switches (the texture type always upper case); each input's run gets its own
  // input and output names.
  RunOptions Run;
  bool Quiet = false;
  // --extract-textures: the inputs are packages whose textures are written into OutputDir as
  // images of Run.TextureType (PNG unless --texture-type says otherwise).
  bool ExtractTextures = false;
  // --extract-meshes: the inputs are packages whose static meshes are written into OutputDir, each
  // as its own file of Run.Format, with their textures as images of Run.TextureType (PNG unless
  // --texture-type says otherwise).
  bool ExtractMeshes = false;
  // --jobs: how many inputs are converted at once; 0 for one per core of the machine.
  std::size_t Jobs = 0;
};

// --help or --version: the text to print on standard output before exiting successfully.
struct InfoText {
  std::string Text;
};

// Arguments that do not make a valid invocation, with what is wrong in words for the user.
struct UsageError {
  std::string Message;
};

using CommandLine = std::variant<ConvertOptions, InfoText, UsageError>;

// Parses the arguments that follow the program name. Never prints and never exits.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The full option reference shown by --help and after a usage error.
std::string UsageText();

// The OBJ path for `input`: -o as given, or the input's name with ".obj" in --output-dir, or
// beside the input.
std::string OutputPathFor(const ConvertOptions& options, const std::string& input);

// The options of the run that converts `input`.
RunOptions RunOptionsFor(const ConvertOptions& options, const std::string& input);

}  // namespace brushwright
