// The atomic scattering-factor dialog and its looping export as a person
// uses them, through the scripted user interface.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "core/Units.h"
#include "programs/form_factor/FormFactorForm.h"
#include "programs/form_factor/FormLoopForm.h"
#include "shell/NumberText.h"
#include "support/FakeUserInterface.h"
#include "support/TestFiles.h"

namespace velto::programs {
namespace {

using shell::ParseNumber;
using testing::FakeUserInterface;
using FF = FormFactorField;
using FL = FormLoopField;

constexpr double kCuEnergy = 8047.987942062702;

class FormFactorDialogs : public ::testing::Test {
 protected:
  FormFactorDialogs() : app(state) { state.exeDirectory = testing::BuildDataDirectory(); }

  // The dialog as "Form Factor..." opens it for silicon 1 1 1 at Cu Kα1.
  FormFactorForm SiliconDialog() {
    return FormFactorForm(app, FormFactorStartOf(kCuEnergy, 1, 1, 1, 3.13560123), {"Si"});
  }
  FormLoopForm LoopDialog(double wavelength = 1.540562) {
    return FormLoopForm(app, "Si", 14, wavelength, "8.04799");
  }

  shell::MainFrameState state;
  AppContext app;
  FakeUserInterface ui;
};

TEST_F(FormFactorDialogs, OpensWithTheProgramsEnergyAngleAndElements) {
  FormFactorForm dialog = SiliconDialog();
  EXPECT_EQ(dialog.ElementRows().size(), 1u + 1u + 92u);
  EXPECT_EQ(dialog.Field(FF::Element).text, "Si");
  EXPECT_EQ(dialog.Field(FF::Energy).text, "8.04798794");
  EXPECT_EQ(dialog.EnergyList(), state.presets.energies);
  EXPECT_NEAR(ParseNumber(dialog.Field(FF::Theta).text), 14.2206, 1e-4);
  // sin θ/λ = 1/(2d) at the Bragg angle.
  EXPECT_NEAR(ParseNumber(dialog.Field(FF::SinThetaOverLambda).text), 1 / (2 * 3.13560123), 1e-8);
  EXPECT_TRUE(dialog.Field(FF::F0).text.empty());
}

TEST_F(FormFactorDialogs, CalculateShowsTheSixNumbersAndEditsClearThem) {
  FormFactorForm dialog = SiliconDialog();
  dialog.Calculate(ui);
  EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage();
  // f0 of Si at sin θ/λ = 0.1595 Å⁻¹: 10.53 electrons from the Cromer–Mann
  // coefficients of International Tables C, Table 6.1.1.4.
  EXPECT_NEAR(ParseNumber(dialog.Field(FF::F0).text), 10.53, 0.05);
  EXPECT_NEAR(ParseNumber(dialog.Field(FF::RealPart).text),
              ParseNumber(dialog.Field(FF::F0).text) + ParseNumber(dialog.Field(FF::FPrime).text), 2e-8);
  EXPECT_NEAR(ParseNumber(dialog.Field(FF::ImaginaryPart).text),
              ParseNumber(dialog.Field(FF::FDoublePrime).text) + ParseNumber(dialog.Field(FF::Compton).text), 2e-8);

  // Editing θ clears the results and updates sin θ/λ within 0..90 only.
  dialog.ThetaEdited("30");
  EXPECT_TRUE(dialog.Field(FF::F0).text.empty());
  EXPECT_NEAR(ParseNumber(dialog.Field(FF::SinThetaOverLambda).text), 0.5 / 1.540562, 1e-8);
  dialog.ThetaEdited("95");
  EXPECT_NEAR(ParseNumber(dialog.Field(FF::SinThetaOverLambda).text), 0.5 / 1.540562, 1e-8);
  EXPECT_TRUE(dialog.ThetaLeft(ui));
  EXPECT_EQ(dialog.Field(FF::Theta).text, "90");
  EXPECT_NEAR(ParseNumber(dialog.Field(FF::SinThetaOverLambda).text), 1 / 1.540562, 1e-8);

  dialog.Calculate(ui);
  EXPECT_FALSE(dialog.Field(FF::F0).text.empty());
  dialog.SelectElement(7);  // "Si", "====", H, He, Li, Be, B, C
  EXPECT_EQ(dialog.Field(FF::Element).text, "C");
  EXPECT_TRUE(dialog.Field(FF::F0).text.empty());
  dialog.Calculate(ui);
  // Carbon at sin θ/λ = 0.649 Å⁻¹: 1.48 from the same table's coefficients.
  EXPECT_NEAR(ParseNumber(dialog.Field(FF::F0).text), 1.48, 0.03);
}

TEST_F(FormFactorDialogs, RefusesTheSeparatorRowAnEnergyOfZeroAndTheWavevectorLimit) {
  FormFactorForm dialog = SiliconDialog();
  dialog.SelectElement(1);
  dialog.Calculate(ui);
  EXPECT_EQ(ui.LastMessage(), "Invalid elment!  ");
  EXPECT_EQ(ui.LastFocus(), "element");
  EXPECT_TRUE(dialog.Field(FF::F0).text.empty());
  dialog.SelectElement(0);

  // A value of zero or below: refused, and the box shows again the energy
  // still in use, with the focus.
  for (const char* typed : {"0", "-3", "abc"}) {
    dialog.EnergyEdited(typed);
    EXPECT_FALSE(dialog.EnergyLeft(ui));
    EXPECT_EQ(ui.LastMessage(), "Invalid wavelength or energy value!   ");
    EXPECT_EQ(ui.LastFocus(), "energy");
    EXPECT_EQ(dialog.Field(FF::Energy).text, "8.04798794");
    EXPECT_NEAR(dialog.EnergyEv(), kCuEnergy, 1e-5);
  }
  dialog.EnergyEdited("1e999");
  dialog.Calculate(ui);
  EXPECT_NE(ui.LastMessage().find("must be a finite number"), std::string::npos);
  EXPECT_TRUE(dialog.Field(FF::F0).text.empty());

  // 24.797 keV (λ = 0.5 Å) at θ = 60°: 4π·sin θ/λ = 21.8 Å⁻¹, beyond the fits.
  dialog.EnergyEdited("24.797");
  dialog.ThetaEdited("60");
  dialog.Calculate(ui);
  EXPECT_NEAR(dialog.Wavelength(), 0.5, 1e-4);
  EXPECT_NE(ui.LastMessage().find("should not be greater than 18.5"), std::string::npos);
  EXPECT_TRUE(dialog.Field(FF::F0).text.empty());
  EXPECT_FALSE(dialog.Values().has_value());
}

TEST_F(FormFactorDialogs, LoopOpensWithTheElementWavelengthAndEnergy) {
  FormFactorForm dialog = SiliconDialog();
  dialog.EnergyEdited("17.479");
  bool opened = false;
  ui.QueueDialog<FormLoopForm>([&](FormLoopForm& loop, UserInterface&) {
    opened = true;
    EXPECT_EQ(loop.Field(FL::Element).text, "Si");
    EXPECT_EQ(loop.Element(), 14);
    EXPECT_NEAR(loop.Wavelength(), 12.3984244 / 17.479, 1e-12);
    loop.SetMode(FormLoopMode::Angle);
    EXPECT_EQ(loop.Field(FL::Energy).text, "17.479");
    return DialogResult::Cancel;
  });
  dialog.Loop(ui);
  EXPECT_TRUE(opened);
  dialog.SelectElement(1);
  dialog.Loop(ui);
  EXPECT_EQ(ui.LastMessage(), "Invalid elment!  ");
  EXPECT_EQ(ui.dialogsRun.size(), 1u);
}

TEST_F(FormFactorDialogs, LoopDefaultsAndModes) {
  FormLoopForm loop = LoopDialog();
  EXPECT_EQ(loop.Mode(), FormLoopMode::Energy);
  EXPECT_EQ(loop.Field(FL::From).text, "0.1");
  EXPECT_EQ(loop.Field(FL::To).text, "20");
  EXPECT_EQ(loop.Field(FL::Step).text, "0.1");
  EXPECT_EQ(loop.Field(FL::FromUnit).text, "KeV");
  EXPECT_FALSE(loop.Field(FL::ShowsF0).checked);
  EXPECT_TRUE(loop.Field(FL::ShowsFPrime).checked && loop.Field(FL::ShowsFDoublePrime).checked &&
              loop.Field(FL::ShowsCompton).checked);
  EXPECT_TRUE(loop.Field(FL::Energy).text.empty());

  loop.SetMode(FormLoopMode::Angle);
  EXPECT_EQ(loop.Field(FL::StepUnit).text, "Degree");
  EXPECT_EQ(loop.Field(FL::From).text, "0");
  EXPECT_EQ(loop.Field(FL::To).text, "90");
  EXPECT_EQ(loop.Field(FL::Step).text, "1");
  EXPECT_TRUE(loop.Field(FL::ShowsF0).checked);
  EXPECT_FALSE(loop.Field(FL::ShowsCompton).checked);
  EXPECT_EQ(loop.Field(FL::Energy).text, "8.04799");

  loop.SetMode(FormLoopMode::Energy);
  EXPECT_EQ(loop.Field(FL::From).text, "5");
  EXPECT_EQ(loop.Field(FL::ToUnit).text, "KeV");
  EXPECT_TRUE(loop.Field(FL::Energy).text.empty());
}

TEST_F(FormFactorDialogs, LoopRefusesBadRangesWithFocus) {
  struct Case {
    FormLoopMode mode;
    double wavelength;
    const char *from, *to, *step;
    std::string message, focus;
  };
  const Case cases[] = {
      {FormLoopMode::Energy, 1.54, "-1", "20", "0.1", "Enter a number between 0 and 1000.", "from"},
      {FormLoopMode::Energy, 1.54, "1", "0", "0.1", "Enter a number between 1e-15 and 1000.", "to"},
      {FormLoopMode::Energy, 1.54, "1", "20", "x", "Enter a number.", "step"},
      {FormLoopMode::Energy, 1.54, "20", "10", "0.1", "Invalid range parameters !", "from"},
      {FormLoopMode::Energy, 1.54, "0", "20", "0.1", "Please enter a value greater than 1e-15.", "from"},
      {FormLoopMode::Energy, 1.54, "1", "600", "1", "Please enter a value no greater than than 500.", "to"},
      {FormLoopMode::Angle, 0.5, "0", "48", "1", "Please enter a value no greater than 47.3995", "to"},
  };
  for (const Case& c : cases) {
    FormLoopForm loop = LoopDialog(c.wavelength);
    if (c.mode == FormLoopMode::Angle) loop.SetMode(c.mode);
    loop.Field(FL::From).text = c.from;
    loop.Field(FL::To).text = c.to;
    loop.Field(FL::Step).text = c.step;
    loop.Export(ui);
    EXPECT_EQ(ui.LastMessage(), c.message) << c.from << " " << c.to << " " << c.step;
    EXPECT_EQ(ui.LastFocus(), c.focus) << c.message;
  }
  EXPECT_TRUE(ui.saveRequests.empty());
  // Every angle up to 90° keeps Cu Kα1 within the f0 fits.
  FormLoopForm wide = LoopDialog(1.540562);
  wide.SetMode(FormLoopMode::Angle);
  ui.QueueSaveFile(std::nullopt);
  wide.Export(ui);
  EXPECT_EQ(ui.saveRequests.size(), 1u);
}

TEST_F(FormFactorDialogs, LoopExportsInTheBackgroundAndCancelKeepsTheOldFile) {
  testing::TemporaryDirectory directory;
  const auto file = directory.Write("si.dat", "previous table\r\n");
  FormLoopForm loop = LoopDialog();

  ui.cancelProgress = true;
  ui.QueueSaveFile(file);
  loop.Export(ui);
  ASSERT_EQ(ui.tasksRun.size(), 1u);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(testing::ReadWholeFile(file), "previous table\r\n");
  EXPECT_FALSE(loop.LastExport().has_value());

  ui.cancelProgress = false;
  ui.QueueSaveFile(file);
  loop.Export(ui);
  ASSERT_EQ(ui.saveRequests.size(), 2u);
  EXPECT_EQ(ui.saveRequests[1].title, "Export Data");
  EXPECT_EQ(ui.saveRequests[1].filter, "Data File (*.dat)|*.dat|All Files (*.*)|*.*||");
  EXPECT_EQ(ui.saveRequests[1].defaultExtension, "dat");
  EXPECT_EQ(ui.LastMessage(), "Done !");
  ASSERT_TRUE(loop.LastExport().has_value());
  EXPECT_EQ(loop.LastExport()->lines, 198);
  EXPECT_FALSE(ui.progressReports.empty());
  const std::string table = testing::ReadWholeFile(file);
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 198);
}

}  // namespace
}  // namespace velto::programs
