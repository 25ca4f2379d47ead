#include "support/FakeUserInterface.h"

#include <typeindex>

namespace velto::testing {

using programs::Answer;
using programs::DialogResult;
using programs::LaunchResult;

void FakeUserInterface::ShowMessage(std::string_view text, programs::MessageIcon icon) {
  messages.push_back({std::string(text), icon, false});
}

Answer FakeUserInterface::AskYesNo(std::string_view text, programs::MessageIcon icon) {
  messages.push_back({std::string(text), icon, true});
  if (answers_.empty()) {
    ++unscriptedRequests;
    return Answer::No;
  }
  const Answer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::optional<std::filesystem::path> FakeUserInterface::ChooseOpenFile(const programs::FileDialogRequest& request) {
  openRequests.push_back(request);
  if (openFiles_.empty()) {
    ++unscriptedRequests;
    return std::nullopt;
  }
  auto file = std::move(openFiles_.front());
  openFiles_.pop_front();
  return file;
}

std::optional<std::filesystem::path> FakeUserInterface::ChooseSaveFile(const programs::FileDialogRequest& request) {
  saveRequests.push_back(request);
  if (saveFiles_.empty()) {
    ++unscriptedRequests;
    return std::nullopt;
  }
  auto file = std::move(saveFiles_.front());
  saveFiles_.pop_front();
  return file;
}

DialogResult FakeUserInterface::RunDialog(programs::DialogModel& model) {
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

bool FakeUserInterface::OpenDocument(const std::filesystem::path& path) {
  documentsOpened.push_back(path);
  if (openDocument) return openDocument(path);
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

LaunchResult FakeUserInterface::StartProgram(const std::filesystem::path& executable) {
  programsStarted.push_back(executable);
  if (startProgram) return startProgram(executable);
  std::error_code error;
  return std::filesystem::is_regular_file(executable, error) ? LaunchResult::Started : LaunchResult::NotFound;
}

void FakeUserInterface::SetBusy(bool busy) {
  ++busyCalls;
  busyDepth += busy ? 1 : -1;
}

std::unique_ptr<core::Progress> FakeUserInterface::BeginProgress(std::string_view) {
  class RecordingProgress final : public core::Progress {
   public:
    explicit RecordingProgress(FakeUserInterface& owner) : owner_(owner) {}
    void Report(int percent) override { owner_.progressReports.push_back(percent); }
    bool Cancelled() const override { return owner_.cancelProgress; }

   private:
    FakeUserInterface& owner_;
  };
  return std::make_unique<RecordingProgress>(*this);
}

}  // namespace velto::testing
