#pragma once
#include <array>
#include <filesystem>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace velto::crystal {

// The tables of the Brennan–Cowan engine as StructFactor.Data holds them.

// The photoabsorption of one orbital at its tabulation points, in file order.
struct OrbitalTable {
  int functionType = 0;             // 0, 1 or 2: the integration variable of the orbital
  std::vector<double> energy;       // keV
  std::vector<double> crossSection;  // barns per atom
};

struct ElementRecord {
  std::array<double, 10> tenCoefficients{};  // kept; no computation reads them
  std::array<double, 9> cromerMann{};        // a1, b1, a2, b2, a3, b3, a4, b4, c
  double atomicWeight = 0;                    // u
  double secondScalar = 0;                    // kept; no computation reads it
  std::vector<double> bindingEnergy;          // keV, orbitals 1..n
  std::array<double, 4> firstFit{};           // ln σ in powers of ln(E/keV), barns
  std::array<double, 4> secondFit{};          // the same for the Compton term
  double relativisticCorrection = 0;          // electrons, subtracted from f' (Z >= 3)
  double kisselPrattCorrection = 0;           // electrons, added to f' (Z >= 3)
  std::vector<OrbitalTable> orbitals;         // empty for Z < 3
};

inline constexpr int kStructFactorElements = 92;
inline constexpr int kMaxOrbitals = 24;
inline constexpr int kMaxOrbitalPoints = 11;

struct StructFactorData {
  std::vector<ElementRecord> elements;  // index Z = 1..92; slot 0 unused
};

enum class StructFactorReadStatus { Ok, CannotOpen, ReadError, OutOfMemory };

// Reads the records of Z = 1..92 from a stream in the file's binary layout.
// Any short read, an orbital count above 24, a point count above 11, a
// negative count or a number that is not finite makes it a read error: the
// engine's tables have no room for more, and a partial table would give
// wrong numbers without a word. `fault`, when given, receives the element and
// what was wrong with its record ("Si (Z = 14): the atomic weight is not a
// finite number").
StructFactorReadStatus ReadStructFactorData(std::istream& input, StructFactorData& data,
                                            std::string* fault = nullptr);

// Opens and reads the file. Only a regular file is opened (core/InputFile.h).
StructFactorReadStatus ReadStructFactorFile(const std::filesystem::path& file, StructFactorData& data,
                                            std::string* fault = nullptr);

// The first check of the tables that a record fails, in words that name the
// element and the check ("Si (Z = 14): the atomic weight 0 is not positive"),
// or none. A file of the right length that holds zeros or garbage reads
// without error; these checks keep the engine from computing with it:
// f0(0) of the Cromer–Mann coefficients within 0.1 of Z, a positive atomic
// weight, positive binding energies, cross-sections at positive energies
// that are neither negative nor beyond any atom's (1e10 barns), and
// Cromer–Mann fits whose f0 stays finite and does not rise up to the largest
// wavevector the engine uses (crystal/FormFactorChecks.h).
std::optional<std::string> ImplausibleRecord(const StructFactorData& data);

}  // namespace velto::crystal
