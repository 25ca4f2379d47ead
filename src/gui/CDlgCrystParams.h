#pragma once
#include <QDialog>
#include <array>

#include "gui/InputWidgets.h"
#include "gui/QtUserInterface.h"
#include "programs/crystal_dialog/CrystalParamsForm.h"

class QCheckBox;
class QSpinBox;

namespace velto::gui {

// " Define or Modify Crystal and its Parameters".
class CDlgCrystParams : public QDialog {
  Q_OBJECT
 public:
  CDlgCrystParams(QWidget* parent, programs::CrystalParamsForm& model, QtUserInterface& parentUi);
  void accept() override;
  void reject() override;

  // The user interface the dialog's commands talk through (tests replace
  // its file chooser).
  void SetUserInterface(programs::UserInterface& ui) { commandUi_ = &ui; }

  QPushButton* StructureButton() const { return structureButton_; }
  QPushButton* CalculateButton() const { return calculateButton_; }
  QSpinBox* IndexBox(int i) const { return index_[static_cast<std::size_t>(i)]; }
  CColorEdit* NameBox() const { return name_; }
  CColorEdit* DBox() const { return d_; }
  CColorEdit* ThetaBox() const { return theta_; }
  CColorEdit* ChiBox(int i) const { return chi_[static_cast<std::size_t>(i)]; }
  QCheckBox* ManualBox() const { return manual_; }
  QPushButton* CopyFromBrennanButton() const { return copyButton_; }

 private:
  void CopyIntoModel();
  void Refresh();
  programs::UserInterface& Ui() { return *commandUi_; }

  programs::CrystalParamsForm& model_;
  QtUserInterface ui_;
  programs::UserInterface* commandUi_;
  QPushButton* structureButton_;
  CColorEdit* name_;
  CColorEdit* temperature_;
  std::array<QSpinBox*, 3> index_{};
  CColorEdit* d_;
  CColorEdit* theta_;
  QPushButton* calculateButton_;
  QCheckBox* manual_;
  std::array<CColorEdit*, 10> chi_{};
  QPushButton* copyButton_;
};

}  // namespace velto::gui
