#pragma once
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <vector>

#include "gui/BackgroundRunner.h"
#include "gui/QtUserInterface.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QTimer;

namespace velto::gui {

// The frame of every program window. A program's view derives from it and
// gets:
//  - a form area that scrolls, so that a window shrunk to a small main window
//    keeps every control reachable;
//  - the commands of its form model run with the field copy-in before and
//    the redraw after (RunCommand), refused while a task of the window runs;
//  - the long step of a command (UserInterface::RunInBackground) on a worker
//    thread with a progress bar, the task's title and Cancel inside the
//    window. The rest of the application stays usable; over this window the
//    cursor is busy and clicks and keys reach no control but Cancel.
//    Closing the window during a run cancels the run and waits for it;
//  - the entries of its File menu (the main window shows them, followed by
//    "E&xit"; the first one is also the toolbar's Export button), or the
//    declaration that it has no menu bar of its own;
//  - Enter in a field runs its main command.
//
// A view written on it:
//
//   class COrvoViewXyz : public ProgramView {
//    public:
//     COrvoViewXyz(programs::AppContext& app, QWidget* parent) : ProgramView(parent), model_(app) {
//       setWindowTitle(ToQt(model_.Title()));
//       auto* layout = new QGridLayout(Form());   // the controls live on Form()
//       ...
//       connect(calculate, &QPushButton::clicked, this, [this] { RunCommand(model_, &XyzForm::Calculate); });
//       SetMainCommand([this] { RunCommand(model_, &XyzForm::Calculate); });
//       AddFileCommand("Export Curve data...", [this] { RunCommand(model_, &XyzForm::Export); });
//       ShowModel();
//     }
//    protected:
//     void ReadFields() override;  // widget texts into the model
//     void ShowModel() override;   // widgets from the model; Busy() is true while a task runs
//   };
//
// Tests give a view a scripted person with SetUserInterface; background
// tasks still run on the real worker thread, and taskFinished() tells when
// one is over.
class ProgramView : public QWidget {
  Q_OBJECT
 public:
  struct FileCommand {
    QString text;                  // as the File menu shows it
    std::function<void()> run;
    std::function<bool()> enabled;  // none: always, except while a task runs
  };

  explicit ProgramView(QWidget* parent = nullptr);
  ~ProgramView() override;

  // --- for the main window ---
  const std::vector<FileCommand>& FileCommands() const { return fileCommands_; }
  // False for a program that leaves the menu bar that was showing.
  bool HasOwnMenuBar() const { return ownMenuBar_; }
  bool FileCommandEnabled(std::size_t index) const;
  // Runs a File-menu entry when it is enabled.
  void RunFileCommand(std::size_t index);

  // The main window calls it each time the program is opened or brought to
  // the front through a program command (the MBD-line map takes over the
  // crystal of the multiple-beam window then).
  virtual void ProgramOpened() {}

  // True while a task of this window runs on the worker thread.
  bool Busy() const { return runner_.Running(); }
  // The Cancel of the progress panel (and Esc while a task runs): the task
  // stops at its next check and the earlier results stay.
  void CancelTask();
  // Cancels a running task and waits for its worker; its outcome is dropped.
  void StopTask();

  // Replaces the person the commands talk to (tests, tools); the worker
  // thread of background tasks stays.
  void SetUserInterface(programs::UserInterface& person) { commandUi_.SetPerson(person); }

  QScrollArea* ScrollArea() const { return scroll_; }
  QWidget* ProgressPanel() const { return progressPanel_; }
  QProgressBar* ProgressBar() const { return progressBar_; }
  QPushButton* CancelButton() const { return cancel_; }
  // Covers the form while a task runs: busy cursor, no clicks.
  QWidget* BusyShield() const { return shield_; }

 signals:
  // The File-menu entries may have changed their enabled state.
  void commandsChanged();
  // A background task has ended and its outcome is shown.
  void taskFinished(bool cancelled);

 protected:
  // The widget the view lays its controls out on; it scrolls.
  QWidget* Form() const { return form_; }
  programs::UserInterface& CommandUi() { return commandUi_; }

  void AddFileCommand(const QString& text, std::function<void()> run, std::function<bool()> enabled = {});
  // The program has no menu bar of its own (the multiple-beam program).
  void UseMenuBarOfOtherWindows() { ownMenuBar_ = false; }
  // What Enter in a field of the form runs.
  void SetMainCommand(std::function<void()> command) { mainCommand_ = std::move(command); }

  // Copies the fields into the model, runs `command`, shows the model.
  // Nothing happens while a task of this window runs.
  void RunCommand(const std::function<void(programs::UserInterface&)>& command);
  template <typename Model, typename Result>
  void RunCommand(Model& model, Result (Model::*command)(programs::UserInterface&)) {
    RunCommand([&model, command](programs::UserInterface& ui) { (model.*command)(ui); });
  }

  // Widget texts into the model, before a command.
  virtual void ReadFields() = 0;
  // Widgets from the model, after a command and when a task starts or ends.
  virtual void ShowModel() = 0;

  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void TaskStarted();
  void TaskEnded();
  void PlaceShield();

  QtUserInterface person_;
  BackgroundRunner runner_;
  WindowUserInterface commandUi_{person_, runner_};
  QScrollArea* scroll_;
  QWidget* form_;
  QWidget* shield_;
  QWidget* progressPanel_;
  QLabel* progressTitle_;
  QProgressBar* progressBar_;
  QPushButton* cancel_;
  QTimer* showProgress_;
  QPointer<QWidget> focusBeforeTask_;
  std::vector<FileCommand> fileCommands_;
  bool ownMenuBar_ = true;
  std::function<void()> mainCommand_;
};

}  // namespace velto::gui
