#pragma once
#include <QMainWindow>
#include <QPointer>
#include <map>

#include "gui/CDlgArcMurad.h"
#include "gui/ProgramWindows.h"
#include "gui/QtUserInterface.h"
#include "programs/ui/AppContext.h"
#include "shell/MainFrameState.h"
#include "shell/ProgramSlots.h"

class QAction;
class QMdiSubWindow;
class QToolBar;

namespace velto::gui {

class CMyMDIClient;

// The main window: menus, toolbar, the program windows inside it, and the
// services the programs share (default energy and temperature, structure
// files, chi store, help).
class CMainFrame : public QMainWindow, private shell::ProgramHost, public programs::ShellCommands {
  Q_OBJECT
 public:
  CMainFrame(shell::SettingsStore& settings, shell::MainFrameState& state, ProgramWindowRegistry programs,
             QWidget* parent = nullptr);
  ~CMainFrame() override;

  // Shows the window where and as it was left at the last close.
  void ShowAsSaved();

  programs::AppContext& App() { return app_; }
  programs::UserInterface& Ui() { return ui_; }
  // Tests give the window's commands a scripted user interface.
  void SetUserInterface(programs::UserInterface& ui) { commandUi_ = &ui; }

  // programs::ShellCommands
  void OpenProgram(shell::ProgramKind kind) override;
  void ShowHelp() override;

  void ShowConverter();
  void StartStructureEditor();
  void ShowAbout();

  CMyMDIClient* Client() const { return client_; }
  CDlgArcMurad* Converter() const { return converter_; }
  QAction* ProgramAction(shell::ProgramKind kind) const { return programActions_.at(kind); }
  QToolBar* ControlBar() const { return toolbar_; }
  // The export entry of the File menu, also the toolbar's Export button.
  QAction* ExportAction() const { return exportAction_; }
  const shell::ProgramSlots& Slots() const { return slots_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  bool CreateProgramWindow(shell::ProgramKind kind) override;
  void ActivateProgramWindow(shell::ProgramKind kind) override;
  void BuildMenusAndToolbar();
  void UpdateCaption();
  void UpdateExportCommand(QMdiSubWindow* window);
  programs::UserInterface& CommandUi() { return *commandUi_; }

  shell::SettingsStore& settings_;
  shell::MainFrameState& state_;
  ProgramWindowRegistry programs_;
  programs::AppContext app_;
  QtUserInterface ui_;
  programs::UserInterface* commandUi_;
  shell::ProgramSlots slots_;
  std::map<shell::ProgramKind, QPointer<QMdiSubWindow>> windows_;
  std::map<shell::ProgramKind, QAction*> programActions_;
  CMyMDIClient* client_;
  QToolBar* toolbar_ = nullptr;
  QAction* exportAction_ = nullptr;
  QPointer<CDlgArcMurad> converter_;
};

}  // namespace velto::gui
