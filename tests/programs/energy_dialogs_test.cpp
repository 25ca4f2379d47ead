#include <gtest/gtest.h>

#include <cmath>

#include "programs/energy_dialogs/ChangeWavelengthForm.h"
#include "programs/energy_dialogs/SetBraggForm.h"
#include "shell/NumberText.h"
#include "support/FakeUserInterface.h"

namespace velto::programs {
namespace {

using shell::FormatNumber;
using shell::ParseNumber;
using testing::FakeUserInterface;

constexpr double kCuEnergy = 8047.987942062702;
constexpr double kSi111 = 5.43102064 / 1.7320508075688772;  // d of Si 111, Å

TEST(ChangeWavelength, OpensInEnergyModeWithTheCopperLine) {
  const ChangeWavelengthForm form(kCuEnergy, shell::DefaultPresetLists());
  EXPECT_EQ(form.CurrentMode(), ChangeWavelengthForm::Mode::Energy);
  EXPECT_EQ(form.EnergyBox().text, "8.04798794");
  EXPECT_EQ(form.WavelengthBox().text, "1.540562");
  EXPECT_TRUE(form.EnergyBox().enabled);
  EXPECT_FALSE(form.WavelengthBox().enabled);
  EXPECT_EQ(form.EnergyList(), shell::DefaultPresetLists().energies);
  // Without a reflection there is no back-diffraction energy and no Bragg angle.
  EXPECT_FALSE(form.BackDiffractionButton().visible);
  EXPECT_FALSE(form.SetBraggButton().enabled);
}

TEST(ChangeWavelength, WavelengthModeTypingOneAngstromGivesHcOnOk) {
  FakeUserInterface ui;
  ChangeWavelengthForm form(kCuEnergy, shell::DefaultPresetLists());
  form.SetMode(ChangeWavelengthForm::Mode::Wavelength);
  EXPECT_FALSE(form.EnergyBox().enabled);
  EXPECT_TRUE(form.WavelengthBox().enabled);
  form.WavelengthEdited("1");
  EXPECT_EQ(form.EnergyBox().text, "12.3984244");
  ASSERT_TRUE(form.Ok(ui));
  EXPECT_DOUBLE_EQ(form.EnergyEv(), 12398.4244);
  EXPECT_DOUBLE_EQ(form.WavelengthAngstrom(), 1.0);
  EXPECT_TRUE(ui.messages.empty());
}

TEST(ChangeWavelength, PickingAListEntryAndLeavingDropsItsLabel) {
  ChangeWavelengthForm form(12000, shell::DefaultPresetLists());
  form.EnergyEdited(form.EnergyList()[0]);
  EXPECT_EQ(form.WavelengthBox().text, "1.540562");
  form.EnergyLeft();
  EXPECT_EQ(form.EnergyBox().text, "8.04798794");
  form.EnergyEdited("0");
  EXPECT_EQ(form.WavelengthBox().text, "");
}

TEST(ChangeWavelength, RefusesAnEnergyThatIsNotPositive) {
  for (const char* text : {"", "abc", "0", "-3"}) {
    FakeUserInterface ui;
    ChangeWavelengthForm form(kCuEnergy, shell::DefaultPresetLists());
    form.EnergyEdited(text);
    EXPECT_FALSE(form.Ok(ui)) << text;
    EXPECT_EQ(ui.LastMessage(), "Invalid photon energy or wavelength.  ");
    EXPECT_DOUBLE_EQ(form.EnergyEv(), kCuEnergy);  // nothing taken
  }
}

TEST(ChangeWavelength, RefusesTextsThatReadAsInfinityOrNotANumberNamingTheBoxTyped) {
  {
    FakeUserInterface ui;
    ChangeWavelengthForm form(kCuEnergy, shell::DefaultPresetLists());
    form.EnergyEdited("1e999");
    EXPECT_FALSE(form.Ok(ui));
    EXPECT_EQ(ui.LastMessage(), "\"Photon Energy\" must be a finite number, not \"1e999\".   ");
    EXPECT_EQ(ui.LastFocus(), ChangeWavelengthForm::kEnergyField);
    EXPECT_DOUBLE_EQ(form.EnergyEv(), kCuEnergy);
  }
  FakeUserInterface ui;
  ChangeWavelengthForm form(kCuEnergy, shell::DefaultPresetLists());
  form.SetMode(ChangeWavelengthForm::Mode::Wavelength);
  form.WavelengthEdited("nan");
  form.WavelengthLeft();
  EXPECT_EQ(form.WavelengthBox().text, "nan");
  EXPECT_FALSE(form.Ok(ui));
  EXPECT_EQ(ui.LastMessage(), "\"Wavelength\" must be a finite number, not \"nan\".   ");
  EXPECT_EQ(ui.LastFocus(), ChangeWavelengthForm::kWavelengthField);
  EXPECT_DOUBLE_EQ(form.EnergyEv(), kCuEnergy);
}

TEST(ChangeWavelength, BackDiffractionEnergyPutsTheBraggAngleJustBeyondNinetyDegrees) {
  ChangeWavelengthForm form(kCuEnergy, shell::DefaultPresetLists(), kSi111, "1 1 1");
  ASSERT_TRUE(form.BackDiffractionButton().visible);
  EXPECT_EQ(form.BackDiffractionButton().text, "Set (1 1 1) Back Diffraction Bragg Energy");
  EXPECT_TRUE(form.SetBraggButton().enabled);
  form.SetBackDiffractionEnergy();
  EXPECT_EQ(form.EnergyBox().text, FormatNumber(6199.2122 / kSi111 / 1000 - 1e-8, 8));
  const double energyKev = ParseNumber(form.EnergyBox().text);
  EXPECT_GT(12.3984244 / energyKev / (2 * kSi111), 1.0);
  EXPECT_LT(12.3984244 / energyKev / (2 * kSi111), 1.0 + 1e-7);
}

TEST(ChangeWavelength, BraggAngleStartsAtTheCurrentAngleAndSetsTheEnergy) {
  FakeUserInterface ui;
  ChangeWavelengthForm form(kCuEnergy, shell::DefaultPresetLists(), kSi111, "1 1 1");
  std::string shownAngle;
  ui.QueueDialog<SetBraggForm>([&](SetBraggForm& bragg, UserInterface& inner) {
    shownAngle = bragg.Angle().text;
    bragg.Angle().text = "30";
    return bragg.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
  });
  form.SetBraggAngle(ui);
  // Si 111 at Cu Kα1: θB = 14.221° (the textbook value, without refraction).
  EXPECT_NEAR(ParseNumber(shownAngle), 14.221, 1e-3);
  // λ = 2 d sin 30° = d.
  EXPECT_NEAR(ParseNumber(form.WavelengthBox().text), kSi111, 1e-8);
  EXPECT_NEAR(ParseNumber(form.EnergyBox().text), 12.3984244 / kSi111, 1e-8);
}

TEST(ChangeWavelength, CancelledBraggDialogLeavesTheEnergy) {
  FakeUserInterface ui;
  ChangeWavelengthForm form(1900, shell::DefaultPresetLists(), kSi111, "1 1 1");
  std::string shownAngle = "unset";
  ui.QueueDialog<SetBraggForm>([&](SetBraggForm& bragg, UserInterface&) {
    shownAngle = bragg.Angle().text;
    return DialogResult::Cancel;
  });
  form.SetBraggAngle(ui);
  EXPECT_EQ(shownAngle, "");  // 1.9 keV (6.5 Å > 2d) cannot reach Si 111: no angle to start from
  EXPECT_EQ(form.EnergyBox().text, "1.9");
}

TEST(SetBragg, AcceptsAnglesAboveZeroUpToNinetyDegrees) {
  for (const char* text : {"0", "-1", "90.0001", "abc", ""}) {
    FakeUserInterface ui;
    SetBraggForm form(-1);
    form.Angle().text = text;
    EXPECT_FALSE(form.Ok(ui)) << text;
    EXPECT_EQ(ui.LastMessage(), "Please input an angle greater than 0 but less than 90 deg.");
    EXPECT_EQ(ui.LastFocus(), SetBraggForm::kAngleField);
  }
  {
    FakeUserInterface ui;
    SetBraggForm form(-1);
    form.Angle().text = "1e999";
    EXPECT_FALSE(form.Ok(ui));
    EXPECT_EQ(ui.LastMessage(), "\"Bragg angle\" must be a finite number, not \"1e999\".   ");
    EXPECT_EQ(ui.LastFocus(), SetBraggForm::kAngleField);
  }
  FakeUserInterface ui;
  ChangeWavelengthForm form(kCuEnergy, shell::DefaultPresetLists(), 2.0, "2 2 0");
  ui.QueueDialog<SetBraggForm>([](SetBraggForm& bragg, UserInterface& inner) {
    bragg.Angle().text = "90";
    return bragg.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
  });
  form.SetBraggAngle(ui);
  EXPECT_EQ(form.WavelengthBox().text, "4");  // λ = 2d at exactly 90°
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace velto::programs
