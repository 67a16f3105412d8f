// Real image files for tests, made by the program's own encoder.
#pragma once

#include <filesystem>
#include <string>

#include "image/image_file.h"
#include "support/test_files.h"

namespace brushwright::testing {

// A width x height image of one grey, with `alpha` in every pixel.
inline Image GreyImage(int width, int height, std::uint8_t alpha = 255) {
  Image image;
  image.Width = width;
  image.Height = height;
  for (int i = 0; i < width * height; ++i)
    image.Rgba.insert(image.Rgba.end(), {200, 200, 200, alpha});
  return image;
}

// Writes a width x height image file of the given type at `path`.
inline void WriteImage(const std::filesystem::path& path, int width, int height,
                       ImageFormat format = ImageFormat::Bmp) {
  WriteBytes(path, EncodeImage(GreyImage(width, height), format));
}

}  // namespace brushwright::testing
