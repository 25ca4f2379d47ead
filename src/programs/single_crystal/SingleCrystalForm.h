#pragma once
#include <array>
#include <optional>
#include <string>

#include "crystal/CrystalParams.h"
#include "programs/canvas/Canvas.h"
#include "programs/plot/Plot.h"
#include "programs/single_crystal/SingleCrystalCalculation.h"
#include "programs/single_crystal/SingleCrystalPlot.h"
#include "programs/single_crystal/SingleCrystalResults.h"
#include "programs/ui/AppContext.h"
#include "programs/ui/FormField.h"
#include "programs/ui/UserInterface.h"
#include "shell/StepButtons.h"

// The model of `COrvoView`, the window of the single-crystal program in its
// Bragg and Laue variants: the crystal, the photon energy, the scan and its
// range buttons, the calculation with its result fields, the curve shown and
// its export.
namespace velto::programs {

enum class SingleCrystalField {
  Energy,          // keV, read-only
  CrystalName,     // read-only
  Thickness,       // µm
  Hkl,             // read-only
  BraggAngle,      // read-only
  BraggQuestion,   // the "?" button
  Asymmetry,       // degrees
  AsymmetryFactor, // "b =", read-only
  Offset,
  OffsetUnit,      // label beside the offset
  From,
  To,
  RangeUnit,       // label under the range
  Points,
  StepSize,        // "Stepsize = " label
  Calculate,       // "Calculate RC\nUpdate"
  Rigorous,        // check box
  Fwhm,
  FwhmMicroradian,
  MaxReflectivity,
  MaxPosition,
  CentreReflectivity,
  CentrePosition,
  ReflectivityCheck,
  TransmissivityCheck,
  MouseCoordinates,
  Count
};

// The "More details " dialog: texts only.
struct SingleCrystalDetailsDialog : DialogModel {
  static constexpr const char* kTitle = "More details ";
  DetailTexts texts;
  bool laue = false;
  twobeam::ScanKind kind = twobeam::ScanKind::RockingCurve;
};

class SingleCrystalForm {
 public:
  static constexpr const char* kBraggTitle = "Bragg-case Darwin Curve of Single Crystal Diffraction";
  static constexpr const char* kLaueTitle = "Laue-case Single-Crystal Diffraction for Plane Wave";
  // How the File menu of both variants names ExportCurve.
  static constexpr const char* kExportCommand = "Export Curve Data...";
  static constexpr const char* kEnergyChangedMessage =
      "Photon Energy could have been changed. You might need\nto update the energy-dependent \"chi\" components.";
  // The step buttons of the range: the "from" minus button leads the group.
  enum RangeButton { FromMinus = 0, FromPlus = 1, ToMinus = 2, ToPlus = 3 };

  SingleCrystalForm(AppContext& app, bool laue);

  bool Laue() const { return laue_; }
  const char* Title() const { return laue_ ? kLaueTitle : kBraggTitle; }
  FormField& Field(SingleCrystalField id) { return fields_[static_cast<std::size_t>(id)]; }
  const FormField& Field(SingleCrystalField id) const { return fields_[static_cast<std::size_t>(id)]; }
  // The exact tooltip of a control, or null.
  static const char* ToolTip(SingleCrystalField id);

  twobeam::Polarization GetPolarization() const { return polarization_; }
  void SetPolarization(twobeam::Polarization p) { polarization_ = p; }
  twobeam::ScanKind GetScanKind() const { return scanKind_; }
  // The radio buttons "Rocking Curve" / "Energy Scan".
  void SetScanKind(twobeam::ScanKind kind);

  double Energy() const { return energy_; }
  const crystal::CrystalParams& Crystal() const { return crystal_; }
  // A structure was loaded and a reflection accepted for it.
  bool CrystalDefined() const { return crystal_.structure.IsLoaded() && crystal_.d > 0; }

  // --- commands ---
  void DefineCrystal(UserInterface& ui);
  void PhotonEnergy(UserInterface& ui);
  void BraggQuestion(UserInterface& ui);
  void StepRange(RangeButton button);
  void ChooseStep(int index);  // from any range button's "Stepsize" menu
  const std::string& StepCaption(RangeButton button) const { return steps_.Caption(button); }
  int StepIndex() const { return steps_.StepIndex(); }
  void AddHundredPoints();
  void SubtractHundredPoints();
  void ClickReflectivity();
  void ClickTransmissivity();
  void Details(UserInterface& ui);
  void ExportCurve(UserInterface& ui);
  void Help();

  // "Calculate RC\nUpdate": the checks (a refusal is shown, the texts the
  // checks normalise are written back), then the scan as a background task,
  // whose outcome is shown when it ends. A cancelled run keeps the previous
  // curve and results.
  void Calculate(UserInterface& ui);

  // --- the curve ---
  const twobeam::CurveSet* Curve() const { return curve_.HasData() ? &curve_ : nullptr; }
  const twobeam::CurveAnalysis& Analysis() const { return analysis_; }
  bool DrawReflectivity() const { return drawR_; }
  bool DrawTransmissivity() const { return drawT_; }
  std::optional<PlotCurve> CurveToDraw() const;
  // The curves as the plot shows them: R red and T blue on the scan axis
  // of the last calculation, the program's drawing as the full view, and a
  // caption naming crystal, reflection, energy and polarization.
  PlotContent PlotContentNow() const;
  Plot& CurvePlot() { return plot_; }
  const Plot& CurvePlot() const { return plot_; }
  // A click (or a drag with the left button) in the frame of the program's
  // drawing, read in the view shown.
  void MouseInPlot(Rect frame, Point point);

 private:
  struct StoredScan {
    double from = 0, to = 0, offset = 0;
    int points = 0;
    int stepIndex = 0;
  };

  SingleCrystalInputs Inputs() const;
  std::optional<PreparedCalculation> BeginCalculation(UserInterface& ui);
  void FinishCalculation(UserInterface& ui, const PreparedCalculation& prepared, SingleCrystalOutcome outcome);
  void ShowCrystal();
  void ShowBraggAngle();
  double SineOfBragg() const;
  void ShowUnits();
  void ShowResults();

  AppContext& app_;
  bool laue_;
  crystal::CrystalParams crystal_;
  double energy_;
  twobeam::Polarization polarization_ = twobeam::Polarization::Sigma;
  twobeam::ScanKind scanKind_ = twobeam::ScanKind::RockingCurve;
  std::array<FormField, static_cast<std::size_t>(SingleCrystalField::Count)> fields_;
  shell::StepButtonGroup steps_;
  StoredScan other_;

  // The last successful calculation.
  twobeam::CurveSet curve_;
  twobeam::CurveAnalysis analysis_;
  PreparedCalculation last_;
  std::string caption_;  // of the last calculation's curve
  bool drawR_ = true, drawT_ = false;
  Plot plot_{[this] { return PlotContentNow(); }};
};

}  // namespace velto::programs
