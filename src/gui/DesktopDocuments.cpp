#include "gui/DesktopDocuments.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

namespace velto::gui {
namespace {

using Entries = QMap<QString, QString>;

// The keys of one [group] of a desktop-entry style file (mimeapps.list,
// mimeinfo.cache, *.desktop); translated keys ("Name[de]") are left out.
Entries ReadGroup(const QString& path, const QString& group) {
  Entries entries;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return entries;
  QTextStream in(&file);
  bool inGroup = false;
  const QString header = '[' + group + ']';
  while (!in.atEnd()) {
    const QString line = in.readLine().trimmed();
    if (line.isEmpty() || line.startsWith('#')) continue;
    if (line.startsWith('[')) {
      if (inGroup) break;
      inGroup = line == header;
      continue;
    }
    if (!inGroup) continue;
    const qsizetype equals = line.indexOf('=');
    if (equals <= 0) continue;
    const QString key = line.left(equals).trimmed();
    if (key.contains('[')) continue;
    entries.insert(key, line.mid(equals + 1).trimmed());
  }
  return entries;
}

QStringList ApplicationDirectories() {
  return QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
}

// The mimeapps.list files in the order in which their defaults count: the
// desktop's own before the general one, the user's before the system's.
QStringList DefaultListFiles() {
  QStringList desktops;
  for (const QString& name : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(':', Qt::SkipEmptyParts)) {
    desktops << name.toLower() + "-mimeapps.list";
  }
  desktops << QStringLiteral("mimeapps.list");
  QStringList files;
  for (const QStringList& directories :
       {QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation), ApplicationDirectories()}) {
    for (const QString& directory : directories) {
      for (const QString& name : desktops) files << QDir(directory).filePath(name);
    }
  }
  return files;
}

QStringList SplitList(const QString& value) { return value.split(';', Qt::SkipEmptyParts); }

// The application of a desktop file id, when it can open a file here.
std::optional<DesktopApplication> Usable(const QString& id) {
  for (const QString& directory : ApplicationDirectories()) {
    const QString path = QDir(directory).filePath(id);
    if (!QFileInfo(path).isFile()) continue;
    const Entries entry = ReadGroup(path, QStringLiteral("Desktop Entry"));
    // The first file of an id hides those of the same id further down.
    const auto flag = [&entry](const char* key) { return entry.value(QString::fromLatin1(key)) == "true"; };
    if (entry.value("Type", "Application") != "Application" || flag("Hidden") || flag("Terminal")) return std::nullopt;
    const QString tryExec = entry.value("TryExec");
    if (!tryExec.isEmpty() && QStandardPaths::findExecutable(tryExec).isEmpty() && !QFileInfo(tryExec).isExecutable())
      return std::nullopt;
    QStringList command = QProcess::splitCommand(entry.value("Exec"));
    if (command.isEmpty()) return std::nullopt;
    QString program = command.takeFirst();
    if (!QFileInfo(program).isAbsolute()) program = QStandardPaths::findExecutable(program);
    if (program.isEmpty() || !QFileInfo(program).isExecutable()) return std::nullopt;
    return DesktopApplication{path, program, command};
  }
  return std::nullopt;
}

std::optional<DesktopApplication> FirstUsable(const QStringList& ids) {
  for (const QString& id : ids) {
    if (auto application = Usable(id)) return application;
  }
  return std::nullopt;
}

// The application for exactly this MIME type: a default first, then one
// that says it handles the type.
std::optional<DesktopApplication> ApplicationFor(const QString& mime) {
  for (const QString& file : DefaultListFiles()) {
    if (auto application = FirstUsable(SplitList(ReadGroup(file, "Default Applications").value(mime)))) {
      return application;
    }
  }
  for (const QString& directory : ApplicationDirectories()) {
    const QString cache = QDir(directory).filePath(QStringLiteral("mimeinfo.cache"));
    if (auto application = FirstUsable(SplitList(ReadGroup(cache, "MIME Cache").value(mime)))) return application;
    // Desktops that keep no cache: the applications themselves.
    const QStringList desktopFiles = QDir(directory).entryList({QStringLiteral("*.desktop")}, QDir::Files, QDir::Name);
    for (const QString& id : desktopFiles) {
      const QString path = QDir(directory).filePath(id);
      if (!SplitList(ReadGroup(path, "Desktop Entry").value("MimeType")).contains(mime)) continue;
      if (auto application = Usable(id)) return application;
    }
  }
  return std::nullopt;
}

}  // namespace

QString MimeTypeOf(const QString& file) {
  const QMimeType type = QMimeDatabase().mimeTypeForFile(file);
  if (type.isValid() && !type.isDefault()) return type.name();
  const QString suffix = QFileInfo(file).suffix().toLower();
  if (suffix == "pdf") return QStringLiteral("application/pdf");
  if (suffix == "txt") return QStringLiteral("text/plain");
  return type.name();
}

std::optional<DesktopApplication> FindDesktopApplication(const QString& mime) {
  QStringList candidates{mime};
  if (const QMimeType type = QMimeDatabase().mimeTypeForName(mime); type.isValid()) {
    candidates << type.aliases() << type.allAncestors();
  }
  for (const QString& candidate : candidates) {
    if (auto application = ApplicationFor(candidate)) return application;
  }
  return std::nullopt;
}

bool LaunchDesktopApplication(const DesktopApplication& application, const QString& file) {
  // The field codes of the Exec key: the file for %f, %F, %u and %U; the
  // icon, name and location codes mean nothing here.
  QStringList arguments;
  bool fileGiven = false;
  for (QString argument : application.arguments) {
    if (argument == "%i" || argument == "%c" || argument == "%k") continue;
    for (const char* code : {"%f", "%F", "%u", "%U"}) {
      if (argument.contains(QLatin1String(code))) {
        argument.replace(QLatin1String(code), file);
        fileGiven = true;
      }
    }
    argument.replace(QStringLiteral("%%"), QStringLiteral("%"));
    arguments << argument;
  }
  if (!fileGiven) arguments << file;
  return QProcess::startDetached(application.program, arguments);
}

}  // namespace velto::gui
