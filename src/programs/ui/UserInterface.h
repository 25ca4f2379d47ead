#pragma once
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/Notifier.h"
#include "programs/ui/BackgroundTask.h"

// The one way in which form models talk to the person: message boxes,
// questions, file dialogs, child dialogs, focus, clipboard, documents and
// the signs of a long computation. The application implements it with Qt;
// tests implement it with a scripted fake.
namespace velto::programs {

using core::MessageIcon;

enum class Answer { Yes, No };

enum class DialogResult { Ok, Cancel };

// An open or save dialog. The filter is written as pairs of description and
// pattern separated by "|" and closed by "||", for example
// "Data File (*.dat)|*.dat|All Files (*.*)|*.*||".
struct FileDialogRequest {
  std::string title;
  std::string filter;
  std::string defaultExtension;  // without the dot; added when the name has none
  std::filesystem::path startDirectory;
  std::string fileName;  // proposed name, may be empty
};

// Base of every dialog model that a command may open as a child dialog. The
// user interface finds the dialog's view from the model's dynamic type.
class DialogModel {
 public:
  virtual ~DialogModel() = default;
};

// How a program that starts another program fared.
enum class LaunchResult { Started, NotFound, Failed };

class UserInterface : public core::Notifier {
 public:
  // A modal message box with an OK button.
  virtual void ShowMessage(std::string_view text, MessageIcon icon = MessageIcon::None) = 0;
  // A modal question with Yes and No buttons; No is preselected.
  virtual Answer AskYesNo(std::string_view text, MessageIcon icon = MessageIcon::None) = 0;

  // The chosen file, or none when the person cancelled.
  virtual std::optional<std::filesystem::path> ChooseOpenFile(const FileDialogRequest& request) = 0;
  // The chosen file, or none when cancelled; an existing file is replaced
  // only after the person confirmed it.
  virtual std::optional<std::filesystem::path> ChooseSaveFile(const FileDialogRequest& request) = 0;

  // Runs a child dialog modally on `model`; the model holds the outcome.
  virtual DialogResult RunDialog(DialogModel& model) = 0;

  // Moves the keyboard focus to a field of the window that runs the command,
  // named as the form model names it.
  virtual void Focus(std::string_view field) = 0;

  virtual void SetClipboardText(std::string_view text) = 0;

  // Opens a document with the desktop's program for it (a PDF viewer, a text
  // editor); false when it cannot be opened: the file is missing, or no
  // program of the desktop shows it, or that program did not start.
  virtual bool OpenDocument(const std::filesystem::path& path) = 0;
  // Opens a text file in the desktop's text editor, whatever its own type,
  // or shows it read-only in a window of this program where there is no
  // editor; false when the file cannot be read.
  virtual bool OpenTextDocument(const std::filesystem::path& path) { return OpenDocument(path); }
  // Starts a program; it runs on its own.
  virtual LaunchResult StartProgram(const std::filesystem::path& executable) = 0;

  // The wait cursor while a short computation runs; nested calls are counted.
  virtual void SetBusy(bool busy) = 0;
  // Runs the long step of a command (see BackgroundTask). A window returns
  // at once and computes on a worker with a progress bar and Cancel, its
  // other commands refused until the task has finished; a script or a test
  // runs the task to its end before returning.
  virtual void RunInBackground(BackgroundTask task) = 0;

  // Notifications from the numerical layers arrive as message boxes.
  void Notify(std::string_view text, MessageIcon icon) override { ShowMessage(text, icon); }
};

// Shows the wait cursor for the lifetime of the object.
class WaitCursor {
 public:
  explicit WaitCursor(UserInterface& ui) : ui_(ui) { ui_.SetBusy(true); }
  ~WaitCursor() { ui_.SetBusy(false); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  UserInterface& ui_;
};

}  // namespace velto::programs
