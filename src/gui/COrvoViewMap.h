#pragma once
#include <map>

#include "gui/ProgramView.h"
#include "programs/mbd_map/MbdMapForm.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace velto::gui {

class PlotWidget;

// The window of the MBD-line map: copies what the person typed into the
// form model, runs its commands and shows the model and its map.
class COrvoViewMap : public ProgramView {
  Q_OBJECT
 public:
  COrvoViewMap(programs::AppContext& app, QWidget* parent = nullptr);

  ~COrvoViewMap() override;

  programs::MbdMapForm& Model() { return model_; }
  QLineEdit* FieldEdit(programs::MapField id) const { return edits_.at(id); }
  QPushButton* Button(programs::MapField id) const { return buttons_.at(id); }
  QCheckBox* DiamondBox() const { return diamond_; }
  PlotWidget* MapPlot() const { return plot_; }

  // Takes over the crystal of the multiple-beam window when it changed.
  void ProgramOpened() override;

  // The File menu's entries.
  void exportMapData();
  void savePointsOnVerticalLine();
  // "Calculate\nUpdate", also Enter in a field.
  void calculate();

 protected:
  void ReadFields() override;
  void ShowModel() override;

 private:
  QLineEdit* AddEdit(programs::MapField id);
  QPushButton* AddButton(programs::MapField id);

  programs::AppContext& app_;
  programs::MbdMapForm model_;
  std::map<programs::MapField, QLineEdit*> edits_;
  std::map<programs::MapField, QPushButton*> buttons_;
  QCheckBox* diamond_ = nullptr;
  PlotWidget* plot_ = nullptr;
};

}  // namespace velto::gui
