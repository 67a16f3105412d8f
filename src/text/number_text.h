// The one conversion from numbers to text and from text to numbers used by every file and label.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brushwright {

// General number form: at most 15 significant digits, fixed for decimal exponents -4..14,
// otherwise "1.5E-07" / "1E+15"; negative zero is "0". Locale-free.
std::string NumberText(double value);
std::string NumberText(std::int64_t value);
std::string NumberText(std::int32_t value);
std::string NumberText(std::int16_t value);
// "True" or "False".
std::string NumberText(bool value);
// Append the same text as NumberText to `out`, without a temporary string (the OBJ writer's
// inner loop).
void AppendNumberText(std::string& out, double value);
void AppendNumberText(std::string& out, std::int32_t value);

// The leading decimal number of a text: blanks, TABs and LFs are removed anywhere first, then an
// optional sign, digits with at most one ".", an optional exponent. "&H" / "&O" read hexadecimal
// and octal integers. 0 when the text has no leading number. Never fails.
double NumberValue(std::string_view text);

// Round half to even, as the run rounds every double it stores in an integer.
// Throws BrushError (naming `what`) when the result does not fit the type.
std::int16_t RoundToInt16(double value, std::string_view what);
std::int32_t RoundToInt32(double value, std::string_view what);

}  // namespace brushwright
