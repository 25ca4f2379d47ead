#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <filesystem>
#include <string>

#include "gui/CDlgMBD_SF.h"
#include "gui/COrvoViewMBD.h"
#include "gui/QtUserInterface.h"
#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/multiple_beam/ChiComponentsForm.h"
#include "programs/multiple_beam/HorizontalReferenceForm.h"
#include "programs/multiple_beam/MbdSaveForm.h"
#include "programs/multiple_beam/MbdTexts.h"
#include "support/FakeUserInterface.h"
#include "support/RunProgram.h"
#include "support/TestFiles.h"

namespace velto::gui {
namespace {

using F = programs::MbdField;
using programs::DialogResult;
using programs::UserInterface;
namespace texts = programs::mbd_texts;

class MultipleBeamWindowView : public ::testing::Test {
 protected:
  MultipleBeamWindowView() : state(DataState()), app(state), view(app) {
    view.SetUserInterface(person);
    view.show();
  }
  void ChooseFile(const std::filesystem::path& file) {
    person.QueueDialog<programs::MbdSaveForm>([file](programs::MbdSaveForm& f, UserInterface& inner) {
      f.FileName().text = file.string();
      return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
    });
  }
  void Type(F id, const char* text) { view.FieldEdit(id)->setText(QString::fromUtf8(text)); }
  // Defines silicon 1 1 1 with H = 1 −1 0 and φ0 = 0 through the buttons.
  void DefineSilicon() {
    person.QueueOpenFile(state.exeDirectory / "Silicon.struct");
    person.QueueDialog<programs::CrystalParamsForm>([](programs::CrystalParamsForm& f, UserInterface& inner) {
      f.Index(0).text = f.Index(1).text = f.Index(2).text = std::string("1");
      return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
    });
    view.Button(texts::kDefineCrystal)->click();
    person.QueueDialog<programs::HorizontalReferenceForm>([](programs::HorizontalReferenceForm& f, UserInterface& inner) {
      f.Index(0).text = "1";
      f.Index(1).text = "-1";
      f.Index(2).text = "0";
      return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
    });
    view.Button(texts::kReference)->click();
    view.Button(texts::kZero)->click();
  }
  void CalculateChi() {
    person.QueueDialog<programs::ChiComponentsForm>([](programs::ChiComponentsForm& f, UserInterface& inner) {
      f.Calculate(inner);
      return DialogResult::Ok;
    });
    view.Button(texts::kChi)->click();
  }
  void WaitForRun() {
    QSignalSpy finished(&view, &ProgramView::taskFinished);
    ASSERT_TRUE(!view.Busy() || finished.wait(120000));
  }

  static shell::MainFrameState DataState() {
    shell::MainFrameState s;
    s.exeDirectory = velto::testing::BuildDataDirectory();
    return s;
  }

  shell::MainFrameState state;
  programs::AppContext app;
  COrvoViewMBD view;
  velto::testing::FakeUserInterface person;
};

TEST_F(MultipleBeamWindowView, AThreeBeamScanWritesTheFileThatVeltoCliWrites) {
  EXPECT_EQ(view.windowTitle(), "Dynamical Theory Computation of Multiple-Beam Diffraction");
  DefineSilicon();
  EXPECT_EQ(view.FieldEdit(F::CrystalName)->text(), "Silicon");
  EXPECT_EQ(view.FieldEdit(F::Reference)->text(), "1 -1 0");

  // Search around φ0 = 0 and add the first reflection found, at its own azimuth.
  view.Button(texts::kSearch)->click();
  ASSERT_GT(view.SearchList()->rowCount(), 0) << person.LastMessage();
  const std::string found = view.SearchList()->item(0, 0)->text().toStdString();
  emit view.SearchList()->cellClicked(0, 0);
  person.QueueAnswer(programs::Answer::Yes);  // in case the diamond rule asks
  view.Button(texts::kAdd)->click();
  ASSERT_EQ(view.ReflectionList()->rowCount(), 1) << person.LastMessage();
  EXPECT_EQ(view.ReflectionList()->item(0, 1)->text().simplified().toStdString(), found);
  view.Button(texts::kSetAzimuth)->click();
  const std::string azimuth = view.FieldEdit(F::PrincipalAzimuth)->text().toStdString();
  ASSERT_FALSE(azimuth.empty());

  CalculateChi();
  Type(F::ThetaFrom, "-15");
  Type(F::ThetaTo, "25");
  Type(F::ThetaPoints, "41");
  view.Button(texts::kNoPhiScan)->click();
  velto::testing::TemporaryDirectory dir;
  const std::filesystem::path file = dir.path() / "window.dat";
  ChooseFile(file);
  view.Button(texts::kPlaneWave)->click();
  WaitForRun();
  EXPECT_EQ(person.LastMessage(), programs::MbdForm::kSuccess);

  const std::filesystem::path cliFile = dir.path() / "cli.dat";
  const velto::testing::ProgramResult cli = velto::testing::RunProgram(
      "velto-cli", {"mbd", "--href", "1", "-1", "0", "--add", found, "--force", "--azimuth", azimuth, "--dtheta",
                    "-15", "25", "41", "--dphi", "0", "1", "1", "-o", cliFile.string()});
  ASSERT_EQ(cli.status, 0) << cli.err;
  const std::string written = velto::testing::ReadWholeFile(file);
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 41);
  EXPECT_EQ(written, velto::testing::ReadWholeFile(cliFile));
}

TEST_F(MultipleBeamWindowView, ACancelledConvolutionKeepsTheEarlierFileAndLeavesNoTemporaryFile) {
  DefineSilicon();
  view.findChild<QSpinBox*>(programs::MbdFieldName(F::AddL))->setValue(-1);
  view.Button(texts::kAdd)->click();
  CalculateChi();
  Type(F::ThetaPoints, "3");
  view.Button(texts::kNoPhiScan)->click();
  velto::testing::TemporaryDirectory dir;
  const std::filesystem::path file = dir.path() / "results.dat";
  ChooseFile(file);
  view.Button(texts::kPlaneWave)->click();
  WaitForRun();
  const std::string earlier = velto::testing::ReadWholeFile(file);
  ASSERT_FALSE(earlier.empty());

  // 41 points of 11 × 11 × 11 sub-points each: minutes of work.
  Type(F::ThetaPoints, "41");
  view.Button(programs::MbdConvolutionPanel::kActivate)->click();
  EXPECT_EQ(view.Button(programs::MbdConvolutionPanel::kActivate)->text(), "Calculate Convoluted Intensities");
  EXPECT_EQ(view.ConvolutionEdit(programs::MbdConvolutionField::ThetaPoints)->text(), "11");
  person.QueueAnswer(programs::Answer::Yes);
  ChooseFile(file);
  view.Button(programs::MbdConvolutionPanel::kActivate)->click();
  ASSERT_TRUE(view.Busy());
  EXPECT_FALSE(view.Button(texts::kPlaneWave)->isEnabled()) << "no second command while a run computes";
  view.CancelButton()->click();
  WaitForRun();
  EXPECT_EQ(velto::testing::ReadWholeFile(file), earlier);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  EXPECT_NE(person.LastMessage(), programs::MbdForm::kSuccess);
  EXPECT_TRUE(view.Button(texts::kPlaneWave)->isEnabled());
}

TEST_F(MultipleBeamWindowView, ChiDialogListsTenThousandRowsAtOnce) {
  DefineSilicon();
  view.Model().SetDiamondMode(false);
  programs::UserInterface& ui = person;
  person.unscriptedAnswer = programs::Answer::Yes;
  for (int h = -2; h <= 2 && view.Model().Beams().Count() < 100; ++h)
    for (int k = -2; k <= 2 && view.Model().Beams().Count() < 100; ++k)
      for (int l = -2; l <= 2 && view.Model().Beams().Count() < 100; ++l) {
        view.Model().Field(F::AddH).text = std::to_string(h);
        view.Model().Field(F::AddK).text = std::to_string(k);
        view.Model().Field(F::AddL).text = std::to_string(l);
        view.Model().AddReflection(ui);
      }
  ASSERT_EQ(view.Model().Beams().Count(), 100);
  mbd::MbdSolver solver(100, view.Model().Energy());
  crystal::CrystalStructure structure = view.Model().Crystal().structure;
  programs::ChiComponentsForm form(solver, structure, false);
  form.Calculate(ui);
  QtUserInterface qtUi(&view);
  CDlgMBD_SF dialog(&view, form, qtUi);
  EXPECT_EQ(dialog.List()->model()->rowCount(), 10000);
  EXPECT_EQ(dialog.List()->model()->index(9999, 0).data().toString(), "99 - 99");
  dialog.show();
  QApplication::processEvents();
}

}  // namespace
}  // namespace velto::gui
