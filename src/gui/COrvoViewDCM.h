#pragma once
#include "gui/FormControls.h"
#include "gui/ProgramView.h"
#include "programs/monochromator/MonochromatorForm.h"

class QLabel;
class QRadioButton;

namespace velto::gui {

class CBTNRightClk;
class PlotWidget;

// The window of the multiple-crystal monochromator: copies what the person
// typed into the form model, runs its commands and shows the model.
class COrvoViewDCM : public ProgramView {
  Q_OBJECT
 public:
  explicit COrvoViewDCM(programs::AppContext& app, QWidget* parent = nullptr);

  programs::MonochromatorForm& Model() { return model_; }
  QLineEdit* FieldEdit(programs::MonochromatorField id) const { return controls_.Edit(id); }
  QCheckBox* FieldCheck(programs::MonochromatorField id) const { return controls_.Check(id); }
  QPushButton* CalculateButton() const { return calculate_; }
  QPushButton* AutoSetButton() const { return autoSet_; }
  QPushButton* DefineFirstButton() const { return defineFirst_; }
  QPushButton* DefineSecondButton() const { return defineSecond_; }
  QRadioButton* EnergyScanButton() const { return energyScan_; }
  PlotWidget* CurvePlot() const { return plot_; }
  // "Export Curve data..." of the File menu.
  void exportData();
  // "Calculate !!!", also Enter in a field.
  void calculate();

 protected:
  void ReadFields() override;
  void ShowModel() override;

 private:
  QWidget* CrystalGroup(bool first);
  QWidget* OrientationGroup();
  QWidget* ScanGroup();
  QWidget* ResultsGroup();
  void Change(const std::function<void()>& change);

  programs::MonochromatorForm model_;
  FormControls<programs::MonochromatorForm, programs::MonochromatorField> controls_{this};
  QPushButton* calculate_ = nullptr;
  QPushButton* autoSet_ = nullptr;
  QPushButton* defineFirst_ = nullptr;
  QPushButton* defineSecond_ = nullptr;
  QRadioButton* pi_ = nullptr;
  QRadioButton* dispersive_ = nullptr;
  QRadioButton* energyScan_ = nullptr;
  QLabel* scanSymbol_ = nullptr;
  QLabel* scanUnit_ = nullptr;
  QLabel* stepSize_ = nullptr;
  CBTNRightClk* steps_[4] = {};
  CanvasPicture* geometry_ = nullptr;
  PlotWidget* plot_ = nullptr;
};

}  // namespace velto::gui
