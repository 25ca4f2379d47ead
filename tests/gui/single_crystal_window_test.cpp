#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <fstream>
#include <string>

#include "GuiTestSupport.h"
#include "gui/COrvoView.h"
#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/curve_export/CurveExport.h"
#include "shell/NumberText.h"
#include "support/FakeUserInterface.h"
#include "support/TestFiles.h"

namespace velto::gui {
namespace {

using F = programs::SingleCrystalField;
using programs::DialogResult;
using programs::UserInterface;

// A Bragg window shown with the build's data and a scripted person.
struct BraggWindow {
  BraggWindow() {
    state.exeDirectory = velto::testing::BuildDataDirectory();
    view.SetUserInterface(person);
    view.show();
  }
  // Silicon 1 1 1, through the file chooser and the crystal dialog.
  void DefineSilicon() {
    person.QueueOpenFile(state.exeDirectory / "Silicon.struct");
    person.QueueDialog<programs::CrystalParamsForm>([](programs::CrystalParamsForm& f, UserInterface& inner) {
      f.Index(0).text = f.Index(1).text = f.Index(2).text = std::string("1");
      return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
    });
    view.DefineCrystalButton()->click();
  }

  shell::MainFrameState state;
  programs::AppContext app{state};
  COrvoView view{app, false};
  velto::testing::FakeUserInterface person;
};

TEST(SingleCrystalWindowView, DefinesSiliconCalculatesAndExports) {
  BraggWindow window;
  COrvoView& view = window.view;
  velto::testing::FakeUserInterface& person = window.person;
  EXPECT_EQ(view.windowTitle(), "Bragg-case Darwin Curve of Single Crystal Diffraction");
  EXPECT_EQ(view.FieldEdit(F::Thickness)->text(), "-1");

  window.DefineSilicon();
  EXPECT_EQ(view.FieldEdit(F::Hkl)->text(), "1 1 1");
  EXPECT_EQ(view.FieldEdit(F::CrystalName)->text(), "Silicon");

  QSignalSpy finished(&view, &ProgramView::taskFinished);
  view.CalculateButton()->click();
  ASSERT_TRUE(finished.count() > 0 || finished.wait(60000));
  EXPECT_FALSE(view.Busy());
  EXPECT_TRUE(person.messages.empty()) << person.LastMessage();
  // Si 111 at Cu Kα1, σ: a Darwin width of about 7.4".
  const QString fwhm = view.FieldEdit(F::Fwhm)->text();
  EXPECT_NEAR(shell::ParseNumber(fwhm.toStdString()), 7.4, 0.3) << fwhm.toStdString();
  EXPECT_TRUE(fwhm.endsWith("\" of Exit angle)"));

  // Even at its smallest the window shows the positions whole, exit angle
  // included.
  view.resize(view.minimumSizeHint());
  QApplication::processEvents();
  for (F id : {F::MaxPosition, F::CentrePosition}) {
    const QLineEdit* position = view.FieldEdit(id);
    EXPECT_TRUE(position->text().endsWith("\" Exit)")) << position->text().toStdString();
    EXPECT_GT(position->width() - 8, position->fontMetrics().horizontalAdvance(position->text()))
        << position->text().toStdString();
  }

  velto::testing::TemporaryDirectory dir;
  const auto file = dir.path() / "si111.dat";
  person.QueueDialog<programs::CurveExportDialog>([](programs::CurveExportDialog& d, UserInterface&) {
    return d.Accept() ? DialogResult::Cancel : DialogResult::Ok;  // the default columns
  });
  person.QueueSaveFile(file);
  view.exportData();
  std::ifstream in(file, std::ios::binary);
  int lines = 0;
  std::string line, first;
  while (std::getline(in, line)) {
    if (lines == 0) first = line;
    ++lines;
  }
  EXPECT_EQ(lines, 2001);
  EXPECT_EQ(first.rfind("-50\t", 0), 0u) << first;
}

TEST(SingleCrystalWindowView, CancelOfARunningCalculationKeepsTheEarlierCurve) {
  BraggWindow window;
  COrvoView& view = window.view;
  velto::testing::FakeUserInterface& person = window.person;
  window.DefineSilicon();
  QSignalSpy finished(&view, &ProgramView::taskFinished);
  view.CalculateButton()->click();
  ASSERT_TRUE(finished.count() > 0 || finished.wait(60000));
  const QString fwhm = view.FieldEdit(F::Fwhm)->text();
  ASSERT_FALSE(fwhm.isEmpty());
  finished.clear();

  // A long rigorous scan of a thin plate, cancelled at once.
  view.FieldEdit(F::Points)->setText("100000");
  view.FieldEdit(F::Thickness)->setText("10");
  for (QCheckBox* box : view.findChildren<QCheckBox*>()) {
    if (box->text().contains("Rigorous")) box->setChecked(true);
  }
  view.CalculateButton()->click();
  ASSERT_TRUE(view.Busy());
  EXPECT_FALSE(view.CalculateButton()->isEnabled());
  view.CalculateButton()->click();  // refused while the run goes on
  view.CancelButton()->click();
  ASSERT_TRUE(finished.count() > 0 || finished.wait(60000));
  EXPECT_TRUE(finished.takeFirst().at(0).toBool());
  EXPECT_TRUE(person.messages.empty()) << person.LastMessage();
  EXPECT_EQ(view.FieldEdit(F::Fwhm)->text(), fwhm);
  ASSERT_NE(view.Model().Curve(), nullptr);
  EXPECT_EQ(view.Model().Curve()->points, 2001);

  // The window is usable again: a new calculation runs to its end.
  EXPECT_TRUE(view.CalculateButton()->isEnabled());
  view.FieldEdit(F::Points)->setText("501");
  view.CalculateButton()->click();
  ASSERT_TRUE(finished.count() > 0 || finished.wait(60000));
  EXPECT_FALSE(finished.takeFirst().at(0).toBool());
  EXPECT_EQ(view.Model().Curve()->points, 501);
}

TEST(SingleCrystalWindowView, LaueVariantDisablesTheRigorousTheory) {
  shell::MainFrameState state;
  programs::AppContext app(state);
  COrvoView view(app, true);
  EXPECT_EQ(view.windowTitle(), "Laue-case Single-Crystal Diffraction for Plane Wave");
  EXPECT_EQ(view.FieldEdit(F::Thickness)->text(), "50");
  EXPECT_FALSE(view.Model().Field(F::Rigorous).enabled);
}

}  // namespace
}  // namespace velto::gui
