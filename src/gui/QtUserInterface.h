#pragma once
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <typeindex>

#include "programs/ui/UserInterface.h"

class QDialog;

namespace velto::gui {

class BackgroundRunner;

// Qt text from the models' UTF-8 strings and back.
inline QString ToQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string FromQt(const QString& text) { return text.toStdString(); }

// "Data File (*.dat)|*.dat|All Files (*.*)|*.*||" as a Qt file-dialog filter.
QString QtFileFilter(std::string_view filter);

// The user interface of one window: its message boxes and dialogs are
// parented to the window and focus moves find the window's fields by object
// name.
class QtUserInterface : public programs::UserInterface {
 public:
  explicit QtUserInterface(QWidget* window);
  ~QtUserInterface() override;

  void ShowMessage(std::string_view text, programs::MessageIcon icon) override;
  programs::Answer AskYesNo(std::string_view text, programs::MessageIcon icon) override;
  std::optional<std::filesystem::path> ChooseOpenFile(const programs::FileDialogRequest& request) override;
  std::optional<std::filesystem::path> ChooseSaveFile(const programs::FileDialogRequest& request) override;
  programs::DialogResult RunDialog(programs::DialogModel& model) override;
  void Focus(std::string_view field) override;
  void SetClipboardText(std::string_view text) override;
  bool OpenDocument(const std::filesystem::path& path) override;
  bool OpenTextDocument(const std::filesystem::path& path) override;
  programs::LaunchResult StartProgram(const std::filesystem::path& executable) override;
  void SetBusy(bool busy) override;
  // A dialog's own tasks: a modal progress dialog with Cancel over the
  // dialog while the worker runs.
  void RunInBackground(programs::BackgroundTask task) override;
  void Console(std::string_view text) override;

  QWidget* Window() const { return window_; }

  // The views of child dialogs: a factory per model type builds the dialog
  // that shows a model. Each dialog view registers itself.
  using DialogFactory =
      std::function<std::unique_ptr<QDialog>(QWidget* parent, programs::DialogModel& model, QtUserInterface& ui)>;
  static void RegisterDialog(std::type_index model, DialogFactory factory);
  template <typename Model, typename View>
  static void RegisterDialog() {
    RegisterDialog(typeid(Model), [](QWidget* parent, programs::DialogModel& model, QtUserInterface& ui) {
      return std::unique_ptr<QDialog>(new View(parent, static_cast<Model&>(model), ui));
    });
  }

  // Tests replace the way a built child dialog is run (instead of exec()).
  static void SetDialogRunner(std::function<int(QDialog&)> runner);

 private:
  QPointer<QWidget> window_;
  std::unique_ptr<BackgroundRunner> runner_;
};

// The dialog views of the form models of this application.
void RegisterDialogViews();

}  // namespace velto::gui
