#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "gui/CDlgDCMPhi.h"
#include "gui/COrvoViewDCM.h"
#include "gui/COrvoViewDbl.h"
#include "programs/curve_export/CurveExport.h"
#include "shell/NumberText.h"
#include "support/RunProgram.h"
#include "support/ScriptedPerson.h"
#include "support/TestFiles.h"

namespace velto::gui {
namespace {

using programs::DialogResult;
using programs::UserInterface;
using velto::testing::FakeUserInterface;

// A program window shown with the build's data and a scripted person.
template <typename View>
struct Window {
  Window() {
    state.exeDirectory = velto::testing::BuildDataDirectory();
    view.SetUserInterface(person);
    view.show();
  }
  // Silicon 1 1 1 through the file chooser and the crystal dialog.
  void DefineSilicon(QPushButton* define) {
    person.QueueOpenFile(state.exeDirectory / "Silicon.struct");
    velto::testing::QueueCrystalDialog(person, "1", "1", "1");
    define->click();
  }
  // Clicks Calculate and waits for the background task, if one starts.
  bool Calculate() {
    QSignalSpy finished(&view, &ProgramView::taskFinished);
    view.CalculateButton()->click();
    if (!view.Busy()) return true;
    return finished.count() > 0 || finished.wait(120000);
  }
  // Exports with the dialog's default columns and reads the file back.
  std::vector<std::vector<double>> ExportDefaultColumns() {
    const auto file = directory.path() / "curve.dat";
    person.QueueDialog<programs::CurveExportDialog>([](programs::CurveExportDialog& d, UserInterface&) {
      return d.Accept() ? DialogResult::Cancel : DialogResult::Ok;
    });
    person.QueueSaveFile(file);
    view.exportData();
    std::vector<std::vector<double>> rows;
    std::istringstream lines(velto::testing::ReadWholeFile(file));
    for (std::string line; std::getline(lines, line);) {
      std::vector<double> row;
      std::istringstream fields(line);
      for (std::string f; std::getline(fields, f, '\t');) row.push_back(shell::ParseNumber(f));
      rows.push_back(row);
    }
    return rows;
  }

  shell::MainFrameState state;
  programs::AppContext app{state};
  View view{app};
  FakeUserInterface person;
  velto::testing::TemporaryDirectory directory;
};

nlohmann::json RunCli(std::vector<std::string> arguments) {
  arguments.push_back("--json");
  const velto::testing::ProgramResult run = velto::testing::RunProgram("velto-cli", arguments);
  EXPECT_EQ(run.status, 0) << run.err;
  return nlohmann::json::parse(run.out, nullptr, false);
}

std::string Silicon() { return (velto::testing::BuildDataDirectory() / "Silicon.struct").string(); }

using F = programs::ConvolutedCurveField;

TEST(ConvolutedCurveWindowView, DefinesSiliconCalculatesLikeTheCommandLineAndExports) {
  Window<COrvoViewDbl> window;
  COrvoViewDbl& view = window.view;
  EXPECT_EQ(view.windowTitle(), "Convoluted Rocking Curve for Divergent & Polychromatic Incident Beam");
  ASSERT_EQ(view.FileCommands().size(), 1u);
  EXPECT_EQ(view.FileCommands()[0].text, "Export RC data...");
  EXPECT_TRUE(view.FieldCheck(F::Dcm)->isChecked());
  window.DefineSilicon(view.DefineMonochromatorButton());
  window.DefineSilicon(view.DefineSampleButton());
  EXPECT_EQ(view.FieldEdit(F::SampleHkl)->text(), "1 1 1");

  view.FieldEdit(F::SpectralPoints)->setText("101");
  view.FieldEdit(F::DivergencePoints)->setText("21");
  view.FieldEdit(F::Points)->setText("101");
  ASSERT_TRUE(window.Calculate());
  EXPECT_TRUE(window.person.messages.empty()) << window.person.LastMessage();
  const nlohmann::json cli = RunCli({"conv", "--mono-struct", Silicon(), "--sample-struct", Silicon(),
                                     "--spectral-points", "101", "--divergence-points", "21", "--points", "101"});
  ASSERT_TRUE(cli.is_object());
  EXPECT_EQ(view.FieldEdit(F::FwhmArcseconds)->text().toStdString(), cli["fwhm_text"][0].get<std::string>());
  EXPECT_EQ(view.FieldEdit(F::FwhmMicroradians)->text().toStdString(), cli["fwhm_text"][2].get<std::string>());
  EXPECT_FALSE(view.FieldEdit(F::FwhmArcseconds)->text().isEmpty());

  const auto rows = window.ExportDefaultColumns();
  ASSERT_EQ(rows.size(), 101u);
  const std::vector<double>& values = view.Model().Curves().Current()->values;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    ASSERT_EQ(rows[i].size(), 2u);
    EXPECT_NEAR(rows[i][0], -50 + static_cast<double>(i), 1e-9);  // relative arcsec
    EXPECT_NEAR(rows[i][1], values[i], 1e-8 + 1e-8 * values[i]);
  }
}

TEST(ConvolutedCurveWindowView, CancelOfALargeConvolutionKeepsBothCurves) {
  Window<COrvoViewDbl> window;
  COrvoViewDbl& view = window.view;
  window.DefineSilicon(view.DefineMonochromatorButton());
  window.DefineSilicon(view.DefineSampleButton());
  view.FieldEdit(F::SpectralPoints)->setText("41");
  view.FieldEdit(F::DivergencePoints)->setText("9");
  view.FieldEdit(F::Points)->setText("81");
  ASSERT_TRUE(window.Calculate());
  view.FieldEdit(F::Points)->setText("61");
  ASSERT_TRUE(window.Calculate());
  view.FieldCheck(F::ShowPrevious)->click();
  const std::vector<double> current = view.Model().Curves().Current()->values;
  const std::vector<double> previous = view.Model().Curves().Previous()->values;
  const QString fwhm = view.FieldEdit(F::FwhmArcseconds)->text();

  // 2001 rocking × 5001 spectral × 1001 divergence points: days of work.
  view.FieldEdit(F::Points)->setText("2001");
  view.FieldEdit(F::SpectralPoints)->setText("5001");
  view.FieldEdit(F::DivergencePoints)->setText("1001");
  QSignalSpy finished(&view, &ProgramView::taskFinished);
  view.CalculateButton()->click();
  ASSERT_TRUE(view.Busy());
  EXPECT_FALSE(view.CalculateButton()->isEnabled());
  view.CalculateButton()->click();  // refused while it runs
  view.CancelButton()->click();
  ASSERT_TRUE(finished.count() > 0 || finished.wait(60000));
  EXPECT_TRUE(finished.takeFirst().at(0).toBool());
  EXPECT_TRUE(window.person.messages.empty()) << window.person.LastMessage();
  EXPECT_EQ(view.Model().Curves().Current()->values, current);
  EXPECT_EQ(view.Model().Curves().Previous()->values, previous);
  EXPECT_EQ(view.FieldEdit(F::FwhmArcseconds)->text(), fwhm);
  EXPECT_TRUE(view.FieldCheck(F::ShowPrevious)->isChecked());
  EXPECT_EQ(view.Model().CurvePlot().Content().series.size(), 2u);

  // Responsive again: a small calculation runs to its end.
  EXPECT_TRUE(view.CalculateButton()->isEnabled());
  view.FieldEdit(F::Points)->setText("41");
  view.FieldEdit(F::SpectralPoints)->setText("21");
  view.FieldEdit(F::DivergencePoints)->setText("5");
  ASSERT_TRUE(window.Calculate());
  EXPECT_EQ(view.Model().Curves().Current()->count, 41);
  EXPECT_EQ(view.Model().Curves().Previous()->values, current);
}

TEST(ConvolutedCurveWindowView, ChannelCutLocksTheThicknessField) {
  Window<COrvoViewDbl> window;
  COrvoViewDbl& view = window.view;
  view.FieldEdit(F::SampleThickness)->setText("25");
  view.FieldCheck(F::ChannelCut)->click();
  EXPECT_TRUE(view.FieldCheck(F::ChannelCut)->isChecked());
  EXPECT_EQ(view.FieldEdit(F::SampleThickness)->text(), "-1");
  EXPECT_FALSE(view.FieldEdit(F::SampleThickness)->isEnabled());
  view.FieldCheck(F::ChannelCut)->click();
  EXPECT_FALSE(view.FieldCheck(F::ChannelCut)->isChecked());
  EXPECT_TRUE(view.FieldEdit(F::SampleThickness)->isEnabled());
}

using M = programs::MonochromatorField;

TEST(MonochromatorWindowView, EnergyScanOfASiliconPairLikeTheCommandLineAndItsExport) {
  Window<COrvoViewDCM> window;
  COrvoViewDCM& view = window.view;
  EXPECT_EQ(view.windowTitle(), "Double-Crystal Monochromator for Plane Wave");
  ASSERT_EQ(view.FileCommands().size(), 1u);
  EXPECT_EQ(view.FileCommands()[0].text, "Export Curve data...");
  window.DefineSilicon(view.DefineFirstButton());
  window.DefineSilicon(view.DefineSecondButton());
  EXPECT_FALSE(view.FieldEdit(M::DeltaOmega)->isEnabled());
  view.EnergyScanButton()->click();
  EXPECT_TRUE(view.FieldEdit(M::DeltaOmega)->isEnabled());
  EXPECT_EQ(view.FieldEdit(M::From)->text(), "-2");
  view.FieldEdit(M::Points)->setText("801");
  ASSERT_TRUE(window.Calculate());
  EXPECT_TRUE(window.person.messages.empty()) << window.person.LastMessage();

  const nlohmann::json cli =
      RunCli({"dcm", "--c1-struct", Silicon(), "--c2-struct", Silicon(), "--scan", "energy", "--points", "801"});
  ASSERT_TRUE(cli.is_object());
  EXPECT_EQ(view.FieldEdit(M::Fwhm)->text().toStdString(), cli["texts"]["fwhm"].get<std::string>());
  EXPECT_EQ(view.FieldEdit(M::MaxReflectivity)->text().toStdString(), cli["texts"]["max"].get<std::string>());
  EXPECT_TRUE(view.FieldEdit(M::Fwhm)->text().endsWith(" eV"));

  const auto rows = window.ExportDefaultColumns();
  ASSERT_EQ(rows.size(), 801u);
  const std::vector<double>& values = view.Model().Curve()->trace.values;
  for (std::size_t i = 0; i < rows.size(); i += 40) {
    ASSERT_EQ(rows[i].size(), 2u);
    EXPECT_NEAR(rows[i][0], -2 + 0.005 * static_cast<double>(i), 1e-9);  // relative eV
    EXPECT_NEAR(rows[i][1], values[i], 1e-8);
  }
}

TEST(MonochromatorWindowView, AutoSetShowsTheOrientationDialogAndWritesItsProposals) {
  Window<COrvoViewDCM> window;
  COrvoViewDCM& view = window.view;
  window.DefineSilicon(view.DefineFirstButton());
  window.DefineSilicon(view.DefineSecondButton());
  for (QRadioButton* radio : view.findChildren<QRadioButton*>())
    if (radio->text() == "Dispersive") radio->click();

  std::string shownDeltaPhi;
  window.person.QueueDialog<programs::DcmPhiDialog>(
      [&view, &shownDeltaPhi](programs::DcmPhiDialog& model, UserInterface&) {
        QtUserInterface ui(&view);
        CDlgDCMPhi dialog(&view, model, ui);
        EXPECT_EQ(dialog.windowTitle(), "Set Relative Orientation Phi of DCM");
        // The three values, read-only, as the model has them.
        QStringList shown;
        for (const QLineEdit* edit : dialog.findChildren<QLineEdit*>()) {
          EXPECT_TRUE(edit->isReadOnly());
          shown << edit->text();
        }
        EXPECT_TRUE(shown.contains(QString::fromStdString(model.texts.phi)));
        EXPECT_TRUE(shown.contains(QString::fromStdString(model.texts.deltaPhi)));
        EXPECT_TRUE(shown.contains(QString::fromStdString(model.texts.deltaOmega)));
        shownDeltaPhi = model.texts.deltaPhiField;
        return DialogResult::Ok;
      });
  view.AutoSetButton()->click();
  ASSERT_FALSE(shownDeltaPhi.empty());
  EXPECT_EQ(view.FieldEdit(M::DeltaPhi)->text().toStdString(), shownDeltaPhi);
  // Φ = 180° − 2θB for two identical symmetric crystals.
  const double thetaB = shell::ParseNumber(view.FieldEdit(M::FirstBragg)->text().toStdString());
  EXPECT_NEAR(shell::ParseNumber(view.FieldEdit(M::Phi)->text().toStdString()), 180 - 2 * thetaB, 1e-7);
  ASSERT_TRUE(window.Calculate());
  EXPECT_GT(view.Model().Analysis()->maximum, 0.8);
}

}  // namespace
}  // namespace velto::gui
