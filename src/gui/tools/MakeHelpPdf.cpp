// Typesets Markdown sources into one PDF with Qt's text engine:
//   velto_helpdoc OUTPUT.pdf "Title" first.md second.md ...
// Each source starts on a new page.
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>

int main(int argc, char* argv[]) {
  QGuiApplication application(argc, argv);
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s OUTPUT.pdf TITLE SOURCE.md...\n", argv[0]);
    return 2;
  }
  QString markdown;
  for (int i = 3; i < argc; ++i) {
    QFile source(QString::fromLocal8Bit(argv[i]));
    if (!source.open(QIODevice::ReadOnly | QIODevice::Text)) {
      std::fprintf(stderr, "cannot read %s\n", argv[i]);
      return 1;
    }
    markdown += QString::fromUtf8(source.readAll()) + "\n\n";
  }

  QPdfWriter writer(QString::fromLocal8Bit(argv[1]));
  writer.setTitle(QString::fromLocal8Bit(argv[2]));
  writer.setCreator(QStringLiteral("VELTO"));
  writer.setPageSize(QPageSize(QPageSize::A4));
  writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
  writer.setResolution(300);

  QTextDocument document;
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPointSizeF(10);
  document.setDefaultFont(font);
  document.setDefaultStyleSheet(QStringLiteral("h1 { color: #1f3f7a; } h2 { color: #1f3f7a; } "
                                               "code { font-family: 'DejaVu Sans Mono'; }"));
  document.setMarkdown(markdown);
  document.print(&writer);
  if (!QFile::exists(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "could not write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
