// The preview picture: keeps the image as a bitmap and draws face outlines into it in batches.
#include "window/picture_surface.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>

namespace brushwright {

namespace {

// Scroll step in pixels: small enough to reach every pixel row of a texture.
constexpr int kScrollStep = 8;
// Outlines are drawn one pixel wide in the plain foreground colour, like a picture box's lines.
const wxColour kLineColour(0, 0, 0);

}  // namespace

PictureSurface::PictureSurface(wxWindow* parent, wxWindowID id, const wxString& name)
    : wxScrolledWindow(parent, id, wxDefaultPosition, wxDefaultSize,
                       wxHSCROLL | wxVSCROLL | wxBORDER_SUNKEN, name) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  SetScrollRate(kScrollStep, kScrollStep);
  SetVirtualSize(0, 0);
  Bind(wxEVT_PAINT, &PictureSurface::OnPaint, this);
}

void PictureSurface::ShowImage(const Image& image) {
  // The toolkit's picture takes its RGB and alpha planes apart, allocated with malloc.
  // Pixels the image does not carry (only its size is known) show black.
  const std::size_t pixels =
      static_cast<std::size_t>(std::max(image.Width, 0)) * std::max(image.Height, 0);
  pending_lines_.clear();
  if (pixels == 0) {
    picture_ = wxBitmap();
  } else {
    auto* rgb = static_cast<unsigned char*>(std::calloc(pixels, 3));
    auto* alpha = static_cast<unsigned char*>(std::malloc(pixels));
    const std::size_t given = std::min(pixels, image.Rgba.size() / 4);
    for (std::size_t i = 0; i < given; ++i) {
      std::memcpy(rgb + i * 3, &image.Rgba[i * 4], 3);
      alpha[i] = image.Rgba[i * 4 + 3];
    }
    wxImage picture(image.Width, image.Height, rgb);
    if (image.HasTransparency) {
      picture.SetAlpha(alpha);
    } else {
      std::free(alpha);
    }
    picture_ = wxBitmap(picture);
  }
  current_x_ = 0;
  current_y_ = 0;
  SetVirtualSize(image.Width, image.Height);
  Scroll(0, 0);
  Refresh();
}

void PictureSurface::SetCurrentPosition(double x, double y) {
  current_x_ = x;
  current_y_ = y;
}

void PictureSurface::CurrentPosition(double& x, double& y) const {
  x = current_x_;
  y = current_y_;
}

void PictureSurface::DrawLine(int x1, int y1, int x2, int y2) {
  pending_lines_.push_back({wxPoint(x1, y1), wxPoint(x2, y2)});
  current_x_ = x2;
  current_y_ = y2;
}

void PictureSurface::FlushLines() {
  if (pending_lines_.empty()) return;
  DrawPendingLines();
  Refresh();
}

void PictureSurface::DrawPendingLines() {
  if (pending_lines_.empty()) return;
  if (!picture_.IsOk()) {
    // Lines before the first image go onto a blank picture of the control's size, as they
    // would onto an empty picture box.
    const wxSize size = GetClientSize();
    picture_ = wxBitmap(std::max(size.x, 1), std::max(size.y, 1));
    wxMemoryDC blank(picture_);
    blank.SetBackground(wxBrush(GetBackgroundColour()));
    blank.Clear();
    blank.SelectObject(wxNullBitmap);
    SetVirtualSize(picture_.GetSize());
  }
  // One memory DC for the whole batch: a run draws tens of thousands of short lines.
  wxMemoryDC dc(picture_);
  dc.SetPen(wxPen(kLineColour));
  for (const Line& line : pending_lines_) {
    dc.DrawLine(line.from, line.to);
    dc.DrawPoint(line.to);  // DrawLine leaves out the end point; a picture box's line has it
  }
  dc.SelectObject(wxNullBitmap);
  pending_lines_.clear();
}

const wxBitmap& PictureSurface::Picture() {
  FlushLines();
  return picture_;
}

void PictureSurface::OnPaint(wxPaintEvent&) {
  DrawPendingLines();
  wxAutoBufferedPaintDC dc(this);
  DoPrepareDC(dc);
  dc.SetBackground(wxBrush(GetBackgroundColour()));
  dc.Clear();
  if (picture_.IsOk()) dc.DrawBitmap(picture_, 0, 0);
}

}  // namespace brushwright
