#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "core/ProcessSetup.h"
#include "gui/Application.h"

namespace {

// Set VELTO_STARTUP_PROBE=1 to print the time from the start of main to the
// main window shown and painted, then quit (used to measure start-up).
bool StartupProbe() { return std::getenv("VELTO_STARTUP_PROBE") != nullptr; }

}  // namespace

int main(int argc, char* argv[]) {
  const auto started = std::chrono::steady_clock::now();
  velto::core::SetUpComputingProcess();
  QApplication qtApplication(argc, argv);
  // The command line is not read: the application always starts with no
  // program window.
  auto application = velto::gui::StartApplication(std::make_unique<velto::gui::QtSettingsStore>());
  application->mainFrame->ShowAsSaved();

  if (StartupProbe()) {
    QTimer::singleShot(0, [started] {
      const auto shown = std::chrono::steady_clock::now();
      std::printf("main window shown after %.1f ms\n",
                  std::chrono::duration<double, std::milli>(shown - started).count());
      QApplication::quit();
    });
  }
  return qtApplication.exec();
}
