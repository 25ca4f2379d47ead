#pragma once
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mbd/MbdReflectionTable.h"
#include "programs/multiple_beam/MbdForm.h"
#include "programs/ui/ScriptedUserInterface.h"

// The multiple-beam window filled in and run by a script (velto-cli mbd, the
// Python module) as a person would: the crystal through "Define Crystal ..."
// and its dialog, the photon energy, the Si/Ge/C box, the reference
// direction and the surface, the reflections, the chi components, then a
// plane-wave or convoluted scan through the save dialog. What a script does
// not give keeps the window's own default.
//
// Each step says whether the script may go on. When it may not, either the
// step refuses in its own words (an input the window has no field for) or
// the form has shown why: the last message of the user interface. How that
// reaches the person (stderr and an exit status, an exception) is the
// script's.
namespace velto::programs {

struct MbdStep {
  bool done = true;
  std::string refusal;  // the script's own words; empty: the form has shown why
  explicit operator bool() const { return done; }
};

struct MbdCrystalEntries {
  std::filesystem::path structFile;
  std::string temperature;              // K, as typed into the crystal dialog
  std::array<int, 3> primary{1, 1, 1};  // G
  // Set through "Photon Energy..." once the crystal is defined at the
  // application's energy (θB = 90° when G has no Bragg angle there).
  std::optional<double> energyKev;
  // The crystal dialog's question about zero chi components (a forbidden G,
  // whose intensity comes from the other beams alone) is answered Yes; else
  // No, and the script ends there.
  bool force = false;
};

// "Define Crystal ..." with the file and the crystal dialog, then the energy.
MbdStep DefineMbdCrystal(MbdForm& form, ScriptedUserInterface& ui, const MbdCrystalEntries& entries);

struct MbdDirectionEntries {
  std::optional<bool> diamondMode;                 // "Si//Ge/C structure"; none: as the crystal's name set it
  std::optional<std::array<double, 3>> reference;  // H; none: the window's
  double offcutDeg = 0;
  double offcutAzimuthDeg = 0;
  std::optional<double> azimuthDeg;  // φ0; none: left empty
};

// The box, "Horizontal Reference Direction...", offcut and principal azimuth.
MbdStep SetMbdDirections(MbdForm& form, ScriptedUserInterface& ui, const MbdDirectionEntries& entries);

// "Add Reflection:" for each of `reflections`. The questions about a
// forbidden reflection or one without a Bragg angle are answered Yes when
// `force`, else No: that reflection is left out and `leftOut` told at once.
// A reflection already included or a full table is shown and passed over.
MbdStep AddMbdReflections(MbdForm& form, ScriptedUserInterface& ui, const std::vector<std::array<int, 3>>& reflections,
                          bool force, const std::function<void(const mbd::Miller&)>& leftOut);

// "Calculate or Import Chi Components": computed, or imported from `import`
// when it is not empty.
MbdStep ComputeMbdChi(MbdForm& form, ScriptedUserInterface& ui, const std::filesystem::path& import);

// The columns of the results file, as the save dialog's boxes.
struct MbdColumns {
  bool deltaPhi = true, deltaTheta = true, reflectivity = true;
  bool components = false, amplitudes = false, waveVector = false;
};
// Reads "phi,theta,r,components,amplitudes,wavevector" (any of them, in any
// order); the refusal names an unknown one.
std::optional<std::string> ParseMbdColumns(const std::string& list, MbdColumns& columns);
inline constexpr const char* kDefaultMbdColumns = "phi,theta,r";

// The convolution panel's fields (eV, µrad and point counts).
struct MbdConvolutionEntries {
  double fwhmEv = 0, energyRangeEv = 0;
  int energyPoints = 0;
  double thetaDivergenceUrad = 0;
  int thetaPoints = 0;
  double phiDivergenceUrad = 0;
  int phiPoints = 0;
};

struct MbdRunEntries {
  double thicknessUm = -1;  // ≤ 0: semi-infinite
  double polarisationDeg = 0;
  double thetaFromArcsec = -20, thetaToArcsec = 30;
  int thetaPoints = 51;
  double phiFromArcsec = -20, phiToArcsec = 20;
  int phiPoints = 41;
  double energyOffsetEv = 0;
  int beam = 1;  // the beam written, 0-based
  bool transmission = false;
  bool microradians = false;
  std::string columns = kDefaultMbdColumns;
  std::optional<MbdConvolutionEntries> convolution;  // none: a plane-wave scan
  std::filesystem::path file;                        // the results file
};

// Types the scan, then "Calculate Multiple-Beam Diffraction with Plane-Wave
// Incidence" (or the convolution panel, whose warning about long runs is
// answered Yes) with the save dialog filled in. Done when the run completed
// and wrote its file; a run cancelled through its progress is not.
MbdStep RunMbdScan(MbdForm& form, ScriptedUserInterface& ui, const MbdRunEntries& entries);

// One beam of the table as velto-cli prints it (angles in degrees): no Bragg
// angle for the incident beam and G, none either where the window shows
// "90 (O+)"; an azimuth the window shows no value for is none.
struct MbdBeamRow {
  int index = 0;
  mbd::Miller hkl;
  std::optional<double> braggDeg;
  std::array<std::optional<double>, 2> azimuthsDeg;
};
std::vector<MbdBeamRow> MbdBeamTable(const MbdForm& form);

}  // namespace velto::programs
