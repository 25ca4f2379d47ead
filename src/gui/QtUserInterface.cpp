#include "gui/QtUserInterface.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QVBoxLayout>
#include <algorithm>
#include <iostream>
#include <map>

#include "gui/BackgroundRunner.h"
#include "gui/DesktopDocuments.h"

namespace velto::gui {

using programs::Answer;
using programs::DialogResult;
using programs::LaunchResult;
using programs::MessageIcon;

namespace {

std::map<std::type_index, QtUserInterface::DialogFactory>& DialogFactories() {
  static std::map<std::type_index, QtUserInterface::DialogFactory> factories;
  return factories;
}

std::function<int(QDialog&)>& DialogRunner() {
  static std::function<int(QDialog&)> runner;
  return runner;
}

QMessageBox::Icon QtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Error:
    case MessageIcon::Stop:
      return QMessageBox::Critical;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QString MessageTitle() { return QStringLiteral("VELTO"); }

// A text file shown read-only in a window of its own, for a desktop without
// a text editor. A child of `parent`, so that it can be used beside the
// modal dialog that opened it; it goes when closed.
bool ShowTextWindow(QWidget* parent, const QString& file) {
  QFile in(file);
  if (!in.open(QIODevice::ReadOnly)) return false;
  const QString text = QString::fromUtf8(in.readAll());
  auto* window = new QDialog(parent);
  window->setObjectName(QStringLiteral("textDocument"));
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(QFileInfo(file).fileName() + QStringLiteral(" (read-only)"));
  auto* view = new QPlainTextEdit(text, window);
  view->setReadOnly(true);
  view->setLineWrapMode(QPlainTextEdit::NoWrap);
  view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
  QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::close);
  auto* layout = new QVBoxLayout(window);
  layout->addWidget(new QLabel(file, window));
  layout->addWidget(view);
  layout->addWidget(buttons);
  window->resize(640, 480);
  window->show();
  return true;
}

}  // namespace

QString QtFileFilter(std::string_view filter) {
  const QStringList parts = ToQt(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) break;
    QString pattern = parts[i + 1];
    pattern.replace(';', ' ');
    // The description usually names the pattern already: "Data File (*.dat)".
    filters << (parts[i].contains('(') ? parts[i] : parts[i] + " (" + pattern + ")");
  }
  return filters.join(";;");
}

QtUserInterface::QtUserInterface(QWidget* window) : window_(window) {}

QtUserInterface::~QtUserInterface() = default;

void QtUserInterface::ShowMessage(std::string_view text, MessageIcon icon) {
  QMessageBox box(QtIcon(icon), MessageTitle(), ToQt(text), QMessageBox::Ok, window_);
  box.exec();
}

Answer QtUserInterface::AskYesNo(std::string_view text, MessageIcon icon) {
  QMessageBox box(icon == MessageIcon::None ? QMessageBox::Question : QtIcon(icon), MessageTitle(), ToQt(text),
                  QMessageBox::Yes | QMessageBox::No, window_);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

std::optional<std::filesystem::path> QtUserInterface::ChooseOpenFile(const programs::FileDialogRequest& request) {
  const QString file = QFileDialog::getOpenFileName(window_, ToQt(request.title),
                                                    ToQt((request.startDirectory / request.fileName).string()),
                                                    QtFileFilter(request.filter));
  if (file.isEmpty()) return std::nullopt;
  return std::filesystem::path(FromQt(file));
}

std::optional<std::filesystem::path> QtUserInterface::ChooseSaveFile(const programs::FileDialogRequest& request) {
  QFileDialog dialog(window_, ToQt(request.title), ToQt(request.startDirectory.string()),
                     QtFileFilter(request.filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(ToQt(request.defaultExtension));
  if (!request.fileName.empty()) dialog.selectFile(ToQt(request.fileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return std::filesystem::path(FromQt(dialog.selectedFiles().front()));
}

void QtUserInterface::RegisterDialog(std::type_index model, DialogFactory factory) {
  DialogFactories()[model] = std::move(factory);
}

void QtUserInterface::SetDialogRunner(std::function<int(QDialog&)> runner) { DialogRunner() = std::move(runner); }

DialogResult QtUserInterface::RunDialog(programs::DialogModel& model) {
  const auto found = DialogFactories().find(typeid(model));
  if (found == DialogFactories().end()) {
    Console(std::string("no view for dialog model ") + typeid(model).name());
    return DialogResult::Cancel;
  }
  std::unique_ptr<QDialog> dialog = found->second(window_, model, *this);
  const int result = DialogRunner() ? DialogRunner()(*dialog) : dialog->exec();
  return result == QDialog::Accepted ? DialogResult::Ok : DialogResult::Cancel;
}

void QtUserInterface::Focus(std::string_view field) {
  if (!window_) return;
  QWidget* widget = window_->findChild<QWidget*>(ToQt(field));
  if (!widget) return;
  widget->setFocus(Qt::OtherFocusReason);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->selectAll();
}

void QtUserInterface::SetClipboardText(std::string_view text) { QApplication::clipboard()->setText(ToQt(text)); }

bool QtUserInterface::OpenDocument(const std::filesystem::path& path) {
  const QString file = ToQt(path.string());
  if (!QFileInfo(file).isFile()) return false;
  const auto application = FindDesktopApplication(MimeTypeOf(file));
  return application && LaunchDesktopApplication(*application, file);
}

bool QtUserInterface::OpenTextDocument(const std::filesystem::path& path) {
  const QString file = ToQt(path.string());
  if (!QFileInfo(file).isFile()) return false;
  const auto editor = FindDesktopApplication(QStringLiteral("text/plain"));
  if (editor && LaunchDesktopApplication(*editor, file)) return true;
  return ShowTextWindow(window_, file);
}

LaunchResult QtUserInterface::StartProgram(const std::filesystem::path& executable) {
  const QFileInfo info(ToQt(executable.string()));
  if (!info.isFile()) return LaunchResult::NotFound;
  return QProcess::startDetached(info.absoluteFilePath(), {}) ? LaunchResult::Started : LaunchResult::Failed;
}

void QtUserInterface::SetBusy(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void QtUserInterface::RunInBackground(programs::BackgroundTask task) {
  if (!runner_) runner_ = std::make_unique<BackgroundRunner>();
  if (runner_->Running()) return;
  auto* dialog = new QProgressDialog(ToQt(task.title), QObject::tr("Cancel"), 0, 100, window_);
  dialog->setWindowModality(Qt::WindowModal);
  dialog->setMinimumDuration(300);
  dialog->setAutoClose(false);
  dialog->setAutoReset(false);
  QObject::connect(runner_.get(), &BackgroundRunner::progressed, dialog,
                   [dialog](int percent) { dialog->setValue(std::min(percent, 99)); });
  QObject::connect(dialog, &QProgressDialog::canceled, runner_.get(), &BackgroundRunner::cancel);
  // The run's notices and outcome follow as message boxes: the progress
  // dialog must neither cover them nor pop up over them later, as it would
  // once its minimum duration has passed.
  QObject::connect(runner_.get(), &BackgroundRunner::computed, dialog, [dialog] {
    QObject::disconnect(dialog, &QProgressDialog::canceled, nullptr, nullptr);
    dialog->cancel();
  });
  QObject::connect(runner_.get(), &BackgroundRunner::runningChanged, dialog, [dialog](bool running) {
    if (!running) dialog->deleteLater();
  });
  runner_->Start(std::move(task), *this);
}

void QtUserInterface::Console(std::string_view text) { std::cout << text << std::endl; }

}  // namespace velto::gui
