#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <cmath>

#include "GuiTestSupport.h"
#include "core/Units.h"
#include "crystal/Susceptibility.h"
#include "gui/CAboutDlg.h"
#include "gui/CChangWavLen.h"
#include "gui/CDlgCrystParams.h"
#include "gui/InputWidgets.h"
#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"
#include "shell/NumberText.h"
#include "shell/StartupFiles.h"
#include "support/FakeUserInterface.h"
#include "support/TestFiles.h"

namespace velto::gui {
namespace {

using shell::FormatNumber;

constexpr double kCuEnergy = 8047.987942062702;

void LeaveField(QWidget* widget) {
  QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(widget, &focusOut);
}

void Retype(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

TEST(CrystalDialogView, LoadsTheSiliconExampleAndShowsOneOneOne) {
  shell::MainFrameState state;
  state.exeDirectory = velto::testing::BuildDataDirectory();
  programs::AppContext app(state);
  crystal::CrystalParams crystal;
  programs::CrystalParamsForm form(app, crystal, kCuEnergy);
  velto::testing::FakeUserInterface chooser;  // the file dialog answers with the example
  chooser.QueueOpenFile(state.exeDirectory / "Silicon.struct");

  QtUserInterface parentUi(nullptr);
  CDlgCrystParams dialog(nullptr, form, parentUi);
  dialog.SetUserInterface(chooser);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), " Define or Modify Crystal and its Parameters");

  dialog.StructureButton()->click();
  EXPECT_EQ(dialog.NameBox()->text(), "Silicon");
  EXPECT_TRUE(dialog.NameBox()->isReadOnly());
  EXPECT_EQ(dialog.NameBox()->palette().color(QPalette::Active, QPalette::Base), kResultBackground);

  for (int i = 0; i < 3; ++i) dialog.IndexBox(i)->setValue(1);
  dialog.CalculateButton()->click();
  EXPECT_TRUE(chooser.messages.empty());

  // What the dialog must show, worked out here from the lattice and the
  // susceptibility routines directly.
  crystal::CrystalParams reference;
  velto::testing::FakeUserInterface quiet;
  quiet.QueueOpenFile(state.exeDirectory / "Silicon.struct");
  ASSERT_TRUE(app.ChooseAndLoadStructure(quiet, reference.structure, 293.15));
  const double d = 5.43102064 / std::sqrt(3.0);
  const double theta = std::asin(core::kHcEvAngstrom / kCuEnergy / (2 * d)) / core::kDegree;
  const auto chi = crystal::ComputeReflectionChi(reference.structure, kCuEnergy, 1, 1, 1, quiet).ToArray();

  EXPECT_EQ(dialog.DBox()->text(), "3.13560123");
  EXPECT_EQ(dialog.DBox()->text(), QString::fromStdString(FormatNumber(d, 8)));
  EXPECT_EQ(dialog.ThetaBox()->text(), QString::fromStdString(FormatNumber(theta, 8)));
  EXPECT_TRUE(dialog.ThetaBox()->text().startsWith("14.22"));
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(dialog.ChiBox(i)->text(),
              QString::fromStdString(FormatNumber(chi[static_cast<std::size_t>(i)] * 1e6, 5)))
        << "chi box " << i;
    EXPECT_TRUE(dialog.ChiBox(i)->isReadOnly());
  }
  EXPECT_TRUE(dialog.ChiBox(0)->text().startsWith("-15.1"));

  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  form.Apply();
  EXPECT_EQ(crystal.h, 1);
  EXPECT_NEAR(crystal.d, d, 1e-12);
}

TEST(CrystalDialogView, ManualModeUnlocksTheBoxes) {
  shell::MainFrameState state;
  programs::AppContext app(state);
  crystal::CrystalParams crystal;
  programs::CrystalParamsForm form(app, crystal, kCuEnergy);
  QtUserInterface parentUi(nullptr);
  CDlgCrystParams dialog(nullptr, form, parentUi);
  dialog.show();
  dialog.ManualBox()->click();
  EXPECT_TRUE(dialog.ManualBox()->isChecked());
  EXPECT_FALSE(dialog.DBox()->isReadOnly());
  EXPECT_FALSE(dialog.ChiBox(4)->isReadOnly());
  EXPECT_FALSE(dialog.CalculateButton()->isEnabled());
  Retype(dialog.DBox(), "2");
  EXPECT_EQ(dialog.ThetaBox()->text(),
            QString::fromStdString(FormatNumber(std::asin(1.540562 / 4) / core::kDegree, 8)));
}

TEST(EnergyDialogView, RoundTripInEnergyMode) {
  const shell::PresetLists presets = shell::DefaultPresetLists();
  programs::ChangeWavelengthForm form(kCuEnergy, presets);
  QtUserInterface parentUi(nullptr);
  CChangWavLen dialog(nullptr, form, parentUi);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), " Set X-ray Wavelength or Photon Energy");
  EXPECT_EQ(dialog.EnergyCombo()->currentText(), "8.04798794");
  EXPECT_EQ(dialog.WavelengthCombo()->currentText(), "1.540562");
  EXPECT_TRUE(dialog.EnergyCombo()->isEnabled());
  EXPECT_FALSE(dialog.WavelengthCombo()->isEnabled());
  EXPECT_FALSE(dialog.SetBraggButton()->isEnabled());
  EXPECT_TRUE(dialog.BackDiffractionButton()->isHidden());
  EXPECT_EQ(dialog.EnergyCombo()->count(), 1);

  Retype(dialog.EnergyCombo()->lineEdit(), "17.4793");
  EXPECT_EQ(dialog.WavelengthCombo()->currentText(), QString::fromStdString(FormatNumber(12.3984244 / 17.4793, 8)));
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_DOUBLE_EQ(form.EnergyEv(), 17479.3);
}

TEST(EnergyDialogView, RoundTripInWavelengthMode) {
  const shell::PresetLists presets = shell::DefaultPresetLists();
  programs::ChangeWavelengthForm form(kCuEnergy, presets);
  QtUserInterface parentUi(nullptr);
  CChangWavLen dialog(nullptr, form, parentUi);
  dialog.show();
  dialog.WavelengthMode()->click();
  EXPECT_FALSE(dialog.EnergyCombo()->isEnabled());
  EXPECT_TRUE(dialog.WavelengthCombo()->isEnabled());
  Retype(dialog.WavelengthCombo()->lineEdit(), "1");
  EXPECT_EQ(dialog.EnergyCombo()->currentText(), "12.3984244");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_DOUBLE_EQ(form.EnergyEv(), 12398.4244);
  EXPECT_DOUBLE_EQ(form.WavelengthAngstrom(), 1.0);
}

// The preset lists of a laboratory's VELTO2.INI.
shell::PresetLists LaboratoryPresets(const velto::testing::TemporaryDirectory& dir) {
  const auto ini = dir.Write("VELTO2.INI",
                             "3\n1.54056200 (Cu-Ka1)\n0.70930000 (Mo-Ka1)\n1.2 (test)\n"
                             "3\n8.04798794 (Cu-Ka1)\n17.47934000 (Mo-Ka1)\n12.3984244 (1 A)\n"
                             "1\n293.15\n");
  return shell::ReadPresetsIni(ini);
}

TEST(EnergyDialogView, AppliesExactlyWhatWasTypedWithPresetsLoaded) {
  velto::testing::TemporaryDirectory dir;
  const shell::PresetLists presets = LaboratoryPresets(dir);
  ASSERT_EQ(presets.energies.size(), 3u);
  struct Case {
    bool wavelength;
    const char* typed;
    const char* energyShown;
    double energyEv;
  };
  // Each typed text is the start of a preset, which must not replace it.
  for (const Case c : {Case{false, "8", "8", 8000.0}, Case{false, "17", "17", 17000.0},
                       Case{true, "1", "12.3984244", 12398.4244}}) {
    programs::ChangeWavelengthForm form(kCuEnergy, presets);
    QtUserInterface parentUi(nullptr);
    CChangWavLen dialog(nullptr, form, parentUi);
    dialog.show();
    // Active and focused, as for a person typing: list completion works only so.
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    if (c.wavelength) dialog.WavelengthMode()->click();
    CWLCombo* box = c.wavelength ? dialog.WavelengthCombo() : dialog.EnergyCombo();
    box->lineEdit()->setFocus();
    ASSERT_TRUE(box->lineEdit()->hasFocus());
    Retype(box->lineEdit(), c.typed);
    EXPECT_EQ(FromQt(box->currentText()), c.typed);
    LeaveField(box->lineEdit());
    EXPECT_EQ(FromQt(box->currentText()), c.typed);
    EXPECT_EQ(FromQt(dialog.EnergyCombo()->currentText()), c.energyShown);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted) << c.typed;
    EXPECT_DOUBLE_EQ(form.EnergyEv(), c.energyEv) << c.typed;
    // What the boxes show is what was applied.
    EXPECT_DOUBLE_EQ(shell::ParseNumber(FromQt(dialog.EnergyCombo()->currentText())) * 1000, form.EnergyEv());
  }
}

TEST(EnergyDialogView, APickedPresetLosesItsLabelWhenLeftAndIsWhatOkApplies) {
  velto::testing::TemporaryDirectory dir;
  const shell::PresetLists presets = LaboratoryPresets(dir);
  programs::ChangeWavelengthForm form(kCuEnergy, presets);
  QtUserInterface parentUi(nullptr);
  CChangWavLen dialog(nullptr, form, parentUi);
  dialog.show();
  CWLCombo* energy = dialog.EnergyCombo();
  energy->setCurrentIndex(1);
  emit energy->textActivated(energy->itemText(1));
  EXPECT_EQ(dialog.WavelengthCombo()->currentText(), QString::fromStdString(FormatNumber(12.3984244 / 17.47934, 8)));
  LeaveField(energy->lineEdit());
  EXPECT_EQ(energy->currentText(), "17.47934");
  dialog.accept();
  EXPECT_DOUBLE_EQ(form.EnergyEv(), 17479.34);
}

TEST(EnergyDialogView, RefusesAZeroEnergyAndStaysOpen) {
  const shell::PresetLists presets = shell::DefaultPresetLists();
  programs::ChangeWavelengthForm form(kCuEnergy, presets);
  QtUserInterface parentUi(nullptr);
  CChangWavLen dialog(nullptr, form, parentUi);
  dialog.show();
  Retype(dialog.EnergyCombo()->lineEdit(), "0");
  EXPECT_EQ(dialog.WavelengthCombo()->currentText(), "");
  QString shown;
  testing::CloseNextModal([&](const QString& text) { shown = text; });
  dialog.accept();
  EXPECT_EQ(shown, "Invalid photon energy or wavelength.  ");
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_DOUBLE_EQ(form.EnergyEv(), kCuEnergy);
}

TEST(InputWidgets, StepGroupFollowsTheChosenStep) {
  QWidget window;
  QLineEdit field(&window);
  field.setText("10");
  auto* plus = new CBTNRightClk(&window);
  auto* minus = new CBTNRightClk(&window);
  StepButtonGroupBinding group({minus, plus}, {false, true}, 2, &field, &window);
  EXPECT_EQ(minus->text(), "-10");
  EXPECT_EQ(plus->text(), "+10");
  emit plus->stepChosen(4);  // as from the partner's "Stepsize" menu
  EXPECT_EQ(minus->text(), "-0.1");
  EXPECT_EQ(plus->text(), "+0.1");
  plus->click();
  EXPECT_EQ(field.text(), "10.1");
  minus->click();
  minus->click();
  EXPECT_EQ(field.text(), "9.9");
  EXPECT_EQ(plus->toolTip(), "Right-click to change step");
}

TEST(InputWidgets, ListsRewriteTheirTextWhenLeft) {
  QWidget window;
  auto* wavelength = new CWLCombo(&window);
  auto* partner = new QLineEdit(&window);
  wavelength->setPartner([partner](const QString& text) { partner->setText(text); });
  wavelength->addItem("1.54056200 (Cu-Ka1)");
  window.show();
  wavelength->lineEdit()->clear();
  QTest::keyClicks(wavelength->lineEdit(), "2");
  EXPECT_EQ(partner->text(), "6.1992122");
  wavelength->lineEdit()->clear();
  QTest::keyClicks(wavelength->lineEdit(), "x");
  EXPECT_EQ(partner->text(), "");
  LeaveField(wavelength->lineEdit());
  EXPECT_EQ(wavelength->currentText(), "");
  wavelength->setEditText("1.54056200 (Cu-Ka1)");
  LeaveField(wavelength->lineEdit());
  EXPECT_EQ(wavelength->currentText(), "1.540562");

  auto* temperature = new CTempCombo(&window);
  int grayed = 0;
  QObject::connect(temperature, &CTempCombo::grayResults, [&grayed] { ++grayed; });
  QTest::keyClicks(temperature->lineEdit(), "-5");
  EXPECT_EQ(grayed, 2);
  LeaveField(temperature->lineEdit());
  EXPECT_EQ(temperature->currentText(), "1e-06");
}

TEST(InputWidgets, DisplayFieldsUseTheResultColours) {
  CInactvWbkEdit display;
  EXPECT_EQ(display.palette().color(QPalette::Active, QPalette::Base), kResultBackground);
  EXPECT_EQ(display.palette().color(QPalette::Disabled, QPalette::Base), kDisabledBackground);
  CColorEdit edit;
  edit.setReadOnlyColoured(true);
  EXPECT_EQ(edit.palette().color(QPalette::Active, QPalette::Base), kResultBackground);
  edit.setReadOnlyColoured(false);
  EXPECT_NE(edit.palette().color(QPalette::Active, QPalette::Base), kResultBackground);
  CStaticFig plot;
  EXPECT_EQ(plot.cursor().shape(), Qt::CrossCursor);
}

TEST(AboutBox, ReferenceDocumentsOpenOrAreReportedMissing) {
  velto::testing::FakeUserInterface ui;
  velto::testing::TemporaryDirectory empty;
  CAboutDlg about(nullptr, empty.path(), ui);
  EXPECT_EQ(about.windowTitle(), "About VELTO");
  about.OpenReference(1);
  EXPECT_EQ(ui.LastMessage(), "Cannot find the VELTO-Theory.pdf file\nThere is no file " +
                                  (empty.path() / "VELTO-Theory.pdf").string() + ".");

  CAboutDlg built(nullptr, velto::testing::BuildDataDirectory(), ui);
  ui.openDocument = [](const std::filesystem::path& path) { return std::filesystem::is_regular_file(path); };
  const std::size_t before = ui.messages.size();
  built.OpenReference(0);
  built.OpenReference(1);
  EXPECT_EQ(ui.messages.size(), before);
}

}  // namespace
}  // namespace velto::gui
