#pragma once
#include <array>
#include <optional>
#include <string>

#include "crystal/CrystalParams.h"
#include "multicrystal/Convolution.h"
#include "multicrystal/CurveTrace.h"
#include "programs/canvas/Canvas.h"
#include "programs/plot/Plot.h"
#include "programs/ui/AppContext.h"
#include "programs/ui/FormField.h"
#include "programs/ui/ScanRangeButtons.h"
#include "programs/ui/UserInterface.h"

// The model of `COrvoViewDbl`, the window of the convoluted rocking curve: a
// monochromator (one crystal, or a channel-cut or double-crystal pair) and a
// sample crystal in a divergent, polychromatic beam; the convolution, its
// FWHM in three units, the current curve with the previous one to overlay,
// and the export.
namespace velto::programs {

enum class ConvolutedCurveField {
  Energy,  // keV, read-only
  SpectrumFwhm,
  SpectrumRange,
  SpectralPoints,
  Divergence,
  DivergencePoints,
  AngularCentre,
  MonochromatorName,   // read-only
  MonochromatorHkl,    // read-only
  MonochromatorBragg,  // read-only
  Dcm,                 // check box
  MonochromatorAsymmetry,
  SampleName,   // read-only
  SampleHkl,    // read-only
  SampleBragg,  // read-only
  ChannelCut,   // check box
  SampleAsymmetry,
  SampleThickness,
  From,
  To,
  Points,
  StepSize,          // "Stepsize = " label
  Rigorous,          // check box
  ShowPrevious,      // check box
  FwhmArcseconds,    // read-only
  FwhmDegrees,       // read-only
  FwhmMicroradians,  // read-only
  Count
};

class ConvolutedCurveForm {
 public:
  static constexpr const char* kTitle = "Convoluted Rocking Curve for Divergent & Polychromatic Incident Beam";
  // How the File menu names ExportCurve.
  static constexpr const char* kExportCommand = "Export RC data...";
  static constexpr const char* kCalculateCaption = "Calculate RC !!!\n(It takes time)";
  static constexpr const char* kEnergyChangedMessage =
      "If you have changed the energy/wavelength, you might need to\nupdate the \"chi\" components of the "
      "monochromator and sample \nby clicking \"Define...\" and \"Define Sample...\" !";
  static const char* const kHelpMessage;
  // The step buttons of the range: the "from" minus button leads.
  using RangeButton = ScanRangeButtons::Button;
  static constexpr RangeButton FromMinus = ScanRangeButtons::FromMinus;
  static constexpr RangeButton ToPlus = ScanRangeButtons::ToPlus;

  explicit ConvolutedCurveForm(AppContext& app);

  FormField& Field(ConvolutedCurveField id) { return fields_[static_cast<std::size_t>(id)]; }
  const FormField& Field(ConvolutedCurveField id) const { return fields_[static_cast<std::size_t>(id)]; }
  // The exact tooltip of a control, or null.
  static const char* ToolTip(ConvolutedCurveField id);
  // The name under which refusals move the focus to a control, or null.
  static const char* FocusName(ConvolutedCurveField id);

  multicrystal::Arrangement GetArrangement() const { return arrangement_; }
  // "Non-dispersive" / "Dispersive"; the geometry picture follows.
  void SetArrangement(multicrystal::Arrangement arrangement) { arrangement_ = arrangement; }
  multicrystal::PolarizationChoice GetPolarization() const { return polarization_; }
  void SetPolarization(multicrystal::PolarizationChoice p) { polarization_ = p; }

  double Energy() const { return energy_; }  // eV
  const crystal::CrystalParams& Monochromator() const { return monochromator_; }
  const crystal::CrystalParams& Sample() const { return sample_; }
  bool MonochromatorDefined() const { return monochromator_.structure.IsLoaded(); }
  bool SampleDefined() const { return sample_.structure.IsLoaded(); }

  // --- commands ---
  void PhotonEnergy(UserInterface& ui);
  void DefineMonochromator(UserInterface& ui);  // "Define ..."
  void DefineSample(UserInterface& ui);         // "Define Sample ..."
  // "Channel Cut": a channel-cut sample is semi-infinite, so the thickness
  // is set to -1 and locked while the box is checked.
  void ClickChannelCut();
  void ClickShowPrevious();
  void Help(UserInterface& ui);
  void StepRange(RangeButton button) {
    range_.Step(button, Field(ConvolutedCurveField::From), Field(ConvolutedCurveField::To));
  }
  void ChooseStep(int index) { range_.ChooseStep(index); }  // from any range button's "Stepsize" menu
  const std::string& StepCaption(RangeButton button) const { return range_.Caption(button); }
  int StepIndex() const { return range_.StepIndex(); }
  void AddFiftyPoints() { range_.AddPoints(Field(ConvolutedCurveField::Points)); }
  void SubtractFiftyPoints() { range_.SubtractPoints(Field(ConvolutedCurveField::Points)); }

  // "Calculate RC !!!\n(It takes time)": the checks (a refusal is shown with
  // its focus; the texts the checks normalise are written back), then the
  // convolution as a background task. A cancelled run keeps the curves and
  // results as they were.
  void Calculate(UserInterface& ui);
  // Shares the rocking points of a calculation out among processes
  // (velto-cli under MPI). Must outlive the form's calculations.
  void SetPointRunner(core::PointRunner& runner) { runner_ = &runner; }
  // "Export RC data...".
  void ExportCurve(UserInterface& ui);

  // --- results ---
  const multicrystal::CurveHistory& Curves() const { return curves_; }
  // The analysis of the current curve, none without one.
  const std::optional<multicrystal::ConvolutionAnalysis>& Analysis() const { return analysis_; }
  bool ShowingPrevious() const { return Field(ConvolutedCurveField::ShowPrevious).checked; }
  // The curves as the plot shows them, with the full view of this
  // program's drawing rules.
  PlotContent PlotContentNow() const;
  Plot& CurvePlot() { return plot_; }
  const Plot& CurvePlot() const { return plot_; }
  void DrawPlot(Canvas& canvas, Rect frame) const;
  void DrawGeometry(Canvas& canvas, Rect frame) const;

 private:
  void ShowBraggAngles();
  std::optional<multicrystal::ConvolutionPlan> BeginCalculation(UserInterface& ui);
  void FinishCalculation(UserInterface& ui, const multicrystal::ConvolutionPlan& plan,
                         multicrystal::ConvolutionStatus status, std::vector<double> intensity);
  void ShowFwhm();

  AppContext& app_;
  double energy_;
  crystal::CrystalParams monochromator_, sample_;
  multicrystal::Arrangement arrangement_ = multicrystal::Arrangement::NonDispersive;
  multicrystal::PolarizationChoice polarization_ = multicrystal::PolarizationChoice::Sigma;
  std::array<FormField, static_cast<std::size_t>(ConvolutedCurveField::Count)> fields_;
  ScanRangeButtons range_;

  multicrystal::CurveHistory curves_;
  std::optional<multicrystal::ConvolutionAnalysis> analysis_;
  std::string caption_;  // what the current curve was computed for
  Plot plot_{[this] { return PlotContentNow(); }};
  core::PointRunner* runner_ = &core::LocalRunner();
};

}  // namespace velto::programs
