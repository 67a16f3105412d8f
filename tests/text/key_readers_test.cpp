// Tests of the line and word scanners and the key readers on which the T3D readers rest.
#include "text/key_readers.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "text/brush_error.h"

namespace brushwright {
namespace {

TEST(CharAt, GivesNulOutsideTheText) {
  EXPECT_EQ(CharAt("abc", 1), 'a');
  EXPECT_EQ(CharAt("abc", 3), 'c');
  EXPECT_EQ(CharAt("abc", 4), '\0');
  EXPECT_EQ(CharAt("abc", 0), '\0');
  EXPECT_EQ(CharAt("abc", -5), '\0');
  EXPECT_EQ(CharAt("", 1), '\0');
}

TEST(FindFrom, Rows) {
  struct Row {
    const char* text;
    const char* key;
    int start;
    int expected;
  };
  const Row rows[] = {
      {"abcabc", "bc", 1, 2},   {"abcabc", "bc", 2, 2}, {"abcabc", "bc", 3, 5},
      {"abcabc", "bc", 6, 0},   {"abcabc", "bc", 0, 2}, {"abcabc", "bc", -3, 2},
      {"abcabc", "bc", 100, 0}, {"abcabc", "BC", 1, 0}, {"abcabc", "abcabcd", 1, 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FindFrom(row.text, row.key, row.start), row.expected)
        << row.text << " / " << row.key << " from " << row.start;
  }
}

TEST(FindInRange, LimitBoundsWhereTheKeyBegins) {
  struct Row {
    const char* text;
    const char* key;
    int start;
    int limit;
    int expected;
  };
  const Row rows[] = {
      {"xxKey=1", "Key=", 1, 3, 3},        // begins exactly at the limit
      {"xxKey=1", "Key=", 1, 2, 0},        // begins one after the limit
      {"xxKey=1", "Key=", 3, 3, 3},        // runs past the limit
      {"xxKey=1", "Key=", 4, 10, 0},       // begins before the start
      {"xxKey=1", "Key=", 3, 2, 0},        // empty range
      {"xxKey=1", "Key=", 20, 30, 0},      // range past the end
      {"xxKey=1", "Key=", 1, INT_MAX, 3},  // limit far past the end
      {"xxKey=1", "Key=", 0, 0, 0},
      {"BumpEvent=A Event=B", "Event=", 1, 100, 5},  // keys match inside longer keys
      {"BumpEvent=A Event=B", "Event=", 6, 100, 13},
      {"Key=1 Key=2", "Key=", 2, 7, 7},
      {"Key=1 Key=2", "Key=", 2, 6, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.text) + " / " + row.key + " in " + std::to_string(row.start) +
                 ".." + std::to_string(row.limit));
    EXPECT_EQ(FindInRange(row.text, row.key, row.start, row.limit), row.expected);
    EXPECT_EQ(KeyInRange(row.text, row.key, row.start, row.limit), row.expected != 0);
  }
}

TEST(GetNextLine, Rows) {
  struct Row {
    const char* text;
    int pos;
    const char* line;
    int next_pos;
  };
  const Row rows[] = {
      {"A\r\n\r\nB", 1, "A", 6},  // a run of empty lines is passed over in one call
      {"A\r\n\r\nB", 6, "B", 7},  // the end of the text ends the last line
      {"A\nB", 1, "A", 3},       {"\r\nX", 1, "", 3}, {"abc", 2, "bc", 4}, {"A\r\n", 1, "A", 4},
      {"abc", 4, "", 4},         {"abc", 10, "", 10}, {"", 1, "", 1},      {"ab\r\ncd", 0, "ab", 5},
  };
  for (const Row& row : rows) {
    int pos = row.pos;
    EXPECT_EQ(GetNextLine(row.text, pos), row.line) << "'" << row.text << "' from " << row.pos;
    EXPECT_EQ(pos, row.next_pos) << "'" << row.text << "' from " << row.pos;
  }
}

TEST(GetNextWord, Rows) {
  struct Row {
    const char* text;
    int pos;
    const char* word;
    int next_pos;
  };
  const Row rows[] = {
      {"abc def", 1, "abc ", 4},  // the word keeps the delimiter it ended on
      {"abc def", 4, "def", 7},
      {"abc def", 7, "f", 7},  // at the last character the same character comes again
      {"abc def", 8, "", 8},
      {"a\tb", 1, "a\t", 2},
      {"  x\r\n", 1, "x\r", 4},
      {"\r\n\r\nName=X", 1, "Name=X", 10},
      {"   ", 1, "", 4},
      {"", 1, "", 1},
  };
  for (const Row& row : rows) {
    int pos = row.pos;
    EXPECT_EQ(GetNextWord(row.text, pos), row.word) << "'" << row.text << "' from " << row.pos;
    EXPECT_EQ(pos, row.next_pos) << "'" << row.text << "' from " << row.pos;
  }
}

TEST(ReadKeyValue, Rows) {
  struct Row {
    const char* text;
    const char* key;
    int limit;
    const char* value;
  };
  const Row rows[] = {
      {"CsgOper=CSG_Add\r\n", "CsgOper=", 100, "CSG_Add"},
      {"Tag=  Door1 ", "Tag=", 100, "Door1"},
      {"Tag=\r\nName=X", "Tag=", 100, "Name=X"},  // an empty value yields the next line's word
      {"Tag=A\tB", "Tag=", 100, "A\t"},           // a TAB ending the value stays
      {"Tag=X\n", "Tag=", 100, "X"},
      {"Tag=Two words", "Tag=", 100, "Two"},
      {"Tag=X", "Tag=", 1, "X"},
      {"xTag=X", "Tag=", 1, ""},
      {"Name=X", "Tag=", 100, ""},
      {"Tag=", "Tag=", 100, ""},
      {"Tag=   ", "Tag=", 100, ""},
      {"BumpEvent=Foo Event=Bar", "Event=", 100, "Foo"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ReadKeyValue(row.text, row.key, 1, row.limit), row.value) << "'" << row.text << "'";
  }
}

TEST(ReadKeyValueOrZero, EmptyValueIsZero) {
  EXPECT_EQ(ReadKeyValueOrZero("Name=X", "Tag=", 1, 100), "0");
  EXPECT_EQ(ReadKeyValueOrZero("Tag=\r\n", "Tag=", 1, 100), "0");
  EXPECT_EQ(ReadKeyValueOrZero("Tag=5\r\n", "Tag=", 1, 100), "5");
  EXPECT_EQ(ReadKeyValueOrZero("Tag=True", "Tag=", 1, 100), "True");
}

TEST(ValueAsBoolean, Rows) {
  struct Row {
    const char* value;
    bool expected;
  };
  const Row rows[] = {
      {"True", true},   {"true", true},   {"TRUE", true},   {"False", false},
      {"false", false}, {"FALSE", false}, {" True ", true}, {"1", true},
      {"-1", true},     {"2.5", true},    {"12abc", true},  {"0", false},
      {"0.0", false},   {"abc", false},   {"", false},      {"Tru", false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ValueAsBoolean(row.value), row.expected) << "'" << row.value << "'";
  }
}

TEST(ReadKeyInto, BooleanIsFalseOnlyForFalse) {
  struct Row {
    const char* text;
    bool expected;
  };
  const Row rows[] = {
      {"bHidden=True\r\n", true},   {"bHidden=true\r\n", true},  {"bHidden=1\r\n", true},
      {"bHidden=False\r\n", false}, {"bHidden=false\r\n", true}, {"bHidden=FALSE\r\n", true},
      {"bHidden=0\r\n", true},      {"bHidden=", true},
  };
  for (const Row& row : rows) {
    for (const bool sentinel : {false, true}) {
      bool target = sentinel;
      EXPECT_TRUE(ReadKeyInto(row.text, "bHidden=", 1, 100, target)) << "'" << row.text << "'";
      EXPECT_EQ(target, row.expected) << "'" << row.text << "'";
    }
  }
}

TEST(ReadKeyInto, MissingKeyLeavesEveryTargetAlone) {
  const std::string_view text = "Other=1\r\nKey=2";
  bool flag = true;
  double number = 7.25;
  std::int16_t count = 77;
  std::string name = "keep";
  EXPECT_FALSE(ReadKeyInto(text, "Missing=", 1, 100, flag));
  EXPECT_FALSE(ReadKeyInto(text, "Missing=", 1, 100, number));
  EXPECT_FALSE(ReadKeyInto(text, "Missing=", 1, 100, count));
  EXPECT_FALSE(ReadKeyInto(text, "Missing=", 1, 100, name));
  EXPECT_FALSE(ReadKeyInto(text, "Key=", 1, 9, name));  // begins one past the limit
  EXPECT_EQ(flag, true);
  EXPECT_EQ(number, 7.25);
  EXPECT_EQ(count, 77);
  EXPECT_EQ(name, "keep");
}

TEST(ReadKeyInto, DoubleAndTextTargets) {
  double number = 7.25;
  EXPECT_TRUE(ReadKeyInto("Radius=1.5E3\r\n", "Radius=", 1, 100, number));
  EXPECT_EQ(number, 1500.0);
  EXPECT_TRUE(ReadKeyInto("Radius= -2\r\n", "Radius=", 1, 100, number));
  EXPECT_EQ(number, -2.0);
  EXPECT_TRUE(ReadKeyInto("Radius=abc\r\n", "Radius=", 1, 100, number));
  EXPECT_EQ(number, 0.0);
  std::string name;
  EXPECT_TRUE(ReadKeyInto("Name=Door1\r\nTag=x", "Name=", 1, 100, name));
  EXPECT_EQ(name, "Door1");
}

TEST(ReadKeyInto, SixteenBitTargetRoundsHalfToEven) {
  struct Row {
    const char* text;
    std::int16_t expected;
  };
  const Row rows[] = {{"N=2.5\r\n", 2},       {"N=3.5\r\n", 4},         {"N=-2.5\r\n", -2},
                      {"N=32767\r\n", 32767}, {"N=-32768\r\n", -32768}, {"N=-32768.5\r\n", -32768},
                      {"N=abc\r\n", 0},       {"N=12abc\r\n", 12}};
  for (const Row& row : rows) {
    std::int16_t target = 77;
    EXPECT_TRUE(ReadKeyInto(row.text, "N=", 1, 100, target)) << "'" << row.text << "'";
    EXPECT_EQ(target, row.expected) << "'" << row.text << "'";
  }
}

TEST(ReadKeyInto, SixteenBitOverflowThrowsAndKeepsTarget) {
  for (const char* text :
       {"Brightness=32768", "Brightness=-32769", "Brightness=32767.5", "Brightness=1E10"}) {
    std::int16_t target = 77;
    try {
      ReadKeyInto(text, "Brightness=", 1, 100, target);
      ADD_FAILURE() << "no error for '" << text << "'";
    } catch (const BrushError& error) {
      EXPECT_NE(std::string(error.what()).find("Brightness="), std::string::npos) << error.what();
      EXPECT_NE(std::string(error.what()).find("out of range"), std::string::npos) << error.what();
    }
    EXPECT_EQ(target, 77) << "'" << text << "'";
  }
}

}  // namespace
}  // namespace brushwright
