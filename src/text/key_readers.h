// Scanners and key readers that walk one T3D text held whole in memory, by 1-based positions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brushwright {

// ASCII letters compared without regard to case, independent of the user's locale.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
// `text` starts with `prefix`, letter case aside.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);
// A line without the blanks and tabs it starts with and the blanks, tabs and line ends it ends
// with.
std::string_view Trimmed(std::string_view line);

// The character at a 1-based position; '\0' before the start or past the end.
char CharAt(std::string_view text, int pos);
inline bool IsLineBreak(char c) {
  return c == '\r' || c == '\n';
}
inline bool IsWordDelimiter(char c) {
  return c == '\r' || c == '\n' || c == ' ' || c == '\t';
}

// 0-based index of the first CR or LF at or after index `from`, or npos; as
// find_first_of("\r\n", from), without its search of the two-character set for every character.
inline std::size_t FindLineBreak(std::string_view text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i) {
    if (IsLineBreak(text[i])) return i;
  }
  return std::string_view::npos;
}

// 1-based position of the first occurrence of `key` that begins at or after `start` (values
// below 1 count as 1), or 0. Exact, case-sensitive.
int FindFrom(std::string_view text, std::string_view key, int start);
// As FindFrom, but only occurrences beginning at or before `limit` count; the search stops
// there, so its cost is bounded by the range, not by the text.
int FindInRange(std::string_view text, std::string_view key, int start, int limit);

// The line at `pos` (without its line break); `pos` moves to the first character of the next
// non-empty line. The end of the text counts as a line break.
std::string GetNextLine(std::string_view text, int& pos);
// The next word with the one delimiter that ended it; `pos` stays on that delimiter.
std::string GetNextWord(std::string_view text, int& pos);

// True when `key` begins at or after `start` and at or before `limit`.
bool KeyInRange(std::string_view text, std::string_view key, int start, int limit);
// The value word after `key` (blanks and trailing CR/LF trimmed), or "" when not in range.
std::string ReadKeyValue(std::string_view text, std::string_view key, int start, int limit);
// As ReadKeyValue, but an empty value comes back as "0".
std::string ReadKeyValueOrZero(std::string_view text, std::string_view key, int start, int limit);
// Conversions of a ReadKeyValueOrZero result: a number by NumberValue's leading-number rule;
// a Boolean from "True"/"False" in any letter case or a number (0 False); anything else False.
double ValueAsNumber(std::string_view value);
bool ValueAsBoolean(std::string_view value);

// When `key` is in range, stores its value into `target` and returns true; otherwise leaves
// `target` alone and returns false.
// Boolean: False only for the value "False" exactly. Double: NumberValue of the value.
// 16-bit integer: rounded half to even; throws BrushError when outside -32768..32767.
bool ReadKeyInto(std::string_view text, std::string_view key, int start, int limit, bool& target);
bool ReadKeyInto(std::string_view text, std::string_view key, int start, int limit, double& target);
bool ReadKeyInto(std::string_view text, std::string_view key, int start, int limit,
                 std::int16_t& target);
bool ReadKeyInto(std::string_view text, std::string_view key, int start, int limit,
                 std::string& target);

}  // namespace brushwright
