#pragma once
#include <filesystem>
#include <string>
#include <vector>

// The two read-only start-up files of the application: "VELTO.INI" with the
// default photon energy and temperature, and "VELTO2.INI" with the preset
// lists of the wavelength, energy and temperature drop-down lists.
namespace velto::shell {

inline constexpr const char* kDefaultsIniName = "VELTO.INI";
inline constexpr const char* kPresetsIniName = "VELTO2.INI";

// What "VELTO.INI" gave; a value the file did not reach stays at -1.
struct IniDefaults {
  double energyKev = -1;
  double temperature = -1;
};

// Reads the first two non-empty (trimmed) lines as the energy in keV and the
// temperature in K. A missing file or a file that ends early leaves what was
// not read at -1; a line without a leading number reads as 0.
IniDefaults ReadDefaultsIni(const std::filesystem::path& path);

struct PresetLists {
  std::vector<std::string> wavelengths;   // entries begin with a wavelength in Å
  std::vector<std::string> energies;      // ... with a photon energy in keV
  std::vector<std::string> temperatures;  // ... with a temperature in K

  bool operator==(const PresetLists&) const = default;
};

// One entry per list, for Cu Kα1 and room temperature.
PresetLists DefaultPresetLists();

// Reads the three lists (a count line, then that many non-empty lines, three
// times). Any fault of the file (missing, a count below 1, a list cut short)
// discards all three lists in favour of the defaults.
PresetLists ReadPresetsIni(const std::filesystem::path& path);

// The number a preset entry begins with ("1.54056200 (Cu-Ka1)" gives 1.540562).
double PresetValue(const std::string& entry);

}  // namespace velto::shell
