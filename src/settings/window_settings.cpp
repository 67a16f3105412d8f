// Moves the window's stored inputs between plain values and the settings file.
#include "settings/window_settings.h"

#include "settings/ini_file.h"

namespace brushwright {

namespace {

// A check box that starts checked when the settings file has no value for it yet.
std::int16_t IniReadCheckedByDefault(const std::string& key) {
  return IniReadString(key).empty() ? std::int16_t{1} : IniReadInteger(key);
}

}  // namespace

// Every key is applied whether found or not: a missing one gives "" or 0.
WindowSettings LoadSettings() {
  WindowSettings settings;
  settings.InFile = IniReadString("InFile");
  settings.OutFile = IniReadString("OutFile");
  settings.TextSearchPathTxt = IniReadString("TextSearchPathTxt");
  settings.ListBMtypeOut = IniReadString("ListBMtypeOut");
  settings.ListMaskedBMtypeOut = IniReadString("ListMaskedBMtypeOut");
  settings.CheckReport = IniReadInteger("CheckReport");
  settings.CheckBuildBrush = IniReadInteger("CheckBuildBrush");
  settings.CheckDoGeometry = IniReadInteger("CheckDoGeometry");
  settings.CheckIgnoreNoTxt = IniReadInteger("CheckIgnoreNoTxt");
  settings.CheckIgnoreDefTxt = IniReadInteger("CheckIgnoreDefTxt");
  settings.CheckSearchCopy = IniReadInteger("CheckSearchCopy");
  settings.CheckBrushTransforms = IniReadCheckedByDefault("CheckBrushTransforms");
  settings.CheckSubtractBrushes = IniReadInteger("CheckSubtractBrushes");
  return settings;
}

// The write order fixes the line order of a new file; CheckBuildBrush comes before CheckReport.
void SaveSettings(const WindowSettings& settings) {
  IniWriteString("InFile", settings.InFile);
  IniWriteString("OutFile", settings.OutFile);
  IniWriteString("TextSearchPathTxt", settings.TextSearchPathTxt);
  IniWriteString("ListBMtypeOut", settings.ListBMtypeOut);
  IniWriteString("ListMaskedBMtypeOut", settings.ListMaskedBMtypeOut);
  IniWriteInteger("CheckBuildBrush", settings.CheckBuildBrush);
  IniWriteInteger("CheckReport", settings.CheckReport);
  IniWriteInteger("CheckDoGeometry", settings.CheckDoGeometry);
  IniWriteInteger("CheckIgnoreNoTxt", settings.CheckIgnoreNoTxt);
  IniWriteInteger("CheckIgnoreDefTxt", settings.CheckIgnoreDefTxt);
  IniWriteInteger("CheckSearchCopy", settings.CheckSearchCopy);
  IniWriteInteger("CheckBrushTransforms", settings.CheckBrushTransforms);
  IniWriteInteger("CheckSubtractBrushes", settings.CheckSubtractBrushes);
}

}  // namespace brushwright
