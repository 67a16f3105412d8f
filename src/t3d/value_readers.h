// Readers that find a key in the T3D text and read a vector, rotator, triple, word or block.
#pragma once

#include <string>
#include <string_view>

#include "vecmath/vecmath.h"

namespace brushwright {

// Reads "X=", "Y=", "Z=" (at most 10 characters each) from the rest of the line of the first
// `key` at or after `start` that begins before `end`; components whose key is absent, or all
// when `key` is not found, take `fallback`. `start` is not moved.
Vector ReadVector(std::string_view text, int start, int end, std::string_view key, double fallback);
// As ReadVector with "Pitch=", "Yaw=", "Roll=" and the default 0.
Rotator ReadRotator(std::string_view text, int start, int end, std::string_view key);
// Reads "key n,n,n" ending at the first CR or LF (or the end of the text) and moves `pos` just
// past that line break. (0, 0, 0) with `pos` unchanged when the key is not found.
Vector ReadCommaVector(std::string_view text, int& pos, std::string_view key);
// Reads "n,n,n" from `pos` (the third number ends at the first CR or LF, or the end of the
// text) and moves `pos` just past that line break. Used for every triple of a polygon.
Vector ReadTriple(std::string_view text, int& pos);
// The characters from `pos` up to the first CR or LF; `pos` moves just past that one character,
// or to the length + 1 when the text ends first.
std::string ReadUntilLineBreak(std::string_view text, int& pos);
// The characters from `pos` up to the delimiter; `pos` moves past it. When there is no
// delimiter: "" and `pos` moves past the end of the text (never back to the start).
std::string ReadUntil(std::string_view text, char delimiter, int& pos);
// The (untrimmed) word after `key` on the line at `pos`, "" when the line lacks the key; `pos`
// moves to the next non-empty line.
std::string ReadLineKeyWord(std::string_view text, int& pos, std::string_view key);
// Finds `begin_key` at or after `start` and the first `end_key` after it. content_start is set
// just after the begin key as soon as that is found; content_end just before the end key.
// Returns false when either key is missing.
bool FindBlock(std::string_view text, int start, std::string_view begin_key,
               std::string_view end_key, int& content_start, int& content_end);

}  // namespace brushwright
