#pragma once
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>

#include "gui/ProgramView.h"

namespace velto::gui::testing {

// Closes the next modal box (a message box) once it is shown, handing its
// text to `seen`, so that code that shows one can run inside a test.
void CloseNextModal(std::function<void(const QString&)> seen = {});

// A program window without a program, for tests of the frame: the File
// entries and menu bar a test declares, and a task that runs until it is
// released or cancelled.
class StandInView : public ProgramView {
 public:
  explicit StandInView(QWidget* parent = nullptr);
  using ProgramView::AddFileCommand;
  using ProgramView::CommandUi;
  using ProgramView::Form;
  using ProgramView::RunCommand;
  using ProgramView::SetMainCommand;
  using ProgramView::UseMenuBarOfOtherWindows;

  // Runs, through RunCommand, a task that reports 50 % until `release` is
  // set or the run is cancelled; its finish makes `result` = `value` unless
  // the run was cancelled. `ended` is set when the worker leaves the task.
  void StartTask(int value);
  std::shared_ptr<std::atomic<bool>> release = std::make_shared<std::atomic<bool>>(false);
  std::shared_ptr<std::atomic<bool>> ended = std::make_shared<std::atomic<bool>>(false);
  int result = 0;
  int commandsRun = 0;

 protected:
  void ReadFields() override {}
  void ShowModel() override {}
};

}  // namespace velto::gui::testing
