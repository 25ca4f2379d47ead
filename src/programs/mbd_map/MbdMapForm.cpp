#include "programs/mbd_map/MbdMapForm.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "core/OutputFile.h"
#include "core/Units.h"
#include "mbd/LatticeBasis.h"
#include "programs/curve_export/CurveExport.h"
#include "programs/line_file/LineFile.h"
#include "programs/mbd_map/MbdMapPainter.h"
#include "programs/mbd_map/SavePhiLineForm.h"
#include "programs/ui/Documents.h"
#include "programs/ui/FieldReading.h"
#include "shell/MainFrameState.h"
#include "shell/NumberText.h"

namespace velto::programs {
namespace {

using F = MapField;
using shell::FormatNumber;

// The built-in crystal the window starts with.
constexpr int kSiliconZ = 14;
constexpr double kSiliconLattice = 5.43102064;  // Å
constexpr double kSiliconDebyeTemperature = 530.82;  // K

std::string IndicesText(mbd::Miller m) {
  char text[48];
  std::snprintf(text, sizeof text, "%d %d %d", m.h, m.k, m.l);
  return text;
}

}  // namespace

// What a background run owns: copies of its inputs and the map it fills.
struct MbdMapForm::Computation {
  bool slow = false;
  mbd::MapSettings settings;
  crystal::CrystalStructure crystal;  // the χ tests change f′, f″ and their energy
  mbd::LatticeBasis lattice;
  mbd::MapFrame frame;
  mbd::MbdMap map;
  mbd::MapStatus status = mbd::MapStatus::Cancelled;
};

const char* MbdMapForm::ToolTip(F id) {
  switch (id) {
    case F::EnergyFrom: return "Start of the Photon Energy Range";
    case F::EnergyTo: return "End of the Energy Range";
    case F::EnergyPoints: return "Points of Energies in calculation. You don't need to change it most of the time!";
    case F::PhiFrom: return "Start of the Azimuthal Angle (Phi) Range in Absoulte Value";
    case F::PhiTo: return "End of the Azimuthal angle range";
    case F::PhiPoints: return "Points of the Azimuthal angle Phi for calculation";
    case F::Indices:
      return "Show/Hide Reflection indices. Label location is random on a line. Try more times if overlap";
    case F::PlotMode: return "Plot data as lines or discrete points";
    case F::Calculate: return "Calculate the map";
    case F::ClickHkl: return "For cubic Si/Ge/C, different reflections may have IDENTICAL MBD lines overlapped together";
    case F::DiamondMode: return "Check it for Si, Ge and Diamond to skip forbidden reflections for speeding computing.";
    case F::PhiUp: return "Shift the entire Azimuth Range by 10 deg up";
    case F::PhiDown: return "Shift the entire Azimuth Range by 10 deg lower";
    case F::EnergyUp: return "Shift the entire Energy Range by 1 keV up";
    case F::EnergyDown: return "Shift the entire Energy Range by 1 keV lower";
    case F::Threshold:
      return "Set threshold value of chi, below which the reflections will be treated as forbidden reflections";
    case F::SlowMethod: return "This is NOT necessary most of the time! For diagnostic";
    default: return nullptr;
  }
}

const char* MbdMapForm::FieldName(F id) {
  switch (id) {
    case F::Header: return "Header";
    case F::DiamondMode: return "Si//Ge/C structure";
    case F::Threshold: return kThresholdField;
    case F::ClickPhi: return "Click Phi";
    case F::ClickEnergy: return "Click Energy";
    case F::ClickHkl: return "h k l:";
    case F::EnergyFrom: return kEnergyFromField;
    case F::EnergyTo: return kEnergyToField;
    case F::EnergyPoints: return kEnergyPointsField;
    case F::PhiFrom: return kPhiFromField;
    case F::PhiTo: return kPhiToField;
    case F::PhiPoints: return kPhiPointsField;
    case F::ChangeSettings: return "Change Settings...";
    case F::Help: return "?";
    case F::PhiDown: return "-10";
    case F::PhiUp: return "+10";
    case F::EnergyDown: return "-1 keV";
    case F::EnergyUp: return "+1 keV";
    case F::SlowMethod: return "Slow Method";
    case F::PlotMode: return "Plot mode";
    case F::Indices: return "Indices";
    case F::Calculate: return "Calculate\nUpdate";
    case F::Count: break;
  }
  return "";
}

MbdMapForm::MbdMapForm(AppContext& app, RandomSource random) : app_(app), random_(std::move(random)) {
  core::SilentNotifier silent;
  crystalReady_ = crystal::MakeDiamondCrystal(crystal_, kSiliconZ, kSiliconLattice, kSiliconDebyeTemperature,
                                              shell::kDefaultTemperatureK, app.DataDirectory(), silent);
  crystal_.name = "Si";

  for (F id : {F::Header, F::ClickPhi, F::ClickEnergy, F::ClickHkl}) Field(id).readOnly = true;
  // The buttons whose captions never change carry their caption as name.
  for (F id : {F::ChangeSettings, F::Help, F::PhiDown, F::PhiUp, F::EnergyDown, F::EnergyUp, F::SlowMethod,
               F::Calculate})
    Field(id).text = FieldName(id);
  Field(F::DiamondMode).checked = true;
  Field(F::PlotMode).text = kPlotScatterCaption;
  Field(F::Indices).text = kShowIndicesCaption;
  Field(F::PlotMode).enabled = Field(F::Indices).enabled = false;
  ApplySettings();

  // The ranges last used in this run, clamped for this crystal without a word.
  MapRanges last = app_.MapSession().ranges;
  last.threshold = MapRanges{}.threshold;
  const RangeReading reading = ReadMapRanges(RangeTexts(last), frame_.lowestEnergy);
  ShowRanges(reading.written);
  shown_ = SettingsFor(reading.ranges);
  shownFrame_ = frame_;
}

void MbdMapForm::ApplySettings() {
  Field(F::Header).text = crystal_.name + ":   Primary Reflection " + IndicesText(g_) + " ;    " +
                          "Horizontal Reference Direction " + FormatNumber(reference_.x, 8) + " " +
                          FormatNumber(reference_.y, 8) + " " + FormatNumber(reference_.z, 8);
  Field(F::Threshold).enabled = !DiamondMode();
  // The window needs the geometry of G only; the allowed flag of G is taken
  // by each calculation with the mode and threshold of that moment, on its
  // own copy of the crystal.
  mbd::MapSettings geometry;
  geometry.g = g_;
  geometry.reference = reference_;
  geometry.diamondMode = true;
  core::SilentNotifier silent;
  frame_ = mbd::ApplyMapSettings(geometry, mbd::LatticeBasisOf(crystal_), crystal_, silent);
}

void MbdMapForm::SetDiamondMode(bool on) {
  Field(F::DiamondMode).checked = on;
  Field(F::Threshold).enabled = !on;
}

bool MbdMapForm::ChangeSettings(UserInterface& ui) {
  MbdMapSession& session = app_.MapSession();
  MapSettingsForm dialog(app_, crystal_, DiamondMode(), g_, reference_,
                         {session.hLimit, session.kLimit, session.lLimit});
  if (ui.RunDialog(dialog) != DialogResult::Ok) return false;
  if (dialog.CrystalChanged()) {
    crystal_ = dialog.Crystal();
    crystalReady_ = crystal_.IsLoaded();
  }
  g_ = dialog.Primary();
  reference_ = dialog.Reference();
  Field(F::DiamondMode).checked = dialog.DiamondMode();
  const IndexLimits limits = dialog.Limits();
  session.hLimit = limits.h;
  session.kLimit = limits.k;
  session.lLimit = limits.l;
  ApplySettings();
  return true;
}

void MbdMapForm::TakeOver(const crystal::CrystalStructure& crystal, mbd::Miller g, mbd::Vec3 reference,
                          bool diamondMode) {
  crystal_ = crystal;
  crystalReady_ = crystal_.IsLoaded();
  g_ = g;
  reference_ = reference;
  Field(F::DiamondMode).checked = diamondMode;
  ApplySettings();
}

bool MbdMapForm::TakeOverFrom(MbdHandOverSource& source) {
  if (!source.HandOverChanged()) return false;
  const MbdHandOver handOver = source.HandOver();
  const mbd::Vec3& h = handOver.reference;
  // Without a crystal or a reference direction in the Bragg plane of G there
  // is no frame to take; the mark stays for a later opening.
  if (!handOver.crystalDefined || (h.x == 0 && h.y == 0 && h.z == 0) || mbd::IsOrigin(handOver.primary) ||
      !ReferencePerpendicular(handOver.crystal.structure, handOver.primary, h))
    return false;
  TakeOver(handOver.crystal.structure, handOver.primary, h, handOver.diamondMode);
  source.HandOverTaken();
  return true;
}

void MbdMapForm::Help(UserInterface& ui) {
  OpenDocumentOrSay(ui, app_.DataDirectory() / kHelpFile, kMapHelpMissingMessage);
}

MapRangeTexts MbdMapForm::RangeFieldTexts() const {
  return {Field(F::Threshold).text, Field(F::EnergyFrom).text, Field(F::EnergyTo).text, Field(F::EnergyPoints).text,
          Field(F::PhiFrom).text,   Field(F::PhiTo).text,      Field(F::PhiPoints).text};
}

void MbdMapForm::ShowRanges(const MapRangeTexts& t) {
  Field(F::Threshold).text = t.threshold;
  Field(F::EnergyFrom).text = t.energyFrom;
  Field(F::EnergyTo).text = t.energyTo;
  Field(F::EnergyPoints).text = t.energyPoints;
  Field(F::PhiFrom).text = t.phiFrom;
  Field(F::PhiTo).text = t.phiTo;
  Field(F::PhiPoints).text = t.phiPoints;
}

std::optional<MapRanges> MbdMapForm::ReadInputs(UserInterface& ui, bool ask) {
  const RangeReading reading = ReadMapRanges(RangeFieldTexts(), frame_.lowestEnergy);
  ShowRanges(reading.written);
  if (reading.refusal) {
    ShowRefusal(ui, *reading.refusal);
    return std::nullopt;
  }
  app_.MapSession().ranges = reading.ranges;
  if (ask && reading.askHighEnergy && ui.AskYesNo(kHighEnergyQuestion) == Answer::No) return std::nullopt;
  return reading.ranges;
}

mbd::MapSettings MbdMapForm::SettingsFor(const MapRanges& r) const {
  mbd::MapSettings s;
  s.g = g_;
  s.reference = reference_;
  s.diamondMode = DiamondMode();
  s.threshold = r.threshold;
  const MbdMapSession& session = app_.MapSession();
  s.hLimit = session.hLimit;
  s.kLimit = session.kLimit;
  s.lLimit = session.lLimit;
  s.energyMin = r.energyMin;
  s.energyMax = r.energyMax;
  s.energyPoints = r.energyPoints;
  s.phiMin = r.phiMin;
  s.phiMax = r.phiMax;
  s.phiPoints = r.phiPoints;
  return s;
}

bool MbdMapForm::Calculate(UserInterface& ui) { return Run(ui, false); }

bool MbdMapForm::SlowMethod(UserInterface& ui) { return Run(ui, true); }

bool MbdMapForm::Shift(UserInterface& ui, RangeShift shift) {
  const std::optional<MapRanges> ranges = ReadInputs(ui, false);
  if (!ranges) return false;
  ShowRanges(RangeTexts(Shifted(*ranges, shift, frame_.lowestEnergy)));
  return Calculate(ui);
}

bool MbdMapForm::Run(UserInterface& ui, bool slow) {
  if (!crystalReady_) {
    ui.ShowMessage(kNoBuiltInCrystalMessage, MessageIcon::Error);
    return false;
  }
  const std::optional<MapRanges> ranges = ReadInputs(ui, true);
  if (!ranges) return false;

  auto run = std::make_shared<Computation>();
  run->slow = slow;
  run->settings = SettingsFor(*ranges);
  run->crystal = crystal_;
  run->lattice = mbd::LatticeBasisOf(crystal_);
  ui.RunInBackground({slow ? "Computing the map by the slow method..." : "Computing the map...",
                      [run](core::Notifier& notices, core::Progress& progress) {
                        run->frame = mbd::ApplyMapSettings(run->settings, run->lattice, run->crystal, notices);
                        run->status = run->slow ? mbd::ComputeSlowMap(run->frame, run->settings, run->map, notices,
                                                                      progress)
                                                : mbd::ComputeMap(run->frame, run->settings, run->crystal, run->map,
                                                                  notices, progress);
                      },
                      [this, run](UserInterface&, bool cancelled) {
                        // A map that ran out of memory is kept and drawn as far as it got.
                        if (cancelled || run->status == mbd::MapStatus::Cancelled) return;
                        FinishRun(run->slow, run->settings, run->frame, std::move(run->map));
                      }});
  return true;
}

void MbdMapForm::FinishRun(bool slow, const mbd::MapSettings& settings, const mbd::MapFrame& frame, mbd::MbdMap map) {
  map_ = std::move(map);
  shown_ = settings;
  shownFrame_ = frame;
  const auto& points = map_.points.Entries();
  plotPhi_.resize(points.size());
  plotKev_.resize(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    const bool marker = points[i].value2 < 0;
    plotPhi_[i] = marker ? std::nan("") : points[i].value1;
    plotKev_[i] = marker ? std::nan("") : points[i].value2 / core::kEvPerKev;
  }
  plot_.NewData();
  labelsShown_ = false;
  for (F id : {F::ClickPhi, F::ClickEnergy, F::ClickHkl}) Field(id).text.clear();
  FormField& plotMode = Field(F::PlotMode);
  FormField& indices = Field(F::Indices);
  if (slow) {
    // The slow map has no break markers: it can only be shown as points.
    plotPoints_ = true;
    plotMode.text = kPlotLineCaption;
    indices.text = kShowIndexCaption;
    plotMode.enabled = indices.enabled = false;
  } else {
    plotMode.text = plotPoints_ ? kPlotLineCaption : kPlotScatterCaption;
    indices.text = kShowIndicesCaption;
    plotMode.enabled = indices.enabled = true;
  }
}

void MbdMapForm::TogglePlotMode() {
  if (!Field(F::PlotMode).enabled) return;
  plotPoints_ = !plotPoints_;
  Field(F::PlotMode).text = plotPoints_ ? kPlotLineCaption : kPlotScatterCaption;
}

void MbdMapForm::ToggleIndices() {
  if (!Field(F::Indices).enabled || map_.points.Empty()) return;
  labelsShown_ = !labelsShown_;
  if (labelsShown_) {
    ClearLabels(map_);
    PlaceLabels(map_, random_);
  }
  Field(F::Indices).text = labelsShown_ ? kHideIndicesCaption : kShowIndicesCaption;
}

void MbdMapForm::ClickPlot(Rect frame, Point point) {
  if (map_.points.Empty()) return;
  if (!MapScale::Of(frame, shown_).StrictlyInside(point)) {
    for (F id : {F::ClickPhi, F::ClickEnergy, F::ClickHkl}) Field(id).text.clear();
    return;
  }
  const PlotMapping view = plot_.MappingFor(frame);
  const double phi = view.DataX(point.x);
  const double energy = view.DataY(point.y) * core::kEvPerKev;
  Field(F::ClickPhi).text = FormatNumber(phi, 4);
  Field(F::ClickEnergy).text = FormatNumber(energy, 4);
  const auto nearest = NearestPoint(map_, shown_, phi, energy);
  Field(F::ClickHkl).text = nearest ? IndicesText(nearest->hkl) : std::string();
}

bool MbdMapForm::ExportMapData(UserInterface& ui) {
  if (map_.points.Empty()) {
    ui.ShowMessage(kEmptyMapMessage);
    return false;
  }
  FileDialogRequest request;
  request.title = kExportSaveTitle;
  request.filter = kExportFilter;
  request.defaultExtension = kExportExtension;
  const std::optional<std::filesystem::path> path = ui.ChooseSaveFile(request);
  if (!path) return false;
  if (!core::WriteOutputFile(*path, mbd::MapExportText(map_)).Ok()) {
    ShowRefusal(ui, CannotCreateFile(*path));
    return false;
  }
  return true;
}

bool MbdMapForm::SavePointsOnVerticalLine(UserInterface& ui) {
  if (map_.points.Empty()) {
    ui.ShowMessage(kEmptyMapMessage);
    return false;
  }
  const std::string phiText =
      linePhiText_.empty() ? FormatNumber((shown_.phiMin + shown_.phiMax) / 2, 8) : linePhiText_;
  SavePhiLineForm dialog(shown_.phiMin, shown_.phiMax, phiText, lineFileText_);
  if (ui.RunDialog(dialog) != DialogResult::Ok) return false;
  linePhiText_ = dialog.Phi().text;
  lineFileText_ = dialog.File().text;
  const double phi = dialog.PhiDegrees();
  if (!core::WriteOutputFile(dialog.Path(), mbd::VerticalLineText(shownFrame_, shown_, map_, phi, FormatNumber)).Ok()) {
    ShowRefusal(ui, CannotCreateFile(dialog.Path()));
    return false;
  }
  ui.ShowMessage("Done! But if there is a vertical MBD line at Phi = " + FormatNumber(phi, 8) +
                     " deg, this line may be missing in the saved data. Check the map.",
                 MessageIcon::Information);
  return true;
}

void MbdMapForm::DrawPlot(Canvas& canvas, Rect frame) const {
  PaintMbdMap(canvas, frame, map_, shown_, {plotPoints_, labelsShown_});
}

PlotContent MbdMapForm::PlotContentNow() const {
  PlotContent content;
  content.x = {"Azimuth φ", "deg"};
  content.y = {"Photon energy", "keV"};
  content.full.range = {shown_.phiMin, shown_.phiMax, shown_.energyMin / core::kEvPerKev,
                        shown_.energyMax / core::kEvPerKev};
  const mbd::MapSettings ranges = shown_;
  content.full.layout = [ranges](Rect frame) { return MapPlotArea(frame, ranges); };
  content.full.paint = [this](Canvas& canvas, Rect frame) { DrawPlot(canvas, frame); };
  // Unnamed: one colour needs no legend, and the read-out names the nearest
  // line instead of a value at the nearest azimuth.
  content.series.push_back({"", {kRed, 1}, plotPoints_ ? PlotMarks::Points : PlotMarks::Line, 0, 0,
                            plotPhi_, plotKev_});
  if (labelsShown_) {
    for (const auto* list : {&map_.lines, &map_.steepLines})
      for (const auto& e : list->Entries())
        if (e.value1 != mbd::kNoAngle && e.value2 != mbd::kNoAngle)
          content.labels.push_back({e.value1, e.value2 / core::kEvPerKev, IndicesText(e.hkl), {kBlue, 1}});
  }
  content.describe = [this](double phi, double kev) {
    const auto nearest = NearestPoint(map_, shown_, phi, kev * core::kEvPerKev);
    return nearest ? "nearest line " + IndicesText(nearest->hkl) : std::string();
  };
  content.caption = crystal_.name + ", G = " + IndicesText(shown_.g) + ", H = " + FormatNumber(shown_.reference.x, 8) +
                    " " + FormatNumber(shown_.reference.y, 8) + " " + FormatNumber(shown_.reference.z, 8) +
                    (shown_.diamondMode ? ", Si/Ge/C rule" : ", |chi| >= " + FormatNumber(shown_.threshold, 8));
  return content;
}

}  // namespace velto::programs
