#pragma once
#include <QObject>
#include <QPointer>
#include <memory>

#include "programs/ui/UserInterface.h"

class QThread;
class QTimer;

namespace velto::gui {

// Runs the background tasks of one window, one at a time: `compute` on a
// worker thread, `finish` back on the user-interface thread after the
// notices of the run have been shown. The percentage is polled from the
// worker, so no call of the worker ever reaches a widget. Whoever shows the
// progress connects to the signals; the window stays responsive meanwhile.
class BackgroundRunner : public QObject {
  Q_OBJECT
 public:
  explicit BackgroundRunner(QObject* parent = nullptr);
  // Cancels a running task and waits for its worker; its finish is not run.
  ~BackgroundRunner() override;

  bool Running() const { return running_; }
  const QString& Title() const { return title_; }
  // Starts `task`; `ui` shows its notices and is handed to its finish. A
  // second task while one runs is refused (the window refuses its commands
  // meanwhile).
  bool Start(programs::BackgroundTask task, programs::UserInterface& ui);
  // Cancels a running task and waits for its worker. Its notices are not
  // shown and its finish is not run, and no signal is sent: the owner is
  // going away.
  void Stop();

 public slots:
  void cancel();

 signals:
  void runningChanged(bool running);
  // The worker has ended; the run's notices and its finish come next.
  void computed();
  void progressed(int percent);
  // After the finish of a task has run.
  void finished(bool cancelled);

 private:
  class Run;
  void Finish();

  bool running_ = false;
  QString title_;
  std::shared_ptr<Run> run_;
  QThread* worker_ = nullptr;
  QTimer* poll_ = nullptr;
};

// The user interface handed to a window's commands: a person (message boxes
// and dialogs, or a test's script) for everything but background tasks,
// which go to the window's runner.
class WindowUserInterface final : public programs::UserInterface {
 public:
  WindowUserInterface(programs::UserInterface& person, BackgroundRunner& runner) : person_(&person), runner_(runner) {}
  void SetPerson(programs::UserInterface& person) { person_ = &person; }
  programs::UserInterface& Person() { return *person_; }

  void ShowMessage(std::string_view text, programs::MessageIcon icon) override { person_->ShowMessage(text, icon); }
  programs::Answer AskYesNo(std::string_view text, programs::MessageIcon icon) override {
    return person_->AskYesNo(text, icon);
  }
  std::optional<std::filesystem::path> ChooseOpenFile(const programs::FileDialogRequest& request) override {
    return person_->ChooseOpenFile(request);
  }
  std::optional<std::filesystem::path> ChooseSaveFile(const programs::FileDialogRequest& request) override {
    return person_->ChooseSaveFile(request);
  }
  programs::DialogResult RunDialog(programs::DialogModel& model) override { return person_->RunDialog(model); }
  void Focus(std::string_view field) override { person_->Focus(field); }
  void SetClipboardText(std::string_view text) override { person_->SetClipboardText(text); }
  bool OpenDocument(const std::filesystem::path& path) override { return person_->OpenDocument(path); }
  bool OpenTextDocument(const std::filesystem::path& path) override { return person_->OpenTextDocument(path); }
  programs::LaunchResult StartProgram(const std::filesystem::path& executable) override {
    return person_->StartProgram(executable);
  }
  void SetBusy(bool busy) override { person_->SetBusy(busy); }
  void Console(std::string_view text) override { person_->Console(text); }
  void RunInBackground(programs::BackgroundTask task) override { runner_.Start(std::move(task), *this); }

 private:
  programs::UserInterface* person_;
  BackgroundRunner& runner_;
};

}  // namespace velto::gui
