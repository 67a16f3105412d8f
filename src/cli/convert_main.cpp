// brushwright-convert's body: one run per input through the same headless host, failures
// reported one line each, the exit status from the worst outcome.
#include "cli/convert_main.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <variant>

#include "cli/command_line.h"
#include "cli/headless_host.h"
#include "cli/progress_display.h"
#include "cli/summary_line.h"
#include "extract/texture_extraction.h"
#include "platform/platform.h"
#include "run/conversion_run.h"
#include "extract/mesh_extraction.h"
#include "text/file_text.h"

namespace brushwright {

namespace {

// Prefix of every line the program writes about a failure.
constexpr std::string_view kProgramName = "brushwright-convert";

// Writes one package's textures; false when the package failed, after its one line on `err`.
// Each texture not written gets a line, then the package a summary line.
bool ExtractOne(const ConvertOptions& options, const std::string& input, std::ostream& err) {
  ExtractionSummary summary;
  try {
    summary = ExtractTextures(input, options.OutputDir,
                              ImageFormatNamed(options.Run.TextureType).value_or(ImageFormat::Bmp));
  } catch (const std::exception& error) {
    err << kProgramName << ": " << input << ": " << error.what() << "\n" << std::flush;
    return false;
  }
  if (!options.Quiet) {
    for (const std::string& line : summary.NotWritten) err << "not written: " << line << "\n";
    err << FileNameOfPath(input) << ": textures written " << summary.Written << ", not written "
        << summary.NotWritten.size() << "\n";
  }
  return true;
}

// Writes one package's static meshes; false when the package or one of its meshes failed,
// after its line on `err`. Each mesh not written and each notice of the texture search gets a line, then the
// package a summary line.
bool ExtractMeshesOne(const ConvertOptions& options, const std::string& input, std::ostream& err) {
  MeshExtractionSummary summary;
  try {
    RunOptions run = options.Run;
    run.InputFile = input;
    summary = ExtractMeshes(run, options.OutputDir);
  } catch (const std::exception& error) {
    err << kProgramName << ": " << input << ": " << error.what() << "\n" << std::flush;
    return false;
  }
  for (const std::string& line : summary.NotWritten) err << "not written: " << line << "\n";
  if (!options.Quiet) {
    for (const std::string& line : summary.Notices) err << line << "\n";
    err << FileNameOfPath(input) << ": meshes written " << summary.Written << ", not written "
        << summary.NotWritten.size() << ", images missing " << summary.MissingTextures << "\n";
  }
  // A mesh that could not be written fails the package, though the others are written.
  return summary.NotWritten.empty();
}

// Converts one input; false when it failed, after its one line on `err`.
bool ConvertOne(const ConvertOptions& options, const std::string& input, std::ostream& err,
                ProgressDisplay& progress) {
  const auto fail = [&](std::string_view message) {
    progress.Clear();
    err << kProgramName << ": " << input << ": " << message << "\n" << std::flush;
    return false;
  };
  progress.Start(FileNameOfPath(input));
  HeadlessHost host(err, progress, options.Quiet);
  RunSummary summary;
  const auto started = std::chrono::steady_clock::now();
  try {
    summary = RunConversion(RunOptionsFor(options, input), host);
  } catch (const std::exception& error) {
    return fail(error.what());
  }
  progress.Clear();
  // Nothing closes a command-line run, so anything short of "Done" is a fault.
  if (summary.Outcome != RunOutcome::Done) return fail("the conversion did not finish");
  const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - started;
  if (!options.Quiet) err << SummaryLine(options, input, summary, taken.count()) << "\n";
  return true;
}

}  // namespace

int ConvertMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const ConsoleInfo& console) {
  const CommandLine command_line = ParseCommandLine(args);
  if (const auto* usage = std::get_if<UsageError>(&command_line)) {
    err << kProgramName << ": " << usage->Message << "\n\n" << UsageText();
    return kExitUsage;
  }
  if (const auto* info = std::get_if<InfoText>(&command_line)) {
    out << info->Text;
    return kExitSuccess;
  }
  const auto& options = std::get<ConvertOptions>(command_line);
  ProgressDisplay progress(err, console.ErrorIsTerminal && !options.Quiet, console.Width);
  if (!options.OutputDir.empty()) {
    // A missing output folder is made, as the user named it; a failure to make it shows up as
    // each run's error writing its first file.
    std::error_code ignored;
    std::filesystem::create_directories(PathFromUtf8(options.OutputDir), ignored);
  }
  bool all_done = true;
  for (const std::string& input : options.Inputs) {
    all_done = (options.ExtractTextures ? ExtractOne(options, input, err)
                : options.ExtractMeshes ? ExtractMeshesOne(options, input, err)
                                        : ConvertOne(options, input, err, progress)) &&
               all_done;
  }
  out.flush();
  return all_done ? kExitSuccess : kExitRunFailed;
}

}  // namespace brushwright
