#pragma once
#include <QDialog>
#include <array>

#include "gui/QtUserInterface.h"
#include "programs/multiple_beam/MbdSaveForm.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace velto::gui {

// "Save MBD results to a text file", shown before every multiple-beam run.
class CDlgMBD_Save : public QDialog {
  Q_OBJECT
 public:
  CDlgMBD_Save(QWidget* parent, programs::MbdSaveForm& model, QtUserInterface& parentUi);
  void accept() override;

 private:
  void ReadFields();

  programs::MbdSaveForm& model_;
  QtUserInterface ui_;
  QRadioButton* entrance_;
  QRadioButton* exit_;
  QRadioButton* arcsec_;
  QRadioButton* microradian_;
  std::array<QCheckBox*, static_cast<std::size_t>(programs::MbdSaveForm::Column::Count)> columns_{};
  QComboBox* beam_;
  QLineEdit* rotation_;
  QLineEdit* file_;
};

}  // namespace velto::gui
