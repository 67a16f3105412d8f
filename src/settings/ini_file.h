// Reads and writes single keys of one section of an INI settings file.
#pragma once

#include <cstdint>
#include <string>

namespace brushwright {

// Stores the file and section that every later call uses. A bare file name is placed in the
// user's configuration folder (SettingsDirectory()); a name with a directory is used as it is.
void SetIniFile(const std::string& file_name, const std::string& section);
// The file that SetIniFile chose.
std::string IniFilePath();

// The value of `key` in the section, at most 299 characters, with blanks around it and one
// pair of enclosing single or double quotes dropped; "" when key, section or file is missing.
// Section and key names match without regard to letter case.
std::string IniReadString(const std::string& key);
// The largest integer not above NumberValue of the stored text, clamped to 16 bits.
std::int16_t IniReadInteger(const std::string& key);
// Replaces the key's value in its line, or appends "key=value" to the section (creating the
// section and the file when missing); other lines stay untouched. A file that cannot be written
// is passed over in silence.
void IniWriteString(const std::string& key, const std::string& value);
void IniWriteInteger(const std::string& key, std::int16_t value);

// $XDG_CONFIG_HOME/Brushwright (default ~/.config/Brushwright) on Linux,
// %APPDATA%\Brushwright on Windows.
std::string SettingsDirectory();

}  // namespace brushwright
