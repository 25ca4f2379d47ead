#include <gtest/gtest.h>

#include <QCheckBox>
#include <algorithm>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <fstream>
#include <string>

#include "GuiTestSupport.h"
#include "gui/QtUserInterface.h"
#include "gui/CDlgCrystParams.h"
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
  // The outcome of the run that a click started: false when it ran to its
  // end, true when it was cancelled; none when no run ended within a minute.
  std::optional<bool> WaitForRun() {
    if (finished.isEmpty() && !finished.wait(60000)) return std::nullopt;
    return finished.takeFirst().at(0).toBool();
  }
  std::optional<bool> Calculate() {
    view.CalculateButton()->click();
    return WaitForRun();
  }

  shell::MainFrameState state;
  programs::AppContext app{state};
  COrvoView view{app, false};
  velto::testing::FakeUserInterface person;
  QSignalSpy finished{&view, &ProgramView::taskFinished};
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

  ASSERT_EQ(window.Calculate(), false);
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
  ASSERT_EQ(window.Calculate(), false);
  const QString fwhm = view.FieldEdit(F::Fwhm)->text();
  ASSERT_FALSE(fwhm.isEmpty());

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
  EXPECT_EQ(window.WaitForRun(), true);
  EXPECT_TRUE(person.messages.empty()) << person.LastMessage();
  EXPECT_EQ(view.FieldEdit(F::Fwhm)->text(), fwhm);
  ASSERT_NE(view.Model().Curve(), nullptr);
  EXPECT_EQ(view.Model().Curve()->points, 2001);

  // The window is usable again: a new calculation runs to its end.
  EXPECT_TRUE(view.CalculateButton()->isEnabled());
  view.FieldEdit(F::Points)->setText("501");
  EXPECT_EQ(window.Calculate(), false);
  EXPECT_EQ(view.Model().Curve()->points, 501);
}

TEST(SingleCrystalWindowView, AFailedReloadInTheCrystalDialogKeepsTheCrystalAndCalculateStillWorks) {
  BraggWindow window;
  COrvoView& view = window.view;
  window.DefineSilicon();
  ASSERT_EQ(window.Calculate(), false);
  const QString fwhm = view.FieldEdit(F::Fwhm)->text();

  // The real crystal dialog this time: the file chooser is cancelled once,
  // then gets a broken file; then the person leaves with Esc.
  velto::testing::TemporaryDirectory dir;
  const auto broken = dir.Write("broken.struct", "Broken\n5 5 5\n90 90 90\n1\nQq 0 0 0 1\n");
  velto::testing::FakeUserInterface chooser;
  QtUserInterface person(&view);
  view.SetUserInterface(person);
  QString nameAfterFailure;
  QtUserInterface::SetDialogRunner([&](QDialog& dialog) {
    auto* crystal = dynamic_cast<CDlgCrystParams*>(&dialog);
    if (!crystal) return int(QDialog::Rejected);
    crystal->SetUserInterface(chooser);
    crystal->show();
    chooser.QueueOpenFile(std::nullopt);
    crystal->StructureButton()->click();
    chooser.QueueOpenFile(broken);
    crystal->StructureButton()->click();
    nameAfterFailure = crystal->NameBox()->text();
    QTest::keyClick(crystal, Qt::Key_Escape);
    return crystal->result();
  });
  view.DefineCrystalButton()->click();
  QtUserInterface::SetDialogRunner({});
  ASSERT_EQ(chooser.messages.size(), 1u);
  EXPECT_EQ(chooser.LastMessage(), "Failed to open file '" + broken.string() +
                                       "' !    \nbroken.struct: line 5: unknown element symbol \"Qq\"");
  EXPECT_EQ(nameAfterFailure, "Silicon");
  EXPECT_EQ(view.FieldEdit(F::CrystalName)->text(), "Silicon");
  EXPECT_EQ(view.FieldEdit(F::Hkl)->text(), "1 1 1");
  ASSERT_TRUE(view.CalculateButton()->isEnabled());

  view.SetUserInterface(window.person);
  EXPECT_EQ(window.Calculate(), false);
  EXPECT_TRUE(window.person.messages.empty()) << window.person.LastMessage();
  EXPECT_EQ(view.FieldEdit(F::Fwhm)->text(), fwhm);
}

TEST(SingleCrystalWindowView, InfinityInFromIsRefusedWithTheFocusOnItAndTheCurveKept) {
  BraggWindow window;
  COrvoView& view = window.view;
  window.DefineSilicon();
  ASSERT_EQ(window.Calculate(), false);
  const QString fwhm = view.FieldEdit(F::Fwhm)->text();

  // The person of the window itself this time: a real message box, a real
  // focus move.
  QtUserInterface person(&view);
  view.SetUserInterface(person);
  view.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
  QLineEdit* from = view.FieldEdit(F::From);
  from->selectAll();
  QTest::keyClicks(from, "1e999");
  view.FieldEdit(F::To)->setFocus();
  QString shown;
  testing::CloseNextModal([&](const QString& text) { shown = text; });
  view.CalculateButton()->click();
  EXPECT_EQ(shown, "\"from\" must be a finite number, not \"1e999\".   ");
  EXPECT_EQ(view.focusWidget(), from);
  EXPECT_FALSE(view.Busy());
  EXPECT_TRUE(window.finished.isEmpty());
  EXPECT_EQ(view.FieldEdit(F::Fwhm)->text(), fwhm);
  ASSERT_NE(view.Model().Curve(), nullptr);
  EXPECT_EQ(view.Model().Curve()->points, 2001);
}

TEST(SingleCrystalWindowView, EnterInAFieldCalculatesWithWhatWasTyped) {
  BraggWindow window;
  COrvoView& view = window.view;
  window.DefineSilicon();
  view.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
  ASSERT_EQ(view.Model().Curve(), nullptr);

  // The field sits in the window's scrolling form: the key must still reach
  // the window through it.
  QLineEdit* points = view.FieldEdit(F::Points);
  points->setFocus();
  points->selectAll();
  QTest::keyClicks(points, "501");
  QTest::keyClick(points, Qt::Key_Return);
  ASSERT_EQ(window.WaitForRun(), false);
  ASSERT_NE(view.Model().Curve(), nullptr);
  EXPECT_EQ(view.Model().Curve()->points, 501);
  EXPECT_FALSE(view.FieldEdit(F::Fwhm)->text().isEmpty());

  points->setFocus();
  points->selectAll();
  QTest::keyClicks(points, "301");
  QTest::keyClick(points, Qt::Key_Enter, Qt::KeypadModifier);
  ASSERT_EQ(window.WaitForRun(), false);
  EXPECT_EQ(view.Model().Curve()->points, 301);
  EXPECT_EQ(window.person.messages.size(), 0u) << window.person.LastMessage();
}

TEST(SingleCrystalWindowView, TabPassesOverTheReadOnlyFields) {
  BraggWindow window;
  COrvoView& view = window.view;
  view.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
  view.FieldEdit(F::Thickness)->setFocus();
  std::vector<QWidget*> visited;
  for (int i = 0; i < 40; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited.push_back(QApplication::focusWidget());
  }
  // Every writable field is reached, no read-only one.
  for (F id : {F::Asymmetry, F::Offset, F::From, F::To, F::Points, F::Thickness}) {
    EXPECT_NE(std::find(visited.begin(), visited.end(), view.FieldEdit(id)), visited.end()) << int(id);
  }
  for (QWidget* widget : visited) {
    const auto* edit = qobject_cast<QLineEdit*>(widget);
    EXPECT_FALSE(edit && edit->isReadOnly()) << edit->objectName().toStdString();
  }
  // A click still gives a result field the focus, to copy from it.
  EXPECT_EQ(view.FieldEdit(F::Fwhm)->focusPolicy(), Qt::ClickFocus);
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
