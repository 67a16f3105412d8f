// Tests of the number text written into every file and the number reading of every T3D value.
#include "text/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "text/brush_error.h"

namespace brushwright {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(NumberText, DoubleRows) {
  struct Row {
    double input;
    const char* expected;
  };
  const Row rows[] = {
      {1.0, "1"},
      {-0.5, "-0.5"},
      {123.456, "123.456"},
      {1.0 / 3.0, "0.333333333333333"},
      {2.0 / 3.0, "0.666666666666667"},
      {0.1 + 0.2, "0.3"},
      {0.0001, "0.0001"},
      {0.00001, "1E-05"},
      {0.00000015, "1.5E-07"},
      {123456789012345.0, "123456789012345"},
      {1e15, "1E+15"},
      {1234567890123456.0, "1.23456789012346E+15"},
      {-0.0, "0"},
      {0.0, "0"},
      {0.5, "0.5"},
      {100.0, "100"},
      {-128.0, "-128"},
      // Rounding to 15 digits reaches the next power of ten and so changes the form.
      {999999999999999.5, "1E+15"},
      {999999999999999.0, "999999999999999"},
      {-999999999999999.5, "-1E+15"},
      {9.999999999999999E-05, "0.0001"},
      {9.99999999999999E-05, "9.99999999999999E-05"},
      {99999.99999999999, "100000"},
      {0.00012345, "0.00012345"},
      {1e100, "1E+100"},
      {1e-100, "1E-100"},
      {1.5e-300, "1.5E-300"},
      {std::numeric_limits<double>::max(), "1.79769313486232E+308"},
      {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
      {kInfinity, "INF"},
      {-kInfinity, "-INF"},
      {std::numeric_limits<double>::quiet_NaN(), "NAN"},
      {-std::numeric_limits<double>::quiet_NaN(), "NAN"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(NumberText(row.input), row.expected) << "input " << row.expected;
  }
}

TEST(NumberText, IntegerAndBooleanRows) {
  EXPECT_EQ(NumberText(std::int16_t{0}), "0");
  EXPECT_EQ(NumberText(std::int16_t{-128}), "-128");
  EXPECT_EQ(NumberText(std::int16_t{32767}), "32767");
  EXPECT_EQ(NumberText(std::int16_t{-32768}), "-32768");
  EXPECT_EQ(NumberText(std::int32_t{0}), "0");
  EXPECT_EQ(NumberText(std::int32_t{-128}), "-128");
  EXPECT_EQ(NumberText(std::numeric_limits<std::int32_t>::max()), "2147483647");
  EXPECT_EQ(NumberText(std::numeric_limits<std::int32_t>::min()), "-2147483648");
  EXPECT_EQ(NumberText(std::numeric_limits<std::int64_t>::max()), "9223372036854775807");
  EXPECT_EQ(NumberText(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(NumberText(true), "True");
  EXPECT_EQ(NumberText(false), "False");
}

std::string PrintfText(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  return buffer;
}

// Powers of ten and their neighbours are where the digit count and the form switch.
TEST(NumberText, MatchesPrintfAroundPowersOfTen) {
  for (int exponent = -325; exponent <= 309; ++exponent) {
    const std::string literal = "1E" + std::to_string(exponent);
    const double power = std::strtod(literal.c_str(), nullptr);
    for (const double value : {power, std::nextafter(power, 0.0), std::nextafter(power, kInfinity),
                               5 * power, 9.5 * power, -power}) {
      if (value == 0.0 || std::isinf(value)) continue;
      EXPECT_EQ(NumberText(value), PrintfText(value)) << "near " << literal;
    }
  }
}

TEST(NumberText, MatchesPrintfOnScatteredBitPatterns) {
  std::uint64_t state = 0x9E3779B97F4A7C15u;
  for (int i = 0; i < 20000; ++i) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    double value = 0.0;
    std::memcpy(&value, &state, sizeof value);
    if (!std::isfinite(value) || value == 0.0) continue;
    ASSERT_EQ(NumberText(value), PrintfText(value)) << "bits " << state;
  }
}

// Decimals of a few places, as coordinates and texture coordinates mostly are, and their
// neighbouring doubles, on both sides of the bounds of their quicker way.
TEST(NumberText, MatchesPrintfOnShortDecimals) {
  std::uint64_t state = 12345;
  for (int i = 0; i < 200000; ++i) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    const int places = static_cast<int>(state % 11);
    const double whole = static_cast<double>((state >> 8) % 2000000000000000) - 1e15;
    double value = whole / std::pow(10.0, places + static_cast<int>((state >> 60) % 6));
    if (i % 3 == 1) value = std::nextafter(value, kInfinity);
    if (value == 0.0) continue;
    ASSERT_EQ(NumberText(value), PrintfText(value)) << i;
  }
  for (const double value : {1e-4, 9.999999999999999e-5, 999999.999999999, 1e6, -0.0390625}) {
    EXPECT_EQ(NumberText(value), PrintfText(value));
  }
}

// The program writes "." whatever the user's number settings say.
TEST(NumberText, IgnoresCommaDecimalLocale) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  const char* comma_locales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8",
                                 "fr_FR.utf8",  "de_DE",      "German_Germany.1252"};
  const char* chosen = nullptr;
  for (const char* name : comma_locales) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      chosen = name;
      break;
    }
  }
  if (chosen == nullptr) GTEST_SKIP() << "no comma-decimal locale installed";
  const std::string text = NumberText(1.5);
  const double value = NumberValue("2.25");
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_EQ(text, "1.5") << chosen;
  EXPECT_EQ(value, 2.25) << chosen;
}

TEST(NumberValue, Rows) {
  struct Row {
    const char* input;
    double expected;
  };
  const Row rows[] = {
      {"+00128.000000", 128},
      {"-00064.5", -64.5},
      {"1 2", 12},
      {"12abc", 12},
      {"1.5E3", 1500},
      {"abc", 0},
      {"", 0},
      {" \t\n 42 ", 42},
      {"- 5", -5},
      {"1\r2", 1},
      {"1,5", 1},
      {".5", 0.5},
      {"5.", 5},
      {".", 0},
      {"-", 0},
      {"+", 0},
      {"1.2.3", 1.2},
      {"1e-2", 0.01},
      {"1E", 1},
      {"1E+", 1},
      {"1Ex", 1},
      {"2E 2", 200},
      {"inf", 0},
      {"nan", 0},
      {"0x10", 0},
      {"&HFFFF", -1},
      {"&H7FFF", 32767},
      {"&H8000", -32768},
      {"&hff", 255},
      {"&H10000", 65536},
      {"&H7FFFFFFF", 2147483647},
      {"&H80000000", -2147483648.0},
      {"&HFFFFFFFF", -1},
      {"&H1FFFFFFFF", -1},
      {"&H1G", 1},
      {"&H", 0},
      {"&O17", 15},
      {"&O177777", -1},
      {"&O8", 0},
      {"&X1", 0},
      {"-&H1", 0},
      {"0E999999", 0},
      {"1E+400", kInfinity},
      {"-1E400", -kInfinity},
      {"1E-400", 0},
      {"100000E+304", kInfinity},
      {"0.001E+310", 1e307},
      {"4.9E-324", std::numeric_limits<double>::denorm_min()},
      {"1E99999999999999999999", kInfinity},
      {"1E-99999999999999999999", 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(NumberValue(row.input), row.expected) << "input '" << row.input << "'";
  }
}

TEST(NumberValue, LongDigitRunsSaturate) {
  EXPECT_EQ(NumberValue("1" + std::string(400, '0')), kInfinity);
  EXPECT_EQ(NumberValue("0." + std::string(400, '0') + "1"), 0.0);
  EXPECT_EQ(NumberValue("0." + std::string(300, '0') + "1E+301"), 1.0);
}

TEST(RoundToInt16, RoundsHalfToEvenInsideRange) {
  struct Row {
    double input;
    std::int16_t expected;
  };
  const Row rows[] = {{0.5, 0},         {1.5, 2},           {2.5, 2},           {-0.5, 0},
                      {-1.5, -2},       {-2.5, -2},         {2.4999, 2},        {2.5001, 3},
                      {32767.4, 32767}, {-32768.5, -32768}, {-32767.5, -32768}, {32766.5, 32766}};
  for (const Row& row : rows) {
    EXPECT_EQ(RoundToInt16(row.input, "value"), row.expected) << "input " << row.input;
  }
}

TEST(RoundToInt16, ThrowsOutsideRange) {
  const double rows[] = {32767.5, 32768,     -32768.6,   -32769,
                         1e300,   kInfinity, -kInfinity, std::numeric_limits<double>::quiet_NaN()};
  for (const double input : rows) {
    try {
      RoundToInt16(input, "vertex count of face 7");
      ADD_FAILURE() << "no error for " << input;
    } catch (const BrushError& error) {
      EXPECT_NE(std::string(error.what()).find("vertex count of face 7"), std::string::npos)
          << input;
      EXPECT_NE(std::string(error.what()).find("out of range"), std::string::npos) << input;
    }
  }
}

TEST(RoundToInt32, BoundariesAndTies) {
  EXPECT_EQ(RoundToInt32(2147483647.4, "x"), 2147483647);
  EXPECT_EQ(RoundToInt32(-2147483648.5, "x"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(RoundToInt32(40000.5, "x"), 40000);
  EXPECT_EQ(RoundToInt32(40001.5, "x"), 40002);
  EXPECT_THROW(RoundToInt32(2147483647.5, "x"), BrushError);
  EXPECT_THROW(RoundToInt32(-2147483648.6, "x"), BrushError);
  EXPECT_THROW(RoundToInt32(std::numeric_limits<double>::quiet_NaN(), "x"), BrushError);
}

}  // namespace
}  // namespace brushwright
