// Decodes texture images (BMP, PCX, JPEG, PNG, TIFF, GIF) with wxImage; needs no display.
#pragma once

#include <string>

#include <wx/image.h>

namespace brushwright {

// The decoded image at `path`. Throws BrushError naming the file when it cannot be decoded.
// Registers wxWidgets' image handlers on first use.
wxImage DecodeImageFile(const std::string& path);

}  // namespace brushwright
