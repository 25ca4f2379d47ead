#include "programs/form_factor/FormFactorCalculation.h"

#include <algorithm>
#include <cmath>

#include "core/Units.h"
#include "crystal/ElementTable.h"

namespace velto::programs {

FormFactorStart FormFactorStartOf(double energyEv, int h, int k, int l, double dSpacing) {
  FormFactorStart start;
  if (energyEv > 0) {
    start.energyEv = energyEv;
    start.wavelength = core::WavelengthOf(energyEv);
  } else {
    start.energyEv = core::kCuKalpha1Kev * core::kEvPerKev;
    start.wavelength = kFallbackWavelength;
  }
  if ((h != 0 || k != 0 || l != 0) && dSpacing > 0) {
    const double sine = start.wavelength / (2 * dSpacing);
    if (sine >= 0 && sine <= 1) start.thetaDegrees = std::asin(sine) / core::kDegree;
  }
  return start;
}

std::vector<std::string> FormFactorElementRows(std::span<const std::string> structureElements) {
  std::vector<std::string> rows(structureElements.begin(), structureElements.end());
  if (!rows.empty()) rows.emplace_back(kElementSeparatorRow);
  for (int z = 1; z <= crystal::ElementTable::kCount; ++z) rows.emplace_back(crystal::ElementTable::Symbol(z));
  return rows;
}

std::variant<int, Refusal> FormFactorElement(int row, std::string_view rowText,
                                             std::span<const std::string> structureElements) {
  const int b = static_cast<int>(structureElements.size());
  const Refusal invalid{kInvalidElementMessage, core::MessageIcon::None, "element"};
  if (b == 0) {
    if (row < 0 || row >= crystal::ElementTable::kCount) return invalid;
    return row + 1;
  }
  if (row == b || row < 0 || row > b + crystal::ElementTable::kCount) return invalid;
  if (row < b) {
    const int z = crystal::ElementTable::Find(rowText);
    if (z == 0) return invalid;
    return z;
  }
  return row - b;
}

double SinThetaOverLambda(double thetaDegrees, double wavelength) {
  return std::sin(thetaDegrees * core::kDegree) / wavelength;
}

double ClampedTheta(double thetaDegrees) { return std::clamp(thetaDegrees, 0.0, 90.0); }

std::optional<Refusal> CheckFormFactorEnergy(double energyKev) {
  if (energyKev > 0) return std::nullopt;
  return Refusal{kInvalidEnergyMessage, core::MessageIcon::None, "energy"};
}

std::optional<FormFactorValues> CalculateFormFactor(const crystal::StructFactor& engine, int z, double energyEv,
                                                    double thetaDegrees, double wavelength,
                                                    core::Notifier& notifier) {
  const auto anomalous = engine.CromerLibermanF1F2(z, energyEv, notifier);
  if (!anomalous) return std::nullopt;
  const double compton = engine.ComptonTerm(z, energyEv).compton;
  const auto f0 = engine.CromerMannF0(z, 4 * core::kPi * SinThetaOverLambda(thetaDegrees, wavelength), notifier);
  if (!f0) return std::nullopt;
  return FormFactorValues{*f0, anomalous->fPrime, anomalous->fDoublePrime, compton};
}

}  // namespace velto::programs
