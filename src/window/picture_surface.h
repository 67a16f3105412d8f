// The preview picture: a texture image at its pixel size with face outlines drawn over it.
#pragma once

#include <vector>

#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/scrolwin.h>

#include "image/image.h"

namespace brushwright {

// Shows one image at its own pixel size, scrollable when it is larger than the control. Lines
// are drawn into the image itself, so they stay until the next image replaces it.
class PictureSurface : public wxScrolledWindow {
 public:
  PictureSurface(wxWindow* parent, wxWindowID id, const wxString& name);

  // Replaces the picture (and the lines on it) by `image`, its transparent pixels showing the
  // control's background; the current position becomes (0, 0).
  void ShowImage(const Image& image);
  void SetCurrentPosition(double x, double y);
  void CurrentPosition(double& x, double& y) const;
  // A line in image pixels; the current position becomes (x2, y2). The line reaches the picture
  // at the next FlushLines.
  void DrawLine(int x1, int y1, int x2, int y2);
  // Draws the lines drawn since the last flush into the picture and repaints.
  void FlushLines();
  // The picture with every line drawn so far; null before the first image.
  const wxBitmap& Picture();

 private:
  struct Line {
    wxPoint from;
    wxPoint to;
  };

  void DrawPendingLines();
  void OnPaint(wxPaintEvent& event);

  wxBitmap picture_;
  std::vector<Line> pending_lines_;
  double current_x_ = 0;
  double current_y_ = 0;
};

}  // namespace brushwright
