#include "programs/ui/ScriptedUserInterface.h"

#include <mutex>
#include <typeindex>

namespace velto::programs {

void ScriptedUserInterface::ShowMessage(std::string_view text, MessageIcon icon) {
  messages.push_back({std::string(text), icon, false});
}

Answer ScriptedUserInterface::AskYesNo(std::string_view text, MessageIcon icon) {
  messages.push_back({std::string(text), icon, true});
  if (answers_.empty()) {
    if (unscriptedAnswer) return *unscriptedAnswer;
    ++unscriptedRequests;
    return Answer::No;
  }
  const Answer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::optional<std::filesystem::path> ScriptedUserInterface::ChooseOpenFile(const FileDialogRequest& request) {
  openRequests.push_back(request);
  if (openFiles_.empty()) {
    ++unscriptedRequests;
    return std::nullopt;
  }
  auto file = std::move(openFiles_.front());
  openFiles_.pop_front();
  return file;
}

std::optional<std::filesystem::path> ScriptedUserInterface::ChooseSaveFile(const FileDialogRequest& request) {
  saveRequests.push_back(request);
  if (saveFiles_.empty()) {
    ++unscriptedRequests;
    return std::nullopt;
  }
  auto file = std::move(saveFiles_.front());
  saveFiles_.pop_front();
  return file;
}

DialogResult ScriptedUserInterface::RunDialog(DialogModel& model) {
  const std::type_info& type = typeid(model);
  dialogsRun.push_back(&type);
  for (auto it = dialogs_.begin(); it != dialogs_.end(); ++it) {
    if (std::type_index(*it->type) == std::type_index(type)) {
      auto handler = std::move(it->run);
      dialogs_.erase(it);
      return handler(model, *this);
    }
  }
  ++unscriptedRequests;
  return DialogResult::Cancel;
}

bool ScriptedUserInterface::OpenDocument(const std::filesystem::path& path) {
  documentsOpened.push_back(path);
  if (openDocument) return openDocument(path);
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

bool ScriptedUserInterface::OpenTextDocument(const std::filesystem::path& path) {
  textDocumentsOpened.push_back(path);
  if (openDocument) return openDocument(path);
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

LaunchResult ScriptedUserInterface::StartProgram(const std::filesystem::path& executable) {
  programsStarted.push_back(executable);
  if (startProgram) return startProgram(executable);
  std::error_code error;
  return std::filesystem::is_regular_file(executable, error) ? LaunchResult::Started : LaunchResult::NotFound;
}

void ScriptedUserInterface::SetBusy(bool busy) {
  ++busyCalls;
  busyDepth += busy ? 1 : -1;
}

void ScriptedUserInterface::RunInBackground(BackgroundTask task) {
  class RecordingProgress final : public core::Progress {
   public:
    explicit RecordingProgress(ScriptedUserInterface& owner) : owner_(owner) {}
    void Report(int percent) override {
      std::lock_guard lock(mutex_);
      owner_.progressReports.push_back(percent);
    }
    bool Cancelled() const override { return owner_.cancelProgress; }

   private:
    ScriptedUserInterface& owner_;
    std::mutex mutex_;  // parallel loops report from their workers
  };
  tasksRun.push_back(task.title);
  RecordingProgress progress(*this);
  RunTaskHere(task, *this, progress);
}

}  // namespace velto::programs
