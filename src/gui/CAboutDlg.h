#pragma once
#include <QDialog>
#include <filesystem>

#include "programs/ui/UserInterface.h"

namespace velto::gui {

// "About VELTO": name, version and build date, what the suite does, where to
// turn with questions, and the references; the first two references open
// documents that come with the program.
class CAboutDlg : public QDialog {
  Q_OBJECT
 public:
  CAboutDlg(QWidget* parent, std::filesystem::path documentDirectory, programs::UserInterface& ui);

  // The documents behind the first two references.
  static constexpr const char* kReferenceDocuments[2] = {"VELTO-Help.pdf", "VELTO-Theory.pdf"};

  // Opens reference document `index` (0 or 1); says so when it cannot.
  void OpenReference(int index);

 private:
  std::filesystem::path documentDirectory_;
  programs::UserInterface& ui_;
};

}  // namespace velto::gui
