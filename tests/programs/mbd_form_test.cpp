#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "MbdWindowFixture.h"
#include "core/Units.h"
#include "mbd/LatticeBasis.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

using F = MbdField;
using shell::FormatNumber;

TEST_F(MbdWindow, DefinesSiliconWithItsModeAndKeepsTheEnergyAboveTheMinimum) {
  MbdForm form(app);
  EXPECT_EQ(form.Field(F::Thickness).text, "-1");
  EXPECT_EQ(form.Field(F::Reference).text, "");
  EXPECT_EQ(form.Field(F::PrincipalAzimuth).text, "");
  EXPECT_FALSE(form.Field(F::SiMode).checked);

  SetEnergyKev(form, "8");
  DefineSilicon(form);
  ASSERT_TRUE(form.CrystalDefined());
  EXPECT_EQ(form.Field(F::CrystalName).text, "Silicon");
  EXPECT_EQ(form.Field(F::PrimaryReflection).text, "1 1 1");
  EXPECT_TRUE(form.Field(F::SiMode).checked) << "the name Silicon turns the diamond rule on";
  const double d = form.Crystal().d;
  EXPECT_NEAR(d, form.Crystal().structure.a / std::sqrt(3.0), 1e-9);
  EXPECT_EQ(form.Field(F::BraggAngle).text, FormatNumber(std::asin(core::WavelengthOf(8000) / (2 * d)) / core::kDegree, 8));

  // 1 keV lies below the 111 back-reflection energy hc/2d: refused, nothing changes.
  EXPECT_FALSE(SetEnergyKev(form, "1"));
  EXPECT_EQ(ui.LastMessage(), "The energy chosen is below the minimum energy of the primary reflection, " +
                                  FormatNumber(core::kHalfHcEvAngstrom / 1000 / d, 8) + " keV");
  EXPECT_DOUBLE_EQ(form.Energy(), 8000);

  // A G without a Bragg angle at the current energy is taken with θB = 90°.
  DefineSilicon(form, "9", "9", "9");
  EXPECT_EQ(form.Field(F::BraggAngle).text, "90 (O+)");
}

TEST_F(MbdWindow, ReferenceDirectionDialogRefusesZeroAndDirectionsOutOfTheBraggPlane) {
  MbdForm form(app);
  EXPECT_FALSE(form.HorizontalReference(ui));
  EXPECT_EQ(ui.LastMessage(), "You have to Define/Import a crystal structure and select the Primary Reflection!");
  EXPECT_EQ(ui.LastFocus(), "crystal name");

  DefineSilicon(form);
  EXPECT_FALSE(SetReference(form, "0", "0", "1e-11"));
  EXPECT_EQ(ui.LastMessage(), "h k l must NOT be all zero!");
  EXPECT_FALSE(SetReference(form, "1", "0", "0"));
  EXPECT_EQ(ui.LastMessage(), "The Horizontal Reference Direction is not perpendicular to the Primary Reflection!");
  EXPECT_TRUE(SetReference(form, "0.5", "-0.5", "0"));
  EXPECT_EQ(form.Field(F::Reference).text, "0.5 -0.5 0\n");
  EXPECT_FALSE(SetReference(form, "0.5", "-0.5", "0")) << "the same direction changes nothing";

  HorizontalReferenceForm dialog(mbd::LatticeBasisOf(form.Crystal().structure), {1, 1, 1}, {0.5, -0.5, 0});
  dialog.Step(0, +1);
  dialog.Step(2, -1);
  EXPECT_EQ(dialog.Index(0).text, "1.5");
  EXPECT_EQ(dialog.Index(2).text, "-1");
}

// The three-beam condition of reflection g at the glancing angle θB of G:
// the incident direction makes the angle θi with the planes of g.
void ExpectThreeBeamAzimuth(const MbdForm& form, mbd::Miller g, const std::string& azimuthText) {
  const mbd::LatticeBasis lattice = mbd::LatticeBasisOf(form.Crystal().structure);
  const mbd::Vec3 gv = lattice.Reciprocal(g);
  const double sinThetaI = core::WavelengthOf(form.Energy()) * mbd::Norm(gv) / 2;
  const double phi = shell::ParseNumber(azimuthText) * core::kDegree;
  const mbd::Vec3 k0 = form.Geometry().IncidentDirection(form.Geometry().BraggAngle(), phi);
  EXPECT_NEAR(mbd::Dot(k0, gv / mbd::Norm(gv)), -sinThetaI, 1e-8) << azimuthText;
}

TEST_F(MbdWindow, ReflectionListShowsBraggAnglesAzimuthsAndTheirAbsence) {
  MbdForm form(app);
  SetEnergyKev(form, "8");
  DefineSilicon(form);
  SetReference(form, "1", "-1", "0");
  ASSERT_TRUE(Add(form, "1", "1", "-1"));
  ASSERT_TRUE(Add(form, "3", "3", "3"));  // parallel to G: no three-beam azimuth
  ui.QueueAnswer(Answer::Yes);
  ASSERT_TRUE(Add(form, "9", "9", "9"));  // beyond the limiting sphere at 8 keV
  EXPECT_EQ(ui.messages.back().text,
            "This reflection has no Bragg diffraction at current energy. Do you still want to include it? ");
  ASSERT_EQ(form.ReflectionRows().size(), 3u);

  const MbdReflectionRow& first = form.ReflectionRows()[0];
  EXPECT_EQ(first.number, "  2");
  EXPECT_EQ(first.indices, "  1  1  -1");
  const double d = form.Crystal().d;  // 1 1 −1 has the spacing of 1 1 1
  EXPECT_EQ(first.braggAngle, "  " + FormatNumber(std::asin(core::WavelengthOf(8000) / (2 * d)) / core::kDegree, 8));
  const std::size_t comma = first.azimuths.find(",  ");
  ASSERT_NE(comma, std::string::npos) << first.azimuths;
  ExpectThreeBeamAzimuth(form, {1, 1, -1}, first.azimuths.substr(2, comma - 2));
  ExpectThreeBeamAzimuth(form, {1, 1, -1}, first.azimuths.substr(comma + 3));

  EXPECT_EQ(form.ReflectionRows()[1].azimuths, "  No Azimuthal Angle");
  EXPECT_EQ(form.ReflectionRows()[2].braggAngle, "  90 (O+)");
  EXPECT_EQ(form.ReflectionRows()[2].azimuths, "");

  // "Set Azimuth..." takes azimuth 1 of beam 2, "2nd" azimuth 2.
  form.SetThreeBeamAzimuth(ui);
  EXPECT_EQ("  " + form.Field(F::PrincipalAzimuth).text + ",  ", first.azimuths.substr(0, comma + 3));
  form.SetSecondAzimuth();
  EXPECT_EQ(form.Field(F::PrincipalAzimuth).text, first.azimuths.substr(comma + 3));
  form.ZeroAzimuth();
  EXPECT_EQ(form.Field(F::PrincipalAzimuth).text, "0");

  form.RemoveReflection(std::nullopt);
  EXPECT_EQ(form.ReflectionRows().size(), 3u);
  form.RemoveReflection(0);
  ASSERT_EQ(form.ReflectionRows().size(), 2u);
  EXPECT_EQ(form.ReflectionRows()[0].number, "  2") << "rows after the removed one are renumbered";
  EXPECT_EQ(form.ReflectionRows()[0].indices, "  3  3  3");
  EXPECT_EQ(form.Field(F::PrincipalAzimuth).text, "");
  form.SetThreeBeamAzimuth(ui);
  EXPECT_EQ(ui.LastMessage(), "The Azimuthal angle of the 3rd reflection is not available.");
}

TEST_F(MbdWindow, AddingAsksAboutForbiddenReflectionsAndStopsAtOneHundredBeams) {
  MbdForm form(app);
  SetEnergyKev(form, "8");
  DefineSilicon(form);
  EXPECT_FALSE(Add(form, "1", "1", "-1"));
  EXPECT_EQ(ui.LastMessage(), "Horizontal Reference Direction has not been defined!");
  EXPECT_EQ(ui.LastFocus(), "reference direction");
  SetReference(form, "1", "-1", "0");

  EXPECT_FALSE(Add(form, "1000", "0", "0"));
  EXPECT_EQ(ui.LastMessage(), "Enter an integer between -999 and 999.");
  EXPECT_EQ(ui.LastFocus(), "add h");
  EXPECT_FALSE(Add(form, "1", "1", "1"));
  EXPECT_EQ(ui.LastMessage(), "1 1 1 is already included!");
  EXPECT_FALSE(Add(form, "0", "0", "0"));
  EXPECT_EQ(ui.LastMessage(), "0 0 0 is already included!");

  // 1 1 0 and its coupling 0 0 −1 are both forbidden in diamond.
  ui.QueueAnswer(Answer::No);
  EXPECT_FALSE(Add(form, "1", "1", "0"));
  EXPECT_EQ(ui.messages.back().text, std::string(mbd::kForbiddenQuestion));
  EXPECT_TRUE(ui.messages.back().question);
  ui.QueueAnswer(Answer::Yes);
  EXPECT_TRUE(Add(form, "1", "1", "0"));
  EXPECT_EQ(form.Beams().Count(), 3);

  form.SetDiamondMode(false);
  for (int h = -3; h <= 3 && form.Beams().Count() < 100; ++h)
    for (int k = -3; k <= 3 && form.Beams().Count() < 100; ++k)
      for (int l = -3; l <= 3 && form.Beams().Count() < 100; ++l) {
        ui.QueueAnswer(Answer::Yes);
        Add(form, std::to_string(h).c_str(), std::to_string(k).c_str(), std::to_string(l).c_str());
      }
  ASSERT_EQ(form.Beams().Count(), 100);
  EXPECT_FALSE(Add(form, "5", "5", "5"));
  EXPECT_EQ(ui.LastMessage(), "Maximum 100 reflections!");
}

TEST_F(MbdWindow, EveryChangeOfBeamsFrameOrEnergyAsksForChiAgain) {
  MbdForm form(app);
  ReadySilicon(form);
  ASSERT_FALSE(form.ChiNeeded());
  Add(form, "1", "1", "-1");
  EXPECT_TRUE(form.ChiNeeded()) << "adding a beam";
  CalculateChi(form);
  ASSERT_FALSE(form.ChiNeeded());
  EXPECT_EQ(form.Solver()->BeamCount(), 3);

  form.Field(F::Offcut).text = "2";
  form.Field(F::PrincipalAzimuth).text = "0";
  form.Field(F::ThetaFrom).text = "5";  // never reached: the chi check comes first
  EXPECT_FALSE(RunInto(form, "unused.dat"));
  EXPECT_EQ(ui.LastMessage(), "Need to Calculate Chi Components") << "the offcut moved the solver frame";

  CalculateChi(form, DialogResult::Cancel);
  EXPECT_TRUE(form.ChiNeeded()) << "components computed but the dialog cancelled";
  CalculateChi(form);
  form.RemoveReflection(0);
  EXPECT_TRUE(form.ChiNeeded()) << "removing a beam";

  Add(form, "1", "1", "-1");
  CalculateChi(form);
  DefineSilicon(form);  // same G: the beams stay, the components are asked for again
  EXPECT_TRUE(form.ChiNeeded());
  EXPECT_EQ(form.Beams().Count(), 3);
  CalculateChi(form);
  SetReference(form, "1", "1", "-2");
  EXPECT_TRUE(form.ChiNeeded());
  EXPECT_EQ(form.Beams().Count(), 2) << "a new H clears the list";

  Add(form, "1", "1", "-1");
  form.Field(F::PrincipalAzimuth).text = "3";
  CalculateChi(form);
  SetEnergyKev(form, "9");
  EXPECT_TRUE(form.ChiNeeded());
  EXPECT_EQ(form.Beams().Count(), 2) << "a new energy clears the list";
  EXPECT_EQ(form.Field(F::PrincipalAzimuth).text, "");

  Add(form, "1", "1", "-1");
  DefineSilicon(form, "2", "2", "0");
  EXPECT_EQ(form.Beams().Count(), 2) << "a new G clears the list";
  EXPECT_EQ(form.Beams()[1].hkl, (mbd::Miller{2, 2, 0}));
}

TEST_F(MbdWindow, TheOffcutAzimuthAloneTurnsTheSurfaceButRoundingAndRefusalsKeepTheComponents) {
  MbdForm form(app);
  ReadySilicon(form);
  Add(form, "1", "1", "-1");
  form.Field(F::Offcut).text = "2";
  CalculateChi(form);
  ASSERT_FALSE(form.ChiNeeded());
  const mbd::MbdSolver* const solver = form.Solver();
  ASSERT_NE(solver, nullptr);

  form.Field(F::Offcut).text = "2.00000000001";
  ASSERT_TRUE(form.SearchReflections(ui));
  EXPECT_FALSE(form.ChiNeeded()) << "a change below 1e-10 degrees is rounding";
  EXPECT_EQ(form.Solver(), solver);

  form.Field(F::OffcutAzimuth).text = "30";
  ASSERT_TRUE(form.SearchReflections(ui));
  EXPECT_TRUE(form.ChiNeeded()) << "the offcut azimuth alone turned the surface";
  EXPECT_EQ(form.Solver(), nullptr);
  EXPECT_EQ(form.Beams().Count(), 3) << "a new surface keeps the beams";
  EXPECT_FALSE(RunInto(form, "unused.dat"));
  EXPECT_EQ(ui.LastMessage(), MbdForm::kChiNeeded);

  CalculateChi(form);
  ASSERT_FALSE(form.ChiNeeded());
  EXPECT_FALSE(SetReference(form, "1", "-1", "0")) << "the same H again is no change";
  EXPECT_FALSE(SetEnergyKev(form, "1")) << "below the back-reflection energy of 1 1 1";
  EXPECT_FALSE(form.ChiNeeded());
  EXPECT_EQ(form.Beams().Count(), 3);
  EXPECT_EQ(form.Field(F::PrincipalAzimuth).text, "0");
}

TEST_F(MbdWindow, ARunIsRefusedWithTheMessageOfTheFirstMissingInput) {
  MbdForm form(app);
  EXPECT_FALSE(RunInto(form, "x.dat"));
  EXPECT_EQ(ui.LastFocus(), "crystal name");
  SetEnergyKev(form, "8");
  DefineSilicon(form);
  EXPECT_FALSE(RunInto(form, "x.dat"));
  EXPECT_EQ(ui.LastMessage(), "Horizontal Reference Direction has not been defined!");
  SetReference(form, "1", "-1", "0");
  EXPECT_FALSE(RunInto(form, "x.dat"));
  EXPECT_EQ(ui.LastMessage(), "The Principal Azimuth Angle of Incidence has not been set!");
  EXPECT_EQ(ui.LastFocus(), "principal azimuth");
  form.Field(F::PrincipalAzimuth).text = "0";
  EXPECT_FALSE(RunInto(form, "x.dat"));
  EXPECT_EQ(ui.LastMessage(), "Need to Calculate Chi Components");
  CalculateChi(form);

  form.Field(F::Polarisation).text = "120";
  form.Field(F::ThetaTo).text = "-20.0005";
  EXPECT_FALSE(RunInto(form, "x.dat"));
  EXPECT_EQ(ui.LastMessage(), "Invalid Delta omega range!");
  EXPECT_EQ(ui.LastFocus(), "theta from");
  EXPECT_EQ(form.Field(F::Polarisation).text, "90");
  form.Field(F::ThetaTo).text = "30";
  form.Field(F::ThetaPoints).text = "0";
  form.Field(F::PhiTo).text = "-20";
  EXPECT_FALSE(RunInto(form, "x.dat"));
  EXPECT_EQ(ui.LastMessage(), "Invalid Delta Phi range!");
  EXPECT_EQ(ui.LastFocus(), "phi from");
  EXPECT_EQ(form.Field(F::ThetaPoints).text, "1");

  form.Field(F::PhiTo).text = "20";
  form.Field(F::EnergyOffset).text = "nan";
  EXPECT_FALSE(RunInto(form, "x.dat"));
  EXPECT_EQ(ui.LastFocus(), "energy offset");
  form.Field(F::EnergyOffset).text = "-8000";  // no wavelength left for the solver
  EXPECT_FALSE(RunInto(form, "x.dat"));
  EXPECT_EQ(ui.LastMessage(), "The photon energy E + Delta E must stay above 0 eV.");
  form.Field(F::EnergyOffset).text = "0";

  // Tilting the surface towards the incident beam by more than θB turns the
  // beam away from it.
  form.Field(F::Offcut).text = "20";
  CalculateChi(form);
  EXPECT_FALSE(RunInto(form, "x.dat"));
  EXPECT_EQ(ui.LastMessage(),
            "It seems that the Crystal Surface Offcut made the Incidence Angle with respect to the Surface negative. "
            "Please check!");
  EXPECT_TRUE(ui.tasksRun.empty());
}

class RecordingShell final : public ShellCommands {
 public:
  void OpenProgram(shell::ProgramKind kind) override { opened.push_back(kind); }
  void ShowHelp() override {}
  std::vector<shell::ProgramKind> opened;
};

TEST_F(MbdWindow, HandsCrystalReferenceAndModeToTheMapWhenTheyChanged) {
  RecordingShell shell;
  AppContext withShell(state, &shell);
  {
    MbdForm form(withShell);
    EXPECT_EQ(withShell.MbdSource(), &form);
    EXPECT_FALSE(form.HandOverChanged());
    EXPECT_FALSE(form.OpenMap(ui)) << "no crystal yet";
    EXPECT_TRUE(shell.opened.empty());

    DefineSilicon(form);
    EXPECT_TRUE(form.HandOverChanged());
    form.HandOverTaken();
    SetReference(form, "1", "-1", "0");
    ASSERT_TRUE(form.HandOverChanged());
    const MbdHandOver handOver = withShell.MbdSource()->HandOver();
    EXPECT_TRUE(handOver.crystalDefined);
    EXPECT_EQ(handOver.crystal.structure.name, "Silicon");
    EXPECT_EQ(handOver.primary, (mbd::Miller{1, 1, 1}));
    EXPECT_DOUBLE_EQ(handOver.reference.y, -1);
    EXPECT_TRUE(handOver.diamondMode);
    form.HandOverTaken();

    form.Field(F::Offcut).text = "3";  // not part of the hand-over
    form.ChiComponents(ui);
    EXPECT_FALSE(form.HandOverChanged());
    form.SetDiamondMode(false);
    EXPECT_TRUE(form.HandOverChanged());
    form.HandOverTaken();

    EXPECT_TRUE(form.OpenMap(ui));
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], shell::ProgramKind::MbdLineMap);
    EXPECT_TRUE(form.HandOverChanged()) << "the button always hands over";
  }
  EXPECT_EQ(withShell.MbdSource(), nullptr) << "a closed window is no source";
}

TEST_F(MbdWindow, SearchListsTheReflectionsNearTheAzimuthAndFillsTheAddFields) {
  MbdForm form(app);
  SetEnergyKev(form, "8");
  DefineSilicon(form);
  SetReference(form, "1", "-1", "0");
  EXPECT_FALSE(form.SearchReflections(ui));
  EXPECT_EQ(ui.LastMessage(), "The Principal Azimuth Angle of Incidence has not been set!");

  form.Field(F::PrincipalAzimuth).text = "0";
  form.Field(F::Tolerance).text = "500";
  form.Field(F::Threshold).text = "-1";
  ASSERT_TRUE(form.SearchReflections(ui));
  EXPECT_EQ(form.Field(F::Tolerance).text, "180");
  EXPECT_EQ(form.Field(F::Threshold).text, "0");
  ASSERT_FALSE(form.SearchRows().empty());
  for (std::size_t i = 0; i < form.SearchRows().size(); ++i) {
    const double deviation = shell::ParseNumber(form.SearchRows()[i].deviation);
    EXPECT_LE(std::fabs(deviation), 180) << form.SearchRows()[i].indices;
    ExpectThreeBeamAzimuth(form, form.SearchResults().hits[i].hkl, FormatNumber(deviation, 8));
  }
  form.PickSearchRow(0);
  const mbd::Miller first = form.SearchResults().hits[0].hkl;
  EXPECT_EQ(form.Field(F::AddH).text, std::to_string(first.h));
  EXPECT_EQ(form.Field(F::AddL).text, std::to_string(first.l));
  EXPECT_TRUE(form.AddReflection(ui) || ui.messages.back().question);
}

TEST_F(MbdWindow, HelpSaysWhichManualItCouldNotShowAndWhy) {
  MbdForm form(app);
  testing::TemporaryDirectory dir;
  const std::filesystem::path manual = dir.Write("MBD-Help.pdf", "%PDF-1.4\n");
  state.exeDirectory = dir.path();
  ui.openDocument = [](const std::filesystem::path&) { return false; };
  form.Help(ui);
  EXPECT_EQ(ui.LastMessage(),
            "Cannot find the MBD-Help.pdf file\nNo program of this desktop could show " + manual.string() + ".");

  std::filesystem::remove(manual);
  ui.openDocument = nullptr;
  form.Help(ui);
  EXPECT_EQ(ui.LastMessage(), "Cannot find the MBD-Help.pdf file\nThere is no file " + manual.string() + ".");

  const std::size_t shown = ui.messages.size();
  ui.openDocument = [](const std::filesystem::path&) { return true; };
  form.Help(ui);
  EXPECT_EQ(ui.messages.size(), shown);
  EXPECT_EQ(ui.documentsOpened.back(), manual);
}

}  // namespace
}  // namespace velto::programs
