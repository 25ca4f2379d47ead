#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <QToolBar>

#include "GuiTestSupport.h"
#include "gui/Application.h"
#include "gui/CDlgArcMurad.h"
#include "gui/CMyMDIClient.h"
#include "gui/COrvoView.h"
#include "support/FakeUserInterface.h"
#include "support/TestFiles.h"

namespace velto::gui {
namespace {

using shell::ProgramKind;

std::unique_ptr<Application> Start() {
  return StartApplication(std::make_unique<shell::MemorySettingsStore>());
}

TEST(MainWindow, StartsWithNoProgramWindowAndUnbuiltProgramsDisabled) {
  auto application = Start();
  CMainFrame& frame = *application->mainFrame;
  frame.ShowAsSaved();
  EXPECT_TRUE(frame.isVisible());
  EXPECT_EQ(frame.windowTitle(), " VELTO");
  EXPECT_TRUE(frame.Client()->subWindowList().isEmpty());
  // No program fits 800 x 685, so a first run takes the screen's area.
  // Maximised: the window manager fits the window with its frame into the
  // area (Xvfb with a window manager shows it; the offscreen platform only
  // approximates the frame).
  EXPECT_TRUE(frame.isMaximized());
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_GT(frame.width() * frame.height(), area.width() * area.height() * 9 / 10);
  for (ProgramKind kind : shell::kAllPrograms) {
    const bool built = BuiltProgramWindows().count(kind) > 0;
    EXPECT_EQ(frame.ProgramAction(kind)->isEnabled(), built);
  }
  EXPECT_TRUE(frame.ProgramAction(ProgramKind::MultipleBeam)->isEnabled());
  EXPECT_EQ(frame.ProgramAction(ProgramKind::MultipleBeam)->toolTip(), "Multiple-Beam Diffraction");

  QStringList menus;
  for (QAction* menu : frame.menuBar()->actions()) menus << menu->text();
  EXPECT_EQ(menus, (QStringList{"&File", "&Programs", "&Tools", "&Windows", "&Help"}));
  EXPECT_EQ(frame.ControlBar()->objectName(), "ControlBar");
}

TEST(MainWindow, AStoredPlacementIsRestoredAndBroughtBackOnScreen) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  shell::MemorySettingsStore settings;
  shell::SavePlacementOnClose(settings, {10, 20, 640, 480, false}, false, "/data");
  shell::MainFrameState state;
  {
    CMainFrame frame(settings, state, {});
    frame.ShowAsSaved();
    EXPECT_EQ(frame.frameGeometry(), QRect(10, 20, 640, 480));  // the stored size is the outer frame
  }
  // Left on a second monitor that is gone: back on this screen.
  shell::SavePlacementOnClose(settings, {screen.right() + 500, 20, 640, 480, false}, false, "/data");
  CMainFrame frame(settings, state, {});
  frame.ShowAsSaved();
  EXPECT_TRUE(screen.contains(frame.frameGeometry())) << frame.frameGeometry().x();
  EXPECT_EQ(frame.frameGeometry().size(), QSize(640, 480));
}

TEST(MainWindow, OpeningTheConverterTwiceShowsOneDialogThatSurvivesClosing) {
  auto application = Start();
  CMainFrame& frame = *application->mainFrame;
  frame.show();
  frame.ShowConverter();
  CDlgArcMurad* first = frame.Converter();
  ASSERT_NE(first, nullptr);
  frame.ShowConverter();
  EXPECT_EQ(frame.Converter(), first);
  EXPECT_EQ(frame.findChildren<CDlgArcMurad*>().size(), 1);
  EXPECT_TRUE(first->isVisible());
  EXPECT_EQ(first->windowTitle(), "Arc-second vs Micro-radian");

  first->ModeButton(programs::ArcConverterForm::Degrees)->click();
  first->FieldEdit(programs::ArcConverterForm::Degrees)->setText("1");
  emit first->FieldEdit(programs::ArcConverterForm::Degrees)->textEdited("1");
  EXPECT_EQ(first->FieldEdit(programs::ArcConverterForm::Arcseconds)->text(), "3600");
  EXPECT_TRUE(first->FieldEdit(programs::ArcConverterForm::Arcseconds)->isReadOnly());

  first->close();
  EXPECT_FALSE(first->isVisible());
  frame.ShowConverter();
  EXPECT_EQ(frame.Converter(), first);
  EXPECT_EQ(first->FieldEdit(programs::ArcConverterForm::Arcseconds)->text(), "3600");
}

TEST(MainWindow, EachProgramOpensOnceAndClosingFreesIt) {
  shell::MemorySettingsStore settings;
  shell::MainFrameState state;
  int built = 0;
  ProgramWindowRegistry registry;
  for (ProgramKind kind : {ProgramKind::SingleCrystal, ProgramKind::LaueCase, ProgramKind::MbdLineMap}) {
    registry[kind] = [&built](programs::AppContext&, QWidget* parent) -> ProgramView* {
      ++built;
      return new testing::StandInView(parent);
    };
  }
  CMainFrame frame(settings, state, registry);
  frame.resize(1800, 1400);
  frame.show();
  EXPECT_TRUE(frame.ProgramAction(ProgramKind::LaueCase)->isEnabled());
  EXPECT_FALSE(frame.ProgramAction(ProgramKind::MultipleBeam)->isEnabled());

  frame.ProgramAction(ProgramKind::MbdLineMap)->trigger();
  frame.ProgramAction(ProgramKind::SingleCrystal)->trigger();
  frame.ProgramAction(ProgramKind::LaueCase)->trigger();
  frame.ProgramAction(ProgramKind::MbdLineMap)->trigger();
  EXPECT_EQ(built, 3);
  const auto windows = frame.Client()->subWindowList();
  ASSERT_EQ(windows.size(), 3);
  QMdiSubWindow* map = windows[0];
  EXPECT_EQ(map->windowTitle(), "Multiple-Beam Diffraction Lines (Monochromator Glitches) in Azimuth-Energy Map");
  EXPECT_EQ(map->pos(), QPoint(2, 2));
  EXPECT_EQ(map->size(), QSize(1500, 1200));
  EXPECT_EQ(frame.Client()->activeSubWindow(), map);  // the second request brought it to the front
  EXPECT_EQ(windows[2]->windowTitle(), "Laue-case Single-Crystal Diffraction for Plane Wave");
  EXPECT_EQ(frame.windowTitle(),
            " VELTO - Multiple-Beam Diffraction Lines (Monochromator Glitches) in Azimuth-Energy Map");

  map->close();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(frame.Slots().IsOpen(ProgramKind::MbdLineMap));
  frame.ProgramAction(ProgramKind::MbdLineMap)->trigger();
  EXPECT_EQ(built, 4);
}

TEST(MainWindow, CloseSavesPlacementDirectoryAndToolbar) {
  shell::MemorySettingsStore settings;
  shell::MainFrameState state;
  state.structPath = "/data/crystals";
  {
    CMainFrame frame(settings, state, {});
    frame.ShowAsSaved();
    frame.setGeometry(frame.geometry().translated(40, 50));
    const QSize margins = frame.frameGeometry().size() - frame.size();
    frame.resize(QSize(900, 700) - margins);
    frame.move(40, 50);
    frame.close();
  }
  EXPECT_EQ(shell::ReadPlacement(settings), (shell::WindowPlacement{40, 50, 900, 700, false}));
  EXPECT_EQ(settings.ReadText("Settings", "StructPath"), "/data/crystals");
  EXPECT_TRUE(settings.Contains("Settings", "ControlBarStates"));

  state.structPath = "/elsewhere";
  {
    CMainFrame frame(settings, state, {});
    frame.showMaximized();
    QApplication::processEvents();
    ASSERT_TRUE(frame.isMaximized());
    frame.close();
  }
  const shell::WindowPlacement placement = shell::ReadPlacement(settings);
  EXPECT_TRUE(placement.maximised);
  EXPECT_EQ(placement.width, 900);
  EXPECT_EQ(settings.ReadText("Settings", "StructPath"), "/data/crystals");
}

TEST(MainWindow, HelpAndStructureEditorReportWhatIsMissing) {
  shell::MemorySettingsStore settings;
  shell::MainFrameState state;
  velto::testing::TemporaryDirectory empty;
  state.exeDirectory = empty.path();
  CMainFrame frame(settings, state, {});
  velto::testing::FakeUserInterface ui;
  frame.SetUserInterface(ui);

  frame.ShowHelp();
  const std::filesystem::path missing = empty.path() / "VELTO-Help.pdf";
  EXPECT_EQ(ui.LastMessage(), "Cannot find the VELTO-Help.pdf file\nThere is no file " + missing.string() + ".");
  EXPECT_EQ(ui.messages.back().icon, programs::MessageIcon::None);

  // The manual is there, but the desktop's program for it fails.
  state.exeDirectory = velto::testing::BuildDataDirectory();
  const std::filesystem::path manual = state.exeDirectory / "VELTO-Help.pdf";
  ASSERT_TRUE(std::filesystem::is_regular_file(manual));  // typeset by the build
  ui.openDocument = [](const std::filesystem::path&) { return false; };
  frame.ShowHelp();
  EXPECT_EQ(ui.LastMessage(),
            "Cannot find the VELTO-Help.pdf file\nNo program of this desktop could show " + manual.string() + ".");
  const std::size_t shown = ui.messages.size();
  ui.openDocument = [](const std::filesystem::path&) { return true; };
  frame.ShowHelp();
  EXPECT_EQ(ui.documentsOpened.back(), manual);
  EXPECT_EQ(ui.messages.size(), shown);

  ui.startProgram = [](const std::filesystem::path&) { return programs::LaunchResult::NotFound; };
  frame.StartStructureEditor();
  ASSERT_EQ(ui.programsStarted.size(), 1u);
  // The structure editor built beside velto.
  EXPECT_EQ(ui.programsStarted[0].filename(), "velto-struct");
  const std::string directory = ui.programsStarted[0].parent_path().string();
  EXPECT_EQ(ui.LastMessage(),
            "File \"velto-struct\" not found !!!\nMake sure this file is in the directory\n" + directory);

  ui.startProgram = [](const std::filesystem::path&) { return programs::LaunchResult::Failed; };
  const std::size_t before = ui.messages.size();
  frame.StartStructureEditor();
  EXPECT_EQ(ui.messages.size(), before);  // other launch failures pass silently
}

}  // namespace
}  // namespace velto::gui
