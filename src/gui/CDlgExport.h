#pragma once
#include <QDialog>

#include "gui/QtUserInterface.h"
#include "programs/curve_export/CurveExport.h"
#include "programs/single_crystal/SingleCrystalForm.h"

class QCheckBox;
class QRadioButton;

namespace velto::gui {

// "Select Data Columns (and Units) to Export".
class CDlgExport : public QDialog {
  Q_OBJECT
 public:
  CDlgExport(QWidget* parent, programs::CurveExportDialog& model, QtUserInterface& parentUi);
  void accept() override;

 private:
  void ShowModel();
  programs::CurveExportDialog& model_;
  QtUserInterface ui_;
  QCheckBox *scan_, *exit_, *reflectivity_, *transmissivity_, *depth_, *specular_;
  QRadioButton* scanUnit_[3];
  QRadioButton* scanReference_[2];
  QRadioButton* exitUnit_[3];
  QRadioButton* exitReference_[2];
};

// "More details ".
class CDlgMoreDetails : public QDialog {
  Q_OBJECT
 public:
  CDlgMoreDetails(QWidget* parent, programs::SingleCrystalDetailsDialog& model, QtUserInterface& parentUi);
};

}  // namespace velto::gui
