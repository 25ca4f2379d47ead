#include <gtest/gtest.h>

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

TEST(SingleCrystalWindowView, DefinesSiliconCalculatesAndExports) {
  shell::MainFrameState state;
  state.exeDirectory = velto::testing::BuildDataDirectory();
  programs::AppContext app(state);
  COrvoView view(app, false);
  velto::testing::FakeUserInterface person;
  view.SetUserInterface(person);
  view.show();
  EXPECT_EQ(view.windowTitle(), "Bragg-case Darwin Curve of Single Crystal Diffraction");
  EXPECT_EQ(view.FieldEdit(F::Thickness)->text(), "-1");

  // The file chooser answers with the example structure; the crystal dialog
  // is given 1 1 1.
  person.QueueOpenFile(state.exeDirectory / "Silicon.struct");
  person.QueueDialog<programs::CrystalParamsForm>([](programs::CrystalParamsForm& f, UserInterface& inner) {
    f.Index(0).text = f.Index(1).text = f.Index(2).text = std::string("1");
    return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
  });
  view.DefineCrystalButton()->click();
  EXPECT_EQ(view.FieldEdit(F::Hkl)->text(), "1 1 1");
  EXPECT_EQ(view.FieldEdit(F::CrystalName)->text(), "Silicon");

  QSignalSpy finished(&view, &COrvoView::calculationFinished);
  view.CalculateButton()->click();
  ASSERT_TRUE(finished.count() > 0 || finished.wait(60000));
  EXPECT_FALSE(view.Calculating());
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
