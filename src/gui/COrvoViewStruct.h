#pragma once
#include <array>
#include <map>

#include "gui/ProgramView.h"
#include "programs/structure_factor/StructureFactorForm.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace velto::gui {

class CTempCombo;

// The window of the structure-factor program: copies what the person typed
// into the form model, runs its commands and shows the model. Its File menu
// holds only "E&xit".
class COrvoViewStruct : public ProgramView {
  Q_OBJECT
 public:
  COrvoViewStruct(programs::AppContext& app, QWidget* parent = nullptr);

  programs::StructureFactorForm& Model() { return model_; }
  QLineEdit* FieldEdit(programs::StructureFactorField id) const { return edits_.at(id); }
  QSpinBox* IndexBox(int i) const { return index_[static_cast<std::size_t>(i)]; }
  CTempCombo* TemperatureBox() const { return temperature_; }
  QLabel* StatusText() const { return status_; }
  QPushButton* ImportButton() const { return import_; }
  QPushButton* EnergyButton() const { return energy_; }
  QPushButton* CalculateButton() const { return calculate_; }
  QPushButton* CopyChiButton() const { return copyChi_; }
  QPushButton* FormFactorButton() const { return formFactor_; }
  QPushButton* DebyeWallerButton() const { return debyeWaller_; }

 protected:
  void ReadFields() override;
  void ShowModel() override;

 private:
  QLineEdit* AddResult(programs::StructureFactorField id, int characters);

  programs::StructureFactorForm model_;
  std::map<programs::StructureFactorField, QLineEdit*> edits_;
  std::array<QSpinBox*, 3> index_{};
  CTempCombo* temperature_ = nullptr;
  QLabel* status_ = nullptr;
  QPushButton* import_ = nullptr;
  QPushButton* energy_ = nullptr;
  QPushButton* calculate_ = nullptr;
  QPushButton* copyChi_ = nullptr;
  QPushButton* formFactor_ = nullptr;
  QPushButton* debyeWaller_ = nullptr;
  // Set while ShowModel writes the index boxes, whose change would
  // otherwise read as the person's edit.
  bool showing_ = false;
};

}  // namespace velto::gui
