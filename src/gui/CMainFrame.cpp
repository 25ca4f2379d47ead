#include "gui/CMainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <optional>

#include "core/DataDirectory.h"
#include "gui/CAboutDlg.h"
#include "gui/CDlgArcMurad.h"
#include "gui/CMyMDIClient.h"
#include "gui/Pictures.h"
#include "gui/ProgramView.h"
#include "programs/ui/Documents.h"
#include "shell/ChildPlacement.h"

namespace velto::gui {

using shell::InfoOf;
using shell::ProgramKind;

namespace {

constexpr const char* kCaption = " VELTO";
constexpr const char* kHelpDocument = "VELTO-Help.pdf";
// The structure editor, a separate program that lies beside velto.
constexpr const char* kStructureEditor = "velto-struct";
// The export command while no program window offers its own.
constexpr const char* kGeneralExportCommand = "Export Curve or Map Data...";

// The least offset between cascaded program windows: the title bar of the
// window beneath stays visible.
int CascadeStep(const QWidget* window) {
  const QStyle* style = window->style();
  return style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window) +
         style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
}

shell::Size SizeOf(const QWidget* widget) { return {widget->width(), widget->height()}; }

ToolbarPicture PictureOf(ProgramKind kind) {
  switch (kind) {
    case ProgramKind::SingleCrystal:
      return ToolbarPicture::SingleCrystal;
    case ProgramKind::LaueCase:
      return ToolbarPicture::LaueCase;
    case ProgramKind::ConvolutedRockingCurve:
      return ToolbarPicture::ConvolutedRockingCurve;
    case ProgramKind::MultiCrystalMonochromator:
      return ToolbarPicture::MultiCrystalMonochromator;
    case ProgramKind::MultipleBeam:
      return ToolbarPicture::MultipleBeam;
    case ProgramKind::MbdLineMap:
      return ToolbarPicture::MbdLineMap;
    case ProgramKind::BrennanStructureFactors:
      break;
  }
  return ToolbarPicture::BrennanStructureFactors;
}

}  // namespace

CMainFrame::CMainFrame(shell::SettingsStore& settings, shell::MainFrameState& state, ProgramWindowRegistry programs,
                       QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      state_(state),
      programs_(std::move(programs)),
      app_(state, this),
      ui_(this),
      commandUi_(&ui_) {
  setWindowTitle(ToQt(kCaption));
  setWindowIcon(ApplicationIcon());
  client_ = new CMyMDIClient(this);
  setCentralWidget(client_);
  BuildMenusAndToolbar();
  connect(client_, &QMdiArea::subWindowActivated, this, [this] {
    UpdateCaption();
    UpdateMenuBar();
  });
  // Created for the programs that write to it, but kept out of sight.
  statusBar()->hide();

  if (const auto saved = settings_.ReadText(shell::kSettingsSection, shell::kToolbarStateName)) {
    restoreState(QByteArray::fromBase64(QByteArray::fromStdString(*saved)));
  }
}

CMainFrame::~CMainFrame() {
  // The client area and the program windows are deleted with the base
  // class, after this window's members are gone; they must not report their
  // closing or activation to it then.
  client_->disconnect(this);
  for (const auto& [kind, window] : windows_) {
    if (window) window->disconnect(this);
  }
}

template <typename Bar>
void CMainFrame::AddProgramGroups(Bar* bar) {
  // The program entries of the Programs menu and the toolbar, in groups.
  const std::vector<std::vector<ProgramKind>> groups{{ProgramKind::SingleCrystal, ProgramKind::LaueCase},
                                                    {ProgramKind::ConvolutedRockingCurve},
                                                    {ProgramKind::MultiCrystalMonochromator},
                                                    {ProgramKind::MultipleBeam, ProgramKind::MbdLineMap}};
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (i > 0) bar->addSeparator();
    for (ProgramKind kind : groups[i]) bar->addAction(programActions_.at(kind));
  }
}

void CMainFrame::BuildMenusAndToolbar() {
  toolbar_ = new QToolBar(QStringLiteral("Toolbar"), this);
  toolbar_->setObjectName(QStringLiteral("ControlBar"));
  toolbar_->setIconSize(QSize(16, 15));
  toolbar_->setAllowedAreas(Qt::AllToolBarAreas);
  toolbar_->setFloatable(true);
  addToolBar(Qt::TopToolBarArea, toolbar_);

  for (ProgramKind kind : shell::kAllPrograms) {
    const shell::ProgramInfo& info = InfoOf(kind);
    auto* action = new QAction(ToolbarIcon(PictureOf(kind)), ToQt(info.caption), this);
    action->setToolTip(ToQt(info.toolTip));
    action->setStatusTip(ToQt(info.toolTip));
    action->setEnabled(programs_.count(kind) > 0);
    connect(action, &QAction::triggered, this, [this, kind] { OpenProgram(kind); });
    programActions_[kind] = action;
  }

  exitAction_ = new QAction(QStringLiteral("E&xit"), this);
  exitAction_->setShortcut(QKeySequence::Quit);
  connect(exitAction_, &QAction::triggered, this, &QWidget::close);
  fileMenu_ = new QMenu(QStringLiteral("&File"), this);
  connect(fileMenu_, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);

  programsMenu_ = new QMenu(QStringLiteral("&Programs"), this);
  AddProgramGroups(programsMenu_);

  toolsMenu_ = new QMenu(QStringLiteral("&Tools"), this);
  toolsMenu_->addAction(QStringLiteral("&Curve Tool..."))->setEnabled(false);
  toolsMenu_->addSeparator();
  toolsMenu_->addAction(programActions_[ProgramKind::BrennanStructureFactors]);
  toolsMenu_->addAction(QStringLiteral("&Editor of Crystal Structure..."), this, &CMainFrame::StartStructureEditor);
  toolsMenu_->addSeparator();
  toolsMenu_->addAction(QStringLiteral("&Arcsecond vs. microradian..."), this, &CMainFrame::ShowConverter);
  toolsMenu_->addAction(QStringLiteral("&Parasitic Reflections of Back Reflection..."), this,
                        &CMainFrame::ShowParasitic);

  toolbarToggle_ = toolbar_->toggleViewAction();
  toolbarToggle_->setText(QStringLiteral("&Toolbar"));
  mainWindowsMenu_ = new QMenu(QStringLiteral("&Windows"), this);
  mainWindowsMenu_->addAction(toolbarToggle_);
  windowMenu_ = new QMenu(QStringLiteral("&Window"), this);
  cascadeAction_ = new QAction(QStringLiteral("&Cascade"), this);
  connect(cascadeAction_, &QAction::triggered, this, &CMainFrame::CascadeWindows);
  tileAction_ = new QAction(QStringLiteral("&Tile"), this);
  connect(tileAction_, &QAction::triggered, this, &CMainFrame::TileWindows);
  arrangeIconsAction_ = new QAction(QStringLiteral("&Arrange Icons"), this);
  connect(arrangeIconsAction_, &QAction::triggered, this, &CMainFrame::ArrangeIcons);

  helpMenu_ = new QMenu(QStringLiteral("&Help"), this);
  helpMenu_->addAction(QStringLiteral("&Help Topics"), this, &CMainFrame::ShowHelp);
  helpMenu_->addSeparator();
  QAction* about = helpMenu_->addAction(QStringLiteral("&About VELTO..."), this, &CMainFrame::ShowAbout);
  about->setIcon(ToolbarIcon(ToolbarPicture::About));
  about->setToolTip(QStringLiteral("About"));

  // The toolbar's Export runs the first File entry of the program window in
  // front; it keeps the general tooltip whatever that entry is named.
  exportAction_ = new QAction(ToolbarIcon(ToolbarPicture::Export), QString::fromLatin1(kGeneralExportCommand), this);
  exportAction_->setToolTip(QString::fromLatin1(kGeneralExportCommand));
  exportAction_->setEnabled(false);
  connect(exportAction_, &QAction::triggered, this, [this] {
    if (ProgramView* view = CurrentView()) view->RunFileCommand(0);
  });

  AddProgramGroups(toolbar_);
  toolbar_->addSeparator();
  toolbar_->addAction(programActions_[ProgramKind::BrennanStructureFactors]);
  toolbar_->addSeparator();
  toolbar_->addAction(exportAction_);
  toolbar_->addSeparator();
  toolbar_->addAction(about);

  ShowMenuBar(nullptr, false);
}

void CMainFrame::ShowAsSaved() {
  shell::WindowPlacement placement = shell::ReadPlacement(settings_);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    if (!shell::HasStoredPlacement(settings_)) {
      // No program fits the small default window; a first run takes what
      // the screen offers. Maximised, so that the window manager fits the
      // frame it adds (known only once the window is shown) into the area;
      // restored, the window keeps the same place.
      const QRect area = screen->availableGeometry();
      placement = {area.x(), area.y(), area.width(), area.height(), true};
    } else {
      const QRect area = screen->availableVirtualGeometry();
      placement = shell::FitOnScreen(placement, {area.x(), area.y(), area.width(), area.height()});
    }
  }
  // The stored size is the outer frame; the frame's margins are known only
  // once the window exists, so the size is corrected after showing.
  move(placement.x, placement.y);
  resize(placement.width, placement.height);
  if (placement.maximised) {
    showMaximized();
    return;
  }
  show();
  const QSize margins = frameGeometry().size() - geometry().size();
  if (!margins.isEmpty()) resize(placement.width - margins.width(), placement.height - margins.height());
}

ProgramView* CMainFrame::CurrentView() const {
  // The current window rather than the active one: while a dialog or
  // another application has the focus no window is active, and the menus
  // must not change for that.
  const QMdiSubWindow* current = client_->currentSubWindow();
  return current ? qobject_cast<ProgramView*>(current->widget()) : nullptr;
}

void CMainFrame::UpdateCaption() {
  const QMdiSubWindow* current = client_->currentSubWindow();
  setWindowTitle(current ? ToQt(kCaption) + " - " + current->windowTitle() : ToQt(kCaption));
}

void CMainFrame::UpdateMenuBar() {
  ProgramView* current = CurrentView();
  if (current && current->HasOwnMenuBar()) {
    ShowMenuBar(current, true);
  } else if (!client_->currentSubWindow() && client_->subWindowList().isEmpty()) {
    ShowMenuBar(nullptr, false);
  }
  // Otherwise the bar that was showing stays.
  FillWindowMenu();
  UpdateCommandStates();
}

void CMainFrame::ShowMenuBar(ProgramView* owner, bool programBar) {
  if (menuBarBuilt_ && owner == menuOwner_ && programBar == programBar_) return;
  menuBarBuilt_ = true;
  menuOwner_ = owner;
  programBar_ = programBar;

  fileMenu_->clear();
  fileCommandActions_.clear();
  if (owner) {
    const auto& commands = owner->FileCommands();
    for (std::size_t i = 0; i < commands.size(); ++i) {
      QAction* action = fileMenu_->addAction(commands[i].text);
      connect(action, &QAction::triggered, this, [this, view = QPointer<ProgramView>(owner), i] {
        if (view && view == CurrentView()) view->RunFileCommand(i);
      });
      fileCommandActions_.push_back(action);
    }
    if (!commands.empty()) fileMenu_->addSeparator();
  }
  fileMenu_->addAction(exitAction_);

  QMenuBar* bar = menuBar();
  bar->clear();
  bar->addMenu(fileMenu_);
  bar->addMenu(programsMenu_);
  bar->addMenu(toolsMenu_);
  bar->addMenu(programBar ? windowMenu_ : mainWindowsMenu_);
  bar->addMenu(helpMenu_);
}

void CMainFrame::FillWindowMenu() {
  windowMenu_->clear();
  windowMenu_->addAction(cascadeAction_);
  windowMenu_->addAction(tileAction_);
  windowMenu_->addAction(arrangeIconsAction_);
  windowMenu_->addAction(toolbarToggle_);
  const QList<QMdiSubWindow*> windows = client_->subWindowList(QMdiArea::CreationOrder);
  if (!windows.isEmpty()) windowMenu_->addSeparator();
  int number = 0;
  for (QMdiSubWindow* window : windows) {
    ++number;
    const QString prefix = number < 10 ? QStringLiteral("&%1 ").arg(number) : QStringLiteral("%1 ").arg(number);
    QAction* entry = windowMenu_->addAction(prefix + window->windowTitle());
    entry->setCheckable(true);
    entry->setChecked(window == client_->currentSubWindow());
    connect(entry, &QAction::triggered, this, [this, target = QPointer<QMdiSubWindow>(window)] {
      if (!target) return;
      if (target->isMinimized()) target->showNormal();
      client_->setActiveSubWindow(target);
    });
  }
}

void CMainFrame::UpdateCommandStates() {
  ProgramView* current = CurrentView();
  for (std::size_t i = 0; i < fileCommandActions_.size(); ++i) {
    fileCommandActions_[i]->setEnabled(menuOwner_ && menuOwner_ == current && menuOwner_->FileCommandEnabled(i));
  }
  const bool exports = current && !current->FileCommands().empty();
  exportAction_->setText(exports ? current->FileCommands().front().text : QString::fromLatin1(kGeneralExportCommand));
  exportAction_->setEnabled(exports && current->FileCommandEnabled(0));
}

void CMainFrame::CascadeWindows() {
  std::optional<shell::ChildPosition> front;
  // Bottom first, so that the window in front stays in front.
  for (QMdiSubWindow* window : client_->subWindowList(QMdiArea::StackingOrder)) {
    if (window->isMinimized()) continue;
    if (window->isMaximized()) window->showNormal();
    const shell::Rectangle place =
        shell::PlaceProgramWindow(SizeOf(client_->viewport()), std::nullopt, front, CascadeStep(window));
    window->setGeometry(place.x, place.y, place.width, place.height);
    front = shell::ChildPosition{place.x, place.y};
  }
}

void CMainFrame::TileWindows() { client_->tileSubWindows(); }

void CMainFrame::ArrangeIcons() {
  QList<QMdiSubWindow*> icons;
  for (QMdiSubWindow* window : client_->subWindowList(QMdiArea::CreationOrder)) {
    if (window->isMinimized()) icons << window;
  }
  if (icons.isEmpty()) return;
  const std::vector<shell::ChildPosition> places =
      shell::ArrangeIcons(SizeOf(client_->viewport()), SizeOf(icons.front()), static_cast<int>(icons.size()));
  for (qsizetype i = 0; i < icons.size(); ++i) {
    icons[i]->move(places[static_cast<std::size_t>(i)].x, places[static_cast<std::size_t>(i)].y);
  }
}

void CMainFrame::OpenProgram(ProgramKind kind) {
  slots_.OpenProgram(kind, *this);
  const auto found = windows_.find(kind);
  if (found == windows_.end() || !found->second) return;
  if (auto* view = qobject_cast<ProgramView*>(found->second->widget())) view->ProgramOpened();
}

bool CMainFrame::CreateProgramWindow(ProgramKind kind) {
  const auto factory = programs_.find(kind);
  if (factory == programs_.end()) return false;
  ProgramView* view = factory->second(app_, nullptr);
  if (!view) return false;
  std::optional<shell::ChildPosition> front;
  if (const QMdiSubWindow* current = client_->currentSubWindow(); current && !current->isMinimized()) {
    front = shell::ChildPosition{current->x(), current->y()};
  }
  QMdiSubWindow* window = client_->addSubWindow(view);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(ToQt(slots_.TitleFor(FromQt(view->windowTitle()))));
  const shell::Rectangle place =
      shell::PlaceProgramWindow(SizeOf(client_->viewport()), InfoOf(kind).position, front, CascadeStep(window));
  window->setGeometry(place.x, place.y, place.width, place.height);
  connect(view, &ProgramView::commandsChanged, this, &CMainFrame::UpdateCommandStates);
  connect(window, &QObject::destroyed, this, [this, kind] {
    slots_.ProgramClosed(kind);
    windows_.erase(kind);
    // The client area forgets the window only after this signal.
    QTimer::singleShot(0, this, [this] {
      UpdateCaption();
      UpdateMenuBar();
    });
  });
  windows_[kind] = window;
  window->show();
  return true;
}

void CMainFrame::ActivateProgramWindow(ProgramKind kind) {
  const auto found = windows_.find(kind);
  if (found == windows_.end() || !found->second) return;
  if (found->second->isMinimized()) found->second->showNormal();
  client_->setActiveSubWindow(found->second);
}

void CMainFrame::ShowHelp() {
  programs::OpenDocumentOrSay(CommandUi(), state_.exeDirectory / kHelpDocument, "Cannot find the VELTO-Help.pdf file");
}

void CMainFrame::ShowConverter() {
  if (!converter_) converter_ = new CDlgArcMurad(this);
  converter_->show();
  converter_->raise();
  converter_->activateWindow();
}

void CMainFrame::ShowParasitic() {
  if (!parasitic_) parasitic_ = new CDlgParasitic(this);
  parasitic_->show();
  parasitic_->raise();
  parasitic_->activateWindow();
}

void CMainFrame::StartStructureEditor() {
  const std::filesystem::path directory = core::ExecutableDirectory();
  if (CommandUi().StartProgram(directory / kStructureEditor) == programs::LaunchResult::NotFound) {
    CommandUi().ShowMessage(std::string("File \"") + kStructureEditor +
                            "\" not found !!!\nMake sure this file is in the directory\n" + directory.string());
  }
}

void CMainFrame::ShowAbout() {
  CAboutDlg about(this, state_.exeDirectory, CommandUi());
  about.exec();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  const bool maximised = isMaximized();
  if (!maximised && isMinimized()) showNormal();
  const QRect frame = frameGeometry();
  shell::SavePlacementOnClose(settings_, {frame.x(), frame.y(), frame.width(), frame.height(), false}, maximised,
                              state_.structPath);
  settings_.WriteText(shell::kSettingsSection, shell::kToolbarStateName, saveState().toBase64().toStdString());

  // A computation still running holds its own share of the engine.
  state_.structFactorEngine.Release();
  delete converter_;
  delete parasitic_;
  // Programs keep nothing that needs saving, so their windows close without
  // a question.
  client_->closeAllSubWindows();
  event->accept();
}

}  // namespace velto::gui
