// Conversions between the program's 8-bit strings and the toolkit's strings.
#include "window/toolkit_text.h"

namespace brushwright {

std::string ToText(const wxString& text) {
  const wxScopedCharBuffer utf8 = text.utf8_str();
  return std::string(utf8.data(), utf8.length());
}

wxString FromText(std::string_view text) {
  wxString utf8 = wxString::FromUTF8(text.data(), text.size());
  // Bytes that are not UTF-8 (texture names from old levels) still show, one per character.
  if (utf8.empty() && !text.empty()) return wxString::From8BitData(text.data(), text.size());
  return utf8;
}

}  // namespace brushwright
