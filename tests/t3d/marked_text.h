// Test inputs written with LF line ends and a marker where a reader's position must end.
#pragma once

#include <string>
#include <string_view>

namespace brushwright {

// The characters of `text` from position `start` to position `end`, both included: the block
// that FindBlock's content start and end bound.
inline std::string_view BlockOf(std::string_view text, int start, int end) {
  return text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(end - start + 1));
}

// The two line-end forms every reader test runs in.
enum class LineEnds { kCrLf, kLf };

inline const char* LineEndsName(LineEnds ends) {
  return ends == LineEnds::kCrLf ? "CR LF" : "LF";
}

// A text with the expected final position: 0 when the input has no marker.
struct MarkedText {
  std::string text;
  int marker = 0;
};

// Turns LF-only text into its CR LF twin (or leaves it alone) and takes out the marker:
// '$' marks the position exactly; '~' directly after a line end marks the position just past
// the first character of that line end (on the LF of a CR LF, after an LF alone).
inline MarkedText Mark(std::string_view raw, LineEnds ends) {
  MarkedText result;
  for (const char c : raw) {
    if (c == '$') {
      result.marker = static_cast<int>(result.text.size()) + 1;
    } else if (c == '~') {
      result.marker = static_cast<int>(result.text.size()) + (ends == LineEnds::kCrLf ? 0 : 1);
    } else if (c == '\n' && ends == LineEnds::kCrLf) {
      result.text += "\r\n";
    } else {
      result.text += c;
    }
  }
  return result;
}

inline std::string ToForm(std::string_view raw, LineEnds ends) {
  return Mark(raw, ends).text;
}

// The same text with its LFs turned into CR LF when asked; no marker is taken out.
inline std::string WithLineEnds(std::string_view lf_text, LineEnds ends) {
  if (ends == LineEnds::kLf) return std::string(lf_text);
  std::string result;
  result.reserve(lf_text.size() + lf_text.size() / 16);
  for (const char c : lf_text) {
    if (c == '\n') result += '\r';
    result += c;
  }
  return result;
}

inline constexpr LineEnds kBothLineEnds[] = {LineEnds::kCrLf, LineEnds::kLf};

}  // namespace brushwright
