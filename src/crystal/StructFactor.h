#pragma once
#include <array>
#include <complex>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/Notifier.h"
#include "crystal/CrystalStructure.h"
#include "crystal/StructFactorData.h"

// The Brennan–Cowan scattering engine: f0 from Cromer–Mann coefficients,
// f' and f'' by the Cromer–Liberman method (McMaster fits for H and He), a
// Compton term from a fit in ln E, and structure factors with the engine's
// own Debye–Waller factors, all from the tables of StructFactor.Data.
namespace velto::crystal {

inline constexpr const char* kStructFactorFileName = "StructFactor.Data";
inline constexpr const char* kStructFactorNoMemoryMessage = "No enough memory for creating StructFactor!";
inline constexpr const char* kStructFactorReadMessage = "Failed to read StructFactor.Data.";
inline constexpr const char* kStructFactorCreateMessage = "Failed to create StructFactor object!";
// The largest wavevector 2π/d (Å⁻¹) the Cromer–Mann fits are used for.
inline constexpr double kMaxCromerMannWavevector = 18.5;

// The message for a data file that cannot be opened in `directory`.
std::string StructFactorOpenMessage(const std::filesystem::path& directory);

enum class ScatteringPolarization { Sigma = 0, Pi = 1 };

struct AnomalousFactors {
  double fPrime = 0;
  double fDoublePrime = 0;
};

struct ComptonValues {
  double compton = 0;   // f_cmpt, electrons: added to f''
  double firstFit = 0;  // the same form from the first fit; nothing uses it
};

enum class StructureFactorStatus {
  Normal = 0,
  NoBraggAngle = 1,        // λ/(2d) > 1, computed with sin θ = 1
  AnomalousFailed = 2,     // no f'/f'' at this energy
  WavevectorTooLarge = 3,  // 2π/d above 18.5; the sum holds the groups before
};

struct StructureFactorResult {
  std::complex<double> value;
  StructureFactorStatus status = StructureFactorStatus::Normal;
};

// What the Cromer–Liberman integral of one orbital works with, in Hartree
// atomic units (energies) and atomic units (cross-sections).
struct OrbitalIntegrand {
  double energy = 0;                  // E, the photon energy
  double binding = 0;                 // E_b
  double sigmaAtEnergy = 0;           // σ(E); 0 below the edge
  std::array<double, 5> gaussSigma{};  // σ_g1..σ_g5, by ascending tabulation energy
  double sigmaEdge = 0;               // σ_11, the cross-section just above the edge
};

// Σ w_k·S_t(x_k) with the five-point Gauss–Legendre rule on [0, 1]; the
// point x_k takes σ_g(6−k). Types 0..3 as the orbital tables define them;
// another type gives 0. Type 2 reports its degenerate cases to `notifier`.
double GaussIntegral(const OrbitalIntegrand& orbital, int type, core::Notifier& notifier);

// Three-point Aitken–Neville interpolation of (xs, ys) at `x`. With one
// point it tells so and returns that ordinate; with two it interpolates
// linearly (a three-point scheme has no third point to take); with none it
// tells so and returns 0.
double AitkenInterpolate(double x, std::span<const double> xs, std::span<const double> ys, core::Notifier& notifier);

class StructFactor {
 public:
  // An engine without tables; Load makes it usable.
  StructFactor() = default;
  // An engine over tables already read (tests build small ones).
  explicit StructFactor(StructFactorData data);

  // Reads StructFactor.Data from `directory`. False when the engine stays
  // unusable; ErrorMessage then says why, in the words the person sees.
  bool Load(const std::filesystem::path& directory);
  bool IsUsable() const { return usable_; }
  const std::string& ErrorMessage() const { return message_; }
  const StructFactorData& Data() const { return data_; }
  double AtomicWeight(int z) const;

  // f0 at the wavevector q = 2π/d (Å⁻¹). None, with the message, above 18.5;
  // none for an element outside 1..92.
  std::optional<double> CromerMannF0(int z, double q, core::Notifier& notifier) const;

  // f' and f'' at `energyEv`. None for an element outside 1..92, an energy
  // that is not positive (the method takes its logarithm), and, with a
  // message, an energy above HighestEnergyEv(): beyond the tabulated
  // cross-sections the interpolation runs away (f'' of silicon grows again
  // above a few MeV and overflows at higher energies).
  std::optional<AnomalousFactors> CromerLibermanF1F2(int z, double energyEv, core::Notifier& notifier) const;
  // The highest photon energy (eV) at which every element's cross-sections
  // are tabulated.
  double HighestEnergyEv() const { return highestEnergyEv_; }

  // The Compton term at `energyEv`; 0 for an energy that is not positive or
  // an element outside 1..92.
  ComptonValues ComptonTerm(int z, double energyEv) const;

  // F of (h, k, l) at `energyEv` and `temperature` (K) for one polarisation;
  // F^π is F^σ times |cos 2θ|.
  StructureFactorResult StructureFactorOf(const CrystalStructure& structure, double energyEv, double temperature,
                                          double h, double k, double l, ScatteringPolarization polarization,
                                          core::Notifier& notifier) const;

 private:
  // Per orbital, what does not depend on the energy: the interpolation set
  // sorted by energy as logarithms, and the Gauss cross-sections.
  struct PreparedOrbital {
    int functionType = 0;
    int pointCount = 0;
    int leadingZeros = 0;  // points whose ln σ stands as 0 for a zero σ
    std::array<double, kMaxOrbitalPoints> logEnergy{};
    std::array<double, kMaxOrbitalPoints> logSigma{};
    std::array<double, 5> gaussSigma{};
    double sigmaEdge = 0;  // meaningful when pointCount is 11
  };

  void Prepare();

  StructFactorData data_;
  std::vector<std::vector<PreparedOrbital>> prepared_;
  bool usable_ = false;
  double highestEnergyEv_ = 0;
  std::string message_;
};

// Creates the engine from the data file in `directory`. On failure the
// person is told (error icon) and there is no engine.
std::unique_ptr<StructFactor> CreateStructFactor(const std::filesystem::path& directory, core::Notifier& notifier);

// The application's one engine, created from the data file in `directory`
// on first use. A failed creation is not remembered: the next request tries
// again. The engine is shared, so that a computation still running when the
// holder releases it keeps its tables until it ends.
class StructFactorEngineHolder {
 public:
  std::shared_ptr<const StructFactor> GetStructFactorEngine(const std::filesystem::path& directory,
                                                            core::Notifier& notifier);
  void Release() { engine_.reset(); }

 private:
  std::shared_ptr<const StructFactor> engine_;
};

}  // namespace velto::crystal
