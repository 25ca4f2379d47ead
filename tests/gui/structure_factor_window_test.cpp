// The structure-factor program, its form-factor dialogs and the
// parasitic-reflection tool as windows of the application, offscreen.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <chrono>
#include <cmath>
#include <thread>

#include "GuiTestSupport.h"
#include "gui/Application.h"
#include "gui/CDlgCrystParams.h"
#include "gui/CDlgParasitic.h"
#include "gui/CFormFactor.h"
#include "gui/CFormLoop.h"
#include "gui/COrvoView.h"
#include "gui/COrvoViewStruct.h"
#include "gui/InputWidgets.h"
#include "shell/NumberText.h"
#include "support/FakeUserInterface.h"
#include "support/TestFiles.h"

namespace velto::gui {
namespace {

using programs::DialogResult;
using programs::UserInterface;
using shell::ProgramKind;
using SF = programs::StructureFactorField;

std::filesystem::path Silicon() { return velto::testing::BuildDataDirectory() / "Silicon.struct"; }

// The application with its main window shown, a scripted person behind the
// windows' commands.
struct RunningApplication {
  RunningApplication() : application(StartApplication(std::make_unique<shell::MemorySettingsStore>())) {
    Frame().resize(1800, 1300);
    Frame().show();
  }
  CMainFrame& Frame() { return *application->mainFrame; }
  template <typename View>
  View& Open(ProgramKind kind) {
    Frame().OpenProgram(kind);
    auto* view = qobject_cast<View*>(Frame().CurrentView());
    EXPECT_NE(view, nullptr);
    view->SetUserInterface(person);
    return *view;
  }

  std::unique_ptr<Application> application;
  velto::testing::FakeUserInterface person;
};

struct CurveFigures {
  double fwhm = 0;  // arcseconds
  double peak = 0;
};

// Calculates the Bragg window's curve for one polarisation.
CurveFigures Curve(COrvoView& bragg, twobeam::Polarization polarization) {
  bragg.Model().SetPolarization(polarization);
  QSignalSpy finished(&bragg, &ProgramView::taskFinished);
  bragg.CalculateButton()->click();
  EXPECT_TRUE(finished.count() > 0 || finished.wait(60000));
  return {bragg.Model().Analysis().fwhm / core::kArcsecond, bragg.Model().Analysis().maxR};
}

TEST(StructureFactorWindowView, CopiedChiGivesTheRockingCurvesOfTheCrystalDialogsOwnChi) {
  RunningApplication app;
  COrvoViewStruct& view = app.Open<COrvoViewStruct>(ProgramKind::BrennanStructureFactors);
  EXPECT_EQ(view.windowTitle(), "Calculate Structure Factors of Crystals using Brennan's Method");
  EXPECT_EQ(view.StatusText()->text(), " No structure imported yet");
  // Its File menu holds only "E&xit".
  QMenu* file = app.Frame().menuBar()->actions().front()->menu();
  ASSERT_NE(file, nullptr);
  QStringList entries;
  for (QAction* entry : file->actions()) {
    if (!entry->isSeparator()) entries << entry->text();
  }
  EXPECT_EQ(entries, QStringList{"E&xit"});

  app.person.QueueOpenFile(Silicon());
  view.ImportButton()->click();
  EXPECT_EQ(view.StatusText()->text(), " Silicon");
  for (int i = 0; i < 3; ++i) view.IndexBox(i)->setValue(1);
  view.CalculateButton()->click();
  ASSERT_TRUE(app.person.messages.empty()) << app.person.LastMessage();
  EXPECT_TRUE(view.FieldEdit(SF::BraggAngle)->text().startsWith("14.22"));
  EXPECT_TRUE(view.FieldEdit(SF::ChihReal)->isEnabled());
  view.CopyChiButton()->click();
  EXPECT_EQ(app.person.clipboard.rfind("(-15.1", 0), 0u) << app.person.clipboard;

  // The Bragg program, silicon 1 1 1 with the crystal dialog's own chi.
  COrvoView& bragg = app.Open<COrvoView>(ProgramKind::SingleCrystal);
  app.person.QueueOpenFile(Silicon());
  app.person.QueueDialog<programs::CrystalParamsForm>([](programs::CrystalParamsForm& form, UserInterface& inner) {
    QtUserInterface parentUi(nullptr);
    CDlgCrystParams dialog(nullptr, form, parentUi);
    dialog.SetUserInterface(inner);
    for (int i = 0; i < 3; ++i) dialog.IndexBox(i)->setValue(1);
    dialog.CalculateButton()->click();
    dialog.accept();
    return dialog.result() == QDialog::Accepted ? DialogResult::Ok : DialogResult::Cancel;
  });
  bragg.DefineCrystalButton()->click();
  ASSERT_TRUE(bragg.Model().CrystalDefined());
  const CurveFigures ownSigma = Curve(bragg, twobeam::Polarization::Sigma);
  const CurveFigures ownPi = Curve(bragg, twobeam::Polarization::Pi);

  // The same crystal with the chi copied from the structure-factor program.
  std::vector<std::string> pasted;
  app.person.QueueDialog<programs::CrystalParamsForm>([&](programs::CrystalParamsForm& form, UserInterface& inner) {
    QtUserInterface parentUi(nullptr);
    CDlgCrystParams dialog(nullptr, form, parentUi);
    dialog.SetUserInterface(inner);
    EXPECT_FALSE(dialog.CopyFromBrennanButton()->isEnabled());
    dialog.ManualBox()->click();
    EXPECT_TRUE(dialog.CopyFromBrennanButton()->isEnabled());
    dialog.CopyFromBrennanButton()->click();
    for (int i = 0; i < 10; ++i) pasted.push_back(dialog.ChiBox(i)->text().toStdString());
    dialog.accept();
    return dialog.result() == QDialog::Accepted ? DialogResult::Ok : DialogResult::Cancel;
  });
  bragg.DefineCrystalButton()->click();
  // The components arrive as the structure-factor program shows them, the π
  // ones as the σ ones (a crystal holds them without the polarisation factor).
  ASSERT_EQ(pasted.size(), 10u);
  for (std::size_t i = 0; i < 6; ++i)
    EXPECT_EQ(pasted[i], view.FieldEdit(programs::StructureFactorForm::ChiField(static_cast<int>(i)))->text().toStdString());
  for (std::size_t i = 6; i < 10; ++i) EXPECT_EQ(pasted[i], pasted[i - 4]);
  const CurveFigures copiedSigma = Curve(bragg, twobeam::Polarization::Sigma);
  const CurveFigures copiedPi = Curve(bragg, twobeam::Polarization::Pi);
  EXPECT_TRUE(app.person.messages.empty()) << app.person.LastMessage();

  // The two data sources (Brennan–Cowan against the five-Gaussian f0 with
  // Chantler's f', f'') differ by a few tenths of a percent in |χ_h| for
  // silicon 1 1 1; the curves agree to that. The π curve is about 0.88 as
  // wide as the σ curve (|cos 2θB|): counting the factor twice would make
  // it 0.78 as wide and fail here.
  for (const auto& [own, copied] : {std::pair{ownSigma, copiedSigma}, std::pair{ownPi, copiedPi}}) {
    EXPECT_NEAR(copied.fwhm, own.fwhm, 0.005 * own.fwhm);
    EXPECT_NEAR(copied.peak, own.peak, 0.005);
  }
  EXPECT_NEAR(ownPi.fwhm / ownSigma.fwhm, std::cos(2 * 14.2206 * core::kDegree), 0.02);
}

TEST(StructureFactorWindowView, EditsGreyTheResultsAndTheButtonsOpenTheirDialogs) {
  RunningApplication app;
  COrvoViewStruct& view = app.Open<COrvoViewStruct>(ProgramKind::BrennanStructureFactors);
  app.person.QueueOpenFile(Silicon());
  view.ImportButton()->click();
  view.IndexBox(0)->setValue(2);
  view.IndexBox(1)->setValue(2);
  view.CalculateButton()->click();
  ASSERT_TRUE(view.FieldEdit(SF::FhModulus)->isEnabled());
  EXPECT_EQ(view.FieldEdit(SF::FhModulus)->palette().color(QPalette::Active, QPalette::Base), kResultBackground);

  // An index greys only the reflection's boxes; the temperature greys all.
  view.IndexBox(2)->setValue(4);
  EXPECT_FALSE(view.FieldEdit(SF::FhModulus)->isEnabled());
  EXPECT_FALSE(view.FieldEdit(SF::DSpacing)->isEnabled());
  EXPECT_TRUE(view.FieldEdit(SF::F0Modulus)->isEnabled());
  view.CalculateButton()->click();
  EXPECT_TRUE(view.FieldEdit(SF::FhModulus)->isEnabled());
  view.TemperatureBox()->setEditText("77");
  emit view.TemperatureBox()->grayResults();
  EXPECT_FALSE(view.FieldEdit(SF::F0Modulus)->isEnabled());
  view.CalculateButton()->click();
  EXPECT_EQ(view.Model().Temperature(), 77);
  EXPECT_TRUE(view.FieldEdit(SF::F0Modulus)->isEnabled());

  view.DebyeWallerButton()->click();
  EXPECT_EQ(app.person.LastMessage().rfind("Debye-Waller temperatures:\n\tSi:", 0), 0u);

  // "Form Factor..." with the real dialog view: Calculate and the loop.
  velto::testing::TemporaryDirectory directory;
  const auto table = directory.path() / "si-f0.dat";
  app.person.QueueDialog<programs::FormFactorForm>([&](programs::FormFactorForm& form, UserInterface&) {
    QtUserInterface parentUi(nullptr);
    CFormFactor dialog(nullptr, form, parentUi);
    EXPECT_EQ(dialog.windowTitle(), " Atomic Scattering Factor (Form Factor)");
    EXPECT_EQ(dialog.ElementBox()->currentText(), "Si");
    EXPECT_EQ(dialog.ElementBox()->itemText(1), "====");
    dialog.CalculateButton()->click();
    EXPECT_FALSE(dialog.FieldEdit(programs::FormFactorField::F0)->text().isEmpty());
    // Si (2 2 4) at Cu Kα1: sin θ/λ = 1/(2d) = 0.451 Å⁻¹.
    EXPECT_NEAR(shell::ParseNumber(dialog.FieldEdit(programs::FormFactorField::SinThetaOverLambda)->text().toStdString()),
                std::sqrt(24.0) / (2 * 5.43102064), 1e-6);
    return DialogResult::Ok;
  });
  view.FormFactorButton()->click();
  EXPECT_EQ(app.person.dialogsRun.size(), 1u);

  // The loop dialog's view: the angle radio, then an export.
  programs::AppContext& context = app.Frame().App();
  programs::FormLoopForm loop(context, "Si", 14, 1.540562, "8.04799");
  QtUserInterface parentUi(nullptr);
  CFormLoop loopDialog(nullptr, loop, parentUi);
  EXPECT_EQ(loopDialog.windowTitle(), "Looping Form Factor");
  EXPECT_EQ(loopDialog.FieldEdit(programs::FormLoopField::From)->text(), "0.1");
  loopDialog.AngleMode()->click();
  EXPECT_EQ(loopDialog.FieldEdit(programs::FormLoopField::To)->text(), "90");
  EXPECT_EQ(loopDialog.FieldEdit(programs::FormLoopField::Energy)->text(), "8.04799");
  loopDialog.FieldEdit(programs::FormLoopField::Step)->setText("2");
  velto::testing::FakeUserInterface saver;
  saver.QueueSaveFile(table);
  loopDialog.SetUserInterface(saver);
  loopDialog.ExportButton()->click();
  EXPECT_EQ(saver.LastMessage(), "Done !");
  const std::string written = velto::testing::ReadWholeFile(table);
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 45);
}

TEST(StructureFactorWindowView, ParasiticToolIsOneModelessDialogForTheRun) {
  RunningApplication app;
  QAction* entry = nullptr;
  for (QAction* menu : app.Frame().menuBar()->actions()) {
    if (!menu->menu()) continue;
    for (QAction* action : menu->menu()->actions()) {
      if (action->text() == "&Parasitic Reflections of Back Reflection...") entry = action;
    }
  }
  ASSERT_NE(entry, nullptr);
  EXPECT_TRUE(entry->isEnabled());
  EXPECT_EQ(app.Frame().Parasitic(), nullptr);
  entry->trigger();
  CDlgParasitic* dialog = app.Frame().Parasitic();
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(dialog->isModal());
  EXPECT_EQ(dialog->windowTitle(), "Parasitic reflections and CMBDPs of back reflection from cubic structures");
  EXPECT_EQ(dialog->IndexEdit(0)->text(), "4");
  EXPECT_TRUE(dialog->DiamondBox()->isChecked());
  dialog->SetUserInterface(app.person);
  dialog->CalculateButton()->click();
  EXPECT_EQ(dialog->Output()->toPlainText().count('\n'), 10);
  EXPECT_TRUE(dialog->Output()->toPlainText().startsWith("1:\t0 2 -2\tCMBDP  ( 1 -1 2 )\tHRD  [ 1 -1 -1 ]"));

  // A forbidden primary is refused and the list stays; closing only hides.
  dialog->IndexEdit(0)->setText("2");
  dialog->IndexEdit(1)->setText("0");
  dialog->CalculateButton()->click();
  EXPECT_EQ(app.person.LastMessage(), "The primary reflection is forbidden.");
  EXPECT_EQ(dialog->Output()->toPlainText().count('\n'), 10);
  dialog->close();
  EXPECT_FALSE(dialog->isVisible());
  entry->trigger();
  EXPECT_EQ(app.Frame().Parasitic(), dialog);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->IndexEdit(0)->text(), "2");
  EXPECT_EQ(dialog->Model().Primary(), (std::array<int, 3>{2, 0, 0}));
}

// A dialog's long task (the looping export) shows a progress dialog; once
// the task has run, its outcome ("Done !") must not lie under that dialog.
TEST(StructureFactorWindowView, ADialogsProgressIsGoneWhenItsOutcomeIsShown) {
  QWidget window;
  window.show();
  QtUserInterface ui(&window);
  bool progressVisible = true;
  bool finished = false;
  QEventLoop wait;
  ui.RunInBackground({"Exporting...",
                      [](core::Notifier&, core::Progress&) { std::this_thread::sleep_for(std::chrono::milliseconds(600)); },
                      [&](UserInterface&, bool) {
                        progressVisible = false;
                        for (QProgressDialog* progress : window.findChildren<QProgressDialog*>())
                          progressVisible = progressVisible || progress->isVisible();
                        finished = true;
                        wait.quit();
                      }});
  if (!finished) wait.exec();
  EXPECT_FALSE(progressVisible);
}

TEST(StructureFactorWindowView, ClosingTheMainWindowReleasesTheEngine) {
  RunningApplication app;
  std::weak_ptr<const crystal::StructFactor> engine = app.Frame().App().StructFactorEngine(app.person);
  ASSERT_FALSE(engine.expired());
  app.Frame().close();
  EXPECT_TRUE(engine.expired());
}

}  // namespace
}  // namespace velto::gui
