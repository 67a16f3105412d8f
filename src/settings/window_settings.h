// The window inputs kept between uses, and their load and save orders.
#pragma once

#include <cstdint>
#include <string>

namespace brushwright {

// Plain values of the stored controls; the window maps its controls to and from them.
struct WindowSettings {
  std::string InFile;
  std::string OutFile;
  std::string TextSearchPathTxt;
  std::string ListBMtypeOut;        // selected item text, "" when none
  std::string ListMaskedBMtypeOut;  // selected item text, "" when none
  std::int16_t CheckReport = 0;     // check box states: 0 unchecked, 1 checked, 2 grayed
  std::int16_t CheckBuildBrush = 0;
  std::int16_t CheckDoGeometry = 0;
  std::int16_t CheckIgnoreNoTxt = 0;
  std::int16_t CheckIgnoreDefTxt = 0;
  std::int16_t CheckSearchCopy = 0;
  std::int16_t CheckBrushTransforms = 1;  // checked when the file has no value for it
  std::int16_t CheckSubtractBrushes = 0;
};

// Reads every key (missing keys give "" and 0) from the file set by SetIniFile.
WindowSettings LoadSettings();
// Writes every key, in the file's key order, to the file set by SetIniFile.
void SaveSettings(const WindowSettings& settings);

}  // namespace brushwright
