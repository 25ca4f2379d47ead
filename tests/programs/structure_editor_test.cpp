#include <gtest/gtest.h>

#include <fstream>

#include "crystal/CrystalStructure.h"
#include "programs/structure_editor/StructureEditorForm.h"
#include "programs/ui/ScriptedUserInterface.h"
#include "support/RecordingNotifier.h"
#include "support/TestFiles.h"

// The structure editor's form, driven as a person would through a scripted
// user interface.
namespace velto::programs {
namespace {

using F = StructureEditorField;
using testing::BuildDataDirectory;
using testing::TemporaryDirectory;
using testing::TestDataPath;

class StructureEditor : public ::testing::Test {
 protected:
  // Gallium arsenide typed in, As before Ga: the form of a new structure.
  void TypeGalliumArsenide() {
    ASSERT_TRUE(form.New(ui));
    form.Text(F::Name).text = "GaAs";
    form.Text(F::A).text = form.Text(F::B).text = form.Text(F::C).text = "5.65325";
    const char* fcc[][3] = {{"0", "0", "0"}, {"0", "0.5", "0.5"}, {"0.5", "0", "0.5"}, {"0.5", "0.5", "0"}};
    const char* shifted[][3] = {
        {"0.25", "0.25", "0.25"}, {"0.25", "0.75", "0.75"}, {"0.75", "0.25", "0.75"}, {"0.75", "0.75", "0.25"}};
    for (auto& p : shifted) {
      form.AddAtom();
      form.Atoms().back() = {"As", p[0], p[1], p[2], "1"};
    }
    for (auto& p : fcc) {
      form.AddAtom();
      form.Atoms().back() = {"Ga", p[0], p[1], p[2], "1"};
    }
    form.SyncDebyeRows();
  }

  StructureEditorForm form{BuildDataDirectory()};
  ScriptedUserInterface ui;
  TemporaryDirectory folder;
};

TEST_F(StructureEditor, CreateValidateSaveAndReopen) {
  TypeGalliumArsenide();
  // The Debye temperatures come in ascending Z whatever the order of the atoms.
  ASSERT_EQ(form.DebyeRows().size(), 2u);
  EXPECT_EQ(form.DebyeRows()[0].symbol, "Ga");
  EXPECT_EQ(form.DebyeRows()[1].symbol, "As");
  EXPECT_FALSE(form.Validate(ui));
  EXPECT_EQ(ui.LastMessage(), "Enter the Debye temperature of Ga in K (0: atoms at rest).");
  EXPECT_EQ(ui.LastFocus(), "debye:Ga");
  // The preview does not wait for the thermal data.
  EXPECT_EQ(form.Text(F::Volume).text, "180.673548444");      // a³
  EXPECT_EQ(form.Text(F::D).text.substr(0, 9), "3.2639054");  // a/√3
  form.DebyeRows()[0].kelvin = "320";
  form.DebyeRows()[1].kelvin = "282";
  EXPECT_TRUE(form.Validate(ui));
  EXPECT_EQ(form.Text(F::Density).text, "5.3175");                   // g/cm³ (5.3176 with today's atomic weights)
  EXPECT_NEAR(std::stod(form.Text(F::ThetaB).text), 13.6505, 1e-4);  // GaAs 111 at 8.048 keV

  const auto path = folder.path() / "GaAs.struct";
  ui.QueueSaveFile(path);
  ASSERT_TRUE(form.Save(ui));
  EXPECT_EQ(ui.saveRequests.back().defaultExtension, "struct");
  EXPECT_EQ(form.Title(), "velto-struct - GaAs.struct");
  EXPECT_EQ(testing::ReadWholeFile(path),
            "GaAs\n5.65325 5.65325 5.65325\n90 90 90\n8\nAs 0.25 0.25 0.25 1\nAs 0.25 0.75 0.75 1\n"
            "As 0.75 0.25 0.75 1\nAs 0.75 0.75 0.25 1\nGa 0 0 0 1\nGa 0 0.5 0.5 1\nGa 0.5 0 0.5 1\nGa 0.5 0.5 0 1\n"
            "320  ! Ga\n282  ! As\n");

  // Every program reads what was saved.
  crystal::CrystalStructure loaded;
  testing::RecordingNotifier notifier;
  ASSERT_TRUE(crystal::LoadStructFile(loaded, path, 293.15, BuildDataDirectory(), notifier));
  EXPECT_EQ(loaded.GroupCount(), 2);

  StructureEditorForm reopened{BuildDataDirectory()};
  ui.QueueOpenFile(path);
  ASSERT_TRUE(reopened.Open(ui));
  EXPECT_EQ(reopened.Text(F::Name).text, "GaAs");
  EXPECT_EQ(reopened.Text(F::Gamma).text, "90");
  ASSERT_EQ(reopened.Atoms().size(), 8u);
  EXPECT_EQ(reopened.Atoms()[0].symbol, "Ga");  // grouped by element as the reader groups them
  EXPECT_EQ(reopened.DebyeRows()[1].kelvin, "282");
  EXPECT_FALSE(reopened.Changed());
  EXPECT_EQ(reopened.Text(F::Density).text, "5.3175");
}

TEST_F(StructureEditor, EachRefusalOfTheReaderShowsUp) {
  TypeGalliumArsenide();
  form.DebyeRows()[0].kelvin = form.DebyeRows()[1].kelvin = "0";
  ASSERT_TRUE(form.Validate(ui));

  form.Atoms()[5].symbol = "Ga3+";
  form.SyncDebyeRows();
  EXPECT_FALSE(form.Validate(ui));
  EXPECT_EQ(ui.LastMessage(), "Atom 6: unknown element symbol \"Ga3+\"");
  EXPECT_EQ(ui.LastFocus(), "atom:5");
  form.Atoms()[5].symbol = "Ga";
  form.SyncDebyeRows();

  form.Text(F::B).text = "-1";
  EXPECT_FALSE(form.Validate(ui));
  EXPECT_EQ(ui.LastMessage(), "The structure cannot be used: the cell edges a, b, c must be positive");
  EXPECT_EQ(ui.LastFocus(), "A");
  EXPECT_EQ(form.Text(F::Volume).text, "");
  form.Text(F::B).text = "5.65325";

  form.Text(F::Alpha).text = form.Text(F::Beta).text = form.Text(F::Gamma).text = "120";
  EXPECT_FALSE(form.Validate(ui));
  EXPECT_EQ(ui.LastMessage(),
            "The structure cannot be used: the cell angles alpha, beta, gamma leave the cell "
            "without volume");
  form.Text(F::Alpha).text = "10";
  form.Text(F::Beta).text = "10";
  form.Text(F::Gamma).text = "90";
  EXPECT_FALSE(form.Validate(ui));
  EXPECT_EQ(ui.LastMessage(), "The structure cannot be used: the cell angles alpha, beta, gamma describe no cell");
  EXPECT_EQ(ui.LastFocus(), "Alpha");
  form.Text(F::Alpha).text = form.Text(F::Beta).text = form.Text(F::Gamma).text = "90";

  // Slips the reader would silently read as other numbers.
  form.Atoms()[0].y = "0.25.";
  EXPECT_FALSE(form.Validate(ui));
  EXPECT_EQ(ui.LastMessage(), "The y of atom 1 is not a number.");
  form.Atoms()[0].y = "0.25";
  form.Atoms()[0].occupancy = "1.5";
  EXPECT_FALSE(form.Validate(ui));
  EXPECT_EQ(ui.LastMessage(), "The occupancy of atom 1 must be above 0 and at most 1.");
  form.Atoms()[0].occupancy = "1";
  form.Text(F::C).text = "";
  EXPECT_FALSE(form.Validate(ui));
  EXPECT_EQ(ui.LastMessage(), "The cell edge c is not a number.");
  EXPECT_EQ(ui.LastFocus(), "C");
  form.Text(F::C).text = "5.65325";

  for (int i = 0; i < 8; ++i) form.RemoveAtom(0);
  EXPECT_TRUE(form.DebyeRows().empty());
  EXPECT_FALSE(form.Validate(ui));
  EXPECT_EQ(ui.LastMessage(), "Add the atoms of the cell.");

  // Nothing is written while the form does not read.
  ui.QueueSaveFile(folder.path() / "none.struct");
  EXPECT_FALSE(form.SaveAs(ui));
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "none.struct"));
}

TEST_F(StructureEditor, ImportCifAsksForMissingDebyeTemperaturesAndNeverOverwritesTheCif) {
  ui.QueueOpenFile(TestDataPath("cif/quartz.cif"));
  ASSERT_TRUE(form.ImportCif(ui));
  EXPECT_EQ(form.Text(F::Name).text, "alpha-Quartz");
  EXPECT_EQ(form.Atoms().size(), 9u);
  EXPECT_EQ(ui.LastMessage(),
            "No Debye temperature for O: the CIF gives no usable displacement parameter (B_iso, U_iso) for it and "
            "the table of common elements has none.\nEnter it in the table of Debye temperatures (0: atoms at "
            "rest).");
  EXPECT_EQ(ui.LastFocus(), "debye:O");
  EXPECT_NE(form.ImportNotes().find("Space group P 32 2 1 (No. 154)."), std::string::npos);
  EXPECT_TRUE(form.Changed());
  EXPECT_EQ(form.Text(F::Density).text, "2.6458");

  form.DebyeRows()[0].kelvin = "0";
  ui.QueueSaveFile(folder.path() / "quartz.cif");
  ASSERT_TRUE(form.Save(ui));
  EXPECT_EQ(ui.saveRequests.back().fileName, "quartz.struct");
  EXPECT_EQ(form.FilePath(), folder.path() / "quartz.struct");
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "quartz.cif"));

  // Unsaved changes are not dropped without asking.
  form.MarkChanged();
  ui.QueueAnswer(Answer::No);
  EXPECT_FALSE(form.New(ui));
  EXPECT_EQ(form.Text(F::Name).text, "alpha-Quartz");

  const auto bad = folder.Write("bad.cif", "data_x\n_cell_length_a 5\n");
  ui.QueueAnswer(Answer::Yes);
  ui.QueueOpenFile(bad);
  EXPECT_FALSE(form.ImportCif(ui));
  EXPECT_EQ(ui.LastMessage(),
            "Cannot import bad.cif:\nthe CIF gives no cell: _cell_length_a, _cell_length_b and "
            "_cell_length_c are needed");
}

}  // namespace
}  // namespace velto::programs
