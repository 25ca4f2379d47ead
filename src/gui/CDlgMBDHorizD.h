#pragma once
#include <QDialog>
#include <array>

#include "gui/QtUserInterface.h"
#include "programs/multiple_beam/HorizontalReferenceForm.h"

class QLineEdit;

namespace velto::gui {

// "Horizontal Reference Direction" of the multiple-beam window.
class CDlgMBDHorizD : public QDialog {
  Q_OBJECT
 public:
  CDlgMBDHorizD(QWidget* parent, programs::HorizontalReferenceForm& model, QtUserInterface& parentUi);
  void accept() override;

 private:
  void ReadFields();
  void ShowFields();

  programs::HorizontalReferenceForm& model_;
  QtUserInterface ui_;
  std::array<QLineEdit*, 3> edits_{};
};

}  // namespace velto::gui
