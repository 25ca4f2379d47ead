#pragma once
#include <array>
#include <complex>
#include <optional>
#include <string>

#include "core/Notifier.h"
#include "crystal/CrystalStructure.h"
#include "crystal/StructFactor.h"

// What the structure-factor program computes when the person presses
// "Calculate !!!", and the texts it derives from the results.
namespace velto::programs {

inline constexpr const char* kImportStructureFirstMessage =
    "Please click on the \"Import Crystal Structure\" button    \nto import a structure file before calculation.";
inline constexpr const char* kNoBraggConditionMessage = "OOps! d-spacing too small to satisfy Bragg condition!    ";
inline constexpr const char* kNotFiniteStructureFactorMessage =
    "The structure factor is not a finite number: the atomic data in StructFactor.Data cannot describe this "
    "reflection.";
inline constexpr const char* kNoDiffractionText = "No diffraction!";
inline constexpr const char* kCrystalNotAvailableMessage = "Crystal not available yet!";

// The four structure factors and χ of a reflection, in the order
// F_h, F_−h, F_h^π, F_−h^π. The π values are the σ values times the
// polarisation factor |cos 2θB|.
struct ReflectionStructureFactors {
  std::array<std::complex<double>, 4> structureFactor{};
  std::array<std::complex<double>, 4> chi{};  // unscaled
};

struct StructureFactorResults {
  double wavelength = 0;    // Å
  double chiPerF = 0;       // K = r_e·λ²/(π·V); χ = −K·F
  std::complex<double> f0;  // F of (0 0 0), tiny parts zeroed
  std::complex<double> chi0;
  double absorption = 0;                    // µ, µm⁻¹
  std::optional<double> penetrationDepth;   // 1/µ in µm; none without absorption
  bool reflectionRequested = false;         // h k l is not 0 0 0
  double dSpacing = 0;                      // Å, when requested
  std::optional<double> braggAngle;         // radians; none: "No diffraction!"
  // Shown only with diffraction, and only when the engine could sum every
  // atom (not above its wavevector limit).
  std::optional<ReflectionStructureFactors> reflection;
  std::optional<std::string> notice;        // a message to show after the calculation
  // The engine could not compute F0 (it has said why): the numbers above
  // are not results. A reflection it cannot compute is left out instead.
  bool failed = false;
};

// Steps of "Calculate !!!" after the checks: F0, χ0, µ and the penetration
// depth, and for h k l other than 0 0 0 the d-spacing, the Bragg angle and
// the four structure factors of the reflection with their χ.
StructureFactorResults CalculateStructureFactors(const crystal::StructFactor& engine,
                                                 const crystal::CrystalStructure& structure, double energyEv,
                                                 double temperature, int h, int k, int l, core::Notifier& notifier);

// A temperature typed in the combo box replaces the current one only when it
// differs by 0.001 K or more.
bool TemperatureChanged(double current, double typed);

// The ten χ values as the result boxes show them (×10⁶, 5 decimals), in the
// order χ0, χ_h, χ_−h, χ_h^π, χ_−h^π, real part first; zeros for boxes that
// are empty.
std::array<double, 10> ShownChi(const StructureFactorResults& results);

// What "Copy Chi to Clipboard" copies of the ten shown values (×10⁶): the
// components as a crystal holds them. A crystal keeps its π components
// without the polarisation factor, which the two-beam theory applies itself,
// so the π slots receive the σ values; the shown π values carry the factor.
std::array<double, 10> CopiedChi(const std::array<double, 10>& shown);

// The text of "Copy Chi to Clipboard" for the ten copied values.
std::string ChiClipboardText(const std::array<double, 10>& copied);

// The values the shared chi store receives: the copied values ×10⁻⁶.
std::array<double, 10> ChiStoreValues(const std::array<double, 10>& copied);

// The message of "Debye-Waller\ntemperatures...", or "Crystal not available
// yet!" without a structure.
std::string DebyeWallerMessage(const crystal::CrystalStructure& structure);

}  // namespace velto::programs
