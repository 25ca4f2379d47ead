#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "core/Units.h"
#include "programs/curve_export/CurveExport.h"
#include "programs/monochromator/MonochromatorForm.h"
#include "shell/NumberText.h"
#include "support/ScriptedPerson.h"
#include "support/TestFiles.h"

namespace velto::programs {
namespace {

using F = MonochromatorField;
using multicrystal::Arrangement;
using multicrystal::ScanMode;
using testing::FakeUserInterface;

class MonochromatorWindow : public ::testing::Test {
 protected:
  MonochromatorWindow() : app(state) { state.exeDirectory = testing::BuildDataDirectory(); }

  void DefineSilicon(bool first, const char* h = "1", const char* k = "1", const char* l = "1") {
    testing::DefineSilicon(
        ui, state.exeDirectory, first ? form.FirstDefined() : form.SecondDefined(),
        [this, first](UserInterface& u) { first ? form.DefineFirst(u) : form.DefineSecond(u); }, h, k, l);
  }
  void DefinePair() {
    DefineSilicon(true);
    DefineSilicon(false);
  }
  std::vector<std::string> Calculate() {
    return testing::MessagesOf(ui, [this](UserInterface& u) { form.Calculate(u); });
  }

  shell::MainFrameState state;
  AppContext app;
  FakeUserInterface ui;
  MonochromatorForm form{app};
};

double Leading(const std::string& text) { return shell::ParseNumber(text); }

TEST_F(MonochromatorWindow, OpensInTheAngularScanWithTheEnergyScanStored) {
  EXPECT_STREQ(MonochromatorForm::kTitle, "Double-Crystal Monochromator for Plane Wave");
  EXPECT_EQ(form.Field(F::Energy).text, "8.04798794");
  EXPECT_EQ(form.Field(F::From).text, "-50");
  EXPECT_EQ(form.Field(F::To).text, "50");
  EXPECT_EQ(form.Field(F::Points).text, "2001");
  EXPECT_EQ(form.Field(F::Phi).text, "0");
  EXPECT_EQ(form.Field(F::DeltaPhi).text, "0");
  EXPECT_EQ(form.Field(F::DeltaOmega).text, "0");
  EXPECT_FALSE(form.Field(F::DeltaOmega).enabled);
  EXPECT_EQ(form.Field(F::ScanUnit).text, "arcsec ( \" )");
  EXPECT_EQ(form.Field(F::StepSize).text, "Stepsize = 0.05 \"");
  EXPECT_EQ(form.StepCaption(MonochromatorForm::FromMinus), "-10");
  EXPECT_EQ(form.GetScanMode(), ScanMode::Angular);

  form.SetScanMode(ScanMode::Energy);
  EXPECT_EQ(form.Field(F::From).text, "-2");
  EXPECT_EQ(form.Field(F::To).text, "2");
  EXPECT_EQ(form.Field(F::Points).text, "2001");
  EXPECT_EQ(form.StepCaption(MonochromatorForm::ToPlus), "+1");
  EXPECT_EQ(form.Field(F::StepSize).text, "Stepsize = 0.002 eV");
  EXPECT_EQ(form.Field(F::ScanUnit).text, "eV");
  EXPECT_TRUE(form.Field(F::DeltaOmega).enabled);

  form.ProgramHelp(ui);
  EXPECT_EQ(ui.messages.back().icon, MessageIcon::Information);
  form.AutoSetHelp(ui);
  EXPECT_EQ(ui.LastMessage().rfind("For calculating the small Peak Center shift", 0), 0u);
}

TEST_F(MonochromatorWindow, SwitchingTheScanModeBringsBackWhatWasTyped) {
  form.Field(F::From).text = "-40.123456789";
  form.Field(F::To).text = "30";
  form.Field(F::Points).text = "1001";
  form.ChooseStep(4);
  form.SetScanMode(ScanMode::Energy);
  form.Field(F::DeltaOmega).text = "3.5";
  form.Field(F::From).text = "-1";
  form.ChooseStep(5);

  form.SetScanMode(ScanMode::Angular);
  EXPECT_EQ(form.Field(F::From).text, "-40.123456789");
  EXPECT_EQ(form.Field(F::To).text, "30");
  EXPECT_EQ(form.Field(F::Points).text, "1001");
  EXPECT_EQ(form.StepIndex(), 4);
  EXPECT_EQ(form.Field(F::DeltaOmega).text, "0");
  EXPECT_FALSE(form.Field(F::DeltaOmega).enabled);
  EXPECT_EQ(form.Field(F::StepSize).text, "Stepsize = 0.07012346 \"");
  form.SetScanMode(ScanMode::Angular);  // no change: nothing swaps
  EXPECT_EQ(form.Field(F::From).text, "-40.123456789");

  form.SetScanMode(ScanMode::Energy);
  EXPECT_EQ(form.Field(F::From).text, "-1");
  EXPECT_EQ(form.Field(F::DeltaOmega).text, "3.5");
  EXPECT_EQ(form.StepIndex(), 5);

  form.Field(F::Points).text = "150";
  form.SubtractHundredPoints();
  EXPECT_EQ(form.Field(F::Points).text, "50");
  form.Field(F::Points).text = "105";
  form.SubtractHundredPoints();
  EXPECT_EQ(form.Field(F::Points).text, "105");
  form.AddHundredPoints();
  EXPECT_EQ(form.Field(F::Points).text, "205");
}

TEST_F(MonochromatorWindow, RefusesInTheOrderOfTheFailureTableWithFocus) {
  // The bound fields are read before the crystals are looked at.
  form.Field(F::FirstAsymmetry).text = "95";
  EXPECT_EQ(Calculate(), std::vector<std::string>{"Enter a number between -89.9999 and 89.9999."});
  EXPECT_EQ(ui.LastFocus(), "phi1");
  form.Field(F::FirstAsymmetry).text = "0";
  EXPECT_EQ(Calculate(), std::vector<std::string>{"You have to define 1st Crystal !  "});
  EXPECT_EQ(ui.LastFocus(), "Define 1st Crystal...");

  // Without a structure file the 1st crystal's dialog does not open, the
  // 2nd one's does (to load the structure there).
  ui.QueueOpenFile(std::nullopt);
  form.DefineFirst(ui);
  EXPECT_TRUE(ui.dialogsRun.empty());
  ui.QueueOpenFile(std::nullopt);
  ui.QueueDialog<CrystalParamsForm>([](CrystalParamsForm&, UserInterface&) { return DialogResult::Cancel; });
  form.DefineSecond(ui);
  EXPECT_EQ(ui.dialogsRun.size(), 1u);
  EXPECT_FALSE(form.SecondDefined());

  DefineSilicon(true);
  EXPECT_EQ(Calculate(), std::vector<std::string>{"You have to define 2nd Crystal !  "});
  EXPECT_EQ(ui.LastFocus(), "Define 2nd Crystal...");
  DefineSilicon(false);

  struct Case {
    F field;
    const char* text;
    const char* message;
    const char* focus;
  };
  const Case cases[] = {
      {F::SecondAsymmetry, "20", "The absolte value of Offcut Angle should be less than the Bragg angle !  ", "phi2"},
      {F::Points, "100001", "Enter an integer between 3 and 100000.", "points"},
      {F::To, "-60", "The rocking range must between 0.001 and 360,000 arcsec !  ", "from"},
      {F::From, "", "Enter a number.", "from"},
      {F::DeltaPhi, "inf", "\"Delta Phi\" must be a finite number, not \"inf\".   ", "Delta Phi"},
  };
  for (const Case& c : cases) {
    const std::string kept = form.Field(c.field).text;
    form.Field(c.field).text = c.text;
    EXPECT_EQ(Calculate(), std::vector<std::string>{c.message}) << c.text;
    EXPECT_EQ(ui.LastFocus(), c.focus) << c.text;
    form.Field(c.field).text = kept;
  }
  EXPECT_FALSE(form.Curve());

  DefineSilicon(true, "5", "5", "5");
  EXPECT_EQ(ui.LastMessage(), "180^o Back diffraction invalid here!     ");
  EXPECT_EQ(form.Field(F::FirstBragg).text, "No diffraction");
  EXPECT_EQ(Calculate(), std::vector<std::string>{"No diffraction!"});
  EXPECT_EQ(ui.LastFocus(), "1st Bragg angle");
}

TEST_F(MonochromatorWindow, IdenticalParallelCrystalsReflectTheSquareOfOne) {
  DefinePair();
  form.Field(F::Points).text = "401";
  EXPECT_TRUE(Calculate().empty());
  ASSERT_TRUE(form.Curve());
  EXPECT_EQ(form.Field(F::Phi).text, "0");
  const std::vector<double> pair = form.Curve()->trace.values;
  const double pairWidth = form.Analysis()->fwhm;

  form.Field(F::OnlyFirst).checked = true;
  EXPECT_TRUE(Calculate().empty());
  const std::vector<double> one = form.Curve()->trace.values;
  for (std::size_t i = 0; i < one.size(); i += 20) EXPECT_NEAR(pair[i], one[i] * one[i], 1e-9) << i;
  EXPECT_GT(form.Analysis()->fwhm, pairWidth);

  // A channel-cut first crystal reflects twice at the same angle.
  form.Field(F::FirstChannelCut).checked = true;
  EXPECT_TRUE(Calculate().empty());
  for (std::size_t i = 0; i < one.size(); i += 20) EXPECT_NEAR(form.Curve()->trace.values[i], pair[i], 1e-9) << i;

  // The result fields in arcseconds; the centre lies between the half maxima.
  const std::string& halves = form.Field(F::HalfMaxima).text;
  ASSERT_NE(halves.find(" ,  "), std::string::npos) << halves;
  const double left = Leading(halves), right = Leading(halves.substr(halves.find(',') + 1));
  EXPECT_NEAR(Leading(form.Field(F::Fwhm).text), right - left, 0.002);
  EXPECT_NEAR(Leading(form.Field(F::CentrePosition).text), (left + right) / 2, 0.002);
  EXPECT_NE(form.Field(F::MaxReflectivity).text.find("   at  "), std::string::npos);
  EXPECT_GT(Leading(form.Field(F::MaxReflectivity).text), 0.8);  // Si 1 1 1 twice: about 0.95²

  // A maximum at the edge of the range has no width: the curve stays, the
  // fields go empty.
  form.Field(F::From).text = "15";
  EXPECT_TRUE(Calculate().empty());
  ASSERT_TRUE(form.Curve());
  EXPECT_EQ(form.Analysis()->maxPosition, 15);
  EXPECT_EQ(form.Field(F::Fwhm).text, "");
  EXPECT_EQ(form.Field(F::MaxReflectivity).text, "");
}

// DuMond: at a fixed incidence a reflection's energy width is its angular
// width times E/tan θB (ΔE/E = Δθ·cot θB), for the pair as for one crystal.
TEST_F(MonochromatorWindow, EnergyWidthFollowsFromTheAngularWidth) {
  DefinePair();
  EXPECT_TRUE(Calculate().empty());
  const double angular = form.Analysis()->fwhm * core::kArcsecond;
  form.SetScanMode(ScanMode::Energy);
  EXPECT_TRUE(Calculate().empty());
  ASSERT_TRUE(form.Analysis() && form.Analysis()->hasWidth);
  const double thetaB = Leading(form.Field(F::FirstBragg).text) * core::kDegree;
  const double expected = angular * form.Energy() / std::tan(thetaB);
  EXPECT_NEAR(form.Analysis()->fwhm, expected, 0.01 * expected);
  EXPECT_EQ(form.Field(F::StepSize).text, "Stepsize = 0.002 eV");
  const std::string& fwhm = form.Field(F::Fwhm).text;
  EXPECT_EQ(fwhm.substr(fwhm.size() - 3), " eV");
}

TEST_F(MonochromatorWindow, AutoSetProposesTheOrientationOfADispersivePair) {
  DefinePair();
  form.SetArrangement(Arrangement::Dispersive);
  form.Field(F::Points).text = "401";
  EXPECT_TRUE(Calculate().empty());
  const double unaligned = form.Analysis()->maximum;
  // Φ = 180° − 2θB for two identical symmetric crystals.
  const double thetaB = Leading(form.Field(F::FirstBragg).text);
  EXPECT_NEAR(Leading(form.Field(F::Phi).text), 180 - 2 * thetaB, 1e-7);

  // Cancel changes nothing.
  ui.QueueDialog<DcmPhiDialog>([](DcmPhiDialog&, UserInterface&) { return DialogResult::Cancel; });
  form.AutoSet(ui);
  EXPECT_EQ(form.Field(F::DeltaPhi).text, "0");

  multicrystal::AutoSetProposal shown;
  ui.QueueDialog<DcmPhiDialog>([&shown](DcmPhiDialog& d, UserInterface&) {
    shown = d.proposal;
    EXPECT_STREQ(DcmPhiDialog::kTitle, "Set Relative Orientation Phi of DCM");
    EXPECT_EQ(d.texts.phi, shell::FormatNumber(d.proposal.phi, 8));
    return DialogResult::Ok;
  });
  form.AutoSet(ui);
  // Both refraction shifts add up in the dispersive arrangement: twice the
  // Si 1 1 1 shift −χ0/sin 2θB of about 6.5" at Cu Kα1.
  EXPECT_LT(shown.deltaPhi, -12);
  EXPECT_GT(shown.deltaPhi, -14);
  EXPECT_EQ(form.Field(F::DeltaPhi).text, shell::FormatNumber(shown.deltaPhi, 4));
  EXPECT_EQ(form.Field(F::DeltaOmega).text, shell::FormatNumber(shown.deltaOmega, 8));
  EXPECT_TRUE(Calculate().empty());
  EXPECT_GT(form.Analysis()->maximum, 0.8);
  EXPECT_GT(form.Analysis()->maximum, unaligned + 0.1);

  // The Δω proposed during the angular scan is the one the energy scan uses.
  form.SetScanMode(ScanMode::Energy);
  EXPECT_EQ(form.Field(F::DeltaOmega).text, shell::FormatNumber(shown.deltaOmega, 8));
}

TEST_F(MonochromatorWindow, ExportOffersTheColumnsOfTheCurvesScan) {
  form.ExportCurve(ui);
  EXPECT_EQ(ui.LastMessage(), "No data to export yet !    ");
  DefinePair();
  form.SetScanMode(ScanMode::Energy);
  form.Field(F::Points).text = "101";
  form.Calculate(ui);
  form.SetScanMode(ScanMode::Angular);  // the curve keeps the mode it was computed in

  testing::TemporaryDirectory directory;
  const auto file = directory.path() / "dcm.dat";
  ui.QueueDialog<CurveExportDialog>([](CurveExportDialog& d, UserInterface&) {
    EXPECT_EQ(d.ScanColumnCaption(), "Photon energy");
    EXPECT_FALSE(d.ScanUnitVisible(ExportUnit::Degree));
    EXPECT_TRUE(d.ExitColumnEnabled());
    EXPECT_FALSE(d.TransmissivityEnabled());
    EXPECT_FALSE(d.DepthEnabled());
    EXPECT_FALSE(d.SpecularEnabled());
    d.ClickScanColumn();
    EXPECT_TRUE(d.Accept().has_value());  // neither energy nor exit angle
    d.ClickExitColumn();
    d.ChooseExitUnit(ExportUnit::Microradian);
    return d.Accept() ? DialogResult::Cancel : DialogResult::Ok;
  });
  ui.QueueSaveFile(file);
  form.ExportCurve(ui);
  std::istringstream lines(testing::ReadWholeFile(file));
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    const std::size_t tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos) << line;
    // A fixed incidence on identical crystals: the beam leaves where it would
    // at the Bragg energy, whatever the energy.
    EXPECT_NEAR(Leading(line), 0, 1e-6) << line;
    EXPECT_NEAR(Leading(line.substr(tab + 1)), form.Curve()->trace.values[static_cast<std::size_t>(count)], 1e-8);
  }
  EXPECT_EQ(count, 101);
}

TEST_F(MonochromatorWindow, PhotonEnergyWarnsButKeepsTheBraggAngles) {
  testing::QueueEnergyDialog(ui, "10");
  form.PhotonEnergy(ui);
  EXPECT_TRUE(ui.messages.empty());
  DefineSilicon(true);
  const std::string bragg = form.Field(F::FirstBragg).text;
  testing::QueueEnergyDialog(ui, "12");
  form.PhotonEnergy(ui);
  EXPECT_EQ(form.Field(F::Energy).text, "12");
  EXPECT_EQ(ui.LastMessage(), MonochromatorForm::kEnergyChangedMessage);
  EXPECT_EQ(form.Field(F::FirstBragg).text, bragg);
}

}  // namespace
}  // namespace velto::programs
