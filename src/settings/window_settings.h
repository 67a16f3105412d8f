// The window inputs kept between uses, and their load and save orders.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "run/run_options.h"

namespace brushwright {

// Check box states as the settings file stores them. Only a checked box turns its option on.
inline constexpr std::int16_t kUnchecked = 0;
inline constexpr std::int16_t kChecked = 1;
inline constexpr std::int16_t kGrayed = 2;

// One check box the settings file keeps: its key (also the name of its control in the window),
// how it reads and sets its option, and its state when the file has no value for it.
struct StoredCheckBox {
  std::string_view Key;
  bool (*IsSet)(const RunOptions& options);
  void (*Set)(RunOptions& options, bool ticked);
  std::int16_t Default;
};

// Every stored check box, in the order the file lists them.
const std::vector<StoredCheckBox>& StoredCheckBoxes();

// What the settings file holds: the run's input and output names, texture folder and type and
// its switches, and the masked texture type that only the window shows.
struct WindowSettings {
  RunOptions Options;
  std::string ListMaskedBMtypeOut;  // selected item text, "" when none
  // "Bake into Textures": the light the world carries is baked into its textures rather than
  // kept as light maps. Kept whether or not "Light as the Game" is ticked, which alone turns the
  // light on; Options.Light is Bake when both are.
  bool BakeLight = false;
  // Keys of check boxes stored grayed: their options are off, and they are saved grayed again.
  std::set<std::string, std::less<>> Grayed;

  // The stored state of a check box: grayed, checked or unchecked.
  std::int16_t CheckState(const StoredCheckBox& box) const;
  void SetCheckState(const StoredCheckBox& box, std::int16_t state);
};

// The item of the "Output Type" list that names a format, as the settings file stores it: the
// output kind's label ("OBJ", "glTF (binary)"). Any other text stands for the first kind.
std::string OutputFormatName(OutputFormat format);
OutputFormat OutputFormatNamed(std::string_view name);

// The light a run is given from "Light as the Game" and "Bake into Textures".
LightMode LightModeOf(bool light, bool bake);

// Reads every key (missing keys give "" and each box's default) from the file set by SetIniFile.
// A stored state other than checked or grayed reads as unchecked.
WindowSettings LoadSettings();
// Writes every key, in the file's key order, to the file set by SetIniFile.
void SaveSettings(const WindowSettings& settings);

}  // namespace brushwright
