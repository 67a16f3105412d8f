// What tests on real inputs need from outside the project: the corpus of real levels, the real
// Unreal packages and the glTF Validator (support/gltf_files.h). Where one is missing such a test
// skips, saying what is missing; where the environment asks for every input (CI sets
// BRUSHWRIGHT_REQUIRE_TEST_INPUTS) it fails instead, so that a broken set-up never passes unseen.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace brushwright::testing {

inline bool TestInputsRequired() {
  return std::getenv("BRUSHWRIGHT_REQUIRE_TEST_INPUTS") != nullptr;
}

// The files of `folder` with the extension, sorted; none when the folder is missing.
inline std::vector<std::filesystem::path> FilesIn(const std::filesystem::path& folder,
                                                  const std::string& extension) {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.path().extension() == extension) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace brushwright::testing

// Skips the test, or fails it where every input is required, when `missing` says something is.
#define SKIP_IF_MISSING(missing)                                                   \
  do {                                                                             \
    const std::string what_is_missing = (missing);                                 \
    if (!what_is_missing.empty()) {                                                \
      if (::brushwright::testing::TestInputsRequired()) FAIL() << what_is_missing; \
      GTEST_SKIP() << what_is_missing;                                             \
    }                                                                              \
  } while (false)

// Skips the test (fails it in CI) when the real Unreal packages are not there.
#define SKIP_WITHOUT_PACKAGES()                                           \
  SKIP_IF_MISSING(std::filesystem::is_directory(BRUSHWRIGHT_PACKAGES_DIR) \
                      ? std::string()                                     \
                      : "the sample packages are not in " BRUSHWRIGHT_PACKAGES_DIR)

// The corpus's levels, or skips (fails in CI) when the corpus holds none.
#define CORPUS_LEVELS_OR_SKIP(levels)                                                    \
  const std::vector<std::filesystem::path> levels =                                      \
      ::brushwright::testing::FilesIn(BRUSHWRIGHT_CORPUS_DIR, ".t3d");                   \
  SKIP_IF_MISSING(levels.empty() ? "no corpus levels (*.t3d) in " BRUSHWRIGHT_CORPUS_DIR \
                                 : std::string())
