// The MBD-line map window driven as a person would: its fields, checks and
// messages, the settings and vertical-line dialogs, the shifts and toggles,
// the click query and the two files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/Units.h"
#include "mbd/LatticeBasis.h"
#include "programs/mbd_map/MbdMapForm.h"
#include "programs/mbd_map/MbdMapPainter.h"
#include "programs/mbd_map/SavePhiLineForm.h"
#include "shell/NumberText.h"
#include "support/FakeUserInterface.h"
#include "support/TestFiles.h"

namespace velto::programs {
namespace {

using testing::FakeUserInterface;
using F = MapField;
using S = MapSettingsField;

// E0 of silicon 1 1 1: hc / (2 d111), d111 = a / √3.
const double kSiliconE0 = 6199.2122 / (5.43102064 / std::sqrt(3.0));

const char* const kGermanium =
    "Germanium\n5.6579 5.6579 5.6579\n90 90 90\n8\n"
    "Ge 0 0 0 1\nGe 0.5 0.5 0 1\nGe 0.5 0 0.5 1\nGe 0 0.5 0.5 1\n"
    "Ge 0.25 0.25 0.25 1\nGe 0.75 0.75 0.25 1\nGe 0.75 0.25 0.75 1\nGe 0.25 0.75 0.75 1\n290\n";

class MapWindow : public ::testing::Test {
 protected:
  MapWindow() : app(state) { state.exeDirectory = testing::BuildDataDirectory(); }

  void SetRanges(MbdMapForm& form, const char* from, const char* to, const char* phiFrom, const char* phiTo) {
    form.Field(F::EnergyFrom).text = from;
    form.Field(F::EnergyTo).text = to;
    form.Field(F::PhiFrom).text = phiFrom;
    form.Field(F::PhiTo).text = phiTo;
  }
  // Runs the settings dialog with `fill` typing into it, then OK.
  bool Settings(MbdMapForm& form, std::function<void(MapSettingsForm&)> fill) {
    ui.QueueDialog<MapSettingsForm>([fill](MapSettingsForm& d, UserInterface& inner) {
      fill(d);
      return d.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
    });
    return form.ChangeSettings(ui);
  }

  shell::MainFrameState state;
  AppContext app;
  FakeUserInterface ui;
};

TEST_F(MapWindow, StartsWithTheBuiltInSiliconAndNoMap) {
  MbdMapForm form(app);
  EXPECT_EQ(form.Field(F::Header).text,
            "Si:   Primary Reflection 1 1 1 ;    Horizontal Reference Direction 1 -1 0");
  EXPECT_TRUE(form.Field(F::DiamondMode).checked);
  EXPECT_FALSE(form.Field(F::Threshold).enabled);
  EXPECT_EQ(form.Field(F::Threshold).text, "1e-08");
  EXPECT_EQ(form.Field(F::EnergyFrom).text, "7");
  EXPECT_EQ(form.Field(F::EnergyTo).text, "9");
  EXPECT_EQ(form.Field(F::EnergyPoints).text, "51");
  EXPECT_EQ(form.Field(F::PhiFrom).text, "-10");
  EXPECT_EQ(form.Field(F::PhiTo).text, "10");
  EXPECT_EQ(form.Field(F::PhiPoints).text, "201");
  EXPECT_EQ(form.Field(F::PlotMode).text, "Plot Scatter");
  EXPECT_EQ(form.Field(F::Indices).text, "Show Indices");
  EXPECT_FALSE(form.Field(F::PlotMode).enabled);
  EXPECT_FALSE(form.Field(F::Indices).enabled);
  EXPECT_NEAR(form.LowestEnergy(), kSiliconE0, 1e-9);
  EXPECT_STREQ(MbdMapForm::ToolTip(F::SlowMethod), "This is NOT necessary most of the time! For diagnostic");
  EXPECT_STREQ(MbdMapForm::ToolTip(F::ClickHkl),
               "For cubic Si/Ge/C, different reflections may have IDENTICAL MBD lines overlapped together");

  // Nothing is computed until asked; a click or a toggle on no map does nothing.
  EXPECT_TRUE(form.Map().points.Empty());
  form.ClickPlot({0, 0, 677, 543}, {360, 265});
  form.ToggleIndices();
  EXPECT_TRUE(form.Field(F::ClickPhi).text.empty());
  EXPECT_EQ(form.Field(F::Indices).text, "Show Indices");
  EXPECT_TRUE(ui.tasksRun.empty());

  form.SetDiamondMode(false);
  EXPECT_TRUE(form.Field(F::Threshold).enabled);
}

TEST_F(MapWindow, RangesAreClampedWrittenBackOrRefusedWithFocus) {
  MbdMapForm form(app);
  // Energy end below the start: refused, nothing computed, the end not rewritten.
  SetRanges(form, "8.5", "8", "-10", "10");
  EXPECT_FALSE(form.Calculate(ui));
  EXPECT_EQ(ui.LastMessage(), "The energy range is invalid!");
  EXPECT_EQ(ui.LastFocus(), kEnergyToField);
  EXPECT_EQ(form.Field(F::EnergyTo).text, "8");
  EXPECT_TRUE(ui.tasksRun.empty());

  SetRanges(form, "8", "9", "5", "4");
  EXPECT_FALSE(form.Calculate(ui));
  EXPECT_EQ(ui.LastMessage(), "The Azimuthal angle range is invalid!");
  EXPECT_EQ(ui.LastFocus(), kPhiToField);

  SetRanges(form, "8", "9", "-10", "1e999");
  EXPECT_FALSE(form.Calculate(ui));
  EXPECT_NE(ui.LastMessage().find("\"Phi to\" must be a finite number"), std::string::npos);
  EXPECT_EQ(ui.LastFocus(), kPhiToField);

  // A start below E0 − 100 eV, counts below 2, a negative threshold and
  // azimuths beyond the half turn are brought into range and shown.
  SetRanges(form, "0.5", "2.5", "179.9999", "400");
  form.Field(F::EnergyPoints).text = "1";
  form.Field(F::PhiPoints).text = "-3";
  form.Field(F::Threshold).text = "-1";
  EXPECT_TRUE(form.Calculate(ui));
  EXPECT_EQ(form.Field(F::EnergyFrom).text, shell::FormatNumber((kSiliconE0 - 100) / 1000, 8));
  EXPECT_EQ(form.Field(F::EnergyTo).text, "2.5");
  EXPECT_EQ(form.Field(F::EnergyPoints).text, "2");
  EXPECT_EQ(form.Field(F::PhiPoints).text, "2");
  EXPECT_EQ(form.Field(F::Threshold).text, "0");
  EXPECT_EQ(form.Field(F::PhiFrom).text, "179.999");
  EXPECT_EQ(form.Field(F::PhiTo).text, "180");
  EXPECT_DOUBLE_EQ(form.ShownSettings().energyMin, kSiliconE0 - 100);

  // The ranges are kept for the run: a window opened later starts with them.
  MbdMapForm later(app);
  EXPECT_EQ(later.Field(F::PhiFrom).text, "179.999");
  EXPECT_EQ(later.Field(F::EnergyTo).text, "2.5");
}

TEST_F(MapWindow, HighEnergiesAskFirstAndNoStopsTheCalculation) {
  MbdMapForm form(app);
  SetRanges(form, "60", "61.5", "0", "0.5");
  form.Field(F::EnergyPoints).text = "3";
  form.Field(F::PhiPoints).text = "3";
  EXPECT_FALSE(form.Calculate(ui));
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_TRUE(ui.messages.back().question);
  EXPECT_EQ(ui.LastMessage(), kHighEnergyQuestion);
  EXPECT_TRUE(ui.tasksRun.empty());
  ui.QueueAnswer(Answer::Yes);
  EXPECT_TRUE(form.Calculate(ui));
  EXPECT_EQ(ui.tasksRun.size(), 1u);
  // 1 keV wide is not asked about.
  SetRanges(form, "60", "61", "0", "0.5");
  const std::size_t asked = ui.messages.size();
  EXPECT_TRUE(form.Calculate(ui));
  EXPECT_EQ(ui.messages.size(), asked);
}

TEST_F(MapWindow, ShiftsMoveTheWholeRangeAndStopAtItsEdges) {
  MbdMapForm form(app);
  form.Field(F::EnergyPoints).text = "3";
  form.Field(F::PhiPoints).text = "3";
  SetRanges(form, "8", "9", "165", "175");
  EXPECT_TRUE(form.Shift(ui, RangeShift::PhiUp));
  EXPECT_EQ(form.Field(F::PhiFrom).text, "170");
  EXPECT_EQ(form.Field(F::PhiTo).text, "180");
  SetRanges(form, "8", "9", "-175", "-170");
  EXPECT_TRUE(form.Shift(ui, RangeShift::PhiDown));
  EXPECT_EQ(form.Field(F::PhiFrom).text, "-180");
  EXPECT_EQ(form.Field(F::PhiTo).text, "-175");
  SetRanges(form, "2.5", "3", "0", "1");
  EXPECT_TRUE(form.Shift(ui, RangeShift::EnergyDown));
  EXPECT_EQ(form.Field(F::EnergyFrom).text, shell::FormatNumber((kSiliconE0 - 100) / 1000, 8));
  EXPECT_NEAR(shell::ParseNumber(form.Field(F::EnergyTo).text), 3 - (2.5 - (kSiliconE0 - 100) / 1000), 1e-8);
  SetRanges(form, "998", "999.5", "0", "1");
  ui.QueueAnswer(Answer::Yes);  // the high-energy question of the calculation
  EXPECT_TRUE(form.Shift(ui, RangeShift::EnergyUp));
  EXPECT_EQ(form.Field(F::EnergyFrom).text, "998.499");
  EXPECT_EQ(form.Field(F::EnergyTo).text, "999.999");
  // Each shift calculated the new range.
  EXPECT_EQ(ui.tasksRun.size(), 4u);
  EXPECT_DOUBLE_EQ(form.ShownSettings().energyMax, 999999);

  // A refused range is not shifted.
  SetRanges(form, "9", "8", "0", "1");
  EXPECT_FALSE(form.Shift(ui, RangeShift::PhiUp));
  EXPECT_EQ(form.Field(F::PhiFrom).text, "0");
}

TEST_F(MapWindow, CalculateGivesTheMapOfTheComputationAndSlowMethodLocksThePointView) {
  MbdMapForm form(app);
  ASSERT_TRUE(form.Calculate(ui));
  ASSERT_EQ(ui.tasksRun.size(), 1u);
  // The same map as the computation run directly for the default settings.
  crystal::CrystalStructure silicon = form.Crystal();
  const mbd::MapSettings defaults;
  core::SilentNotifier silent;
  core::NoProgress progress;
  const mbd::MapFrame frame = mbd::ApplyMapSettings(defaults, mbd::LatticeBasisOf(silicon), silicon, silent);
  mbd::MbdMap direct;
  ASSERT_EQ(mbd::ComputeMap(frame, defaults, silicon, direct, silent, progress), mbd::MapStatus::Completed);
  EXPECT_EQ(mbd::MapExportText(form.Map()), mbd::MapExportText(direct));
  EXPECT_GT(form.Map().lines.Count(), 10u);
  EXPECT_TRUE(form.Field(F::PlotMode).enabled);
  EXPECT_TRUE(form.Field(F::Indices).enabled);

  form.TogglePlotMode();
  EXPECT_TRUE(form.PlotPoints());
  EXPECT_EQ(form.Field(F::PlotMode).text, "Plot Line");
  form.TogglePlotMode();
  EXPECT_EQ(form.Field(F::PlotMode).text, "Plot Scatter");
  form.ToggleIndices();
  EXPECT_TRUE(form.LabelsShown());
  EXPECT_EQ(form.Field(F::Indices).text, "Hide Indices");

  // The plot component gets every point in degrees and keV, a gap at each
  // break, and one label per traced reflection.
  const PlotContent content = form.PlotContentNow();
  ASSERT_EQ(content.series.size(), 1u);
  const PlotSeries& lines = content.series[0];
  ASSERT_EQ(lines.Size(), form.Map().points.Count());
  for (std::size_t i = 0; i < lines.Size(); ++i) {
    const auto& p = form.Map().points[i];
    if (p.value2 < 0) {
      ASSERT_TRUE(std::isnan(lines.y[i]));
    } else {
      ASSERT_EQ(lines.X(i), p.value1);
      ASSERT_DOUBLE_EQ(lines.y[i] * 1000, p.value2);
    }
  }
  EXPECT_EQ(content.labels.size(), form.Map().lines.Count() + form.Map().steepLines.Count());
  EXPECT_DOUBLE_EQ(content.full.range.yMin, 7);
  EXPECT_DOUBLE_EQ(content.full.range.yMax, 9);
  EXPECT_EQ(content.caption, "Si, G = 1 1 1, H = 1 -1 0, Si/Ge/C rule");

  form.Field(F::EnergyPoints).text = "5";
  ASSERT_TRUE(form.SlowMethod(ui));
  EXPECT_TRUE(form.PlotPoints());
  EXPECT_FALSE(form.LabelsShown());
  EXPECT_EQ(form.Field(F::PlotMode).text, "Plot Line");
  EXPECT_EQ(form.Field(F::Indices).text, "Show Index");
  EXPECT_FALSE(form.Field(F::PlotMode).enabled);
  EXPECT_FALSE(form.Field(F::Indices).enabled);
  for (const auto& p : form.Map().points.Entries()) ASSERT_GE(p.value2, 0);  // points only
  // The locked buttons stay as they are until the next calculation.
  form.TogglePlotMode();
  form.ToggleIndices();
  EXPECT_TRUE(form.PlotPoints());
  EXPECT_FALSE(form.LabelsShown());
  ASSERT_TRUE(form.Calculate(ui));
  EXPECT_TRUE(form.Field(F::PlotMode).enabled);
  EXPECT_EQ(form.Field(F::Indices).text, "Show Indices");
  EXPECT_EQ(form.Field(F::PlotMode).text, "Plot Line");  // still points, as last chosen
}

TEST_F(MapWindow, ACancelledRunKeepsTheMapAndTheCrystalIsNeverTouched) {
  MbdMapForm form(app);
  form.SetDiamondMode(false);  // the χ tests evaluate f′ and f″
  form.Field(F::PhiPoints).text = "21";
  ASSERT_TRUE(form.Calculate(ui));
  const std::string first = mbd::MapExportText(form.Map());
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(form.Crystal().lastEnergy, MbdMapForm(app).Crystal().lastEnergy);

  ui.cancelProgress = true;
  SetRanges(form, "10", "11", "-10", "10");
  ASSERT_TRUE(form.Calculate(ui));
  EXPECT_EQ(mbd::MapExportText(form.Map()), first);
  EXPECT_DOUBLE_EQ(form.ShownSettings().energyMin, 7000);
}

TEST_F(MapWindow, TheClickShowsTheAzimuthAndEnergyUnderItAndTheNearestLine) {
  MbdMapForm form(app);
  ASSERT_TRUE(form.Calculate(ui));
  // Frame 677 × 543: plot rectangle 60…660 × 15…515, 30 px per degree, 0.25 px per eV.
  const Rect frame{0, 0, 677, 543};
  form.ClickPlot(frame, {360, 265});
  EXPECT_EQ(form.Field(F::ClickPhi).text, "0");
  EXPECT_EQ(form.Field(F::ClickEnergy).text, "8000");
  form.ClickPlot(frame, {61, 514});
  EXPECT_EQ(form.Field(F::ClickPhi).text, "-9.9667");
  EXPECT_EQ(form.Field(F::ClickEnergy).text, "7004");

  // Clicking on a drawn point names its reflection.
  const auto& points = form.Map().points.Entries();
  const auto inside = std::find_if(points.begin(), points.end(), [](const auto& e) {
    return e.value2 > 7100 && e.value2 < 8900 && std::fabs(e.value1) < 9;
  });
  ASSERT_NE(inside, points.end());
  const mbd::ReflectionAzimuthList::Entry& p = *inside;
  const MapScale scale = MapScale::Of(frame, form.ShownSettings());
  const Point at = scale.ToPixel(p.value1, p.value2);
  form.ClickPlot(frame, at);
  int h = 0, k = 0, l = 0;
  ASSERT_EQ(std::sscanf(form.Field(F::ClickHkl).text.c_str(), "%d %d %d", &h, &k, &l), 3);
  // The line named passes within a few pixels of the click.
  crystal::CrystalStructure silicon = form.Crystal();
  core::SilentNotifier silent;
  const mbd::MapFrame mapFrame =
      mbd::ApplyMapSettings(form.ShownSettings(), mbd::LatticeBasisOf(silicon), silicon, silent);
  const auto onLine = mbd::MbdLineEnergy(mapFrame, {h, k, l}, scale.PhiAt(at.x), 6000, 10000);
  ASSERT_TRUE(onLine.has_value());
  EXPECT_NEAR(*onLine, scale.EnergyAt(at.y), 3 / scale.pxPerEv);

  // In a zoomed view the click reads the view shown: the middle of a
  // rectangle dragged over the middle third of the map.
  Plot& plot = form.MapPlot();
  plot.SetScreen({0, 0, 900, 700}, 15);
  const Rect box = plot.Geometry().area.box;
  const Rect zoomFrame = plot.Geometry().frame;
  ASSERT_TRUE(plot.ZoomToRectangle({box.left + box.Width() / 3, box.top + box.Height() / 3},
                                   {box.left + 2 * box.Width() / 3, box.top + 2 * box.Height() / 3}));
  const PlotRange view = plot.ViewRange(plot.Content());
  EXPECT_LT(view.xMax - view.xMin, 8);
  form.ClickPlot(zoomFrame, {(box.left + box.right) / 2, (box.top + box.bottom) / 2});
  EXPECT_NEAR(shell::ParseNumber(form.Field(F::ClickPhi).text), (view.xMin + view.xMax) / 2, 0.05);
  EXPECT_NEAR(shell::ParseNumber(form.Field(F::ClickEnergy).text), 500 * (view.yMin + view.yMax), 5);
  plot.FullView();

  // On the frame's edge or outside it the fields are cleared.
  form.ClickPlot(frame, {60, 265});
  EXPECT_TRUE(form.Field(F::ClickPhi).text.empty());
  EXPECT_TRUE(form.Field(F::ClickHkl).text.empty());
}

TEST(MapQueries, LabelsGoToTheRandomPointOfEachSegmentAndTheLastSegmentWins) {
  core::SilentNotifier silent;
  mbd::MbdMap map;
  const mbd::Miller a{1, 1, -1}, b{-1, 1, 1}, steep{3, 1, 1};
  map.lines.AppendBare(a, true, silent);
  map.lines.AppendBare(b, true, silent);
  map.steepLines.AppendBare(steep, true, silent);
  auto point = [&](mbd::Miller m, double phi, double energy) { map.points.AppendWithValues(m, phi, energy, silent); };
  point(a, -9, 7100), point(a, -8, 7200), point(a, -7, 7300), point(a, -7, -1);
  point(b, 1, 8100), point(b, 2, 8200), point(b, 2, -1);
  point(a, 10, -1);  // an empty segment: a line entering after its first azimuth
  point(a, 5, 8500), point(a, 6, 8600), point(a, 6, -1);
  point(steep, 0.5, 7000), point(steep, 0.6, 7500), point(steep, 10, -1);
  const std::vector<int> draws{kLargestRandom, kLargestRandom, 16384, 0};
  std::size_t next = 0;
  PlaceLabels(map, [&] { return draws.at(next++); });
  EXPECT_EQ(next, 4u);  // one draw per non-empty segment
  // a: its second segment, trunc(0.5 · 1) = its first point.
  EXPECT_EQ(map.lines[0].value1, 5);
  EXPECT_EQ(map.lines[0].value2, 8500);
  EXPECT_EQ(map.lines[1].value1, 2);  // b: the last point
  EXPECT_EQ(map.steepLines[0].value2, 7000);

  ClearLabels(map);
  EXPECT_EQ(map.lines[0].value1, mbd::kNoAngle);

  // The nearest point in range units, markers left out, the first of equals.
  mbd::MapSettings ranges;
  ranges.phiMin = -10, ranges.phiMax = 10, ranges.energyMin = 7000, ranges.energyMax = 9000;
  EXPECT_EQ(NearestPoint(map, ranges, 1.9, 8150)->hkl, b);
  EXPECT_EQ(NearestPoint(map, ranges, -7, 7300)->value1, -7);
  EXPECT_EQ(NearestPoint(map, ranges, 0.55, 7250)->hkl, steep);
  EXPECT_FALSE(NearestPoint(mbd::MbdMap{}, ranges, 0, 8000).has_value());
}

TEST_F(MapWindow, TheSettingsDialogChecksAskAndFocusBeforeTheWindowTakesItsValues) {
  MbdMapForm form(app);
  auto type = [](MapSettingsForm& d, const char* h, const char* k, const char* l, const char* x, const char* y,
                 const char* z) {
    d.Field(S::GH).text = h, d.Field(S::GK).text = k, d.Field(S::GL).text = l;
    d.Field(S::HH).text = x, d.Field(S::HK).text = y, d.Field(S::HL).text = z;
  };
  EXPECT_FALSE(Settings(form, [&](MapSettingsForm& d) { type(d, "0", "0", "0", "1", "-1", "0"); }));
  EXPECT_EQ(ui.LastMessage(), "h k l must NOT be all zero!");
  EXPECT_FALSE(Settings(form, [&](MapSettingsForm& d) { type(d, "1", "1", "1", "1e-11", "0", "-1e-11"); }));
  EXPECT_EQ(ui.LastMessage(), "h k l must NOT be all zero!");
  EXPECT_FALSE(Settings(form, [&](MapSettingsForm& d) { type(d, "1", "1", "1", "1", "1", "0"); }));
  EXPECT_EQ(ui.LastMessage(), kNotPerpendicularMessage);

  // 0 0 2 of silicon has no structure factor: asked, No keeps the dialog open.
  EXPECT_FALSE(Settings(form, [&](MapSettingsForm& d) { type(d, "0", "0", "2", "1", "-1", "0"); }));
  EXPECT_EQ(ui.LastMessage(), kForbiddenPrimaryQuestion);
  EXPECT_TRUE(ui.messages.back().question);

  // Limits: negatives become 0 and are shown; all zero is refused at Hmax.
  EXPECT_FALSE(Settings(form, [&](MapSettingsForm& d) {
    d.Field(S::HLimit).text = "-4", d.Field(S::KLimit).text = "0", d.Field(S::LLimit).text = "x";
  }));
  EXPECT_EQ(ui.LastMessage(), kLimitsZeroMessage);
  EXPECT_EQ(ui.LastFocus(), "Hmax");
  EXPECT_EQ(app.MapSession().hLimit, 99);  // a refused dialog changes nothing
  EXPECT_EQ(form.Field(F::Header).text, "Si:   Primary Reflection 1 1 1 ;    Horizontal Reference Direction 1 -1 0");

  ui.QueueAnswer(Answer::Yes);
  EXPECT_TRUE(Settings(form, [&](MapSettingsForm& d) {
    type(d, "0", "0", "2", "1", "-1", "0");
    d.Field(S::HLimit).text = "5", d.Field(S::KLimit).text = "-2", d.Field(S::LLimit).text = "7";
    d.Field(S::DiamondMode).checked = false;
  }));
  EXPECT_EQ(form.Field(F::Header).text, "Si:   Primary Reflection 0 0 2 ;    Horizontal Reference Direction 1 -1 0");
  EXPECT_FALSE(form.DiamondMode());
  EXPECT_TRUE(form.Field(F::Threshold).enabled);
  EXPECT_EQ(app.MapSession().hLimit, 5);
  EXPECT_EQ(app.MapSession().kLimit, 0);
  EXPECT_EQ(app.MapSession().lLimit, 7);
  EXPECT_NEAR(form.LowestEnergy(), 6199.2122 / (5.43102064 / 2), 1e-9);
  EXPECT_TRUE(ui.tasksRun.empty());  // nothing recalculated
}

TEST_F(MapWindow, TheSettingsDialogStepsItsFieldsAndDefinesItsOwnCrystal) {
  testing::TemporaryDirectory dir;
  const auto germanium = dir.Write("Ge.struct", kGermanium);
  MbdMapForm form(app);
  EXPECT_TRUE(Settings(form, [&](MapSettingsForm& d) {
    d.Step(ui, S::GL, -1);
    EXPECT_EQ(d.Field(S::GL).text, "0");
    d.Step(ui, S::GL, +1);
    d.Step(ui, S::GL, +1);
    EXPECT_EQ(d.Field(S::GL).text, "2");
    d.Field(S::HL).text = "0.25";
    d.Step(ui, S::HL, +1);
    EXPECT_EQ(d.Field(S::HL).text, "1.25");
    d.Field(S::HH).text = "nan";
    d.Step(ui, S::HH, -1);
    EXPECT_EQ(d.Field(S::HH).text, "nan");
    EXPECT_EQ(ui.LastFocus(), "H h");
    // Cancel of the file chooser keeps the dialog's crystal.
    ui.QueueOpenFile(std::nullopt);
    d.DefineCrystal(ui);
    EXPECT_EQ(d.Field(S::CrystalName).text, "Si");
    d.Field(S::DiamondMode).checked = false;
    ui.QueueOpenFile(germanium);
    d.DefineCrystal(ui);
    EXPECT_EQ(d.Field(S::CrystalName).text, "Germanium");
    EXPECT_TRUE(d.Field(S::DiamondMode).checked);  // the name decides
    d.Field(S::GL).text = "1";
    d.Field(S::HH).text = "1", d.Field(S::HK).text = "-1", d.Field(S::HL).text = "0";
  }));
  EXPECT_EQ(form.Crystal().name, "Germanium");
  EXPECT_EQ(form.Field(F::Header).text,
            "Germanium:   Primary Reflection 1 1 1 ;    Horizontal Reference Direction 1 -1 0");
  EXPECT_NEAR(form.LowestEnergy(), 6199.2122 / (5.6579 / std::sqrt(3.0)), 1e-9);
  EXPECT_EQ(ui.openRequests.back().title, "Open Crystal Structure File");
}

TEST_F(MapWindow, TheHandOverReplacesCrystalReflectionReferenceAndModeWithoutComputing) {
  testing::TemporaryDirectory dir;
  crystal::CrystalStructure germanium;
  core::SilentNotifier silent;
  ASSERT_TRUE(crystal::LoadStructFile(germanium, dir.Write("Ge.struct", kGermanium), 293.15, state.exeDirectory,
                                      silent));
  MbdMapForm form(app);
  ASSERT_TRUE(form.Calculate(ui));
  const std::size_t points = form.Map().points.Count();
  form.TakeOver(germanium, {0, 0, 4}, {1, 0, 0}, false);
  EXPECT_EQ(form.Field(F::Header).text,
            "Germanium:   Primary Reflection 0 0 4 ;    Horizontal Reference Direction 1 0 0");
  EXPECT_FALSE(form.Field(F::DiamondMode).checked);
  EXPECT_TRUE(form.Field(F::Threshold).enabled);
  EXPECT_EQ(form.Map().points.Count(), points);  // the old map stays until the next calculation
  EXPECT_EQ(ui.tasksRun.size(), 1u);
  ASSERT_TRUE(form.Calculate(ui));
  EXPECT_EQ(form.ShownSettings().g, (mbd::Miller{0, 0, 4}));
  EXPECT_FALSE(form.ShownSettings().diamondMode);
}

TEST_F(MapWindow, HelpSaysWhichManualItCouldNotShowAndWhy) {
  MbdMapForm form(app);
  testing::TemporaryDirectory dir;
  state.exeDirectory = dir.path();
  const std::filesystem::path manual = dir.path() / "MBD-Help.pdf";
  form.Help(ui);
  EXPECT_EQ(ui.LastMessage(), "Cannot find the MBD-Help.pdf file\nThere is no file " + manual.string() + ".");

  dir.Write("MBD-Help.pdf", "%PDF-1.4\n");
  ui.openDocument = [](const std::filesystem::path&) { return false; };
  form.Help(ui);
  EXPECT_EQ(ui.LastMessage(),
            "Cannot find the MBD-Help.pdf file\nNo program of this desktop could show " + manual.string() + ".");
  EXPECT_EQ(ui.documentsOpened, (std::vector<std::filesystem::path>{manual, manual}));
}

// The multiple-beam window as the map sees it.
class HandOverStandIn final : public MbdHandOverSource {
 public:
  bool HandOverChanged() const override { return changed; }
  MbdHandOver HandOver() const override { return value; }
  void HandOverTaken() override { changed = false; }
  bool changed = false;
  MbdHandOver value;
};

TEST_F(MapWindow, TheMapTakesOverFromTheMultipleBeamWindowOnlyWhatChangedAndIsComplete) {
  MbdMapForm form(app);
  HandOverStandIn mbd;
  mbd.value.crystalDefined = true;
  mbd.value.crystal.structure = form.Crystal();
  mbd.value.crystal.structure.name = "Silicon";
  mbd.value.primary = {2, 2, 0};
  mbd.value.reference = {0, 0, 1};
  mbd.value.diamondMode = true;
  EXPECT_FALSE(form.TakeOverFrom(mbd));  // nothing changed since the last time
  EXPECT_EQ(form.Primary(), (mbd::Miller{1, 1, 1}));

  mbd.changed = true;
  mbd.value.reference = {0, 0, 0};  // never set in that window
  EXPECT_FALSE(form.TakeOverFrom(mbd));
  EXPECT_TRUE(mbd.changed);

  mbd.value.reference = {1, 0, 0};  // not in the Bragg plane of 2 2 0
  EXPECT_FALSE(form.TakeOverFrom(mbd));
  EXPECT_TRUE(mbd.changed);

  mbd.value.reference = {0, 0, 1};
  EXPECT_TRUE(form.TakeOverFrom(mbd));
  EXPECT_FALSE(mbd.changed);
  EXPECT_EQ(form.Field(F::Header).text,
            "Silicon:   Primary Reflection 2 2 0 ;    Horizontal Reference Direction 0 0 1");
  EXPECT_TRUE(ui.tasksRun.empty());
}

TEST_F(MapWindow, ExportAndVerticalLineWriteTheirFilesOrSayWhyNot) {
  testing::TemporaryDirectory dir;
  MbdMapForm form(app);
  EXPECT_FALSE(form.ExportMapData(ui));
  EXPECT_EQ(ui.LastMessage(), "The map is empty. No data to save!");
  EXPECT_FALSE(form.SavePointsOnVerticalLine(ui));
  EXPECT_EQ(ui.LastMessage(), "The map is empty. No data to save!");
  EXPECT_TRUE(ui.saveRequests.empty());

  ASSERT_TRUE(form.Calculate(ui));
  const auto exported = dir.path() / "map.dat";
  ui.QueueSaveFile(exported);
  ASSERT_TRUE(form.ExportMapData(ui));
  EXPECT_EQ(ui.saveRequests.back().title, "Save Data of MBD Azimuth-Energy map");
  EXPECT_EQ(ui.saveRequests.back().filter, "Data File (*.dat)|*.dat|All Files (*.*)|*.*||");
  EXPECT_EQ(ui.saveRequests.back().defaultExtension, "dat");
  EXPECT_EQ(testing::ReadWholeFile(exported), mbd::MapExportText(form.Map()));

  ui.QueueSaveFile(dir.path() / "missing" / "map.dat");
  EXPECT_FALSE(form.ExportMapData(ui));
  EXPECT_EQ(ui.LastMessage(), "Cannot create the file \"" + (dir.path() / "missing" / "map.dat").string() + "\" !");

  // The vertical line: slightly outside the range is refused, the edge is not.
  const auto line = dir.path() / "line.dat";
  auto saveAt = [&](const std::string& phi, const std::string& file) {
    ui.QueueDialog<SavePhiLineForm>([phi, file](SavePhiLineForm& d, UserInterface& inner) {
      d.Phi().text = phi;
      d.File().text = file;
      return d.Ok(inner) ? DialogResult::Ok : DialogResult::Cancel;
    });
    return form.SavePointsOnVerticalLine(ui);
  };
  EXPECT_FALSE(saveAt("10.000001", line.string()));
  EXPECT_EQ(ui.LastMessage(), "The Phi angle is out of the Map Range.");
  EXPECT_EQ(ui.LastFocus(), SavePhiLineForm::kPhiField);
  EXPECT_FALSE(saveAt("1", ""));
  EXPECT_EQ(ui.LastMessage(), "Please select a file to save data.");
  EXPECT_EQ(ui.LastFocus(), SavePhiLineForm::kFileField);
  ASSERT_TRUE(saveAt("-10", line.string()));
  EXPECT_EQ(ui.LastMessage(),
            "Done! But if there is a vertical MBD line at Phi = -10 deg, this line may be missing in the saved data. "
            "Check the map.");
  EXPECT_EQ(ui.messages.back().icon, MessageIcon::Information);
  const std::string text = testing::ReadWholeFile(line);
  ASSERT_FALSE(text.empty());
  // Every line of the file lies on an MBD line of the map at φ = −10°, in ascending energy.
  double previous = 0;
  std::size_t start = 0;
  const mbd::MapFrame frame = [&] {
    crystal::CrystalStructure si = form.Crystal();
    core::SilentNotifier silent;
    return mbd::ApplyMapSettings(form.ShownSettings(), mbd::LatticeBasisOf(si), si, silent);
  }();
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    const std::string row = text.substr(start, end - start);
    start = end + 1;
    int h = 0, k = 0, l = 0;
    double energy = 0;
    ASSERT_EQ(std::sscanf(row.c_str(), "%lf,  %d, %d, %d", &energy, &h, &k, &l), 4) << row;
    EXPECT_GE(energy, previous);
    previous = energy;
    EXPECT_TRUE(form.Map().lines.Contains({h, k, l}));
    const auto onLine = mbd::MbdLineEnergy(frame, {h, k, l}, -10, 7000, 9000);
    ASSERT_TRUE(onLine.has_value());
    EXPECT_EQ(shell::FormatNumber(*onLine, 8), row.substr(0, row.find(',')));
  }
  // The dialog opens again with what was typed last.
  ui.QueueDialog<SavePhiLineForm>([&](SavePhiLineForm& d, UserInterface&) {
    EXPECT_EQ(d.Phi().text, "-10");
    EXPECT_EQ(d.File().text, line.string());
    EXPECT_DOUBLE_EQ(d.PhiMin(), -10);
    return DialogResult::Cancel;
  });
  EXPECT_FALSE(form.SavePointsOnVerticalLine(ui));
}

}  // namespace
}  // namespace velto::programs
