#pragma once
#include <QString>
#include <QStringList>
#include <optional>

// Opening a file with the desktop's program for it, found by the
// freedesktop.org rules (mimeapps.list defaults, then the installed
// applications) instead of handing the file to xdg-open: a launcher reports
// success as soon as it starts, even when nothing can show the file, so a
// program would never learn that the document did not open.
namespace velto::gui {

// A graphical application of the desktop, from its .desktop file.
struct DesktopApplication {
  QString desktopFile;   // full path
  QString program;       // found on PATH
  QStringList arguments;  // before the file's field code is replaced
};

// The MIME type of a file by the desktop's database, or by its suffix for
// the documents of the suite where the database is not installed.
QString MimeTypeOf(const QString& file);

// The default application for files of the MIME type `mime` or of one of
// its ancestors (a C source is also plain text), skipping applications that
// need a terminal or whose program is not installed. None when there is no
// such application.
std::optional<DesktopApplication> FindDesktopApplication(const QString& mime);

// Starts `application` on `file`; false when it could not be started.
bool LaunchDesktopApplication(const DesktopApplication& application, const QString& file);

}  // namespace velto::gui
