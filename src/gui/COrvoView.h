#pragma once
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "gui/ProgramView.h"
#include "programs/single_crystal/SingleCrystalForm.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace velto::gui {

class CBTNRightClk;
class PlotWidget;

// The window of the single-crystal program, Bragg or Laue: copies what the
// person typed into the form model, runs its commands and shows the model.
class COrvoView : public ProgramView {
  Q_OBJECT
 public:
  COrvoView(programs::AppContext& app, bool laue, QWidget* parent = nullptr);
  ~COrvoView() override;

  programs::SingleCrystalForm& Model() { return model_; }
  QLineEdit* FieldEdit(programs::SingleCrystalField id) const { return edits_.at(id); }
  QPushButton* CalculateButton() const { return calculate_; }
  QPushButton* DefineCrystalButton() const { return defineCrystal_; }
  QCheckBox* TransmissivityCheck() const { return showT_; }
  PlotWidget* CurvePlot() const { return plot_; }
  // "Export Curve Data..." of the File menu.
  void exportData();
  // "Calculate RC\nUpdate", also Enter in a field.
  void calculate();

 protected:
  void ReadFields() override;
  void ShowModel() override;

 private:
  QLineEdit* AddEdit(programs::SingleCrystalField id, bool display);

  programs::SingleCrystalForm model_;
  std::map<programs::SingleCrystalField, QLineEdit*> edits_;
  QPushButton* calculate_ = nullptr;
  QPushButton* defineCrystal_ = nullptr;
  QPushButton* question_ = nullptr;
  QRadioButton* sigma_ = nullptr;
  QRadioButton* pi_ = nullptr;
  QRadioButton* rocking_ = nullptr;
  QRadioButton* energyScan_ = nullptr;
  QCheckBox* rigorous_ = nullptr;
  QCheckBox* showR_ = nullptr;
  QCheckBox* showT_ = nullptr;
  QLabel* offsetSymbol_ = nullptr;
  QLabel* offsetUnit_ = nullptr;
  QLabel* rangeSymbol_ = nullptr;
  QLabel* rangeUnit_ = nullptr;
  QLabel* stepSize_ = nullptr;
  CBTNRightClk* steps_[4] = {};
  PlotWidget* plot_ = nullptr;
};

}  // namespace velto::gui
