// A small INI reader and writer for the one section of the program's settings file.
#include "settings/ini_file.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/platform.h"
#include "text/key_readers.h"
#include "text/number_text.h"

namespace brushwright {

namespace {

// A read value is cut to this many characters: the profile reader it replaces filled a buffer
// of 300 characters, the last of which held the terminator.
constexpr std::size_t kMaxValueLength = 299;
// Written lines end in CR LF, the line end of the platform the file format comes from.
constexpr std::string_view kLineEnd = "\r\n";
// The folder under the per-user configuration directory that holds the settings file.
constexpr const char* kSettingsFolder = "Brushwright";
// Appended to the settings file's name for the new content before it replaces the old file.
constexpr const char* kTempSuffix = ".tmp";

// The file and section chosen by SetIniFile; empty until then.
std::string g_ini_path;
std::string g_section;
// True when the file lives in the configuration folder, which is created on writing.
bool g_create_folder = false;

// One line of the file: its text without the line end, and the line end as it was ("" for a
// last line that has none). Keeping the end lets untouched lines go back byte for byte.
struct IniLine {
  std::string text;
  std::string end;
};

// Where a key of the section stands among the lines.
struct KeyPlace {
  int section_line = -1;  // the section header; -1 when the section is missing
  int key_line = -1;      // the key's line; -1 when the key is missing from the section
  int last_line = -1;     // the section's last line that is neither blank nor a comment
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The whole file as bytes into `content`; a missing file gives "". False when the file exists
// but cannot be read, so that a writer does not replace content it never saw.
bool ReadWholeFile(const std::filesystem::path& path, std::string& content) {
  content.clear();
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return !error;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// Splits at LF; a CR before the LF belongs to the line end, so CR LF and LF files both read.
std::vector<IniLine> SplitLines(std::string_view content) {
  std::vector<IniLine> lines;
  while (!content.empty()) {
    std::size_t lf = content.find('\n');
    std::string_view line = content.substr(0, lf);
    std::size_t end_length = (lf == std::string_view::npos) ? 0 : 1;
    if (end_length == 1 && !line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
      end_length = 2;
    }
    lines.push_back({std::string(line), std::string(content.substr(line.size(), end_length))});
    content.remove_prefix(std::min(content.size(), line.size() + end_length));
  }
  return lines;
}

// Blank and comment lines at the end of a section usually introduce the next one, so a new key
// goes before them.
bool IsBlankOrComment(std::string_view line) {
  line = TrimBlanks(line);
  return line.empty() || line.front() == ';';
}

// The name inside "[name]" with blanks around it dropped; false when the line is no header.
bool SectionNameOf(std::string_view line, std::string_view& name) {
  line = TrimBlanks(line);
  if (line.empty() || line.front() != '[') return false;
  std::size_t close = line.find(']');
  if (close == std::string_view::npos) return false;
  name = TrimBlanks(line.substr(1, close - 1));
  return true;
}

// The key of a "key=value" line with blanks around it dropped; false for lines without "=",
// comment lines and lines with an empty key.
bool KeyNameOf(std::string_view line, std::string_view& key) {
  if (IsBlankOrComment(line)) return false;
  std::string_view trimmed = TrimBlanks(line);
  std::size_t equals = trimmed.find('=');
  if (equals == std::string_view::npos) return false;
  key = TrimBlanks(trimmed.substr(0, equals));
  return !key.empty();
}

// Finds the stored section and the key in it; the first of several equal names counts.
KeyPlace FindKey(const std::vector<IniLine>& lines, std::string_view key) {
  KeyPlace place;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    std::string_view name;
    if (SectionNameOf(lines[i].text, name)) {
      if (place.section_line >= 0) break;  // the section has ended
      if (EqualsIgnoringCase(name, g_section)) place.section_line = place.last_line = i;
      continue;
    }
    if (place.section_line < 0) continue;
    if (!IsBlankOrComment(lines[i].text)) place.last_line = i;
    if (place.key_line < 0 && KeyNameOf(lines[i].text, name) && EqualsIgnoringCase(name, key)) {
      place.key_line = i;
    }
  }
  return place;
}

// A value as it reads back: blanks around it and one pair of enclosing quotes dropped.
std::string_view UnquoteValue(std::string_view value) {
  value = TrimBlanks(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// A value must stay on its line: a line break in it would end the line and start a new one
// that reads as another key or section, so the value is cut there.
std::string_view OneLine(std::string_view value) {
  return value.substr(0, value.find_first_of("\r\n"));
}

// Sets the key's line, or inserts a new one after the last key line of the section,
// adding the section at the end of the file when it is missing.
void PutKey(std::vector<IniLine>& lines, std::string_view key, std::string_view value) {
  KeyPlace place = FindKey(lines, key);
  if (place.key_line >= 0) {
    // Keep the key's own spelling, as written by hand, and its line end.
    IniLine& line = lines[place.key_line];
    std::string_view stored_key;
    KeyNameOf(line.text, stored_key);
    line.text = std::string(stored_key) + "=" + std::string(value);
    if (line.end.empty()) line.end = kLineEnd;
    return;
  }
  if (place.section_line < 0) {
    // A blank line sets the new section apart from what the file already holds.
    if (!lines.empty() && !TrimBlanks(lines.back().text).empty()) {
      if (lines.back().end.empty()) lines.back().end = kLineEnd;
      lines.push_back({"", std::string(kLineEnd)});
    }
    lines.push_back({"[" + g_section + "]", std::string(kLineEnd)});
    place.last_line = static_cast<int>(lines.size()) - 1;
  }
  IniLine& previous = lines[place.last_line];
  if (previous.end.empty()) previous.end = kLineEnd;
  lines.insert(lines.begin() + place.last_line + 1,
               {std::string(key) + "=" + std::string(value), std::string(kLineEnd)});
}

std::string JoinLines(const std::vector<IniLine>& lines) {
  std::string content;
  for (const IniLine& line : lines) content += line.text + line.end;
  return content;
}

// Writes the whole new content beside the file and renames it over the old one, so a failed
// write leaves the old file as it was. Returns false on any failure.
bool ReplaceFileContent(const std::filesystem::path& path, const std::string& content) {
  std::filesystem::path temp = path;
  temp += kTempSuffix;
  std::error_code error;
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
      std::filesystem::remove(temp, error);
      return false;
    }
  }
  std::filesystem::rename(temp, path, error);
  if (!error) return true;
  std::filesystem::remove(temp, error);
  return false;
}

// The file to write: a link's target, so that renaming the new content over it keeps the link.
std::filesystem::path WriteTarget() {
  std::filesystem::path path = PathFromUtf8(g_ini_path);
  std::error_code error;
  if (std::filesystem::is_symlink(path, error)) {
    std::filesystem::path target = std::filesystem::canonical(path, error);
    if (!error) return target;
  }
  return path;
}

}  // namespace

std::string SettingsDirectory() {
  return Utf8FromPath(UserConfigurationFolder() / kSettingsFolder);
}

void SetIniFile(const std::string& file_name, const std::string& section) {
  g_create_folder = !NamesFolder(file_name);
  g_ini_path =
      g_create_folder
          ? Utf8FromPath(UserConfigurationFolder() / kSettingsFolder / PathFromUtf8(file_name))
          : file_name;
  g_section = section;
}

std::string IniFilePath() {
  return g_ini_path;
}

std::string IniReadString(const std::string& key) {
  assert(!g_ini_path.empty() && "SetIniFile comes first");
  std::string content;
  ReadWholeFile(PathFromUtf8(g_ini_path), content);  // an unreadable file reads like a missing one
  std::vector<IniLine> lines = SplitLines(content);
  KeyPlace place = FindKey(lines, key);
  if (place.key_line < 0) return {};
  std::string_view line = lines[place.key_line].text;
  std::string_view value = UnquoteValue(line.substr(line.find('=') + 1));
  return std::string(value.substr(0, kMaxValueLength));
}

std::int16_t IniReadInteger(const std::string& key) {
  double value = std::floor(NumberValue(IniReadString(key)));
  // A hand-edited value beyond the 16-bit range is clamped rather than refused.
  if (std::isnan(value)) return 0;
  value = std::clamp(value, double{std::numeric_limits<std::int16_t>::min()},
                     double{std::numeric_limits<std::int16_t>::max()});
  return static_cast<std::int16_t>(value);
}

void IniWriteString(const std::string& key, const std::string& value) {
  assert(!g_ini_path.empty() && "SetIniFile comes first");
  assert(!key.empty());
  // A settings file that cannot be read or written is passed over in silence: losing the
  // remembered inputs must never stop a conversion or the closing of the window. The old file,
  // if any, stays as it was and the next start reads it.
  std::filesystem::path target = WriteTarget();
  std::string content;
  if (!ReadWholeFile(target, content)) return;
  std::vector<IniLine> lines = SplitLines(content);
  PutKey(lines, key, OneLine(value));
  std::error_code error;
  if (g_create_folder) std::filesystem::create_directories(target.parent_path(), error);
  (void)ReplaceFileContent(target, JoinLines(lines));
}

void IniWriteInteger(const std::string& key, std::int16_t value) {
  IniWriteString(key, NumberText(value));
}

}  // namespace brushwright
