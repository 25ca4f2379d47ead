#pragma once
#include <array>
#include <vector>
#include <string>

#include "crystal/CrystalStructure.h"
#include "mbd/MbdLineMap.h"
#include "programs/canvas/Canvas.h"
#include "programs/mbd_map/MapInputs.h"
#include "programs/mbd_map/MapQueries.h"
#include "programs/mbd_map/MapSettingsForm.h"
#include "programs/multiple_beam/MbdHandOver.h"
#include "programs/plot/Plot.h"
#include "programs/ui/AppContext.h"
#include "programs/ui/FormField.h"
#include "programs/ui/UserInterface.h"

// The model of `COrvoViewMap`, the window of the MBD-line map: the lines of
// multiple-beam diffraction (monochromator glitches) of a crystal in the
// azimuth–energy plane, drawn as lines or points, labelled, queried by
// clicking, exported whole or along a vertical line.
namespace velto::programs {

enum class MapField {
  Header,       // read-only: crystal, G and H
  DiamondMode,  // check box "Si//Ge/C structure"
  Threshold,    // "Ignore weak Reflecntions with |chi| <"
  ClickPhi,     // read-only fields of the click query
  ClickEnergy,
  ClickHkl,
  EnergyFrom,  // keV
  EnergyTo,
  EnergyPoints,
  PhiFrom,  // degrees
  PhiTo,
  PhiPoints,
  ChangeSettings,  // buttons
  Help,
  PhiDown,
  PhiUp,
  EnergyDown,
  EnergyUp,
  SlowMethod,
  PlotMode,  // "Plot Scatter" / "Plot Line"
  Indices,   // "Show Indices" / "Hide Indices" / "Show Index"
  Calculate,
  Count
};

inline constexpr const char* kEmptyMapMessage = "The map is empty. No data to save!";
inline constexpr const char* kMapHelpMissingMessage = "Cannot find the MBD-Help.pdf file";
inline constexpr const char* kNoBuiltInCrystalMessage = "The atomic data of silicon cannot be read.";
inline constexpr const char* kPlotScatterCaption = "Plot Scatter";
inline constexpr const char* kPlotLineCaption = "Plot Line";
inline constexpr const char* kShowIndicesCaption = "Show Indices";
inline constexpr const char* kHideIndicesCaption = "Hide Indices";
inline constexpr const char* kShowIndexCaption = "Show Index";

class MbdMapForm {
 public:
  static constexpr const char* kTitle =
      "Multiple-Beam Diffraction Lines (Monochromator Glitches) in Azimuth-Energy Map";
  // The File menu's entries.
  static constexpr const char* kExportCommand = "Export Map Data...";
  static constexpr const char* kSaveLineCommand = "&Save Points on a Vertical Line...";
  static constexpr const char* kExportSaveTitle = "Save Data of MBD Azimuth-Energy map";
  static constexpr const char* kHelpFile = "MBD-Help.pdf";

  // Starts with the built-in silicon, G = 1 1 1, H = 1 −1 0, the ranges
  // last used in this run and no map.
  explicit MbdMapForm(AppContext& app, RandomSource random = DefaultRandomSource());

  FormField& Field(MapField id) { return fields_[static_cast<std::size_t>(id)]; }
  const FormField& Field(MapField id) const { return fields_[static_cast<std::size_t>(id)]; }
  static const char* ToolTip(MapField id);
  // The name a focus move uses for a field (also the label of its refusals).
  static const char* FieldName(MapField id);

  const crystal::CrystalStructure& Crystal() const { return crystal_; }
  mbd::Miller Primary() const { return g_; }
  mbd::Vec3 Reference() const { return reference_; }
  bool DiamondMode() const { return Field(MapField::DiamondMode).checked; }
  // E0 of G: the lowest energy at which it diffracts (eV).
  double LowestEnergy() const { return frame_.lowestEnergy; }

  // --- commands ---
  // "Change Settings...": true when the dialog was accepted.
  bool ChangeSettings(UserInterface& ui);
  // The "Si//Ge/C structure" check box was clicked.
  void SetDiamondMode(bool on);
  void Help(UserInterface& ui);
  // "Calculate\nUpdate" and "Slow Method": false when the inputs were
  // refused (nothing computed). The map is computed as a background task on
  // a copy of the crystal; a cancelled run keeps the previous map.
  bool Calculate(UserInterface& ui);
  bool SlowMethod(UserInterface& ui);
  // "-10", "+10", "-1 keV", "+1 keV": the range moved, then calculated.
  bool Shift(UserInterface& ui, RangeShift shift);
  void TogglePlotMode();
  void ToggleIndices();
  // A left click in the frame of the map's drawing: the azimuth and energy
  // under it in the view shown (the map's own scale in the full view) and
  // the indices of the nearest line.
  void ClickPlot(Rect frame, Point point);
  // "Export Map Data..." and "&Save Points on a Vertical Line...": true when
  // the file was written.
  bool ExportMapData(UserInterface& ui);
  bool SavePointsOnVerticalLine(UserInterface& ui);

  // The hand-over from the multiple-beam program: its crystal, G, H and
  // Si/Ge/C mode replace the window's, without computing.
  void TakeOver(const crystal::CrystalStructure& crystal, mbd::Miller g, mbd::Vec3 reference, bool diamondMode);
  // Each time the map is opened or brought to the front: takes over what
  // the open multiple-beam window holds when it changed since the map last
  // took it (and the window has a crystal and a reference direction), and
  // clears its mark. True when something was taken over.
  bool TakeOverFrom(MbdHandOverSource& source);

  // --- the map ---
  const mbd::MbdMap& Map() const { return map_; }
  // The settings the shown map was computed with (before any map: the
  // window's ranges), which also scale the drawing and the click query.
  const mbd::MapSettings& ShownSettings() const { return shown_; }
  bool PlotPoints() const { return plotPoints_; }
  bool LabelsShown() const { return labelsShown_; }
  // The full view as the window draws it.
  void DrawPlot(Canvas& canvas, Rect frame) const;
  // What the plot component shows: the lines in azimuth (degrees) and
  // energy (keV), the labels, and the full view drawn by the map painter.
  PlotContent PlotContentNow() const;
  Plot& MapPlot() { return plot_; }
  const Plot& MapPlot() const { return plot_; }

 private:
  struct Computation;
  bool Run(UserInterface& ui, bool slow);
  std::optional<MapRanges> ReadInputs(UserInterface& ui, bool ask);
  // The settings of a calculation of `ranges` with the window's crystal
  // orientation, mode and the limits of the run.
  mbd::MapSettings SettingsFor(const MapRanges& ranges) const;
  MapRangeTexts RangeFieldTexts() const;
  void ShowRanges(const MapRangeTexts& texts);
  void ApplySettings();
  void FinishRun(bool slow, const mbd::MapSettings& settings, const mbd::MapFrame& frame, mbd::MbdMap map);

  AppContext& app_;
  RandomSource random_;
  crystal::CrystalStructure crystal_;
  bool crystalReady_ = false;
  mbd::Miller g_{1, 1, 1};
  mbd::Vec3 reference_{1, -1, 0};
  mbd::MapFrame frame_;
  std::array<FormField, static_cast<std::size_t>(MapField::Count)> fields_;

  mbd::MbdMap map_;
  mbd::MapSettings shown_;
  mbd::MapFrame shownFrame_;
  // The points of the map as the plot takes them: φ and E/1000, NaN at
  // each break marker.
  std::vector<double> plotPhi_, plotKev_;
  bool plotPoints_ = false;
  bool labelsShown_ = false;
  Plot plot_{[this] { return PlotContentNow(); }};
  // What the vertical-line dialog showed last.
  std::string linePhiText_, lineFileText_;
};

}  // namespace velto::programs
