#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <fstream>
#include <sstream>
#include <string>

#include "gui/COrvoView.h"
#include "gui/PlotWidget.h"
#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "shell/NumberText.h"
#include "support/FakeUserInterface.h"
#include "support/TestFiles.h"

namespace velto::gui {
namespace {

using F = programs::SingleCrystalField;
using programs::DialogResult;
using programs::UserInterface;

// The Bragg window with silicon 1 1 1 at 10° asymmetry computed, shown at a
// size a person would use.
class PlotWidgetTest : public ::testing::Test {
 protected:
  PlotWidgetTest() : app(StateWithData()), view(app, false) {
    view.SetUserInterface(person);
    view.resize(1180, 680);
    view.show();
    person.QueueOpenFile(StateWithData().exeDirectory / "Silicon.struct");
    person.QueueDialog<programs::CrystalParamsForm>([](programs::CrystalParamsForm& f, UserInterface& inner) {
      f.Index(0).text = f.Index(1).text = f.Index(2).text = std::string("1");
      return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
    });
    view.DefineCrystalButton()->click();
    view.FieldEdit(F::Asymmetry)->setText("10");
    QSignalSpy finished(&view, &ProgramView::taskFinished);
    view.CalculateButton()->click();
    if (finished.count() == 0) finished.wait(60000);
    QApplication::processEvents();
  }

  static shell::MainFrameState& StateWithData() {
    static shell::MainFrameState state;
    state.exeDirectory = velto::testing::BuildDataDirectory();
    return state;
  }

  programs::Plot& Plot() { return view.Model().CurvePlot(); }
  QWidget* Area() { return view.CurvePlot()->PictureArea(); }
  QPoint Pixel(double x, double y) {
    const programs::PlotMapping m = Plot().Geometry().mapping;
    return {static_cast<int>(m.PixelX(x)), static_cast<int>(m.PixelY(y))};
  }
  // A drag with the left button, as the mouse sends it.
  void Drag(QPoint from, QPoint to) {
    QTest::mousePress(Area(), Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, to, Area()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(Area(), &move);
    QTest::mouseRelease(Area(), Qt::LeftButton, {}, to);
  }
  QAction* SaveCopyAction(const char* text) {
    for (QAction* action : view.CurvePlot()->SaveCopyButton()->menu()->actions())
      if (action->text().startsWith(QString::fromUtf8(text))) return action;
    return nullptr;
  }
  double Peak() { return view.Model().Analysis().xMax / core::kArcsecond; }

  velto::testing::FakeUserInterface person;
  programs::AppContext app;
  COrvoView view;
};

TEST_F(PlotWidgetTest, DragZoomThenFullViewRestoresTheProgramsRanges) {
  ASSERT_NE(view.Model().Curve(), nullptr);
  const programs::PlotRange full = Plot().Geometry().mapping.range;
  EXPECT_EQ(full.xMin, -50);
  EXPECT_EQ(full.xMax, 50);
  EXPECT_EQ(full.yMin, 0);
  EXPECT_EQ(full.yMax, 1);
  EXPECT_FALSE(view.CurvePlot()->FullViewButton()->isEnabled());

  Drag(Pixel(Peak() - 5, 1.0), Pixel(Peak() + 5, 0.2));
  ASSERT_TRUE(Plot().Zoomed());
  const programs::PlotRange zoomed = Plot().Geometry().mapping.range;
  EXPECT_NEAR(zoomed.xMax - zoomed.xMin, 10, 0.5);
  EXPECT_TRUE(view.CurvePlot()->FullViewButton()->isEnabled());
  // The press wrote the program's own read-out field, as a click does.
  EXPECT_FALSE(view.FieldEdit(F::MouseCoordinates)->text().isEmpty());

  QTest::mouseDClick(Area(), Qt::LeftButton, {}, Pixel(Peak(), 0.5));
  EXPECT_FALSE(Plot().Zoomed());
  const programs::PlotRange back = Plot().Geometry().mapping.range;
  EXPECT_EQ(back.xMin, full.xMin);
  EXPECT_EQ(back.xMax, full.xMax);
  EXPECT_EQ(back.yMax, full.yMax);

  Drag(Pixel(Peak() - 5, 1.0), Pixel(Peak() + 5, 0.2));
  ASSERT_TRUE(Plot().Zoomed());
  view.CurvePlot()->FullViewButton()->click();
  EXPECT_FALSE(Plot().Zoomed());
  EXPECT_TRUE(Plot().FullViewShown());
}

TEST_F(PlotWidgetTest, TheWheelZoomsAboutTheCursor) {
  const QPoint at = Pixel(Peak() + 2, 0.6);
  const programs::PlotMapping before = Plot().Geometry().mapping;
  QWheelEvent wheel(at, Area()->mapToGlobal(at), {}, {0, 240}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
  QApplication::sendEvent(Area(), &wheel);
  const programs::PlotMapping after = Plot().Geometry().mapping;
  ASSERT_TRUE(Plot().Zoomed());
  EXPECT_NEAR(after.range.xMax - after.range.xMin, 100 / 1.5625, 1e-9);  // two notches of 1.25
  EXPECT_NEAR(after.DataX(at.x()), before.DataX(at.x()), 1e-9);
  EXPECT_NEAR(after.DataY(at.y()), before.DataY(at.y()), 1e-9);
}

TEST_F(PlotWidgetTest, MovingTheMouseReadsTheCurveUnderIt) {
  const QPoint at = Pixel(Peak(), 0.5);
  QTest::mouseMove(Area(), at);
  const QString text = view.CurvePlot()->Readout()->text();
  EXPECT_TRUE(text.startsWith(QString::fromUtf8("Δθ = "))) << text.toStdString();
  // The reflectivity at the nearest point is the maximum the window reports.
  const int r = text.indexOf(QStringLiteral("R = "));
  ASSERT_GE(r, 0) << text.toStdString();
  EXPECT_NEAR(shell::ParseNumber(text.mid(r + 4).toStdString()), view.Model().Analysis().maxR, 0.01);
}

TEST_F(PlotWidgetTest, TheSavedPictureCarriesTitlesLegendAndCaption) {
  velto::testing::TemporaryDirectory dir;
  QAction* save = SaveCopyAction("Save Picture");
  ASSERT_NE(save, nullptr);
  person.QueueSaveFile(dir.path() / "si111.svg");
  save->trigger();
  std::ifstream in(dir.path() / "si111.svg");
  const std::string svg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char* part :
       {">Δθ (arcsec)<", ">Reflectivity<", ">R<", ">Silicon 1 1 1 Bragg case, ", " keV, σ polarization<"}) {
    EXPECT_NE(svg.find(part), std::string::npos) << part;
  }

  person.QueueSaveFile(dir.path() / "si111.png");
  save->trigger();
  const QImage png(QString::fromStdString((dir.path() / "si111.png").string()));
  ASSERT_FALSE(png.isNull());
  EXPECT_EQ(png.size(), Area()->size());
  EXPECT_TRUE(person.messages.empty()) << person.LastMessage();

  QAction* copy = SaveCopyAction("Copy Picture");
  ASSERT_NE(copy, nullptr);
  copy->trigger();
  EXPECT_EQ(QApplication::clipboard()->image().size(), Area()->size());
}

TEST_F(PlotWidgetTest, TheCopiedTextHasTheShownPoints) {
  Drag(Pixel(Peak() - 2, 1.0), Pixel(Peak() + 2, 0.0));
  const programs::PlotRange view = Plot().Geometry().mapping.range;
  QAction* copy = SaveCopyAction("Copy Shown Curves");
  ASSERT_NE(copy, nullptr);
  copy->trigger();
  std::istringstream lines(person.clipboard);
  std::string line;
  ASSERT_TRUE(std::getline(lines, line));
  EXPECT_EQ(line, "Δθ (arcsec)\tR");
  int points = 0;
  while (std::getline(lines, line)) {
    const double x = shell::ParseNumber(line);
    EXPECT_GE(x, view.xMin - 1e-6);
    EXPECT_LE(x, view.xMax + 1e-6);
    ++points;
  }
  // 0.05″ apart across about 4″.
  EXPECT_NEAR(points, (view.xMax - view.xMin) / 0.05, 1.5);
}

}  // namespace
}  // namespace velto::gui
