// velto-struct's window, offscreen: the humble view over the editor's form.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

#include "GuiTestSupport.h"
#include "gui/StructureEditorWindow.h"
#include "support/TestFiles.h"

namespace velto::gui {
namespace {

using velto::testing::BuildDataDirectory;
using velto::testing::TemporaryDirectory;

TEST(StructureEditorWindow, ShowsAFileTakesEditsAndSavesThemWhole) {
  TemporaryDirectory folder;
  const auto path = folder.path() / "Si.struct";
  std::filesystem::copy_file(BuildDataDirectory() / "Silicon.struct", path);
  StructureEditorWindow window(BuildDataDirectory());
  ASSERT_TRUE(window.Form().OpenPath(window.Ui(), path));
  window.Refresh();
  EXPECT_EQ(window.windowTitle(), "velto-struct - Si.struct");
  auto* name = window.findChild<QLineEdit*>("Name");
  auto* a = window.findChild<QLineEdit*>("A");
  auto* atoms = window.findChild<QTableWidget*>("atoms");
  auto* debye = window.findChild<QTableWidget*>("debye");
  ASSERT_TRUE(name && a && atoms && debye);
  EXPECT_EQ(name->text(), "Silicon");
  EXPECT_EQ(atoms->rowCount(), 8);
  EXPECT_EQ(debye->rowCount(), 1);
  EXPECT_EQ(debye->item(0, 1)->text(), "530.82");
  EXPECT_EQ(window.findChild<QLineEdit*>("Density")->text(), "2.3290");
  EXPECT_EQ(window.findChild<QLineEdit*>("D")->text().left(7), "3.13560");  // Si 111

  // Typing goes into the form, and the preview follows.
  a->selectAll();
  QTest::keyClicks(a, "5.5");
  EXPECT_EQ(window.Form().Text(programs::StructureEditorField::A).text, "5.5");
  EXPECT_TRUE(window.windowTitle().endsWith(" *"));
  atoms->item(7, 0)->setText("Ge");
  EXPECT_EQ(debye->rowCount(), 2);  // Si, then Ge
  EXPECT_EQ(debye->item(1, 0)->text(), "Ge");
  debye->item(1, 1)->setText("374");

  // A refusal about a row selects it.
  window.Ui().Focus("atom:6");
  EXPECT_EQ(atoms->currentRow(), 6);
  window.Ui().Focus("debye:Ge");
  EXPECT_EQ(debye->currentRow(), 1);
  EXPECT_EQ(debye->currentColumn(), 1);

  // Save writes the file it came from, through the reader's checks.
  ASSERT_TRUE(window.Form().Save(window.Ui()));
  const std::string saved = velto::testing::ReadWholeFile(path);
  EXPECT_NE(saved.find("Silicon\n5.5 5.43102064 5.43102064\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("\nGe 0.25 0.75 0.75 1\n530.82  ! Si\n374  ! Ge\n"), std::string::npos) << saved;
  window.Refresh();
  EXPECT_EQ(window.windowTitle(), "velto-struct - Si.struct");
}

}  // namespace
}  // namespace velto::gui
