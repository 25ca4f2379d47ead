#include "crystal/CifImport.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>

#include <gemmi/cif.hpp>
#include <gemmi/numb.hpp>
#include <gemmi/symmetry.hpp>
#include <gemmi/unitcell.hpp>

#include "core/InputFile.h"
#include "crystal/DebyeTemperatures.h"
#include "crystal/ElementTable.h"

namespace velto::crystal {
namespace {

// Images of one site closer than this (Å) are one atom on a special
// position: far more than the rounding of published coordinates (0.3333
// for 1/3 is 2e-4 Å off in a 5 Å cell), far less than any two atoms of a
// crystal ever are.
constexpr double kSamePositionTolerance = 0.1;
constexpr int kMostOperations = 192;
// A CIF's files are small; this bounds what a wrong file can make us hold.
constexpr std::uintmax_t kLargestCif = 64u << 20;

std::string Format(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

const std::string* FirstValue(gemmi::cif::Block& block, std::initializer_list<const char*> tags) {
  for (const char* tag : tags)
    if (const std::string* value = block.find_value(tag))
      if (!gemmi::cif::is_null(*value)) return value;
  return nullptr;
}

double NumberOrNan(const std::string* value) {
  return value ? gemmi::cif::as_number(*value) : std::numeric_limits<double>::quiet_NaN();
}

// The block to read: the first one with atom sites, else the first one.
gemmi::cif::Block* ChooseBlock(gemmi::cif::Document& document) {
  for (gemmi::cif::Block& block : document.blocks)
    if (block.find_values("_atom_site_fract_x")) return &block;
  return document.blocks.empty() ? nullptr : &document.blocks.front();
}

std::string CrystalName(gemmi::cif::Block& block) {
  if (const std::string* value = FirstValue(block, {"_chemical_name_mineral", "_chemical_name_common",
                                                    "_chemical_name_systematic", "_chemical_formula_sum"})) {
    std::string name = gemmi::cif::as_string(*value);
    for (char& c : name)
      if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    const auto first = name.find_first_not_of(' ');
    if (first != std::string::npos) return name.substr(first, name.find_last_not_of(' ') - first + 1);
  }
  return block.name.empty() ? std::string("Crystal") : block.name;
}

// A Hall symbol compared without regard to letter case and spacing.
std::string HallKey(std::string_view symbol) {
  std::string key;
  for (char c : symbol) {
    if (c == ' ' || c == '\t' || c == '_') {
      if (!key.empty() && key.back() != ' ') key += ' ';
    } else {
      key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  if (!key.empty() && key.back() == ' ') key.pop_back();
  return key;
}

// Every operation of the space group (centring included), or the reason
// there is none.
std::variant<std::vector<gemmi::Op>, std::string> SymmetryOperations(gemmi::cif::Block& block, double alpha,
                                                                     double gamma, std::vector<std::string>& notes) {
  std::vector<gemmi::Op> ops;
  for (const char* tag : {"_space_group_symop_operation_xyz", "_symmetry_equiv_pos_as_xyz"}) {
    gemmi::cif::Column column = block.find_values(tag);
    if (!column || column.length() == 0) continue;
    // No space group has more operations (Fm-3m and its kin have 192): a
    // longer list is no space group, and would multiply every site.
    if (column.length() > kMostOperations)
      return "the CIF lists " + std::to_string(column.length()) + " symmetry operations; a space group has at most " +
             std::to_string(kMostOperations);
    for (const std::string& item : column) {
      const std::string triplet = gemmi::cif::as_string(item);
      try {
        ops.push_back(gemmi::parse_triplet(triplet));
      } catch (const std::exception&) {
        return "the symmetry operation \"" + triplet + "\" cannot be read";
      }
    }
    notes.push_back("The " + std::to_string(ops.size()) + " symmetry operations listed in the CIF are used.");
    return ops;
  }
  auto allOf = [](const gemmi::GroupOps& group) {
    std::vector<gemmi::Op> all;
    for (const gemmi::Op& op : group.sym_ops)
      for (const gemmi::Op::Tran& centring : group.cen_ops) all.push_back(op.add_centering(centring));
    return all;
  };
  if (const std::string* hall = FirstValue(block, {"_space_group_name_Hall", "_symmetry_space_group_name_Hall"})) {
    const std::string symbol = gemmi::cif::as_string(*hall);
    // Only the Hall symbols of gemmi's table of the 530 settings: its
    // parser of free Hall symbols (0.5.7) reads past its arrays on some
    // malformed ones.
    const std::string key = HallKey(symbol);
    for (const gemmi::SpaceGroup& group : gemmi::spacegroup_tables::main) {
      if (HallKey(group.hall) != key) continue;
      notes.push_back("Space group " + std::string(group.xhm()) + " (No. " + std::to_string(group.number) +
                      ") of Hall symbol \"" + symbol + "\".");
      return allOf(group.operations());
    }
    return "unknown space group: Hall symbol \"" + symbol + "\"";
  }
  if (const std::string* hm = FirstValue(block, {"_space_group_name_H-M_alt", "_symmetry_space_group_name_H-M"})) {
    const std::string symbol = gemmi::cif::as_string(*hm);
    const gemmi::SpaceGroup* group = gemmi::find_spacegroup_by_name(symbol, alpha, gamma);
    if (!group) return "unknown space group \"" + symbol + "\"";
    notes.push_back("Space group " + std::string(group->xhm()) + " (No. " + std::to_string(group->number) + ").");
    return allOf(group->operations());
  }
  if (const std::string* number = FirstValue(block, {"_space_group_IT_number", "_symmetry_Int_Tables_number"})) {
    const std::string text = gemmi::cif::as_string(*number);
    const gemmi::SpaceGroup* group = gemmi::find_spacegroup_by_name(text, alpha, gamma);
    if (!group) return "unknown space group number \"" + text + "\"";
    notes.push_back("Space group " + std::string(group->xhm()) + " (No. " + std::to_string(group->number) +
                    ") in its standard setting.");
    return allOf(group->operations());
  }
  return std::string("the CIF names no space group and lists no symmetry operations");
}

// The element of a type symbol ("Si", "O2-", "Fe3+", or a label such as
// "Si1" when the CIF gives no type symbol); 0 when none. `charged` tells
// that a charge followed the symbol.
int ElementOfTypeSymbol(const std::string& symbol, bool& charged) {
  charged = symbol.find_first_of("+-") != std::string::npos;
  if (symbol.empty() || !std::isalpha(static_cast<unsigned char>(symbol[0]))) return 0;
  if (symbol.size() > 1 && std::isalpha(static_cast<unsigned char>(symbol[1])))
    if (int z = ElementTable::Find(symbol.substr(0, 2))) return z;
  // "D" (deuterium) is not in the table: it has no scattering data of its own.
  return ElementTable::Find(symbol.substr(0, 1));
}

// A coordinate within 1e-5 of a multiple of 1/24 is that multiple: CIFs
// write 2/3 as 0.666667 or 0.66667, and the images of such a site would
// otherwise scatter around its special position (3e-7 instead of 0). Far
// below the uncertainty of any refined coordinate.
double Snapped(double value) {
  const double twentyFourths = std::round(value * 24);
  return std::abs(value * 24 - twentyFourths) < 24e-5 ? twentyFourths / 24 : value;
}

double Wrapped(double value) {
  value -= std::floor(value);
  // A multiple of 1/24 (every translation of a space group is one) stays
  // exact, so that systematic absences stay absent; else ten decimals keep
  // every digit a CIF gives and drop the rounding of the operations
  // (0.85339999999999994 for 1 - 0.1466).
  const double twentyFourths = std::round(value * 24);
  if (std::abs(value * 24 - twentyFourths) < 1e-9)
    value = twentyFourths / 24;
  else
    value = std::round(value * 1e10) / 1e10;
  // 0.99999999999 is the origin written with rounding.
  return value >= 1.0 ? 0.0 : value;
}

std::variant<CifCrystal, std::string> ReadCifDocument(gemmi::cif::Document& document);

}  // namespace

std::variant<CifCrystal, std::string> ReadCif(std::string_view text, const std::string& source) {
  // gemmi reports what it cannot make sense of by throwing; each throw that
  // a CIF can cause past its parser is caught where it arises, and this is
  // the net for any other: a file is refused, the program goes on.
  try {
    gemmi::cif::Document document;
    // The parser throws on text that breaks the CIF syntax (PEGTL's parse
    // errors are runtime errors too); its message starts with the source
    // and the line of the fault.
    try {
      document = gemmi::cif::read_memory(text.data(), text.size(), source.c_str());
    } catch (const std::runtime_error& error) {
      return "the file cannot be read as a CIF: " + std::string(error.what());
    }
    return ReadCifDocument(document);
  } catch (const std::exception& error) {
    return "the CIF cannot be read (" + std::string(error.what()) + ")";
  }
}

namespace {

std::variant<CifCrystal, std::string> ReadCifDocument(gemmi::cif::Document& document) {
  gemmi::cif::Block* found = ChooseBlock(document);
  if (!found) return std::string("the CIF holds no data block");
  gemmi::cif::Block& block = *found;

  CifCrystal crystal;
  StructDescription& d = crystal.description;
  d.name = CrystalName(block);
  d.a = NumberOrNan(FirstValue(block, {"_cell_length_a"}));
  d.b = NumberOrNan(FirstValue(block, {"_cell_length_b"}));
  d.c = NumberOrNan(FirstValue(block, {"_cell_length_c"}));
  if (!(d.a > 0 && d.b > 0 && d.c > 0) || !std::isfinite(d.a * d.b * d.c))
    return std::string("the CIF gives no cell: _cell_length_a, _cell_length_b and _cell_length_c are needed");
  // An angle the CIF leaves out is 90 degrees, as its dictionary says.
  auto angle = [&](const char* tag) {
    const std::string* value = FirstValue(block, {tag});
    return value ? gemmi::cif::as_number(*value) : 90.0;
  };
  d.alpha = angle("_cell_angle_alpha");
  d.beta = angle("_cell_angle_beta");
  d.gamma = angle("_cell_angle_gamma");
  if (!std::isfinite(d.alpha + d.beta + d.gamma)) return std::string("the cell angles of the CIF are not numbers");

  auto operations = SymmetryOperations(block, d.alpha, d.gamma, crystal.notes);
  if (auto* reason = std::get_if<std::string>(&operations)) return *reason;
  const auto& ops = std::get<std::vector<gemmi::Op>>(operations);

  enum { kX, kY, kZ, kLabel, kSymbol, kUiso, kBiso, kOcc };
  gemmi::cif::Table sites = block.find("_atom_site_", {"fract_x", "fract_y", "fract_z", "?label", "?type_symbol",
                                                       "?U_iso_or_equiv", "?B_iso_or_equiv", "?occupancy"});
  if (!sites.ok())
    return std::string("the CIF has no atom sites with fractional coordinates (_atom_site_fract_x, y, z)");
  if (sites.length() == 0) return std::string("the CIF lists no atom sites");
  gemmi::UnitCell cell;
  try {
    cell.set(d.a, d.b, d.c, d.alpha, d.beta, d.gamma);
  } catch (const std::exception&) {
    cell = gemmi::UnitCell();  // angles of 0 or 180 degrees: refused below
  }
  if (!cell.is_crystal() || !(cell.volume > 0) || !std::isfinite(cell.volume))
    return std::string("the cell of the CIF describes no lattice");

  std::map<int, std::pair<double, double>> weightedB;  // Z -> (sum of weight·B, sum of weight)
  std::set<std::string> chargesDropped;
  int siteNumber = 0;
  for (auto row : sites) {
    ++siteNumber;
    const std::string label = row.has(kLabel) ? gemmi::cif::as_string(row[kLabel]) : "#" + std::to_string(siteNumber);
    const std::string symbol = row.has(kSymbol) ? gemmi::cif::as_string(row[kSymbol]) : label;
    bool charged = false;
    const int z = ElementOfTypeSymbol(symbol, charged);
    if (z == 0) return "site " + label + ": no element of the table (H to U) in \"" + symbol + "\"";
    if (charged) chargesDropped.insert(symbol);
    const double x = Snapped(gemmi::cif::as_number(row[kX]));
    const double y = Snapped(gemmi::cif::as_number(row[kY]));
    const double zz = Snapped(gemmi::cif::as_number(row[kZ]));
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(zz))
      return "site " + label + " has no fractional coordinates";
    const double occupancy = row.has(kOcc) ? gemmi::cif::as_number(row[kOcc], 1.0) : 1.0;

    std::vector<gemmi::Fractional> images;
    for (const gemmi::Op& op : ops) {
      const auto xyz = op.apply_to_xyz({x, y, zz});
      const gemmi::Fractional image(Wrapped(xyz[0]), Wrapped(xyz[1]), Wrapped(xyz[2]));
      const bool known = std::any_of(images.begin(), images.end(), [&](const gemmi::Fractional& other) {
        return cell.distance_sq(image, other) < kSamePositionTolerance * kSamePositionTolerance;
      });
      if (!known) images.push_back(image);
    }
    for (const gemmi::Fractional& image : images)
      d.atoms.push_back({std::string(ElementTable::Symbol(z)), image.x, image.y, image.z, occupancy});

    double b = 0;
    if (row.has(kUiso)) b = 8.0 * M_PI * M_PI * gemmi::cif::as_number(row[kUiso], 0.0);
    if (!(b > 0) && row.has(kBiso)) b = gemmi::cif::as_number(row[kBiso], 0.0);
    if (b > 0 && std::isfinite(b)) {
      const double weight = occupancy * static_cast<double>(images.size());
      weightedB[z].first += weight * b;
      weightedB[z].second += weight;
    }
  }
  for (const auto& [z, sums] : weightedB)
    if (sums.second > 0) crystal.bIso[z] = sums.first / sums.second;
  if (!chargesDropped.empty()) {
    std::string list;
    for (const std::string& symbol : chargesDropped) list += (list.empty() ? "" : ", ") + symbol;
    crystal.notes.push_back("The charges of " + list + " are dropped: the atoms scatter as neutral atoms.");
  }
  crystal.notes.push_back(std::to_string(siteNumber) + " sites give " + std::to_string(d.atoms.size()) +
                          " atoms in the cell.");

  const std::string* temperature = FirstValue(block, {"_diffrn_ambient_temperature", "_cell_measurement_temperature"});
  const double kelvin = NumberOrNan(temperature);
  if (kelvin > 0 && std::isfinite(kelvin)) {
    crystal.temperature = kelvin;
  } else if (!crystal.bIso.empty()) {
    crystal.notes.push_back("The CIF names no temperature; its displacement parameters are taken at " +
                            Format(kCifDefaultTemperature) + " K.");
  }
  return crystal;
}

}  // namespace

std::variant<CifCrystal, std::string> ReadCifFile(const std::filesystem::path& path) {
  std::ifstream in;
  if (auto reason = core::OpenInputFile(path, in)) return *reason;
  std::string text;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (text.size() > kLargestCif) return std::string("the file is too large for a CIF");
  }
  return ReadCif(text, path.string());
}

std::vector<int> ResolveDebyeTemperatures(CifCrystal& crystal, const std::map<int, double>& given) {
  std::vector<int> missing;
  for (int z : ElementsOf(crystal.description)) {
    const std::string symbol(ElementTable::Symbol(z));
    double kelvin = 0;
    if (auto value = given.find(z); value != given.end()) {
      kelvin = value->second;
      crystal.notes.push_back("Debye temperature of " + symbol + ": " + Format(kelvin) + " K, as given.");
    } else if (auto b = crystal.bIso.find(z); b != crystal.bIso.end()) {
      if (auto fromB = DebyeTemperatureFromB(z, b->second, crystal.temperature)) {
        kelvin = *fromB;
        crystal.notes.push_back("Debye temperature of " + symbol + ": " + Format(kelvin) +
                                " K, from B = " + Format(b->second) + " Å² at " + Format(crystal.temperature) + " K.");
      } else {
        missing.push_back(z);
        continue;
      }
    } else if (auto tabulated = TabulatedDebyeTemperature(z)) {
      kelvin = *tabulated;
      crystal.notes.push_back("Debye temperature of " + symbol + ": " + Format(kelvin) +
                              " K, the table's value for the element's own crystal.");
    } else {
      missing.push_back(z);
      continue;
    }
    crystal.description.debyeTemperatures[z] = kelvin;
  }
  return missing;
}

std::string MissingDebyeMessage(const std::vector<int>& elements) {
  std::string list;
  for (int z : elements) list += (list.empty() ? "" : ", ") + std::string(ElementTable::Symbol(z));
  return "no Debye temperature for " + list +
         ": the CIF gives no usable displacement parameter (B_iso, U_iso) for it and the table of common "
         "elements has none";
}

bool LoadCifFile(CrystalStructure& structure, const std::filesystem::path& path, double temperature,
                 const std::filesystem::path& dataDirectory, core::Notifier& notifier, StructFileFailure* failure,
                 const std::map<int, double>& given) {
  structure.Clear();
  auto read = ReadCifFile(path);
  if (auto* reason = std::get_if<std::string>(&read)) {
    if (failure) *failure = {0, *reason};
    return false;
  }
  CifCrystal& crystal = std::get<CifCrystal>(read);
  if (auto missing = ResolveDebyeTemperatures(crystal, given); !missing.empty()) {
    if (failure) *failure = {0, MissingDebyeMessage(missing)};
    return false;
  }
  std::istringstream text(FormatStructFile(crystal.description));
  return ReadStructFile(structure, text, temperature, dataDirectory, notifier, failure);
}

bool IsCifPath(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".cif";
}

bool LoadStructureFile(CrystalStructure& structure, const std::filesystem::path& path, double temperature,
                       const std::filesystem::path& dataDirectory, core::Notifier& notifier,
                       StructFileFailure* failure) {
  if (IsCifPath(path)) return LoadCifFile(structure, path, temperature, dataDirectory, notifier, failure);
  return LoadStructFile(structure, path, temperature, dataDirectory, notifier, failure);
}

}  // namespace velto::crystal
