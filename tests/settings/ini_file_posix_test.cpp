// Tests of where the settings file lives on POSIX systems: below $XDG_CONFIG_HOME or ~/.config.
#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "temp_files.h"

namespace brushwright {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one scope and puts the old value back afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(old_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Set(const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name_, value->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  const char* name_;
  std::optional<std::string> old_;
};

TEST(SetIniFile, BareNameLivesInTheConfigurationFolder) {
  TempDir dir;
  ScopedEnv home("HOME", (dir.path() / "home").string());
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", (dir.path() / "xdg").string());
    SetIniFile("Brushwright.ini", "Brushwright");
    fs::path expected = dir.path() / "xdg" / "Brushwright" / "Brushwright.ini";
    EXPECT_EQ(IniFilePath(), expected.string());
    IniWriteInteger("CheckReport", 1);
    EXPECT_EQ(ReadBytes(expected), "[Brushwright]\r\nCheckReport=1\r\n");
    EXPECT_EQ(IniReadInteger("CheckReport"), 1);
  }
  // An empty or relative XDG_CONFIG_HOME is ignored in favour of ~/.config.
  const std::optional<std::string> ignored[] = {std::nullopt, "", "relative/config"};
  for (const std::optional<std::string>& value : ignored) {
    ScopedEnv xdg("XDG_CONFIG_HOME", value);
    SetIniFile("Brushwright.ini", "Brushwright");
    EXPECT_EQ(IniFilePath(),
              (dir.path() / "home" / ".config" / "Brushwright" / "Brushwright.ini").string())
        << value.value_or("(unset)");
  }
}

}  // namespace
}  // namespace brushwright
