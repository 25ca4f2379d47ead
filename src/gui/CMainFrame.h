#pragma once
#include <QMainWindow>
#include <QPointer>
#include <map>
#include <vector>

#include "gui/CDlgArcMurad.h"
#include "gui/CDlgParasitic.h"
#include "gui/ProgramWindows.h"
#include "gui/QtUserInterface.h"
#include "programs/ui/AppContext.h"
#include "shell/MainFrameState.h"
#include "shell/ProgramSlots.h"

class QAction;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace velto::gui {

class CMyMDIClient;
class ProgramView;

// The main window: menus, toolbar, the program windows inside it, and the
// services the programs share (default energy and temperature, structure
// files, chi store, help).
//
// The menu bar follows the program window in front: its own bar ("&File"
// with "E&xit" only, "&Windows") while none is open, and a program's bar
// ("&File" with the entries its view declares, "&Window" with the
// arrangement commands and the list of windows) while one is. A program
// without a bar of its own leaves the bar that was showing, with the entries
// it does not handle disabled.
class CMainFrame : public QMainWindow, private shell::ProgramHost, public programs::ShellCommands {
  Q_OBJECT
 public:
  CMainFrame(shell::SettingsStore& settings, shell::MainFrameState& state, ProgramWindowRegistry programs,
             QWidget* parent = nullptr);
  ~CMainFrame() override;

  // Shows the window where and as it was left at the last close; on a first
  // run it takes the screen's available area.
  void ShowAsSaved();

  programs::AppContext& App() { return app_; }
  programs::UserInterface& Ui() { return ui_; }
  // Tests give the window's commands a scripted user interface.
  void SetUserInterface(programs::UserInterface& ui) { commandUi_ = &ui; }

  // programs::ShellCommands
  void OpenProgram(shell::ProgramKind kind) override;
  void ShowHelp() override;

  void ShowConverter();
  // "&Parasitic Reflections of Back Reflection...": modeless, created on
  // first use, hidden on close, destroyed with the main window.
  void ShowParasitic();
  void StartStructureEditor();
  void ShowAbout();

  // "&Cascade", "&Tile" and "&Arrange Icons" of the "&Window" menu.
  void CascadeWindows();
  void TileWindows();
  void ArrangeIcons();

  CMyMDIClient* Client() const { return client_; }
  CDlgArcMurad* Converter() const { return converter_; }
  CDlgParasitic* Parasitic() const { return parasitic_; }
  QAction* ProgramAction(shell::ProgramKind kind) const { return programActions_.at(kind); }
  QToolBar* ControlBar() const { return toolbar_; }
  // The toolbar's Export button: the first File-menu entry of the program
  // window in front.
  QAction* ExportAction() const { return exportAction_; }
  const shell::ProgramSlots& Slots() const { return slots_; }
  // The view of the program window in front, if any.
  ProgramView* CurrentView() const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  bool CreateProgramWindow(shell::ProgramKind kind) override;
  void ActivateProgramWindow(shell::ProgramKind kind) override;
  void BuildMenusAndToolbar();
  template <typename Bar>
  void AddProgramGroups(Bar* bar);
  void UpdateCaption();
  // The bar for the window in front, its File entries, the window list.
  void UpdateMenuBar();
  void ShowMenuBar(ProgramView* owner, bool programBar);
  void FillWindowMenu();
  void UpdateCommandStates();
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
  QAction* exitAction_ = nullptr;
  QAction* toolbarToggle_ = nullptr;
  QAction* cascadeAction_ = nullptr;
  QAction* tileAction_ = nullptr;
  QAction* arrangeIconsAction_ = nullptr;
  QMenu* fileMenu_ = nullptr;
  QMenu* programsMenu_ = nullptr;
  QMenu* toolsMenu_ = nullptr;
  QMenu* mainWindowsMenu_ = nullptr;  // "&Windows" of the main window's own bar
  QMenu* windowMenu_ = nullptr;       // "&Window" of the program bars
  QMenu* helpMenu_ = nullptr;
  // Whose File entries the bar shows (none for the main window's own bar),
  // and whether a program bar is showing.
  QPointer<ProgramView> menuOwner_;
  bool programBar_ = false;
  bool menuBarBuilt_ = false;
  std::vector<QAction*> fileCommandActions_;
  QPointer<CDlgArcMurad> converter_;
  QPointer<CDlgParasitic> parasitic_;
};

}  // namespace velto::gui
