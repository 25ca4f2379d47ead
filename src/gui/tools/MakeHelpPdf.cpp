// Typesets Markdown sources into one PDF with Qt's text engine:
//   velto_helpdoc OUTPUT.pdf "Title" first.md second.md ...
// Each source starts on a new page.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QImage>
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
    QString text = QString::fromUtf8(source.readAll());
    // Pictures are named relative to their source; the document loads
    // them by absolute path.
    const QDir folder = QFileInfo(source).absoluteDir();
    static const QRegularExpression picture(QStringLiteral("!\\[([^\\]]*)\\]\\(([^)]+)\\)"));
    QString resolved;
    qsizetype last = 0;
    for (auto it = picture.globalMatch(text); it.hasNext();) {
      const QRegularExpressionMatch m = it.next();
      resolved += text.mid(last, m.capturedStart() - last);
      resolved += "![" + m.captured(1) + "](" + QUrl::fromLocalFile(folder.absoluteFilePath(m.captured(2))).toString() + ")";
      last = m.capturedEnd();
    }
    markdown += resolved + text.mid(last) + "\n\n";
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
  // Screenshots are wider than the page: scale each to the text width (in
  // the document's 96-dpi units, the 125 mm that the layout leaves for text).
  const double textWidth = 125.0 / 25.4 * 96;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (!fragment.charFormat().isImageFormat()) continue;
      QTextImageFormat format = fragment.charFormat().toImageFormat();
      const QImage image(QUrl(format.name()).toLocalFile());
      if (image.isNull() || image.width() <= textWidth) continue;
      format.setWidth(textWidth);
      format.setHeight(textWidth * image.height() / image.width());
      QTextCursor cursor(&document);
      cursor.setPosition(fragment.position());
      cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
      cursor.setCharFormat(format);
    }
  }
  document.print(&writer);
  if (!QFile::exists(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "could not write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
