#include "crystal/StructFactorData.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <new>
#include <string>
#include <string_view>

#include "core/InputFile.h"
#include "core/TextNumbers.h"
#include "core/Units.h"
#include "crystal/ElementTable.h"
#include "crystal/FormFactorChecks.h"

namespace velto::crystal {
namespace {

static_assert(sizeof(double) == 8 && std::numeric_limits<double>::is_iec559);

// The file is little-endian whatever machine wrote or reads it. The first
// failure is kept in words, for the message that names the element.
class Reader {
 public:
  explicit Reader(std::istream& input) : input_(input) {}

  bool Double(double& value, const char* what) {
    unsigned char bytes[8];
    if (!input_.read(reinterpret_cast<char*>(bytes), 8)) return Fail("the file ends inside ", what);
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | bytes[i];
    value = std::bit_cast<double>(bits);
    if (!std::isfinite(value)) return Fail(what, " is not a finite number");
    return true;
  }

  bool Byte(int& value, const char* what) {
    char c = 0;
    if (!input_.get(c)) return Fail("the file ends inside ", what);
    value = static_cast<signed char>(c);
    return true;
  }

  bool Fail(std::string first, std::string_view second) {
    fault_ = std::move(first);
    fault_ += second;
    return false;
  }
  const std::string& Fault() const { return fault_; }

 private:
  std::istream& input_;
  std::string fault_;
};

bool ReadElement(Reader& in, int z, ElementRecord& element) {
  for (int k = 0; k < 9; ++k) {
    if (!in.Double(element.tenCoefficients[k], "a coefficient of the first block") ||
        !in.Double(element.cromerMann[k], "a Cromer-Mann coefficient"))
      return false;
  }
  if (!in.Double(element.tenCoefficients[9], "a coefficient of the first block") ||
      !in.Double(element.atomicWeight, "the atomic weight") || !in.Double(element.secondScalar, "the second scalar")) {
    return false;
  }
  int orbitalCount = 0;
  if (!in.Byte(orbitalCount, "the orbital count")) return false;
  if (orbitalCount < 0 || orbitalCount > kMaxOrbitals)
    return in.Fail("the orbital count " + std::to_string(orbitalCount), " lies outside 0.." + std::to_string(kMaxOrbitals));
  element.bindingEnergy.assign(orbitalCount, 0.0);
  for (double& energy : element.bindingEnergy) {
    if (!in.Double(energy, "a binding energy")) return false;
  }
  for (int k = 0; k < 4; ++k) {
    if (!in.Double(element.firstFit[k], "a coefficient of the cross-section fit") ||
        !in.Double(element.secondFit[k], "a coefficient of the Compton fit"))
      return false;
  }
  element.orbitals.clear();
  if (z < 3) return true;
  if (!in.Double(element.relativisticCorrection, "the relativistic correction") ||
      !in.Double(element.kisselPrattCorrection, "the Kissel-Pratt correction"))
    return false;
  element.orbitals.resize(orbitalCount);
  for (OrbitalTable& orbital : element.orbitals) {
    int pointCount = 0;
    if (!in.Byte(orbital.functionType, "an orbital's function type") ||
        !in.Byte(pointCount, "an orbital's point count"))
      return false;
    if (pointCount < 0 || pointCount > kMaxOrbitalPoints)
      return in.Fail("the point count " + std::to_string(pointCount) + " of an orbital", " lies outside 0.." + std::to_string(kMaxOrbitalPoints));
    orbital.energy.assign(pointCount, 0.0);
    orbital.crossSection.assign(pointCount, 0.0);
    for (int i = 0; i < pointCount; ++i) {
      if (!in.Double(orbital.energy[i], "an orbital's tabulation energy") ||
          !in.Double(orbital.crossSection[i], "an orbital's cross-section"))
        return false;
    }
  }
  return true;
}

// No atom absorbs more than this (the largest cross-section of the suite's
// tables is below 1e9 barns, at a few eV for the heaviest elements).
constexpr double kMostBarns = 1e10;
constexpr double kMostBindingKev = 200;  // uranium's K edge lies at 116 keV
// The engine evaluates the Cromer–Mann fits up to 2π/d = 18.5 Å⁻¹.
constexpr double kHighestCromerMannS = 18.5 / (4 * core::kPi);

}  // namespace

std::optional<std::string> ImplausibleRecord(const StructFactorData& data) {
  for (int z = 1; z < static_cast<int>(data.elements.size()); ++z) {
    const ElementRecord& e = data.elements[z];
    const auto& cm = e.cromerMann;
    const double f0 = cm[0] + cm[2] + cm[4] + cm[6] + cm[8];
    if (!(std::fabs(f0 - z) <= 0.1))
      return ElementTable::Name(z) + ": the Cromer-Mann coefficients give f0(0) = " + core::FormatGeneral(f0) +
             ", not within 0.1 of Z";
    const double a[] = {cm[0], cm[2], cm[4], cm[6]};
    const double b[] = {cm[1], cm[3], cm[5], cm[7]};
    if (const auto fault = GaussianF0Fault(a, b, cm[8], kHighestCromerMannS))
      return ElementTable::Name(z) + ": Cromer-Mann coefficients: " + *fault;
    if (!(e.atomicWeight > 0))
      return ElementTable::Name(z) + ": the atomic weight " + core::FormatGeneral(e.atomicWeight) + " is not positive";
    for (double binding : e.bindingEnergy)
      if (!(binding > 0 && binding < kMostBindingKev))
        return ElementTable::Name(z) + ": the binding energy " + core::FormatGeneral(binding) + " keV is not plausible";
    for (const OrbitalTable& orbital : e.orbitals)
      for (std::size_t i = 0; i < orbital.energy.size(); ++i)
        if (!(orbital.energy[i] > 0) || !(orbital.crossSection[i] >= 0 && orbital.crossSection[i] < kMostBarns))
          return ElementTable::Name(z) + ": the cross-section " + core::FormatGeneral(orbital.crossSection[i]) +
                 " barns at " + core::FormatGeneral(orbital.energy[i]) + " keV is not plausible";
  }
  return std::nullopt;
}

StructFactorReadStatus ReadStructFactorData(std::istream& input, StructFactorData& data, std::string* fault) {
  try {
    data.elements.assign(kStructFactorElements + 1, ElementRecord{});
    Reader reader(input);
    for (int z = 1; z <= kStructFactorElements; ++z) {
      if (!ReadElement(reader, z, data.elements[z])) {
        if (fault) *fault = ElementTable::Name(z) + ": " + reader.Fault();
        return StructFactorReadStatus::ReadError;
      }
    }
  } catch (const std::bad_alloc&) {
    data.elements.clear();
    return StructFactorReadStatus::OutOfMemory;
  }
  return StructFactorReadStatus::Ok;
}

StructFactorReadStatus ReadStructFactorFile(const std::filesystem::path& file, StructFactorData& data,
                                            std::string* fault) {
  std::ifstream input;
  if (core::OpenInputFile(file, input)) return StructFactorReadStatus::CannotOpen;
  return ReadStructFactorData(input, data, fault);
}

}  // namespace velto::crystal
