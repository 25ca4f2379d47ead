#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPlainTextEdit>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <optional>

#include "gui/DesktopDocuments.h"
#include "gui/QtUserInterface.h"
#include "support/TestFiles.h"

namespace velto::gui {
namespace {

namespace fs = std::filesystem;

// A desktop of the test's own: its settings and applications lie in a
// temporary directory, and its one "program" writes what it was started
// with into a file.
class DesktopDocuments : public ::testing::Test {
 protected:
  DesktopDocuments() {
    for (const char* name : kVariables) {
      saved_.push_back(qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name)) : std::nullopt);
    }
    qputenv("XDG_CONFIG_HOME", Path("config"));
    qputenv("XDG_CONFIG_DIRS", Path("etc"));
    qputenv("XDG_DATA_HOME", Path("data"));
    qputenv("XDG_DATA_DIRS", Path("share"));
    qunsetenv("XDG_CURRENT_DESKTOP");
    fs::create_directories(root_.path() / "share" / "applications");
    fs::create_directories(root_.path() / "config");
    const fs::path program = root_.path() / "viewer";
    std::ofstream(program) << "#!/bin/sh\necho \"$@\" > \"" << (root_.path() / "started").string() << "\"\n";
    fs::permissions(program, fs::perms::owner_all);
  }
  ~DesktopDocuments() override {
    for (std::size_t i = 0; i < saved_.size(); ++i) {
      if (saved_[i]) {
        qputenv(kVariables[i], *saved_[i]);
      } else {
        qunsetenv(kVariables[i]);
      }
    }
  }

  QByteArray Path(const char* name) const { return QByteArray::fromStdString((root_.path() / name).string()); }

  void Application(const std::string& id, const std::string& mimeTypes, const std::string& extra = {},
                   const std::string& program = {}) {
    std::ofstream(root_.path() / "share" / "applications" / id)
        << "[Desktop Entry]\nType=Application\nName=" << id << "\nExec="
        << (program.empty() ? (root_.path() / "viewer").string() : program) << " --open %f\nMimeType=" << mimeTypes
        << "\n" << extra;
  }
  void Default(const std::string& mime, const std::string& id) {
    std::ofstream(root_.path() / "config" / "mimeapps.list") << "[Default Applications]\n" << mime << "=" << id << "\n";
  }
  // What the program was started with, once it has run.
  std::string Started() {
    const fs::path started = root_.path() / "started";
    for (int i = 0; i < 200 && !fs::exists(started); ++i) QTest::qWait(20);
    std::ifstream in(started);
    std::string line;
    std::getline(in, line);
    return line;
  }

  static constexpr const char* kVariables[] = {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS",
                                               "XDG_CURRENT_DESKTOP"};
  velto::testing::TemporaryDirectory root_;
  std::vector<std::optional<QByteArray>> saved_;
};

TEST_F(DesktopDocuments, TheDefaultApplicationOpensTheDocument) {
  const fs::path manual = root_.Write("manual.pdf", "%PDF-1.4\n");
  Application("other.desktop", "application/pdf;", {}, "/bin/true");
  Application("viewer.desktop", "application/pdf;");
  Default("application/pdf", "viewer.desktop");
  EXPECT_EQ(MimeTypeOf(QString::fromStdString(manual.string())), "application/pdf");
  const auto application = FindDesktopApplication("application/pdf");
  ASSERT_TRUE(application);
  EXPECT_TRUE(application->desktopFile.endsWith("viewer.desktop"));

  QtUserInterface ui(nullptr);
  EXPECT_TRUE(ui.OpenDocument(manual));
  EXPECT_EQ(Started(), "--open " + manual.string());
  EXPECT_FALSE(ui.OpenDocument(root_.path() / "absent.pdf"));
}

TEST_F(DesktopDocuments, NoProgramThatCanShowTheDocumentMeansItDidNotOpen) {
  const fs::path manual = root_.Write("manual.pdf", "%PDF-1.4\n");
  QtUserInterface ui(nullptr);
  EXPECT_FALSE(ui.OpenDocument(manual));
  // A terminal program, a program that is not installed, a hidden entry.
  Application("console.desktop", "application/pdf;", "Terminal=true\n");
  Application("gone.desktop", "application/pdf;", {}, "/no/such/viewer");
  Application("hidden.desktop", "application/pdf;", "Hidden=true\n");
  Default("application/pdf", "console.desktop;gone.desktop;hidden.desktop;missing.desktop");
  EXPECT_FALSE(FindDesktopApplication("application/pdf"));
  EXPECT_FALSE(ui.OpenDocument(manual));
}

TEST_F(DesktopDocuments, TheTextEditorOpensAStructureFileWhateverItsOwnType) {
  // Found among the installed applications: no default is set.
  Application("editor.desktop", "text/html;text/plain;");
  const fs::path example = root_.Write("Silicon.struct", "Silicon\n5.43102064 5.43102064 5.43102064\n");
  QtUserInterface ui(nullptr);
  EXPECT_TRUE(ui.OpenTextDocument(example));
  EXPECT_EQ(Started(), "--open " + example.string());
}

TEST_F(DesktopDocuments, WithoutATextEditorTheTextIsShownInAWindowOfOurOwn) {
  const std::string text = "Silicon\n5.43102064 5.43102064 5.43102064\n90 90 90\n";
  const fs::path example = root_.Write("Silicon.struct", text);
  QWidget owner;
  QtUserInterface ui(&owner);
  ASSERT_TRUE(ui.OpenTextDocument(example));
  auto* window = owner.findChild<QDialog*>("textDocument");
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->isModal());
  auto* view = window->findChild<QPlainTextEdit*>();
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->isReadOnly());
  EXPECT_EQ(view->toPlainText().toStdString(), text);
  EXPECT_FALSE(ui.OpenTextDocument(root_.path() / "absent.struct"));
}

}  // namespace
}  // namespace velto::gui
