// Typesets Markdown sources into one PDF with Qt's text engine:
//   velto_helpdoc OUTPUT.pdf "Title" first.md second.md ...
// Each source starts on a new page.
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QImage>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
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
  // Pictures are named relative to the sources ("../screenshots/...").
  document.setBaseUrl(QUrl::fromLocalFile(QFileInfo(QString::fromLocal8Bit(argv[3])).absolutePath() + "/"));
  document.setMarkdown(markdown);
  // A screenshot is as wide as the text. Printing keeps a margin of 2 cm
  // inside the page's and sizes pictures in units of 1/96 inch.
  const qreal resolution = writer.resolution();
  const qreal textWidth =
      (writer.pageLayout().paintRectPixels(writer.resolution()).width() - 2 * (2 / 2.54) * resolution) * 96 / resolution;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
      QTextImageFormat image = fragment.fragment().charFormat().toImageFormat();
      if (!image.isValid()) continue;
      const QImage picture = document.resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
      if (picture.isNull()) {
        std::fprintf(stderr, "cannot read the picture %s\n", qPrintable(image.name()));
        return 1;
      }
      // Printing lays out a copy of the document, which keeps only the
      // resources added by hand.
      document.addResource(QTextDocument::ImageResource, QUrl(image.name()), picture);
      image.setWidth(textWidth);
      image.setHeight(textWidth * picture.height() / picture.width());
      QTextCursor cursor(&document);
      cursor.setPosition(fragment.fragment().position());
      cursor.setPosition(fragment.fragment().position() + fragment.fragment().length(), QTextCursor::KeepAnchor);
      cursor.setCharFormat(image);
    }
  }
  document.print(&writer);
  if (!QFile::exists(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "could not write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
