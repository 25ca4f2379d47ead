#pragma once
#include <filesystem>
#include <string>

#include "crystal/StructFactor.h"
#include "shell/ChiClipboard.h"
#include "shell/SettingsStore.h"
#include "shell/StartupFiles.h"

// What the main window keeps for the whole run and hands to the programs:
// default energy and temperature, the structure-file directory, the chi
// store, the preset lists and the scattering engine; and the placement it
// restores and saves.
namespace velto::shell {

inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kToolbarStateName = "ControlBarStates";

// Cu Kα1 and room temperature, the values a first run starts with.
inline constexpr double kDefaultEnergyEv = 12398.4244 / 1.540562;
inline constexpr double kDefaultTemperatureK = 293.15;

struct MainFrameState {
  std::filesystem::path exeDirectory;  // the data directory: help, examples, atomic data
  double defaultEnergy = kDefaultEnergyEv;          // eV
  double defaultTemperature = kDefaultTemperatureK;  // K
  std::filesystem::path structPath;
  ChiClipboard chiClipboard;
  PresetLists presets = DefaultPresetLists();
  // The one Brennan–Cowan engine, read from the data directory on first use
  // and released when the main window closes.
  crystal::StructFactorEngineHolder structFactorEngine;
};

// Builds the state as the main window does when it is constructed: the
// structure-file directory from the settings (default `exeDirectory`), then
// "VELTO.INI" and "VELTO2.INI" from `iniDirectory`.
MainFrameState LoadMainFrameState(const SettingsStore& settings, const std::filesystem::path& iniDirectory,
                                  const std::filesystem::path& exeDirectory);

// Where and how the main window appears.
struct WindowPlacement {
  int x = 0;
  int y = 0;
  int width = 800;
  int height = 685;
  bool maximised = false;

  bool operator==(const WindowPlacement&) const = default;
};

WindowPlacement ReadPlacement(const SettingsStore& settings);
// False on a first run: no close has stored a placement yet.
bool HasStoredPlacement(const SettingsStore& settings);

// The screen area a window may use.
struct ScreenArea {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// A stored placement made usable on the present screen: a window larger than
// the screen is shrunk to it, a size too small to use gets the default, and
// a window that lies (mostly) off the screen is moved back, so that a
// placement saved on another monitor cannot leave the window unreachable.
WindowPlacement FitOnScreen(WindowPlacement placement, const ScreenArea& screen);

// The settings part of closing the main window. A maximised window records
// only that fact, so the normal placement and the structure-file directory of
// the last normal close survive; otherwise `frame` (the outer rectangle of
// the restored window) and the directory are written.
void SavePlacementOnClose(SettingsStore& settings, const WindowPlacement& frame, bool maximised,
                          const std::filesystem::path& structPath);

}  // namespace velto::shell
