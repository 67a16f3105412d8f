// The one error type of the program: what went wrong, in words that name the file or face.
#pragma once

#include <stdexcept>
#include <string>

namespace brushwright {

// Raised for I/O failures, arithmetic overflows and undecodable images. The message is complete
// and meant for the user ("cannot write 'C:/out/room.obj': No space left on device").
class BrushError : public std::runtime_error {
 public:
  explicit BrushError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace brushwright
