#pragma once
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <typeinfo>
#include <vector>

#include "programs/ui/UserInterface.h"

namespace velto::testing {

// A scripted user interface for the tests of form models. Answers to
// questions, file dialogs and child dialogs are queued in advance; what the
// model showed (messages with icons, questions, focus moves, documents,
// started programs, progress) is recorded for the test to check.
class FakeUserInterface : public programs::UserInterface {
 public:
  struct Message {
    std::string text;
    programs::MessageIcon icon;
    bool question;  // asked with Yes and No
  };

  // --- scripting ---
  void QueueAnswer(programs::Answer answer) { answers_.push_back(answer); }
  // The file the next open dialog returns; none means Cancel.
  void QueueOpenFile(std::optional<std::filesystem::path> file) { openFiles_.push_back(std::move(file)); }
  void QueueSaveFile(std::optional<std::filesystem::path> file) { saveFiles_.push_back(std::move(file)); }
  // The next child dialog of type T is run by `handler` instead of a person.
  template <typename T>
  void QueueDialog(std::function<programs::DialogResult(T&, programs::UserInterface&)> handler) {
    dialogs_.push_back({&typeid(T), [handler](programs::DialogModel& model, programs::UserInterface& ui) {
                          return handler(dynamic_cast<T&>(model), ui);
                        }});
  }
  // Replaces the default outcome of OpenDocument (true when the file exists).
  std::function<bool(const std::filesystem::path&)> openDocument;
  // Replaces the default outcome of StartProgram (Started when the file exists).
  std::function<programs::LaunchResult(const std::filesystem::path&)> startProgram;
  // Progress answers Cancelled() with this value.
  bool cancelProgress = false;

  // --- what happened ---
  std::vector<Message> messages;
  std::vector<std::string> console;
  std::vector<programs::FileDialogRequest> openRequests;
  std::vector<programs::FileDialogRequest> saveRequests;
  std::vector<const std::type_info*> dialogsRun;  // including dialogs nobody answered
  std::vector<std::string> focusMoves;
  std::string clipboard;
  std::vector<std::filesystem::path> documentsOpened;
  std::vector<std::filesystem::path> programsStarted;
  std::vector<int> progressReports;
  int busyDepth = 0;
  int busyCalls = 0;

  std::string LastMessage() const { return messages.empty() ? std::string() : messages.back().text; }
  std::string LastFocus() const { return focusMoves.empty() ? std::string() : focusMoves.back(); }
  // Unanswered questions, file dialogs and dialogs (answered with the
  // defaults: No, Cancel, Cancel).
  int unscriptedRequests = 0;

  // --- UserInterface ---
  void ShowMessage(std::string_view text, programs::MessageIcon icon) override;
  programs::Answer AskYesNo(std::string_view text, programs::MessageIcon icon) override;
  std::optional<std::filesystem::path> ChooseOpenFile(const programs::FileDialogRequest& request) override;
  std::optional<std::filesystem::path> ChooseSaveFile(const programs::FileDialogRequest& request) override;
  programs::DialogResult RunDialog(programs::DialogModel& model) override;
  void Focus(std::string_view field) override { focusMoves.emplace_back(field); }
  void SetClipboardText(std::string_view text) override { clipboard = std::string(text); }
  bool OpenDocument(const std::filesystem::path& path) override;
  programs::LaunchResult StartProgram(const std::filesystem::path& executable) override;
  void SetBusy(bool busy) override;
  std::unique_ptr<core::Progress> BeginProgress(std::string_view title) override;
  void Console(std::string_view text) override { console.emplace_back(text); }

 private:
  struct DialogHandler {
    const std::type_info* type;
    std::function<programs::DialogResult(programs::DialogModel&, programs::UserInterface&)> run;
  };
  std::deque<programs::Answer> answers_;
  std::deque<std::optional<std::filesystem::path>> openFiles_;
  std::deque<std::optional<std::filesystem::path>> saveFiles_;
  std::deque<DialogHandler> dialogs_;
};

}  // namespace velto::testing
