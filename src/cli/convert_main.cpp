// brushwright-convert's body: one run per input through the same headless host, failures
// reported one line each, the exit status from the worst outcome.
#include "cli/convert_main.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <string_view>
#include <system_error>
#include <thread>
#include <variant>

#include "cli/command_line.h"
#include "cli/headless_host.h"
#include "cli/progress_display.h"
#include "cli/summary_line.h"
#include "extract/mesh_extraction.h"
#include "extract/texture_extraction.h"
#include "image/image_file.h"
#include "platform/platform.h"
#include "run/conversion_run.h"
#include "run/texture_files.h"
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
    summary = ExtractTextures(input, options.OutputDir, TextureImageFormat(options.Run));
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
// after its line on `err`. Each mesh not written and each notice of the texture search gets a line,
// then the package a summary line.
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

// One input, converted or its textures or meshes extracted; false when it failed.
bool RunOne(const ConvertOptions& options, const std::string& input, std::ostream& err,
            ProgressDisplay& progress) {
  return options.ExtractTextures ? ExtractOne(options, input, err)
         : options.ExtractMeshes ? ExtractMeshesOne(options, input, err)
                                 : ConvertOne(options, input, err, progress);
}

// Inputs converted at once when --jobs does not say: one per core.
std::size_t DefaultJobs() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : cores;
}

// Runs the inputs on `jobs` threads. Each input writes its lines into a text of its own, which
// goes to `err` whole, in the inputs' order, as soon as the inputs before it are done; a run
// shows no progress line, which several runs would overwrite. False when any input failed.
bool RunInputsAtOnce(const ConvertOptions& options, std::size_t jobs, std::ostream& err) {
  const std::size_t count = options.Inputs.size();
  std::vector<std::string> texts(count);
  // char, not bool: threads write neighbouring elements, which vector<bool> packs into one word.
  std::vector<char> done(count, 0);
  std::vector<char> converted(count, 0);
  std::mutex mutex;
  std::condition_variable finished;
  std::atomic<std::size_t> next{0};
  // Decoding on the threads would start the toolkit on one of them, and its end at exit on this
  // thread would crash.
  StartImageModule();
  const auto work = [&] {
    for (std::size_t i = next++; i < count; i = next++) {
      std::ostringstream text;
      ProgressDisplay no_progress(text, false, 0);
      const bool ok = RunOne(options, options.Inputs[i], text, no_progress);
      const std::lock_guard<std::mutex> lock(mutex);
      texts[i] = std::move(text).str();
      converted[i] = ok ? 1 : 0;
      done[i] = 1;
      finished.notify_one();
    }
  };
  std::vector<std::jthread> workers;
  for (std::size_t k = 0; k < std::min(jobs, count); ++k) workers.emplace_back(work);
  bool all_done = true;
  for (std::size_t i = 0; i < count; ++i) {
    std::unique_lock<std::mutex> lock(mutex);
    finished.wait(lock, [&] { return done[i] != 0; });
    const std::string text = std::move(texts[i]);
    all_done = converted[i] != 0 && all_done;
    lock.unlock();
    err << text << std::flush;
  }
  return all_done;
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
  const std::size_t jobs = options.Jobs > 0 ? options.Jobs : DefaultJobs();
  bool all_done = true;
  // Extraction stays one package at a time: its work is encoding images, which the image
  // module does one at a time anyway, and packages naming the same texture or mesh then write
  // it in their order, the last one's file staying.
  const bool extracting = options.ExtractTextures || options.ExtractMeshes;
  if (jobs > 1 && options.Inputs.size() > 1 && !extracting) {
    all_done = RunInputsAtOnce(options, jobs, err);
  } else {
    for (const std::string& input : options.Inputs) {
      all_done = RunOne(options, input, err, progress) && all_done;
    }
  }
  out.flush();
  return all_done ? kExitSuccess : kExitRunFailed;
}

}  // namespace brushwright
