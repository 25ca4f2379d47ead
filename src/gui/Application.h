#pragma once
#include <memory>

#include "gui/CMainFrame.h"
#include "gui/QtSettingsStore.h"

namespace velto::gui {

// What the velto executable builds at start: the settings, the state the
// programs share and the main window.
struct Application {
  std::unique_ptr<shell::SettingsStore> settings;
  shell::MainFrameState state;
  std::unique_ptr<CMainFrame> mainFrame;
};

// Sets up the application object's names, registers the dialog views, reads
// the settings and the start-up files and builds the main window (not yet
// shown). Needs a QApplication.
std::unique_ptr<Application> StartApplication(std::unique_ptr<shell::SettingsStore> settings);

}  // namespace velto::gui
