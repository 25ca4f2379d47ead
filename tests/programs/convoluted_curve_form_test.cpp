#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "core/Units.h"
#include "programs/convoluted_curve/ConvolutedCurveForm.h"
#include "programs/curve_export/CurveExport.h"
#include "programs/plot/Plot.h"
#include "programs/single_crystal/SingleCrystalForm.h"
#include "shell/NumberText.h"
#include "support/RecordingCanvas.h"
#include "support/ScriptedPerson.h"
#include "support/TestFiles.h"

namespace velto::programs {
namespace {

using F = ConvolutedCurveField;
using testing::FakeUserInterface;

class ConvolutedCurveWindow : public ::testing::Test {
 protected:
  ConvolutedCurveWindow() : app(state) { state.exeDirectory = testing::BuildDataDirectory(); }

  void DefineSilicon(bool monochromator, const char* h = "1", const char* k = "1", const char* l = "1") {
    testing::DefineSilicon(
        ui, state.exeDirectory, monochromator ? form.MonochromatorDefined() : form.SampleDefined(),
        [this, monochromator](UserInterface& u) { monochromator ? form.DefineMonochromator(u) : form.DefineSample(u); },
        h, k, l);
  }
  void DefineBoth() {
    DefineSilicon(true);
    DefineSilicon(false);
  }
  // A grid coarse enough for a test, fine enough for a smooth curve.
  void QuickGrid() {
    form.Field(F::SpectralPoints).text = "41";
    form.Field(F::DivergencePoints).text = "9";
    form.Field(F::Points).text = "81";
  }
  std::vector<std::string> Calculate() {
    return testing::MessagesOf(ui, [this](UserInterface& u) { form.Calculate(u); });
  }

  shell::MainFrameState state;
  AppContext app;
  FakeUserInterface ui;
  ConvolutedCurveForm form{app};
};

double Leading(const std::string& text) { return shell::ParseNumber(text); }

TEST_F(ConvolutedCurveWindow, OpensWithTheDefaultsOfASynchrotronBeamAfterADcm) {
  EXPECT_STREQ(ConvolutedCurveForm::kTitle, "Convoluted Rocking Curve for Divergent & Polychromatic Incident Beam");
  EXPECT_EQ(form.Field(F::Energy).text, "8.04798794");
  EXPECT_EQ(form.Field(F::SpectrumFwhm).text, "20");
  EXPECT_EQ(form.Field(F::SpectrumRange).text, "60");
  EXPECT_EQ(form.Field(F::SpectralPoints).text, "501");
  EXPECT_EQ(form.Field(F::Divergence).text, "30");
  EXPECT_EQ(form.Field(F::DivergencePoints).text, "101");
  EXPECT_EQ(form.Field(F::SampleThickness).text, "-1");
  EXPECT_EQ(form.Field(F::Points).text, "201");
  EXPECT_TRUE(form.Field(F::Dcm).checked);
  EXPECT_FALSE(form.Field(F::ChannelCut).checked);
  EXPECT_FALSE(form.Field(F::ShowPrevious).checked);
  EXPECT_EQ(form.GetArrangement(), multicrystal::Arrangement::NonDispersive);
  EXPECT_EQ(form.GetPolarization(), multicrystal::PolarizationChoice::Sigma);
  EXPECT_EQ(form.StepCaption(ConvolutedCurveForm::FromMinus), "-10");
  EXPECT_EQ(form.StepCaption(ConvolutedCurveForm::ToPlus), "+10");
  EXPECT_TRUE(form.Field(F::MonochromatorBragg).readOnly);
  EXPECT_STREQ(ConvolutedCurveForm::ToolTip(F::SpectrumFwhm),
               "Full width of Gaussian spectrum. -1 for flat spectrum. 2.6 eV for Cu-Ka1 spectrum");
  EXPECT_STREQ(ConvolutedCurveForm::ToolTip(F::MonochromatorAsymmetry),
               ConvolutedCurveForm::ToolTip(F::SampleAsymmetry));
  EXPECT_STREQ(ConvolutedCurveForm::ToolTip(F::ShowPrevious),
               "To see if the calculation converges. If not, increase integration points");

  form.Help(ui);
  EXPECT_EQ(ui.messages.back().icon, MessageIcon::Information);
  EXPECT_EQ(ui.LastMessage().rfind("The default parameters suggested here", 0), 0u);
}

TEST_F(ConvolutedCurveWindow, ChannelCutLocksTheThicknessAndThePointButtonsKeepTheirRule) {
  form.Field(F::SampleThickness).text = "20";
  form.ClickChannelCut();
  EXPECT_TRUE(form.Field(F::ChannelCut).checked);
  EXPECT_EQ(form.Field(F::SampleThickness).text, "-1");
  EXPECT_FALSE(form.Field(F::SampleThickness).enabled);
  form.ClickChannelCut();
  EXPECT_TRUE(form.Field(F::SampleThickness).enabled);
  EXPECT_EQ(form.Field(F::SampleThickness).text, "-1");  // the text stays

  form.AddFiftyPoints();
  EXPECT_EQ(form.Field(F::Points).text, "251");
  form.Field(F::Points).text = "55";
  form.SubtractFiftyPoints();
  EXPECT_EQ(form.Field(F::Points).text, "55");
  form.Field(F::Points).text = "56";
  form.SubtractFiftyPoints();
  EXPECT_EQ(form.Field(F::Points).text, "6");

  form.StepRange(ConvolutedCurveForm::FromMinus);
  EXPECT_EQ(form.Field(F::From).text, "-60");
  form.ChooseStep(3);
  form.StepRange(ConvolutedCurveForm::ToPlus);
  EXPECT_EQ(form.Field(F::To).text, "51");
}

TEST_F(ConvolutedCurveWindow, RefusesInTheOrderOfTheFailureTableWithFocus) {
  EXPECT_EQ(Calculate(), std::vector<std::string>{"You have to define Momochromator !  "});
  EXPECT_EQ(ui.LastFocus(), "Define ...");
  DefineSilicon(true);
  EXPECT_EQ(form.Field(F::MonochromatorHkl).text, "1 1 1");
  EXPECT_EQ(form.Field(F::MonochromatorName).text, "Silicon");
  // Si 1 1 1 at Cu Kα1: θB = 14.2206° (a = 5.43102 Å).
  EXPECT_NEAR(Leading(form.Field(F::MonochromatorBragg).text), 14.2206, 1e-4);
  EXPECT_EQ(Calculate(), std::vector<std::string>{"You have to define Sample !  "});
  EXPECT_EQ(ui.LastFocus(), "Define Sample ...");
  DefineSilicon(false);
  QuickGrid();

  struct Case {
    F field;
    const char* text;
    const char* message;
    const char* focus;
  };
  const Case cases[] = {
      {F::SpectralPoints, "1000001", "Enter an integer between 0 and 1000000.", "Spectrum Range: points"},
      {F::Points, "2", "Enter an integer between 3 and 100000.", "points"},
      {F::Divergence, "-1", "Enter a number between 0 and 3141593.", "Beam Divergence:"},
      {F::From, "abc", "Enter a number.", "from"},
      {F::To, "-50", "The rocking range must between 0.001 and 360,000 arcsec !  ", "from"},
      {F::To, "400000", "The rocking range must between 0.001 and 360,000 arcsec !  ", "from"},
      {F::MonochromatorAsymmetry, "14.3", "The absolte value of Offcut Angle should be less than the Bragg angle !  ",
       "monochromator asymmetry"},
      {F::SampleAsymmetry, "-90", "Enter a number between -89.9999 and 89.9999.", "sample asymmetry"},
      {F::SpectrumFwhm, "nan", "\"FWHM\" must be a finite number, not \"nan\".   ", "FWHM:"},
      {F::SampleThickness, "1e999", "\"Sample Thickness\" must be a finite number, not \"1e999\".   ",
       "Sample Thickness:"},
  };
  for (const Case& c : cases) {
    const std::string kept = form.Field(c.field).text;
    form.Field(c.field).text = c.text;
    EXPECT_EQ(Calculate(), std::vector<std::string>{c.message}) << c.text;
    EXPECT_EQ(ui.LastFocus(), c.focus) << c.text;
    form.Field(c.field).text = kept;
  }
  EXPECT_TRUE(ui.tasksRun.empty());
  EXPECT_FALSE(form.Curves().Current());

  // A sample reflection that cannot diffract at this energy: the dialog's
  // warning, the 180° message on definition, then the refusal.
  DefineSilicon(false, "5", "5", "5");
  EXPECT_EQ(ui.LastMessage(), "180^o BackDiffraction invalid here!     ");
  EXPECT_EQ(form.Field(F::SampleBragg).text, "No diffraction!");
  EXPECT_EQ(Calculate(), std::vector<std::string>{"No diffraction!"});
  EXPECT_EQ(ui.LastFocus(), "sample Bragg angle");
}

TEST_F(ConvolutedCurveWindow, ChecksWriteBackWhatTheyNormalise) {
  DefineBoth();
  QuickGrid();
  form.Field(F::SpectrumFwhm).text = "0";
  form.Field(F::SpectrumRange).text = "-5";
  form.Field(F::Divergence).text = "0";
  form.Field(F::SampleThickness).text = "-7";
  EXPECT_TRUE(Calculate().empty());
  EXPECT_EQ(form.Field(F::SpectrumFwhm).text, "-1 (flat)");
  EXPECT_EQ(form.Field(F::SpectrumRange).text, "0");
  EXPECT_EQ(form.Field(F::SpectralPoints).text, "1");
  EXPECT_EQ(form.Field(F::DivergencePoints).text, "1");
  EXPECT_EQ(form.Field(F::SampleThickness).text, "-1");
  EXPECT_EQ(form.Field(F::StepSize).text, "Stepsize = 1.25 \"");
  ASSERT_TRUE(form.Curves().Current());
  EXPECT_EQ(ui.tasksRun.back(), "Calculating the convoluted rocking curve...");
  // "-1 (flat)" reads as a flat spectrum again.
  EXPECT_TRUE(Calculate().empty());
  EXPECT_EQ(form.Field(F::SpectrumFwhm).text, "-1 (flat)");
}

// With no divergence and one wavelength the beam after a symmetric DCM is a
// plane wave at the Bragg angle, so the convoluted curve is the sample's own
// rocking curve: its FWHM is that of the single-crystal program.
TEST_F(ConvolutedCurveWindow, APlaneWaveGivesTheSingleCrystalWidth) {
  DefineBoth();
  form.Field(F::SpectrumRange).text = "0";
  form.Field(F::SpectralPoints).text = "1";
  form.Field(F::Divergence).text = "0";
  form.Field(F::Points).text = "2001";
  EXPECT_TRUE(Calculate().empty());
  ASSERT_TRUE(form.Analysis() && form.Analysis()->fwhm);

  SingleCrystalForm single(app, false);
  ui.QueueOpenFile(state.exeDirectory / "Silicon.struct");
  testing::QueueCrystalDialog(ui, "1", "1", "1");
  single.DefineCrystal(ui);
  single.Calculate(ui);
  ASSERT_NE(single.Curve(), nullptr);
  const double darwin = single.Analysis().fwhm / core::kArcsecond;
  EXPECT_NEAR(*form.Analysis()->fwhm, darwin, 1e-6);
  // The three fields show the same width in arcsec, degrees and µrad.
  EXPECT_NEAR(Leading(form.Field(F::FwhmArcseconds).text), darwin, 1e-4);
  EXPECT_NEAR(Leading(form.Field(F::FwhmDegrees).text), darwin / 3600, 1e-8);
  EXPECT_NEAR(Leading(form.Field(F::FwhmMicroradians).text), darwin * core::kArcsecond * 1e6, 1e-3);
}

TEST_F(ConvolutedCurveWindow, PreviousCurveMovesAlongAndCancelledOrRefusedRunsKeepBoth) {
  DefineBoth();
  QuickGrid();
  form.Calculate(ui);
  ASSERT_TRUE(form.Curves().Current());
  EXPECT_FALSE(form.Curves().Previous());
  const std::vector<double> first = form.Curves().Current()->values;

  form.Field(F::From).text = "-30";
  form.Field(F::To).text = "70";
  form.Field(F::Points).text = "41";
  form.Calculate(ui);
  ASSERT_TRUE(form.Curves().Previous());
  EXPECT_EQ(form.Curves().Previous()->values, first);
  EXPECT_EQ(form.Curves().Previous()->from, -50);
  EXPECT_EQ(form.Curves().Current()->from, -30);
  EXPECT_EQ(form.Curves().Current()->count, 41);
  // The overlay spans both ranges.
  form.ClickShowPrevious();
  const auto range = form.Curves().PlotRange(form.ShowingPrevious());
  ASSERT_TRUE(range);
  EXPECT_EQ(range->xmin, -50);
  EXPECT_EQ(range->xmax, 70);
  // The plot names both curves and keeps the full view's common range.
  const PlotContent content = form.PlotContentNow();
  ASSERT_EQ(content.series.size(), 2u);
  EXPECT_EQ(content.series[0].name, "Previous RC");
  EXPECT_EQ(content.series[1].name, "Current RC");
  EXPECT_EQ(content.full.range.xMin, -50);
  EXPECT_EQ(content.full.range.xMax, 70);
  EXPECT_EQ(content.x.Title(), "Δω (arcsec)");
  EXPECT_EQ(content.caption.rfind("Monochromator Silicon 1 1 1 (DCM), sample Silicon 1 1 1, 8.04798794 keV", 0), 0u)
      << content.caption;
  // On the plot each curve is named once: in the full view by the window's
  // own legend inside the box, in a zoomed view by the plot's above it.
  Plot plot([this] { return form.PlotContentNow(); });
  plot.SetScreen({0, 0, 640, 400}, 14);
  const auto namesDrawn = [&plot](const char* name) {
    testing::RecordingCanvas canvas;
    plot.Draw(canvas, {0, 0, 640, 400}, false);
    return std::count_if(canvas.texts.begin(), canvas.texts.end(), [name](const auto& t) { return t.text == name; });
  };
  EXPECT_EQ(namesDrawn("Previous RC"), 1);
  EXPECT_EQ(namesDrawn("Current RC"), 1);
  ASSERT_TRUE(plot.ZoomToRectangle({200, 100}, {400, 300}));
  EXPECT_EQ(namesDrawn("Previous RC"), 1);
  EXPECT_EQ(namesDrawn("Current RC"), 1);

  form.ClickShowPrevious();
  EXPECT_EQ(form.PlotContentNow().series.size(), 1u);
  form.ClickShowPrevious();

  const std::vector<double> current = form.Curves().Current()->values;
  const std::string fwhm = form.Field(F::FwhmArcseconds).text;
  const std::string step = form.Field(F::StepSize).text;
  ui.cancelProgress = true;
  form.Field(F::Points).text = "101";
  form.Calculate(ui);
  ui.cancelProgress = false;
  form.Field(F::Points).text = "2";
  form.Calculate(ui);
  EXPECT_EQ(form.Curves().Current()->values, current);
  EXPECT_EQ(form.Curves().Previous()->values, first);
  EXPECT_EQ(form.Field(F::FwhmArcseconds).text, fwhm);
  EXPECT_EQ(form.Field(F::StepSize).text, step);

  // A rocking range far from the peak holds nothing: the curve is dropped,
  // the fields empty, and the last curve becomes the previous one.
  form.Field(F::From).text = "-100000";
  form.Field(F::To).text = "-60000";
  form.Field(F::Points).text = "11";
  form.Calculate(ui);
  EXPECT_FALSE(form.Curves().Current());
  EXPECT_EQ(form.Curves().Previous()->values, current);
  EXPECT_EQ(form.Field(F::FwhmArcseconds).text, "");
  EXPECT_EQ(form.Field(F::FwhmMicroradians).text, "");
}

TEST_F(ConvolutedCurveWindow, PhotonEnergyUpdatesTheBraggAnglesOnly) {
  testing::QueueEnergyDialog(ui, "10");
  form.PhotonEnergy(ui);
  EXPECT_EQ(form.Field(F::Energy).text, "10");
  EXPECT_TRUE(ui.messages.empty());  // no crystal yet: nothing to update

  DefineSilicon(true);
  const crystal::ReflectionChi chi = form.Monochromator().chi;
  testing::QueueEnergyDialog(ui, "1.95");  // below the 1 1 1 back-reflection energy of 1.977 keV
  form.PhotonEnergy(ui);
  EXPECT_EQ(ui.LastMessage(), ConvolutedCurveForm::kEnergyChangedMessage);
  EXPECT_EQ(form.Field(F::MonochromatorBragg).text, "No Diffraction!");
  EXPECT_EQ(form.Monochromator().chi, chi);  // kept until the crystal is defined again
  testing::QueueEnergyDialog(ui, "8.04798794");
  form.PhotonEnergy(ui);
  EXPECT_NEAR(Leading(form.Field(F::MonochromatorBragg).text), 14.2206, 1e-4);
}

TEST_F(ConvolutedCurveWindow, ExportWritesTheFixedColumnsInTheChosenUnit) {
  form.ExportCurve(ui);
  EXPECT_EQ(ui.LastMessage(), "No data to export yet !    ");
  EXPECT_TRUE(ui.dialogsRun.empty());

  DefineBoth();
  QuickGrid();
  form.Field(F::SampleAsymmetry).text = "3";
  form.Calculate(ui);
  ASSERT_TRUE(form.Curves().Current());
  testing::TemporaryDirectory directory;
  const auto file = directory.path() / "rc.dat";
  ui.QueueDialog<CurveExportDialog>([](CurveExportDialog& d, UserInterface&) {
    // The angle and the intensity are fixed; nothing else can be chosen.
    EXPECT_EQ(d.ScanColumnCaption(), "Incident angle");
    EXPECT_FALSE(d.ExitColumnEnabled());
    EXPECT_FALSE(d.TransmissivityEnabled());
    EXPECT_FALSE(d.DepthEnabled());
    EXPECT_FALSE(d.SpecularEnabled());
    d.ClickScanColumn();
    d.ClickReflectivity();
    EXPECT_TRUE(d.Choice().scan && d.Choice().reflectivity);
    d.ChooseScanUnit(ExportUnit::Degree);
    d.ChooseScanReference(ExportReference::Absolute);
    return d.Accept() ? DialogResult::Cancel : DialogResult::Ok;
  });
  ui.QueueSaveFile(file);
  form.ExportCurve(ui);
  ASSERT_EQ(ui.saveRequests.size(), 1u);
  EXPECT_EQ(ui.saveRequests[0].title, "Save Selected Rocking Curve Data");
  EXPECT_EQ(ui.saveRequests[0].defaultExtension, "dat");

  std::istringstream lines(testing::ReadWholeFile(file));
  const multicrystal::CurveTrace& trace = *form.Curves().Current();
  // Absolute: the sample's nominal incidence θB − φ is added.
  const double theta0 = Leading(form.Field(F::SampleBragg).text) - 3;
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    ASSERT_EQ(line.back(), '\r');
    const auto tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos);
    EXPECT_NEAR(Leading(line), theta0 + trace.Coordinate(count) / 3600, 2e-8) << line;
    EXPECT_NEAR(Leading(line.substr(tab + 1)), trace.values[static_cast<std::size_t>(count)],
                1e-8 + 1e-8 * trace.values[static_cast<std::size_t>(count)]);
  }
  EXPECT_EQ(count, 81);

  // Cancel in the column dialog writes nothing and asks for no file.
  ui.QueueDialog<CurveExportDialog>([](CurveExportDialog&, UserInterface&) { return DialogResult::Cancel; });
  form.ExportCurve(ui);
  EXPECT_EQ(ui.saveRequests.size(), 1u);
}

}  // namespace
}  // namespace velto::programs
