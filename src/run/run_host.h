// What a conversion run shows and asks of the front end around it: progress, yields with pause and
// stop, the preview surface and message boxes. The window, the command line and the tests
// implement it; the run knows no toolkit.
#pragma once

#include <cstdint>
#include <string_view>

#include "image/image.h"

namespace brushwright {

// What the user asked for while the run yielded.
enum class RunRequest {
  Continue,
  Pause,  // the run waits before its next face, yielding, until Continue or Stop
  Stop,   // the window is closing: the run gives up at once, keeping what it wrote
};

// What a message box tells the user: a notice after which the run goes on (the list of missing
// images), or an error the run met and passed over (a folder it could not search).
enum class MessageKind { Notice, Error };

class RunHost {
 public:
  virtual ~RunHost() = default;

  // Progress: the stage ("getting poly", "Done"), the position ("Face 12", "Writing Report") and
  // the texture shown on the preview.
  virtual void SetLabelProgress(std::string_view text) = 0;
  virtual void SetLabelPos(std::string_view text) = 0;
  virtual void SetLabelTextureName(std::string_view text) = 0;
  // The number of the face in hand (ignored ones included) of the `total` the run will read.
  virtual void ShowFace(std::int32_t number, std::int32_t total) = 0;

  // Lets the front end process its pending events (repaints, Pause, closing) and tells what the
  // user asked for meanwhile.
  virtual RunRequest Yield() = 0;

  // Preview surface, in pixels of the picture shown, y downwards.
  // Shows a texture's decoded picture; the current position goes back to its top left corner.
  virtual void ShowPicture(const Image& picture) = 0;
  virtual void SetCurrentPosition(double x, double y) = 0;
  virtual void CurrentPosition(double& x, double& y) = 0;
  // A line from (x1, y1) to (x2, y2); the current position becomes (x2, y2).
  virtual void DrawLine(int x1, int y1, int x2, int y2) = 0;

  // A modal message box with an OK button; returns when the user has closed it.
  virtual void ShowMessage(std::string_view text, std::string_view title, MessageKind kind) = 0;
};

}  // namespace brushwright
