// Decodes texture images (BMP, PCX, JPEG, PNG, TIFF, GIF) with wxImage; needs no display.
#pragma once

#include <string>

#include <wx/image.h>

#include "image/image.h"

namespace brushwright {

// The decoded image at `path`. Throws BrushError naming the file when it cannot be decoded.
// Registers wxWidgets' image handlers on first use.
wxImage DecodeImageFile(const std::string& path);

// The toolkit's picture as RGBA pixels, its mask colour (if any) made transparent.
Image ImageFromToolkit(const wxImage& picture);

}  // namespace brushwright
