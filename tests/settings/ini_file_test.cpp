// Tests of the INI reader and writer on real temporary files.
#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>

#include "settings/window_settings.h"
#include "temp_files.h"

namespace brushwright {
namespace {

namespace fs = std::filesystem;

// Points the module at a settings file in `dir` holding `bytes`; returns the file's path.
fs::path UseIniFile(const TempDir& dir, const std::string& bytes) {
  fs::path path = dir.path() / "Brushwright.ini";
  WriteBytes(path, bytes);
  SetIniFile(path.string(), "Brushwright");
  return path;
}

TEST(IniReadString, MissingFileSectionOrKeyReadsEmpty) {
  TempDir dir;
  SetIniFile((dir.path() / "none.ini").string(), "Brushwright");
  EXPECT_EQ(IniReadString("InFile"), "");
  UseIniFile(dir, "[Other]\r\nInFile=elsewhere\r\n");
  EXPECT_EQ(IniReadString("InFile"), "");
  UseIniFile(dir, "[Brushwright]\r\nOutFile=x\r\n[Other]\r\nInFile=elsewhere\r\n");
  EXPECT_EQ(IniReadString("InFile"), "");
}

TEST(IniReadString, ValuesAsTheyReadBack) {
  struct Row {
    const char* line;
    const char* expected;
  };
  const Row rows[] = {
      {"Key=plain", "plain"},
      {"Key=  blanks around  ", "blanks around"},
      {"Key=\ttab\t", "tab"},
      {"  Key  =  spaced key", "spaced key"},
      {"Key=\"double quoted\"", "double quoted"},
      {"Key='single quoted'", "single quoted"},
      {"Key=  \" kept blanks \"  ", " kept blanks "},
      {"Key=\"\"", ""},
      {"Key=\"\"twice\"\"", "\"twice\""},
      {"Key=\"mixed'", "\"mixed'"},
      {"Key=\"", "\""},
      {"Key=say \"hi\"", "say \"hi\""},
      {"Key=a=b", "a=b"},
      {"Key=", ""},
      {"KEY=upper key", "upper key"},
      {"key=lower key", "lower key"},
  };
  TempDir dir;
  for (const Row& row : rows) {
    UseIniFile(dir, std::string("[Brushwright]\r\n") + row.line + "\r\n");
    EXPECT_EQ(IniReadString("Key"), row.expected) << row.line;
  }
}

TEST(IniReadString, SectionMatchesInAnyLetterCaseAndBothLineEnds) {
  const char* files[] = {
      "[brushwright]\r\ninfile=C:\\maps\\a.t3d\r\n",
      "[BRUSHWRIGHT]\nINFILE=C:\\maps\\a.t3d\n",
      "  [ BrushWright ]  \nInFile=C:\\maps\\a.t3d",
      "; comment\r\n[Other]\r\nInFile=no\r\n\r\n[Brushwright]\r\nInFile=C:\\maps\\a.t3d\r\n",
  };
  TempDir dir;
  for (const char* file : files) {
    UseIniFile(dir, file);
    EXPECT_EQ(IniReadString("InFile"), "C:\\maps\\a.t3d") << Visible(file);
  }
}

TEST(IniReadString, LongValueIsCutTo299Characters) {
  TempDir dir;
  std::string value(400, 'v');
  value[298] = 'L';
  UseIniFile(dir, "[Brushwright]\r\nInFile=" + value + "\r\n");
  EXPECT_EQ(IniReadString("InFile"), value.substr(0, 299));
}

TEST(IniReadInteger, LargestIntegerNotAboveTheNumber) {
  struct Row {
    const char* text;
    int expected;
  };
  const Row rows[] = {
      {"0", 0},
      {"1", 1},
      {"2", 2},
      {"1.7", 1},
      {"-0.5", -1},
      {"-1", -1},
      {"abc", 0},
      {"", 0},
      {"  1  ", 1},
      {"'2'", 2},
      {"3 apples", 3},
      {"1.5E1", 15},
      {"32767", 32767},
      {"32768", 32767},
      {"99999999", 32767},
      {"1E300", 32767},
      {"-32768", -32768},
      {"-32769", -32768},
      {"-1E300", -32768},
  };
  TempDir dir;
  for (const Row& row : rows) {
    UseIniFile(dir, std::string("[Brushwright]\r\nCheckReport=") + row.text + "\r\n");
    EXPECT_EQ(IniReadInteger("CheckReport"), row.expected) << "'" << row.text << "'";
  }
  EXPECT_EQ(IniReadInteger("Missing"), 0);
}

TEST(IniWriteString, FirstWriteCreatesSectionAndFile) {
  TempDir dir;
  fs::path path = dir.path() / "new.ini";
  SetIniFile(path.string(), "Brushwright");
  IniWriteString("InFile", "a.t3d");
  IniWriteInteger("CheckReport", 1);
  IniWriteInteger("CheckBuildBrush", -1);
  EXPECT_EQ(Visible(ReadBytes(path)),
            Visible("[Brushwright]\r\nInFile=a.t3d\r\nCheckReport=1\r\nCheckBuildBrush=-1\r\n"));
}

TEST(IniWriteString, ReplacesValueInItsLineAndKeepsEverythingElse) {
  TempDir dir;
  const std::string before =
      "; settings of several programs\r\n"
      "[First]\r\n"
      "InFile=first.t3d\r\n"
      "\r\n";
  const std::string after =
      "\r\n"
      "; the next section is someone else's\r\n"
      "[Last]\r\n"
      "InFile=last.t3d\r\n"
      "Other = spaced ; not a comment\r\n";
  fs::path path = UseIniFile(dir, before +
                                      "[Brushwright]\r\n"
                                      "; kept comment\r\n"
                                      "infile=old.t3d\r\n"
                                      "OutFile=out.obj\r\n" +
                                      after);
  IniWriteString("InFile", "new.t3d");
  IniWriteString("CheckReport", "1");
  EXPECT_EQ(Visible(ReadBytes(path)), Visible(before +
                                              "[Brushwright]\r\n"
                                              "; kept comment\r\n"
                                              "infile=new.t3d\r\n"
                                              "OutFile=out.obj\r\n"
                                              "CheckReport=1\r\n" +
                                              after));
  EXPECT_EQ(IniReadString("InFile"), "new.t3d");
}

TEST(IniWriteString, EditsFilesOfOtherShapes) {
  struct Row {
    const char* name;
    const char* file;
    const char* expected;
  };
  const Row rows[] = {
      {"missing section is appended after a blank line", "[Other]\r\nA=1\r\n",
       "[Other]\r\nA=1\r\n\r\n[Brushwright]\r\nInFile=x\r\n"},
      {"last line without line end", "[Other]\r\nA=1",
       "[Other]\r\nA=1\r\n\r\n[Brushwright]\r\nInFile=x\r\n"},
      {"section header as last line without line end", "[Brushwright]",
       "[Brushwright]\r\nInFile=x\r\n"},
      {"key as last line without line end", "[Brushwright]\r\nInFile=old",
       "[Brushwright]\r\nInFile=x\r\n"},
      {"LF lines stay LF", "[Brushwright]\nOutFile=o\n\n[Other]\nA=1\n",
       "[Brushwright]\nOutFile=o\nInFile=x\r\n\n[Other]\nA=1\n"},
      {"LF key line keeps its LF", "[Brushwright]\nInFile=old\nOutFile=o\n",
       "[Brushwright]\nInFile=x\nOutFile=o\n"},
      {"same key in a later section untouched", "[Brushwright]\r\n[Other]\r\nInFile=keep\r\n",
       "[Brushwright]\r\nInFile=x\r\n[Other]\r\nInFile=keep\r\n"},
      {"empty file", "", "[Brushwright]\r\nInFile=x\r\n"},
      {"spaced key keeps its name", "[Brushwright]\r\n  InFile  =  old  \r\n",
       "[Brushwright]\r\nInFile=x\r\n"},
  };
  TempDir dir;
  for (const Row& row : rows) {
    fs::path path = UseIniFile(dir, row.file);
    IniWriteString("InFile", "x");
    EXPECT_EQ(Visible(ReadBytes(path)), Visible(row.expected)) << row.name;
  }
}

TEST(IniWriteString, ValueStaysOnOneLine) {
  TempDir dir;
  fs::path path = UseIniFile(dir, "");
  IniWriteString("InFile", "a.t3d\r\n[Other]\r\nKey=injected");
  EXPECT_EQ(Visible(ReadBytes(path)), Visible("[Brushwright]\r\nInFile=a.t3d\r\n"));
}

TEST(IniWriteString, UnwritableLocationIsPassedOverSilently) {
  TempDir dir;
  // A regular file used as a folder stops writes for every user, root included.
  fs::path blocker = dir.path() / "plain_file";
  WriteBytes(blocker, "not a folder");
  const fs::path paths[] = {blocker / "Brushwright.ini",
                            dir.path() / "missing" / "Brushwright.ini"};
  for (const fs::path& path : paths) {
    SetIniFile(path.string(), "Brushwright");
    EXPECT_NO_THROW(IniWriteString("InFile", "a.t3d")) << path;
    EXPECT_NO_THROW(SaveSettings(WindowSettings{})) << path;
    EXPECT_EQ(IniReadString("InFile"), "") << path;
    EXPECT_FALSE(fs::exists(path)) << path;
  }
  EXPECT_EQ(ReadBytes(blocker), "not a folder");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
      << "nothing but the blocker";
}

TEST(IniWriteString, FailedWriteKeepsTheOldFile) {
  TempDir dir;
  const std::string old_bytes = "[Other]\r\nA=1\r\n[Brushwright]\r\nInFile=old.t3d\r\n";
  fs::path path = UseIniFile(dir, old_bytes);
  // A folder where the new content would be written first makes the write fail.
  fs::path temp = path;
  temp += ".tmp";
  fs::create_directory(temp);
  EXPECT_NO_THROW(IniWriteString("InFile", "new.t3d"));
  EXPECT_EQ(Visible(ReadBytes(path)), Visible(old_bytes));
  EXPECT_EQ(IniReadString("InFile"), "old.t3d");
}

TEST(IniWriteString, LeavesNoTemporaryFileBehind) {
  TempDir dir;
  UseIniFile(dir, "[Brushwright]\r\n");
  IniWriteString("InFile", "a.t3d");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(IniWriteString, WritesThroughALinkToItsTarget) {
  TempDir dir;
  fs::path target = dir.path() / "real.ini";
  fs::path link = dir.path() / "link.ini";
  WriteBytes(target, "[Brushwright]\r\n");
  fs::create_symlink(target, link);
  SetIniFile(link.string(), "Brushwright");
  IniWriteString("InFile", "a.t3d");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadBytes(target), "[Brushwright]\r\nInFile=a.t3d\r\n");
}

TEST(SetIniFile, PathWithFolderIsUsedAsGiven) {
  SetIniFile("some/where/settings.ini", "Brushwright");
  EXPECT_EQ(IniFilePath(), "some/where/settings.ini");
}

}  // namespace
}  // namespace brushwright
