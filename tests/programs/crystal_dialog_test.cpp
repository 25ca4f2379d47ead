#include <gtest/gtest.h>

#include <cmath>

#include "core/Units.h"
#include "crystal/Susceptibility.h"
#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/crystal_dialog/StructureFactorsForm.h"
#include "shell/NumberText.h"
#include "support/FakeUserInterface.h"
#include "support/TestFiles.h"

namespace velto::programs {
namespace {

using shell::FormatNumber;
using shell::ParseNumber;
using testing::FakeUserInterface;

constexpr double kCuEnergy = 8047.987942062702;
constexpr double kSiliconA = 5.43102064;

class CrystalDialog : public ::testing::Test {
 protected:
  CrystalDialog() : app(state) {
    state.exeDirectory = testing::BuildDataDirectory();
    state.structPath = "/nowhere";
  }

  std::filesystem::path Silicon() const { return state.exeDirectory / "Silicon.struct"; }

  // A form whose structure was loaded by "Crystal Structure..." from the
  // example file.
  CrystalParamsForm& LoadedForm(double energy = kCuEnergy) {
    form = std::make_unique<CrystalParamsForm>(app, crystal, energy);
    ui.QueueOpenFile(Silicon());
    form->LoadStructure(ui);
    return *form;
  }

  void SetHkl(CrystalParamsForm& f, const char* h, const char* k, const char* l) {
    f.Index(0).text = h;
    f.Index(1).text = k;
    f.Index(2).text = l;
  }

  shell::MainFrameState state;
  AppContext app;
  crystal::CrystalParams crystal;
  FakeUserInterface ui;
  std::unique_ptr<CrystalParamsForm> form;
};

TEST_F(CrystalDialog, OpensLockedWithoutAStructure) {
  CrystalParamsForm f(app, crystal, kCuEnergy);
  EXPECT_TRUE(f.Name().readOnly);
  EXPECT_TRUE(f.D().readOnly);
  EXPECT_TRUE(f.Chi(3).readOnly);
  EXPECT_FALSE(f.CopyFromBrennanButton().enabled);
  EXPECT_TRUE(f.CalculateButton().enabled);
  EXPECT_EQ(f.Temperature().text, "293.15");
  EXPECT_EQ(f.D().text, "");

  EXPECT_FALSE(f.Calculate(ui));
  EXPECT_EQ(ui.LastMessage(), "You have to import a Crystal Structure !   ");
  EXPECT_EQ(ui.LastFocus(), CrystalParamsForm::kStructureButton);
  EXPECT_TRUE(f.Cancel());
}

TEST_F(CrystalDialog, LoadingAStructureRemembersTheDirectoryAndCancelTakesItBack) {
  CrystalParamsForm& f = LoadedForm();
  ASSERT_EQ(ui.openRequests.size(), 1u);
  EXPECT_EQ(ui.openRequests[0].title, "Open Crystal Structure File");
  EXPECT_EQ(ui.openRequests[0].filter, "Crystal structure (*.struct *.cif)|*.struct;*.cif|All Files (*.*)|*.*||");
  EXPECT_EQ(ui.openRequests[0].startDirectory, "/nowhere");
  EXPECT_EQ(app.StructPath(), state.exeDirectory);
  EXPECT_EQ(f.Name().text, "Silicon");
  EXPECT_TRUE(crystal.structure.IsLoaded());
  EXPECT_FALSE(f.ManualCheck().checked);
  // The dialog opened without a structure; Cancel leaves none.
  EXPECT_TRUE(f.Cancel());
  EXPECT_FALSE(crystal.structure.IsLoaded());
}

TEST_F(CrystalDialog, CancelPutsBackTheCrystalAFileWasLoadedOver) {
  ui.QueueOpenFile(Silicon());
  ASSERT_TRUE(app.ChooseAndLoadStructure(ui, crystal.structure, crystal.temperature));
  crystal.structure.manual = 1;
  crystal.h = crystal.k = crystal.l = 1;
  crystal.d = kSiliconA / std::sqrt(3.0);
  const crystal::CrystalParams defined = crystal;

  testing::TemporaryDirectory dir;
  const auto other = dir.Write("germanium.struct", "Germanium\n5.6579 5.6579 5.6579\n90 90 90\n1\nGe 0 0 0 1\n290\n");
  CrystalParamsForm f(app, crystal, kCuEnergy);
  ui.QueueOpenFile(other);
  f.LoadStructure(ui);
  ASSERT_EQ(crystal.structure.name, "Germanium");
  EXPECT_EQ(crystal.structure.manual, 0);  // a new structure starts in automatic mode
  ASSERT_TRUE(f.Cancel());
  EXPECT_EQ(crystal.structure.name, "Silicon");
  EXPECT_EQ(crystal.structure.manual, 1);
  EXPECT_DOUBLE_EQ(crystal.structure.a, kSiliconA);
  EXPECT_EQ(crystal.structure.GroupCount(), 1);
  EXPECT_EQ(crystal.structure.groups[0].z, 14);
  EXPECT_EQ(crystal.d, defined.d);
}

TEST_F(CrystalDialog, RefusesAllZeroAndOutOfRangeIndices) {
  CrystalParamsForm& f = LoadedForm();
  SetHkl(f, "0", "0", "0");
  EXPECT_FALSE(f.Calculate(ui));
  EXPECT_EQ(ui.LastMessage(), "HKL should not be ALL zero!   ");
  EXPECT_EQ(ui.LastFocus(), "h");

  SetHkl(f, "1", "1000", "0");
  EXPECT_FALSE(f.Calculate(ui));
  EXPECT_EQ(ui.LastMessage(), "Enter an integer between -999 and 999.");
  EXPECT_EQ(ui.LastFocus(), "k");

  SetHkl(f, "1", "1", "one");
  EXPECT_FALSE(f.Ok(ui));
  EXPECT_EQ(ui.LastMessage(), "Enter an integer.");
  EXPECT_EQ(ui.LastFocus(), "l");
  EXPECT_EQ(f.D().text, "");
}

TEST_F(CrystalDialog, SiliconFourHundredAtCopperKAlpha) {
  CrystalParamsForm& f = LoadedForm();
  SetHkl(f, "4", "0", "0");
  ASSERT_TRUE(f.Calculate(ui));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(f.D().text, FormatNumber(kSiliconA / 4, 8));
  // Si 400 with Cu Kα1: θB = 34.56° (sin θ = λ/(2d) = 0.5673).
  EXPECT_NEAR(ParseNumber(f.ThetaB().text), 34.5638, 1e-3);
}

TEST_F(CrystalDialog, SiliconOneOneOneChiAgreesWithPublishedValues) {
  CrystalParamsForm& f = LoadedForm();
  SetHkl(f, "1", "1", "1");
  ASSERT_TRUE(f.Calculate(ui));
  EXPECT_EQ(f.D().text, FormatNumber(kSiliconA / std::sqrt(3.0), 8));
  EXPECT_NEAR(ParseNumber(f.ThetaB().text), 14.221, 1e-3);
  // Reference: xrt 1.4 (Chantler tables) for Si at 8.048 keV:
  // χ0 = −15.170e-6 − 0.351e-6 i, |χh(111)| = 8.251e-6 for atoms at rest;
  // the dialog works at 293.15 K, where the Debye-Waller factor is 0.988.
  EXPECT_NEAR(ParseNumber(f.Chi(0).text), -15.170, 0.01 * 15.170);
  EXPECT_NEAR(ParseNumber(f.Chi(1).text), -0.351, 0.03 * 0.351);
  EXPECT_NEAR(std::hypot(ParseNumber(f.Chi(2).text), ParseNumber(f.Chi(3).text)), 8.251 * 0.988,
              0.02 * 8.251 * 0.988);
  // π components equal σ ones; the boxes show ×10⁶ with 5 decimals.
  EXPECT_EQ(f.Chi(6).text, f.Chi(2).text);
  EXPECT_EQ(f.Chi(9).text, f.Chi(5).text);
  EXPECT_EQ(f.Chi(0).text, FormatNumber(ParseNumber(f.Chi(0).text), 5));

  ASSERT_TRUE(f.Ok(ui));
  f.Apply();
  EXPECT_EQ(crystal.h, 1);
  EXPECT_EQ(crystal.l, 1);
  EXPECT_NEAR(crystal.d, kSiliconA / std::sqrt(3.0), 1e-12);
  EXPECT_NEAR(crystal.chi.chi0.real() * 1e6, ParseNumber(f.Chi(0).text), 1e-5);
}

TEST_F(CrystalDialog, BelowTheBraggCutoffWarnsShowsNinetyAndStillComputesChi) {
  CrystalParamsForm& f = LoadedForm(2000);
  SetHkl(f, "4", "0", "0");
  ASSERT_TRUE(f.Calculate(ui));
  EXPECT_EQ(ui.LastMessage(), "d-spacing seems to be too small to satisfy Bragg condition! \nSet thetaB = 90 deg.");
  EXPECT_EQ(f.ThetaB().text, "90 (O)");
  EXPECT_LT(ParseNumber(f.Chi(0).text), 0);  // χ0 real part is negative (n < 1)
}

TEST_F(CrystalDialog, AboveNinetyNineKevOnlyManualModeIsPossible) {
  CrystalParamsForm& f = LoadedForm(100000);
  SetHkl(f, "1", "1", "1");
  EXPECT_FALSE(f.Calculate(ui));
  EXPECT_EQ(ui.LastMessage(),
            "Currently this program cannot calculate structure factors for photon energies > 99.9 keV. You must "
            "MANUALLY SET the structure factors!");
  EXPECT_FALSE(f.Ok(ui));

  f.ToggleManual();
  EXPECT_TRUE(f.ManualCheck().checked);
  EXPECT_FALSE(f.CalculateButton().enabled);
  EXPECT_TRUE(f.CopyFromBrennanButton().enabled);
  EXPECT_FALSE(f.D().readOnly);
  EXPECT_FALSE(f.Chi(0).readOnly);
  f.DEdited("3.1356");
  EXPECT_NEAR(ParseNumber(f.ThetaB().text), std::asin(0.123984244 / (2 * 3.1356)) / core::kDegree, 1e-7);
  const char* values[] = {"-0.35", "-0.0004", "-0.18", "0.18", "-0.18", "-0.18", "-0.18", "0.18", "-0.18", "-0.18"};
  for (int i = 0; i < 10; ++i) f.Chi(i).text = values[i];
  ASSERT_TRUE(f.Ok(ui));
  f.Apply();
  EXPECT_DOUBLE_EQ(crystal.d, 3.1356);
  EXPECT_DOUBLE_EQ(crystal.chi.chih.imag(), 0.18e-6);
  EXPECT_EQ(crystal.structure.manual, 1);
}

TEST_F(CrystalDialog, ManualZeroChiAsksAndNoKeepsTheDialogOpen) {
  CrystalParamsForm& f = LoadedForm();
  f.ToggleManual();
  SetHkl(f, "1", "1", "1");
  f.DEdited("3.1356");
  for (int i = 0; i < 10; ++i) f.Chi(i).text = i < 2 ? "-1" : "0";
  ui.QueueAnswer(Answer::No);
  EXPECT_FALSE(f.Ok(ui));
  ASSERT_TRUE(ui.messages.back().question);
  EXPECT_EQ(ui.LastMessage(), "Some Chi components are zero. Do you want to proceed? ");
  ui.QueueAnswer(Answer::Yes);
  EXPECT_TRUE(f.Ok(ui));
}

TEST_F(CrystalDialog, ManualDSpacingMustBeUsable) {
  CrystalParamsForm& f = LoadedForm();
  f.ToggleManual();
  SetHkl(f, "1", "1", "1");
  f.DEdited("0.0009");
  EXPECT_EQ(f.ThetaB().text, "");
  EXPECT_FALSE(f.Ok(ui));
  EXPECT_EQ(ui.LastMessage(), "d-spacing too small!");
  EXPECT_EQ(ui.LastFocus(), "d");

  // Too small for a Bragg angle but usable: warned, then accepted.
  for (int i = 0; i < 10; ++i) f.Chi(i).text = "-1";
  f.DEdited("0.5");
  EXPECT_TRUE(f.Ok(ui));
  EXPECT_EQ(ui.messages[ui.messages.size() - 1].text,
            "d-spacing seems to be too small to satisfy Bragg condition! \nSet thetaB = 90 deg.");
}

TEST_F(CrystalDialog, BoxesThatReadAsInfinityOrNotANumberAreRefusedWithFocusAndNothingTaken) {
  CrystalParamsForm& f = LoadedForm();
  SetHkl(f, "1", "1", "1");
  f.Temperature().text = "1e999";
  EXPECT_FALSE(f.Calculate(ui));
  EXPECT_EQ(ui.LastMessage(), "\"Temperature\" must be a finite number, not \"1e999\".   ");
  EXPECT_EQ(ui.LastFocus(), CrystalParamsForm::kTemperatureField);
  EXPECT_EQ(f.D().text, "");
  // Before a file is asked for.
  const std::size_t asked = ui.openRequests.size();
  f.LoadStructure(ui);
  EXPECT_EQ(ui.openRequests.size(), asked);

  f.Temperature().text = "293.15";
  f.ToggleManual();
  f.DEdited("nan");
  for (int i = 0; i < 10; ++i) f.Chi(i).text = "-1";
  EXPECT_FALSE(f.Ok(ui));
  EXPECT_EQ(ui.LastMessage(), "\"d\" must be a finite number, not \"nan\".   ");
  EXPECT_EQ(ui.LastFocus(), CrystalParamsForm::kDField);

  f.DEdited("3.1356");
  f.Chi(5).text = "-1e999";
  EXPECT_FALSE(f.Ok(ui));
  EXPECT_EQ(ui.LastMessage(), "\"χ-h, imaginary part\" must be a finite number, not \"-1e999\".   ");
  EXPECT_EQ(ui.LastFocus(), CrystalParamsForm::ChiField(5));
  const std::size_t dialogs = ui.dialogsRun.size();
  f.ShowStructureFactors(ui);
  EXPECT_EQ(ui.dialogsRun.size(), dialogs);
  f.Apply();  // the refused OK accepted nothing
  EXPECT_EQ(crystal.d, -1);
}

TEST_F(CrystalDialog, CopyFromBrennanNeedsAnEarlierCopy) {
  CrystalParamsForm& f = LoadedForm();
  f.ToggleManual();
  f.CopyFromBrennan(ui);
  EXPECT_EQ(ui.LastMessage(),
            "You must first use \"Tools->Brennan Structure Factors\" to calculate chi and \"Copy chi to Clipboard\"");
  EXPECT_EQ(f.Chi(0).text, "");

  state.chiClipboard.Store({-15.1e-6, -0.35e-6, -8e-6, 1.9e-6, -8e-6, -1.9e-6, -8e-6, 1.9e-6, -8e-6, -1.9e-6});
  f.CopyFromBrennan(ui);
  EXPECT_EQ(f.Chi(0).text, "-15.1");
  EXPECT_EQ(f.Chi(3).text, "1.9");
  EXPECT_EQ(f.Chi(9).text, "-1.9");
}

TEST_F(CrystalDialog, StructureFactorsOfSiliconOneOneOne) {
  CrystalParamsForm& f = LoadedForm();
  SetHkl(f, "1", "1", "1");
  ASSERT_TRUE(f.Calculate(ui));
  bool shown = false;
  ui.QueueDialog<StructureFactorsForm>([&](StructureFactorsForm& sf, UserInterface&) {
    shown = true;
    // Eight atoms forward: F0 ≈ 8 (Z + f′) ≈ 8 × 14.25.
    EXPECT_NEAR(sf.Factors()[0].real(), 114.0, 1.5);
    // With the origin on an atom, F(111) = 4 f (1 − i) and F(−1−1−1) = 4 f (1 + i):
    // equal moduli, phases near 315° and 45° (shifted a little by f″).
    const auto fh = crystal::ModulusPhase(sf.Factors()[1]);
    const auto fmh = crystal::ModulusPhase(sf.Factors()[2]);
    EXPECT_NEAR(fh.modulus, fmh.modulus, 1e-8);
    EXPECT_GT(fh.phaseDegrees, 315.0);
    EXPECT_LT(fh.phaseDegrees, 320.0);
    EXPECT_GT(fmh.phaseDegrees, 45.0);
    EXPECT_LT(fmh.phaseDegrees, 50.0);
    EXPECT_EQ(sf.Phase(1).text, FormatNumber(fh.phaseDegrees, 8));
    // Photoabsorption of Si at 8.048 keV: µ ≈ 141 cm⁻¹ (NIST XCOM, photoelectric
    // share 60.6 cm²/g × 2.329 g/cm³), so 1/µ ≈ 71 µm.
    EXPECT_NEAR(sf.Absorption(), 0.0141, 0.0141 * 0.04);
    EXPECT_EQ(sf.PenetrationBox().text, FormatNumber(1.0 / sf.Absorption(), 8));
    return DialogResult::Ok;
  });
  f.ShowStructureFactors(ui);
  EXPECT_TRUE(shown);
}

TEST_F(CrystalDialog, ExampleFileIsOpenedOrReportedMissing) {
  CrystalParamsForm f(app, crystal, kCuEnergy);
  f.ShowExampleStructure(ui);
  // As a text file, whatever the desktop thinks *.struct is.
  ASSERT_EQ(ui.textDocumentsOpened.size(), 1u);
  EXPECT_EQ(ui.textDocumentsOpened[0], Silicon());
  EXPECT_TRUE(ui.messages.empty());

  state.exeDirectory = "/no/such/dir";
  f.ShowExampleStructure(ui);
  EXPECT_EQ(ui.LastMessage(), "Could not find the file/no/such/dir/Silicon.struct");
}

TEST_F(CrystalDialog, ManualFlagReopensInManualMode) {
  crystal.structure.manual = 1;
  crystal.d = 3.1356;
  crystal.chi.chi0 = {-15.17e-6, -0.351e-6};
  CrystalParamsForm f(app, crystal, kCuEnergy);
  EXPECT_TRUE(f.ManualCheck().checked);
  EXPECT_EQ(crystal.structure.manual, 1);
  EXPECT_FALSE(f.D().readOnly);
  EXPECT_EQ(f.D().text, "3.1356");
  EXPECT_EQ(f.Chi(0).text, "-15.17");
  EXPECT_EQ(f.Chi(1).text, "-0.351");
}

TEST_F(CrystalDialog, CancelledTemperatureChangeLeavesTheStructureAsItWas) {
  ui.QueueOpenFile(Silicon());
  ASSERT_TRUE(app.ChooseAndLoadStructure(ui, crystal.structure, crystal.temperature));
  const double roomExponent = crystal.structure.groups[0].thermalExponent;
  CrystalParamsForm f(app, crystal, kCuEnergy);
  f.Temperature().text = "1000";
  SetHkl(f, "2", "2", "0");
  ASSERT_TRUE(f.Calculate(ui));
  // Hotter crystal, larger Debye-Waller B.
  EXPECT_LT(crystal.structure.groups[0].thermalExponent, roomExponent);
  ASSERT_TRUE(f.Cancel());
  EXPECT_DOUBLE_EQ(crystal.structure.groups[0].thermalExponent, roomExponent);
  EXPECT_DOUBLE_EQ(crystal.temperature, 293.15);
}

TEST_F(CrystalDialog, TemperatureNeverGoesBelowAMicrokelvin) {
  CrystalParamsForm& f = LoadedForm();
  f.Temperature().text = "-40";
  SetHkl(f, "1", "1", "1");
  ASSERT_TRUE(f.Calculate(ui));
  EXPECT_EQ(f.Temperature().text, "1e-06");
}

TEST(ChooseAndLoadStructure, NeitherCancelNorAFailedLoadTouchesTheStructure) {
  shell::MainFrameState state;
  state.exeDirectory = testing::BuildDataDirectory();
  AppContext app(state);
  FakeUserInterface ui;
  crystal::CrystalStructure structure;
  ui.QueueOpenFile(state.exeDirectory / "Silicon.struct");
  ASSERT_TRUE(app.ChooseAndLoadStructure(ui, structure, -1));

  ui.QueueOpenFile(std::nullopt);
  EXPECT_FALSE(app.ChooseAndLoadStructure(ui, structure, -1));
  EXPECT_TRUE(structure.IsLoaded());

  testing::TemporaryDirectory dir;
  const auto broken = dir.Write("broken.struct", "Broken\n1 2\n");
  ui.QueueOpenFile(broken);
  EXPECT_FALSE(app.ChooseAndLoadStructure(ui, structure, -1));
  EXPECT_EQ(structure.name, "Silicon");
  EXPECT_EQ(structure.GroupCount(), 1);
  EXPECT_GT(structure.volume, 0.0);
  // The program's text, then why.
  EXPECT_EQ(ui.LastMessage(), "Failed to open file '" + broken.string() +
                                  "' !    \nbroken.struct: the cell edges a, b, c must be positive");
  EXPECT_EQ(ui.messages.back().icon, MessageIcon::Error);
  EXPECT_EQ(app.StructPath(), dir.path());

  // A file that reads but lists no atoms gives no crystal either.
  const auto empty = dir.Write("empty.struct", "Nothing\n4 4 4\n90 90 90\n0\n");
  ui.QueueOpenFile(empty);
  EXPECT_FALSE(app.ChooseAndLoadStructure(ui, structure, -1));
  EXPECT_EQ(structure.name, "Silicon");
  EXPECT_EQ(ui.LastMessage(), "Failed to open file '" + empty.string() + "' !    \nempty.struct: the file lists no atoms");
}

TEST(DefineCrystal, FollowsTheProtocolOfThePrograms) {
  shell::MainFrameState state;
  state.exeDirectory = testing::BuildDataDirectory();
  AppContext app(state);
  crystal::CrystalParams crystal;

  {  // Cancelled file dialog: programs that need a structure do not open the dialog.
    FakeUserInterface ui;
    EXPECT_EQ(DefineCrystal(app, ui, crystal, kCuEnergy, MissingStructure::DoNotOpen), DialogResult::Cancel);
    EXPECT_TRUE(ui.dialogsRun.empty());
  }
  {  // Others open it all the same.
    FakeUserInterface ui;
    DefineCrystal(app, ui, crystal, kCuEnergy, MissingStructure::OpenDialog);
    EXPECT_EQ(ui.dialogsRun.size(), 1u);
  }
  {  // Cancel after a structure was loaded for the dialog: no structure again.
    FakeUserInterface ui;
    ui.QueueOpenFile(state.exeDirectory / "Silicon.struct");
    ui.QueueDialog<CrystalParamsForm>([](CrystalParamsForm&, UserInterface&) { return DialogResult::Cancel; });
    EXPECT_EQ(DefineCrystal(app, ui, crystal, kCuEnergy, MissingStructure::DoNotOpen), DialogResult::Cancel);
    EXPECT_FALSE(crystal.structure.IsLoaded());
  }
  {  // A fresh load opens the dialog; OK takes the values back.
    FakeUserInterface ui;
    ui.QueueOpenFile(state.exeDirectory / "Silicon.struct");
    ui.QueueDialog<CrystalParamsForm>([](CrystalParamsForm& f, UserInterface& inner) {
      f.Index(0).text = "2";
      f.Index(1).text = "2";
      f.Index(2).text = "0";
      return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
    });
    EXPECT_EQ(DefineCrystal(app, ui, crystal, kCuEnergy, MissingStructure::DoNotOpen), DialogResult::Ok);
    EXPECT_EQ(crystal.h, 2);
    EXPECT_NEAR(crystal.d, kSiliconA / std::sqrt(8.0), 1e-12);
  }
  {  // With a structure, Cancel takes nothing back.
    FakeUserInterface ui;
    ui.QueueDialog<CrystalParamsForm>([](CrystalParamsForm& f, UserInterface& inner) {
      f.Index(0).text = "4";
      f.Index(1).text = "0";
      f.Calculate(inner);
      return DialogResult::Cancel;
    });
    DefineCrystal(app, ui, crystal, kCuEnergy, MissingStructure::DoNotOpen);
    EXPECT_EQ(crystal.h, 2);
    EXPECT_TRUE(ui.openRequests.empty());
  }
}

}  // namespace
}  // namespace velto::programs
