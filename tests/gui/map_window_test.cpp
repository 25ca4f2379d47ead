// The MBD-line map window through its Qt view, inside the main window: the
// hand-over from the multiple-beam window, a calculation on the worker
// thread, and the two files compared with velto-cli map; its two dialogs.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <filesystem>
#include <string>

#include "GuiTestSupport.h"
#include "gui/Application.h"
#include "gui/CDlg_SavePhiLine.h"
#include "gui/CMapSettings.h"
#include "gui/COrvoViewMBD.h"
#include "gui/COrvoViewMap.h"
#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/mbd_map/SavePhiLineForm.h"
#include "programs/multiple_beam/HorizontalReferenceForm.h"
#include "programs/multiple_beam/MbdTexts.h"
#include "support/FakeUserInterface.h"
#include "support/RunProgram.h"
#include "support/TestFiles.h"

namespace velto::gui {
namespace {

using programs::DialogResult;
using programs::MapField;
using programs::UserInterface;
using shell::ProgramKind;
namespace texts = programs::mbd_texts;

void WaitForRun(ProgramView& view) {
  QSignalSpy finished(&view, &ProgramView::taskFinished);
  ASSERT_TRUE(!view.Busy() || finished.wait(120000));
}

// Silicon 2 2 0 with the reference 0 0 1, defined in the multiple-beam window.
void DefineSilicon220(COrvoViewMBD& mbd, velto::testing::FakeUserInterface& person,
                      const std::filesystem::path& data) {
  person.QueueOpenFile(data / "Silicon.struct");
  person.QueueDialog<programs::CrystalParamsForm>([](programs::CrystalParamsForm& f, UserInterface& inner) {
    f.Index(0).text = f.Index(1).text = std::string("2");
    f.Index(2).text = "0";
    return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
  });
  mbd.Button(texts::kDefineCrystal)->click();
  person.QueueDialog<programs::HorizontalReferenceForm>([](programs::HorizontalReferenceForm& f, UserInterface& inner) {
    f.Index(0).text = "0";
    f.Index(1).text = "0";
    f.Index(2).text = "1";
    return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
  });
  mbd.Button(texts::kReference)->click();
}

TEST(MapWindowView, OpensFromTheMultipleBeamWindowAndWritesTheFilesOfVeltoCli) {
  auto application = StartApplication(std::make_unique<shell::MemorySettingsStore>());
  CMainFrame& frame = *application->mainFrame;
  frame.ShowAsSaved();
  frame.OpenProgram(ProgramKind::MultipleBeam);
  auto* mbd = qobject_cast<COrvoViewMBD*>(frame.CurrentView());
  ASSERT_NE(mbd, nullptr);
  velto::testing::FakeUserInterface person;
  mbd->SetUserInterface(person);
  DefineSilicon220(*mbd, person, application->state.exeDirectory);
  ASSERT_TRUE(mbd->Button(texts::kOpenMap)->isEnabled());
  mbd->Button(texts::kOpenMap)->click();

  auto* map = qobject_cast<COrvoViewMap*>(frame.CurrentView());
  ASSERT_NE(map, nullptr) << person.LastMessage();
  EXPECT_EQ(map->windowTitle(), QString::fromUtf8(programs::MbdMapForm::kTitle));
  EXPECT_EQ(map->FieldEdit(MapField::Header)->text(),
            "Silicon:   Primary Reflection 2 2 0 ;    Horizontal Reference Direction 0 0 1");
  EXPECT_TRUE(map->DiamondBox()->isChecked());
  EXPECT_EQ(map->Model().Crystal().name, "Silicon");
  ASSERT_NE(application->mainFrame->App().MbdSource(), nullptr);
  EXPECT_FALSE(application->mainFrame->App().MbdSource()->HandOverChanged());

  // Opened again with nothing changed in the multiple-beam window, the map
  // keeps the orientation it has now.
  map->Model().TakeOver(map->Model().Crystal(), {0, 0, 4}, {1, 0, 0}, true);
  frame.OpenProgram(ProgramKind::MbdLineMap);
  EXPECT_EQ(qobject_cast<COrvoViewMap*>(frame.CurrentView()), map);
  EXPECT_EQ(map->Model().Primary(), (mbd::Miller{0, 0, 4}));
  mbd->Button(texts::kOpenMap)->click();
  EXPECT_EQ(map->Model().Primary(), (mbd::Miller{2, 2, 0}));

  // A map of its own ranges, computed on the worker thread.
  map->SetUserInterface(person);
  map->FieldEdit(MapField::EnergyFrom)->setText("7.5");
  map->FieldEdit(MapField::EnergyTo)->setText("8.5");
  map->FieldEdit(MapField::PhiFrom)->setText("-5");
  map->FieldEdit(MapField::PhiTo)->setText("5");
  map->FieldEdit(MapField::PhiPoints)->setText("101");
  map->Button(MapField::Calculate)->click();
  WaitForRun(*map);
  ASSERT_GT(map->Model().Map().points.Count(), 0u) << person.LastMessage();
  EXPECT_TRUE(map->Button(MapField::Indices)->isEnabled());

  velto::testing::TemporaryDirectory dir;
  const auto exported = dir.path() / "window.dat";
  const auto line = dir.path() / "window-line.dat";
  ASSERT_EQ(map->FileCommands().size(), 2u);
  EXPECT_EQ(map->FileCommands()[0].text, "Export Map Data...");
  EXPECT_EQ(map->FileCommands()[1].text, "&Save Points on a Vertical Line...");
  person.QueueSaveFile(exported);
  map->RunFileCommand(0);
  person.QueueDialog<programs::SavePhiLineForm>([&line](programs::SavePhiLineForm& f, UserInterface& inner) {
    f.Phi().text = "1.25";
    f.File().text = line.string();
    return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
  });
  map->RunFileCommand(1);
  EXPECT_NE(person.LastMessage().find("Done! But if there is a vertical MBD line at Phi = 1.25 deg"), std::string::npos);

  const auto cliExported = dir.path() / "cli.dat";
  const auto cliLine = dir.path() / "cli-line.dat";
  const velto::testing::ProgramResult cli = velto::testing::RunProgram(
      "velto-cli", {"map", "--struct", (application->state.exeDirectory / "Silicon.struct").string(), "--hkl", "2",
                    "2", "0", "--href", "0", "0", "1", "--energy-range", "7.5", "8.5", "51", "--phi-range", "-5", "5",
                    "101", "-o", cliExported.string(), "--vertical", "1.25", cliLine.string()});
  ASSERT_EQ(cli.status, 0) << cli.err;
  const std::string written = velto::testing::ReadWholeFile(exported);
  EXPECT_GT(written.size(), 1000u);
  EXPECT_EQ(written, velto::testing::ReadWholeFile(cliExported));
  EXPECT_FALSE(velto::testing::ReadWholeFile(line).empty());
  EXPECT_EQ(velto::testing::ReadWholeFile(line), velto::testing::ReadWholeFile(cliLine));
}

TEST(MapWindowView, TheSettingsDialogStepsChecksAndHandsItsValuesBack) {
  shell::MainFrameState state;
  state.exeDirectory = velto::testing::BuildDataDirectory();
  programs::AppContext app(state);
  programs::MbdMapForm window(app);
  programs::MapSettingsForm form(app, window.Crystal(), true, {1, 1, 1}, {1, -1, 0}, {99, 99, 99});
  QtUserInterface parentUi(nullptr);
  CMapSettings dialog(nullptr, form, parentUi);
  velto::testing::FakeUserInterface person;
  dialog.SetUserInterface(person);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Define/Change Crystal and Reflection/Orientation");
  EXPECT_EQ(dialog.FieldEdit(programs::MapSettingsField::CrystalName)->text(), "Si");
  EXPECT_TRUE(dialog.FieldEdit(programs::MapSettingsField::CrystalName)->isReadOnly());

  // The "+" under the second component of H: 1 0 0 is not perpendicular to 1 1 1.
  QList<QPushButton*> plus;
  for (QPushButton* b : dialog.findChildren<QPushButton*>())
    if (b->text() == "+") plus << b;
  ASSERT_EQ(plus.size(), 6);
  plus[4]->click();
  EXPECT_EQ(dialog.FieldEdit(programs::MapSettingsField::HK)->text(), "0");
  dialog.accept();
  EXPECT_EQ(person.LastMessage(), programs::kNotPerpendicularMessage);
  EXPECT_TRUE(dialog.isVisible());
  dialog.FieldEdit(programs::MapSettingsField::HK)->setText("-1");
  dialog.FieldEdit(programs::MapSettingsField::LLimit)->setText("-3");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.FieldEdit(programs::MapSettingsField::LLimit)->text(), "0");
  EXPECT_EQ(form.Limits().l, 0);
  EXPECT_EQ(form.Reference().y, -1);
}

TEST(MapWindowView, TheVerticalLineDialogBrowsesAndRefusesAnAzimuthOutsideTheMap) {
  programs::SavePhiLineForm form(-10, 10, "0", "");
  QtUserInterface parentUi(nullptr);
  CDlg_SavePhiLine dialog(nullptr, form, parentUi);
  velto::testing::FakeUserInterface person;
  dialog.SetUserInterface(person);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Save points on a vertical line");
  EXPECT_EQ(dialog.PhiEdit()->toolTip(), "Must be within the Phi range of the map");
  person.QueueSaveFile(std::filesystem::path("/tmp/line.dat"));
  dialog.BrowseButton()->click();
  EXPECT_EQ(person.saveRequests.back().title, "Choose a file to Save the points on the vertical line");
  EXPECT_EQ(dialog.FileEdit()->text(), "/tmp/line.dat");
  dialog.PhiEdit()->setText("-10.5");
  dialog.accept();
  EXPECT_EQ(person.LastMessage(), "The Phi angle is out of the Map Range.");
  EXPECT_TRUE(dialog.isVisible());
  dialog.PhiEdit()->setText("-10");
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_DOUBLE_EQ(form.PhiDegrees(), -10);
}

}  // namespace
}  // namespace velto::gui
