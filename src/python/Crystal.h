#pragma once
#include <pybind11/pybind11.h>

#include <array>
#include <complex>
#include <filesystem>
#include <optional>
#include <string>

#include "crystal/CrystalStructure.h"

namespace velto::python {

using Hkl = std::array<int, 3>;

// A crystal read from a structure file at one temperature, as velto-cli's
// --struct and --temp read it. Its methods copy the structure before
// computing (the chi computation keeps its last energy in it), so that
// threads may share one crystal.
class Crystal {
 public:
  static Crystal Load(const std::filesystem::path& path, double temperature);

  const crystal::CrystalStructure& Structure() const { return structure_; }
  double Temperature() const { return temperature_; }
  std::filesystem::path Path() const { return path_; }
  double D(const Hkl& hkl) const;

 private:
  crystal::CrystalStructure structure_;
  double temperature_ = 0;
  std::filesystem::path path_;
};

// What `velto-cli chi` prints for one reflection, in its units.
struct ChiResult {
  std::string name;
  double energyKev = 0;
  double temperature = 0;
  Hkl hkl{};
  double d = 0;           // Å
  double thetaBDeg = 90;  // 90 when the Bragg condition cannot be met
  bool bragg = false;
  std::complex<double> chi0, chih, chimh, chihp, chimhp;
  std::complex<double> f0, fh, fmh;
  double muPerMicrometre = 0;
  std::optional<double> penetrationMicrometres;  // none without absorption
};

ChiResult ComputeChi(const Crystal& crystal, const Hkl& hkl, double energyKev);

void BindCrystal(pybind11::module_& module);

}  // namespace velto::python
