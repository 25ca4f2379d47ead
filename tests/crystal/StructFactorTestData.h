#pragma once
// Small engines for tests: tables built in memory, and their file image.
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

#include "crystal/StructFactorData.h"

namespace velto::testing {

// Every element gets Cromer–Mann coefficients whose f0(0) is Z, a weight of
// 2Z and no orbitals; tests add what they need.
inline crystal::StructFactorData PlainStructFactorData() {
  crystal::StructFactorData data;
  data.elements.resize(crystal::kStructFactorElements + 1);
  for (int z = 1; z <= crystal::kStructFactorElements; ++z) {
    auto& e = data.elements[z];
    e.cromerMann = {0.5 * z, 10.0, 0.25 * z, 1.0, 0.25 * z, 0.1, 0.0, 0.0, 0.0};
    e.atomicWeight = 2.0 * z;
    e.firstFit = {1.0, 0.0, 0.0, 0.0};
    e.secondFit = {2.0, 0.0, 0.0, 0.0};
  }
  return data;
}

inline constexpr double kGaussAbscissae[5] = {0.04691007703067, 0.23076534494716, 0.5, 1 - 0.23076534494716,
                                             1 - 0.04691007703067};

// One type-0 orbital bound by `bindingKev` whose cross-section falls as
// sigmaAtEdge·(E_b/E)³, tabulated as the generator lays out its points.
inline crystal::OrbitalTable PowerLawOrbital(double bindingKev, double sigmaAtEdgeBarns) {
  crystal::OrbitalTable orbital;
  std::vector<double> energies;
  for (double f : {9.6, 40.0, 80.0, 160.0, 320.0}) energies.push_back(bindingKev * f);
  for (double x : kGaussAbscissae) energies.push_back(bindingKev / x);
  energies.push_back(bindingKev * 1.001);
  for (double e : energies) {
    orbital.energy.push_back(e);
    orbital.crossSection.push_back(sigmaAtEdgeBarns * std::pow(bindingKev / e, 3));
  }
  return orbital;
}

// The file image of `data` in the layout of StructFactor.Data.
inline std::string StructFactorFileImage(const crystal::StructFactorData& data) {
  std::string out;
  const auto put = [&out](double v) {
    auto bits = std::bit_cast<std::uint64_t>(v);
    for (int i = 0; i < 8; ++i, bits >>= 8) out.push_back(static_cast<char>(bits & 0xff));
  };
  const auto putByte = [&out](int v) { out.push_back(static_cast<char>(static_cast<signed char>(v))); };
  for (int z = 1; z <= crystal::kStructFactorElements; ++z) {
    const auto& e = data.elements[z];
    for (int k = 0; k < 9; ++k) {
      put(e.tenCoefficients[k]);
      put(e.cromerMann[k]);
    }
    put(e.tenCoefficients[9]);
    put(e.atomicWeight);
    put(e.secondScalar);
    putByte(static_cast<int>(e.bindingEnergy.size()));
    for (double b : e.bindingEnergy) put(b);
    for (int k = 0; k < 4; ++k) {
      put(e.firstFit[k]);
      put(e.secondFit[k]);
    }
    if (z < 3) continue;
    put(e.relativisticCorrection);
    put(e.kisselPrattCorrection);
    for (const auto& orbital : e.orbitals) {
      putByte(orbital.functionType);
      putByte(static_cast<int>(orbital.energy.size()));
      for (std::size_t i = 0; i < orbital.energy.size(); ++i) {
        put(orbital.energy[i]);
        put(orbital.crossSection[i]);
      }
    }
  }
  return out;
}

}  // namespace velto::testing
