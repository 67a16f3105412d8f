// Moves the window's stored inputs between plain values and the settings file.
#include "settings/window_settings.h"

#include "settings/ini_file.h"

namespace brushwright {

namespace {

// The output type is stored after this box; the boxes added since follow it, so that the keys
// of older files keep their places.
constexpr std::string_view kLastBoxBeforeOutputType = "CheckBuildWorld";

}  // namespace

const std::vector<StoredCheckBox>& StoredCheckBoxes() {
  // The file's order: CheckBuildBrush comes before CheckReport. Convert Geometry starts ticked:
  // a first start without a settings file must write the mesh it says "Done" for.
  static const std::vector<StoredCheckBox> boxes = {
      {"CheckBuildBrush", &RunOptions::BuildBrush, kUnchecked},
      {"CheckReport", &RunOptions::Report, kUnchecked},
      {"CheckDoGeometry", &RunOptions::DoGeometry, kChecked},
      {"CheckIgnoreNoTxt", &RunOptions::IgnoreNoTexture, kUnchecked},
      {"CheckIgnoreDefTxt", &RunOptions::IgnoreDefaultTexture, kUnchecked},
      {"CheckSearchCopy", &RunOptions::SearchCopy, kUnchecked},
      {"CheckBrushTransforms", &RunOptions::BrushTransforms, kChecked},
      {"CheckSubtractBrushes", &RunOptions::Subtractive, kUnchecked},
      {"CheckBuildWorld", &RunOptions::BuildWorld, kUnchecked},
      {"CheckBuiltWorld", &RunOptions::BuiltWorld, kUnchecked},
      {"CheckStaticMeshes", &RunOptions::StaticMeshes, kChecked},
      {"CheckMovers", &RunOptions::Movers, kChecked},
      {"CheckTerrain", &RunOptions::Terrain, kChecked},
      {"CheckWithMeshes", &RunOptions::WithMeshes, kUnchecked},
  };
  return boxes;
}

std::int16_t WindowSettings::CheckState(const StoredCheckBox& box) const {
  if (Grayed.contains(box.Key)) return kGrayed;
  return Options.*box.Option ? kChecked : kUnchecked;
}

void WindowSettings::SetCheckState(const StoredCheckBox& box, std::int16_t state) {
  Options.*box.Option = state == kChecked;
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
  }
}

std::string OutputFormatName(OutputFormat format) {
  return std::string(OutputKindOf(format).Label);
}

OutputFormat OutputFormatNamed(std::string_view name) {
  return OutputFormatOfLabel(name).value_or(OutputKinds().front().Format);
}

}  // namespace brushwright
