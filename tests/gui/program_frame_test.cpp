#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <map>
#include <thread>
#include <vector>

#include "GuiTestSupport.h"
#include "gui/CMainFrame.h"
#include "gui/CMyMDIClient.h"
#include "gui/COrvoView.h"
#include "programs/ui/BackgroundTask.h"
#include "support/FakeUserInterface.h"
#include "support/TestFiles.h"

namespace velto::gui {
namespace {

using shell::ProgramKind;
using testing::StandInView;

QStringList Entries(const QMenu* menu) {
  QStringList texts;
  for (const QAction* entry : menu->actions()) {
    if (!entry->isSeparator()) texts << entry->text();
  }
  return texts;
}

QStringList MenuNames(CMainFrame& frame) {
  QStringList names;
  for (const QAction* menu : frame.menuBar()->actions()) names << menu->text();
  return names;
}

QMenu* MenuOf(CMainFrame& frame, const QString& name) {
  for (QAction* menu : frame.menuBar()->actions()) {
    if (menu->text() == name) return menu->menu();
  }
  return nullptr;
}

QAction* EntryOf(QMenu* menu, const QString& text) {
  for (QAction* entry : menu->actions()) {
    if (entry->text() == text) return entry;
  }
  return nullptr;
}

// A point in the middle of a window's title bar, in client coordinates.
QPoint TitleBarPoint(const QMdiSubWindow* window) { return window->geometry().topLeft() + QPoint(window->width() / 2, 6); }

// A main window of 800 x 685, the size the application had on a first run.
struct SmallMainWindow {
  explicit SmallMainWindow(ProgramWindowRegistry registry) : frame(settings, state, std::move(registry)) {
    frame.resize(800, 685);
    frame.show();
    QApplication::processEvents();
  }
  QMdiSubWindow* Open(ProgramKind kind) {
    frame.OpenProgram(kind);
    QApplication::processEvents();
    return frame.Client()->currentSubWindow();
  }
  QRect ClientRect() const { return frame.Client()->viewport()->rect(); }

  shell::MemorySettingsStore settings;
  shell::MainFrameState state;
  CMainFrame frame;
};

TEST(ProgramFrame, ProgramWindowsOpenWhollyInsideASmallMainWindowAndCascade) {
  SmallMainWindow main(BuiltProgramWindows());
  QMdiSubWindow* bragg = main.Open(ProgramKind::SingleCrystal);
  ASSERT_NE(bragg, nullptr);
  EXPECT_TRUE(main.ClientRect().contains(bragg->geometry())) << bragg->width() << "x" << bragg->height();
  EXPECT_EQ(bragg->pos(), QPoint(0, 0));
  // The client area itself needs no scrolling to show the window.
  EXPECT_FALSE(main.frame.Client()->horizontalScrollBar()->isVisible());
  EXPECT_FALSE(main.frame.Client()->verticalScrollBar()->isVisible());

  // The form does not fit, so it scrolls; it opens at its top-left corner,
  // and the controls at its far corner can be scrolled into view.
  auto* view = qobject_cast<COrvoView*>(bragg->widget());
  ASSERT_NE(view, nullptr);
  QScrollArea* scroll = view->ScrollArea();
  EXPECT_GT(scroll->verticalScrollBar()->maximum() + scroll->horizontalScrollBar()->maximum(), 0);
  EXPECT_EQ(scroll->horizontalScrollBar()->value(), 0);
  EXPECT_EQ(scroll->verticalScrollBar()->value(), 0);
  QPushButton* calculate = view->CalculateButton();
  scroll->ensureWidgetVisible(calculate);
  const QRect shown(calculate->mapTo(scroll->viewport(), QPoint(0, 0)), calculate->size());
  EXPECT_TRUE(scroll->viewport()->rect().contains(shown));

  // The second program cascades from the first: inside the client area,
  // with the first one's title bar still in sight.
  QMdiSubWindow* laue = main.Open(ProgramKind::LaueCase);
  ASSERT_NE(laue, bragg);
  EXPECT_TRUE(main.ClientRect().contains(laue->geometry()));
  EXPECT_GT(laue->x(), bragg->x());
  EXPECT_FALSE(laue->geometry().contains(TitleBarPoint(bragg)));
  EXPECT_FALSE(main.frame.Client()->horizontalScrollBar()->isVisible());

  main.frame.CascadeWindows();
  EXPECT_TRUE(main.ClientRect().contains(bragg->geometry()));
  EXPECT_TRUE(main.ClientRect().contains(laue->geometry()));
  EXPECT_FALSE(laue->geometry().contains(TitleBarPoint(bragg)));
  EXPECT_EQ(main.frame.Client()->currentSubWindow(), laue);  // the window in front stays in front
}

TEST(ProgramFrame, TileArrangesTwoProgramWindowsWithoutOverlap) {
  SmallMainWindow main(BuiltProgramWindows());
  QMdiSubWindow* bragg = main.Open(ProgramKind::SingleCrystal);
  QMdiSubWindow* laue = main.Open(ProgramKind::LaueCase);
  main.frame.TileWindows();
  QApplication::processEvents();
  EXPECT_FALSE(bragg->geometry().intersects(laue->geometry()))
      << bragg->geometry().width() << " " << laue->geometry().x();
  EXPECT_TRUE(main.ClientRect().contains(bragg->geometry()));
  EXPECT_TRUE(main.ClientRect().contains(laue->geometry()));
  // Together they use the client area.
  EXPECT_GT(bragg->width() * bragg->height() + laue->width() * laue->height(),
            main.ClientRect().width() * main.ClientRect().height() * 9 / 10);

  laue->showMinimized();
  bragg->showMinimized();
  main.frame.ArrangeIcons();
  EXPECT_EQ(bragg->geometry().bottom(), main.ClientRect().bottom());
  EXPECT_EQ(laue->geometry().bottom(), main.ClientRect().bottom());
  EXPECT_FALSE(bragg->geometry().intersects(laue->geometry()));
}

TEST(ProgramFrame, EachMenuBarShowsTheFileEntriesItsViewDeclares) {
  int mapExports = 0, pointsSaved = 0;
  ProgramWindowRegistry registry = BuiltProgramWindows();
  registry[ProgramKind::MbdLineMap] = [&](programs::AppContext&, QWidget* parent) -> ProgramView* {
    auto* view = new StandInView(parent);
    view->AddFileCommand("Export Map Data...", [&] { ++mapExports; });
    view->AddFileCommand("&Save Points on a Vertical Line...", [&] { ++pointsSaved; });
    return view;
  };
  registry[ProgramKind::BrennanStructureFactors] = [](programs::AppContext&, QWidget* parent) -> ProgramView* {
    return new StandInView(parent);
  };
  registry[ProgramKind::MultipleBeam] = [](programs::AppContext&, QWidget* parent) -> ProgramView* {
    auto* view = new StandInView(parent);
    view->UseMenuBarOfOtherWindows();
    return view;
  };
  SmallMainWindow main(registry);
  CMainFrame& frame = main.frame;
  QAction* exportButton = frame.ExportAction();

  // The main window's own bar.
  EXPECT_EQ(MenuNames(frame), (QStringList{"&File", "&Programs", "&Tools", "&Windows", "&Help"}));
  EXPECT_EQ(Entries(MenuOf(frame, "&File")), QStringList{"E&xit"});
  EXPECT_EQ(Entries(MenuOf(frame, "&Windows")), QStringList{"&Toolbar"});
  EXPECT_FALSE(exportButton->isEnabled());

  QMdiSubWindow* bragg = main.Open(ProgramKind::SingleCrystal);
  EXPECT_EQ(MenuNames(frame), (QStringList{"&File", "&Programs", "&Tools", "&Window", "&Help"}));
  EXPECT_EQ(Entries(MenuOf(frame, "&File")), (QStringList{"Export Curve Data...", "E&xit"}));
  EXPECT_EQ(Entries(MenuOf(frame, "&Window")),
            (QStringList{"&Cascade", "&Tile", "&Arrange Icons", "&Toolbar",
                         "&1 Bragg-case Darwin Curve of Single Crystal Diffraction"}));
  EXPECT_TRUE(exportButton->isEnabled());
  EXPECT_EQ(exportButton->toolTip(), "Export Curve or Map Data...");
  auto* braggView = qobject_cast<COrvoView*>(bragg->widget());
  velto::testing::FakeUserInterface person;
  braggView->SetUserInterface(person);
  EntryOf(MenuOf(frame, "&File"), "Export Curve Data...")->trigger();
  EXPECT_EQ(person.LastMessage(), "No data to export yet !    ");
  exportButton->trigger();
  EXPECT_EQ(person.messages.size(), 2u);

  main.Open(ProgramKind::MbdLineMap);
  EXPECT_EQ(Entries(MenuOf(frame, "&File")),
            (QStringList{"Export Map Data...", "&Save Points on a Vertical Line...", "E&xit"}));
  EntryOf(MenuOf(frame, "&File"), "&Save Points on a Vertical Line...")->trigger();
  exportButton->trigger();  // the first entry
  EXPECT_EQ(pointsSaved, 1);
  EXPECT_EQ(mapExports, 1);

  main.Open(ProgramKind::BrennanStructureFactors);
  EXPECT_EQ(Entries(MenuOf(frame, "&File")), QStringList{"E&xit"});
  EXPECT_TRUE(MenuOf(frame, "&Window"));
  EXPECT_FALSE(exportButton->isEnabled());

  // Without a bar of its own, the multiple-beam program leaves the map's
  // bar showing, and the map's entries do nothing for it.
  frame.OpenProgram(ProgramKind::MbdLineMap);
  main.Open(ProgramKind::MultipleBeam);
  EXPECT_EQ(Entries(MenuOf(frame, "&File")),
            (QStringList{"Export Map Data...", "&Save Points on a Vertical Line...", "E&xit"}));
  QAction* mapExport = EntryOf(MenuOf(frame, "&File"), "Export Map Data...");
  EXPECT_FALSE(mapExport->isEnabled());
  mapExport->trigger();
  exportButton->trigger();
  EXPECT_EQ(mapExports, 1);
  EXPECT_FALSE(exportButton->isEnabled());

  // The window list activates a window, and its bar comes with it.
  QMenu* window = MenuOf(frame, "&Window");
  EXPECT_EQ(Entries(window).size(), 8);
  EntryOf(window, "&1 Bragg-case Darwin Curve of Single Crystal Diffraction")->trigger();
  EXPECT_EQ(frame.Client()->currentSubWindow(), bragg);
  EXPECT_EQ(Entries(MenuOf(frame, "&File")), (QStringList{"Export Curve Data...", "E&xit"}));

  frame.Client()->closeAllSubWindows();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QApplication::processEvents();
  EXPECT_EQ(MenuNames(frame), (QStringList{"&File", "&Programs", "&Tools", "&Windows", "&Help"}));
  EXPECT_EQ(Entries(MenuOf(frame, "&File")), QStringList{"E&xit"});
  EXPECT_FALSE(exportButton->isEnabled());
}

TEST(ProgramFrame, EveryBuiltProgramDeclaresTheFileMenuOfItsBar) {
  shell::MemorySettingsStore settings;
  shell::MainFrameState state;
  state.exeDirectory = velto::testing::BuildDataDirectory();
  CMainFrame frame(settings, state, BuiltProgramWindows());
  frame.resize(1400, 1000);
  frame.show();
  const std::map<ProgramKind, QStringList> files{
      {ProgramKind::SingleCrystal, {"Export Curve Data...", "E&xit"}},
      {ProgramKind::LaueCase, {"Export Curve Data...", "E&xit"}},
      {ProgramKind::BrennanStructureFactors, {"E&xit"}},
  };
  for (const auto& [kind, entries] : files) {
    ASSERT_TRUE(frame.ProgramAction(kind)->isEnabled()) << shell::InfoOf(kind).windowTitle;
    frame.OpenProgram(kind);
    EXPECT_EQ(Entries(MenuOf(frame, "&File")), entries) << shell::InfoOf(kind).windowTitle;
    EXPECT_TRUE(MenuOf(frame, "&Window")) << shell::InfoOf(kind).windowTitle;
  }
  // The multiple-beam program keeps the bar of the window before it.
  const QStringList before = Entries(MenuOf(frame, "&File"));
  frame.OpenProgram(ProgramKind::MultipleBeam);
  EXPECT_EQ(frame.Client()->currentSubWindow()->windowTitle(),
            "Dynamical Theory Computation of Multiple-Beam Diffraction");
  EXPECT_EQ(Entries(MenuOf(frame, "&File")), before);
  EXPECT_FALSE(frame.ExportAction()->isEnabled());
}

TEST(ProgramFrame, OnALaptopScreenTheSingleCrystalWindowShowsEverythingWithoutScrolling) {
  shell::MemorySettingsStore settings;
  shell::MainFrameState state;
  CMainFrame frame(settings, state, BuiltProgramWindows());
  frame.setGeometry(0, 0, 1366, 768 - 30);  // a maximised window below a title bar
  frame.show();
  QApplication::processEvents();
  frame.OpenProgram(ProgramKind::SingleCrystal);
  QApplication::processEvents();
  auto* view = qobject_cast<COrvoView*>(frame.Client()->currentSubWindow()->widget());
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->ScrollArea()->verticalScrollBar()->maximum(), 0) << view->ScrollArea()->widget()->minimumSizeHint().height();
  EXPECT_EQ(view->ScrollArea()->horizontalScrollBar()->maximum(), 0) << view->ScrollArea()->widget()->minimumSizeHint().width();
}

TEST(ProgramFrame, ARunningTaskKeepsTheApplicationUsableAndCancelKeepsTheEarlierResult) {
  int otherExports = 0;
  StandInView* view = nullptr;
  ProgramWindowRegistry registry;
  registry[ProgramKind::MbdLineMap] = [&](programs::AppContext&, QWidget* parent) -> ProgramView* {
    view = new StandInView(parent);
    view->AddFileCommand("Export Map Data...", [] {});
    return view;
  };
  registry[ProgramKind::MultiCrystalMonochromator] = [&](programs::AppContext&, QWidget* parent) -> ProgramView* {
    auto* other = new StandInView(parent);
    other->AddFileCommand("Export Curve data...", [&] { ++otherExports; });
    return other;
  };
  SmallMainWindow main(registry);
  QMdiSubWindow* other = main.Open(ProgramKind::MultiCrystalMonochromator);
  QMdiSubWindow* map = main.Open(ProgramKind::MbdLineMap);
  ASSERT_NE(view, nullptr);
  QSignalSpy finished(view, &ProgramView::taskFinished);

  // A run that completes applies its outcome.
  view->release->store(true);
  view->StartTask(1);
  ASSERT_TRUE(finished.wait(10000));
  EXPECT_EQ(finished.takeFirst().at(0).toBool(), false);
  EXPECT_EQ(view->result, 1);

  view->release->store(false);
  view->StartTask(2);
  ASSERT_TRUE(view->Busy());
  // The busy cursor covers this window only, and its commands are refused.
  EXPECT_TRUE(view->BusyShield()->isVisible());
  EXPECT_EQ(view->BusyShield()->cursor().shape(), Qt::BusyCursor);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(EntryOf(MenuOf(main.frame, "&File"), "Export Map Data...")->isEnabled());
  EXPECT_FALSE(main.frame.ExportAction()->isEnabled());
  view->StartTask(3);
  EXPECT_EQ(view->commandsRun, 2);
  // The progress shows in the window after a moment, with the task's title.
  QTRY_VERIFY_WITH_TIMEOUT(view->ProgressPanel()->isVisible(), 5000);
  EXPECT_EQ(view->ProgressBar()->value(), 50);
  EXPECT_TRUE(view->ProgressPanel()->findChildren<QLabel*>().front()->text().startsWith("Waiting for the test"));

  // Meanwhile the other program window works.
  main.frame.Client()->setActiveSubWindow(other);
  main.frame.ExportAction()->trigger();
  EXPECT_EQ(otherExports, 1);
  main.frame.Client()->setActiveSubWindow(map);

  view->CancelButton()->click();
  ASSERT_TRUE(finished.wait(10000));
  EXPECT_EQ(finished.takeFirst().at(0).toBool(), true);
  EXPECT_EQ(view->result, 1);
  EXPECT_FALSE(view->Busy());
  EXPECT_FALSE(view->BusyShield()->isVisible());
  EXPECT_TRUE(EntryOf(MenuOf(main.frame, "&File"), "Export Map Data...")->isEnabled());

  // Closing the window during a run stops the run before the window goes.
  view->StartTask(4);
  ASSERT_TRUE(view->Busy());
  const auto ended = view->ended;
  ended->store(false);
  map->close();
  EXPECT_TRUE(ended->load());
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QApplication::processEvents();
  EXPECT_FALSE(main.frame.Slots().IsOpen(ProgramKind::MbdLineMap));
  EXPECT_TRUE(finished.isEmpty());
}

TEST(ProgramFrame, AWorkersNoticesAreShownOnceEachWithTheirCountBeforeTheFinish) {
  StandInView view;
  velto::testing::FakeUserInterface person;
  view.SetUserInterface(person);
  QSignalSpy finished(&view, &ProgramView::taskFinished);
  const QThread* computedOn = nullptr;
  std::size_t shownAtFinish = 0;
  const auto run = [&](int threads) {
    view.RunCommand([&, threads](programs::UserInterface& ui) {
      ui.RunInBackground({"Noticing...",
                          [&computedOn, threads](core::Notifier& notices, core::Progress&) {
                            computedOn = QThread::currentThread();
                            std::vector<std::thread> workers;
                            for (int t = 0; t < threads; ++t) {
                              workers.emplace_back([&notices] {
                                for (int i = 0; i < 250; ++i) notices.Notify("ZGEEV failed", core::MessageIcon::Error);
                              });
                            }
                            for (std::thread& w : workers) w.join();
                            if (threads > 0) notices.Notify("Energy outside the table", core::MessageIcon::None);
                          },
                          [&](programs::UserInterface&, bool) { shownAtFinish = person.messages.size(); }});
    });
    return finished.wait(10000);
  };

  ASSERT_TRUE(run(4));
  EXPECT_NE(computedOn, nullptr);
  EXPECT_NE(computedOn, QThread::currentThread());
  ASSERT_EQ(person.messages.size(), 2u);
  EXPECT_EQ(person.messages[0].text, programs::NoticeCollector::WithCount("ZGEEV failed", 1000));
  EXPECT_EQ(person.messages[0].icon, core::MessageIcon::Error);
  EXPECT_EQ(person.messages[1].text, "Energy outside the table");
  EXPECT_EQ(shownAtFinish, 2u) << "the notices come before the outcome is applied";

  // The next run starts with none: nothing of the first is shown again.
  ASSERT_TRUE(run(0));
  EXPECT_EQ(person.messages.size(), 2u);
}

TEST(ProgramFrame, EnterInAFieldRunsTheMainCommandAndOnAButtonPressesIt) {
  StandInView view;
  auto* field = new QLineEdit(view.Form());
  auto* button = new QPushButton(QStringLiteral("Define Crystal..."), view.Form());
  view.Form()->layout()->addWidget(field);
  view.Form()->layout()->addWidget(button);
  int calculations = 0, presses = 0;
  view.SetMainCommand([&] { ++calculations; });
  QObject::connect(button, &QPushButton::clicked, [&] { ++presses; });
  view.show();
  field->setFocus();
  QTest::keyClick(field, Qt::Key_Return);
  QTest::keyClick(field, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(calculations, 2);
  button->setFocus();
  QTest::keyClick(button, Qt::Key_Return);
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(calculations, 2);
  // Shift+Enter is not Enter.
  QTest::keyClick(field, Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(calculations, 2);
}

}  // namespace
}  // namespace velto::gui
