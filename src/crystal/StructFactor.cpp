#include "crystal/StructFactor.h"

#include <cmath>
#include <new>

#include "core/TextNumbers.h"
#include "core/Units.h"
#include "crystal/Susceptibility.h"

namespace velto::crystal {
namespace {

// 6h²/(k_B·u) in Å²·K: the Debye–Waller exponent with the atomic weight in u.
constexpr double kDebyeWallerConstant = 11490.4;

}  // namespace

std::string StructFactorOpenMessage(const std::filesystem::path& directory) {
  return "Failed to open file \"StructFactor.Data\"\nPlease verify that this file is in the directory      \n     " +
         directory.string() + "\\.\n\n";
}

StructFactor::StructFactor(StructFactorData data) : data_(std::move(data)) {
  usable_ = data_.elements.size() == kStructFactorElements + 1;
  if (usable_) Prepare();
}

bool StructFactor::Load(const std::filesystem::path& directory) {
  usable_ = false;
  message_.clear();
  try {
    StructFactorData data;
    const std::filesystem::path file = directory / kStructFactorFileName;
    std::string readFault;
    switch (ReadStructFactorFile(file, data, &readFault)) {
      case StructFactorReadStatus::Ok:
        if (auto fault = ImplausibleRecord(data)) {
          // Nothing is computed from tables that fail a check.
          message_ = std::string(kStructFactorReadMessage) + "\n" + file.string() + ": " + *fault;
          break;
        }
        data_ = std::move(data);
        Prepare();
        usable_ = true;
        break;
      case StructFactorReadStatus::CannotOpen:
        message_ = StructFactorOpenMessage(directory);
        break;
      case StructFactorReadStatus::ReadError:
        message_ = std::string(kStructFactorReadMessage) + "\n" + file.string() + ": " + readFault;
        break;
      case StructFactorReadStatus::OutOfMemory:
        message_ = kStructFactorNoMemoryMessage;
        break;
    }
  } catch (const std::bad_alloc&) {
    data_ = {};
    prepared_.clear();
    message_ = kStructFactorNoMemoryMessage;
  }
  return usable_;
}

double StructFactor::AtomicWeight(int z) const {
  if (!usable_ || z < 1 || z > kStructFactorElements) return 0;
  return data_.elements[z].atomicWeight;
}

std::optional<double> StructFactor::CromerMannF0(int z, double q, core::Notifier& notifier) const {
  if (!(q <= kMaxCromerMannWavevector)) {
    notifier.Notify("Currently, StructFactor requires that the wavevector\n(2PI over d-spacing) should not be greater "
                    "than 18.5.\nNow it is " +
                        core::FormatGeneral(q) + ".",
                    core::MessageIcon::None);
    return std::nullopt;
  }
  if (!usable_ || z < 1 || z > kStructFactorElements) return std::nullopt;
  const auto& c = data_.elements[z].cromerMann;
  const double s = q / (4 * core::kPi);
  const double s2 = s * s;
  return c[8] + c[0] * std::exp(-c[1] * s2) + c[2] * std::exp(-c[3] * s2) + c[4] * std::exp(-c[5] * s2) +
         c[6] * std::exp(-c[7] * s2);
}

StructureFactorResult StructFactor::StructureFactorOf(const CrystalStructure& structure, double energyEv,
                                                      double temperature, double h, double k, double l,
                                                      ScatteringPolarization polarization,
                                                      core::Notifier& notifier) const {
  StructureFactorResult result;
  // The d-spacing of the indices truncated toward zero, as DSpacing takes
  // integers; computed in doubles so that no index can overflow an int.
  const double th = std::trunc(h), tk = std::trunc(k), tl = std::trunc(l);
  double d = 0;
  if (th != 0 || tk != 0 || tl != 0) {
    const double hx = th * structure.b1x;
    const double hy = th * structure.b1y + tk * structure.b2y;
    const double hz = th * structure.b1z + tk * structure.b2z + tl * structure.b3z;
    d = 1.0 / std::sqrt(hx * hx + hy * hy + hz * hz);
  }
  double q = 0;
  double p = 1;
  if (d > 0) {
    double sine = core::WavelengthOf(energyEv) / (2 * d);
    if (sine > 1) {
      result.status = StructureFactorStatus::NoBraggAngle;
      sine = 1;
    }
    q = core::kTwoPi / d;
    if (polarization == ScatteringPolarization::Pi) p = std::abs(std::cos(2 * std::asin(sine)));
  }

  for (const ElementGroup& group : structure.groups) {
    const auto anomalous = CromerLibermanF1F2(group.z, energyEv, notifier);
    if (!anomalous) {
      result.status = StructureFactorStatus::AnomalousFailed;
      return result;
    }
    const double compton = ComptonTerm(group.z, energyEv).compton;
    const auto f0 = CromerMannF0(group.z, q, notifier);
    if (!f0) {
      result.status = StructureFactorStatus::WavevectorTooLarge;
      return result;
    }
    double sumRe = 0, sumIm = 0;
    for (const AtomSite& atom : group.atoms) {
      const double phase = core::kTwoPi * (h * atom.x + k * atom.y + l * atom.z);
      sumRe += atom.occupancy * std::cos(phase);
      sumIm += atom.occupancy * std::sin(phase);
    }
    double debyeWaller = 1;
    const double theta = group.debyeTemperature;
    const double w = theta * theta * AtomicWeight(group.z) * 4 * d * d;
    if (theta > 0 && w > 0) {
      // At 0 K only the zero-point motion is left: (φ(x) + x/4)·T tends to Θ/4.
      const double exponent = temperature > 0
                                  ? (DebyeFunction(theta / temperature) + theta / temperature / 4) * temperature
                                  : theta / 4;
      debyeWaller = std::exp(-exponent * kDebyeWallerConstant / w);
    }
    // The polarisation factor scales the whole scattering amplitude, as the
    // two-beam theory applies it to χ_h: F^π = |cos 2θ|·F^σ.
    const std::complex<double> scattering(*f0 + anomalous->fPrime, anomalous->fDoublePrime + compton);
    result.value += p * scattering * std::complex<double>(sumRe, sumIm) * debyeWaller;
  }
  return result;
}

std::unique_ptr<StructFactor> CreateStructFactor(const std::filesystem::path& directory, core::Notifier& notifier) {
  std::unique_ptr<StructFactor> engine;
  try {
    engine = std::make_unique<StructFactor>();
  } catch (const std::bad_alloc&) {
    notifier.Notify(kStructFactorCreateMessage, core::MessageIcon::Error);
    return nullptr;
  }
  if (!engine->Load(directory)) {
    notifier.Notify(engine->ErrorMessage(), core::MessageIcon::Error);
    return nullptr;
  }
  return engine;
}

std::shared_ptr<const StructFactor> StructFactorEngineHolder::GetStructFactorEngine(
    const std::filesystem::path& directory, core::Notifier& notifier) {
  if (!engine_) engine_ = CreateStructFactor(directory, notifier);
  return engine_;
}

}  // namespace velto::crystal
