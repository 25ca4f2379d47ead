#include "shell/MainFrameState.h"

#include <algorithm>

namespace velto::shell {

MainFrameState LoadMainFrameState(const SettingsStore& settings, const std::filesystem::path& iniDirectory,
                                  const std::filesystem::path& exeDirectory) {
  MainFrameState state;
  state.exeDirectory = exeDirectory;
  state.structPath = settings.ReadTextOr(kSettingsSection, "StructPath", exeDirectory.string());

  const IniDefaults ini = ReadDefaultsIni(iniDirectory / kDefaultsIniName);
  state.defaultEnergy = ini.energyKev * 1000.0;
  state.defaultTemperature = ini.temperature;
  if (!(state.defaultEnergy > 0)) state.defaultEnergy = kDefaultEnergyEv;
  if (!(state.defaultTemperature >= 1e-6)) state.defaultTemperature = kDefaultTemperatureK;

  state.presets = ReadPresetsIni(iniDirectory / kPresetsIniName);
  return state;
}

WindowPlacement ReadPlacement(const SettingsStore& settings) {
  WindowPlacement placement;
  placement.maximised = settings.ReadInteger(kSettingsSection, "MainFrmMax", 0) == 1;
  placement.x = settings.ReadInteger(kSettingsSection, "MainFrmX", 0);
  placement.y = settings.ReadInteger(kSettingsSection, "MainFrmY", 0);
  placement.width = settings.ReadInteger(kSettingsSection, "MainFrmCX", 800);
  placement.height = settings.ReadInteger(kSettingsSection, "MainFrmCY", 685);
  return placement;
}

bool HasStoredPlacement(const SettingsStore& settings) {
  for (const char* name : {"MainFrmMax", "MainFrmX", "MainFrmY", "MainFrmCX", "MainFrmCY"}) {
    if (settings.ReadText(kSettingsSection, name)) return true;
  }
  return false;
}

WindowPlacement FitOnScreen(WindowPlacement placement, const ScreenArea& screen) {
  if (screen.width <= 0 || screen.height <= 0) return placement;
  constexpr int kSmallest = 160;  // below this the menus and toolbar do not fit
  constexpr int kGrip = 120;      // of the title bar that must stay reachable
  const WindowPlacement defaults;
  if (placement.width < kSmallest) placement.width = defaults.width;
  if (placement.height < kSmallest) placement.height = defaults.height;
  placement.width = std::min(placement.width, screen.width);
  placement.height = std::min(placement.height, screen.height);
  const int right = screen.x + screen.width;
  const int bottom = screen.y + screen.height;
  if (placement.x + placement.width < screen.x + kGrip || placement.x > right - kGrip) placement.x = screen.x;
  if (placement.y < screen.y || placement.y > bottom - kGrip) placement.y = screen.y;
  return placement;
}

void SavePlacementOnClose(SettingsStore& settings, const WindowPlacement& frame, bool maximised,
                          const std::filesystem::path& structPath) {
  if (maximised) {
    settings.WriteInteger(kSettingsSection, "MainFrmMax", 1);
    return;
  }
  settings.WriteInteger(kSettingsSection, "MainFrmMax", 0);
  settings.WriteInteger(kSettingsSection, "MainFrmX", frame.x);
  settings.WriteInteger(kSettingsSection, "MainFrmY", frame.y);
  settings.WriteInteger(kSettingsSection, "MainFrmCX", frame.width);
  settings.WriteInteger(kSettingsSection, "MainFrmCY", frame.height);
  settings.WriteText(kSettingsSection, "StructPath", structPath.string());
}

}  // namespace velto::shell
