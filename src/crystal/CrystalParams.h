#pragma once
#include <array>
#include <complex>
#include <cstddef>

#include "crystal/Bragg.h"
#include "crystal/CrystalStructure.h"

namespace velto::crystal {

// What the susceptibility routines return when they cannot compute χ (an
// energy outside the atomic tables, no energy yet).
inline constexpr std::complex<double> kChiFailure{1e10, 0.0};

// The five susceptibility components of one reflection, unscaled, in the
// fixed order χ0, χh, χ−h, χh^π, χ−h^π used by every program and by the
// shared chi store.
struct ReflectionChi {
  std::complex<double> chi0{};
  std::complex<double> chih{};
  std::complex<double> chimh{};
  std::complex<double> chihPi{};
  std::complex<double> chimhPi{};

  static constexpr std::size_t kComponents = 5;

  // Component i in the fixed order (0 = χ0 ... 4 = χ−h^π).
  std::complex<double>& operator[](std::size_t i) { return this->*kMembers[i < kComponents ? i : 0]; }
  const std::complex<double>& operator[](std::size_t i) const { return this->*kMembers[i < kComponents ? i : 0]; }

  // Ten doubles, real part first, in the fixed order.
  std::array<double, 10> ToArray() const {
    std::array<double, 10> values{};
    for (std::size_t i = 0; i < kComponents; ++i) {
      values[2 * i] = (*this)[i].real();
      values[2 * i + 1] = (*this)[i].imag();
    }
    return values;
  }
  static ReflectionChi FromArray(const std::array<double, 10>& values) {
    ReflectionChi chi;
    for (std::size_t i = 0; i < kComponents; ++i) chi[i] = {values[2 * i], values[2 * i + 1]};
    return chi;
  }

  // True when the computation failed (χ0 holds the failure value).
  bool Failed() const { return chi0 == kChiFailure; }

  bool operator==(const ReflectionChi&) const = default;

 private:
  using Member = std::complex<double> ReflectionChi::*;
  static constexpr std::array<Member, kComponents> kMembers{&ReflectionChi::chi0, &ReflectionChi::chih,
                                                            &ReflectionChi::chimh, &ReflectionChi::chihPi,
                                                            &ReflectionChi::chimhPi};
};

// What each program keeps per crystal.
struct CrystalParams {
  CrystalStructure structure;
  double temperature = 293.15;  // K, at least 1e-6
  int h = 0, k = 0, l = 0;      // reflection indices, each in -999..999, not all zero
  double d = -1;                // Å; -1 until the reflection is first defined
  ReflectionChi chi;            // unscaled
};

}  // namespace velto::crystal
