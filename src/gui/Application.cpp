#include "gui/Application.h"

#include <QApplication>
#include <QDir>

#include "core/DataDirectory.h"
#include "gui/Pictures.h"

namespace velto::gui {

std::unique_ptr<Application> StartApplication(std::unique_ptr<shell::SettingsStore> settings) {
  QApplication::setApplicationName(QStringLiteral("VELTO"));
  QApplication::setOrganizationName(QStringLiteral("VELTO"));
  QApplication::setApplicationVersion(QStringLiteral(VELTO_VERSION));
  QApplication::setWindowIcon(ApplicationIcon());
  RegisterDialogViews();

  auto application = std::make_unique<Application>();
  application->settings = std::move(settings);
  // The start-up files are read from the current directory, so that a
  // directory of work can carry its own defaults.
  application->state =
      shell::LoadMainFrameState(*application->settings, QDir::currentPath().toStdString(), core::DataDirectory());
  application->mainFrame =
      std::make_unique<CMainFrame>(*application->settings, application->state, BuiltProgramWindows());
  return application;
}

}  // namespace velto::gui
