#include "gui/CMainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <optional>

#include "core/DataDirectory.h"
#include "gui/CAboutDlg.h"
#include "gui/CDlgArcMurad.h"
#include "gui/CMyMDIClient.h"
#include "gui/Pictures.h"

namespace velto::gui {

using shell::InfoOf;
using shell::ProgramKind;

namespace {

constexpr const char* kCaption = " VELTO";
constexpr const char* kHelpDocument = "VELTO-Help.pdf";
// The structure editor, a separate program that lies beside velto.
constexpr const char* kStructureEditor = "ambrel";
// The export command while no program window offers its own.
constexpr const char* kGeneralExportCommand = "Export Curve or Map Data...";

// The File menu's name of the export of a program view, or none when the
// view has no export.
std::optional<QString> ExportCommandOf(const QWidget* view) {
  if (!view || view->metaObject()->indexOfSlot("exportData()") < 0) return std::nullopt;
  const QString text = view->property(kExportCommandProperty).toString();
  if (text.isEmpty()) return std::nullopt;
  return text;
}

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
  connect(client_, &QMdiArea::subWindowActivated, this, [this] { UpdateCaption(); });
  BuildMenusAndToolbar();
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

  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  QAction* exit = file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
  exit->setShortcut(QKeySequence::Quit);

  QMenu* programsMenu = menuBar()->addMenu(QStringLiteral("&Programs"));
  programsMenu->addAction(programActions_[ProgramKind::SingleCrystal]);
  programsMenu->addAction(programActions_[ProgramKind::LaueCase]);
  programsMenu->addSeparator();
  programsMenu->addAction(programActions_[ProgramKind::ConvolutedRockingCurve]);
  programsMenu->addSeparator();
  programsMenu->addAction(programActions_[ProgramKind::MultiCrystalMonochromator]);
  programsMenu->addSeparator();
  programsMenu->addAction(programActions_[ProgramKind::MultipleBeam]);
  programsMenu->addAction(programActions_[ProgramKind::MbdLineMap]);

  QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
  tools->addAction(QStringLiteral("&Curve Tool..."))->setEnabled(false);
  tools->addSeparator();
  tools->addAction(programActions_[ProgramKind::BrennanStructureFactors]);
  tools->addAction(QStringLiteral("&Editor of Crystal Structure..."), this, &CMainFrame::StartStructureEditor);
  tools->addSeparator();
  tools->addAction(QStringLiteral("&Arcsecond vs. microradian..."), this, &CMainFrame::ShowConverter);
  // The parasitic-reflection tool is not part of this build yet.
  tools->addAction(QStringLiteral("&Parasitic Reflections of Back Reflection..."))->setEnabled(false);

  QMenu* windows = menuBar()->addMenu(QStringLiteral("&Windows"));
  QAction* toolbarToggle = toolbar_->toggleViewAction();
  toolbarToggle->setText(QStringLiteral("&Toolbar"));
  windows->addAction(toolbarToggle);

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->addAction(QStringLiteral("&Help Topics"), this, &CMainFrame::ShowHelp);
  help->addSeparator();
  QAction* about = help->addAction(QStringLiteral("&About VELTO..."), this, &CMainFrame::ShowAbout);
  about->setIcon(ToolbarIcon(ToolbarPicture::About));
  about->setToolTip(QStringLiteral("About"));

  // One action for the File menu entry and the toolbar button. The active
  // program window handles it when its view offers an export, and names it
  // in the menu; the button keeps the general tooltip.
  auto* exportAction = exportAction_ =
      new QAction(ToolbarIcon(ToolbarPicture::Export), QString::fromLatin1(kGeneralExportCommand), this);
  exportAction->setToolTip(QString::fromLatin1(kGeneralExportCommand));
  exportAction->setEnabled(false);
  connect(exportAction, &QAction::triggered, this, [this] {
    QMdiSubWindow* active = client_->activeSubWindow();
    if (active && ExportCommandOf(active->widget())) QMetaObject::invokeMethod(active->widget(), "exportData");
  });
  connect(client_, &QMdiArea::subWindowActivated, this, &CMainFrame::UpdateExportCommand);
  file->insertAction(exit, exportAction);
  file->insertSeparator(exit);

  toolbar_->addAction(programActions_[ProgramKind::SingleCrystal]);
  toolbar_->addAction(programActions_[ProgramKind::LaueCase]);
  toolbar_->addSeparator();
  toolbar_->addAction(programActions_[ProgramKind::ConvolutedRockingCurve]);
  toolbar_->addSeparator();
  toolbar_->addAction(programActions_[ProgramKind::MultiCrystalMonochromator]);
  toolbar_->addSeparator();
  toolbar_->addAction(programActions_[ProgramKind::MultipleBeam]);
  toolbar_->addAction(programActions_[ProgramKind::MbdLineMap]);
  toolbar_->addSeparator();
  toolbar_->addAction(programActions_[ProgramKind::BrennanStructureFactors]);
  toolbar_->addSeparator();
  toolbar_->addAction(exportAction);
  toolbar_->addSeparator();
  toolbar_->addAction(about);
}

void CMainFrame::ShowAsSaved() {
  shell::WindowPlacement placement = shell::ReadPlacement(settings_);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableVirtualGeometry();
    placement = shell::FitOnScreen(placement, {area.x(), area.y(), area.width(), area.height()});
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

void CMainFrame::UpdateExportCommand(QMdiSubWindow* window) {
  const std::optional<QString> command = ExportCommandOf(window ? window->widget() : nullptr);
  exportAction_->setText(command.value_or(QString::fromLatin1(kGeneralExportCommand)));
  exportAction_->setEnabled(command.has_value());
}

void CMainFrame::UpdateCaption() {
  const QMdiSubWindow* active = client_->activeSubWindow();
  setWindowTitle(active ? ToQt(kCaption) + " - " + active->windowTitle() : ToQt(kCaption));
}

void CMainFrame::OpenProgram(ProgramKind kind) { slots_.OpenProgram(kind, *this); }

bool CMainFrame::CreateProgramWindow(ProgramKind kind) {
  const auto factory = programs_.find(kind);
  if (factory == programs_.end()) return false;
  QWidget* view = factory->second(app_, nullptr);
  if (!view) return false;
  QMdiSubWindow* window = client_->addSubWindow(view);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(ToQt(slots_.TitleFor(FromQt(view->windowTitle()))));
  window->resize(shell::kChildWidth, shell::kChildHeight);
  if (const auto position = InfoOf(kind).position) window->move(position->x, position->y);
  connect(window, &QObject::destroyed, this, [this, kind] {
    slots_.ProgramClosed(kind);
    windows_.erase(kind);
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
  if (!CommandUi().OpenDocument(state_.exeDirectory / kHelpDocument)) {
    CommandUi().ShowMessage("Cannot find the VELTO-Help.pdf file");
  }
}

void CMainFrame::ShowConverter() {
  if (!converter_) converter_ = new CDlgArcMurad(this);
  converter_->show();
  converter_->raise();
  converter_->activateWindow();
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

  delete converter_;
  // Programs keep nothing that needs saving, so their windows close without
  // a question.
  client_->closeAllSubWindows();
  event->accept();
}

}  // namespace velto::gui
