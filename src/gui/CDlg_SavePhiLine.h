#pragma once
#include <QDialog>

#include "gui/QtUserInterface.h"
#include "programs/mbd_map/SavePhiLineForm.h"

class QLineEdit;
class QPushButton;

namespace velto::gui {

// "Save points on a vertical line" of the MBD-line map.
class CDlg_SavePhiLine : public QDialog {
  Q_OBJECT
 public:
  CDlg_SavePhiLine(QWidget* parent, programs::SavePhiLineForm& model, QtUserInterface& parentUi);
  void accept() override;

  void SetUserInterface(programs::UserInterface& ui) { commandUi_ = &ui; }
  QLineEdit* PhiEdit() const { return phi_; }
  QLineEdit* FileEdit() const { return file_; }
  QPushButton* BrowseButton() const { return browse_; }

 private:
  void CopyIntoModel();
  void ShowModel();

  programs::SavePhiLineForm& model_;
  QtUserInterface ui_;
  programs::UserInterface* commandUi_;
  QLineEdit* phi_;
  QLineEdit* file_;
  QPushButton* browse_;
};

}  // namespace velto::gui
