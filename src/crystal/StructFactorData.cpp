#include "crystal/StructFactorData.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <new>

namespace velto::crystal {
namespace {

static_assert(sizeof(double) == 8 && std::numeric_limits<double>::is_iec559);

// The file is little-endian whatever machine wrote or reads it.
class Reader {
 public:
  explicit Reader(std::istream& input) : input_(input) {}

  bool Double(double& value) {
    unsigned char bytes[8];
    if (!input_.read(reinterpret_cast<char*>(bytes), 8)) return false;
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | bytes[i];
    value = std::bit_cast<double>(bits);
    return std::isfinite(value);
  }

  bool Byte(int& value) {
    char c = 0;
    if (!input_.get(c)) return false;
    value = static_cast<signed char>(c);
    return true;
  }

 private:
  std::istream& input_;
};

bool ReadElement(Reader& in, int z, ElementRecord& element) {
  for (int k = 0; k < 9; ++k) {
    if (!in.Double(element.tenCoefficients[k]) || !in.Double(element.cromerMann[k])) return false;
  }
  if (!in.Double(element.tenCoefficients[9]) || !in.Double(element.atomicWeight) ||
      !in.Double(element.secondScalar)) {
    return false;
  }
  int orbitalCount = 0;
  if (!in.Byte(orbitalCount) || orbitalCount < 0 || orbitalCount > kMaxOrbitals) return false;
  element.bindingEnergy.assign(orbitalCount, 0.0);
  for (double& energy : element.bindingEnergy) {
    if (!in.Double(energy)) return false;
  }
  for (int k = 0; k < 4; ++k) {
    if (!in.Double(element.firstFit[k]) || !in.Double(element.secondFit[k])) return false;
  }
  element.orbitals.clear();
  if (z < 3) return true;
  if (!in.Double(element.relativisticCorrection) || !in.Double(element.kisselPrattCorrection)) return false;
  element.orbitals.resize(orbitalCount);
  for (OrbitalTable& orbital : element.orbitals) {
    int pointCount = 0;
    if (!in.Byte(orbital.functionType) || !in.Byte(pointCount)) return false;
    if (pointCount < 0 || pointCount > kMaxOrbitalPoints) return false;
    orbital.energy.assign(pointCount, 0.0);
    orbital.crossSection.assign(pointCount, 0.0);
    for (int i = 0; i < pointCount; ++i) {
      if (!in.Double(orbital.energy[i]) || !in.Double(orbital.crossSection[i])) return false;
    }
  }
  return true;
}

}  // namespace

StructFactorReadStatus ReadStructFactorData(std::istream& input, StructFactorData& data) {
  try {
    data.elements.assign(kStructFactorElements + 1, ElementRecord{});
    Reader reader(input);
    for (int z = 1; z <= kStructFactorElements; ++z) {
      if (!ReadElement(reader, z, data.elements[z])) return StructFactorReadStatus::ReadError;
    }
  } catch (const std::bad_alloc&) {
    data.elements.clear();
    return StructFactorReadStatus::OutOfMemory;
  }
  return StructFactorReadStatus::Ok;
}

StructFactorReadStatus ReadStructFactorFile(const std::filesystem::path& file, StructFactorData& data) {
  std::ifstream input(file, std::ios::binary);
  if (!input) return StructFactorReadStatus::CannotOpen;
  return ReadStructFactorData(input, data);
}

}  // namespace velto::crystal
