#pragma once
#include <array>
#include <optional>
#include <string>

#include "crystal/CrystalParams.h"
#include "multicrystal/ConvolutionInput.h"
#include "multicrystal/Monochromator.h"
#include "programs/canvas/Canvas.h"
#include "programs/monochromator/MonochromatorTexts.h"
#include "programs/plot/Plot.h"
#include "programs/ui/AppContext.h"
#include "programs/ui/FormField.h"
#include "programs/ui/ScanRangeButtons.h"
#include "programs/ui/UserInterface.h"

// The model of `COrvoViewDCM`, the window of the multiple-crystal
// monochromator: two crystals at a fixed relative orientation rocked together
// under a plane wave, or held while the photon energy is scanned; the
// orientation and its "Auto Set..." correction, the scan with its result
// fields, the curve and its export.
namespace velto::programs {

enum class MonochromatorField {
  Energy,      // keV, read-only
  FirstName,   // read-only
  FirstHkl,    // read-only
  FirstBragg,  // read-only
  FirstAsymmetry,
  FirstChannelCut,  // check box
  SecondName,       // read-only
  SecondHkl,        // read-only
  SecondBragg,      // read-only
  SecondAsymmetry,
  SecondChannelCut,  // check box
  Phi,               // read-only, degrees
  DeltaPhi,          // arcsec
  DeltaOmega,        // arcsec; enabled in the energy scan only
  From,
  To,
  Points,
  ScanUnit,            // "arcsec ( \" )" or "eV" beside the range
  StepSize,            // "Stepsize = " label
  OnlyFirst,           // check box
  Rigorous,            // check box
  Fwhm,                // read-only
  MaxReflectivity,     // read-only
  CentreReflectivity,  // read-only
  CentrePosition,      // read-only, "at"
  HalfMaxima,          // read-only
  Count
};

// `CDlgDCMPhi`, "Set Relative Orientation Phi of DCM": the orientation and
// the two proposals of "Auto Set...", texts only; OK takes the proposals.
struct DcmPhiDialog : DialogModel {
  static constexpr const char* kTitle = "Set Relative Orientation Phi of DCM";
  multicrystal::AutoSetProposal proposal;
  AutoSetTexts texts;
};

class MonochromatorForm {
 public:
  static constexpr const char* kTitle = "Double-Crystal Monochromator for Plane Wave";
  // How the File menu names ExportCurve.
  static constexpr const char* kExportCommand = "Export Curve data...";
  static constexpr const char* kEnergyChangedMessage =
      "If you have changed the energy/wavelength, you need\nto update the \"chi\" components by clicking on\n"
      "\"Define 1st Crystal...\" and \"Define 2nd Crystal...\"!     ";
  static const char* const kAutoSetHelp;
  static const char* const kProgramHelp;
  // The step buttons of the range: the "from" minus button leads.
  using RangeButton = ScanRangeButtons::Button;
  static constexpr RangeButton FromMinus = ScanRangeButtons::FromMinus;
  static constexpr RangeButton ToPlus = ScanRangeButtons::ToPlus;

  explicit MonochromatorForm(AppContext& app);

  FormField& Field(MonochromatorField id) { return fields_[static_cast<std::size_t>(id)]; }
  const FormField& Field(MonochromatorField id) const { return fields_[static_cast<std::size_t>(id)]; }
  // The name under which refusals move the focus to a control, or null.
  static const char* FocusName(MonochromatorField id);

  twobeam::Polarization GetPolarization() const { return polarization_; }
  void SetPolarization(twobeam::Polarization p) { polarization_ = p; }
  multicrystal::Arrangement GetArrangement() const { return arrangement_; }
  void SetArrangement(multicrystal::Arrangement arrangement) { arrangement_ = arrangement; }
  multicrystal::ScanMode GetScanMode() const { return mode_; }
  // "Angular Scan" / "Energy Scan": the range, points and step of the other
  // mode come back as they were left, and Δω is used in the energy scan only.
  void SetScanMode(multicrystal::ScanMode mode);

  double Energy() const { return energy_; }  // eV
  const crystal::CrystalParams& First() const { return first_; }
  const crystal::CrystalParams& Second() const { return second_; }
  bool FirstDefined() const { return first_.structure.IsLoaded(); }
  bool SecondDefined() const { return second_.structure.IsLoaded(); }

  // --- commands ---
  void PhotonEnergy(UserInterface& ui);
  void DefineFirst(UserInterface& ui);   // "Define 1st Crystal..."
  void DefineSecond(UserInterface& ui);  // "Define 2nd Crystal..."
  void AutoSet(UserInterface& ui);       // "Auto Set..."
  void AutoSetHelp(UserInterface& ui);   // the "?" beside it
  void ProgramHelp(UserInterface& ui);   // the "?" at the top
  void StepRange(RangeButton button) {
    range_.Step(button, Field(MonochromatorField::From), Field(MonochromatorField::To));
  }
  void ChooseStep(int index) { range_.ChooseStep(index); }  // from any range button's "Stepsize" menu
  const std::string& StepCaption(RangeButton button) const { return range_.Caption(button); }
  int StepIndex() const { return range_.StepIndex(); }
  void AddHundredPoints() { range_.AddPoints(Field(MonochromatorField::Points)); }
  void SubtractHundredPoints() { range_.SubtractPoints(Field(MonochromatorField::Points)); }
  // "Calculate !!!": the geometry check, the scan and its result fields; a
  // refusal is shown with its focus and leaves the curve as it was.
  void Calculate(UserInterface& ui);
  // "Export Curve data...".
  void ExportCurve(UserInterface& ui);

  // --- results ---
  const std::optional<multicrystal::MonochromatorCurve>& Curve() const { return curve_; }
  const std::optional<multicrystal::MonochromatorAnalysis>& Analysis() const { return analysis_; }
  // The curve as the plot shows it, with the full view of this program's
  // drawing rules.
  PlotContent PlotContentNow() const;
  Plot& CurvePlot() { return plot_; }
  const Plot& CurvePlot() const { return plot_; }
  void DrawPlot(Canvas& canvas, Rect frame) const;
  void DrawGeometry(Canvas& canvas, Rect frame) const;

 private:
  // The scan fields of the mode that is not shown, as they were left.
  struct StoredScan {
    std::string from, to, points;
    int stepIndex = 0;
  };

  // Reads the bound fields and checks the crystals; shows Φ. None after a
  // refusal, which has been shown.
  std::optional<multicrystal::MonochromatorInput> CheckGeometry(UserInterface& ui);
  void ShowResults();
  void ShowScanUnit();

  AppContext& app_;
  double energy_;
  crystal::CrystalParams first_, second_;
  twobeam::Polarization polarization_ = twobeam::Polarization::Sigma;
  multicrystal::Arrangement arrangement_ = multicrystal::Arrangement::NonDispersive;
  multicrystal::ScanMode mode_ = multicrystal::ScanMode::Angular;
  std::array<FormField, static_cast<std::size_t>(MonochromatorField::Count)> fields_;
  ScanRangeButtons range_;
  StoredScan other_;
  std::string storedDeltaOmega_;  // Δω of the energy scan while the angular scan is shown

  std::optional<multicrystal::MonochromatorCurve> curve_;
  std::optional<multicrystal::MonochromatorAnalysis> analysis_;
  std::string caption_;  // what the curve was computed for
  Plot plot_{[this] { return PlotContentNow(); }};
};

}  // namespace velto::programs
