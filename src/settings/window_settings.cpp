// Moves the window's stored inputs between plain values and the settings file.
#include "settings/window_settings.h"

#include "settings/ini_file.h"

namespace brushwright {

namespace {

// The output type is stored after this box; the boxes added since follow it, so that the keys
// of older files keep their places.
constexpr std::string_view kLastBoxBeforeOutputType = "CheckBuildWorld";
// "Bake into Textures" is stored after this box, beside the box that turns the light on.
constexpr std::string_view kLastBoxBeforeBakeLight = "CheckLight";
constexpr std::string_view kBakeLightKey = "CheckBakeLight";

// A box that stands for a switch of the run's options.
template <bool RunOptions::*Option>
bool IsSwitchSet(const RunOptions& options) {
  return options.*Option;
}
template <bool RunOptions::*Option>
void SetSwitch(RunOptions& options, bool ticked) {
  options.*Option = ticked;
}
template <bool RunOptions::*Option>
constexpr StoredCheckBox SwitchBox(std::string_view key, std::int16_t state) {
  return {key, &IsSwitchSet<Option>, &SetSwitch<Option>, state};
}

// "Light as the Game": ticking it keeps a baked light baked.
bool IsLightSet(const RunOptions& options) {
  return options.Light != LightMode::None;
}
void SetLight(RunOptions& options, bool ticked) {
  if (!ticked) {
    options.Light = LightMode::None;
  } else if (options.Light == LightMode::None) {
    options.Light = LightMode::Maps;
  }
}

}  // namespace

const std::vector<StoredCheckBox>& StoredCheckBoxes() {
  // The file's order: CheckBuildBrush comes before CheckReport. Convert Geometry starts ticked:
  // a first start without a settings file must write the mesh it says "Done" for.
  static const std::vector<StoredCheckBox> boxes = {
      SwitchBox<&RunOptions::BuildBrush>("CheckBuildBrush", kUnchecked),
      SwitchBox<&RunOptions::Report>("CheckReport", kUnchecked),
      SwitchBox<&RunOptions::DoGeometry>("CheckDoGeometry", kChecked),
      SwitchBox<&RunOptions::IgnoreNoTexture>("CheckIgnoreNoTxt", kUnchecked),
      SwitchBox<&RunOptions::IgnoreDefaultTexture>("CheckIgnoreDefTxt", kUnchecked),
      SwitchBox<&RunOptions::SearchCopy>("CheckSearchCopy", kUnchecked),
      SwitchBox<&RunOptions::BrushTransforms>("CheckBrushTransforms", kChecked),
      SwitchBox<&RunOptions::Subtractive>("CheckSubtractBrushes", kUnchecked),
      SwitchBox<&RunOptions::BuildWorld>("CheckBuildWorld", kUnchecked),
      SwitchBox<&RunOptions::BuiltWorld>("CheckBuiltWorld", kUnchecked),
      SwitchBox<&RunOptions::StaticMeshes>("CheckStaticMeshes", kChecked),
      SwitchBox<&RunOptions::Movers>("CheckMovers", kChecked),
      SwitchBox<&RunOptions::Terrain>("CheckTerrain", kChecked),
      SwitchBox<&RunOptions::WithMeshes>("CheckWithMeshes", kUnchecked),
      {"CheckLight", &IsLightSet, &SetLight, kUnchecked},
  };
  return boxes;
}

std::int16_t WindowSettings::CheckState(const StoredCheckBox& box) const {
  if (Grayed.contains(box.Key)) return kGrayed;
  return box.IsSet(Options) ? kChecked : kUnchecked;
}

void WindowSettings::SetCheckState(const StoredCheckBox& box, std::int16_t state) {
  box.Set(Options, state == kChecked);
  if (state == kGrayed) {
    Grayed.emplace(box.Key);
  } else {
    Grayed.erase(std::string(box.Key));
  }
}

// Every key is applied whether found or not: a missing one gives "" or the box's default.
WindowSettings LoadSettings() {
  WindowSettings settings;
  settings.Options.InputFile = IniReadString("InFile");
  settings.Options.OutputFile = IniReadString("OutFile");
  settings.Options.SearchPath = IniReadString("TextSearchPathTxt");
  settings.Options.TextureType = IniReadString("ListBMtypeOut");
  settings.ListMaskedBMtypeOut = IniReadString("ListMaskedBMtypeOut");
  for (const StoredCheckBox& box : StoredCheckBoxes()) {
    const std::string key(box.Key);
    settings.SetCheckState(box, IniReadString(key).empty() ? box.Default : IniReadInteger(key));
  }
  settings.Options.Format = OutputFormatNamed(IniReadString("ListOutputType"));
  settings.BakeLight = IniReadInteger(std::string(kBakeLightKey)) == kChecked;
  settings.Options.Light =
      LightModeOf(settings.Options.Light != LightMode::None, settings.BakeLight);
  return settings;
}

void SaveSettings(const WindowSettings& settings) {
  IniWriteString("InFile", settings.Options.InputFile);
  IniWriteString("OutFile", settings.Options.OutputFile);
  IniWriteString("TextSearchPathTxt", settings.Options.SearchPath);
  IniWriteString("ListBMtypeOut", settings.Options.TextureType);
  IniWriteString("ListMaskedBMtypeOut", settings.ListMaskedBMtypeOut);
  for (const StoredCheckBox& box : StoredCheckBoxes()) {
    IniWriteInteger(std::string(box.Key), settings.CheckState(box));
    if (box.Key == kLastBoxBeforeOutputType) {
      IniWriteString("ListOutputType", OutputFormatName(settings.Options.Format));
    }
    if (box.Key == kLastBoxBeforeBakeLight) {
      IniWriteInteger(std::string(kBakeLightKey), settings.BakeLight ? kChecked : kUnchecked);
    }
  }
}

LightMode LightModeOf(bool light, bool bake) {
  if (!light) return LightMode::None;
  return bake ? LightMode::Bake : LightMode::Maps;
}

std::string OutputFormatName(OutputFormat format) {
  return std::string(OutputKindOf(format).Label);
}

OutputFormat OutputFormatNamed(std::string_view name) {
  return OutputFormatOfLabel(name).value_or(OutputKinds().front().Format);
}

}  // namespace brushwright
