#pragma once
#include <QMainWindow>
#include <array>
#include <filesystem>

#include "gui/QtUserInterface.h"
#include "programs/structure_editor/StructureEditorForm.h"

class QLineEdit;
class QPlainTextEdit;
class QTableWidget;

namespace velto::gui {

// The window's user interface: a refusal about an atom or a Debye
// temperature ("atom:5", "debye:O") selects that row of its table.
class StructureEditorUserInterface : public QtUserInterface {
 public:
  using QtUserInterface::QtUserInterface;
  void Focus(std::string_view field) override;
};

// The window of velto-struct: a humble view of StructureEditorForm. It
// copies what is typed into the form, runs the form's commands and shows
// the form again.
class StructureEditorWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit StructureEditorWindow(const std::filesystem::path& dataDirectory);

  programs::StructureEditorForm& Form() { return form_; }
  programs::UserInterface& Ui() { return ui_; }
  // Shows the form's texts in the widgets.
  void Refresh();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  QWidget* BuildForm();
  // Copies the widgets' texts into the form.
  void Collect();
  void Edited();
  void Run(bool (programs::StructureEditorForm::*command)(programs::UserInterface&));
  void ShowTables();

  programs::StructureEditorForm form_;
  StructureEditorUserInterface ui_;
  std::array<QLineEdit*, static_cast<int>(programs::StructureEditorField::Count)> edits_{};
  QTableWidget* atoms_ = nullptr;
  QTableWidget* debye_ = nullptr;
  QPlainTextEdit* notes_ = nullptr;
  bool refreshing_ = false;
};

}  // namespace velto::gui
