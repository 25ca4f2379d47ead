#pragma once
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "crystal/CrystalParams.h"
#include "mbd/MbdGeometry.h"
#include "mbd/MbdReflectionTable.h"
#include "mbd/MbdScan.h"
#include "mbd/MbdSolver.h"
#include "mbd/ReflectionSearch.h"
#include "programs/multiple_beam/MbdConvolutionPanel.h"
#include "programs/multiple_beam/MbdHandOver.h"
#include "programs/ui/AppContext.h"
#include "programs/ui/FormField.h"
#include "programs/ui/UserInterface.h"

// The model of `COrvoViewMBD`, the multiple-beam diffraction window. Its
// commands are implemented by topic, one file each:
//   MbdFormCrystal.cpp     crystal, photon energy, Si/Ge/C mode, help, map hand-over
//   MbdFormDirection.cpp   reference direction, offcut and the frame, principal azimuth
//   MbdFormReflections.cpp reflection list (add, remove) and reflection search
//   MbdFormChi.cpp         the chi components of the beam set
//   MbdFormScan.cpp        checks and preparation of a run, plane-wave and convolution runs
// The convolution panel is a part of its own (MbdConvolutionPanel).
namespace velto::programs {

enum class MbdField {
  Energy,            // keV, read-only
  Thickness,         // µm
  SiMode,            // check box "Si//Ge/C structure"
  CrystalName,       // read-only
  PrimaryReflection, // G, read-only
  BraggAngle,        // θB of G, read-only
  Reference,         // H, read-only
  Offcut,            // degrees
  OffcutAzimuth,     // degrees
  PrincipalAzimuth,  // φ0, degrees
  AddH,
  AddK,
  AddL,
  Polarisation,      // ψ, degrees
  ThetaFrom,         // arcsec
  ThetaTo,
  ThetaPoints,
  PhiFrom,
  PhiTo,
  PhiPoints,
  EnergyOffset,      // ΔE, eV
  Tolerance,         // search |Δφ| ≤, degrees
  Threshold,         // χ threshold of the search
  Count
};

// The name by which commands move the focus to a field (and views name
// their widgets).
const char* MbdFieldName(MbdField id);

// One row of the reflection list (beams 2 … N−1).
struct MbdReflectionRow {
  std::string number, indices, braggAngle, azimuths;
};

// One row of the search list.
struct MbdSearchRow {
  std::string indices, deviation;
};

// What a script keeps of the runs besides their files (the Python module
// makes arrays of the points).
struct MbdRunObserver {
  // The run's checked scan, and whether it is a convolution; called on the
  // user-interface thread when the run is about to start.
  std::function<void(const mbd::ScanSetup&, bool convolution)> started;
  // Every point as it is written, in scan order; called on the worker.
  mbd::PointSink point;
};

class MbdForm final : public MbdHandOverSource {
 public:
  static constexpr const char* kTitle = "Dynamical Theory Computation of Multiple-Beam Diffraction";
  static constexpr const char* kHelpFile = "MBD-Help.pdf";
  static constexpr const char* kHelpMissing = "Cannot find the MBD-Help.pdf file";
  static constexpr const char* kChiNeeded = "Need to Calculate Chi Components";
  static constexpr const char* kSuccess =
      "Computating SUCCESSFULLY finished! You can use Origin etc to visualize the results saved in the file.";
  static constexpr const char* kNoThirdAzimuth = "The Azimuthal angle of the 3rd reflection is not available.";

  // Registers the window with the application as the map's hand-over source
  // for its lifetime.
  explicit MbdForm(AppContext& app);
  ~MbdForm() override;
  MbdForm(const MbdForm&) = delete;
  MbdForm& operator=(const MbdForm&) = delete;

  FormField& Field(MbdField id) { return fields_[static_cast<std::size_t>(id)]; }
  const FormField& Field(MbdField id) const { return fields_[static_cast<std::size_t>(id)]; }
  // The exact tooltip of a control, or null.
  static const char* ToolTip(MbdField id);
  MbdConvolutionPanel& Convolution() { return convolution_; }
  const MbdConvolutionPanel& Convolution() const { return convolution_; }

  // --- state the view and velto-cli read ---
  double Energy() const { return energy_; }  // eV
  const crystal::CrystalParams& Crystal() const { return crystal_; }
  bool CrystalDefined() const { return crystal_.structure.IsLoaded() && crystal_.d > 0; }
  bool DiamondMode() const { return Field(MbdField::SiMode).checked; }
  const mbd::MbdReflectionTable& Beams() const { return table_; }
  const mbd::MbdGeometry& Geometry() const { return geometry_; }
  std::optional<mbd::Vec3> Reference() const { return referenceSet_ ? std::optional(reference_) : std::nullopt; }
  bool ChiNeeded() const { return chiNeeded_; }
  const mbd::MbdSolver* Solver() const { return solver_.get(); }
  const std::vector<MbdReflectionRow>& ReflectionRows() const { return reflectionRows_; }
  const std::vector<MbdSearchRow>& SearchRows() const { return searchRows_; }
  const mbd::SearchResult& SearchResults() const { return search_; }
  // What the last completed run wrote; none before the first.
  const std::optional<mbd::ScanSummary>& LastRun() const { return lastRun_; }
  // Worker threads of a run; 0 (the default) uses every core.
  void SetThreads(int threads) { threads_ = threads; }
  // Tells `observer` about the runs started from now on.
  void ObserveRuns(MbdRunObserver observer) { observer_ = std::move(observer); }
  // Shares the points of a run out among processes (velto-cli under MPI).
  // On a process that does not receive the results, a run writes no file
  // and shows no message: it only computes. Must outlive the form's runs.
  void SetPointRunner(core::PointRunner& runner) { runner_ = &runner; }

  // --- crystal and energy ---
  // "Photon Energy...": false when nothing changed (Cancel or a refusal).
  bool PhotonEnergy(UserInterface& ui);
  // "Define Crystal ...": false when the crystal was not (re)defined.
  bool DefineCrystal(UserInterface& ui);
  // The person toggled "Si//Ge/C structure".
  void SetDiamondMode(bool on);
  // "Help".
  void Help(UserInterface& ui);

  // --- reference direction, offcut, azimuth ---
  // "Horizontal Reference Direction...": false when H did not change.
  bool HorizontalReference(UserInterface& ui);
  // "Set Azimuth Angle of 3-Beam Diffraction", "2nd" and "0".
  void SetThreeBeamAzimuth(UserInterface& ui);
  void SetSecondAzimuth();
  void ZeroAzimuth();

  // --- reflections ---
  // "Add Reflection:": false when nothing was added.
  bool AddReflection(UserInterface& ui);
  // "Remove selected reflection" with row `row` of the list selected (none:
  // nothing happens).
  void RemoveReflection(std::optional<int> row);
  // Search: false after a refusal.
  bool SearchReflections(UserInterface& ui);
  // A click on a search row copies its h k l into the add fields.
  void PickSearchRow(int row);

  // --- chi ---
  // "Calculate or Import\nChi Components": runs the chi dialog.
  void ChiComponents(UserInterface& ui);

  // --- runs ---
  // "Calculate Multiple-Beam Diffraction\nwith Plane-Wave Incidence". The
  // checks and the save dialog run here; the scan runs as a background task
  // whose file replaces the chosen one only when it completes. False when
  // the run did not start.
  bool PlaneWaveScan(UserInterface& ui);
  // ".": no Δφ scan (from 0 to 1 with one point, so only Δφ = 0).
  void NoPhiScan();
  // "Activate Convolution Panel" / "Calculate Convoluted Intensities".
  bool ConvolutionButton(UserInterface& ui);
  void DeactivateConvolution() { convolution_.Deactivate(); }

  // --- the MBD-line map ---
  // "MBD Lines\n(Monochromator Glitches)\nin Azimuth-Energy Map...": false
  // after a refusal or when the application cannot open the map.
  bool OpenMap(UserInterface& ui);
  bool HandOverChanged() const override { return changedForMap_; }
  MbdHandOver HandOver() const override;
  void HandOverTaken() override { changedForMap_ = false; }

 private:
  struct RunRequest;

  // crystal and energy
  void ShowEnergy();
  void ShowBraggAngle();
  // Back to beams 000 and G, without search results, φ0 cleared, no solver.
  void ResetBeams();
  void DiscardSolver();

  // frame
  bool BuildFrame(UserInterface& ui);
  bool ReadPrincipalAzimuth(UserInterface& ui);
  bool Refuse(UserInterface& ui, mbd::FrameStatus status);

  void ShowReflectionRows();

  // runs
  std::optional<RunRequest> PrepareRun(UserInterface& ui, bool convolution);
  void StartRun(UserInterface& ui, RunRequest request);

  AppContext& app_;
  std::array<FormField, static_cast<std::size_t>(MbdField::Count)> fields_;
  MbdConvolutionPanel convolution_;
  double energy_;
  crystal::CrystalParams crystal_;
  mbd::Vec3 reference_;
  bool referenceSet_ = false;
  mbd::MbdGeometry geometry_;
  mbd::MbdReflectionTable table_;
  mbd::SearchResult search_;
  std::vector<MbdReflectionRow> reflectionRows_;
  std::vector<MbdSearchRow> searchRows_;
  // Shared with a run in progress, which works on its own copy.
  std::shared_ptr<mbd::MbdSolver> solver_;
  bool chiNeeded_ = true;
  bool changedForMap_ = false;
  std::optional<mbd::ScanSummary> lastRun_;
  int threads_ = 0;
  MbdRunObserver observer_;
  core::PointRunner* runner_ = &core::LocalRunner();
};

}  // namespace velto::programs
