// Readers of vectors, rotators, comma triples, words and key-bounded blocks in a T3D text.
#include "t3d/value_readers.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <string>

#include "t3d/text_position.h"
#include "text/key_readers.h"
#include "text/number_text.h"

namespace brushwright {

namespace {

// The shape nearly every number of a triple has: blanks, a sign, digits with at most one dot.
// When it has at most 15 digits, they make an integer below 2^53, so that integer and the power
// of ten are both exact doubles and their correctly rounded quotient is the correctly rounded
// number, the value NumberValue gives. Reads it from `i` and moves `i` past it and the blanks
// after it; false for any other shape (with `i` anywhere: the caller starts again).
bool ReadPlainNumber(std::string_view text, std::size_t& i, double& value) {
  static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  // Up to 15 digits the integer stays below 10^15 < 2^53 and the power of ten is exact; longer
  // numbers take the general way.
  constexpr std::size_t kMostDigits = 15;
  const std::size_t size = text.size();
  const auto digit = [&](std::size_t at) {
    return at < size ? static_cast<unsigned>(text[at]) - '0' : 10u;
  };
  while (i < size && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < size && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::uint64_t mantissa = 0;
  const std::size_t first = i;
  for (unsigned d = digit(i); d < 10; d = digit(++i)) mantissa = mantissa * 10 + d;
  std::size_t digits = i - first;
  std::size_t fraction_digits = 0;
  if (i < size && text[i] == '.') {
    const std::size_t fraction_first = ++i;
    for (unsigned d = digit(i); d < 10; d = digit(++i)) mantissa = mantissa * 10 + d;
    fraction_digits = i - fraction_first;
    digits += fraction_digits;
  }
  if (digits == 0 || digits > kMostDigits) return false;
  while (i < size && (text[i] == ' ' || text[i] == '\t')) ++i;
  const double magnitude = static_cast<double>(mantissa) / kPowersOfTen[fraction_digits];
  value = negative ? -magnitude : magnitude;
  return true;
}

// ReadTriple of a line "x,y,z" whose three numbers have the plain shape, each ending at its comma
// or, the last, at the line's end; false (`pos` unmoved) for any other line.
bool ReadPlainTriple(std::string_view text, int& pos, Vector& result) {
  std::size_t i = static_cast<std::size_t>(AtLeastOne(pos) - 1);
  double* const components[] = {&result.X, &result.Y, &result.Z};
  for (int k = 0; k < 3; ++k) {
    if (!ReadPlainNumber(text, i, *components[k])) return false;
    if (k < 2) {
      if (i >= text.size() || text[i] != ',') return false;
      ++i;
    } else if (i < text.size() && !IsLineBreak(text[i])) {
      return false;
    }
  }
  // Past the one CR or LF that ends the line, or past the end of the text.
  pos = static_cast<int>(std::min(i + 1, text.size())) + 1;
  return true;
}

// ReadUntilLineBreak and ReadUntil as views of the text: the triples of every polygon are read
// through them without a copy.
std::string_view LineView(std::string_view text, int& pos) {
  pos = AtLeastOne(pos);
  const int length = TextLength(text);
  if (pos > length) {
    pos = length + 1;
    return {};
  }
  const std::size_t from = static_cast<std::size_t>(pos - 1);
  const std::size_t found = FindLineBreak(text, from);
  if (found == std::string_view::npos) {
    pos = length + 1;
    return text.substr(from);
  }
  pos = static_cast<int>(found) + 2;  // past the one CR or LF that ended the number
  return text.substr(from, found - from);
}

std::string_view UntilView(std::string_view text, char delimiter, int& pos) {
  pos = AtLeastOne(pos);
  const int found = FindFrom(text, std::string_view(&delimiter, 1), pos);
  if (found == 0) {
    // Past the end rather than back to the start, so a caller's next search cannot rescan.
    pos = TextLength(text) + 1;
    return {};
  }
  const std::string_view result =
      text.substr(static_cast<std::size_t>(pos - 1), static_cast<std::size_t>(found - pos));
  pos = found + 1;
  return result;
}

// Each "X=" / "Pitch=" component reads at most this many characters after its "=", as the
// editor writes six decimals and longer tails are cut (X=-12345.678901 reads -12345.678).
constexpr std::size_t kComponentWidth = 10;

// The value of `component_key` in `line`: NumberValue of the characters after it, or
// `fallback` when the line lacks it.
double LineComponent(std::string_view line, std::string_view component_key, double fallback) {
  const std::size_t found = line.find(component_key);
  if (found == std::string_view::npos) return fallback;
  return NumberValue(line.substr(found + component_key.size(), kComponentWidth));
}

// The rest of the line of the first `key` at or after `start` that begins strictly before
// `end`; false when there is none.
bool KeyLineBefore(std::string_view text, int start, int end, std::string_view key,
                   std::string& line) {
  if (end <= 1) return false;
  const int found = FindInRange(text, key, AtLeastOne(start), end - 1);
  if (found == 0) return false;
  int line_pos = found;
  line = GetNextLine(text, line_pos);
  return true;
}

}  // namespace

Vector ReadVector(std::string_view text, int start, int end, std::string_view key,
                  double fallback) {
  Vector result{fallback, fallback, fallback};
  std::string line;
  if (!KeyLineBefore(text, start, end, key, line)) return result;
  result.X = LineComponent(line, "X=", fallback);
  result.Y = LineComponent(line, "Y=", fallback);
  result.Z = LineComponent(line, "Z=", fallback);
  return result;
}

Rotator ReadRotator(std::string_view text, int start, int end, std::string_view key) {
  Rotator result;
  std::string line;
  if (!KeyLineBefore(text, start, end, key, line)) return result;
  result.Pitch = LineComponent(line, "Pitch=", 0);
  result.Yaw = LineComponent(line, "Yaw=", 0);
  result.Roll = LineComponent(line, "Roll=", 0);
  return result;
}

Vector ReadTriple(std::string_view text, int& pos) {
  Vector result;
  if (ReadPlainTriple(text, pos, result)) return result;
  result.X = NumberValue(UntilView(text, ',', pos));
  result.Y = NumberValue(UntilView(text, ',', pos));
  result.Z = NumberValue(LineView(text, pos));
  return result;
}

std::string ReadUntilLineBreak(std::string_view text, int& pos) {
  return std::string(LineView(text, pos));
}

Vector ReadCommaVector(std::string_view text, int& pos, std::string_view key) {
  pos = AtLeastOne(pos);
  const int found = FindFrom(text, key, pos);
  if (found == 0) return Vector{};
  pos = found + TextLength(key);
  return ReadTriple(text, pos);
}

std::string ReadUntil(std::string_view text, char delimiter, int& pos) {
  return std::string(UntilView(text, delimiter, pos));
}

std::string ReadLineKeyWord(std::string_view text, int& pos, std::string_view key) {
  pos = AtLeastOne(pos);
  const std::string line = GetNextLine(text, pos);
  const std::size_t found = line.find(key);
  if (found == std::string::npos) return std::string();
  int word_pos = static_cast<int>(found + key.size()) + 1;
  return GetNextWord(line, word_pos);
}

bool FindBlock(std::string_view text, int start, std::string_view begin_key,
               std::string_view end_key, int& content_start, int& content_end) {
  const int begin = FindFrom(text, begin_key, start);
  if (begin == 0) return false;
  content_start = begin + TextLength(begin_key);
  const int end = FindFrom(text, end_key, begin);
  if (end == 0) return false;
  content_end = end - 1;
  return true;
}

}  // namespace brushwright
