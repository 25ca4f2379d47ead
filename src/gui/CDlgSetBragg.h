#pragma once
#include <QDialog>

#include "gui/QtUserInterface.h"
#include "programs/energy_dialogs/SetBraggForm.h"

class QLineEdit;

namespace velto::gui {

// "Set Bragg Angle".
class CDlgSetBragg : public QDialog {
  Q_OBJECT
 public:
  CDlgSetBragg(QWidget* parent, programs::SetBraggForm& model, QtUserInterface& parentUi);
  void accept() override;

 private:
  programs::SetBraggForm& model_;
  QtUserInterface ui_;
  QLineEdit* angle_;
};

}  // namespace velto::gui
