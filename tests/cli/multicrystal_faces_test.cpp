// velto-cli conv and dcm against their windows: the same person's choices
// given to the command line and, in this test, to the window's form must end
// in the same messages and the same numbers.
#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "cli/CliRun.h"
#include "programs/convoluted_curve/ConvolutedCurveForm.h"
#include "programs/monochromator/MonochromatorForm.h"
#include "support/ScriptedPerson.h"
#include "support/TestFiles.h"

namespace velto::testing {
namespace {

using programs::ConvolutedCurveField;
using programs::ConvolutedCurveForm;
using programs::MonochromatorField;
using programs::MonochromatorForm;

std::string Silicon() { return (BuildDataDirectory() / "Silicon.struct").string(); }

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \n\r\t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \n\r\t") - first + 1);
}

// What the command line prints for the messages a window showed.
std::string AsPrinted(const FakeUserInterface& ui) {
  std::string printed;
  for (const auto& m : ui.messages) printed += Trimmed(m.text) + (m.question ? " [no]" : "") + "\n";
  return printed;
}

// One person, scripted once for both faces.
struct Choices {
  std::string energyKev;  // empty: the default
  std::string secondHkl[3] = {"1", "1", "1"};
  std::string secondTemperature;
  bool yes = false;  // the answer to a question
};

Choices AtEnergy(std::string kev) {
  Choices c;
  c.energyKev = std::move(kev);
  return c;
}
Choices SecondReflection(std::string h, std::string k, std::string l) {
  Choices c;
  c.secondHkl[0] = std::move(h);
  c.secondHkl[1] = std::move(k);
  c.secondHkl[2] = std::move(l);
  return c;
}
Choices SecondAt(std::string kelvin) {
  Choices c;
  c.secondTemperature = std::move(kelvin);
  return c;
}

class Faces : public ::testing::Test {
 protected:
  Faces() : app(state) { state.exeDirectory = BuildDataDirectory(); }

  void Script(const Choices& c) {
    if (!c.energyKev.empty()) QueueEnergyDialog(ui, c.energyKev);
    if (c.yes) ui.QueueAnswer(programs::Answer::Yes);
    ui.QueueOpenFile(state.exeDirectory / "Silicon.struct");
    QueueCrystalDialog(ui, "1", "1", "1");
    ui.QueueOpenFile(state.exeDirectory / "Silicon.struct");
    QueueCrystalDialog(ui, c.secondHkl[0], c.secondHkl[1], c.secondHkl[2], c.secondTemperature);
  }
  std::vector<std::string> Arguments(const char* command, const char* first, const char* second, const Choices& c) {
    std::vector<std::string> a{command, first, Silicon(), second, Silicon()};
    if (!c.energyKev.empty()) a.insert(a.end(), {"--energy", c.energyKev});
    a.insert(a.end(), {std::string(second).replace(std::string(second).find("struct"), 6, "hkl"), c.secondHkl[0],
                       c.secondHkl[1], c.secondHkl[2]});
    if (!c.secondTemperature.empty())
      a.insert(a.end(),
               {std::string(second).replace(std::string(second).find("struct"), 6, "temp"), c.secondTemperature});
    if (c.yes) a.push_back("--force");
    return a;
  }

  // The convoluted curve on a small grid, in the window and on the command line.
  ProgramResult Convolution(const Choices& c, ConvolutedCurveForm& form) {
    Script(c);
    if (!c.energyKev.empty()) form.PhotonEnergy(ui);
    form.DefineMonochromator(ui);
    form.DefineSample(ui);
    form.Field(ConvolutedCurveField::SpectralPoints).text = "41";
    form.Field(ConvolutedCurveField::DivergencePoints).text = "9";
    form.Field(ConvolutedCurveField::Points).text = "81";
    form.Calculate(ui);
    std::vector<std::string> a = Arguments("conv", "--mono-struct", "--sample-struct", c);
    a.insert(a.end(), {"--spectral-points", "41", "--divergence-points", "9", "--points", "81", "--json"});
    return RunProgram("velto-cli", a);
  }
  ProgramResult Monochromator(const Choices& c, MonochromatorForm& form) {
    Script(c);
    if (!c.energyKev.empty()) form.PhotonEnergy(ui);
    form.DefineFirst(ui);
    form.DefineSecond(ui);
    form.Calculate(ui);
    std::vector<std::string> a = Arguments("dcm", "--c1-struct", "--c2-struct", c);
    a.push_back("--json");
    return RunProgram("velto-cli", a);
  }

  shell::MainFrameState state;
  programs::AppContext app;
  FakeUserInterface ui;
};

TEST_F(Faces, AboveNinetyNineKevBothRefuseToComputeChi) {
  ConvolutedCurveForm convolution(app);
  ProgramResult run = Convolution(AtEnergy("100"), convolution);
  EXPECT_EQ(run.status, 1);
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.messages[0].text.rfind("Currently this program cannot calculate structure factors", 0), 0u);
  EXPECT_FALSE(convolution.MonochromatorDefined() && convolution.Monochromator().d > 0);
  // The command line stops at the first crystal the dialog would not take.
  EXPECT_EQ(run.err, Trimmed(ui.messages[0].text) + "\n");

  ui.messages.clear();
  MonochromatorForm monochromator(app);
  run = Monochromator(AtEnergy("100"), monochromator);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, Trimmed(ui.messages.at(0).text) + "\n");
}

TEST_F(Faces, ZeroChiIsAQuestionThatForceAnswersYes) {
  // Si 2 0 0 is forbidden in the diamond structure: χh = 0.
  const Choices forbidden = SecondReflection("2", "0", "0");
  ConvolutedCurveForm refused(app);
  ProgramResult run = Convolution(forbidden, refused);
  EXPECT_EQ(run.status, 1);
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_TRUE(ui.messages[0].question);
  EXPECT_EQ(run.err, AsPrinted(ui).substr(0, AsPrinted(ui).find('\n') + 1) + "(--force answers Yes.)\n");
  EXPECT_FALSE(refused.Sample().d > 0);

  ui.messages.clear();
  Choices yes = forbidden;
  yes.yes = true;
  ConvolutedCurveForm accepted(app);
  run = Convolution(yes, accepted);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "Some Chi components are zero. Do you want to proceed? [yes]\n");
  // Nothing is reflected: both drop the curve.
  EXPECT_FALSE(accepted.Curves().Current());
  EXPECT_FALSE(nlohmann::json::parse(run.out)["curve"].get<bool>());
}

TEST_F(Faces, ZeroChiOfTheSecondMonochromatorCrystalIsTheSameQuestion) {
  const Choices forbidden = SecondReflection("2", "0", "0");
  MonochromatorForm refused(app);
  ProgramResult run = Monochromator(forbidden, refused);
  EXPECT_EQ(run.status, 1);
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_TRUE(ui.messages[0].question);
  EXPECT_EQ(run.err, AsPrinted(ui).substr(0, AsPrinted(ui).find('\n') + 1) + "(--force answers Yes.)\n");
  EXPECT_FALSE(refused.Second().d > 0);
  EXPECT_EQ(run.out, "");

  ui.messages.clear();
  Choices yes = forbidden;
  yes.yes = true;
  MonochromatorForm accepted(app);
  run = Monochromator(yes, accepted);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "Some Chi components are zero. Do you want to proceed? [yes]\n");
  EXPECT_GT(accepted.Second().d, 0);
  // Both faces go on with the same crystal and agree on whether a curve came out.
  const nlohmann::json out = nlohmann::json::parse(run.out);
  EXPECT_EQ(out["curve"].get<bool>(), accepted.Curve().has_value());
}

TEST_F(Faces, BackDiffractionIsNotedThenRefused) {
  const Choices back = SecondReflection("5", "5", "5");
  ConvolutedCurveForm convolution(app);
  ProgramResult run = Convolution(back, convolution);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(convolution.Field(ConvolutedCurveField::SampleBragg).text, "No diffraction!");
  EXPECT_EQ(ui.messages.back().text, "No diffraction!");
  EXPECT_EQ(run.err, AsPrinted(ui));

  ui.messages.clear();
  MonochromatorForm monochromator(app);
  run = Monochromator(back, monochromator);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(monochromator.Field(MonochromatorField::SecondBragg).text, "No diffraction!");
  EXPECT_EQ(run.err, AsPrinted(ui));
}

// A colder crystal has a smaller Debye–Waller damping, a larger |χh| and so a
// wider Darwin curve; each crystal keeps its own temperature.
TEST_F(Faces, EachCrystalComputesAtItsOwnTemperature) {
  ConvolutedCurveForm warm(app), cold(app);
  const nlohmann::json warmOut = nlohmann::json::parse(Convolution({}, warm).out);
  const ProgramResult coldRun = Convolution(SecondAt("10"), cold);
  ASSERT_EQ(coldRun.status, 0) << coldRun.err;
  const nlohmann::json coldOut = nlohmann::json::parse(coldRun.out);
  EXPECT_EQ(cold.Sample().temperature, 10);
  EXPECT_EQ(cold.Monochromator().temperature, state.defaultTemperature);
  ASSERT_TRUE(cold.Analysis() && cold.Analysis()->fwhm && warm.Analysis() && warm.Analysis()->fwhm);
  EXPECT_GT(*cold.Analysis()->fwhm, *warm.Analysis()->fwhm);
  EXPECT_DOUBLE_EQ(coldOut["fwhm_arcsec"].get<double>(), *cold.Analysis()->fwhm);
  EXPECT_DOUBLE_EQ(warmOut["fwhm_arcsec"].get<double>(), *warm.Analysis()->fwhm);
  EXPECT_EQ(coldOut["values"].get<std::vector<double>>(), cold.Curves().Current()->values);

  MonochromatorForm pair(app);
  const ProgramResult run = Monochromator(SecondAt("10"), pair);
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json out = nlohmann::json::parse(run.out);
  EXPECT_EQ(pair.Second().temperature, 10);
  EXPECT_DOUBLE_EQ(out["fwhm"].get<double>(), pair.Analysis()->fwhm);
  EXPECT_EQ(out["texts"]["fwhm"].get<std::string>(), pair.Field(MonochromatorField::Fwhm).text);
}

}  // namespace
}  // namespace velto::testing
