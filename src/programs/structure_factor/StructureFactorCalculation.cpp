#include "programs/structure_factor/StructureFactorCalculation.h"

#include <cmath>

#include "core/TextNumbers.h"
#include "core/Units.h"
#include "crystal/ElementTable.h"
#include "crystal/Susceptibility.h"
#include "shell/NumberText.h"

namespace velto::programs {

using crystal::ScatteringPolarization;

namespace {

// Beyond the Bragg condition (status 1) the engine still gives a number.
bool Failed(const crystal::StructureFactorResult& result) {
  return result.status != crystal::StructureFactorStatus::Normal &&
         result.status != crystal::StructureFactorStatus::NoBraggAngle;
}

bool Finite(std::complex<double> z) { return std::isfinite(z.real()) && std::isfinite(z.imag()); }

// The data files are checked when loaded; should a table still give an
// infinite or undefined structure factor, it is a failure to say, not a
// result to show.
void RefuseNotFinite(StructureFactorResults& results, core::Notifier& notifier) {
  notifier.Notify(kNotFiniteStructureFactorMessage, core::MessageIcon::Error);
  results.failed = true;
}

}  // namespace

StructureFactorResults CalculateStructureFactors(const crystal::StructFactor& engine,
                                                 const crystal::CrystalStructure& structure, double energyEv,
                                                 double temperature, int h, int k, int l, core::Notifier& notifier) {
  StructureFactorResults results;
  results.wavelength = core::WavelengthOf(energyEv);
  results.chiPerF = core::kElectronRadius * results.wavelength * results.wavelength / (core::kPi * structure.volume);

  const auto forward =
      engine.StructureFactorOf(structure, energyEv, temperature, 0, 0, 0, ScatteringPolarization::Sigma, notifier);
  results.f0 = forward.value;
  results.failed = Failed(forward);
  if (results.failed) return results;  // the reflection would only repeat the engine's message
  if (!Finite(results.f0)) {
    RefuseNotFinite(results, notifier);
    return results;
  }
  crystal::ZeroTiny(results.f0);
  results.chi0 = -results.f0 * results.chiPerF;
  results.absorption = results.f0.imag() * results.chiPerF * core::kTwoPi * energyEv / core::kHcEvAngstrom *
                       core::kAngstromPerMicrometre;
  if (results.absorption > 0) results.penetrationDepth = 1.0 / results.absorption;

  if (h == 0 && k == 0 && l == 0) return results;
  results.reflectionRequested = true;
  results.dSpacing = structure.DSpacing(h, k, l);
  const double sine = results.wavelength / (2 * results.dSpacing);
  if (sine > 1) {
    results.notice = kNoBraggConditionMessage;
  } else {
    results.braggAngle = std::asin(sine);
  }

  // The reflection is computed even without a Bragg angle, as the program
  // always did; only its display is left out. Above the wavevector limit of
  // the f0 fits the engine returns a partial sum (and has said why), which
  // is no structure factor to show.
  ReflectionStructureFactors reflection;
  bool complete = true;
  // The four evaluations would tell the same limit four times.
  core::CoalescingNotifier once(notifier);
  const double hh = h, kk = k, ll = l;
  const struct {
    double sign;
    ScatteringPolarization polarization;
  } order[4] = {{1, ScatteringPolarization::Sigma},
                {-1, ScatteringPolarization::Sigma},
                {1, ScatteringPolarization::Pi},
                {-1, ScatteringPolarization::Pi}};
  for (int i = 0; i < 4; ++i) {
    const double s = order[i].sign;
    const crystal::StructureFactorResult computed = engine.StructureFactorOf(
        structure, energyEv, temperature, s * hh, s * kk, s * ll, order[i].polarization, once);
    if (Failed(computed)) complete = false;
    std::complex<double> f = computed.value;
    if (!Failed(computed) && !Finite(f)) {
      RefuseNotFinite(results, notifier);
      return results;
    }
    crystal::ZeroTiny(f);
    reflection.structureFactor[i] = f;
    reflection.chi[i] = -f * results.chiPerF;
  }
  if (results.braggAngle && complete) results.reflection = reflection;
  return results;
}

bool TemperatureChanged(double current, double typed) { return std::abs(typed - current) >= 0.001; }

std::array<double, 10> ShownChi(const StructureFactorResults& results) {
  const auto shown = [](double chi) { return shell::ParseNumber(shell::FormatNumber(chi * 1e6, 5)); };
  std::array<double, 10> values{};
  values[0] = shown(results.chi0.real());
  values[1] = shown(results.chi0.imag());
  if (results.reflection) {
    for (int i = 0; i < 4; ++i) {
      values[2 + 2 * i] = shown(results.reflection->chi[i].real());
      values[3 + 2 * i] = shown(results.reflection->chi[i].imag());
    }
  }
  return values;
}

std::string ChiClipboardText(const std::array<double, 10>& shown) {
  std::string text;
  for (int i = 0; i < 5; ++i) {
    text += "(" + core::FormatGeneral(shown[2 * i]) + ", " + core::FormatGeneral(shown[2 * i + 1]) + ")*1E-6;\r\n";
  }
  return text;
}

std::array<double, 10> CopiedChi(const std::array<double, 10>& shown) {
  std::array<double, 10> copied = shown;
  for (int i = 6; i < 10; ++i) copied[i] = shown[i - 4];
  return copied;
}

std::array<double, 10> ChiStoreValues(const std::array<double, 10>& copied) {
  std::array<double, 10> store{};
  for (int i = 0; i < 10; ++i) store[i] = copied[i] * 1e-6;
  return store;
}

std::string DebyeWallerMessage(const crystal::CrystalStructure& structure) {
  if (!structure.IsLoaded()) return kCrystalNotAvailableMessage;
  std::string text = "Debye-Waller temperatures:\n";
  for (const auto& group : structure.groups) {
    text += "\t" + std::string(crystal::ElementTable::Symbol(group.z)) + ":  " +
            shell::FormatNumber(group.debyeTemperature, 8) + " K\n";
  }
  return text + "\nYou can edit the *.struct file to change the temperatures.";
}

}  // namespace velto::programs
