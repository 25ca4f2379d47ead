#pragma once
#include <QDialog>
#include <map>

#include "gui/QtUserInterface.h"
#include "programs/form_factor/FormLoopForm.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace velto::gui {

// "Looping Form Factor": a table of form factors against energy or angle,
// written to a data file; a long one runs with a progress dialog and Cancel.
class CFormLoop : public QDialog {
  Q_OBJECT
 public:
  CFormLoop(QWidget* parent, programs::FormLoopForm& model, QtUserInterface& parentUi);

  QLineEdit* FieldEdit(programs::FormLoopField id) const { return edits_.at(id); }
  QRadioButton* EnergyMode() const { return energyMode_; }
  QRadioButton* AngleMode() const { return angleMode_; }
  QPushButton* ExportButton() const { return export_; }
  // Replaces the person the dialog's commands talk to (tests).
  void SetUserInterface(programs::UserInterface& ui) { commandUi_ = &ui; }

 private:
  void CopyFields();
  void Refresh();

  programs::FormLoopForm& model_;
  QtUserInterface ui_;
  programs::UserInterface* commandUi_;
  std::map<programs::FormLoopField, QLineEdit*> edits_;
  std::map<programs::FormLoopField, QLabel*> units_;
  std::map<programs::FormLoopField, QCheckBox*> columns_;
  QRadioButton* energyMode_;
  QRadioButton* angleMode_;
  QPushButton* export_;
};

}  // namespace velto::gui
