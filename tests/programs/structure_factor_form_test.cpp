// The structure-factor program as a person uses it, through the scripted
// user interface: import, the reflection, energy and temperature, the two
// levels of out-of-date results, the copy into the shared chi store.
#include <gtest/gtest.h>

#include <cmath>

#include "core/Units.h"
#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"
#include "programs/form_factor/FormFactorForm.h"
#include "programs/structure_factor/StructureFactorForm.h"
#include "shell/NumberText.h"
#include "support/FakeUserInterface.h"
#include "support/TestFiles.h"

namespace velto::programs {
namespace {

using F = StructureFactorField;
using shell::ParseNumber;
using testing::FakeUserInterface;

class StructureFactorWindow : public ::testing::Test {
 protected:
  StructureFactorWindow() : app(state) {
    state.exeDirectory = testing::BuildDataDirectory();
    form = std::make_unique<StructureFactorForm>(app);
  }

  void ImportSilicon() {
    ui.QueueOpenFile(state.exeDirectory / "Silicon.struct");
    form->ImportStructure(ui);
  }
  void SetHkl(const char* h, const char* k, const char* l) {
    form->Field(F::H).text = h;
    form->Field(F::K).text = k;
    form->Field(F::L).text = l;
  }
  void SetEnergyKev(const char* kev) {
    ui.QueueDialog<ChangeWavelengthForm>([kev](ChangeWavelengthForm& dialog, UserInterface& inner) {
      dialog.EnergyEdited(kev);
      return dialog.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
    });
    form->PhotonEnergy(ui);
  }
  double Number(F id) const { return ParseNumber(form->Field(id).text); }
  // Greyed result boxes of the forward direction and of the reflection.
  int Greyed(bool reflection) const {
    int n = 0;
    for (int i = static_cast<int>(F::DSpacing); i < static_cast<int>(F::Count); ++i) {
      const auto id = static_cast<F>(i);
      if (StructureFactorForm::IsReflectionResult(id) == reflection && !form->Field(id).enabled) ++n;
    }
    return n;
  }

  shell::MainFrameState state;
  AppContext app;
  FakeUserInterface ui;
  std::unique_ptr<StructureFactorForm> form;
};

TEST_F(StructureFactorWindow, OpensEmptyAndAsksForAStructureFirst) {
  EXPECT_EQ(form->Field(F::Status).text, " No structure imported yet");
  EXPECT_EQ(form->Field(F::Energy).text, "8.04798794");
  EXPECT_EQ(form->Field(F::Temperature).text, "293.15");
  EXPECT_EQ(form->TemperatureList(), state.presets.temperatures);
  EXPECT_EQ(form->Field(F::H).text, "0");
  // Out of date from the start, but greyed only once an input changes.
  EXPECT_TRUE(form->Stale());
  EXPECT_EQ(Greyed(false) + Greyed(true), 0);
  EXPECT_TRUE(form->Field(F::Chi0Real).text.empty());

  form->Calculate(ui);
  EXPECT_EQ(ui.LastMessage(), "Please click on the \"Import Crystal Structure\" button    \nto import a structure file "
                              "before calculation.");
  EXPECT_EQ(ui.LastFocus(), "import");
  EXPECT_FALSE(form->Results().has_value());
}

TEST_F(StructureFactorWindow, SiliconOneOneOneAtCopperKAlpha) {
  ImportSilicon();
  EXPECT_EQ(form->Field(F::Status).text, " Silicon");
  SetHkl("1", "1", "1");
  form->Calculate(ui);
  EXPECT_TRUE(ui.messages.empty()) << ui.LastMessage();
  EXPECT_FALSE(form->Stale());
  EXPECT_EQ(Greyed(false) + Greyed(true), 0);
  // d = a/√3 with 8 decimals, θB = 14.221° (X-ray Data Booklet).
  EXPECT_EQ(form->Field(F::DSpacing).text, shell::FormatNumber(5.43102064 / std::sqrt(3.0), 8));
  EXPECT_NEAR(Number(F::BraggAngle), 14.221, 0.002);
  // Results with 5 decimals: F0 counts 8 × (14 + f′) ≈ 114 electrons.
  EXPECT_EQ(form->Field(F::F0Modulus).text, shell::FormatNumber(Number(F::F0Modulus), 5));
  EXPECT_NEAR(Number(F::F0Modulus), 114.0, 0.5);
  // µ of silicon at Cu Kα1: 141 cm⁻¹ (Chantler, NIST FFAST), a depth 1/µ.
  EXPECT_NEAR(Number(F::Absorption), 0.0141, 0.0141 * 0.05);
  EXPECT_NEAR(Number(F::PenetrationDepth), 1 / Number(F::Absorption), 0.01);
  // The π boxes carry |cos 2θB| on the whole amplitude.
  const double p = std::cos(2 * Number(F::BraggAngle) * core::kDegree);
  EXPECT_NEAR(Number(F::FhPiModulus), p * Number(F::FhModulus), 1e-4);
  EXPECT_EQ(form->Field(F::FhPiPhase).text, form->Field(F::FhPhase).text);
  EXPECT_NEAR(Number(F::ChihPiReal), p * Number(F::ChihReal), 1e-5);
  EXPECT_NEAR(Number(F::ChimhPiImaginary), p * Number(F::ChimhImaginary), 1e-5);
}

TEST_F(StructureFactorWindow, InputsGreyTheResultsTheyInvalidate) {
  ImportSilicon();
  // Importing changes everything; with nothing computed yet all boxes grey.
  EXPECT_GT(Greyed(false), 0);
  EXPECT_GT(Greyed(true), 0);
  SetHkl("2", "2", "0");
  form->Calculate(ui);
  ASSERT_FALSE(form->Stale());

  // Indices touch only the reflection's results.
  form->Field(F::L).text = "4";
  form->IndexEdited();
  EXPECT_TRUE(form->Stale());
  EXPECT_EQ(Greyed(false), 0);
  EXPECT_EQ(Greyed(true), 18);  // d, θB, and modulus, phase and χ of the four reflection components
  form->Calculate(ui);
  EXPECT_EQ(Greyed(true), 0);

  // Temperature and energy change the forward results too.
  form->Field(F::Temperature).text = "80";
  form->TemperatureEdited();
  EXPECT_GT(Greyed(false), 0);
  form->Calculate(ui);
  SetEnergyKev("17.4");
  EXPECT_EQ(form->Field(F::Energy).text, "17.4");
  EXPECT_GT(Greyed(false), 0);
  EXPECT_GT(Greyed(true), 0);
  form->Calculate(ui);
  EXPECT_FALSE(form->Stale());
  EXPECT_NEAR(form->EnergyEv(), 17400, 1e-9);

  // A cancelled energy dialog or file dialog changes nothing.
  ui.QueueDialog<ChangeWavelengthForm>([](ChangeWavelengthForm&, UserInterface&) { return DialogResult::Cancel; });
  form->PhotonEnergy(ui);
  ui.QueueOpenFile(std::nullopt);
  form->ImportStructure(ui);
  EXPECT_FALSE(form->Stale());
  EXPECT_EQ(form->Field(F::Status).text, " Silicon");
  EXPECT_TRUE(form->Structure().IsLoaded());
}

TEST_F(StructureFactorWindow, TemperatureIsTakenWhenItMovesByAMillikelvin) {
  ImportSilicon();
  SetHkl("4", "4", "4");
  form->Calculate(ui);
  const double at29315 = Number(F::FhModulus);

  form->Field(F::Temperature).text = "293.1505";
  form->Calculate(ui);
  EXPECT_EQ(form->Temperature(), 293.15);
  EXPECT_EQ(Number(F::FhModulus), at29315);

  form->Field(F::Temperature).text = "300";
  form->Calculate(ui);
  EXPECT_EQ(form->Temperature(), 300);
  EXPECT_EQ(form->Field(F::Temperature).text, "300");
  // Warmer atoms vibrate more: the Debye–Waller factor lowers |F_444|.
  EXPECT_LT(Number(F::FhModulus), at29315);

  // Leaving the box never shows a temperature of zero or below.
  form->Field(F::Temperature).text = "-5";
  form->TemperatureLeft();
  EXPECT_EQ(Number(F::Temperature), 1e-6);
  form->Field(F::Temperature).text = "1e999";
  form->Calculate(ui);
  EXPECT_EQ(ui.LastFocus(), "temperature");
  EXPECT_EQ(form->Temperature(), 300);
}

TEST_F(StructureFactorWindow, RefusedIndicesKeepTheResults) {
  ImportSilicon();
  SetHkl("1", "1", "1");
  form->Calculate(ui);
  const std::string shown = form->Field(F::ChihReal).text;
  SetHkl("1", "1000", "1");
  form->Calculate(ui);
  EXPECT_EQ(ui.LastMessage(), "Enter an integer between -999 and 999.");
  EXPECT_EQ(ui.LastFocus(), "k");
  SetHkl("x", "1", "1");
  form->Calculate(ui);
  EXPECT_EQ(ui.LastMessage(), "Enter an integer.");
  EXPECT_EQ(ui.LastFocus(), "h");
  EXPECT_EQ(form->Field(F::ChihReal).text, shown);
}

TEST_F(StructureFactorWindow, ForwardOnlyAndNoDiffraction) {
  ImportSilicon();
  form->Calculate(ui);  // 0 0 0
  EXPECT_FALSE(form->Field(F::Chi0Real).text.empty());
  EXPECT_FALSE(form->Field(F::Absorption).text.empty());
  for (F id : {F::DSpacing, F::BraggAngle, F::FhModulus, F::ChihReal, F::ChimhPiImaginary}) {
    EXPECT_TRUE(form->Field(id).text.empty());
  }
  EXPECT_TRUE(ui.messages.empty());

  SetEnergyKev("1");
  SetHkl("1", "1", "1");
  form->Calculate(ui);
  EXPECT_EQ(ui.LastMessage(), "OOps! d-spacing too small to satisfy Bragg condition!    ");
  EXPECT_EQ(form->Field(F::BraggAngle).text, "No diffraction!");
  EXPECT_FALSE(form->Field(F::DSpacing).text.empty());
  EXPECT_TRUE(form->Field(F::FhModulus).text.empty());
  EXPECT_TRUE(form->Field(F::ChihImaginary).text.empty());
  EXPECT_FALSE(form->Field(F::F0Modulus).text.empty());
}

TEST_F(StructureFactorWindow, CopyChiFillsTheStoreTheCrystalDialogPastes) {
  ImportSilicon();
  form->CopyChi(ui);
  EXPECT_EQ(ui.LastMessage(), StructureFactorForm::kNothingToCopyMessage);
  EXPECT_FALSE(app.ChiClipboard().HasChi());

  SetHkl("1", "1", "1");
  form->Calculate(ui);
  form->CopyChi(ui);
  ASSERT_TRUE(app.ChiClipboard().HasChi());
  const auto& store = app.ChiClipboard().Values();
  for (int i = 0; i < 6; ++i) EXPECT_DOUBLE_EQ(store[i], Number(StructureFactorForm::ChiField(i)) * 1e-6) << i;
  // The crystal holds π components without the polarisation factor.
  for (int i = 6; i < 10; ++i) EXPECT_DOUBLE_EQ(store[i], store[i - 4]) << i;
  EXPECT_EQ(ui.clipboard.rfind("(" + form->Field(F::Chi0Real).text.substr(0, 7), 0), 0u) << ui.clipboard;

  // The crystal dialog of a program, in manual mode, takes them.
  crystal::CrystalParams crystal;
  CrystalParamsForm dialog(app, crystal, form->EnergyEv());
  dialog.ToggleManual();
  dialog.CopyFromBrennan(ui);
  EXPECT_EQ(dialog.Chi(2).text, form->Field(F::ChihReal).text);
  EXPECT_EQ(dialog.Chi(9).text, form->Field(F::ChimhImaginary).text);
}

TEST_F(StructureFactorWindow, MissingEngineDataIsToldAndTriedAgain) {
  ImportSilicon();
  SetHkl("1", "1", "1");
  testing::TemporaryDirectory empty;
  state.exeDirectory = empty.path();
  form->Calculate(ui);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(ui.LastMessage().rfind("Failed to open file \"StructFactor.Data\"", 0), 0u);
  EXPECT_TRUE(form->Stale());
  EXPECT_FALSE(form->Results().has_value());

  state.exeDirectory = testing::BuildDataDirectory();
  form->Calculate(ui);
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_FALSE(form->Stale());
}

TEST_F(StructureFactorWindow, DebyeWallerAndFormFactorButtons) {
  form->DebyeWallerTemperatures(ui);
  EXPECT_EQ(ui.LastMessage(), "Crystal not available yet!");
  ImportSilicon();
  form->DebyeWallerTemperatures(ui);
  EXPECT_EQ(ui.messages.back().icon, MessageIcon::Information);
  EXPECT_EQ(ui.LastMessage().rfind("Debye-Waller temperatures:\n\tSi:  530.82 K\n", 0), 0u);

  SetHkl("1", "1", "1");
  form->Calculate(ui);
  bool opened = false;
  ui.QueueDialog<FormFactorForm>([&](FormFactorForm& dialog, UserInterface&) {
    opened = true;
    EXPECT_EQ(dialog.ElementRows()[0], "Si");
    EXPECT_EQ(dialog.ElementRows()[1], "====");
    EXPECT_NEAR(dialog.ThetaDegrees(), Number(F::BraggAngle), 1e-7);
    EXPECT_DOUBLE_EQ(dialog.EnergyEv(), form->EnergyEv());
    return DialogResult::Cancel;
  });
  form->FormFactor(ui);
  EXPECT_TRUE(opened);
}

}  // namespace
}  // namespace velto::programs
