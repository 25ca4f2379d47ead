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

namespace velto::programs {

// A user interface without a person: answers to questions, file dialogs and
// child dialogs are queued in advance, and what the form model showed
// (messages with icons, questions, focus moves, documents, started programs,
// progress) is recorded. The command-line tool drives the form models with
// it, and the tests of form models script the person with it. Background
// tasks run to their end on the calling thread.
class ScriptedUserInterface : public UserInterface {
 public:
  struct Message {
    std::string text;
    MessageIcon icon;
    bool question;  // asked with Yes and No
  };

  // --- scripting ---
  void QueueAnswer(Answer answer) { answers_.push_back(answer); }
  // The answer to every question while none is queued (a command-line
  // option such as --force); none: No, counted as unscripted.
  std::optional<Answer> unscriptedAnswer;
  // The file the next open dialog returns; none means Cancel.
  void QueueOpenFile(std::optional<std::filesystem::path> file) { openFiles_.push_back(std::move(file)); }
  void QueueSaveFile(std::optional<std::filesystem::path> file) { saveFiles_.push_back(std::move(file)); }
  // The next child dialog of type T is run by `handler` instead of a person.
  template <typename T>
  void QueueDialog(std::function<DialogResult(T&, UserInterface&)> handler) {
    dialogs_.push_back({&typeid(T), [handler](DialogModel& model, UserInterface& ui) {
                          return handler(dynamic_cast<T&>(model), ui);
                        }});
  }
  // Replaces the default outcome of OpenDocument (true when the file exists).
  std::function<bool(const std::filesystem::path&)> openDocument;
  // Replaces the default outcome of StartProgram (Started when the file exists).
  std::function<LaunchResult(const std::filesystem::path&)> startProgram;
  // The progress of background tasks answers Cancelled() with this value.
  bool cancelProgress = false;

  // --- what happened ---
  std::vector<Message> messages;
  std::vector<std::string> console;
  std::vector<FileDialogRequest> openRequests;
  std::vector<FileDialogRequest> saveRequests;
  std::vector<const std::type_info*> dialogsRun;  // including dialogs nobody answered
  std::vector<std::string> focusMoves;
  std::string clipboard;
  std::vector<std::filesystem::path> documentsOpened;
  std::vector<std::filesystem::path> textDocumentsOpened;
  std::vector<std::filesystem::path> programsStarted;
  std::vector<int> progressReports;
  std::vector<std::string> tasksRun;  // titles of the background tasks
  int busyDepth = 0;
  int busyCalls = 0;

  std::string LastMessage() const { return messages.empty() ? std::string() : messages.back().text; }
  std::string LastFocus() const { return focusMoves.empty() ? std::string() : focusMoves.back(); }
  // Unanswered questions, file dialogs and dialogs (answered with the
  // defaults: No, Cancel, Cancel).
  int unscriptedRequests = 0;

  // --- UserInterface ---
  void ShowMessage(std::string_view text, MessageIcon icon) override;
  Answer AskYesNo(std::string_view text, MessageIcon icon) override;
  std::optional<std::filesystem::path> ChooseOpenFile(const FileDialogRequest& request) override;
  std::optional<std::filesystem::path> ChooseSaveFile(const FileDialogRequest& request) override;
  DialogResult RunDialog(DialogModel& model) override;
  void Focus(std::string_view field) override { focusMoves.emplace_back(field); }
  void SetClipboardText(std::string_view text) override { clipboard = std::string(text); }
  bool OpenDocument(const std::filesystem::path& path) override;
  // Recorded apart; answered like OpenDocument.
  bool OpenTextDocument(const std::filesystem::path& path) override;
  LaunchResult StartProgram(const std::filesystem::path& executable) override;
  void SetBusy(bool busy) override;
  void RunInBackground(BackgroundTask task) override;
  void Console(std::string_view text) override { console.emplace_back(text); }

 private:
  struct DialogHandler {
    const std::type_info* type;
    std::function<DialogResult(DialogModel&, UserInterface&)> run;
  };
  std::deque<Answer> answers_;
  std::deque<std::optional<std::filesystem::path>> openFiles_;
  std::deque<std::optional<std::filesystem::path>> saveFiles_;
  std::deque<DialogHandler> dialogs_;
};

}  // namespace velto::programs
