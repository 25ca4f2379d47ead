#pragma once
#include <QDialog>
#include <map>

#include "gui/QtUserInterface.h"
#include "programs/form_factor/FormFactorForm.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace velto::gui {

class CWLCombo;

// " Atomic Scattering Factor (Form Factor)", opened by "Form Factor..." of
// the structure-factor program.
class CFormFactor : public QDialog {
  Q_OBJECT
 public:
  CFormFactor(QWidget* parent, programs::FormFactorForm& model, QtUserInterface& parentUi);

  QComboBox* ElementBox() const { return element_; }
  CWLCombo* EnergyBox() const { return energy_; }
  QLineEdit* FieldEdit(programs::FormFactorField id) const { return edits_.at(id); }
  QPushButton* CalculateButton() const { return calculate_; }
  QPushButton* LoopButton() const { return loop_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CopyFields();
  void Refresh();

  programs::FormFactorForm& model_;
  QtUserInterface ui_;
  QComboBox* element_;
  CWLCombo* energy_;
  std::map<programs::FormFactorField, QLineEdit*> edits_;
  QPushButton* calculate_;
  QPushButton* loop_;
};

}  // namespace velto::gui
