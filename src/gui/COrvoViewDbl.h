#pragma once
#include "gui/FormControls.h"
#include "gui/ProgramView.h"
#include "programs/convoluted_curve/ConvolutedCurveForm.h"

class QLabel;
class QRadioButton;

namespace velto::gui {

class CBTNRightClk;
class PlotWidget;

// The window of the convoluted rocking curve: copies what the person typed
// into the form model, runs its commands (the convolution on the window's
// worker thread) and shows the model.
class COrvoViewDbl : public ProgramView {
  Q_OBJECT
 public:
  explicit COrvoViewDbl(programs::AppContext& app, QWidget* parent = nullptr);

  programs::ConvolutedCurveForm& Model() { return model_; }
  QLineEdit* FieldEdit(programs::ConvolutedCurveField id) const { return controls_.Edit(id); }
  QCheckBox* FieldCheck(programs::ConvolutedCurveField id) const { return controls_.Check(id); }
  QPushButton* CalculateButton() const { return calculate_; }
  QPushButton* DefineMonochromatorButton() const { return defineMonochromator_; }
  QPushButton* DefineSampleButton() const { return defineSample_; }
  PlotWidget* CurvePlot() const { return plot_; }
  // "Export RC data..." of the File menu.
  void exportData();
  // "Calculate RC !!!\n(It takes time)", also Enter in a field.
  void calculate();

 protected:
  void ReadFields() override;
  void ShowModel() override;

 private:
  QWidget* BeamGroup();
  QWidget* CrystalGroup(bool monochromator);
  QWidget* ArrangementGroup();
  QLayout* RangeRow();
  // Reads the fields, runs a change of the model that is not a command and
  // shows the model again.
  void Change(const std::function<void()>& change);

  programs::ConvolutedCurveForm model_;
  FormControls<programs::ConvolutedCurveForm, programs::ConvolutedCurveField> controls_{this};
  QPushButton* calculate_ = nullptr;
  QPushButton* defineMonochromator_ = nullptr;
  QPushButton* defineSample_ = nullptr;
  QRadioButton* dispersive_ = nullptr;
  QRadioButton* polarization_[3] = {};  // "Random ", "Sigma ", "Pi "
  CBTNRightClk* steps_[4] = {};
  QLabel* stepSize_ = nullptr;
  CanvasPicture* geometry_ = nullptr;
  PlotWidget* plot_ = nullptr;
};

}  // namespace velto::gui
