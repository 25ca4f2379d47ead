#pragma once
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/Notifier.h"
#include "crystal/StructFactor.h"
#include "programs/Refusal.h"

// The atomic scattering-factor dialog (CFormFactor) without its window: the
// rows of its element list, the element a row stands for, and the six
// numbers of "Calculate !".
namespace velto::programs {

inline constexpr const char* kInvalidElementMessage = "Invalid elment!  ";
inline constexpr const char* kInvalidEnergyMessage = "Invalid wavelength or energy value!   ";
inline constexpr const char* kElementSeparatorRow = "====";
// The energy the dialog falls back on when the program has none: Cu Kα1.
inline constexpr double kFallbackWavelength = 1.540562;  // Å

// What "Form Factor..." of the structure-factor program hands the dialog:
// the program's energy and its wavelength (Cu Kα1 when the energy is not
// positive), and θB of the current reflection in degrees when it has one
// (h k l not 0 0 0, d > 0 and λ/(2d) within 0..1), else 0.
struct FormFactorStart {
  double energyEv = 0;
  double wavelength = 0;  // Å
  double thetaDegrees = 0;
};
FormFactorStart FormFactorStartOf(double energyEv, int h, int k, int l, double dSpacing);

// The structure's element symbols (in group order), the separator row when
// there are any, then every symbol H..U.
std::vector<std::string> FormFactorElementRows(std::span<const std::string> structureElements);

// The atomic number of the chosen row; the separator row is refused.
std::variant<int, Refusal> FormFactorElement(int row, std::string_view rowText,
                                             std::span<const std::string> structureElements);

// sin θ/λ (Å⁻¹) for θ in degrees and λ in Å.
double SinThetaOverLambda(double thetaDegrees, double wavelength);

// θ kept within 0..90 degrees when the person leaves the box.
double ClampedTheta(double thetaDegrees);

// The energy box (keV) read when the person leaves it: a value of 0 or
// below is refused.
std::optional<Refusal> CheckFormFactorEnergy(double energyKev);

struct FormFactorValues {
  double f0 = 0;
  double fPrime = 0;
  double fDoublePrime = 0;
  double compton = 0;
  double realPart() const { return f0 + fPrime; }               // f0 + f'
  double imaginaryPart() const { return fDoublePrime + compton; }  // f'' + f_cmpt
};

// The six results of "Calculate !" for element z at `energyEv` and the angle
// θ (degrees) at wavelength λ (Å). None when f0 cannot be had (the engine
// has told why).
std::optional<FormFactorValues> CalculateFormFactor(const crystal::StructFactor& engine, int z, double energyEv,
                                                    double thetaDegrees, double wavelength,
                                                    core::Notifier& notifier);

}  // namespace velto::programs
