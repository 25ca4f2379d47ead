#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "MbdWindowFixture.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

using F = MbdField;
using shell::FormatNumber;
using Column = MbdSaveForm::Column;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<double> Numbers(const std::string& line) {
  std::vector<double> values;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, ',');) values.push_back(shell::ParseNumber(field));
  return values;
}

std::string Chi6(std::complex<double> chi) {
  return FormatNumber(chi.real() * 1e6, 8) + " ,  " + FormatNumber(chi.imag() * 1e6, 8);
}

TEST_F(MbdWindow, ChiDialogListsTheTwoBeamComponentsAsTheCrystalDialogComputedThem) {
  MbdForm form(app);
  SetEnergyKev(form, "8");
  DefineSilicon(form);
  SetReference(form, "1", "-1", "0");
  int rowsAtOpening = -1;
  std::vector<std::vector<std::string>> rows;
  ui.QueueDialog<ChiComponentsForm>([&](ChiComponentsForm& f, UserInterface& inner) {
    rowsAtOpening = f.RowCount();
    f.Calculate(inner);
    for (int r = 0; r < f.RowCount(); ++r) rows.push_back({f.Cell(r, 0), f.Cell(r, 1), f.Cell(r, 2)});
    return DialogResult::Ok;
  });
  form.ChiComponents(ui);
  EXPECT_EQ(rowsAtOpening, 0) << "nothing accepted yet";
  ASSERT_EQ(rows.size(), 4u);
  const crystal::ReflectionChi& chi = form.Crystal().chi;  // from the crystal dialog
  EXPECT_EQ(rows[0], (std::vector<std::string>{"0 - 0", Chi6(chi.chi0), "0  0  0"}));
  EXPECT_EQ(rows[1], (std::vector<std::string>{"0 - 1", Chi6(chi.chimh), "-1  -1  -1"}));
  EXPECT_EQ(rows[2], (std::vector<std::string>{"1 - 0", Chi6(chi.chih), "1  1  1"}));
  EXPECT_EQ(rows[3][1], rows[0][1]);
  EXPECT_FALSE(form.ChiNeeded());

  ui.QueueDialog<ChiComponentsForm>([&](ChiComponentsForm& f, UserInterface&) {
    rowsAtOpening = f.RowCount();
    return DialogResult::Cancel;
  });
  form.ChiComponents(ui);
  EXPECT_EQ(rowsAtOpening, 4) << "accepted components show at once";
  EXPECT_FALSE(form.ChiNeeded());
}

TEST_F(MbdWindow, ChiImportFillsMissingValuesWithZeroAndReportsAFileThatCannotBeOpened) {
  testing::TemporaryDirectory dir;
  MbdForm form(app);
  SetEnergyKev(form, "8");
  DefineSilicon(form);
  SetReference(form, "1", "-1", "0");
  const std::filesystem::path file = dir.Write("chi.dat", "-15.1, 0.35 ! chi0\n\n 7.5\t-0.2\n7.5,,-0.2\n");
  std::vector<std::string> values;
  ui.QueueDialog<ChiComponentsForm>([&](ChiComponentsForm& f, UserInterface& inner) {
    f.FormatHelp(inner);
    ui.QueueOpenFile(dir.path() / "missing.dat");
    f.Import(inner);
    EXPECT_EQ(f.RowCount(), 0);
    ui.QueueOpenFile(file);
    f.Import(inner);
    for (int r = 0; r < f.RowCount(); ++r) values.push_back(f.Cell(r, 1));
    return DialogResult::Ok;
  });
  form.ChiComponents(ui);
  ASSERT_GE(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[ui.messages.size() - 2].text.rfind("You can import your own CHI components", 0), 0u);
  EXPECT_EQ(ui.messages.back().text,
            "Error!  Failed to open the file!\n" + (dir.path() / "missing.dat").string() + ": No such file or directory");
  EXPECT_EQ(ui.messages.back().icon, MessageIcon::Stop);
  EXPECT_EQ(ui.openRequests.back().title, "Open ASCII Text File of CHI Coponents in Unit of 10^-6");
  EXPECT_EQ(values, (std::vector<std::string>{"-15.1 ,  0.35", "7.5 ,  -0.2", "7.5 ,  -0.2", "0 ,  0"}));
  EXPECT_FALSE(form.ChiNeeded());
}

TEST_F(MbdWindow, SaveDialogOffersWhatTheRunAllowsAndRemembersItsChoicesForEveryWindow) {
  mbd::ResultOptions& remembered = app.MbdResultOptions();
  MbdSaveForm semiInfinite(remembered, 12.5, true, 3, false);
  EXPECT_FALSE(semiInfinite.TransmissionEnabled());
  semiInfinite.ChooseExitSide(true);
  EXPECT_FALSE(semiInfinite.ExitSide());
  EXPECT_EQ(semiInfinite.Rotation().text, "12.5");
  EXPECT_EQ(semiInfinite.SelectedBeam(), 1);
  EXPECT_TRUE(semiInfinite.ColumnBox(Column::DeltaPhi).checked);
  EXPECT_FALSE(semiInfinite.ColumnBox(Column::Amplitudes).checked);
  EXPECT_TRUE(semiInfinite.ColumnBox(Column::Amplitudes).enabled);
  EXPECT_FALSE(semiInfinite.Ok(ui));
  EXPECT_EQ(ui.LastMessage(), "Please select a file");
  EXPECT_EQ(ui.LastFocus(), "file name");

  MbdSaveForm slab(remembered, 0, false, 3, false);
  slab.ChooseExitSide(true);
  slab.ChooseMicroradians(true);
  slab.SelectBeam(2);
  slab.ColumnBox(Column::Components).checked = true;
  ui.QueueSaveFile(std::filesystem::path("/tmp/chosen.dat"));
  slab.Browse(ui);
  EXPECT_EQ(slab.FileName().text, "/tmp/chosen.dat");
  EXPECT_EQ(ui.saveRequests.back().title, "Choose a file to Save the computation results");
  ASSERT_TRUE(slab.Ok(ui));

  // Another window's run starts from these choices; a convolution offers
  // neither amplitudes nor wave vectors, and beam 2 of a two-beam set falls back to G.
  MbdForm other(app);
  MbdSaveForm convolution(app.MbdResultOptions(), 0, false, 2, true);
  EXPECT_TRUE(convolution.ExitSide());
  EXPECT_TRUE(convolution.Microradians());
  EXPECT_TRUE(convolution.ColumnBox(Column::Components).checked);
  EXPECT_FALSE(convolution.ColumnBox(Column::WaveVector).enabled);
  EXPECT_FALSE(convolution.ColumnBox(Column::Amplitudes).enabled);
  EXPECT_EQ(convolution.SelectedBeam(), 1);
  MbdSaveForm threeBeams(app.MbdResultOptions(), 0, false, 3, false);
  EXPECT_EQ(threeBeams.SelectedBeam(), 2);
}

TEST_F(MbdWindow, PlaneWaveRunWritesOneLinePerEnteringPointAndKeepsTheFileOnCancel) {
  testing::TemporaryDirectory dir;
  MbdForm form(app);
  ReadySilicon(form);
  Add(form, "1", "1", "-1");
  CalculateChi(form);
  SmallScan(form);
  const std::filesystem::path file = dir.path() / "run.dat";
  ASSERT_TRUE(RunInto(form, file, [](MbdSaveForm& f) { f.ColumnBox(Column::Components).checked = true; }));
  EXPECT_EQ(ui.LastMessage(), MbdForm::kSuccess);
  EXPECT_EQ(ui.messages.back().icon, MessageIcon::Information);
  const std::vector<std::string> lines = Lines(testing::ReadWholeFile(file));
  ASSERT_EQ(lines.size(), 21u);
  ASSERT_TRUE(form.LastRun().has_value());
  EXPECT_EQ(form.LastRun()->linesEmitted, 21);
  EXPECT_EQ(lines[0].rfind("-5, -10, ", 0), 0u) << lines[0];
  for (const std::string& line : lines) {
    const std::vector<double> v = Numbers(line);
    ASSERT_EQ(v.size(), 5u) << line;
    EXPECT_GE(v[2], 0);
    EXPECT_LE(v[2], 1) << "a semi-infinite crystal reflects at most what comes in";
    EXPECT_NEAR(v[3] + v[4], v[2], 1e-7) << "the polarisation components add up to R";
  }

  // "." scans Δθ only; a cancelled run leaves the earlier file and no temporary file.
  const std::string before = testing::ReadWholeFile(file);
  form.NoPhiScan();
  ui.cancelProgress = true;
  EXPECT_TRUE(RunInto(form, file));
  EXPECT_EQ(testing::ReadWholeFile(file), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  ui.cancelProgress = false;
  ASSERT_TRUE(RunInto(form, file));
  const std::vector<std::string> thetaOnly = Lines(testing::ReadWholeFile(file));
  ASSERT_EQ(thetaOnly.size(), 7u);
  for (const std::string& line : thetaOnly) EXPECT_EQ(line.rfind("0, ", 0), 0u) << line;

  const std::size_t tasks = ui.tasksRun.size();
  EXPECT_FALSE(RunInto(form, dir.path() / "no such folder" / "run.dat"));
  EXPECT_EQ(ui.LastMessage(), "Failed to create the file \"" + (dir.path() / "no such folder" / "run.dat").string() + "\" !");
  EXPECT_EQ(ui.messages.back().icon, MessageIcon::Stop);
  EXPECT_EQ(ui.tasksRun.size(), tasks) << "nothing is computed for a file that cannot be made";
  EXPECT_EQ(form.Field(F::Thickness).text, "-1");
}

// The window's form on a process that computes points for another one (an
// MPI rank other than 0): it takes part in the run, and the file and the
// message are the other process's.
class ComputingOnly final : public core::PointRunner {
 public:
  bool ReceivesResults() const override { return false; }
  bool Run(const Loop& loop, const core::Progress&) override {
    std::vector<std::byte> records(static_cast<std::size_t>(loop.total) * loop.recordSize);
    loop.prepare(0, loop.total, records.data());
    loop.compute(0, loop.total, records.data());
    ++loops;
    return true;
  }
  int loops = 0;
};

TEST_F(MbdWindow, AProcessThatComputesForAnotherWritesNoFileAndShowsNothing) {
  testing::TemporaryDirectory dir;
  MbdForm form(app);
  ReadySilicon(form);
  Add(form, "1", "1", "-1");
  CalculateChi(form);
  SmallScan(form);
  ComputingOnly runner;
  form.SetPointRunner(runner);
  const std::size_t messages = ui.messages.size();
  ASSERT_TRUE(RunInto(form, dir.path() / "run.dat"));
  EXPECT_EQ(runner.loops, 1);
  EXPECT_EQ(ui.messages.size(), messages) << ui.LastMessage();
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  EXPECT_TRUE(form.LastRun().has_value()) << "the run completed";
}

TEST_F(MbdWindow, ConvolutionPanelStatesAndAConvolutionWithoutSpreadGivesThePlaneWaveLine) {
  testing::TemporaryDirectory dir;
  MbdForm form(app);
  MbdConvolutionPanel& panel = form.Convolution();
  EXPECT_EQ(panel.ButtonCaption(), "Activate Convolution Panel");
  EXPECT_FALSE(panel.DeactivateEnabled());
  EXPECT_FALSE(panel.Field(MbdConvolutionField::Fwhm).enabled);
  EXPECT_EQ(panel.Field(MbdConvolutionField::Fwhm).text, "");
  EXPECT_FALSE(form.ConvolutionButton(ui)) << "the first press activates";
  EXPECT_EQ(panel.ButtonCaption(), "Calculate Convoluted Intensities");
  EXPECT_TRUE(panel.Field(MbdConvolutionField::PhiPoints).enabled);
  EXPECT_EQ(panel.Field(MbdConvolutionField::Fwhm).text, "1");
  EXPECT_EQ(panel.Field(MbdConvolutionField::EnergyRange).text, "5");
  EXPECT_EQ(panel.Field(MbdConvolutionField::ThetaPoints).text, "11");
  form.DeactivateConvolution();
  EXPECT_EQ(panel.ButtonCaption(), "Activate Convolution Panel");
  EXPECT_EQ(panel.Field(MbdConvolutionField::EnergyRange).text, "");
  EXPECT_FALSE(panel.Field(MbdConvolutionField::EnergyRange).enabled);

  ReadySilicon(form);
  Add(form, "1", "1", "-1");
  CalculateChi(form);
  SmallScan(form);
  form.Field(F::ThetaPoints).text = "4";
  const auto components = [](MbdSaveForm& f) { f.ColumnBox(Column::Components).checked = true; };
  const std::filesystem::path planeFile = dir.path() / "plane.dat";
  ASSERT_TRUE(RunInto(form, planeFile, components));

  form.ConvolutionButton(ui);
  panel.Field(MbdConvolutionField::EnergyRange).text = "0";
  panel.Field(MbdConvolutionField::ThetaDivergence).text = "0";
  panel.Field(MbdConvolutionField::PhiDivergence).text = "-3";
  ui.QueueAnswer(Answer::No);
  EXPECT_FALSE(form.ConvolutionButton(ui));
  EXPECT_EQ(ui.messages.back().text, MbdConvolutionPanel::kQuestion);
  EXPECT_TRUE(ui.messages.back().question);
  EXPECT_EQ(panel.Field(MbdConvolutionField::PhiDivergence).text, "-3") << "No reads nothing";
  EXPECT_EQ(panel.Field(MbdConvolutionField::EnergyPoints).text, "11");
  EXPECT_EQ(app.MbdConvolution().phiDivergenceMicroradians, 10) << "No remembers nothing";

  // Cancel in the save dialog ends the run before the panel is read, too.
  ui.QueueAnswer(Answer::Yes);
  ui.QueueDialog<MbdSaveForm>([](MbdSaveForm&, UserInterface&) { return DialogResult::Cancel; });
  EXPECT_FALSE(form.ConvolutionButton(ui));
  EXPECT_EQ(panel.Field(MbdConvolutionField::PhiDivergence).text, "-3");
  EXPECT_EQ(app.MbdConvolution().energyRangeEv, 5);

  // A setting that is not a number is refused after the file was chosen,
  // and the file is never created.
  const std::filesystem::path convolutionFile = dir.path() / "convolution.dat";
  const auto chooseFile = [&](MbdSaveForm& f, UserInterface& inner) {
    f.FileName().text = convolutionFile.string();
    return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
  };
  panel.Field(MbdConvolutionField::Fwhm).text = "1e999";
  ui.QueueAnswer(Answer::Yes);
  ui.QueueDialog<MbdSaveForm>(chooseFile);
  EXPECT_FALSE(form.ConvolutionButton(ui));
  EXPECT_EQ(ui.focusMoves.back(), MbdConvolutionFieldName(MbdConvolutionField::Fwhm));
  EXPECT_EQ(testing::FileNames(dir.path()), (std::set<std::string>{"plane.dat"}));
  EXPECT_EQ(app.MbdConvolution().phiDivergenceMicroradians, 10);
  panel.Field(MbdConvolutionField::Fwhm).text = "1";

  ui.QueueAnswer(Answer::Yes);
  ui.QueueDialog<MbdSaveForm>([&](MbdSaveForm& f, UserInterface& inner) {
    f.FileName().text = convolutionFile.string();
    return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
  });
  ASSERT_TRUE(form.ConvolutionButton(ui));
  EXPECT_EQ(ui.LastMessage(), MbdForm::kSuccess);
  EXPECT_EQ(panel.Field(MbdConvolutionField::PhiDivergence).text, "0") << "clamped and written back";
  EXPECT_EQ(panel.Field(MbdConvolutionField::EnergyPoints).text, "1");

  // One sub-point of weight one and unit steps: I = R and I − Iσ′ = Iπ′.
  const std::vector<std::string> plane = Lines(testing::ReadWholeFile(planeFile));
  const std::vector<std::string> convolved = Lines(testing::ReadWholeFile(convolutionFile));
  ASSERT_EQ(plane.size(), 12u);
  ASSERT_EQ(convolved.size(), plane.size());
  for (std::size_t i = 0; i < plane.size(); ++i) {
    const std::vector<double> p = Numbers(plane[i]);
    const std::vector<double> c = Numbers(convolved[i]);
    ASSERT_EQ(c.size(), p.size()) << convolved[i];
    for (std::size_t j = 0; j < p.size(); ++j) EXPECT_NEAR(c[j], p[j], 1e-12) << plane[i] << " / " << convolved[i];
  }
  EXPECT_EQ(app.MbdConvolution().phiDivergenceMicroradians, 0) << "the settings are kept for the run";
}

}  // namespace
}  // namespace velto::programs
