#pragma once
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "gui/BackgroundRunner.h"
#include "gui/QtUserInterface.h"
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
// The calculation runs on a worker thread with a progress dialog.
class COrvoView : public QWidget {
  Q_OBJECT
  // The File menu's entry for exportData() (see kExportCommandProperty).
  Q_PROPERTY(QString exportCommand READ ExportCommand CONSTANT)
 public:
  COrvoView(programs::AppContext& app, bool laue, QWidget* parent = nullptr);
  ~COrvoView() override;

  programs::SingleCrystalForm& Model() { return model_; }
  // Tests script the person's answers (file choosers, child dialogs).
  void SetUserInterface(programs::UserInterface& ui) { commandUi_.SetPerson(ui); }
  QLineEdit* FieldEdit(programs::SingleCrystalField id) const { return edits_.at(id); }
  QPushButton* CalculateButton() const { return calculate_; }
  QPushButton* DefineCrystalButton() const { return defineCrystal_; }
  QCheckBox* TransmissivityCheck() const { return showT_; }
  PlotWidget* CurvePlot() const { return plot_; }
  // True while a calculation runs on the worker thread.
  bool Calculating() const { return runner_.Running(); }
  static QString ExportCommand() { return QString::fromLatin1(programs::SingleCrystalForm::kExportCommand); }

 public slots:
  // The export command of the main window's File menu and toolbar.
  void exportData();
  void calculate();

 signals:
  void calculationFinished();

 private:
  QLineEdit* AddEdit(programs::SingleCrystalField id, bool display);
  void ReadFields();
  void ShowModel();
  void Run(void (programs::SingleCrystalForm::*command)(programs::UserInterface&));

  programs::SingleCrystalForm model_;
  QtUserInterface ui_;
  // Declared after the model: a task still running when the window goes is
  // stopped before the model it reports to.
  BackgroundRunner runner_;
  WindowUserInterface commandUi_{ui_, runner_};
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
