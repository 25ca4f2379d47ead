#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "core/Units.h"
#include "programs/crystal_dialog/CrystalParamsForm.h"
#include "programs/curve_export/CurveExport.h"
#include "programs/energy_dialogs/ChangeWavelengthForm.h"
#include "programs/single_crystal/SingleCrystalForm.h"
#include "shell/NumberText.h"
#include "support/FakeUserInterface.h"
#include "support/RecordingCanvas.h"
#include "support/TestFiles.h"

namespace velto::programs {
namespace {

using testing::FakeUserInterface;
using twobeam::ScanKind;
using F = SingleCrystalField;

class SingleCrystalWindow : public ::testing::Test {
 protected:
  SingleCrystalWindow() : app(state) { state.exeDirectory = testing::BuildDataDirectory(); }

  // Defines silicon with the given reflection through the structure file
  // chooser and the crystal dialog, as a person would.
  void DefineSilicon(SingleCrystalForm& form, const char* h, const char* k, const char* l) {
    ui.QueueOpenFile(state.exeDirectory / "Silicon.struct");
    QueueCrystalDialog(h, k, l);
    form.DefineCrystal(ui);
  }
  void QueueCrystalDialog(const char* h, const char* k, const char* l) {
    ui.QueueDialog<CrystalParamsForm>([h, k, l](CrystalParamsForm& f, UserInterface& inner) {
      f.Index(0).text = h;
      f.Index(1).text = k;
      f.Index(2).text = l;
      return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
    });
  }
  void SetEnergyKev(SingleCrystalForm& form, const char* kev) {
    ui.QueueDialog<ChangeWavelengthForm>([kev](ChangeWavelengthForm& f, UserInterface& inner) {
      f.EnergyEdited(kev);
      return f.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
    });
    form.PhotonEnergy(ui);
  }

  shell::MainFrameState state;
  AppContext app;
  FakeUserInterface ui;
};

double Leading(const std::string& text) { return shell::ParseNumber(text); }

TEST_F(SingleCrystalWindow, OpensWithTheDefaultsOfEachVariant) {
  SingleCrystalForm bragg(app, false);
  EXPECT_STREQ(bragg.Title(), "Bragg-case Darwin Curve of Single Crystal Diffraction");
  EXPECT_EQ(bragg.Field(F::Thickness).text, "-1");
  EXPECT_EQ(bragg.Field(F::Energy).text, "8.04798794");
  EXPECT_TRUE(bragg.Field(F::ReflectivityCheck).checked);
  EXPECT_TRUE(bragg.Field(F::Rigorous).enabled);
  EXPECT_FALSE(bragg.Field(F::BraggQuestion).visible);
  EXPECT_EQ(bragg.StepCaption(SingleCrystalForm::FromMinus), "-10");
  EXPECT_EQ(bragg.StepCaption(SingleCrystalForm::ToPlus), "+10");
  EXPECT_EQ(bragg.Field(F::RangeUnit).text, "arcsec ( \" )");
  EXPECT_EQ(bragg.Field(F::OffsetUnit).text, "eV");
  EXPECT_STREQ(SingleCrystalForm::ToolTip(F::Thickness), "Crystal thickness. -1 = Semi-infinite");

  SingleCrystalForm laue(app, true);
  EXPECT_STREQ(laue.Title(), "Laue-case Single-Crystal Diffraction for Plane Wave");
  EXPECT_EQ(laue.Field(F::Thickness).text, "50");
  EXPECT_FALSE(laue.Field(F::Rigorous).enabled);
}

TEST_F(SingleCrystalWindow, RefusesInTheOrderOfTheFailureTableWithFocus) {
  SingleCrystalForm form(app, false);
  form.Calculate(ui);
  EXPECT_EQ(ui.LastMessage(), "You need to Define Crystal !   ");
  EXPECT_EQ(ui.LastFocus(), "Define Crystal...");
  EXPECT_EQ(form.Curve(), nullptr);

  DefineSilicon(form, "1", "1", "1");
  ASSERT_TRUE(form.CrystalDefined());
  EXPECT_EQ(form.Field(F::Hkl).text, "1 1 1");
  EXPECT_EQ(form.Field(F::CrystalName).text, form.Crystal().structure.name);
  // Si 111 at Cu Kα1: θB = 14.221° (a = 5.431 Å).
  EXPECT_NEAR(Leading(form.Field(F::BraggAngle).text), 14.221, 0.002);

  form.Field(F::To).text = "-60";
  form.Calculate(ui);
  EXPECT_EQ(ui.LastMessage(), "The scan range is not correct !   ");
  EXPECT_EQ(ui.LastFocus(), "From");

  form.Field(F::To).text = "50";
  form.Field(F::Asymmetry).text = "14.3";
  form.Calculate(ui);
  EXPECT_EQ(ui.LastMessage(), "The absolte value of Offcut Angle should be less than the Bragg angle !  ");
  EXPECT_EQ(ui.LastFocus(), "Asymmetry");

  form.Field(F::Asymmetry).text = "0";
  form.Field(F::Points).text = "100001";
  form.Calculate(ui);
  EXPECT_EQ(ui.LastMessage(), "Enter an integer between 3 and 100000.");
  EXPECT_EQ(ui.LastFocus(), "Points");
  EXPECT_EQ(form.Curve(), nullptr);

  SingleCrystalForm laue(app, true);
  DefineSilicon(laue, "1", "1", "1");
  laue.Field(F::Asymmetry).text = "76";  // θB + α above 90°
  laue.Calculate(ui);
  EXPECT_EQ(ui.LastMessage(), "The Offcut Angle (phi) is out of range!  ");
  EXPECT_EQ(ui.LastFocus(), "Asymmetry");
}

TEST_F(SingleCrystalWindow, EnergyChangeAsksForTheCrystalAgainAndBackReflectionDiffersByVariant) {
  SingleCrystalForm form(app, false);
  DefineSilicon(form, "1", "1", "1");
  // 1.95 keV lies below the 111 back-reflection energy (1.977 keV): λ/2d > 1.
  QueueCrystalDialog("1", "1", "1");
  SetEnergyKev(form, "1.95");
  // The notice comes first, then the crystal dialog (which warns of its own
  // about the back reflection).
  const auto notice = std::find_if(ui.messages.begin(), ui.messages.end(), [](const auto& m) {
    return m.text ==
           "Photon Energy could have been changed. You might need\nto update the energy-dependent \"chi\" components.";
  });
  EXPECT_NE(notice, ui.messages.end());
  EXPECT_EQ(form.Field(F::Energy).text, "1.95");
  EXPECT_EQ(form.Field(F::BraggAngle).text, "90 (O+)");
  EXPECT_TRUE(form.Field(F::BraggQuestion).visible);
  EXPECT_TRUE(form.Field(F::Calculate).enabled);
  form.BraggQuestion(ui);
  EXPECT_EQ(ui.LastMessage().rfind("lambda/(2d) - 1 = 0.01", 0), 0u) << ui.LastMessage();
  EXPECT_EQ(ui.messages.back().icon, MessageIcon::None);

  // Back reflection: the Bragg case computes with θB = 90°.
  form.Field(F::From).text = "-500";
  form.Field(F::To).text = "500";
  form.Field(F::Points).text = "201";
  const std::size_t before = ui.messages.size();
  form.Calculate(ui);
  EXPECT_EQ(ui.messages.size(), before);
  EXPECT_NE(form.Curve(), nullptr);

  // Cancelling the crystal dialog after an energy change keeps the
  // calculation disabled.
  ui.QueueDialog<CrystalParamsForm>([](CrystalParamsForm&, UserInterface&) { return DialogResult::Cancel; });
  SetEnergyKev(form, "8.04798794");
  EXPECT_FALSE(form.Field(F::Calculate).enabled);

  SingleCrystalForm laue(app, true);
  DefineSilicon(laue, "1", "1", "1");
  QueueCrystalDialog("1", "1", "1");
  SetEnergyKev(laue, "1.95");
  laue.Calculate(ui);
  EXPECT_EQ(ui.LastMessage(), "Laue case does not allow thetaB = 90 deg.!   ");
}

TEST_F(SingleCrystalWindow, ThicknessRulesOfBothVariants) {
  SingleCrystalForm form(app, false);
  DefineSilicon(form, "1", "1", "1");
  form.Field(F::Points).text = "11";
  form.Field(F::Thickness).text = "-5";
  form.Calculate(ui);
  EXPECT_EQ(form.Field(F::Thickness).text, "-1");
  EXPECT_FALSE(form.Field(F::TransmissivityCheck).enabled);  // semi-infinite: no T
  form.Field(F::Thickness).text = "0";
  form.Calculate(ui);
  EXPECT_EQ(form.Field(F::Thickness).text, "1e-06");
  form.Field(F::Thickness).text = "2.50";
  form.Calculate(ui);
  EXPECT_EQ(form.Field(F::Thickness).text, "2.5");

  SingleCrystalForm laue(app, true);
  DefineSilicon(laue, "2", "2", "0");
  laue.Field(F::Points).text = "11";
  laue.Field(F::Thickness).text = "0";
  laue.Calculate(ui);
  EXPECT_EQ(laue.Field(F::Thickness).text, "1e-05");
}

TEST_F(SingleCrystalWindow, ScanKindSwapKeepsTheValuesOfEachKind) {
  SingleCrystalForm form(app, false);
  form.Field(F::From).text = "-40";
  form.Field(F::Offset).text = "0.5";
  form.SetScanKind(ScanKind::EnergyScan);
  EXPECT_EQ(form.Field(F::From).text, "-2");
  EXPECT_EQ(form.Field(F::To).text, "3");
  EXPECT_EQ(form.Field(F::Points).text, "2001");
  EXPECT_EQ(form.Field(F::Offset).text, "0");
  EXPECT_EQ(form.Field(F::StepSize).text, "Stepsize = 0.0025 eV");
  EXPECT_EQ(form.Field(F::RangeUnit).text, "eV");
  EXPECT_EQ(form.Field(F::OffsetUnit).text, "\"");
  EXPECT_EQ(form.StepCaption(SingleCrystalForm::FromMinus), "-1");

  form.SetScanKind(ScanKind::EnergyScan);  // no change: nothing swaps
  EXPECT_EQ(form.Field(F::From).text, "-2");

  form.SetScanKind(ScanKind::RockingCurve);
  EXPECT_EQ(form.Field(F::From).text, "-40");
  EXPECT_EQ(form.Field(F::Offset).text, "0.5");
  EXPECT_EQ(form.Field(F::StepSize).text, "Stepsize = 0.045 \"");
  EXPECT_EQ(form.StepIndex(), 2);
}

TEST_F(SingleCrystalWindow, RangeAndPointButtons) {
  SingleCrystalForm form(app, false);
  form.StepRange(SingleCrystalForm::FromMinus);
  EXPECT_EQ(form.Field(F::From).text, "-60");
  form.ChooseStep(4);  // 0.1, for every button of the group
  EXPECT_EQ(form.StepCaption(SingleCrystalForm::ToPlus), "+0.1");
  form.StepRange(SingleCrystalForm::ToPlus);
  EXPECT_EQ(form.Field(F::To).text, "50.1");
  form.StepRange(SingleCrystalForm::ToMinus);
  form.StepRange(SingleCrystalForm::ToMinus);
  EXPECT_EQ(form.Field(F::To).text, "49.9");

  form.Field(F::Points).text = "150";
  form.SubtractHundredPoints();
  EXPECT_EQ(form.Field(F::Points).text, "50");
  form.Field(F::Points).text = "105";
  form.SubtractHundredPoints();
  EXPECT_EQ(form.Field(F::Points).text, "105");
  form.AddHundredPoints();
  EXPECT_EQ(form.Field(F::Points).text, "205");
}

TEST_F(SingleCrystalWindow, BraggRockingCurveOfSilicon111ShowsItsNumbers) {
  SingleCrystalForm form(app, false);
  DefineSilicon(form, "1", "1", "1");
  form.Calculate(ui);
  ASSERT_NE(form.Curve(), nullptr);
  EXPECT_EQ(form.Field(F::StepSize).text, "Stepsize = 0.05 \"");
  EXPECT_EQ(form.Field(F::AsymmetryFactor).text, "-1  (-1)");  // symmetric Bragg: b = γ0/γh = −1
  // Darwin width of Si 111 at Cu Kα1, σ: 7.4" (X0h, S. Stepanov; also
  // Authier, Dynamical Theory of X-Ray Diffraction, 2001, Table 5.1 order).
  const std::string& fwhm = form.Field(F::Fwhm).text;
  EXPECT_NEAR(Leading(fwhm), 7.4, 0.3) << fwhm;
  EXPECT_NE(fwhm.find("\" ("), std::string::npos) << fwhm;
  EXPECT_NE(fwhm.find("\" of Exit angle)"), std::string::npos) << fwhm;
  // Symmetric: the exit width equals the incidence width.
  const double exitWidth = Leading(fwhm.substr(fwhm.find('(') + 1));
  EXPECT_NEAR(exitWidth, Leading(fwhm), 0.002);
  // The same width in microradians.
  EXPECT_NEAR(Leading(form.Field(F::FwhmMicroradian).text), Leading(fwhm) * core::kArcsecond * 1e6, 0.01);
  EXPECT_NE(form.Field(F::FwhmMicroradian).text.find(" urad ("), std::string::npos);
  // With absorption the peak stays below 1 but above 0.8 for this reflection.
  const double peak = Leading(form.Field(F::MaxReflectivity).text);
  EXPECT_GT(peak, 0.8);
  EXPECT_LT(peak, 1.0);
  // The refraction shift puts the centre on the high-angle side.
  EXPECT_GT(Leading(form.Field(F::CentrePosition).text), 0);
  EXPECT_NE(form.Field(F::CentrePosition).text.find("\" Exit)"), std::string::npos);

  ui.QueueDialog<SingleCrystalDetailsDialog>([](SingleCrystalDetailsDialog& d, UserInterface&) {
    EXPECT_EQ(d.texts.depthLabel, "Minimum Penetration depth:");
    EXPECT_FALSE(d.texts.depth.empty());
    EXPECT_TRUE(d.texts.analyticFwhmVisible);
    EXPECT_NE(d.texts.halfMaximum.find(",     for dE = 0 eV"), std::string::npos) << d.texts.halfMaximum;
    EXPECT_NE(d.texts.maxAbsolute.find(" deg"), std::string::npos);
    return DialogResult::Ok;
  });
  form.Details(ui);
  EXPECT_EQ(ui.dialogsRun.back(), &typeid(SingleCrystalDetailsDialog));
}

TEST_F(SingleCrystalWindow, BraggEnergyScanShowsTheWidthInElectronvolts) {
  SingleCrystalForm form(app, false);
  DefineSilicon(form, "1", "1", "1");
  form.SetScanKind(ScanKind::EnergyScan);
  form.Calculate(ui);
  ASSERT_NE(form.Curve(), nullptr);
  const std::string& fwhm = form.Field(F::Fwhm).text;
  // ΔE = E·Δθ/tan θB: 8048 eV · 7.4" / tan 14.22° ≈ 1.14 eV.
  EXPECT_NEAR(Leading(fwhm), 8048 * 7.4 * core::kArcsecond / std::tan(14.221 * core::kDegree), 0.06) << fwhm;
  EXPECT_NE(fwhm.find(" eV ("), std::string::npos);
  EXPECT_EQ(form.Field(F::FwhmMicroradian).text, "");
  EXPECT_NE(form.Field(F::MaxPosition).text.find(" eV ("), std::string::npos);

  // The window keeps drawing and exporting the energy scan after the radio
  // buttons change back.
  form.SetScanKind(ScanKind::RockingCurve);
  EXPECT_EQ(form.Curve()->kind, ScanKind::EnergyScan);
}

TEST_F(SingleCrystalWindow, LaueCurveWithTransmissivityAndPendellosung) {
  SingleCrystalForm form(app, true);
  DefineSilicon(form, "2", "2", "0");
  form.Calculate(ui);
  ASSERT_NE(form.Curve(), nullptr);
  EXPECT_GT(Leading(form.Field(F::Fwhm).text), 0);
  EXPECT_NEAR(Leading(form.Field(F::AsymmetryFactor).text), 1.0, 1e-9);  // symmetric Laue: b = 1
  EXPECT_TRUE(form.Field(F::TransmissivityCheck).enabled);
  // Without absorption R + T would be 1; silicon at 8 keV absorbs, so the sum
  // stays below 1 everywhere.
  const twobeam::CurveSet& curve = *form.Curve();
  for (int i = 0; i < curve.points; i += 100) EXPECT_LT(curve.reflectivity[i] + curve.transmissivity[i], 1.0);

  ui.QueueDialog<SingleCrystalDetailsDialog>([](SingleCrystalDetailsDialog& d, UserInterface&) {
    EXPECT_EQ(d.texts.depthLabel, "Pendellosung distance:");
    EXPECT_EQ(d.texts.depth, "");
    EXPECT_FALSE(d.texts.analyticFwhmVisible);
    EXPECT_EQ(d.texts.extinctionLabel, "Analytical Pendellosung:");
    const std::string& t = d.texts.extinction;
    const auto half = t.find("  (Half: ");
    EXPECT_NE(half, std::string::npos) << t;
    if (half != std::string::npos) {
      EXPECT_NEAR(shell::ParseNumber(t.substr(half + 9)), shell::ParseNumber(t) / 2, 1e-4) << t;
    }
    return DialogResult::Ok;
  });
  form.Details(ui);

  // The check boxes: T on, R off, then T off brings R back.
  form.ClickTransmissivity();
  EXPECT_TRUE(form.DrawTransmissivity());
  form.ClickReflectivity();
  EXPECT_FALSE(form.DrawReflectivity());
  EXPECT_FALSE(form.Field(F::ReflectivityCheck).checked);
  form.ClickTransmissivity();
  EXPECT_FALSE(form.DrawTransmissivity());
  EXPECT_TRUE(form.DrawReflectivity());
  EXPECT_TRUE(form.Field(F::ReflectivityCheck).checked);
  form.ClickReflectivity();  // alone, R stays
  EXPECT_TRUE(form.DrawReflectivity());
}

TEST_F(SingleCrystalWindow, PeakAtTheFirstSampleIsDrawnWithoutNumbers) {
  SingleCrystalForm form(app, false);
  DefineSilicon(form, "1", "1", "1");
  form.Field(F::From).text = "200";
  form.Field(F::To).text = "300";
  form.Field(F::Points).text = "101";
  form.Calculate(ui);
  ASSERT_NE(form.Curve(), nullptr);
  EXPECT_EQ(form.Field(F::Fwhm).text, "");
  EXPECT_EQ(form.Field(F::MaxReflectivity).text, "");
  const std::size_t dialogs = ui.dialogsRun.size();
  form.Details(ui);
  EXPECT_EQ(ui.dialogsRun.size(), dialogs);
}

TEST_F(SingleCrystalWindow, CancelledCalculationKeepsThePreviousCurve) {
  SingleCrystalForm form(app, false);
  DefineSilicon(form, "1", "1", "1");
  form.Calculate(ui);
  ASSERT_NE(form.Curve(), nullptr);
  const std::string fwhm = form.Field(F::Fwhm).text;
  ui.cancelProgress = true;
  form.Field(F::Points).text = "100000";
  form.Calculate(ui);
  ASSERT_NE(form.Curve(), nullptr);
  EXPECT_EQ(form.Curve()->points, 2001);
  EXPECT_EQ(form.Field(F::Fwhm).text, fwhm);
  EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(SingleCrystalWindow, FieldsThatReadAsInfinityOrNotANumberAreRefusedAndTheCurveStays) {
  SingleCrystalForm form(app, false);
  DefineSilicon(form, "1", "1", "1");
  form.Calculate(ui);
  ASSERT_NE(form.Curve(), nullptr);
  const std::string fwhm = form.Field(F::Fwhm).text;
  const std::size_t tasks = ui.tasksRun.size();

  struct Case {
    F field;
    const char* text;
    const char* message;
    std::string_view focus;
  };
  const Case cases[] = {
      {F::From, "1e999", "\"from\" must be a finite number, not \"1e999\".   ", kFromField},
      {F::To, "nan", "\"to\" must be a finite number, not \"nan\".   ", kToField},
      {F::Offset, "-1e999", "\"ΔE\" must be a finite number, not \"-1e999\".   ", kOffsetField},
      {F::Asymmetry, "inf", "\"α\" must be a finite number, not \"inf\".   ", kAsymmetryField},
      {F::Thickness, " NaN ", "\"Thickness\" must be a finite number, not \"NaN\".   ", kThicknessField},
  };
  for (const Case& c : cases) {
    const std::string kept = form.Field(c.field).text;
    form.Field(c.field).text = c.text;
    form.Calculate(ui);
    EXPECT_EQ(ui.LastMessage(), c.message);
    EXPECT_EQ(ui.LastFocus(), c.focus);
    form.Field(c.field).text = kept;
  }
  EXPECT_EQ(ui.tasksRun.size(), tasks);  // nothing was computed
  ASSERT_NE(form.Curve(), nullptr);
  EXPECT_EQ(form.Curve()->points, 2001);
  EXPECT_EQ(form.Field(F::Fwhm).text, fwhm);

  // Text without a number keeps its old meaning: a free thickness reads as 0.
  form.Field(F::Thickness).text = "thin";
  form.Calculate(ui);
  EXPECT_EQ(form.Field(F::Thickness).text, "1e-06");
}

TEST_F(SingleCrystalWindow, MouseReadoutGivesScanCoordinateAndReflectivity) {
  SingleCrystalForm form(app, false);
  const Rect frame{0, 0, 400, 336};  // one pixel per unit: origin at (38, 310)
  form.MouseInPlot(frame, {38, 310});
  EXPECT_EQ(form.Field(F::MouseCoordinates).text, "");  // no curve yet
  DefineSilicon(form, "1", "1", "1");
  form.Calculate(ui);
  form.MouseInPlot(frame, {38, 310});
  EXPECT_EQ(form.Field(F::MouseCoordinates).text, "-50\r\n0");
  form.MouseInPlot(frame, {38, 10});  // the top of the full scale
  EXPECT_EQ(form.Field(F::MouseCoordinates).text, "-50\r\n1");
  form.MouseInPlot(frame, {38, 330});  // below the sensitive band: unchanged
  EXPECT_EQ(form.Field(F::MouseCoordinates).text, "-50\r\n1");
}

TEST_F(SingleCrystalWindow, PlotKeepsTheProgramsDrawingInTheFullViewAndReadsZoomedViews) {
  SingleCrystalForm form(app, false);
  DefineSilicon(form, "1", "1", "1");
  form.Field(F::Asymmetry).text = "10";  // an asymmetric Bragg case: the peak moves off zero
  form.Calculate(ui);
  ASSERT_NE(form.Curve(), nullptr);
  Plot& plot = form.CurvePlot();
  const Rect screen{0, 0, 640, 400};
  plot.SetScreen(screen, 14);

  // The full view is the program's drawing on the frame inside the bands.
  testing::RecordingCanvas whole, program;
  plot.Draw(whole, screen, false);
  const Rect frame = plot.Geometry().frame;
  DrawSingleCrystalPlot(program, frame, form.CurveToDraw());
  ASSERT_EQ(program.polylines.size(), 1u);
  ASSERT_FALSE(whole.polylines.empty());
  EXPECT_EQ(whole.polylines[0].points, program.polylines[0].points);
  for (const auto& text : program.texts) {
    const auto* same = whole.Find(text.text);
    ASSERT_NE(same, nullptr) << text.text;
  }
  for (const char* added : {"Δθ (arcsec)", "Reflectivity", "R"}) EXPECT_TRUE(whole.HasText(added)) << added;
  EXPECT_EQ(plot.Content().caption,
            "Silicon 1 1 1 Bragg case, " + shell::FormatNumber(form.Energy() / 1000, 8) + " keV, σ polarization");

  // Zoomed about the peak, the program's read-out field gives the data of
  // the zoomed view under the pointer.
  const PlotMapping full = plot.Geometry().mapping;
  const double peak = form.Analysis().xMax / core::kArcsecond;
  const Point a{static_cast<int>(full.PixelX(peak - 3)), static_cast<int>(full.PixelY(1.0))};
  const Point b{static_cast<int>(full.PixelX(peak + 3)), static_cast<int>(full.PixelY(0.5))};
  ASSERT_TRUE(plot.ZoomToRectangle(a, b));
  const PlotMapping zoomed = plot.Geometry().mapping;
  EXPECT_NEAR(zoomed.range.xMin, peak - 3, 0.2);
  form.MouseInPlot(frame, {static_cast<int>(zoomed.left), static_cast<int>(zoomed.bottom)});
  const std::string read = form.Field(F::MouseCoordinates).text;
  EXPECT_NEAR(Leading(read), zoomed.range.xMin, 1e-4) << read;
  EXPECT_NEAR(Leading(read.substr(read.find('\n') + 1)), zoomed.range.yMin, 1e-4) << read;

  // A new calculation shows its full range, unless the zoom is kept.
  form.Calculate(ui);
  EXPECT_FALSE(plot.Zoomed());
  plot.SetKeepZoom(true);
  ASSERT_TRUE(plot.ZoomToRectangle(a, b));
  form.Calculate(ui);
  EXPECT_TRUE(plot.Zoomed());
}

TEST_F(SingleCrystalWindow, PlotLegendAndTitleFollowTheCurvesShown) {
  SingleCrystalForm form(app, true);
  DefineSilicon(form, "2", "2", "0");
  form.Calculate(ui);
  ASSERT_NE(form.Curve(), nullptr);
  form.ClickTransmissivity();
  PlotContent content = form.PlotContentNow();
  ASSERT_EQ(content.series.size(), 2u);
  EXPECT_EQ(content.series[0].name, "R");
  EXPECT_EQ(content.series[1].name, "T");
  EXPECT_EQ(content.series[1].pen, (Pen{kBlue, 2}));
  EXPECT_EQ(content.y.Title(), "Reflectivity, Transmissivity");
  EXPECT_NE(content.caption.find("Laue case"), std::string::npos);
  form.ClickReflectivity();
  content = form.PlotContentNow();
  ASSERT_EQ(content.series.size(), 1u);
  EXPECT_EQ(content.y.Title(), "Transmissivity");

  // An energy scan is plotted in eV.
  form.SetScanKind(ScanKind::EnergyScan);
  form.Calculate(ui);
  EXPECT_EQ(form.PlotContentNow().x.Title(), "ΔE (eV)");
}

std::vector<std::string> ReadLines(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(SingleCrystalWindow, ExportRefusesWithoutDataAndWritesTheDefaultColumns) {
  SingleCrystalForm form(app, false);
  form.ExportCurve(ui);
  EXPECT_EQ(ui.LastMessage(), "No data to export yet !    ");
  EXPECT_TRUE(ui.dialogsRun.empty());

  DefineSilicon(form, "1", "1", "1");
  form.Calculate(ui);
  testing::TemporaryDirectory dir;
  const auto file = dir.path() / "si111.dat";

  // Cancelling the column dialog asks for no file.
  ui.QueueDialog<CurveExportDialog>([](CurveExportDialog&, UserInterface&) { return DialogResult::Cancel; });
  form.ExportCurve(ui);
  EXPECT_TRUE(ui.saveRequests.empty());

  ui.QueueDialog<CurveExportDialog>([](CurveExportDialog& d, UserInterface&) {
    // A semi-infinite crystal without the rigorous theory: no T, no specular.
    EXPECT_FALSE(d.TransmissivityEnabled());
    EXPECT_FALSE(d.SpecularEnabled());
    EXPECT_TRUE(d.DepthEnabled());
    EXPECT_EQ(d.ScanColumnCaption(), "Incident angle");
    return d.Accept() ? DialogResult::Cancel : DialogResult::Ok;
  });
  ui.QueueSaveFile(file);
  form.ExportCurve(ui);
  ASSERT_EQ(ui.saveRequests.size(), 1u);
  EXPECT_EQ(ui.saveRequests[0].title, "Save Selected Rocking Curve Data");
  EXPECT_EQ(ui.saveRequests[0].filter, "Data File (*.dat)|*.dat|All Files (*.*)|*.*||");
  EXPECT_EQ(ui.saveRequests[0].defaultExtension, "dat");
  const auto lines = ReadLines(file);
  ASSERT_EQ(lines.size(), 2001u);
  EXPECT_EQ(lines[0].rfind("-50\t", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1].rfind("-49.95\t", 0), 0u) << lines[1];
  EXPECT_EQ(lines[1000].rfind("0\t", 0), 0u) << lines[1000];
  EXPECT_EQ(lines[2000].rfind("50\t", 0), 0u) << lines[2000];
  EXPECT_EQ(lines[0].back(), '\r');  // CR LF line ends

  // A folder that does not exist cannot take the file.
  const auto nowhere = dir.path() / "missing" / "x.dat";
  ui.QueueDialog<CurveExportDialog>([](CurveExportDialog&, UserInterface&) { return DialogResult::Ok; });
  ui.QueueSaveFile(nowhere);
  form.ExportCurve(ui);
  EXPECT_EQ(ui.LastMessage(), "Cannot create the file \"" + nowhere.string() + "\" !");
  EXPECT_EQ(ui.messages.back().icon, MessageIcon::Error);
}

TEST_F(SingleCrystalWindow, LaueExportOffersTransmissivityButNoDepth) {
  SingleCrystalForm form(app, true);
  DefineSilicon(form, "2", "2", "0");
  form.Field(F::Points).text = "101";
  form.Calculate(ui);
  bool checked = false;
  ui.QueueDialog<CurveExportDialog>([&](CurveExportDialog& d, UserInterface&) {
    checked = true;
    EXPECT_TRUE(d.TransmissivityEnabled());
    EXPECT_FALSE(d.DepthEnabled());
    return DialogResult::Cancel;
  });
  form.ExportCurve(ui);
  EXPECT_TRUE(checked);
}

}  // namespace
}  // namespace velto::programs
