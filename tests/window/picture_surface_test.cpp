// Tests of the preview picture: image size, lines drawn into the image, and replacing it.
#include "window/picture_surface.h"

#include <gtest/gtest.h>

#include "image/image_file.h"
#include "text/brush_error.h"
#include "window_test_support.h"
#include "wx_test_environment.h"

namespace brushwright::testing {
namespace {

// The picture as rows of '#' (dark pixels, where a line is) and '.' (the light image).
std::vector<std::string> Pixels(PictureSurface& surface) {
  const wxImage image = surface.Picture().ConvertToImage();
  std::vector<std::string> rows;
  for (int y = 0; y < image.GetHeight(); ++y) {
    std::string row;
    for (int x = 0; x < image.GetWidth(); ++x) row += image.GetRed(x, y) < 128 ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

TEST(PictureSurface, LinesStayOnThePictureUntilTheNextLoad) {
  REQUIRE_TOOLKIT();
  TempDir dir;
  TestWindow window(dir / "Brushwright.ini");
  WritePng(dir / "tex/Wall.PNG", 8, 4);
  const Image image = DecodeImageFile(dir / "tex/Wall.PNG");
  window->ShowPicture(image);

  window->SetCurrentPosition(3, 2);
  double x = 0;
  double y = 0;
  window->CurrentPosition(x, y);
  EXPECT_EQ(x, 3);
  EXPECT_EQ(y, 2);
  window->DrawLine(0, 1, 7, 1);
  window->DrawLine(7, 1, 7, 3);
  window->CurrentPosition(x, y);
  EXPECT_EQ(x, 7);
  EXPECT_EQ(y, 3);
  window->Yield();
  window->DrawLine(0, 3, 2, 3);
  EXPECT_EQ(Pixels(window->Picture()),
            (std::vector<std::string>{"........", "########", ".......#", "###....#"}));

  window->ShowPicture(image);
  EXPECT_EQ(Pixels(window->Picture()),
            (std::vector<std::string>{"........", "........", "........", "........"}));
  window->CurrentPosition(x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
}

}  // namespace
}  // namespace brushwright::testing
