// Conversions between the program's 8-bit strings and the toolkit's strings.
#pragma once

#include <string>
#include <string_view>

#include <wx/string.h>

namespace brushwright {

// Paths and names are UTF-8 where they can be; other bytes are taken one character per byte.
std::string ToText(const wxString& text);
wxString FromText(std::string_view text);

}  // namespace brushwright
