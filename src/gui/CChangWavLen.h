#pragma once
#include <QDialog>

#include "gui/InputWidgets.h"
#include "gui/QtUserInterface.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"

class QRadioButton;

namespace velto::gui {

// " Set X-ray Wavelength or Photon Energy".
class CChangWavLen : public QDialog {
  Q_OBJECT
 public:
  CChangWavLen(QWidget* parent, programs::ChangeWavelengthForm& model, QtUserInterface& parentUi);
  void accept() override;

  CWLCombo* EnergyCombo() const { return energy_; }
  CWLCombo* WavelengthCombo() const { return wavelength_; }
  QRadioButton* EnergyMode() const { return energyMode_; }
  QRadioButton* WavelengthMode() const { return wavelengthMode_; }
  QPushButton* BackDiffractionButton() const { return backButton_; }
  QPushButton* SetBraggButton() const { return braggButton_; }

 private:
  void Refresh();
  programs::ChangeWavelengthForm& model_;
  QtUserInterface ui_;
  QRadioButton* energyMode_;
  QRadioButton* wavelengthMode_;
  CWLCombo* energy_;
  CWLCombo* wavelength_;
  QPushButton* backButton_;
  QPushButton* braggButton_;
};

}  // namespace velto::gui
