// NumberText and NumberValue: the one number-to-text and text-to-number conversion of the program.
#include "text/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <system_error>

#include "text/brush_error.h"

namespace brushwright {

namespace {

// Every double is written with this many significant digits, enough to be exact for the values
// a level holds and few enough that 0.1 + 0.2 prints as "0.3".
constexpr int kSignificantDigits = 15;
// Decimals of at most nine places, below 10^6 and from 10^-4 on, are written by integer arithmetic
// (AppendShortDecimal): nine places and six digits before the point make the 15 digits.
constexpr int kShortDecimalPlaces = 9;
constexpr double kShortDecimalScale = 1e9;
constexpr std::uint64_t kShortDecimalUnits = 1000000000;
constexpr double kShortDecimalBound = 1e6;
constexpr double kShortDecimalLeast = 1e-4;
// Room for "-1.23456789012345E-308" and any 64-bit integer, with margin.
constexpr std::size_t kNumberBufferSize = 40;
// An exponent this large already puts any mantissa far outside the double range; reading more
// digits of it only risks overflow of the counter.
constexpr long kExponentSaturation = 100000;
// "&H" values up to this fit a 16-bit integer and wrap as one ("&HFFFF" is -1); larger values
// wrap as a 32-bit integer.
constexpr std::uint64_t kMax16BitPattern = 0xFFFF;
constexpr std::uint64_t kMax32BitPattern = 0xFFFFFFFF;
// Removed anywhere in a number's text before it is read, as T3D values may be padded or wrapped.
constexpr std::string_view kNumberBlanks = " \t\n";

// One of kNumberBlanks, tested without a search of the set.
bool IsNumberBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}

template <typename Int>
std::string IntegerText(Int value) {
  std::array<char, kNumberBufferSize> buffer;
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return std::string(buffer.data(), result.ptr);
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Length of the decimal number at the start of `text`: digits with at most one dot, then an
// exponent only when at least one digit follows its letter and sign. Sets `has_digits` when the
// mantissa holds a digit at all.
std::size_t DecimalLength(std::string_view text, bool& has_digits) {
  std::size_t i = 0;
  bool seen_dot = false;
  has_digits = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      has_digits = true;
    } else if (text[i] == '.' && !seen_dot) {
      seen_dot = true;
    } else {
      break;
    }
  }
  if (!has_digits || i >= text.size() || (text[i] != 'E' && text[i] != 'e')) return i;
  std::size_t e = i + 1;
  if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
  if (e >= text.size() || !IsDigit(text[e])) return i;
  while (e < text.size() && IsDigit(text[e])) ++e;
  return e;
}

// Decimal exponent of the first non-zero digit of a number that from_chars found out of range
// (so its mantissa is not zero): positive means it overflowed, otherwise it underflowed.
long RoughExponent(std::string_view number) {
  const std::size_t exponent_at = std::min(number.find_first_of("Ee"), number.size());
  const std::string_view mantissa = number.substr(0, exponent_at);
  const std::size_t first_digit = std::min(mantissa.find_first_of("123456789"), mantissa.size());
  const std::size_t dot = std::min(mantissa.find('.'), mantissa.size());
  const long scale = first_digit < dot ? static_cast<long>(dot - first_digit) - 1
                                       : -static_cast<long>(first_digit - dot);
  long exponent = 0;
  for (std::size_t i = exponent_at + 1; i < number.size(); ++i) {
    if (IsDigit(number[i]) && exponent < kExponentSaturation)
      exponent = exponent * 10 + (number[i] - '0');
  }
  if (exponent_at + 1 < number.size() && number[exponent_at + 1] == '-') exponent = -exponent;
  return scale + exponent;
}

// The unsigned decimal number at the start of `text` (no sign, no blanks).
double ReadDecimal(std::string_view text) {
  bool has_digits = false;
  const std::size_t length = DecimalLength(text, has_digits);
  if (!has_digits) return 0.0;
  const std::string_view number = text.substr(0, length);
  double value = 0.0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                      std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // from_chars leaves the value alone here; a too large number reads as infinity and a too
    // small one as zero, as strtod would give.
    return RoughExponent(number) > 0 ? HUGE_VAL : 0.0;
  }
  return value;
}

// "&H" hexadecimal or "&O" octal digits at the start of `digits`, read as a signed integer of
// 16 bits when the pattern fits in 16 bits, otherwise of 32 bits (longer patterns keep their low
// 32 bits).
double ReadRadixInteger(std::string_view digits, unsigned radix) {
  std::uint64_t pattern = 0;
  for (const char c : digits) {
    unsigned digit = radix;
    if (IsDigit(c))
      digit = static_cast<unsigned>(c - '0');
    else if (c >= 'A' && c <= 'F')
      digit = static_cast<unsigned>(c - 'A' + 10);
    else if (c >= 'a' && c <= 'f')
      digit = static_cast<unsigned>(c - 'a' + 10);
    if (digit >= radix) break;
    pattern = ((pattern * radix) + digit) & kMax32BitPattern;
  }
  if (pattern <= kMax16BitPattern)
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(pattern));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(pattern));
}

// NumberValue on a text that holds no blank, TAB or LF.
double NumberValueOfCleanText(std::string_view text) {
  if (text.size() >= 2 && text[0] == '&') {
    if (text[1] == 'H' || text[1] == 'h') return ReadRadixInteger(text.substr(2), 16);
    if (text[1] == 'O' || text[1] == 'o') return ReadRadixInteger(text.substr(2), 8);
    return 0.0;
  }
  // from_chars takes no leading '+' and reads "inf" and "nan"; the sign is therefore read here
  // and only plain decimal digits are handed on.
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  const double magnitude = ReadDecimal(text);
  return negative ? -magnitude : magnitude;
}

// Rounds to the nearest integer, ties to the even one, whatever the current rounding mode.
double RoundHalfEven(double value) {
  const double floor_value = std::floor(value);
  const double fraction = value - floor_value;  // exact for every finite double
  if (fraction > 0.5) return floor_value + 1.0;
  if (fraction < 0.5) return floor_value;
  return std::fmod(floor_value, 2.0) == 0.0 ? floor_value : floor_value + 1.0;
}

[[noreturn]] void ThrowOutOfRange(double value, std::string_view what) {
  throw BrushError("Overflow: " + std::string(what) + " (" + NumberText(value) +
                   ") is out of range");
}

template <typename Int>
Int RoundToInteger(double value, std::string_view what) {
  constexpr double kLowest = static_cast<double>(std::numeric_limits<Int>::min());
  constexpr double kHighest = static_cast<double>(std::numeric_limits<Int>::max());
  if (std::isnan(value)) ThrowOutOfRange(value, what);
  const double rounded = RoundHalfEven(value);
  if (!(rounded >= kLowest && rounded <= kHighest)) ThrowOutOfRange(value, what);
  return static_cast<Int>(rounded);
}

// The text of a value that is the double nearest a decimal of at most nine decimals below 10^6
// in magnitude and at least 10^-4 (most coordinates of a level): that decimal has at most 15
// significant digits, and rounding the value to 15 digits gives it back (the value lies within
// half a unit of its last bit of it, far inside half a unit of the 15th digit), so its digits are
// exactly those to_chars writes, without the exponent form, which starts below 10^-4. Found by
// integer arithmetic; false for any other value.
bool AppendShortDecimal(std::string& out, double value) {
  const double magnitude = std::fabs(value);
  if (!(magnitude >= kShortDecimalLeast && magnitude < kShortDecimalBound)) return false;
  // The scaled value is at most 10^15, so rounding it lands on the integer of the decimal the
  // value is nearest; the check keeps only values that are that decimal's nearest double.
  const double scaled = std::nearbyint(magnitude * kShortDecimalScale);
  if (scaled / kShortDecimalScale != magnitude) return false;
  const auto digits = static_cast<std::uint64_t>(scaled);
  const std::uint64_t whole = digits / kShortDecimalUnits;
  std::uint64_t fraction = digits % kShortDecimalUnits;
  std::array<char, kNumberBufferSize> buffer;
  char* end = buffer.data();
  if (value < 0) *end++ = '-';
  end = std::to_chars(end, buffer.data() + buffer.size(), whole).ptr;
  if (fraction != 0) {
    int places = kShortDecimalPlaces;
    while (fraction % 10 == 0) {
      fraction /= 10;
      --places;
    }
    *end++ = '.';
    char* const point = end;
    end += places;
    for (char* p = end; p != point;) {
      *--p = static_cast<char>('0' + fraction % 10);
      fraction /= 10;
    }
  }
  out.append(buffer.data(), end);
  return true;
}

}  // namespace

std::string NumberText(double value) {
  std::string text;
  AppendNumberText(text, value);
  return text;
}

void AppendNumberText(std::string& out, double value) {
  if (value == 0.0) {  // also negative zero
    out += '0';
    return;
  }
  if (AppendShortDecimal(out, value)) return;
  std::array<char, kNumberBufferSize> buffer;
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::general, kSignificantDigits);
  // to_chars writes "1e+15", "inf" and "nan"; the program's form has upper-case letters.
  for (char* p = buffer.data(); p != result.ptr; ++p) {
    if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 'a' + 'A');
  }
  char* first = buffer.data();
  if (std::isnan(value) && *first == '-') ++first;  // a NaN has no meaningful sign
  out.append(first, result.ptr);
}

void AppendNumberText(std::string& out, std::int32_t value) {
  std::array<char, kNumberBufferSize> buffer;
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  out.append(buffer.data(), result.ptr);
}

std::string NumberText(std::int64_t value) {
  return IntegerText(value);
}
std::string NumberText(std::int32_t value) {
  return IntegerText(value);
}
std::string NumberText(std::int16_t value) {
  return IntegerText(value);
}
std::string NumberText(bool value) {
  return value ? "True" : "False";
}

double NumberValue(std::string_view text) {
  // Blanks around the number go without a copy (the editor pads its columns); the clean copy is
  // only made when one stands inside. (A plain loop: find_first_of searches the set once per
  // character, a cost paid for every number read.)
  while (!text.empty() && IsNumberBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsNumberBlank(text.back())) text.remove_suffix(1);
  if (std::none_of(text.begin(), text.end(), IsNumberBlank)) {
    return NumberValueOfCleanText(text);
  }
  std::string clean;
  clean.reserve(text.size());
  for (const char c : text) {
    if (kNumberBlanks.find(c) == std::string_view::npos) clean.push_back(c);
  }
  return NumberValueOfCleanText(clean);
}

std::int16_t RoundToInt16(double value, std::string_view what) {
  return RoundToInteger<std::int16_t>(value, what);
}

std::int32_t RoundToInt32(double value, std::string_view what) {
  return RoundToInteger<std::int32_t>(value, what);
}

}  // namespace brushwright
