// Runs one conversion of given input bytes through the recording host and checks, for every
// test of the suite, that the input file still holds the same bytes afterwards.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "fake_host.h"
#include "level_text.h"
#include "run/conversion_run.h"
#include "text/brush_error.h"

namespace brushwright::testing {

// What a user sees of one run: its summary, the error it stopped with ("" when none) and the
// files it left.
struct HardenedRun {
  RunSummary summary;
  std::string error;
  std::string obj;
  std::string mtl;
};

// The bytes of an ordinary file; "" for anything else (a link to /dev/full reads endless zeros).
inline std::string RegularFileBytes(const std::string& path) {
  return std::filesystem::is_regular_file(path) ? ReadBytes(path) : std::string();
}

// Converts `dir`/level.t3d holding `input` into `dir`/level.obj. `setup` may change the host's
// controls first.
inline HardenedRun RunOnBytes(const TempDir& dir, const std::string& input,
                              const std::function<void(FakeHost&)>& setup = {}) {
  FakeHost host;
  host.options.InputFile = dir / "level.t3d";
  host.options.OutputFile = dir / "level.obj";
  WriteBytes(host.options.InputFile, input);
  if (setup) setup(host);
  HardenedRun run;
  try {
    run.summary = Convert(host);
  } catch (const BrushError& error) {
    run.error = error.what();
  }
  if (host.options.InputFile == dir / "level.t3d") {
    EXPECT_TRUE(ReadBytes(host.options.InputFile) == input) << "the input file changed";
  }
  run.obj = RegularFileBytes(host.options.OutputFile);
  run.mtl = RegularFileBytes(dir / "level.mtl");
  return run;
}

// Number of OBJ lines starting with `prefix` ("f ", "v ").
inline long CountLines(const std::string& obj, const std::string& prefix) {
  long count = obj.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
  for (std::size_t at = obj.find("\n" + prefix); at != std::string::npos;
       at = obj.find("\n" + prefix, at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace brushwright::testing
